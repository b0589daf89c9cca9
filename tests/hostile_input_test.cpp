// Names and addresses that could make the tool write or read where it must
// not: every one is refused or made safe.
#include "application_environment.h"
#include "net/text_encoding.h"
#include "qzone/photos.h"
#include "store/blog_files.h"
#include "store/photo_files.h"
#include "ui/qt_text.h"
#include "window_fixture.h"

#include <QApplication>
#include <QComboBox>

namespace qzb {
namespace {

[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new ApplicationEnvironment<QApplication>);

const char* const kHostileNames[] = {
    "../../outside",  "/etc/passwd",      "..\\..\\outside", "..", ".",   "a/../../b",
    "C:\\Windows\\x", "a:b*c?d\"e<f>g|h", "\x01\x02\r\n\t",  "",   "   ", "name\x7F",
};

std::string longName() {
    std::string name;
    for (int i = 0; i < 300; ++i)
        name += "\xE6\x97\xA5"; // 日
    return name;
}

// Every file below `root`, checked to lie inside `inside` (a folder below root).
void expectAllInside(const std::filesystem::path& root, const std::string& inside) {
    for (const auto& file : filesBelow(root)) {
        SCOPED_TRACE(file);
        EXPECT_TRUE(file.starts_with(inside)) << file;
        EXPECT_EQ(file.find("/../"), std::string::npos);
    }
}

class HostileInputTest : public WindowTest {};

TEST_F(HostileInputTest, SaveNamesOfPostsStayInsideTheBlogFolder) {
    useOptions({.posts = 1});
    click("anniu1");
    find<QComboBox>("zuhekuang1")->setCurrentIndex(0);
    std::vector<std::string> names(std::begin(kHostileNames), std::end(kHostileNames));
    names.push_back(longName());
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        find<QLineEdit>("bianjikuang4")->setText(QString::fromUtf8(name.c_str()));
        click("xiazaianniu");
        EXPECT_EQ(m_dialogs.lastText(), utf8("下载完成！"));
    }
    const std::string blogFolder = gbkToUtf8(gbk("下载的日志：")) + "moshu.example/";
    expectAllInside(m_temp.path(), blogFolder);
    for (const auto& file : filesBelow(m_temp.path()))
        EXPECT_EQ(file.find('/', blogFolder.size()), std::string::npos) << file;
}

TEST_F(HostileInputTest, AlbumNamesStayInsideTheChosenFolder) {
    const sample::Options options{.albumPhotos = {1, 1, 1, 1, 1}};
    useOptions(options);
    showPage(2);
    click("anniu3");
    const auto albums = sample::sampleAlbums(options.albumPhotos);
    // The sample account's fifth album is named "..\/旅行\/2012:夏" by the service.
    ASSERT_NE(albums[4].name.find(".."), std::string::npos);
    const std::filesystem::path chosen = m_temp.path() / "chosen";
    find<QLineEdit>("bianjikuang2")->setText(QString::fromStdString(chosen.string()));

    selectRow(find<QTableWidget>("超级列表框1"), 4);
    click("xiazaianniu2");
    EXPECT_TRUE(m_dialogs.lastText().contains(utf8("共保存 1 张照片")));
    std::vector<std::string> names(std::begin(kHostileNames), std::end(kHostileNames));
    names.push_back(longName());
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        selectRow(find<QTableWidget>("超级列表框1"), 0);
        find<QComboBox>("组合框1")->setEditText(QString::fromUtf8(name.c_str()));
        click("xiazaianniu2");
        EXPECT_TRUE(m_dialogs.lastText().contains(utf8("共保存 1 张照片")));
    }
    expectAllInside(m_temp.path(), "chosen/");
    for (const auto& file : filesBelow(m_temp.path()))
        EXPECT_EQ(std::count(file.begin(), file.end(), '/'), 2) << file;
}

class HostilePhotoAddressTest : public ServiceTest {};

TEST_F(HostilePhotoAddressTest, OnlyPhotosOfOtherMachinesAreFetched) {
    // Another service on this machine, reached directly rather than through the proxy.
    sample::SampleService bystander;
    ASSERT_TRUE(bystander.start());
    setenv("no_proxy", "127.0.0.1,localhost,2130706433,0x7f.1", 1);
    const std::string port = std::to_string(bystander.port());
    const auto album = sample::sampleAlbums({1})[0];
    const std::vector<std::string> hostile = {
        "file:///etc/passwd",
        "ftp://b1.photo.store.qq.com/x.jpg",
        "http://127.0.0.1:" + port + "/psb?/secret",
        "http://localhost:" + port + "/psb?/secret",
        "http://2130706433:" + port + "/psb?/secret",
        "http://0x7f.1:" + port + "/psb?/secret",
        "http://a.example@127.0.0.1:" + port + "/psb?/secret",
        "gopher://127.0.0.1:" + port + "/",
    };
    std::vector<std::string> addresses = hostile;
    addresses.push_back(album.photoUrls[0]);
    useOptions({.albumPhotos = {1},
                .faults = {{.targetContains = "fcg_list_photo",
                            .kind = sample::FaultKind::PhotoAddresses,
                            .addresses = addresses}}});

    TempFolder temp;
    const std::string folder = toPathText(temp.path());
    ASSERT_TRUE(preparePhotoFolder(folder, "album"));
    AlbumEntry entry;
    entry.id = album.id;
    const PhotoDownload outcome = downloadAlbumPhotos(
        "123456789", {sample::Options{}.routeDefaultHost, "80"}, entry,
        [&](int number, std::string_view bytes) { return savePhoto(folder, "album", number, bytes); }, {});
    EXPECT_EQ(outcome.listed, static_cast<int>(addresses.size()));
    EXPECT_EQ(outcome.failed, static_cast<int>(hostile.size()));
    EXPECT_EQ(outcome.saved, 1);
    EXPECT_EQ(filesBelow(temp.path()),
              std::vector<std::string>{"album/" + std::to_string(addresses.size()) + ".gif"});
    EXPECT_TRUE(bystander.requests().empty());
}

} // namespace
} // namespace qzb
