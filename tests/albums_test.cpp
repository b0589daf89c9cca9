#include "qzone/albums.h"

#include "net/text_encoding.h"
#include "service_fixture.h"

#include <gmock/gmock.h>

namespace qzb {
namespace {

constexpr const char* kAccount = "123456789";

AlbumEntry entryOf(const sample::SampleAlbum& album) {
    return {album.id,          album.name,       album.classid, albumCategoryName(album.classid),
            album.comment,     album.createtime, album.desc,    album.pre,
            album.allowAccess, album.question,   album.total};
}

TEST(AlbumRoute, TheDefaultEntryOrItsBackupGivesTheHost) {
    struct Case {
        const char* name;
        std::string answer;
        std::optional<AlbumRoute> route;
    };
    const Case cases[] = {
        {"default entry",
         R"({"r":{"default":"sz","sz":{"s":"a.example","p":"80"},"sz_bak":{"s":"b.example","p":"81"}}})",
         AlbumRoute{"a.example", "80"}},
        {"backup when the default has no host",
         R"({"r":{"default":"sz","sz":{"s":"","p":"80"},"sz_bak":{"s":"b.example","p":"81"}}})",
         AlbumRoute{"b.example", "81"}},
        {"names that end alike",
         R"({"r":{"default":"s","gs":{"s":"wrong.example","p":"1"},"s":{"s":"right.example","p":"2"}}})",
         AlbumRoute{"right.example", "2"}},
        {"no route marker", R"({"code":-1,"default":"sz","sz":{"s":"a.example","p":"80"}})", std::nullopt},
        {"no host anywhere", R"({"r":{"default":"sz","sz":{"p":"80"}}})", std::nullopt},
        {"a host that is not a plain name", R"({"r":{"default":"sz","sz":{"s":"127.0.0.1:22/x?","p":"80"}}})",
         std::nullopt},
        {"empty", "", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(parseAlbumRoute(c.answer), c.route);
    }
}

TEST(AlbumList, FieldsStayWithinTheirAlbumAndMissingOnesAreEmpty) {
    const std::string answer =
        "_Callback(\n{\n   \"data\" : {\n      \"albumList\" : [\n"
        "         {\n            \"classid\" : 104,\n            \"desc\" : \"first\",\n"
        "            \"id\" : \"A1\",\n            \"name\" : \"one\",\n"
        "            \"pre\" : \"http:\\/\\/x\\/a\",\n            \"total\" : 3,\n"
        "            \"viewtype\" : 0\n         },\n"
        "         {\n            \"classid\" : 999,\n            \"id\" : \"A2\",\n"
        "            \"name\" : \"two\",\n            \"total\" : 0,\n"
        "            \"viewtype\" : 0\n         },\n"
        "         {\n            \"desc\" : \"third\",\n            \"id\" : \"A3\",\n"
        "            \"viewtype\" : 0\n         }\n      ]\n   }\n}\n);";
    const auto albums = parseAlbumList(answer);
    ASSERT_EQ(albums.size(), 3u);
    EXPECT_EQ(albums[0].id, "A1");
    EXPECT_EQ(albums[0].category, gbk("游记"));
    EXPECT_EQ(albums[0].pre, "http://x/a");
    EXPECT_EQ(albums[0].total, "3");
    EXPECT_EQ(albums[1].desc, "");
    EXPECT_EQ(albums[1].category, "");
    EXPECT_EQ(albums[1].pre, "");
    EXPECT_EQ(albums[2].name, "");
    EXPECT_EQ(albums[2].desc, "third");
    EXPECT_TRUE(parseAlbumList("").empty());
    EXPECT_TRUE(parseAlbumList("viewtype viewtype").empty());
}

TEST(AlbumCategory, NamesTheEightCategories) {
    const char* names[] = {"最爱", "人物", "风景", "动物", "游记", "卡通", "生活", "其他"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(albumCategoryName(std::to_string(100 + i)), gbk(names[i]));
    for (const char* other : {"99", "108", "", "1040", "10"})
        EXPECT_EQ(albumCategoryName(other), "");
    EXPECT_EQ(albumCountMessage(1), gbk("共 1个相册"));
    EXPECT_EQ(albumCountTitle(), gbk("提取完成"));
}

class AlbumListTest : public ServiceTest {};

TEST_F(AlbumListTest, ListsEveryAlbumFromTheRoutesHost) {
    const sample::Options options;
    useOptions(options);
    AlbumList list = listAlbums(kAccount);
    ASSERT_TRUE(list.route);
    EXPECT_EQ(list.route->s, options.routeDefaultHost);
    EXPECT_TRUE(list.answered);
    std::vector<AlbumEntry> expected;
    for (const auto& album : sample::sampleAlbums(options.albumPhotos))
        expected.push_back(entryOf(album));
    EXPECT_EQ(list.entries, expected);

    auto requests = m_service.requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].target, albumRouteUrl(kAccount));
    EXPECT_EQ(requests[1].target, albumListUrl(*list.route, kAccount));
    EXPECT_EQ(requests[1].host, options.routeDefaultHost);
    EXPECT_EQ(albumRouteUrl(kAccount),
              "http://route.store.qq.com/GetRoute?UIN=123456789&type=json&version=2&json_esc=1");
    EXPECT_EQ(albumListUrl(*list.route, kAccount),
              "http://" + options.routeDefaultHost +
                  "/fcgi-bin/fcg_list_album_v2?inCharset=gbk&outCharset=gbk&hostUin=123456789&notice=0"
                  "&callbackFun=&format=jsonp&plat=qzone&source=qzone&appid=4");
}

TEST_F(AlbumListTest, FallsBackToTheBackupHost) {
    useOptions({.albumPhotos = {2}, .routeDefaultHost = ""});
    AlbumList list = listAlbums(kAccount);
    ASSERT_TRUE(list.route);
    EXPECT_EQ(list.route->s, sample::Options{}.routeBackupHost);
    EXPECT_EQ(list.entries.size(), 1u);
    EXPECT_EQ(m_service.requests().back().host, sample::Options{}.routeBackupHost);
}

TEST_F(AlbumListTest, WithoutARouteNoListIsAskedFor) {
    useOptions(
        {.faults = {{.targetContains = "GetRoute", .kind = sample::FaultKind::Status, .status = 503}}});
    AlbumList list = listAlbums(kAccount);
    EXPECT_FALSE(list.route);
    EXPECT_TRUE(list.entries.empty());
    EXPECT_EQ(m_service.requests().size(), 1u);
}

TEST_F(AlbumListTest, AnAccountNumberThatIsNot5To11DigitsSendsNothing) {
    for (const char* account : {"", "1234", "12a456", "../x", "123456789012"})
        EXPECT_FALSE(listAlbums(account).route);
    EXPECT_TRUE(m_service.requests().empty());
}

} // namespace
} // namespace qzb
