#include "qzone/blogs.h"

#include "application_environment.h"
#include "net/text_encoding.h"
#include "service_fixture.h"
#include "store/blog_files.h"
#include "store/file_writer.h"
#include "temp_folder.h"

#include <QGuiApplication>
#include <gmock/gmock.h>

namespace qzb {
namespace {

using sample::FaultKind;

[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment<QGuiApplication>);

class BlogListTest : public ServiceTest {
protected:
    [[nodiscard]] std::vector<BlogEntry> expectedPosts(int count) const {
        std::vector<BlogEntry> entries;
        for (const auto& post : sample::samplePosts(count))
            entries.push_back({post.blogId, post.title});
        return entries;
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
    BlogListPage first = fetchBlogPage(kAccount, 0);
    BlogListPage second = fetchBlogPage(kAccount, 0);
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
    BlogListPage page = parseBlogPage(cut);
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
    BlogListPage page = parseBlogPage(answer);
    EXPECT_TRUE(page.success);
    EXPECT_THAT(page.entries, ::testing::ElementsAre(BlogEntry{"11", "x\\\"y"}, BlogEntry{"12", ""},
                                                     BlogEntry{"13", " \xC8\xD5 "}));
    EXPECT_FALSE(parseBlogPage("_Callback({\n\t\"code\":-1,\n\t\"subcode\":0}").success);
    EXPECT_TRUE(parseBlogPage("").entries.empty());
}

TEST(BlogContentUrl, HoldsOnlyTheAccountAndThePostId) {
    EXPECT_EQ(blogContentUrl("123456789", "1200000003"),
              "http://b1.qzone.qq.com/cgi-bin/blognew/blog_output_data?uin=123456789&blogid=1200000003");
    EXPECT_EQ(
        blogContentUrl("123456789", "1&uin=1#x/y"),
        "http://b1.qzone.qq.com/cgi-bin/blognew/blog_output_data?uin=123456789&blogid=1%26uin%3D1%23x%2Fy");
}

TEST(BlogEndMessage, TellsOfPostsThatWereNotSaved) {
    EXPECT_EQ(blogProgressText(12), gbk("下载到了12篇日志"));
    EXPECT_EQ(blogEndMessage({.saved = 3, .failed = 0}), gbk("下载完成！"));
    EXPECT_EQ(blogEndMessage({.saved = 3, .failed = 2}), gbk("下载完成！\r\n有2篇日志未能保存。"));
    EXPECT_EQ(blogEndTitle(), gbk("友情提示"));
}

class BlogDownloadTest : public BlogListTest {
protected:
    // Saves through the storage layer as the blog page does, noting how many
    // content requests the service had seen when each post was written.
    DownloadOutcome download(BlogFormat format, const std::vector<BlogEntry>& posts) {
        const std::string base = toPathText(root());
        EXPECT_TRUE(prepareBlogFolders(base, format));
        return downloadBlogPosts(
            kAccount, posts,
            [&](const BlogEntry&, int number, std::string_view page) {
                m_requestsAtSave.push_back(contentRequests());
                return saveBlogPost(base, format, "post", number, page);
            },
            [&](const std::string& text) { m_progress.push_back(text); });
    }

    [[nodiscard]] std::size_t contentRequests() const {
        std::size_t count = 0;
        for (const auto& request : m_service.requests())
            count += request.target.find("blog_output_data") != std::string::npos;
        return count;
    }

    [[nodiscard]] std::string savedFile(BlogFormat format, int number) const {
        return readBytes(toFileSystemPath(blogFilePath(toPathText(root()), format, "post", number)));
    }

    // Each run of a test saves below a folder of its own.
    [[nodiscard]] std::filesystem::path root() const { return m_temp.path() / m_run; }

    TempFolder m_temp;
    std::string m_run = "first";
    std::vector<std::size_t> m_requestsAtSave;
    std::vector<std::string> m_progress;
};

TEST_F(BlogDownloadTest, SavesEveryPostInListOrderBeforeAskingForTheNext) {
    useOptions({.posts = 8});
    const auto posts = listBlogs(kAccount).entries;
    m_service.clearRequests();
    DownloadOutcome outcome = download(BlogFormat::Html, posts);
    EXPECT_EQ(outcome.saved, 8);
    EXPECT_EQ(outcome.failed, 0);
    EXPECT_EQ(m_requestsAtSave, (std::vector<std::size_t>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(m_progress.back(), blogProgressText(8));
    EXPECT_EQ(m_progress.size(), 8u);

    std::vector<std::string> expectedTargets;
    for (const auto& post : posts)
        expectedTargets.push_back(blogContentUrl(kAccount, post.blogId));
    EXPECT_EQ(requestedTargets(), expectedTargets);
    for (int number = 1; number <= 8; ++number) {
        SCOPED_TRACE(number);
        const auto post = m_service.posts()[static_cast<std::size_t>(number - 1)];
        EXPECT_EQ(savedFile(BlogFormat::Html, number), sample::samplePostPage(post));
    }
}

TEST_F(BlogDownloadTest, PostsWithTheSameTitleAreFetchedByTheirOwnIds) {
    useOptions({.posts = 8});
    const auto posts = listBlogs(kAccount).entries;
    ASSERT_EQ(posts[1].title, posts[7].title);
    m_service.clearRequests();
    download(BlogFormat::Text, {posts[1], posts[7]});
    const std::string first = savedFile(BlogFormat::Text, 1);
    const std::string second = savedFile(BlogFormat::Text, 2);
    EXPECT_NE(first, second);
    EXPECT_NE(first.find(posts[1].blogId), std::string::npos);
    EXPECT_NE(second.find(posts[7].blogId), std::string::npos);
    EXPECT_TRUE(first.ends_with(blogFooter()));
}

TEST_F(BlogDownloadTest, APostThatCannotBeFetchedLeavesNoFileAndTheWalkGoesOn) {
    const auto posts = expectedPosts(5);
    for (FaultKind kind :
         {FaultKind::Status, FaultKind::CloseMidBody, FaultKind::EmptyBody, FaultKind::Stall}) {
        SCOPED_TRACE(static_cast<int>(kind));
        m_run = std::to_string(static_cast<int>(kind));
        m_progress.clear();
        useOptions({.posts = 5, .faults = {{.targetContains = "blogid=" + posts[1].blogId, .kind = kind}}});
        DownloadOutcome outcome = download(BlogFormat::Doc, posts);
        EXPECT_EQ(outcome.saved, 4);
        EXPECT_EQ(outcome.failed, 1);
        EXPECT_EQ(m_progress.back(), blogProgressText(4));
        EXPECT_EQ(filesBelow(root()).size(), 4u);
        EXPECT_FALSE(std::filesystem::exists(
            toFileSystemPath(blogFilePath(toPathText(root()), BlogFormat::Doc, "post", 2))));
    }
}

TEST_F(BlogDownloadTest, APostThatCannotBeWrittenIsCountedAsFailed) {
    useOptions({.posts = 3});
    DownloadOutcome outcome =
        downloadBlogPosts(kAccount, expectedPosts(3),
                          [](const BlogEntry&, int number, std::string_view) { return number != 2; }, {});
    EXPECT_EQ(outcome.saved, 2);
    EXPECT_EQ(outcome.failed, 1);
}

} // namespace
} // namespace qzb
