#include "qzone/photos.h"

#include "service_fixture.h"

#include <gmock/gmock.h>

namespace qzb {
namespace {

using sample::FaultKind;

constexpr const char* kAccount = "123456789";

TEST(PhotoList, TakesTheAddressesInsideThePhotoArrayOnly) {
    const std::string head = "_Callback(\n{\n   \"data\" : {\n      \"pic\" : ";
    const std::string photos =
        "[\n      {\n         \"url\" : \"http:\\/\\/a.example\\/1.jpg\",\n"
        "         \"width\" : 1\n      },\n      {\n"
        "         \"url\" : \"http:\\/\\/a.example\\/2.jpg\",\n         \"width\" : 1\n"
        "      }\n   ],\n";
    const std::string other =
        "   \"topPics\" : [\n      {\n         \"url\" : \"http:\\/\\/other\\/x.jpg\",\n"
        "         \"width\" : 1\n      }\n   ],\n   \"total\" : 2\n}\n);";
    struct Case {
        const char* name;
        std::string answer;
        std::vector<std::string> urls;
    };
    const Case cases[] = {
        {"photos then another array",
         head + photos + other,
         {"http://a.example/1.jpg", "http://a.example/2.jpg"}},
        {"an empty array before another array", head + "[],\n" + other, {}},
        {"an empty array with blanks", head + "[ \n ],\n" + other, {}},
        {"no photo array", "_Callback({\"code\" : -1,\n});", {}},
        {"an array that never ends", head + "[\n {\n \"url\" : \"http:\\/\\/a\\/1\",\n", {}},
        {"empty answer", "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parsePhotoList(c.answer), c.urls);
    }
}

TEST(PhotoList, AddressIsFixedAndSendsUinZero) {
    EXPECT_EQ(
        photoListUrl({"h.example", "80"}, kAccount, "V13abc"),
        "http://h.example/fcgi-bin/fcg_list_photo_v2?inCharset=gbk&outCharset=gbk&hostUin=123456789&notice=0"
        "&callbackFun=&format=jsonp&plat=qzone&source=qzone&appid=4&uin=0&albumid=V13abc");
}

TEST(PhotoAddress, OnlyWebAddressesOfOtherMachinesAreFetched) {
    struct Case {
        const char* url;
        bool accepted;
    };
    const Case cases[] = {
        {"http://b1.photo.store.qq.com/psb?/V13/1/b/1.jpg", true},
        {"https://a.example/x.jpg", true},
        {"http://8.8.8.8/x.jpg", true},
        {"file:///etc/passwd", false},
        {"ftp://a.example/x.jpg", false},
        {"http://localhost/x", false},
        {"http://LOCALHOST:8080/x", false},
        {"http://127.0.0.1:22/", false},
        {"http://127.1/", false},
        {"http://2130706433/", false},
        {"http://0x7f000001/", false},
        {"http://0177.0.0.1/", false},
        {"http://0.0.0.0:80/", false},
        {"http://[::1]/", false},
        {"http://a.example@127.0.0.1/", false},
        {"http://127.0.0.1?.example/", false},
        {"http://localhost./", false},
        {"http://127.0.0.1./", false},
        {"http://0x7f1./", false},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.url);
        EXPECT_EQ(isAcceptablePhotoUrl(c.url), c.accepted);
    }
}

class PhotoDownloadTest : public ServiceTest {
protected:
    struct Saved {
        int number;
        std::string bytes;
        bool operator==(const Saved&) const = default;
    };

    PhotoDownload download(const sample::SampleAlbum& album) {
        AlbumEntry entry;
        entry.id = album.id;
        return downloadAlbumPhotos(
            kAccount, m_route, entry,
            [&](int number, std::string_view bytes) {
                m_saved.push_back({number, std::string(bytes)});
                return true;
            },
            [&](int tried, int total) { m_progress.emplace_back(tried, total); });
    }

    AlbumRoute m_route{sample::Options{}.routeDefaultHost, "80"};
    std::vector<Saved> m_saved;
    std::vector<std::pair<int, int>> m_progress;
};

TEST_F(PhotoDownloadTest, FetchesEveryPhotoOfTheAlbumInOrder) {
    const sample::Options options{.albumPhotos = {3, 0}};
    useOptions(options);
    const auto albums = sample::sampleAlbums(options.albumPhotos);
    EXPECT_EQ(listPhotoUrls(kAccount, m_route, albums[0].id), albums[0].photoUrls);

    PhotoDownload outcome = download(albums[0]);
    EXPECT_TRUE(outcome.listRead);
    EXPECT_EQ(outcome.saved, 3);
    EXPECT_EQ(outcome.failed, 0);
    std::vector<Saved> expected;
    for (int i = 0; i < 3; ++i)
        expected.push_back(
            {i + 1, sample::samplePhotoBytes(albums[0].photoUrls[static_cast<std::size_t>(i)], 0)});
    EXPECT_EQ(m_saved, expected);
    EXPECT_EQ(m_progress, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}, {3, 3}}));

    m_saved.clear();
    outcome = download(albums[1]);
    EXPECT_TRUE(outcome.listRead);
    EXPECT_EQ(outcome.saved + outcome.failed, 0);
    EXPECT_TRUE(m_saved.empty());
}

TEST_F(PhotoDownloadTest, APhotoThatCannotBeFetchedIsCountedAndTheOthersKeepTheirNumbers) {
    const auto albums = sample::sampleAlbums({3});
    const std::string secondPath = albums[0].photoUrls[1].substr(albums[0].photoUrls[1].find("/psb"));
    for (FaultKind kind :
         {FaultKind::Status, FaultKind::CloseMidBody, FaultKind::Stall, FaultKind::EmptyBody}) {
        SCOPED_TRACE(static_cast<int>(kind));
        useOptions(
            {.albumPhotos = {3}, .faults = {{.targetContains = secondPath, .kind = kind, .status = 404}}});
        m_saved.clear();
        PhotoDownload outcome = download(albums[0]);
        EXPECT_EQ(outcome.saved, 2);
        EXPECT_EQ(outcome.failed, 1);
        ASSERT_EQ(m_saved.size(), 2u);
        EXPECT_EQ(m_saved[0].number, 1);
        EXPECT_EQ(m_saved[1].number, 3);
    }
}

TEST_F(PhotoDownloadTest, AnUnreadablePhotoListIsTold) {
    useOptions(
        {.albumPhotos = {3}, .faults = {{.targetContains = "fcg_list_photo", .kind = FaultKind::Status}}});
    PhotoDownload outcome = download(sample::sampleAlbums({3})[0]);
    EXPECT_FALSE(outcome.listRead);
    EXPECT_TRUE(m_saved.empty());
}

} // namespace
} // namespace qzb
