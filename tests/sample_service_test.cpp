#include "tools/sample_service/sample_service.h"

#include "net/text_encoding.h"

#include <httplib.h>

#include <QByteArray>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <numeric>
#include <optional>
#include <set>
#include <thread>
#include <utility>

namespace qzb::sample {
namespace {

constexpr std::string_view kSuccessMarker = "_Callback({\n\t\"code\":0,\n\t\"subcode\":0";
constexpr int kPosts = 23;

Fault fault(std::string targetContains, FaultKind kind) {
    Fault f;
    f.targetContains = std::move(targetContains);
    f.kind = kind;
    return f;
}

Options withFaults(std::vector<Fault> faults) {
    Options options;
    options.posts = kPosts;
    options.faults = std::move(faults);
    return options;
}

std::string blogListTarget(const std::string& account, int pos) {
    return "/cgi-bin/blognew/get_abs?hostUin=" + account +
           "&blogType=0&cateName=&cateHex=&statYear=&reqInfo=1&pos=" + std::to_string(pos) +
           "&num=15&sortType=0&absType=0&source=0&rand=0.964334683477444&ref=qzone&g_tk=5381"
           "&verbose=0&iNotice=0&inCharset=gbk&outCharset=gbk&format=jsonp";
}

// Id and title of every record, cut out with the markers the program's blog list uses.
std::vector<SamplePost> recordsIn(std::string_view answer) {
    constexpr std::string_view idMarker = "{\"blogId\":";
    constexpr std::string_view idEnd = ",\n\"blogType\":";
    constexpr std::string_view titleMarker = "\",\n\"title\":\"";
    constexpr std::string_view titleEnd = "\",\n\"commentNum\"";
    std::vector<SamplePost> records;
    auto at = answer.find(idMarker);
    while (at != std::string_view::npos) {
        const auto idStart = at + idMarker.size();
        const auto idStop = answer.find(idEnd, idStart);
        if (idStop == std::string_view::npos) {
            break;
        }
        const auto next = answer.find(idMarker, idStop);
        const std::string_view record = answer.substr(idStop, next - idStop);
        const auto titleStart = record.find(titleMarker) + titleMarker.size();
        const auto titleStop = record.find(titleEnd, titleStart);
        records.push_back({std::string(answer.substr(idStart, idStop - idStart)),
                           std::string(record.substr(titleStart, titleStop - titleStart))});
        at = next;
    }
    return records;
}

constexpr std::string_view kAccount = "123456789";
constexpr std::string_view kBadAccount = "12ab";
constexpr std::string_view kUpdatePath = "/moshuQQkongjianbbeifengongjugengxin/QQrizhibeifeng.html";
constexpr std::string_view kMoodMarker = "\"conlist\":[{\"con\":\"";
constexpr std::string_view kMoodEnd = "\",\"createTime\"";
constexpr std::string_view kPhotoArrayMarker = "\"pic\" : ";
constexpr std::string_view kPhotoArrayEnd = "}\n   ],\n";
constexpr std::string_view kTopPicture = "not.the.album.example";

std::string moodTarget(std::string_view account, std::string_view pos) {
    const std::string a(account);
    return "/cgi-bin/emotion_cgi_msglist_v6?uin=" + a + "&inCharset=utf-8&outCharset=utf-8&hostUin=" + a +
           "&notice=0&sort=0&pos=" + std::string(pos) +
           "&num=10&cgi_host=http%3A%2F%2Ftaotao.qq.com%2Fcgi-bin%2Femotion_cgi_msglist_v6"
           "&code_version=1&format=jsonp&g_tk=123456789";
}

std::string routeTarget(std::string_view account) {
    return "/GetRoute?UIN=" + std::string(account) + "&type=json&version=2&json_esc=1";
}

std::string albumListTarget(std::string_view account) {
    return "/fcgi-bin/fcg_list_album_v2?inCharset=gbk&outCharset=gbk&hostUin=" + std::string(account) +
           "&notice=0&callbackFun=&format=jsonp&plat=qzone&source=qzone&appid=4";
}

std::string photoListTarget(std::string_view account, std::string_view albumId) {
    return "/fcgi-bin/fcg_list_photo_v2?inCharset=gbk&outCharset=gbk&hostUin=" + std::string(account) +
           "&notice=0&callbackFun=&format=jsonp&plat=qzone&source=qzone&appid=4&uin=0&albumid=" +
           std::string(albumId);
}

std::string blogContentTarget(std::string_view account, std::string_view blogId) {
    return "/cgi-bin/blognew/blog_output_data?uin=" + std::string(account) + "&blogid=" + std::string(blogId);
}

// The first text between `start` and the next `end`.
std::optional<std::string> between(std::string_view text, std::string_view start, std::string_view end) {
    const auto at = text.find(start);
    const auto stop = at == std::string_view::npos ? at : text.find(end, at + start.size());
    if (stop == std::string_view::npos) {
        return std::nullopt;
    }
    return std::string(text.substr(at + start.size(), stop - at - start.size()));
}

// Every text between `start` and the next `end`, leftmost first.
std::vector<std::string> allBetween(std::string_view text, std::string_view start, std::string_view end) {
    std::vector<std::string> found;
    while (const auto value = between(text, start, end)) {
        found.push_back(*value);
        text.remove_prefix(text.find(start) + start.size() + value->size() + end.size());
    }
    return found;
}

std::string withoutBackslashes(std::string text) {
    std::erase(text, '\\');
    return text;
}

std::string withEscapedSlashes(std::string_view text) {
    std::string out;
    for (const char c : text) {
        out += c == '/' ? std::string("\\/") : std::string(1, c);
    }
    return out;
}

std::size_t occurrences(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

QImage pictureOf(std::string_view bytes) {
    return QImage::fromData(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

// Walks a GIF's blocks as a strict reader would: the offset of its trailer, or
// nothing when a block is malformed or the trailer is missing.
std::optional<std::size_t> gifTrailerAt(std::string_view gif) {
    auto byte = [&](std::size_t at) { return static_cast<unsigned char>(gif[at]); };
    auto paletteBytes = [](unsigned char flags) {
        return (flags & 0x80) ? std::size_t{3} << ((flags & 7) + 1) : 0;
    };
    if (gif.size() < 13 || gif.substr(0, 6) != "GIF89a") {
        return std::nullopt;
    }
    std::size_t at = 13 + paletteBytes(byte(10));
    auto skipSubBlocks = [&] {
        while (at < gif.size() && byte(at) != 0) {
            at += 1 + byte(at);
        }
        return at++ < gif.size();
    };
    while (at < gif.size()) {
        if (byte(at) == 0x3B) {
            return at;
        }
        if (byte(at) == 0x21) {
            at += 2;
        } else if (byte(at) == 0x2C && at + 10 < gif.size()) {
            at += 10 + paletteBytes(byte(at + 9)) + 1;
        } else {
            return std::nullopt;
        }
        if (!skipSubBlocks()) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// The album's fields as the program's album list takes them out of one piece.
SampleAlbum albumIn(std::string_view piece) {
    auto text = [&](std::string_view key) {
        return between(piece, "\"" + std::string(key) + "\" : \"", "\",\n").value_or("<missing>");
    };
    auto number = [&](std::string_view key) {
        return between(piece, "\"" + std::string(key) + "\" : ", ",\n").value_or("<missing>");
    };
    return {text("id"),
            text("name"),
            number("classid"),
            number("comment"),
            number("createtime"),
            text("desc"),
            withoutBackslashes(text("pre")),
            number("allowAccess"),
            text("question"),
            number("total"),
            {}};
}

class SampleServiceTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_service.start()); }

    [[nodiscard]] httplib::Client client() const {
        httplib::Client c("127.0.0.1", m_service.port());
        c.set_read_timeout(std::chrono::seconds(30));
        return c;
    }

    [[nodiscard]] std::string body(const std::string& target) {
        const auto res = client().Get(target);
        EXPECT_TRUE(res) << target;
        return res ? res->body : std::string();
    }

    SampleService m_service{withFaults({})};
};

TEST(SamplePosts, HoldChineseRepeatedAndEscapedTitles) {
    const auto posts = samplePosts(kPosts);
    ASSERT_EQ(posts.size(), std::size_t{kPosts});
    std::set<std::string> ids;
    std::set<std::string> titles;
    for (std::size_t i = 0; i < posts.size(); ++i) {
        SCOPED_TRACE(i);
        ids.insert(posts[i].blogId);
        titles.insert(posts[i].title);
        EXPECT_EQ(posts[i].blogId.find_first_not_of("0123456789"), std::string::npos);
        EXPECT_TRUE(std::any_of(posts[i].title.begin(), posts[i].title.end(),
                                [](char c) { return static_cast<unsigned char>(c) >= 0x80; }));
        EXPECT_EQ(gbkToUtf8(posts[i].title).find('?'), std::string::npos);
        EXPECT_EQ(posts[i].title.find("\\\"") != std::string::npos, i % 5 == 4);
    }
    EXPECT_EQ(ids.size(), posts.size());
    EXPECT_LT(titles.size(), posts.size());
    EXPECT_EQ(samplePosts(kPosts), posts);
}

TEST_F(SampleServiceTest, BlogListServesPagesInTheServicesLayout) {
    const auto res = client().Get(blogListTarget("123456789", 0));
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->get_header_value("Content-Type"), "text/html; charset=gbk");
    EXPECT_EQ(res->body.substr(0, kSuccessMarker.size()), kSuccessMarker);
    for (auto comma = res->body.find(','); comma != std::string::npos;
         comma = res->body.find(',', comma + 1)) {
        EXPECT_EQ(res->body[comma + 1], '\n') << "at byte " << comma;
    }

    const auto posts = samplePosts(kPosts);
    EXPECT_EQ(recordsIn(res->body), std::vector<SamplePost>(posts.begin(), posts.begin() + 15));
    const std::string second = body(blogListTarget("10001", 15));
    EXPECT_EQ(second.substr(0, kSuccessMarker.size()), kSuccessMarker);
    EXPECT_EQ(recordsIn(second), std::vector<SamplePost>(posts.begin() + 15, posts.end()));

    const std::string pastTheEnd = body(blogListTarget("123456789", 30));
    EXPECT_EQ(pastTheEnd.substr(0, kSuccessMarker.size()), kSuccessMarker);
    EXPECT_TRUE(recordsIn(pastTheEnd).empty());

    const auto missing = client().Get("/cgi-bin/no_such_thing?hostUin=123456789");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
}

TEST_F(SampleServiceTest, ProxyFormRequestIsAnsweredLikeAPlainOneAndRecorded) {
    const std::string target = blogListTarget("123456789", 15);
    const std::string absolute = "http://b.qzone.qq.com" + target;
    const std::string plainAnswer = body(target);
    m_service.clearRequests();

    const auto res = client().Get(absolute, {{"Host", "b.qzone.qq.com"}});
    ASSERT_TRUE(res);
    EXPECT_EQ(res->body, plainAnswer);

    const auto requests = m_service.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, absolute);
    EXPECT_EQ(requests[0].host, "b.qzone.qq.com");
    EXPECT_EQ(requests[0].pathAndQuery, target);
    EXPECT_EQ(requests[0].headers.count("Host"), 1u);
    EXPECT_EQ(requests[0].headers.count("REMOTE_ADDR"), 0u);
}

TEST_F(SampleServiceTest, FaultsShapeTheAnswersTheyTarget) {
    constexpr std::string_view cut = "\",\n\"title\":\"";
    const std::string normal = body(blogListTarget("123456789", 0));
    Fault status = fault("hostUin=10001", FaultKind::Status);
    status.status = 503;
    Fault truncate = fault("hostUin=10003", FaultKind::Truncate);
    truncate.cutAfter = cut;
    m_service.setOptions(withFaults({status, fault("hostUin=10002", FaultKind::NoSuccessMarker), truncate}));

    const auto failed = client().Get(blogListTarget("10001", 0));
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->status, 503);
    EXPECT_EQ(failed->body.find("_Callback"), std::string::npos);

    const std::string refused = body(blogListTarget("10002", 0));
    EXPECT_EQ(refused.rfind("_Callback({", 0), 0u);
    EXPECT_EQ(refused.find(kSuccessMarker), std::string::npos);
    EXPECT_TRUE(recordsIn(refused).empty());

    const std::string truncated = body(blogListTarget("10003", 0));
    EXPECT_EQ(truncated, normal.substr(0, normal.find(cut) + cut.size()));

    EXPECT_EQ(body(blogListTarget("10004", 0)), normal);
}

TEST_F(SampleServiceTest, CloseMidBodyDeliversFewerBytesThanAnnounced) {
    m_service.setOptions(withFaults({fault("get_abs", FaultKind::CloseMidBody)}));
    std::size_t announced = 0;
    std::string received;
    const auto res = client().Get(
        blogListTarget("123456789", 0),
        [&](const httplib::Response& r) {
            announced = std::stoul(r.get_header_value("Content-Length"));
            return true;
        },
        [&](const char* data, std::size_t length) {
            received.append(data, length);
            return true;
        });
    EXPECT_NE(res.error(), httplib::Error::Success);
    EXPECT_GT(received.size(), 0u);
    EXPECT_LT(received.size(), announced);

    m_service.setOptions(withFaults({}));
    EXPECT_EQ(body(blogListTarget("123456789", 0)).substr(0, received.size()), received);
}

TEST_F(SampleServiceTest, StallHoldsTheAnswerUntilTheClientGivesUpOrTheServiceStops) {
    m_service.setOptions(withFaults({fault("get_abs", FaultKind::Stall)}));

    httplib::Client impatient("127.0.0.1", m_service.port());
    impatient.set_read_timeout(std::chrono::milliseconds(200));
    std::string partial;
    const auto givenUp =
        impatient.Get(blogListTarget("123456789", 0), [&](const char* data, std::size_t length) {
            partial.append(data, length);
            return true;
        });
    EXPECT_EQ(givenUp.error(), httplib::Error::Read);
    EXPECT_EQ(partial.substr(0, kSuccessMarker.size()), kSuccessMarker);

    std::promise<void> firstBytes;
    std::thread patient([&] {
        bool signalled = false;
        const auto res = client().Get(blogListTarget("123456789", 0), [&](const char*, std::size_t) {
            if (!std::exchange(signalled, true)) {
                firstBytes.set_value();
            }
            return true;
        });
        EXPECT_NE(res.error(), httplib::Error::Success);
        if (!signalled) {
            firstBytes.set_value();
        }
    });
    firstBytes.get_future().wait();
    m_service.stop();
    patient.join();
    EXPECT_EQ(m_service.port(), 0);
}

TEST(SampleMoods, HoldChineseTextsEmojiAndEscapes) {
    const auto moods = sampleMoods(23);
    ASSERT_EQ(moods.size(), 23u);
    std::size_t emoji = 0;
    std::size_t quotes = 0;
    for (const SampleMood& mood : moods) {
        SCOPED_TRACE(gbkToUtf8(mood.con));
        EXPECT_FALSE(mood.con.empty());
        EXPECT_EQ(gbkToUtf8(mood.con).find('?'), std::string::npos);
        // U+1F600, which GBK cannot hold, in its four-byte form.
        emoji += mood.con.find("\x94\x39\xFC\x36") != std::string::npos;
        quotes += mood.con.find("\\\"") != std::string::npos;
    }
    EXPECT_GT(emoji, 0u);
    EXPECT_GT(quotes, 0u);
    EXPECT_EQ(sampleMoods(23), moods);
}

TEST_F(SampleServiceTest, MoodPagesHoldTheirTextsBetweenTheMarkers) {
    const auto moods = sampleMoods(23);
    const struct {
        std::string_view pos;
        std::size_t begin;
        std::size_t end;
    } pages[] = {{"00", 0, 10}, {"10", 10, 20}, {"20", 20, 23}, {"30", 23, 23}};
    for (const auto& page : pages) {
        SCOPED_TRACE(page.pos);
        const auto res = client().Get(moodTarget(kAccount, page.pos));
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        EXPECT_NE(res->get_header_value("Content-Type").find("charset=utf-8"), std::string::npos);
        EXPECT_EQ(gbkToUtf8(utf8ToGbk(res->body)), res->body) << "not UTF-8";
        std::vector<SampleMood> found;
        for (const std::string& text : allBetween(res->body, kMoodMarker, kMoodEnd)) {
            found.push_back({utf8ToGbk(text)});
        }
        EXPECT_EQ(found, std::vector<SampleMood>(moods.begin() + page.begin, moods.begin() + page.end));
        EXPECT_EQ(occurrences(res->body, kMoodMarker), page.end - page.begin);
        EXPECT_EQ(occurrences(res->body, "\"conlist\":null"), page.begin < page.end ? 1u : 0u);
    }
    EXPECT_NE(body(moodTarget(kAccount, "00")).find("\xF0\x9F\x98\x80"), std::string::npos);
}

TEST_F(SampleServiceTest, RouteNamesTheDefaultHostOrLeavesItEmptyForTheBackup) {
    // The program's reading: the entry named by "default", its backup when its host is empty.
    auto hostIn = [](std::string_view answer) {
        const std::string name = between(answer, "default\":\"", "\"").value_or("");
        std::string host;
        for (const std::string& entry : {"\"" + name + "\":", "\"" + name + "_bak\":"}) {
            const auto at = answer.find(entry);
            const std::string_view object = at == std::string_view::npos
                                                ? std::string_view{}
                                                : answer.substr(at, answer.find('}', at) - at);
            host = between(object, "s\":\"", "\"").value_or("");
            EXPECT_EQ(between(object, "p\":\"", "\""), "80") << entry;
            if (!host.empty()) {
                break;
            }
        }
        return host;
    };
    const struct {
        std::string defaultHost;
        std::string expected;
    } cases[] = {{"sz.photo.store.qq.com", "sz.photo.store.qq.com"}, {"", "szbak.photo.store.qq.com"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.defaultHost);
        Options options = withFaults({});
        options.routeDefaultHost = c.defaultHost;
        options.routeBackupHost = "szbak.photo.store.qq.com";
        m_service.setOptions(options);
        const std::string answer = body(routeTarget(kAccount));
        EXPECT_EQ(answer.rfind("{\"r\":", 0), 0u);
        EXPECT_EQ(hostIn(answer), c.expected);
    }
}

TEST(SampleAlbums, CoverEveryCategoryAndTheAwkwardCases) {
    const std::vector<int> counts = Options{}.albumPhotos;
    const auto albums = sampleAlbums(counts);
    ASSERT_EQ(albums.size(), counts.size());
    std::set<std::string> ids;
    std::set<std::string> classids;
    std::set<std::string> photos;
    bool closedWithQuestion = false;
    bool pathLikeName = false;
    for (std::size_t i = 0; i < albums.size(); ++i) {
        const SampleAlbum& album = albums[i];
        SCOPED_TRACE(album.id);
        ids.insert(album.id);
        classids.insert(album.classid);
        EXPECT_EQ(album.total, std::to_string(counts[i]));
        EXPECT_EQ(album.photoUrls.size(), std::size_t(counts[i]));
        EXPECT_EQ(album.pre.find('\\'), std::string::npos);
        photos.insert(album.photoUrls.begin(), album.photoUrls.end());
        closedWithQuestion |= album.allowAccess == "0" && !album.question.empty();
        pathLikeName |=
            album.name.find("..") != std::string::npos && album.name.find('/') != std::string::npos &&
            album.name.find('\\') != std::string::npos && album.name.find(':') != std::string::npos;
    }
    EXPECT_EQ(ids.size(), albums.size());
    EXPECT_EQ(classids,
              (std::set<std::string>{"100", "101", "102", "103", "104", "105", "106", "107", "108"}));
    EXPECT_EQ(photos.size(), std::size_t(std::accumulate(counts.begin(), counts.end(), 0)));
    EXPECT_TRUE(closedWithQuestion);
    EXPECT_TRUE(pathLikeName);
}

TEST_F(SampleServiceTest, AlbumListCutAtViewtypeGivesOneRecordPerAlbum) {
    const std::string answer = body(albumListTarget(kAccount));
    std::vector<std::string_view> pieces;
    std::string_view rest = answer;
    for (auto at = rest.find("viewtype"); at != std::string_view::npos; at = rest.find("viewtype")) {
        pieces.push_back(rest.substr(0, at));
        rest.remove_prefix(at + 8);
    }
    pieces.push_back(rest);
    std::vector<SampleAlbum> found;
    for (const std::string_view piece : pieces) {
        if (piece.find("\"id\" : \"") != std::string_view::npos) {
            found.push_back(albumIn(piece));
        }
    }
    auto expected = m_service.albums();
    EXPECT_EQ(expected, sampleAlbums(Options{}.albumPhotos));
    for (SampleAlbum& album : expected) {
        album.photoUrls.clear();
    }
    EXPECT_EQ(pieces.size(), expected.size() + 1);
    EXPECT_EQ(found, expected);
}

TEST_F(SampleServiceTest, PhotoListHoldsExactlyTheAlbumsAddressesBeforeItsEnd) {
    const auto albums = m_service.albums();
    for (const SampleAlbum& album : albums) {
        SCOPED_TRACE(album.id);
        const std::string answer = body(photoListTarget(kAccount, album.id));
        const auto array = between(answer, kPhotoArrayMarker, kPhotoArrayEnd);
        ASSERT_TRUE(array);
        if (album.photoUrls.empty()) {
            // Running on would reach the next array, which ends alike.
            EXPECT_EQ(array->rfind("[],\n", 0), 0u);
        } else {
            std::vector<std::string> expected;
            std::transform(album.photoUrls.begin(), album.photoUrls.end(), std::back_inserter(expected),
                           withEscapedSlashes);
            EXPECT_EQ(allBetween(*array, "\"url\" : \"", "\",\n"), expected);
            EXPECT_EQ(array->find(kTopPicture), std::string::npos);
        }
        EXPECT_GT(answer.find(kTopPicture), answer.find(kPhotoArrayMarker));
    }
    const std::string unknown = body(photoListTarget(kAccount, "V13NoSuchAlbum"));
    EXPECT_NE(unknown.find("\"code\" : -1"), std::string::npos);
    EXPECT_EQ(unknown.find(kPhotoArrayMarker), std::string::npos);
}

TEST(SamplePhotoBytes, AreLoadablePicturesOfExactlyTheAskedSize) {
    constexpr std::string_view url = "http://b100.photo.store.qq.com/psb?/V13abc/1/b/1.jpg";
    const std::string small = samplePhotoBytes(url, 0);
    const QImage picture = pictureOf(small);
    ASSERT_FALSE(picture.isNull());
    EXPECT_NE(picture.pixel(8, 8),
              pictureOf(samplePhotoBytes("http://b1.photo.store.qq.com/psb?/x", 0)).pixel(8, 8));
    // Every way of padding: a comment of each length near a sub-block's edge, bytes after the end, megabytes.
    std::vector<std::size_t> sizes{2u << 20};
    for (std::size_t extra = 0; extra < 600; ++extra) {
        sizes.push_back(small.size() + extra);
    }
    for (const std::size_t size : sizes) {
        SCOPED_TRACE(size);
        const std::string bytes = samplePhotoBytes(url, size);
        ASSERT_EQ(bytes.size(), size);
        EXPECT_EQ(pictureOf(bytes), picture);
        // The padding lies inside the picture, bar a few bytes that no block can hold.
        const auto trailer = gifTrailerAt(bytes);
        ASSERT_TRUE(trailer);
        EXPECT_LT(size - *trailer, 6u);
    }
}

TEST_F(SampleServiceTest, PhotosAreServedAtTheirAddressesOnAnyHost) {
    const auto albums = m_service.albums();
    for (const std::size_t size : {std::size_t{0}, std::size_t{2} << 20}) {
        Options options = withFaults({});
        options.photoBytes = size;
        m_service.setOptions(options);
        for (const std::string& url : {albums[0].photoUrls[0], albums[3].photoUrls[11], albums[2].pre}) {
            SCOPED_TRACE(url);
            const auto res = client().Get(url);
            ASSERT_TRUE(res);
            EXPECT_EQ(res->status, 200);
            EXPECT_EQ(res->get_header_value("Content-Type"), "image/jpeg");
            EXPECT_EQ(res->body, samplePhotoBytes(url, size));
            EXPECT_FALSE(pictureOf(res->body).isNull());
            if (size != 0) {
                EXPECT_EQ(res->body.size(), size);
            }
        }
    }
    const auto unknown = client().Get("http://b1.photo.store.qq.com/psb?/V13NoSuchAlbum/1/b/1.jpg");
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->status, 404);
}

TEST_F(SampleServiceTest, UpdatePageFramesItsThreeFieldsInGbk) {
    for (const std::string version : {"版本号：V1.1", "版本号：V1.2"}) {
        SCOPED_TRACE(version);
        Options options = withFaults({});
        options.updateVersion = version;
        m_service.setOptions(options);
        const std::string page = body("http://moshu.example" + std::string(kUpdatePath));
        EXPECT_EQ(between(page, gbk("左边【"), gbk("】右边")), gbk(version));
        EXPECT_EQ(between(page, gbk("更新内容左边【"), gbk("】更新内容右边")), gbk(kSampleWhatsNew));
        EXPECT_EQ(between(page, gbk("更新地址左边【"), gbk("】更新地址右边")), gbk(kSampleDownloadUrl));
    }
}

TEST_F(SampleServiceTest, BlogContentIsThePostsOwnPage) {
    const auto posts = m_service.posts();
    std::set<std::string> pages;
    for (const SamplePost& post : posts) {
        SCOPED_TRACE(post.blogId);
        const auto res = client().Get(blogContentTarget(kAccount, post.blogId));
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        EXPECT_EQ(res->body, samplePostPage(post));
        EXPECT_EQ(res->body.rfind("<!DOCTYPE", 0), 0u);
        EXPECT_NE(res->body.find("<h1 class=\"title\">" + post.title + "</h1>"), std::string::npos);
        EXPECT_NE(res->body.find(post.blogId), std::string::npos);
        pages.insert(res->body);
    }
    EXPECT_EQ(pages.size(), posts.size());
    const auto unknown = client().Get(blogContentTarget(kAccount, "1"));
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->status, 404);
}

TEST_F(SampleServiceTest, BadAccountsAndRefusalsLackTheMarkersOfAnAnswer) {
    const std::string albumId = m_service.albums()[0].id;
    const std::string blogId = m_service.posts()[0].blogId;
    const struct {
        std::string target;
        std::string marker;
    } endpoints[] = {
        {moodTarget(kBadAccount, "00"), std::string(kMoodMarker)},
        {routeTarget(kBadAccount), "{\"r\":"},
        {albumListTarget(kBadAccount), "\"id\" : \""},
        {photoListTarget(kBadAccount, albumId), std::string(kPhotoArrayMarker)},
        {blogContentTarget(kBadAccount, blogId), blogId},
    };
    for (const auto& e : endpoints) {
        SCOPED_TRACE(e.target);
        EXPECT_EQ(body(e.target).find(e.marker), std::string::npos);
    }
    std::string good = endpoints[3].target;
    good.replace(good.find(kBadAccount), kBadAccount.size(), kAccount);
    m_service.setOptions(withFaults({fault("", FaultKind::NoSuccessMarker)}));
    EXPECT_EQ(body(good).find(kPhotoArrayMarker), std::string::npos);
    EXPECT_EQ(body(std::string(kUpdatePath)).find(gbk("左边【")), std::string::npos);
}

TEST_F(SampleServiceTest, FaultsApplyToTheNewEndpointsToo) {
    const std::string photoUrl = m_service.albums()[0].photoUrls[0];
    const std::string photoPath = photoUrl.substr(photoUrl.find("/psb?"));
    const std::string firstMoods = body(moodTarget(kAccount, "00"));
    const std::string albums = body(albumListTarget(kAccount));
    Fault status = fault(photoPath, FaultKind::Status);
    status.status = 503;
    m_service.setOptions(withFaults({status, fault("pos=10", FaultKind::RepeatFirstPage),
                                     fault("fcg_list_album_v2", FaultKind::Utf8Body)}));

    const auto failed = client().Get(photoUrl);
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->status, 503);
    EXPECT_EQ(body(moodTarget(kAccount, "10")), firstMoods);
    const auto utf8Albums = client().Get(albumListTarget(kAccount));
    ASSERT_TRUE(utf8Albums);
    EXPECT_EQ(utf8Albums->get_header_value("Content-Type"), "text/html; charset=utf-8");
    EXPECT_EQ(utf8Albums->body, gbkToUtf8(albums));
    // Already UTF-8: left as it is.
    m_service.setOptions(withFaults({}));
    const std::string thirdMoods = body(moodTarget(kAccount, "20"));
    for (const FaultKind kind : {FaultKind::Utf8Body, FaultKind::UndeclaredUtf8}) {
        m_service.setOptions(withFaults({fault("pos=20", kind)}));
        const auto res = client().Get(moodTarget(kAccount, "20"));
        ASSERT_TRUE(res);
        EXPECT_EQ(res->body, thirdMoods);
        EXPECT_EQ(res->get_header_value("Content-Type").find("charset=utf-8") == std::string::npos,
                  kind == FaultKind::UndeclaredUtf8);
    }

    m_service.setOptions(withFaults({fault(photoPath, FaultKind::CloseMidBody)}));
    std::string received;
    const auto cut = client().Get(photoUrl, [&](const char* data, std::size_t length) {
        received.append(data, length);
        return true;
    });
    EXPECT_NE(cut.error(), httplib::Error::Success);
    EXPECT_EQ(received, samplePhotoBytes(photoUrl, 0).substr(0, received.size()));
    EXPECT_LT(received.size(), samplePhotoBytes(photoUrl, 0).size());
}

} // namespace
} // namespace qzb::sample
