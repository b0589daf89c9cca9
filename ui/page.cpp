#include "ui/page.h"

#include "qzone/account_number.h"
#include "ui/qt_text.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

namespace qzb {

Page::Page(QWidget* window, const ControlMap& controls, UserDialogs& dialogs)
    : QObject(window), m_window(window), m_dialogs(dialogs), m_controls(controls) {}

void Page::runCommand(const std::function<void()>& command) {
    if (m_busy)
        return;
    m_busy = true;
    m_stopRequested = false;
    for (QPushButton* button : m_buttons)
        button->setEnabled(false);
    command();
    for (QPushButton* button : m_buttons)
        button->setEnabled(true);
    m_busy = false;
    emit commandFinished();
}

void Page::letEventsRun() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

std::optional<std::string> Page::accountFrom(QLineEdit* box) {
    const std::string account = toGbk(box->text().trimmed());
    if (isValidAccountNumber(account))
        return account;
    tell(uiText("提示"), uiText("请输入正确的QQ号码：5到11位数字。"), UserDialogs::Icon::Warning);
    box->setFocus();
    return std::nullopt;
}

void Page::tell(const QString& title, const QString& text, UserDialogs::Icon icon) {
    m_dialogs.showMessage(m_window, title, text, icon);
}

void Page::tellGbk(std::string_view title, std::string_view text, UserDialogs::Icon icon) {
    tell(toQString(title), toQString(text), icon);
}

void setRows(QTableWidget* list, const std::vector<QStringList>& rows) {
    list->clearContents();
    list->setRowCount(static_cast<int>(rows.size()));
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        list->setItem(row, 0, new QTableWidgetItem(QString::number(row + 1)));
        const QStringList& cells = rows[static_cast<std::size_t>(row)];
        for (int column = 0; column < cells.size(); ++column)
            list->setItem(row, column + 1, new QTableWidgetItem(cells[column]));
    }
}

void removeRow(QTableWidget* list, int row) {
    list->removeRow(row);
    for (int below = row; below < list->rowCount(); ++below)
        list->item(below, 0)->setText(QString::number(below + 1));
}

std::optional<int> selectedRow(const QTableWidget* list) {
    const auto rows = list->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return rows.constFirst().row();
}

QString cellText(const QTableWidget* list, int row, int column) {
    const QTableWidgetItem* item = list->item(row, column);
    return item ? item->text() : QString();
}

QString uiText(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace qzb
