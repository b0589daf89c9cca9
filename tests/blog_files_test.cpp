#include "store/blog_files.h"

#include "application_environment.h"
#include "net/page_text.h"
#include "net/text_encoding.h"
#include "store/file_writer.h"
#include "temp_folder.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

namespace qzb {
namespace {

[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment<QGuiApplication>);

const std::string kSite = "moshu.example";

const std::string kPost = gbk("<html><head><title>标题</title><script>var a = 1;</script></head>"
                              "<body><p>第一段 &amp; 更多</p><div>第二段</div></body></html>");

class BlogFilesTest : public ::testing::Test {
protected:
    [[nodiscard]] std::string base() const { return toPathText(m_temp.path()); }
    [[nodiscard]] std::string read(BlogFormat format, std::string_view saveName, int number) const {
        return readBytes(toFileSystemPath(blogFilePath(base(), format, saveName, number)));
    }

    TempFolder m_temp;
};

TEST(BlogFormatChoice, OnlyTxtAndHtmlAreTheirOwnFormats) {
    EXPECT_EQ(blogFormatFromChoice(gbk("txt格式")), BlogFormat::Text);
    EXPECT_EQ(blogFormatFromChoice(gbk("html格式")), BlogFormat::Html);
    EXPECT_EQ(blogFormatFromChoice(gbk("Doc格式")), BlogFormat::Doc);
    EXPECT_EQ(blogFormatFromChoice(""), BlogFormat::Doc);
    EXPECT_EQ(blogFormatFromChoice("txt"), BlogFormat::Doc);
}

TEST(BlogFooter, IsSevenLineBreaksEightBlanksAndTheSentenceEndingInTheSiteHost) {
    EXPECT_EQ(blogFooter(),
              gbk("\r\n\r\n\r\n\r\n\r\n\r\n\r\n        本日志由墨枢日志备份工具保存： 官网：") + kSite);
}

TEST_F(BlogFilesTest, EachFormatHasItsFolderNameAndExtension) {
    struct Case {
        BlogFormat format;
        std::string relativePath;
    };
    const std::string folder = gbkToUtf8(gbk("下载的日志：")) + kSite;
    const Case cases[] = {
        {BlogFormat::Html, folder + "/" + gbkToUtf8(gbk("下载的日志")) + "1.html"},
        {BlogFormat::Text, folder + "/" + gbkToUtf8(gbk("txt格式日志/下载的日志")) + "1.txt"},
        {BlogFormat::Doc, folder + "/" + gbkToUtf8(gbk("txt格式日志/下载的日志")) + "1.Doc"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.relativePath);
        EXPECT_TRUE(prepareBlogFolders(base(), c.format));
        EXPECT_TRUE(saveBlogPost(base(), c.format, gbk("下载的日志"), 1, kPost));
        EXPECT_TRUE(std::filesystem::is_regular_file(m_temp.path() / c.relativePath));
    }
    EXPECT_EQ(filesBelow(m_temp.path()).size(), 3u);
}

TEST_F(BlogFilesTest, AWebPageHoldsTheAnswerAndTextFilesThePageTextAndFooter) {
    ASSERT_TRUE(prepareBlogFolders(base(), BlogFormat::Html));
    ASSERT_TRUE(prepareBlogFolders(base(), BlogFormat::Text));
    for (BlogFormat format : {BlogFormat::Html, BlogFormat::Text, BlogFormat::Doc})
        ASSERT_TRUE(saveBlogPost(base(), format, "post", 2, kPost));

    EXPECT_EQ(read(BlogFormat::Html, "post", 2), kPost);
    const std::string text = read(BlogFormat::Text, "post", 2);
    EXPECT_EQ(text, pageTextFromHtml(kPost) + blogFooter());
    EXPECT_NE(text.find(gbk("第一段 & 更多\r\n第二段")), std::string::npos);
    EXPECT_EQ(text.find("var a"), std::string::npos);
    EXPECT_TRUE(text.ends_with(gbk("\r\n        本日志由墨枢日志备份工具保存： 官网：") + kSite));
    EXPECT_EQ(read(BlogFormat::Doc, "post", 2), text);
}

TEST_F(BlogFilesTest, APostSavedTwiceLeavesOneFileWithTheSecondAnswer) {
    ASSERT_TRUE(prepareBlogFolders(base(), BlogFormat::Html));
    ASSERT_TRUE(saveBlogPost(base(), BlogFormat::Html, "post", 1, "first answer, the longer one"));
    ASSERT_TRUE(saveBlogPost(base(), BlogFormat::Html, "post", 1, "second"));
    EXPECT_EQ(read(BlogFormat::Html, "post", 1), "second");
    EXPECT_EQ(filesBelow(m_temp.path()).size(), 1u);
}

TEST_F(BlogFilesTest, HostileSaveNamesStayInsideTheBlogFolder) {
    ASSERT_TRUE(prepareBlogFolders(base(), BlogFormat::Html));
    const std::string names[] = {"../../escape", "/etc/passwd", "..\\..\\x", "a:b*c?", "..", "", "\r\n"};
    int number = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(saveBlogPost(base(), BlogFormat::Html, name, ++number, "x"));
    }
    const auto files = filesBelow(m_temp.path());
    EXPECT_EQ(files.size(), std::size(names));
    const std::string folder = gbkToUtf8(gbk("下载的日志：")) + kSite + "/";
    for (const auto& file : files) {
        SCOPED_TRACE(file);
        EXPECT_TRUE(file.starts_with(folder));
        EXPECT_EQ(file.find('/', folder.size()), std::string::npos);
    }
}

TEST_F(BlogFilesTest, AWriteIntoAMissingFolderFails) {
    EXPECT_FALSE(saveBlogPost(base(), BlogFormat::Text, "post", 1, kPost));
    EXPECT_TRUE(filesBelow(m_temp.path()).empty());
}

} // namespace
} // namespace qzb
