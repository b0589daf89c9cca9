#pragma once

#include "ui/form_model.h"
#include "ui/user_dialogs.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLineEdit;
class QPushButton;
class QTableWidget;
class QWidget;

namespace qzb {

// What the three pages share: finding their controls, checking the account
// number, telling the user, and running one command at a time. While a
// command runs, pending events keep the window answering; the page's own
// buttons are off and its commands refused, so its list cannot change under
// a running walk.
class Page : public QObject {
    Q_OBJECT
public:
    Page(QWidget* window, const ControlMap& controls, UserDialogs& dialogs);

    [[nodiscard]] bool busy() const { return m_busy; }
    // Asks a running walk to end after its current step.
    void requestStop() { m_stopRequested = true; }

signals:
    void commandFinished();

protected:
    template <typename Widget> [[nodiscard]] Widget* control(const char* name) const {
        auto found = m_controls.find(QString::fromUtf8(name));
        return found == m_controls.end() ? nullptr : qobject_cast<Widget*>(found->second);
    }

    // Runs `command` unless a command of this page is running already.
    void runCommand(const std::function<void()>& command);
    [[nodiscard]] bool stopRequested() const { return m_stopRequested; }
    // Lets the window repaint and answer between the steps of a command.
    static void letEventsRun();

    // The account number typed into `box`, or nothing after telling the user it is not one.
    [[nodiscard]] std::optional<std::string> accountFrom(QLineEdit* box);
    void tell(const QString& title, const QString& text,
              UserDialogs::Icon icon = UserDialogs::Icon::Information);
    void tellGbk(std::string_view title, std::string_view text,
                 UserDialogs::Icon icon = UserDialogs::Icon::Information);

    void setButtons(std::vector<QPushButton*> buttons) { m_buttons = std::move(buttons); }

    QWidget* m_window;
    UserDialogs& m_dialogs;

private:
    const ControlMap& m_controls;
    std::vector<QPushButton*> m_buttons;
    bool m_busy = false;
    bool m_stopRequested = false;
};

// Rows of a list view: one per record, the first column the running number from 1.
void setRows(QTableWidget* list, const std::vector<QStringList>& rows);
void removeRow(QTableWidget* list, int row);
[[nodiscard]] std::optional<int> selectedRow(const QTableWidget* list);
[[nodiscard]] QString cellText(const QTableWidget* list, int row, int column);

// A text of the program's messages, written in the source as UTF-8.
[[nodiscard]] QString uiText(const char* utf8);

} // namespace qzb
