#pragma once

#include "qzone/blogs.h"
#include "ui/page.h"

class QComboBox;
class QLabel;

namespace qzb {

// The first page, "下载日志": lists an account's posts and saves them in the chosen format.
class BlogPage : public Page {
    Q_OBJECT
public:
    // `base` is the folder (a path text) under which the blog folders are made.
    BlogPage(QWidget* window, const ControlMap& controls, UserDialogs& dialogs, std::string base);

    void fetchList();
    // Saves every listed post.
    void downloadAll();
    void copyTitle();
    void removePost();
    void clearList();

    [[nodiscard]] const std::vector<BlogEntry>& posts() const { return m_posts; }

private:
    void showPosts();
    void clearRows();
    void savePosts();

    QLineEdit* m_account;
    QLineEdit* m_saveName;
    QComboBox* m_format;
    QTableWidget* m_list;
    QLabel* m_count;
    std::string m_base;
    std::string m_listedAccount; // the posts are fetched with the number that listed them
    std::vector<BlogEntry> m_posts;
};

} // namespace qzb
