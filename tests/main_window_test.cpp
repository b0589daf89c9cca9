#include "application_environment.h"
#include "ui/about_window.h"
#include "ui/blog_page.h"
#include "ui/link_label.h"
#include "ui/main_window_description.h"
#include "ui/qt_text.h"
#include "ui/tray_icon.h"
#include "window_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QMenuBar>
#include <QMovie>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace qzb {
namespace {

[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment<QApplication>);

class MainWindowTest : public WindowTest {};

TEST_F(MainWindowTest, EveryDescribedControlExistsWithItsNameKindAndPlace) {
    for (const ControlDescription& d : mainWindowDescription().controls) {
        SCOPED_TRACE(d.name.toStdString());
        QWidget* widget = m_window->control(d.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->objectName(), d.name);
        EXPECT_EQ(widget->size(), d.place.size());
        const char* expectedClass = nullptr;
        switch (d.kind) {
        case ControlKind::TabControl:
            expectedClass = "QTabWidget";
            break;
        case ControlKind::GroupBox:
            expectedClass = "QGroupBox";
            break;
        case ControlKind::Label:
        case ControlKind::PictureBox:
            expectedClass = "QLabel";
            break;
        case ControlKind::EditBox:
            expectedClass = "QLineEdit";
            break;
        case ControlKind::Button:
            expectedClass = "QPushButton";
            break;
        case ControlKind::ComboBox:
            expectedClass = "QComboBox";
            break;
        case ControlKind::ListView:
            expectedClass = "QTableWidget";
            break;
        case ControlKind::Hyperlink:
            expectedClass = "qzb::LinkLabel";
            break;
        }
        EXPECT_STREQ(widget->metaObject()->className(), expectedClass);
        // Controls of a page are described relative to the tab control.
        QWidget* tabs = find("xuanzejia");
        if (d.page >= 0) {
            EXPECT_EQ(widget->mapTo(tabs, QPoint(0, 0)), d.place.topLeft());
        }
    }
}

TEST_F(MainWindowTest, OpensOnTheFirstPageWithItsBoxesFilledAndListsEmpty) {
    EXPECT_EQ(m_window->windowTitle(), utf8("墨枢QQ空间日志,相册备份工具  V1.1"));
    auto* tabs = find<QTabWidget>("xuanzejia");
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), utf8("下载日志"));
    EXPECT_EQ(tabs->tabText(1), utf8("下载说说"));
    EXPECT_EQ(tabs->tabText(2), utf8("下载相册"));
    for (const char* box : {"haoma1", "haoma2", "haoma3"})
        EXPECT_EQ(find<QLineEdit>(box)->text(), utf8(kDefaultAccount));
    EXPECT_EQ(find<QLineEdit>("bianjikuang4")->text(), utf8("下载的日志"));
    EXPECT_EQ(find<QLineEdit>("bianjikuang2")->text(), QString());
    for (const char* list : {"超级列表框10", "chaojiliebiaokuang2", "超级列表框1"}) {
        EXPECT_EQ(find<QTableWidget>(list)->rowCount(), 0);
        EXPECT_EQ(find<QTableWidget>(list)->selectionMode(), QAbstractItemView::SingleSelection);
        EXPECT_EQ(find<QTableWidget>(list)->selectionBehavior(), QAbstractItemView::SelectRows);
    }
    for (const char* label : {"biaoqian_2", "biaoqian6", "标签_8"}) {
        EXPECT_EQ(labelText(label), QString());
        EXPECT_NE(find(label)->styleSheet().indexOf(QStringLiteral("#ff0000")), -1);
    }
    auto* format = find<QComboBox>("zuhekuang1");
    EXPECT_FALSE(format->isEditable());
    ASSERT_EQ(format->count(), 3);
    EXPECT_EQ(format->itemText(0), utf8("html格式"));
    EXPECT_EQ(format->itemText(1), utf8("txt格式"));
    EXPECT_EQ(format->itemText(2), utf8("Doc格式"));
    EXPECT_EQ(format->currentText(), utf8("txt格式"));
    auto* name = find<QComboBox>("组合框1");
    EXPECT_TRUE(name->isEditable());
    EXPECT_EQ(name->count(), 0);
    EXPECT_EQ(name->currentText(), QString());
    EXPECT_EQ(find<QTableWidget>("超级列表框10")->horizontalHeaderItem(1)->text(), utf8("日志"));
    EXPECT_EQ(find<QTableWidget>("超级列表框10")->columnWidth(2), 78);
    EXPECT_EQ(labelText("标签7"), utf8("当前版本：V1.1"));
    auto* banner = find<QLabel>("图片框1");
    ASSERT_NE(banner->movie(), nullptr);
    EXPECT_EQ(banner->movie()->frameCount(), 10);
    EXPECT_EQ(banner->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(MainWindowTest, SwitchingPagesShowsOnlyThatPagesControls) {
    struct Case {
        int page;
        const char* shown;
        const char* hidden;
    };
    const Case cases[] = {
        {0, "anniu1", "anniu2"}, {1, "anniu2", "anniu3"}, {2, "xiazaianniu2", "xiazaianniu"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page);
        find<QTabWidget>("xuanzejia")->setCurrentIndex(c.page);
        EXPECT_TRUE(find(c.shown)->isVisible());
        EXPECT_FALSE(find(c.hidden)->isVisible());
        EXPECT_TRUE(find("标签7")->isVisible());
    }
}

TEST_F(MainWindowTest, TheFrameIsFixedWithoutAMaximiseButtonAndEscCloses) {
    EXPECT_EQ(m_window->minimumSize(), m_window->maximumSize());
    EXPECT_FALSE(m_window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(m_window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(m_window->windowIcon().isNull());
    QTest::keyClick(find("haoma1"), Qt::Key_Escape);
    EXPECT_FALSE(m_window->isVisible());
}

TEST_F(MainWindowTest, TheMenuBarHoldsOnlyTheMenuWithItsFourItems) {
    const QList<QAction*> menus = m_window->menuBar()->actions();
    ASSERT_EQ(menus.size(), 1);
    EXPECT_EQ(menus[0]->text(), utf8("菜单"));
    QStringList items;
    for (QAction* item : menus[0]->menu()->actions())
        items << item->text();
    EXPECT_EQ(items, (QStringList{utf8("还原"), utf8("关闭"), utf8("关于"), utf8("访问官网")}));

    menus[0]->menu()->actions()[3]->trigger();
    ASSERT_EQ(m_dialogs.opened.size(), 1u);
    EXPECT_EQ(m_dialogs.opened[0], QUrl(siteAddress()));
    menus[0]->menu()->actions()[1]->trigger();
    EXPECT_FALSE(m_window->isVisible());
}

TEST_F(MainWindowTest, ThePopupMenusHoldTheirListsCommands) {
    struct Case {
        const char* menu;
        QStringList items;
    };
    const Case cases[] = {
        {"rizhicaidan", {utf8("复制标题"), utf8("删除日志"), utf8("清空日志列表"), utf8("全部下载")}},
        {"shuoshuocaidan", {utf8("另存为"), utf8("复制说说"), utf8("删除说说"), utf8("清空说说列表")}},
        {"xiazaixiangce", {utf8("开始下载")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.menu);
        const auto menu = m_window->makePopupMenu(utf8(c.menu));
        QStringList items;
        for (QAction* action : menu->actions())
            items << action->text();
        EXPECT_EQ(items, c.items);
    }
}

TEST_F(MainWindowTest, ARightPressOnAListOpensItsMenuBesideTheMouse) {
    struct Case {
        const char* list;
        int page;
        QString firstItem;
    };
    const Case cases[] = {{"超级列表框10", 0, utf8("复制标题")},
                          {"chaojiliebiaokuang2", 1, utf8("另存为")},
                          {"超级列表框1", 2, utf8("开始下载")}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list);
        showPage(c.page);
        QApplication::processEvents();
        QWidget* viewport = find<QTableWidget>(c.list)->viewport();
        const QPoint at(20, 30);
        QPoint shownAt;
        QString firstItem;
        // The menu runs its own loop; a timer looks for it and closes it.
        QTimer watcher;
        QObject::connect(&watcher, &QTimer::timeout, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                shownAt = menu->pos();
                firstItem = menu->actions().value(0)->text();
                menu->close();
            }
        });
        watcher.start(20);
        QTest::mousePress(viewport, Qt::RightButton, Qt::NoModifier, at);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !firstItem.isEmpty(); }, 10000));
        EXPECT_EQ(firstItem, c.firstItem);
        EXPECT_EQ(shownAt, viewport->mapToGlobal(at) + QPoint(3, 3));
        QTest::mouseRelease(viewport, Qt::RightButton, Qt::NoModifier, at);
    }
}

TEST_F(MainWindowTest, TheLinksCheckForUpdatesAndOpenTheSite) {
    int checks = 0;
    QObject::connect(m_window.get(), &MainWindow::updateCheckRequested, [&] { ++checks; });
    QTest::mouseClick(find("超级链接框1"), Qt::LeftButton);
    EXPECT_EQ(checks, 1);
    EXPECT_TRUE(m_dialogs.opened.empty());
    QTest::mouseClick(find("超级链接框2"), Qt::LeftButton);
    QTest::mouseClick(find("图片框1"), Qt::LeftButton);
    EXPECT_EQ(m_dialogs.opened, (std::vector<QUrl>{QUrl(siteAddress()), QUrl(siteAddress())}));
}

TEST_F(MainWindowTest, TheAboutWindowShowsItsFieldsInAFixedFrame) {
    m_window->openAbout();
    AboutWindow* about = m_window->aboutWindow();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->minimumSize(), QSize(258, 229));
    EXPECT_EQ(about->maximumSize(), QSize(258, 229));
    EXPECT_FALSE(about->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(about->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    auto text = [about](const char* name) { return about->findChild<QLabel*>(utf8(name))->text(); };
    EXPECT_EQ(text("guanyuwenzi"), utf8("墨枢空间日志，说说备份软件 V1.1"));
    EXPECT_EQ(text("zuozhemingzi"), utf8("墨枢"));
    EXPECT_FALSE(text("zuozheqq").isEmpty());
    auto* link = about->findChild<LinkLabel*>(utf8("zuozheguanwang"));
    EXPECT_EQ(link->url(), QUrl(siteAddress()));
    EXPECT_TRUE(about->findChild<QLabel*>(utf8("guanyuwenzi"))->font().bold());
    EXPECT_EQ(about->findChild<QLabel*>(utf8("图片框1"))->pixmap().size(), QSize(82, 198));
    QTest::keyClick(about, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_EQ(m_window->aboutWindow(), nullptr);
}

TEST_F(MainWindowTest, MinimisingSetsTheTrayIconAndRestoringRemovesIt) {
    EXPECT_FALSE(m_window->trayIcon().isShown());
    m_window->showMinimized();
    QApplication::processEvents();
    EXPECT_LE(toGbk(m_window->trayIcon().tip()).size(), kTrayTipBytes);
    EXPECT_TRUE(m_window->windowTitle().startsWith(m_window->trayIcon().tip()));
    emit m_window->trayIcon().restoreRequested();
    EXPECT_TRUE(m_window->isVisible());
    EXPECT_FALSE(m_window->isMinimized());
}

TEST(TrayTip, IsCutTo62BytesOnACharacterBoundary) {
    struct Case {
        QString tip;
        QString cut;
    };
    const QString title = utf8("墨枢QQ空间日志,相册备份工具  V1.1");
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    const Case cases[] = {
        {title, title},
        {QString(70, QLatin1Char('a')), QString(62, QLatin1Char('a'))},
        {QStringLiteral("a") + QString(40, QChar(0x65E5)), QStringLiteral("a") + QString(30, QChar(0x65E5))},
        {QString(31, QChar(0x65E5)) + QStringLiteral("xyz"), QString(31, QChar(0x65E5))},
        {QString(16, QChar(0x65E5)) + emoji.repeated(8), QString(16, QChar(0x65E5)) + emoji.repeated(7)},
        {QString(), QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tip.toStdString());
        EXPECT_EQ(cutTrayTip(c.tip), c.cut);
        EXPECT_LE(toGbk(cutTrayTip(c.tip)).size(), 62u);
    }
}

} // namespace
} // namespace qzb
