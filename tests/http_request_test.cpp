#include "net/http_request.h"

#include "net/text_encoding.h"

#include "service_fixture.h"

#include <gtest/gtest.h>

namespace qzb {
namespace {

constexpr std::string_view kUrl = "http://b.qzone.qq.com/x?y=1";

TEST(HeaderBlock, AddsTheMissingDefaultsInOrderAfterTheCallersLines) {
    struct Case {
        const char* name;
        std::string headers;
        std::string cookies;
        std::string expected;
    };
    const std::string ref = "Referer: " + std::string(kUrl);
    const Case cases[] = {
        {"no lines, no cookies", "", "",
         ref +
             "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded"},
        {"cookies come last", "", "a=1; b=2",
         ref + "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded"
               "\r\nCookie: a=1; b=2"},
        {"own referer is not doubled", "Referer: http://x/", "",
         "Referer: http://x/\r\nAccept: */*\r\nAccept-Language: zh-cn"
         "\r\nContent-Type: application/x-www-form-urlencoded"},
        {"accept-language does not count as accept", "Accept-Language: en", "",
         "Accept-Language: en\r\n" + ref +
             "\r\nAccept: */*\r\nContent-Type: application/x-www-form-urlencoded"},
        {"every default given", "Referer: r\r\nAccept: a\r\nAccept-Language: l\r\nContent-Type: c", "k=v",
         "Referer: r\r\nAccept: a\r\nAccept-Language: l\r\nContent-Type: c\r\nCookie: k=v"},
        {"header names ignore case", "accept: text/html\r\ncontent-type: text/plain", "",
         "accept: text/html\r\ncontent-type: text/plain\r\n" + ref + "\r\nAccept-Language: zh-cn"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(buildHeaderBlock(c.headers, kUrl, c.cookies), c.expected);
    }
}

TEST(HeaderBlock, UserAgentIsTheCallersOrTheDefault) {
    EXPECT_EQ(userAgentOf(""), kDefaultUserAgent);
    EXPECT_EQ(userAgentOf("Accept: */*"), kDefaultUserAgent);
    EXPECT_EQ(userAgentOf("Accept: */*\r\nUser-Agent: Tester/2.0\r\nReferer: x"), "Tester/2.0");
    EXPECT_EQ(userAgentOf("User-Agent: Last/1"), "Last/1");
}

TEST(SplitUrl, SplitsSchemeHostPortAndPath) {
    struct Case {
        std::string url;
        bool valid;
        bool secure;
        std::string host;
        int port;
        std::string path;
    };
    const Case cases[] = {
        {"http://b.qzone.qq.com/cgi-bin/a?x=1&y=2", true, false, "b.qzone.qq.com", 80, "/cgi-bin/a?x=1&y=2"},
        {"https://example.com", true, true, "example.com", 443, "/"},
        {"http://127.0.0.1:8080/p", true, false, "127.0.0.1", 8080, "/p"},
        {"HTTPS://Host:444/", true, true, "Host", 444, "/"},
        {"ftp://example.com/file", false, false, "", 0, ""},
        {"file:///etc/passwd", false, false, "", 0, ""},
        {"http://", false, false, "", 0, ""},
        {"http://host:99999/", false, false, "", 0, ""},
        {"http://host:12ab/", false, false, "", 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        UrlParts parts = splitUrl(c.url);
        EXPECT_EQ(parts.valid, c.valid);
        if (!c.valid)
            continue;
        EXPECT_EQ(parts.secure, c.secure);
        EXPECT_EQ(parts.host, c.host);
        EXPECT_EQ(parts.port, c.port);
        EXPECT_EQ(parts.path, c.path);
    }
}

TEST(Cookies, MergeReplacesAppendsAndDeletes) {
    struct Case {
        std::string held;
        std::string received;
        std::string merged;
    };
    const Case cases[] = {
        {"", "", ""},
        {"", "a=1", "a=1"},
        {"a=1; b=2", "", "a=1; b=2"},
        {"a=1; b=2", "b=3", "a=1; b=3"},
        {"a=1; b=2", "c=4; a=5", "a=5; b=2; c=4"},
        {"a=1; b=2; c=3", "b=deleted", "a=1; c=3"},
        {"a=1", "z=deleted", "a=1"},
        {"uin=o123; skey=@x=y", "skey=@new", "uin=o123; skey=@new"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.held + " + " + c.received);
        EXPECT_EQ(mergeCookies(c.held, c.received), c.merged);
    }
}

TEST(AnswerHeaders, CookiesLocationAndMovesAreReadFromTheHeaderText) {
    const std::string headers = "HTTP/1.1 301 Moved Permanently\r\n"
                                "Location: http://elsewhere/x\r\n"
                                "Set-Cookie: a=1; path=/; HttpOnly\r\n"
                                "set-cookie: b=2\r\n"
                                "Content-Type: text/html\r\n";
    EXPECT_EQ(receivedCookies(headers), "a=1; b=2");
    EXPECT_EQ(headerValue(headers, "Location:"), "http://elsewhere/x");
    EXPECT_EQ(headerValue(headers, "X-Missing:"), "");
    EXPECT_TRUE(isMove(headers));
    EXPECT_TRUE(isMove("HTTP/1.1 302 Found\r\n"));
    EXPECT_TRUE(isMove("HTTP/1.0 307 Temporary Redirect\r\n"));
    EXPECT_FALSE(isMove("HTTP/1.1 200 OK\r\nX-Note: 301 Moved\r\n"));
    EXPECT_FALSE(isMove("HTTP/1.1 304 Not Modified\r\n"));
    EXPECT_FALSE(isMove(""));
}

using sample::FaultKind;

constexpr std::string_view kBlogPage =
    "http://b.qzone.qq.com/cgi-bin/blognew/get_abs?hostUin=123456789&pos=0&num=15";

class ExchangeTest : public ServiceTest {
protected:
    [[nodiscard]] sample::RecordedRequest onlyRequest() const {
        auto requests = m_service.requests();
        EXPECT_EQ(requests.size(), 1u);
        return requests.empty() ? sample::RecordedRequest{} : requests.front();
    }

    static WebReply get(std::string_view url, std::string headers = {}, std::string cookies = {}) {
        WebRequest request;
        request.url = url;
        request.headers = std::move(headers);
        request.cookies = std::move(cookies);
        return sendWebRequest(request);
    }

    static std::vector<std::string> valuesOf(const sample::RecordedRequest& request,
                                             const std::string& name) {
        std::vector<std::string> values;
        auto [begin, end] = request.headers.equal_range(name);
        for (auto it = begin; it != end; ++it)
            values.push_back(it->second);
        return values;
    }
};

TEST_F(ExchangeTest, SendsTheDefaultHeadersAndReadsTheAnswer) {
    WebReply reply = get(kBlogPage);
    EXPECT_TRUE(reply.body.starts_with("_Callback({"));
    EXPECT_TRUE(reply.headers.starts_with("HTTP/1.1 200"));
    EXPECT_NE(reply.headers.find("\r\n"), std::string::npos);
    EXPECT_EQ(reply.location, "");

    auto request = onlyRequest();
    EXPECT_EQ(request.target, kBlogPage);
    EXPECT_EQ(request.host, "b.qzone.qq.com");
    EXPECT_EQ(valuesOf(request, "User-Agent"), std::vector<std::string>{std::string(kDefaultUserAgent)});
    EXPECT_EQ(valuesOf(request, "Referer"), std::vector<std::string>{std::string(kBlogPage)});
    EXPECT_EQ(valuesOf(request, "Accept"), std::vector<std::string>{"*/*"});
    EXPECT_EQ(valuesOf(request, "Accept-Language"), std::vector<std::string>{"zh-cn"});
    EXPECT_EQ(valuesOf(request, "Content-Type"),
              std::vector<std::string>{"application/x-www-form-urlencoded"});
    EXPECT_TRUE(valuesOf(request, "Cookie").empty());
}

TEST_F(ExchangeTest, TheCallersAgentIsTheOnlyOneSent) {
    get(kBlogPage, "User-Agent: Tester/2.0\r\nReferer: http://qzone.qq.com/");
    auto request = onlyRequest();
    EXPECT_EQ(valuesOf(request, "User-Agent"), std::vector<std::string>{"Tester/2.0"});
    EXPECT_EQ(valuesOf(request, "Referer"), std::vector<std::string>{"http://qzone.qq.com/"});
}

TEST_F(ExchangeTest, CookiesAreSentAndUpdatedByTheAnswer) {
    useOptions({.faults = {{.targetContains = "get_abs",
                            .kind = FaultKind::SetCookies,
                            .setCookies = {"a=1; Path=/; HttpOnly", "b=2", "old=deleted; Max-Age=0"}}}});
    WebReply reply = get(kBlogPage, {}, "old=x; keep=y");
    EXPECT_EQ(reply.cookies, "keep=y; a=1; b=2");
    EXPECT_EQ(valuesOf(onlyRequest(), "Cookie"), std::vector<std::string>{"old=x; keep=y"});
}

TEST_F(ExchangeTest, AUtf8AnswerIsConvertedOnce) {
    WebReply plain = get(kBlogPage);
    useOptions({.faults = {{.targetContains = "get_abs", .kind = FaultKind::Utf8Body}}});
    WebReply utf8 = get(kBlogPage);
    EXPECT_NE(utf8.headers.find("charset=utf-8"), std::string::npos);
    EXPECT_EQ(utf8.body, plain.body);
}

TEST_F(ExchangeTest, MovesAreFollowedToTheirTarget) {
    useOptions(
        {.faults = {
             {.targetContains = "/old-place", .kind = FaultKind::Move, .location = std::string(kBlogPage)}}});
    WebReply direct = get(kBlogPage);
    WebReply moved = get("http://b.qzone.qq.com/old-place");
    EXPECT_EQ(moved.body, direct.body);
    EXPECT_TRUE(moved.headers.starts_with("HTTP/1.1 200"));
    EXPECT_EQ(fetchUrlBytes("http://b.qzone.qq.com/old-place"), direct.body);
}

TEST_F(ExchangeTest, FailedExchangesGiveAnEmptyReply) {
    struct Case {
        const char* name;
        sample::Fault fault;
    };
    const Case cases[] = {
        {"closed mid-body", {.targetContains = "get_abs", .kind = FaultKind::CloseMidBody}},
        {"stalled", {.targetContains = "get_abs", .kind = FaultKind::Stall}},
        {"moves in a loop", {.targetContains = "get_abs", .kind = FaultKind::MoveLoop}},
        {"moves to a local file",
         {.targetContains = "get_abs", .kind = FaultKind::Move, .location = "file:///etc/passwd"}},
        {"moves to ftp", {.targetContains = "get_abs", .kind = FaultKind::Move, .location = "ftp://x/y"}},
        {"body over the cap",
         {.targetContains = "get_abs", .kind = FaultKind::Oversize, .bodyBytes = 3u * 1024 * 1024}},
    };
    HttpLimits limits = httpLimits();
    limits.maxBodyBytes = 2u * 1024 * 1024;
    setHttpLimits(limits);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        useOptions({.faults = {c.fault}});
        WebReply reply = get(kBlogPage, {}, "a=1");
        EXPECT_EQ(reply.body, "");
        EXPECT_EQ(reply.headers, "");
        EXPECT_EQ(reply.cookies, "a=1");
        EXPECT_EQ(fetchUrlBytes(kBlogPage), "");
    }
    useOptions({.faults = {{.targetContains = "get_abs", .kind = FaultKind::Oversize, .bodyBytes = 1024}}});
    EXPECT_EQ(get(kBlogPage).body, std::string(1024, 'x'));
}

TEST_F(ExchangeTest, AnErrorStatusIsAnAnswerButNotBytesToKeep) {
    useOptions({.faults = {{.targetContains = "get_abs", .kind = FaultKind::Status, .status = 404}}});
    WebReply reply = get(kBlogPage);
    EXPECT_TRUE(reply.headers.starts_with("HTTP/1.1 404"));
    EXPECT_NE(reply.body.find("404"), std::string::npos);
    EXPECT_EQ(fetchUrlBytes(kBlogPage), "");
}

TEST_F(ExchangeTest, TheByteReaderAsksPlainlyAndOnlyForWebAddresses) {
    std::string bytes = fetchUrlBytes(std::string(kBlogPage) + "#fragment");
    EXPECT_TRUE(bytes.starts_with("_Callback({"));
    auto request = onlyRequest();
    EXPECT_EQ(request.target, kBlogPage);
    EXPECT_EQ(valuesOf(request, "User-Agent"), std::vector<std::string>{std::string(kByteReaderUserAgent)});
    EXPECT_EQ(valuesOf(request, "Accept"), std::vector<std::string>{"*/*"});
    EXPECT_TRUE(valuesOf(request, "Cookie").empty());
    EXPECT_TRUE(valuesOf(request, "Referer").empty());

    m_service.clearRequests();
    for (const char* refused :
         {"file:///etc/passwd", "ftp://b.qzone.qq.com/x", "gopher://x/", "", "/etc/passwd"}) {
        SCOPED_TRACE(refused);
        EXPECT_EQ(fetchUrlBytes(refused), "");
        WebRequest refusedRequest;
        refusedRequest.url = refused;
        EXPECT_EQ(sendWebRequest(refusedRequest).headers, "");
    }
    EXPECT_TRUE(m_service.requests().empty());
}

TEST_F(ExchangeTest, SequentialExchangesShareOneConnection) {
    get(kBlogPage);
    get(kBlogPage);
    get(kBlogPage);
    auto requests = m_service.requests();
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(requests[0].clientPort, requests[1].clientPort);
    EXPECT_EQ(requests[1].clientPort, requests[2].clientPort);
}

TEST_F(ExchangeTest, TheRequestsProxyCarriesPlainHttp) {
    unsetenv("http_proxy");
    WebRequest request;
    request.url = kBlogPage;
    request.proxy = m_service.proxyUrl();
    EXPECT_TRUE(sendWebRequest(request).body.starts_with("_Callback({"));
    EXPECT_EQ(onlyRequest().target, kBlogPage);
}

TEST_F(ExchangeTest, PendingEventsRunWhileAnExchangeWaitsAndMayStartAnother) {
    useOptions({.latency = std::chrono::milliseconds(200)});
    int calls = 0;
    std::string nestedBody;
    setPendingEventsHandler([&] {
        if (++calls == 1)
            nestedBody = get(kBlogPage).body;
    });
    WebReply outer = get(kBlogPage);
    setPendingEventsHandler({});
    EXPECT_GT(calls, 1);
    EXPECT_TRUE(outer.body.starts_with("_Callback({"));
    EXPECT_EQ(nestedBody, outer.body);
}

} // namespace
} // namespace qzb
