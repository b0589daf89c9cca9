#pragma once

#include "ui/user_dialogs.h"

#include <QString>
#include <QUrl>

#include <vector>

namespace qzb {

// Answers the program's questions as a test script says, and notes what the
// program told the user.
class ScriptedDialogs final : public UserDialogs {
public:
    struct Message {
        QString title;
        QString text;
        Icon icon;
    };

    void showMessage(QWidget*, const QString& title, const QString& text, Icon icon) override {
        messages.push_back({title, text, icon});
    }
    bool askYesNo(QWidget*, const QString& title, const QString& text) override {
        messages.push_back({title, text, Icon::Question});
        return answerYes;
    }
    QString chooseSaveFile(QWidget*, const QString& filter, const QString& defaultSuffix) override {
        saveFilter = filter;
        saveSuffix = defaultSuffix;
        return saveFile;
    }
    QString chooseFolder(QWidget*, const QString&) override { return folder; }
    void setClipboardText(const QString& text) override { clipboard = text; }
    bool openUrl(const QUrl& url) override {
        opened.push_back(url);
        return true;
    }

    [[nodiscard]] QString lastText() const { return messages.empty() ? QString() : messages.back().text; }
    [[nodiscard]] QString lastTitle() const { return messages.empty() ? QString() : messages.back().title; }

    std::vector<Message> messages;
    bool answerYes = false;
    QString saveFile;
    QString saveFilter;
    QString saveSuffix;
    QString folder;
    QString clipboard;
    std::vector<QUrl> opened;
};

} // namespace qzb
