#pragma once

#include "ui/about_window.h"
#include "ui/form_model.h"
#include "ui/user_dialogs.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <string>

class QMenu;

namespace qzb {

class AlbumPage;
class BlogPage;
class MoodPage;
class TrayIcon;

// The main window: its frame, the tab control with the three pages, the
// banner, the version line and the two links, the menu bar with "菜单", the
// three lists' popup menus and the icon in the notification area.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // `base` is the program's directory as a path text; the blog folders go there.
    MainWindow(UserDialogs& dialogs, std::string base, QWidget* parent = nullptr);
    ~MainWindow() override;

    [[nodiscard]] QWidget* control(const QString& name) const;
    [[nodiscard]] BlogPage& blogPage() const { return *m_blogPage; }
    [[nodiscard]] TrayIcon& trayIcon();
    [[nodiscard]] AboutWindow* aboutWindow() const { return m_about; }

    // The popup menu named by a hidden top-level item of the window's menu,
    // its items bound to their commands; the caller shows it.
    [[nodiscard]] std::unique_ptr<QMenu> makePopupMenu(const QString& name);
    // Opens that menu at `globalPosition` moved 3 pixels right and down.
    void popUpMenu(const QString& name, QPoint globalPosition);

    void restore();
    void openAbout();

signals:
    void updateCheckRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void bindHandlers();
    void buildMenuBar(const std::vector<MenuItemDescription>& menu);
    void fitFrameAndCentre();
    void openAddress(const QUrl& url);
    void closeWhenIdle();
    [[nodiscard]] bool anyPageBusy() const;

    UserDialogs& m_dialogs;
    WindowDescription m_description;
    ControlMap m_controls;
    BlogPage* m_blogPage;
    MoodPage* m_moodPage;
    AlbumPage* m_albumPage;
    TrayIcon* m_tray = nullptr;
    QPointer<AboutWindow> m_about;
    std::map<QString, std::function<void()>> m_commands;
    std::map<QObject*, QString> m_listMenus; // list viewport -> its popup menu
    bool m_placed = false;
    bool m_closePending = false;
};

} // namespace qzb
