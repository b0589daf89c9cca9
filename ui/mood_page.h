#pragma once

#include "qzone/moods.h"
#include "ui/page.h"

class QLabel;

namespace qzb {

// The second page, "下载说说": lists an account's moods and saves them to one text file.
class MoodPage : public Page {
    Q_OBJECT
public:
    MoodPage(QWidget* window, const ControlMap& controls, UserDialogs& dialogs);

    void fetchList();
    // Asks for a file and writes every listed mood into it.
    void saveAs();
    void copyMood();
    void removeMood();
    void clearList();

private:
    void showMoods();
    void clearRows();

    QLineEdit* m_account;
    QTableWidget* m_list;
    QLabel* m_count;
    std::vector<MoodEntry> m_moods;
};

} // namespace qzb
