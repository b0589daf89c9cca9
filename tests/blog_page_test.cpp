#include "application_environment.h"
#include "net/text_encoding.h"
#include "qzone/blogs.h"
#include "store/blog_files.h"
#include "ui/blog_page.h"
#include "ui/qt_text.h"
#include "window_fixture.h"

#include <QApplication>
#include <QComboBox>

namespace qzb {
namespace {

[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment<QApplication>);

class BlogPageTest : public WindowTest {
protected:
    [[nodiscard]] QTableWidget* list() const { return find<QTableWidget>("超级列表框10"); }

    [[nodiscard]] std::vector<QString> expectedTitles(int count) const {
        std::vector<QString> titles;
        for (const auto& post : sample::samplePosts(count))
            titles.push_back(toQString(post.title));
        return titles;
    }

    [[nodiscard]] std::string savedFile(BlogFormat format, int number) const {
        return readBytes(
            toFileSystemPath(blogFilePath(toPathText(m_temp.path()), format, gbk("下载的日志"), number)));
    }
};

TEST_F(BlogPageTest, FetchingFillsTheListAndTheCountAndReplacesAnEarlierList) {
    useOptions({.posts = 23});
    click("anniu1");
    ASSERT_EQ(list()->rowCount(), 23);
    EXPECT_EQ(column(list(), 1), expectedTitles(23));
    EXPECT_EQ(cell(list(), 0, 0), QStringLiteral("1"));
    EXPECT_EQ(cell(list(), 22, 0), QStringLiteral("23"));
    EXPECT_EQ(cell(list(), 3, 2), toQString(sample::samplePosts(23)[3].blogId));
    EXPECT_EQ(labelText("biaoqian_2"), QStringLiteral("23"));
    EXPECT_TRUE(m_dialogs.messages.empty());

    useOptions({.posts = 4});
    click("anniu1");
    EXPECT_EQ(column(list(), 1), expectedTitles(4));
    EXPECT_EQ(labelText("biaoqian_2"), QStringLiteral("4"));
}

TEST_F(BlogPageTest, EmptyAndShortListsAreTold) {
    useOptions({.posts = 0});
    click("anniu1");
    EXPECT_EQ(list()->rowCount(), 0);
    EXPECT_EQ(labelText("biaoqian_2"), QStringLiteral("0"));
    EXPECT_EQ(m_dialogs.lastText(), utf8("这个空间没有日志。"));

    useOptions({.posts = 30, .faults = {{.targetContains = "pos=15", .kind = sample::FaultKind::Status}}});
    click("anniu1");
    EXPECT_EQ(list()->rowCount(), 15);
    EXPECT_TRUE(m_dialogs.lastText().contains(utf8("可能不完整")));
}

TEST_F(BlogPageTest, AnAccountNumberThatIsNot5To11DigitsIsRefusedWithoutARequest) {
    for (const char* account : {"", "1234", "12a456", "123456789012", "+12345"}) {
        SCOPED_TRACE(account);
        type("haoma1", account);
        click("anniu1");
        EXPECT_TRUE(m_dialogs.lastText().contains(utf8("5到11位数字")));
    }
    EXPECT_TRUE(m_service.requests().empty());
}

TEST_F(BlogPageTest, DownloadingSavesEveryPostInTheChosenFormatAndTellsTheEnd) {
    useOptions({.posts = 5});
    click("anniu1");
    find<QComboBox>("zuhekuang1")->setCurrentIndex(0);
    click("xiazaianniu");
    EXPECT_EQ(labelText("biaoqian_2"), utf8("下载到了5篇日志"));
    EXPECT_EQ(m_dialogs.lastTitle(), utf8("友情提示"));
    EXPECT_EQ(m_dialogs.lastText(), utf8("下载完成！"));
    for (int number = 1; number <= 5; ++number) {
        SCOPED_TRACE(number);
        EXPECT_EQ(savedFile(BlogFormat::Html, number),
                  sample::samplePostPage(sample::samplePosts(5)[static_cast<std::size_t>(number - 1)]));
    }

    find<QComboBox>("zuhekuang1")->setCurrentIndex(1);
    click("xiazaianniu");
    EXPECT_TRUE(savedFile(BlogFormat::Text, 5).ends_with(blogFooter()));
}

TEST_F(BlogPageTest, PostsThatCouldNotBeSavedAreCountedInTheEndMessage) {
    useOptions({.posts = 3,
                .faults = {{.targetContains = "blogid=" + sample::samplePosts(3)[1].blogId,
                            .kind = sample::FaultKind::Status}}});
    click("anniu1");
    click("xiazaianniu");
    EXPECT_EQ(labelText("biaoqian_2"), utf8("下载到了2篇日志"));
    EXPECT_EQ(m_dialogs.lastText(), utf8("下载完成！\r\n有1篇日志未能保存。"));
}

TEST_F(BlogPageTest, PostsAreFetchedWithTheNumberThatListedThem) {
    useOptions({.posts = 2});
    click("anniu1");
    type("haoma1", "55555");
    m_service.clearRequests();
    click("xiazaianniu");
    for (const auto& request : m_service.requests())
        EXPECT_NE(request.target.find("uin=123456789&"), std::string::npos);
}

TEST_F(BlogPageTest, PopupCommandsCopyRemoveAndClear) {
    useOptions({.posts = 4});
    click("anniu1");

    choose("rizhicaidan", "复制标题");
    EXPECT_EQ(m_dialogs.clipboard, QString());
    choose("rizhicaidan", "删除日志");
    EXPECT_EQ(list()->rowCount(), 4);

    selectRow(list(), 2);
    choose("rizhicaidan", "复制标题");
    EXPECT_EQ(m_dialogs.clipboard, expectedTitles(4)[2]);
    choose("rizhicaidan", "删除日志");
    EXPECT_EQ(column(list(), 1),
              (std::vector<QString>{expectedTitles(4)[0], expectedTitles(4)[1], expectedTitles(4)[3]}));
    EXPECT_EQ(column(list(), 0), (std::vector<QString>{"1", "2", "3"}));
    EXPECT_EQ(m_window->blogPage().posts().size(), 3u);
    EXPECT_EQ(labelText("biaoqian_2"), QStringLiteral("3"));

    m_service.clearRequests();
    choose("rizhicaidan", "全部下载");
    EXPECT_EQ(m_service.requests().size(), 3u);
    EXPECT_EQ(m_dialogs.lastText(), utf8("下载完成！"));

    choose("rizhicaidan", "清空日志列表");
    EXPECT_EQ(list()->rowCount(), 0);
    EXPECT_EQ(labelText("biaoqian_2"), QString());
    m_service.clearRequests();
    choose("rizhicaidan", "全部下载");
    EXPECT_TRUE(m_service.requests().empty());
    EXPECT_EQ(m_dialogs.lastText(), utf8("列表中没有日志，请先获取日志列表。"));
}

} // namespace
} // namespace qzb
