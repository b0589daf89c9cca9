#include "ui/blog_page.h"

#include "store/blog_files.h"
#include "store/file_writer.h"
#include "ui/qt_text.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace qzb {

BlogPage::BlogPage(QWidget* window, const ControlMap& controls, UserDialogs& dialogs, std::string base)
    : Page(window, controls, dialogs), m_account(control<QLineEdit>("haoma1")),
      m_saveName(control<QLineEdit>("bianjikuang4")), m_format(control<QComboBox>("zuhekuang1")),
      m_list(control<QTableWidget>("超级列表框10")), m_count(control<QLabel>("biaoqian_2")),
      m_base(std::move(base)) {
    setButtons({control<QPushButton>("anniu1"), control<QPushButton>("xiazaianniu")});
}

void BlogPage::fetchList() {
    runCommand([this] {
        const auto account = accountFrom(m_account);
        if (!account)
            return;
        clearRows();
        BlogList list = listBlogs(*account);
        m_listedAccount = *account;
        m_posts = std::move(list.entries);
        showPosts();
        if (!list.complete)
            tell(uiText("提示"),
                 uiText("日志列表可能不完整：连接服务器失败，或服务器拒绝了请求。已列出 %1 篇日志。")
                     .arg(m_posts.size()),
                 UserDialogs::Icon::Warning);
        else if (m_posts.empty())
            tell(uiText("提示"), uiText("这个空间没有日志。"));
    });
}

void BlogPage::downloadAll() {
    runCommand([this] { savePosts(); });
}

void BlogPage::savePosts() {
    if (m_posts.empty()) {
        tell(uiText("提示"), uiText("列表中没有日志，请先获取日志列表。"));
        return;
    }
    const BlogFormat format = blogFormatFromChoice(toGbk(m_format->currentText()));
    if (!prepareBlogFolders(m_base, format)) {
        tell(uiText("提示"),
             uiText("无法创建保存日志的文件夹：%1")
                 .arg(toQString(format == BlogFormat::Html ? blogFolder(m_base) : blogTextFolder(m_base))),
             UserDialogs::Icon::Critical);
        return;
    }
    const std::string saveName = toGbk(m_saveName->text());
    const DownloadOutcome outcome = downloadBlogPosts(
        m_listedAccount, m_posts,
        [&](const BlogEntry&, int number, std::string_view page) {
            return saveBlogPost(m_base, format, saveName, number, page);
        },
        [this](const std::string& progress) {
            m_count->setText(toQString(progress));
            letEventsRun();
        },
        [this] { return stopRequested(); });
    if (!outcome.stopped)
        tellGbk(blogEndTitle(), blogEndMessage(outcome));
}

void BlogPage::copyTitle() {
    if (const auto row = selectedRow(m_list))
        m_dialogs.setClipboardText(cellText(m_list, *row, 1));
}

void BlogPage::removePost() {
    runCommand([this] {
        const auto row = selectedRow(m_list);
        if (!row)
            return;
        m_posts.erase(m_posts.begin() + *row);
        removeRow(m_list, *row);
        m_count->setText(QString::number(m_posts.size()));
    });
}

void BlogPage::clearList() {
    runCommand([this] { clearRows(); });
}

void BlogPage::showPosts() {
    std::vector<QStringList> rows;
    rows.reserve(m_posts.size());
    for (const BlogEntry& post : m_posts)
        rows.push_back({toQString(post.title), toQString(post.blogId)});
    setRows(m_list, rows);
    m_count->setText(QString::number(m_posts.size()));
}

void BlogPage::clearRows() {
    m_posts.clear();
    setRows(m_list, {});
    m_count->clear();
}

} // namespace qzb
