#include "application_environment.h"
#include "qzone/photos.h"
#include "store/photo_files.h"
#include "ui/album_page.h"
#include "ui/qt_text.h"
#include "window_fixture.h"

#include <QApplication>
#include <QComboBox>

namespace qzb {
namespace {

[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment<QApplication>);

class AlbumPageTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        showPage(2);
    }

    [[nodiscard]] QTableWidget* list() const { return find<QTableWidget>("超级列表框1"); }
    [[nodiscard]] std::filesystem::path saveFolder() const { return m_temp.path() / "photos"; }
};

TEST_F(AlbumPageTest, FetchingFillsTheListAndTellsTheCount) {
    const sample::Options options;
    useOptions(options);
    click("anniu3");
    const auto albums = sample::sampleAlbums(options.albumPhotos);
    ASSERT_EQ(list()->rowCount(), static_cast<int>(albums.size()));
    for (int row = 0; row < list()->rowCount(); ++row) {
        const auto& album = albums[static_cast<std::size_t>(row)];
        EXPECT_EQ(cell(list(), row, 0), QString::number(row + 1));
        EXPECT_EQ(cell(list(), row, 1), toQString(album.name));
        EXPECT_EQ(cell(list(), row, 2), toQString(album.total));
        EXPECT_EQ(cell(list(), row, 3), toQString(album.id));
    }
    EXPECT_EQ(labelText("标签_8"), QString::number(albums.size()));
    EXPECT_EQ(m_dialogs.lastTitle(), utf8("提取完成"));
    EXPECT_EQ(m_dialogs.lastText(), utf8("共 %1个相册").arg(albums.size()));
}

TEST_F(AlbumPageTest, DownloadingWithoutAChosenAlbumSendsNothing) {
    useOptions({});
    click("anniu3");
    m_service.clearRequests();
    find<QLineEdit>("bianjikuang2")->setText(QString::fromStdString(saveFolder().string()));
    click("xiazaianniu2");
    EXPECT_EQ(m_dialogs.lastText(), utf8("请选择要下载的相册"));
    EXPECT_TRUE(m_service.requests().empty());
}

TEST_F(AlbumPageTest, DownloadingWithoutASaveFolderAsksForOne) {
    useOptions({});
    click("anniu3");
    selectRow(list(), 0);
    m_service.clearRequests();
    click("xiazaianniu2");
    EXPECT_EQ(m_dialogs.lastText(), utf8("请先选择保存目录。"));
    EXPECT_TRUE(m_service.requests().empty());
}

TEST_F(AlbumPageTest, TheFolderChooserFillsTheSaveFolderAndACancelKeepsIt) {
    m_dialogs.folder = QStringLiteral("/chosen/folder");
    click("xiazaianniu1");
    EXPECT_EQ(find<QLineEdit>("bianjikuang2")->text(), QStringLiteral("/chosen/folder"));
    m_dialogs.folder.clear();
    click("xiazaianniu1");
    EXPECT_EQ(find<QLineEdit>("bianjikuang2")->text(), QStringLiteral("/chosen/folder"));
}

TEST_F(AlbumPageTest, DownloadingSavesThePhotosOfTheSelectedAlbumAndTellsWhere) {
    const sample::Options options{.albumPhotos = {2, 3}};
    useOptions(options);
    click("anniu3");
    selectRow(list(), 1);
    const auto album = sample::sampleAlbums(options.albumPhotos)[1];
    EXPECT_EQ(find<QComboBox>("组合框1")->currentText(), toQString(album.name));
    find<QLineEdit>("bianjikuang2")->setText(QString::fromStdString(saveFolder().string()));
    click("xiazaianniu2");

    const std::filesystem::path albumFolder =
        toFileSystemPath(photoFolder(toPathText(saveFolder()), album.name));
    std::vector<std::string> expected;
    for (int number = 1; number <= 3; ++number) {
        const std::filesystem::path file = albumFolder / (std::to_string(number) + ".gif");
        EXPECT_EQ(readBytes(file),
                  sample::samplePhotoBytes(album.photoUrls[static_cast<std::size_t>(number - 1)], 0));
    }
    EXPECT_EQ(m_dialogs.lastTitle(), utf8("下载完成"));
    EXPECT_TRUE(m_dialogs.lastText().contains(utf8("共保存 3 张照片")));
    EXPECT_TRUE(m_dialogs.lastText().contains(QString::fromStdString(albumFolder.string())));
    EXPECT_EQ(labelText("标签_8"), QStringLiteral("2"));

    choose("xiazaixiangce", "开始下载");
    EXPECT_TRUE(m_dialogs.lastText().contains(utf8("共保存 3 张照片")));
}

TEST_F(AlbumPageTest, PhotosThatCouldNotBeSavedAreCounted) {
    const sample::Options options{.albumPhotos = {3}};
    const auto album = sample::sampleAlbums(options.albumPhotos)[0];
    const std::string second = album.photoUrls[1].substr(album.photoUrls[1].find("/psb"));
    useOptions(
        {.albumPhotos = {3}, .faults = {{.targetContains = second, .kind = sample::FaultKind::Status}}});
    click("anniu3");
    selectRow(list(), 0);
    find<QLineEdit>("bianjikuang2")->setText(QString::fromStdString(saveFolder().string()));
    click("xiazaianniu2");
    EXPECT_TRUE(m_dialogs.lastText().contains(utf8("共保存 2 张照片")));
    EXPECT_TRUE(m_dialogs.lastText().contains(utf8("有 1 张照片未能保存")));
    EXPECT_EQ(filesBelow(saveFolder()).size(), 2u);
}

} // namespace
} // namespace qzb
