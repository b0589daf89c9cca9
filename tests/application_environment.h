#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <memory>

namespace qzb {

// Qt's text engine and widgets need an application object; one lives for the
// whole run of a test program, on the offscreen platform unless told otherwise.
template <typename Application> class ApplicationEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        m_app = std::make_unique<Application>(m_argc, m_argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    char m_name[10] = "qzb_tests";
    char* m_argv[2] = {m_name, nullptr};
    int m_argc = 1;
    std::unique_ptr<Application> m_app;
};

} // namespace qzb
