#include "tools/sample_service/sample_service.h"

#include "net/text_encoding.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <set>
#include <thread>
#include <utility>

namespace qzb::sample {
namespace {

constexpr std::string_view kSuccessMarker = "_Callback({\n\t\"code\":0,\n\t\"subcode\":0";
constexpr int kPosts = 23;

Fault fault(std::string targetContains, FaultKind kind) {
    Fault f;
    f.targetContains = std::move(targetContains);
    f.kind = kind;
    return f;
}

Options withFaults(std::vector<Fault> faults) {
    Options options;
    options.posts = kPosts;
    options.faults = std::move(faults);
    return options;
}

std::string blogListTarget(const std::string& account, int pos) {
    return "/cgi-bin/blognew/get_abs?hostUin=" + account +
           "&blogType=0&cateName=&cateHex=&statYear=&reqInfo=1&pos=" + std::to_string(pos) +
           "&num=15&sortType=0&absType=0&source=0&rand=0.964334683477444&ref=qzone&g_tk=5381"
           "&verbose=0&iNotice=0&inCharset=gbk&outCharset=gbk&format=jsonp";
}

// Id and title of every record, cut out with the markers the program's blog list uses.
std::vector<SamplePost> recordsIn(std::string_view answer) {
    constexpr std::string_view idMarker = "{\"blogId\":";
    constexpr std::string_view idEnd = ",\n\"blogType\":";
    constexpr std::string_view titleMarker = "\",\n\"title\":\"";
    constexpr std::string_view titleEnd = "\",\n\"commentNum\"";
    std::vector<SamplePost> records;
    auto at = answer.find(idMarker);
    while (at != std::string_view::npos) {
        const auto idStart = at + idMarker.size();
        const auto idStop = answer.find(idEnd, idStart);
        if (idStop == std::string_view::npos) {
            break;
        }
        const auto next = answer.find(idMarker, idStop);
        const std::string_view record = answer.substr(idStop, next - idStop);
        const auto titleStart = record.find(titleMarker) + titleMarker.size();
        const auto titleStop = record.find(titleEnd, titleStart);
        records.push_back({std::string(answer.substr(idStart, idStop - idStart)),
                           std::string(record.substr(titleStart, titleStop - titleStart))});
        at = next;
    }
    return records;
}

class SampleServiceTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_service.start()); }

    [[nodiscard]] httplib::Client client() const {
        httplib::Client c("127.0.0.1", m_service.port());
        c.set_read_timeout(std::chrono::seconds(30));
        return c;
    }

    [[nodiscard]] std::string body(const std::string& target) {
        const auto res = client().Get(target);
        EXPECT_TRUE(res) << target;
        return res ? res->body : std::string();
    }

    SampleService m_service{withFaults({})};
};

TEST(SamplePosts, HoldChineseRepeatedAndEscapedTitles) {
    const auto posts = samplePosts(kPosts);
    ASSERT_EQ(posts.size(), std::size_t{kPosts});
    std::set<std::string> ids;
    std::set<std::string> titles;
    for (std::size_t i = 0; i < posts.size(); ++i) {
        SCOPED_TRACE(i);
        ids.insert(posts[i].blogId);
        titles.insert(posts[i].title);
        EXPECT_EQ(posts[i].blogId.find_first_not_of("0123456789"), std::string::npos);
        EXPECT_TRUE(std::any_of(posts[i].title.begin(), posts[i].title.end(),
                                [](char c) { return static_cast<unsigned char>(c) >= 0x80; }));
        EXPECT_EQ(gbkToUtf8(posts[i].title).find('?'), std::string::npos);
        EXPECT_EQ(posts[i].title.find("\\\"") != std::string::npos, i % 5 == 4);
    }
    EXPECT_EQ(ids.size(), posts.size());
    EXPECT_LT(titles.size(), posts.size());
    EXPECT_EQ(samplePosts(kPosts), posts);
}

TEST_F(SampleServiceTest, BlogListServesPagesInTheServicesLayout) {
    const auto res = client().Get(blogListTarget("123456789", 0));
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=gbk");
    EXPECT_EQ(res->body.substr(0, kSuccessMarker.size()), kSuccessMarker);
    for (auto comma = res->body.find(','); comma != std::string::npos;
         comma = res->body.find(',', comma + 1)) {
        EXPECT_EQ(res->body[comma + 1], '\n') << "at byte " << comma;
    }

    const auto posts = samplePosts(kPosts);
    EXPECT_EQ(recordsIn(res->body), std::vector<SamplePost>(posts.begin(), posts.begin() + 15));
    const std::string second = body(blogListTarget("10001", 15));
    EXPECT_EQ(second.substr(0, kSuccessMarker.size()), kSuccessMarker);
    EXPECT_EQ(recordsIn(second), std::vector<SamplePost>(posts.begin() + 15, posts.end()));

    const std::string pastTheEnd = body(blogListTarget("123456789", 30));
    EXPECT_EQ(pastTheEnd.substr(0, kSuccessMarker.size()), kSuccessMarker);
    EXPECT_TRUE(recordsIn(pastTheEnd).empty());

    const auto missing = client().Get("/cgi-bin/no_such_thing?hostUin=123456789");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
}

TEST_F(SampleServiceTest, ProxyFormRequestIsAnsweredLikeAPlainOneAndRecorded) {
    const std::string target = blogListTarget("123456789", 15);
    const std::string absolute = "http://b.qzone.qq.com" + target;
    const std::string plainAnswer = body(target);
    m_service.clearRequests();

    const auto res = client().Get(absolute, {{"Host", "b.qzone.qq.com"}});
    ASSERT_TRUE(res);
    EXPECT_EQ(res->body, plainAnswer);

    const auto requests = m_service.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, absolute);
    EXPECT_EQ(requests[0].host, "b.qzone.qq.com");
    EXPECT_EQ(requests[0].pathAndQuery, target);
    EXPECT_EQ(requests[0].headers.count("Host"), 1u);
    EXPECT_EQ(requests[0].headers.count("REMOTE_ADDR"), 0u);
}

TEST_F(SampleServiceTest, FaultsShapeTheAnswersTheyTarget) {
    constexpr std::string_view cut = "\",\n\"title\":\"";
    const std::string normal = body(blogListTarget("123456789", 0));
    Fault status = fault("hostUin=10001", FaultKind::Status);
    status.status = 503;
    Fault truncate = fault("hostUin=10003", FaultKind::Truncate);
    truncate.cutAfter = cut;
    m_service.setOptions(withFaults({status, fault("hostUin=10002", FaultKind::NoSuccessMarker), truncate}));

    const auto failed = client().Get(blogListTarget("10001", 0));
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->status, 503);
    EXPECT_EQ(failed->body.find("_Callback"), std::string::npos);

    const std::string refused = body(blogListTarget("10002", 0));
    EXPECT_EQ(refused.rfind("_Callback({", 0), 0u);
    EXPECT_EQ(refused.find(kSuccessMarker), std::string::npos);
    EXPECT_TRUE(recordsIn(refused).empty());

    const std::string truncated = body(blogListTarget("10003", 0));
    EXPECT_EQ(truncated, normal.substr(0, normal.find(cut) + cut.size()));

    EXPECT_EQ(body(blogListTarget("10004", 0)), normal);
}

TEST_F(SampleServiceTest, CloseMidBodyDeliversFewerBytesThanAnnounced) {
    m_service.setOptions(withFaults({fault("get_abs", FaultKind::CloseMidBody)}));
    std::size_t announced = 0;
    std::string received;
    const auto res = client().Get(
        blogListTarget("123456789", 0),
        [&](const httplib::Response& r) {
            announced = std::stoul(r.get_header_value("Content-Length"));
            return true;
        },
        [&](const char* data, std::size_t length) {
            received.append(data, length);
            return true;
        });
    EXPECT_NE(res.error(), httplib::Error::Success);
    EXPECT_GT(received.size(), 0u);
    EXPECT_LT(received.size(), announced);

    m_service.setOptions(withFaults({}));
    EXPECT_EQ(body(blogListTarget("123456789", 0)).substr(0, received.size()), received);
}

TEST_F(SampleServiceTest, StallHoldsTheAnswerUntilTheClientGivesUpOrTheServiceStops) {
    m_service.setOptions(withFaults({fault("get_abs", FaultKind::Stall)}));

    httplib::Client impatient("127.0.0.1", m_service.port());
    impatient.set_read_timeout(std::chrono::milliseconds(200));
    std::string partial;
    const auto givenUp =
        impatient.Get(blogListTarget("123456789", 0), [&](const char* data, std::size_t length) {
            partial.append(data, length);
            return true;
        });
    EXPECT_EQ(givenUp.error(), httplib::Error::Read);
    EXPECT_EQ(partial.substr(0, kSuccessMarker.size()), kSuccessMarker);

    std::promise<void> firstBytes;
    std::thread patient([&] {
        bool signalled = false;
        const auto res = client().Get(blogListTarget("123456789", 0), [&](const char*, std::size_t) {
            if (!std::exchange(signalled, true)) {
                firstBytes.set_value();
            }
            return true;
        });
        EXPECT_NE(res.error(), httplib::Error::Success);
        if (!signalled) {
            firstBytes.set_value();
        }
    });
    firstBytes.get_future().wait();
    m_service.stop();
    patient.join();
    EXPECT_EQ(m_service.port(), 0);
}

} // namespace
} // namespace qzb::sample
