#include "store/photo_files.h"

#include "net/text_encoding.h"
#include "store/file_writer.h"
#include "temp_folder.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace qzb {
namespace {

TEST(PhotoFiles, PhotosAreNumberedInsideTheirAlbumsFolderWithTheirExactBytes) {
    TempFolder temp;
    const std::string folder = toPathText(temp.path());
    const std::string album = gbk("旅行");
    const std::string bytes("\x89PNG\r\n\x1A\n\0\xFF", 10);
    ASSERT_TRUE(preparePhotoFolder(folder, album));
    ASSERT_TRUE(savePhoto(folder, album, 1, bytes));
    ASSERT_TRUE(savePhoto(folder, album, 2, "GIF89a"));
    ASSERT_TRUE(preparePhotoFolder(folder, gbk("家人")));
    ASSERT_TRUE(savePhoto(folder, gbk("家人"), 1, "other"));

    const std::string travel = gbkToUtf8(album);
    EXPECT_EQ(filesBelow(temp.path()), (std::vector<std::string>{gbkToUtf8(gbk("家人")) + "/1.gif",
                                                                 travel + "/1.gif", travel + "/2.gif"}));
    EXPECT_EQ(readBytes(temp.path() / travel / "1.gif"), bytes);
}

TEST(PhotoFiles, HostileAlbumNamesStayInsideTheChosenFolder) {
    TempFolder temp;
    const std::filesystem::path chosen = temp.path() / "chosen";
    const std::string folder = toPathText(chosen);
    const std::string names[] = {"../outside", "..", "/abs", "a\\..\\..\\b", "", std::string(300, 'n')};
    for (const std::string& name : names) {
        SCOPED_TRACE(name.substr(0, 20));
        ASSERT_TRUE(preparePhotoFolder(folder, name));
        ASSERT_TRUE(savePhoto(folder, name, 1, "x"));
    }
    for (const auto& file : filesBelow(temp.path())) {
        SCOPED_TRACE(file);
        EXPECT_TRUE(file.starts_with("chosen/"));
        EXPECT_EQ(std::count(file.begin(), file.end(), '/'), 2);
    }
}

TEST(PhotoFiles, AnEmptyFolderIsRefused) {
    EXPECT_FALSE(preparePhotoFolder("", "album"));
    EXPECT_FALSE(savePhoto("", "album", 1, "x"));
}

} // namespace
} // namespace qzb
