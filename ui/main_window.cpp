#include "ui/main_window.h"

#include "res/pictures.h"
#include "ui/about_window.h"
#include "ui/album_page.h"
#include "ui/blog_page.h"
#include "ui/link_label.h"
#include "ui/main_window_description.h"
#include "ui/mood_page.h"
#include "ui/tray_icon.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTimer>

namespace qzb {
namespace {

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

} // namespace

MainWindow::MainWindow(UserDialogs& dialogs, std::string base, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      m_dialogs(dialogs), m_description(mainWindowDescription()) {
    setObjectName(QStringLiteral("zhuchuangkou"));
    setWindowTitle(m_description.title);
    setWindowIcon(QIcon(QString::fromLatin1(kAppIconResource)));
    auto* clientArea = new QWidget(this);
    setCentralWidget(clientArea);
    m_controls = buildControls(clientArea, m_description.controls);
    buildMenuBar(m_description.menu);
    setFixedSize(m_description.outerSize);

    m_blogPage = new BlogPage(this, m_controls, m_dialogs, std::move(base));
    m_moodPage = new MoodPage(this, m_controls, m_dialogs);
    m_albumPage = new AlbumPage(this, m_controls, m_dialogs);
    bindHandlers();
}

MainWindow::~MainWindow() = default;

QWidget* MainWindow::control(const QString& name) const {
    auto found = m_controls.find(name);
    return found == m_controls.end() ? nullptr : found->second;
}

// Every handler of the window, bound by control name or command name.
void MainWindow::bindHandlers() {
    m_commands = {
        {utf8("mood.saveAs"), [this] { m_moodPage->saveAs(); }},
        {utf8("mood.copy"), [this] { m_moodPage->copyMood(); }},
        {utf8("mood.remove"), [this] { m_moodPage->removeMood(); }},
        {utf8("mood.clear"), [this] { m_moodPage->clearList(); }},
        {utf8("blog.copyTitle"), [this] { m_blogPage->copyTitle(); }},
        {utf8("blog.remove"), [this] { m_blogPage->removePost(); }},
        {utf8("blog.clear"), [this] { m_blogPage->clearList(); }},
        {utf8("blog.downloadAll"), [this] { m_blogPage->downloadAll(); }},
        {utf8("window.restore"), [this] { restore(); }},
        {utf8("window.close"), [this] { close(); }},
        {utf8("window.about"), [this] { openAbout(); }},
        {utf8("window.visitSite"), [this] { openAddress(QUrl(siteAddress())); }},
        {utf8("album.download"), [this] { m_albumPage->downloadAlbum(); }},
    };
    const std::pair<const char*, std::function<void()>> buttons[] = {
        {"anniu1", [this] { m_blogPage->fetchList(); }},
        {"xiazaianniu", [this] { m_blogPage->downloadAll(); }},
        {"anniu2", [this] { m_moodPage->fetchList(); }},
        {"anniu3", [this] { m_albumPage->fetchList(); }},
        {"xiazaianniu1", [this] { m_albumPage->chooseFolder(); }},
        {"xiazaianniu2", [this] { m_albumPage->downloadAlbum(); }},
    };
    for (const auto& [name, handler] : buttons)
        connect(qobject_cast<QPushButton*>(control(utf8(name))), &QPushButton::clicked, this, handler);

    const std::pair<const char*, const char*> listMenus[] = {{"超级列表框10", "rizhicaidan"},
                                                             {"chaojiliebiaokuang2", "shuoshuocaidan"},
                                                             {"超级列表框1", "xiazaixiangce"}};
    for (const auto& [list, menu] : listMenus) {
        QWidget* viewport = qobject_cast<QTableWidget*>(control(utf8(list)))->viewport();
        viewport->installEventFilter(this);
        m_listMenus[viewport] = utf8(menu);
    }
    control(utf8("图片框1"))->installEventFilter(this);

    connect(qobject_cast<LinkLabel*>(control(utf8("超级链接框1"))), &LinkLabel::pressed, this,
            &MainWindow::updateCheckRequested);
    connect(qobject_cast<LinkLabel*>(control(utf8("超级链接框2"))), &LinkLabel::opened, this,
            &MainWindow::openAddress);
    for (Page* page : std::initializer_list<Page*>{m_blogPage, m_moodPage, m_albumPage})
        connect(page, &Page::commandFinished, this, &MainWindow::closeWhenIdle);
}

void MainWindow::buildMenuBar(const std::vector<MenuItemDescription>& menu) {
    QMenu* current = nullptr;
    for (const MenuItemDescription& item : menu) {
        if (item.level == 0)
            current = item.hidden ? nullptr : menuBar()->addMenu(item.caption);
        else if (current)
            current->addAction(item.caption, this,
                               [this, command = item.command] { m_commands.at(command)(); });
    }
}

std::unique_ptr<QMenu> MainWindow::makePopupMenu(const QString& name) {
    auto menu = std::make_unique<QMenu>(this);
    bool inside = false;
    for (const MenuItemDescription& item : m_description.menu) {
        if (item.level == 0) {
            inside = item.hidden && item.caption == name;
            continue;
        }
        if (inside)
            menu->addAction(item.caption, this, [this, command = item.command] { m_commands.at(command)(); });
    }
    return menu;
}

void MainWindow::popUpMenu(const QString& name, QPoint globalPosition) {
    const std::unique_ptr<QMenu> menu = makePopupMenu(name);
    menu->exec(globalPosition + QPoint(3, 3));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress)
        return QMainWindow::eventFilter(watched, event);
    const auto* press = static_cast<QMouseEvent*>(event);
    if (auto menu = m_listMenus.find(watched);
        menu != m_listMenus.end() && press->button() == Qt::RightButton) {
        // The list selects the row under the mouse first; the menu follows.
        QTimer::singleShot(0, this, [this, name = menu->second, at = press->globalPosition().toPoint()] {
            popUpMenu(name, at);
        });
        return false;
    }
    if (watched == control(utf8("图片框1")) && press->button() == Qt::LeftButton)
        openAddress(QUrl(siteAddress()));
    return QMainWindow::eventFilter(watched, event);
}

// Made at the first minimising: the notification area is of no use before,
// and asking the desktop for it would slow every start.
TrayIcon& MainWindow::trayIcon() {
    if (!m_tray) {
        m_tray = new TrayIcon(windowIcon(), windowTitle(), this);
        connect(m_tray, &TrayIcon::restoreRequested, this, &MainWindow::restore);
        connect(m_tray, &TrayIcon::closeRequested, this, &QWidget::close);
    }
    return *m_tray;
}

void MainWindow::restore() {
    showNormal();
    raise();
    activateWindow();
    if (m_tray)
        m_tray->hide();
}

void MainWindow::openAbout() {
    if (!m_about) {
        m_about = new AboutWindow(this);
        m_about->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_about, &AboutWindow::linkOpened, this, &MainWindow::openAddress);
    }
    m_about->show();
    m_about->raise();
    if (const QScreen* screen = m_about->screen())
        m_about->move(screen->availableGeometry().center() - m_about->rect().center());
}

void MainWindow::openAddress(const QUrl& url) {
    m_dialogs.openUrl(url);
}

// Esc reaches the window from any control that does not use it itself.
void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized())
        return;
    trayIcon().show();
    // Where there is a notification area the window leaves the taskbar for it.
    if (QSystemTrayIcon::isSystemTrayAvailable())
        QTimer::singleShot(0, this, &QWidget::hide);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!m_placed) {
        m_placed = true;
        QTimer::singleShot(0, this, &MainWindow::fitFrameAndCentre);
    }
}

// The described size is the outer size; the window system's frame is known
// only once the window is shown.
void MainWindow::fitFrameAndCentre() {
    const QSize frame = frameGeometry().size() - geometry().size();
    setFixedSize(m_description.outerSize - frame);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - frameGeometry().center() + pos());
}

bool MainWindow::anyPageBusy() const {
    return m_blogPage->busy() || m_moodPage->busy() || m_albumPage->busy();
}

// A close while a command runs stops its walk after the current step; the
// window closes once the command has returned, never under its feet.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (anyPageBusy()) {
        m_closePending = true;
        m_blogPage->requestStop();
        m_moodPage->requestStop();
        m_albumPage->requestStop();
        event->ignore();
        return;
    }
    if (m_about)
        m_about->close();
    if (m_tray)
        m_tray->hide();
    event->accept();
}

void MainWindow::closeWhenIdle() {
    if (m_closePending && !anyPageBusy())
        QTimer::singleShot(0, this, &QWidget::close);
}

} // namespace qzb
