#pragma once

#include "scripted_dialogs.h"
#include "service_fixture.h"
#include "store/file_writer.h"
#include "temp_folder.h"
#include "ui/main_window.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QTableWidget>

#include <memory>

namespace qzb {

[[nodiscard]] inline QString utf8(const char* text) { return QString::fromUtf8(text); }

// The main window on the offscreen platform, talking to the sample service,
// saving below a temporary folder, its dialogs answered by the test.
class WindowTest : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        m_window = std::make_unique<MainWindow>(m_dialogs, toPathText(m_temp.path()));
        m_window->show();
    }

    void TearDown() override {
        m_window.reset();
        ServiceTest::TearDown();
    }

    template <typename Widget = QWidget> [[nodiscard]] Widget* find(const char* name) const {
        return qobject_cast<Widget*>(m_window->control(QString::fromUtf8(name)));
    }

    void showPage(int page) const { find<QTabWidget>("xuanzejia")->setCurrentIndex(page); }
    void click(const char* button) const { find<QAbstractButton>(button)->click(); }
    void type(const char* box, const char* text) const {
        find<QLineEdit>(box)->setText(QString::fromUtf8(text));
    }
    [[nodiscard]] QString labelText(const char* label) const { return find<QLabel>(label)->text(); }

    [[nodiscard]] static QString cell(const QTableWidget* list, int row, int column) {
        const QTableWidgetItem* item = list->item(row, column);
        return item ? item->text() : QString();
    }

    [[nodiscard]] static std::vector<QString> column(const QTableWidget* list, int column) {
        std::vector<QString> cells;
        for (int row = 0; row < list->rowCount(); ++row)
            cells.push_back(cell(list, row, column));
        return cells;
    }

    static void selectRow(QTableWidget* list, int row) { list->selectRow(row); }

    // Chooses `command` in the popup menu `menu`, as the user would.
    void choose(const char* menu, const char* command) {
        auto popup = m_window->makePopupMenu(QString::fromUtf8(menu));
        for (QAction* action : popup->actions()) {
            if (action->text() == QString::fromUtf8(command)) {
                action->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no item " << command << " in " << menu;
    }

    TempFolder m_temp;
    ScriptedDialogs m_dialogs;
    std::unique_ptr<MainWindow> m_window;
};

} // namespace qzb
