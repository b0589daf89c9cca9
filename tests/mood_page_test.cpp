#include "application_environment.h"
#include "store/mood_file.h"
#include "ui/mood_page.h"
#include "ui/qt_text.h"
#include "window_fixture.h"

#include <QApplication>

namespace qzb {
namespace {

[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment<QApplication>);

class MoodPageTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        showPage(1);
    }

    [[nodiscard]] QTableWidget* list() const { return find<QTableWidget>("chaojiliebiaokuang2"); }

    [[nodiscard]] static std::vector<std::string> moodTexts(int count) {
        std::vector<std::string> texts;
        for (const auto& mood : sample::sampleMoods(count))
            texts.push_back(mood.con);
        return texts;
    }
};

TEST_F(MoodPageTest, FetchingFillsTheListAndTheCountText) {
    useOptions({.moods = 23});
    click("anniu2");
    ASSERT_EQ(list()->rowCount(), 23);
    const auto texts = moodTexts(23);
    for (int row = 0; row < 23; ++row) {
        EXPECT_EQ(cell(list(), row, 0), QString::number(row + 1));
        EXPECT_EQ(cell(list(), row, 1), toQString(texts[static_cast<std::size_t>(row)]));
    }
    EXPECT_EQ(labelText("biaoqian6"), utf8("23条说说"));

    useOptions({.moods = 0});
    click("anniu2");
    EXPECT_EQ(list()->rowCount(), 0);
    EXPECT_EQ(labelText("biaoqian6"), utf8("0条说说"));
    EXPECT_EQ(m_dialogs.lastText(), utf8("这个空间没有说说。"));
}

TEST_F(MoodPageTest, SaveAsWritesEveryMoodToTheChosenFile) {
    useOptions({.moods = 12});
    click("anniu2");
    const std::filesystem::path file = m_temp.path() / "moods.txt";
    m_dialogs.saveFile = QString::fromStdString(file.string());
    choose("shuoshuocaidan", "另存为");
    EXPECT_EQ(m_dialogs.saveFilter, utf8("文本文件（*.txt） (*.txt)"));
    EXPECT_EQ(m_dialogs.saveSuffix, QStringLiteral("txt"));
    EXPECT_EQ(readBytes(file), moodFileContent(moodTexts(12)));
}

TEST_F(MoodPageTest, CancellingTheSaveDialogWritesNothing) {
    useOptions({.moods = 3});
    click("anniu2");
    m_dialogs.saveFile.clear();
    choose("shuoshuocaidan", "另存为");
    EXPECT_TRUE(filesBelow(m_temp.path()).empty());
    EXPECT_TRUE(m_dialogs.messages.empty());
}

TEST_F(MoodPageTest, AFileThatCannotBeWrittenIsTold) {
    useOptions({.moods = 3});
    click("anniu2");
    m_dialogs.saveFile = QString::fromStdString((m_temp.path() / "missing" / "moods.txt").string());
    choose("shuoshuocaidan", "另存为");
    EXPECT_TRUE(m_dialogs.lastText().startsWith(utf8("无法写入文件")));
}

TEST_F(MoodPageTest, PopupCommandsCopyRemoveAndClear) {
    useOptions({.moods = 3});
    click("anniu2");
    const auto texts = moodTexts(3);

    choose("shuoshuocaidan", "复制说说");
    EXPECT_EQ(m_dialogs.clipboard, QString());
    selectRow(list(), 1);
    choose("shuoshuocaidan", "复制说说");
    EXPECT_EQ(m_dialogs.clipboard, toQString(texts[1]));
    choose("shuoshuocaidan", "删除说说");
    EXPECT_EQ(column(list(), 1), (std::vector<QString>{toQString(texts[0]), toQString(texts[2])}));
    EXPECT_EQ(labelText("biaoqian6"), utf8("2条说说"));

    choose("shuoshuocaidan", "清空说说列表");
    EXPECT_EQ(list()->rowCount(), 0);
    m_dialogs.saveFile = QString::fromStdString((m_temp.path() / "after-clear.txt").string());
    choose("shuoshuocaidan", "另存为");
    EXPECT_EQ(m_dialogs.lastText(), utf8("列表中没有说说，请先获取说说列表。"));
    EXPECT_TRUE(filesBelow(m_temp.path()).empty());
}

} // namespace
} // namespace qzb
