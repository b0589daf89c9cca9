#include "qzone/blogs.h"

#include "service_fixture.h"

#include <gmock/gmock.h>

namespace qzb {
namespace {

using sample::FaultKind;

class BlogListTest : public ServiceTest {
protected:
    [[nodiscard]] std::vector<BlogEntry> expectedPosts(int count) const {
        std::vector<BlogEntry> entries;
        for (const auto& post : sample::samplePosts(count))
            entries.push_back({post.blogId, post.title});
        return entries;
    }

    [[nodiscard]] std::vector<std::string> requestedTargets() const {
        std::vector<std::string> targets;
        for (const auto& request : m_service.requests())
            targets.push_back(request.target);
        return targets;
    }
};

constexpr const char* kAccount = "123456789";

TEST(BlogListUrl, IsTheFixedTemplateWithAccountOffsetAndToken) {
    EXPECT_EQ(
        blogListUrl("123456789", 30),
        "http://b.qzone.qq.com/cgi-bin/blognew/get_abs?hostUin=123456789&blogType=0&cateName=&cateHex="
        "&statYear=&reqInfo=1&pos=30&num=15&sortType=0&absType=0&source=0&rand=0.964334683477444&ref=qzone"
        "&g_tk=5381&verbose=0&iNotice=0&inCharset=gbk&outCharset=gbk&format=jsonp");
}

TEST_F(BlogListTest, ListsEveryPostInOrderPageByPage) {
    struct Case {
        int posts;
        std::vector<int> offsets;
    };
    const Case cases[] = {{0, {0}}, {15, {0, 15}}, {16, {0, 15}}, {31, {0, 15, 30}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.posts);
        useOptions({.posts = c.posts});
        m_service.clearRequests();
        BlogList list = listBlogs(kAccount);
        EXPECT_TRUE(list.complete);
        EXPECT_EQ(list.entries, expectedPosts(c.posts));
        std::vector<std::string> expectedTargets;
        for (int offset : c.offsets)
            expectedTargets.push_back(blogListUrl(kAccount, offset));
        EXPECT_EQ(requestedTargets(), expectedTargets);
    }
}

TEST_F(BlogListTest, TitlesKeepTheirChineseBytesAndEscapedQuotes) {
    useOptions({.posts = 16});
    BlogList list = listBlogs(kAccount);
    ASSERT_EQ(list.entries.size(), 16u);
    bool sawChinese = false;
    bool sawEscapedQuote = false;
    for (const auto& entry : list.entries) {
        sawChinese |= std::any_of(entry.title.begin(), entry.title.end(),
                                  [](char c) { return static_cast<unsigned char>(c) >= 0x81; });
        sawEscapedQuote |= entry.title.find("\\\"") != std::string::npos;
    }
    EXPECT_TRUE(sawChinese);
    EXPECT_TRUE(sawEscapedQuote);
}

TEST_F(BlogListTest, AnAnswerWithoutTheSuccessMarkerEndsThePagingAndKeepsEarlierPages) {
    useOptions({.posts = 40, .faults = {{.targetContains = "pos=15", .kind = FaultKind::NoSuccessMarker}}});
    BlogList list = listBlogs(kAccount);
    EXPECT_FALSE(list.complete);
    EXPECT_EQ(list.entries, expectedPosts(15));
    EXPECT_EQ(m_service.requests().size(), 2u);
}

TEST_F(BlogListTest, AFailedExchangeEndsThePaging) {
    for (FaultKind kind : {FaultKind::CloseMidBody, FaultKind::Stall, FaultKind::Status}) {
        SCOPED_TRACE(static_cast<int>(kind));
        useOptions({.posts = 40, .faults = {{.targetContains = "pos=15", .kind = kind, .status = 503}}});
        BlogList list = listBlogs(kAccount);
        EXPECT_FALSE(list.complete);
        EXPECT_EQ(list.entries, expectedPosts(15));
    }
}

TEST_F(BlogListTest, APageThatRepeatsThePreviousOneEndsThePaging) {
    useOptions({.posts = 40, .faults = {{.targetContains = "get_abs", .kind = FaultKind::RepeatFirstPage}}});
    BlogList list = listBlogs(kAccount);
    EXPECT_FALSE(list.complete);
    EXPECT_EQ(list.entries, expectedPosts(15));
    EXPECT_EQ(m_service.requests().size(), 2u);
}

TEST_F(BlogListTest, TwoRequestsForTheSamePageCarryIdenticalAddresses) {
    useOptions({.posts = 3});
    BlogPage first = fetchBlogPage(kAccount, 0);
    BlogPage second = fetchBlogPage(kAccount, 0);
    EXPECT_TRUE(first.success);
    EXPECT_EQ(first.entries, second.entries);
    auto requests = m_service.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, requests[1].target);
    EXPECT_EQ(requests[0].target, blogListUrl(kAccount, 0));
}

TEST_F(BlogListTest, AnAccountNumberThatIsNot5To11DigitsSendsNothing) {
    const char* refused[] = {"",       "1234",    "123456789012", "12a45",
                             " 12345", "12345 ",  "+12345",       "-12345",
                             "1234.5", "0x12345", "１２３４５",   "1234567890123456789012345678901234567890"};
    for (const char* account : refused) {
        SCOPED_TRACE(account);
        EXPECT_TRUE(listBlogs(account).entries.empty());
        EXPECT_FALSE(fetchBlogPage(account, 0).success);
    }
    EXPECT_TRUE(m_service.requests().empty());
    EXPECT_TRUE(listBlogs("12345").complete);
    EXPECT_TRUE(listBlogs("12345678901").complete);
}

TEST_F(BlogListTest, AnAnswerCutAfterAnIdMarkerKeepsTheRecordsBeforeIt) {
    useOptions({.posts = 5});
    WebRequest request;
    request.url = blogListUrl(kAccount, 0);
    const std::string answer = sendWebRequest(request).body;
    ASSERT_EQ(parseBlogPage(answer).entries, expectedPosts(5));

    std::size_t thirdId = 0;
    for (int i = 0; i < 3; ++i)
        thirdId = answer.find("{\"blogId\":", thirdId + 1);
    ASSERT_NE(thirdId, std::string::npos);
    const std::string cut = answer.substr(0, thirdId + 12);
    BlogPage page = parseBlogPage(cut);
    EXPECT_TRUE(page.success);
    auto expected = expectedPosts(2);
    EXPECT_EQ(page.entries, expected);
}

TEST(BlogListParsing, TakesIdsAndTitlesByteForByte) {
    const std::string answer =
        "_Callback({\n\t\"code\":0,\n\t\"subcode\":0,\n\t\"data\":{\"list\":["
        "{\"blogId\":11,\n\"blogType\":0,\n\"cate\":\"a\",\n\"title\":\"x\\\"y\",\n"
        "\"commentNum\":0},\n"
        "{\"blogId\":12,\n\"blogType\":0,\n\"cate\":\"b\",\n\"commentNum\":0},\n"
        "{\"blogId\":13,\n\"blogType\":1,\n\"cate\":\"c\",\n\"title\":\" \xC8\xD5 \",\n"
        "\"commentNum\":2}]}});";
    BlogPage page = parseBlogPage(answer);
    EXPECT_TRUE(page.success);
    EXPECT_THAT(page.entries, ::testing::ElementsAre(BlogEntry{"11", "x\\\"y"}, BlogEntry{"12", ""},
                                                     BlogEntry{"13", " \xC8\xD5 "}));
    EXPECT_FALSE(parseBlogPage("_Callback({\n\t\"code\":-1,\n\t\"subcode\":0}").success);
    EXPECT_TRUE(parseBlogPage("").entries.empty());
}

} // namespace
} // namespace qzb
