#include "store/file_writer.h"

#include "net/text_encoding.h"
#include "temp_folder.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace qzb {
namespace {

// "乗" and "億" end in the bytes of "\" and "|".
const std::string kBackslashTrail = "\x81\x5C";
const std::string kBarTrail = "\x83\x7C";

TEST(FileWriter, PathTextsBecomeFileSystemPathsWithoutBreakingCharacters) {
    EXPECT_EQ(toFileSystemPath("\\tmp\\a\\b.txt"), std::filesystem::path("/tmp/a/b.txt"));
    EXPECT_EQ(toFileSystemPath("/base" + gbk("\\下载的日志：") + "x"),
              std::filesystem::path(
                  "/base/\xE4\xB8\x8B\xE8\xBD\xBD\xE7\x9A\x84\xE6\x97\xA5\xE5\xBF\x97\xEF\xBC\x9Ax"));
    EXPECT_EQ(toFileSystemPath("/base\\" + kBackslashTrail + ".txt"),
              std::filesystem::path("/base/\xE4\xB9\x97.txt"));
    EXPECT_EQ(toPathText(toFileSystemPath("/base\\" + kBackslashTrail)), "/base/" + kBackslashTrail);
}

TEST(FileWriter, SafeFileNamesStayInsideTheirFolder) {
    struct Case {
        const char* name;
        std::string input;
        std::string expected;
    };
    const Case cases[] = {
        {"plain", gbk("日志 2024"), gbk("日志 2024")},
        {"separators", "../../etc/passwd", ".._.._etc_passwd"},
        {"windows separators and drive", "C:\\Windows\\x", "C__Windows_x"},
        {"reserved characters", "a*b?c\"d<e>f|g:h", "a_b_c_d_e_f_g_h"},
        {"control characters", std::string("a\nb\tc\x01") + "d\x7F", "a_b_c_d_"},
        {"dots only", "..", "fallback"},
        {"one dot", ".", "fallback"},
        {"dots and blanks", ". . ", "fallback"},
        {"empty", "", "fallback"},
        {"trail byte 0x5C kept", kBackslashTrail + "x", kBackslashTrail + "x"},
        {"trail byte 0x7C kept", kBarTrail, kBarTrail},
        {"four-byte character kept", "\x94\x39\xFC\x36", "\x94\x39\xFC\x36"},
        {"invalid bytes replaced",
         "a\x80"
         "b\xFF"
         "c\xD6",
         "a_b_c_"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(safeFileName(c.input, "fallback"), c.expected);
    }
}

TEST(FileWriter, LongNamesAreCutOnACharacterBoundary) {
    std::string chinese;
    for (int i = 0; i < 200; ++i)
        chinese += gbk("说");
    std::string safe = safeFileName(chinese, "x");
    EXPECT_LT(safe.size(), chinese.size());
    EXPECT_EQ(safe.size() % 2, 0u);
    EXPECT_LE(gbkToUtf8(safe).size(), 150u);
    EXPECT_EQ(gbkToUtf8(safe).find('?'), std::string::npos);

    // These two-byte codes stand for characters beyond U+FFFF: four bytes each in UTF-8.
    std::string wide;
    for (int i = 0; i < 60; ++i)
        wide += "\xFE\x51";
    EXPECT_LE(gbkToUtf8(safeFileName(wide, "x")).size(), 150u);

    std::string ascii(1000, 'a');
    EXPECT_EQ(safeFileName(ascii, "x"), std::string(150, 'a'));
}

TEST(FileWriter, MakesNestedFoldersAndAcceptsExistingOnes) {
    TempFolder temp;
    std::string base = toPathText(temp.path());
    std::string nested = base + gbk("\\一\\二\\三");
    EXPECT_TRUE(makeFolder(nested));
    EXPECT_TRUE(makeFolder(nested));
    EXPECT_TRUE(std::filesystem::is_directory(toFileSystemPath(nested)));

    ASSERT_TRUE(writeWholeFile(base + "\\file", "x"));
    EXPECT_FALSE(makeFolder(base + "\\file\\below"));
}

TEST(FileWriter, WritesWholeFilesAndReplacesExistingOnes) {
    TempFolder temp;
    std::string file = toPathText(temp.path()) + gbk("\\备份.txt");
    EXPECT_TRUE(writeWholeFile(file, "first answer, longer"));
    EXPECT_TRUE(writeWholeFile(file, std::string("second\0bytes", 12)));
    EXPECT_EQ(readBytes(toFileSystemPath(file)), std::string("second\0bytes", 12));
    EXPECT_TRUE(writeWholeFile(file, ""));
    EXPECT_EQ(readBytes(toFileSystemPath(file)), "");
    EXPECT_EQ(filesBelow(temp.path()).size(), 1u);
}

TEST(FileWriter, AFailedWriteLeavesTheExistingFileAndNoTemporaryFile) {
    TempFolder temp;
    std::string base = toPathText(temp.path());
    std::string file = base + "\\keep.txt";
    ASSERT_TRUE(writeWholeFile(file, "old backup"));

    EXPECT_FALSE(writeWholeFile(base + "\\missing\\x.txt", "data"));
    ASSERT_TRUE(makeFolder(base + "\\folder"));
    EXPECT_FALSE(writeWholeFile(base + "\\folder", "data"));

    // A file-size limit makes the write fail part-way, as a full disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = 4;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool written = writeWholeFile(file, "a much longer new backup");
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(written);

    EXPECT_EQ(readBytes(toFileSystemPath(file)), "old backup");
    EXPECT_EQ(filesBelow(temp.path()), std::vector<std::string>{"keep.txt"});
}

} // namespace
} // namespace qzb
