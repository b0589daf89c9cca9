#include "ui/mood_page.h"

#include "store/file_writer.h"
#include "store/mood_file.h"
#include "ui/qt_text.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <filesystem>

namespace qzb {

MoodPage::MoodPage(QWidget* window, const ControlMap& controls, UserDialogs& dialogs)
    : Page(window, controls, dialogs), m_account(control<QLineEdit>("haoma2")),
      m_list(control<QTableWidget>("chaojiliebiaokuang2")), m_count(control<QLabel>("biaoqian6")) {
    setButtons({control<QPushButton>("anniu2")});
}

void MoodPage::fetchList() {
    runCommand([this] {
        const auto account = accountFrom(m_account);
        if (!account)
            return;
        clearRows();
        MoodList list = listMoods(*account);
        m_moods = std::move(list.entries);
        showMoods();
        if (!list.complete)
            tell(uiText("提示"),
                 uiText("说说列表可能不完整：连接服务器失败，或服务器拒绝了请求。已列出 %1 条说说。")
                     .arg(m_moods.size()),
                 UserDialogs::Icon::Warning);
        else if (m_moods.empty())
            tell(uiText("提示"), uiText("这个空间没有说说。"));
    });
}

void MoodPage::saveAs() {
    runCommand([this] {
        if (m_moods.empty()) {
            tell(uiText("提示"), uiText("列表中没有说说，请先获取说说列表。"));
            return;
        }
        const QString chosen =
            m_dialogs.chooseSaveFile(m_window, uiText("文本文件（*.txt） (*.txt)"), QStringLiteral("txt"));
        if (chosen.isEmpty())
            return;
        std::vector<std::string> texts;
        texts.reserve(m_moods.size());
        for (const MoodEntry& mood : m_moods)
            texts.push_back(mood.con);
        const std::filesystem::path path(chosen.toStdString());
        if (!saveMoodFile(toPathText(path), texts))
            tell(uiText("提示"), uiText("无法写入文件：%1").arg(chosen), UserDialogs::Icon::Critical);
    });
}

void MoodPage::copyMood() {
    if (const auto row = selectedRow(m_list))
        m_dialogs.setClipboardText(cellText(m_list, *row, 1));
}

void MoodPage::removeMood() {
    runCommand([this] {
        const auto row = selectedRow(m_list);
        if (!row)
            return;
        m_moods.erase(m_moods.begin() + *row);
        removeRow(m_list, *row);
        m_count->setText(toQString(moodCountText(m_moods.size())));
    });
}

void MoodPage::clearList() {
    runCommand([this] { clearRows(); });
}

void MoodPage::showMoods() {
    std::vector<QStringList> rows;
    rows.reserve(m_moods.size());
    for (const MoodEntry& mood : m_moods)
        rows.push_back({toQString(mood.con)});
    setRows(m_list, rows);
    m_count->setText(toQString(moodCountText(m_moods.size())));
}

void MoodPage::clearRows() {
    m_moods.clear();
    setRows(m_list, {});
    m_count->clear();
}

} // namespace qzb
