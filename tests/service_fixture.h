#pragma once

#include "net/http_request.h"
#include "tools/sample_service/sample_service.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace qzb {

// Starts the sample service on loopback and routes every plain-HTTP address
// through it with http_proxy, so the client's real host names reach it.
class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_service.start());
        setenv("http_proxy", m_service.proxyUrl().c_str(), 1);
        unsetenv("no_proxy");
        unsetenv("NO_PROXY");
        HttpLimits limits;
        limits.connectTimeout = std::chrono::milliseconds(2000);
        limits.lowSpeedTime = std::chrono::seconds(2);
        setHttpLimits(limits);
    }

    void TearDown() override {
        // A connection kept for reuse would hold the service's worker until it times out.
        closeIdleConnections();
        m_service.stop();
        unsetenv("http_proxy");
        setHttpLimits(HttpLimits{});
    }

    void useOptions(sample::Options options) { m_service.setOptions(std::move(options)); }

    // The request-line targets the service received, in order.
    [[nodiscard]] std::vector<std::string> requestedTargets() const {
        std::vector<std::string> targets;
        for (const auto& request : m_service.requests())
            targets.push_back(request.target);
        return targets;
    }

    sample::SampleService m_service;
};

} // namespace qzb
