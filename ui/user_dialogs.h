#pragma once

#include <QString>
#include <QUrl>

class QWidget;

namespace qzb {

// Everything that asks the user something or leaves the program's windows:
// message boxes, file and folder choosers, the clipboard, the browser. The
// program uses QtUserDialogs; tests answer through an implementation of their own.
class UserDialogs {
public:
    enum class Icon { Information, Warning, Critical, Question };

    virtual ~UserDialogs() = default;

    virtual void showMessage(QWidget* owner, const QString& title, const QString& text, Icon icon) = 0;
    // True for Yes.
    virtual bool askYesNo(QWidget* owner, const QString& title, const QString& text) = 0;
    // The chosen file, or an empty text when the user cancelled. The dialog asks
    // before replacing a file and adds `defaultSuffix` to a name typed without one.
    virtual QString chooseSaveFile(QWidget* owner, const QString& filter, const QString& defaultSuffix) = 0;
    // The chosen folder, or an empty text when the user cancelled.
    virtual QString chooseFolder(QWidget* owner, const QString& title) = 0;
    virtual void setClipboardText(const QString& text) = 0;
    virtual bool openUrl(const QUrl& url) = 0;
};

class QtUserDialogs final : public UserDialogs {
public:
    void showMessage(QWidget* owner, const QString& title, const QString& text, Icon icon) override;
    bool askYesNo(QWidget* owner, const QString& title, const QString& text) override;
    QString chooseSaveFile(QWidget* owner, const QString& filter, const QString& defaultSuffix) override;
    QString chooseFolder(QWidget* owner, const QString& title) override;
    void setClipboardText(const QString& text) override;
    bool openUrl(const QUrl& url) override;
};

} // namespace qzb
