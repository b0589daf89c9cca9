#include "store/mood_file.h"

#include "net/text_encoding.h"
#include "store/file_writer.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

namespace qzb {
namespace {

TEST(MoodFile, HoldsTheMoodsOneLineBreakApartThenTheFooter) {
    const std::vector<std::string> moods = {gbk("今天天气好"), "second \\\"quoted\\\"", "\x94\x39\xFC\x36"};
    const std::string footer = moodFooter();
    EXPECT_TRUE(footer.starts_with("\r\n\r\n\r\n\r\n\r\n" + std::string(20, ' ') + gbk("本说说")));
    EXPECT_EQ(footer.find("\r\n", 10), std::string::npos);
    EXPECT_TRUE(footer.ends_with(gbk("官网：") + "moshu.example"));
    EXPECT_EQ(moodFileContent(moods), moods[0] + "\r\n" + moods[1] + "\r\n" + moods[2] + footer);
    EXPECT_EQ(moodFileContent({}), footer);
}

TEST(MoodFile, IsWrittenWholeToTheChosenPath) {
    TempFolder temp;
    const std::string path = toPathText(temp.path()) + gbk("\\说说.txt");
    ASSERT_TRUE(saveMoodFile(path, {"a", "b"}));
    ASSERT_TRUE(saveMoodFile(path, {"c"}));
    EXPECT_EQ(readBytes(toFileSystemPath(path)), "c" + moodFooter());
    EXPECT_FALSE(saveMoodFile(toPathText(temp.path()) + "\\missing\\x.txt", {"a"}));
}

} // namespace
} // namespace qzb
