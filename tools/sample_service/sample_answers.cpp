#include "tools/sample_service/sample_answers.h"

#include "net/text_encoding.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

namespace qzb::sample {
namespace {

constexpr std::string_view kBlogListPath = "/cgi-bin/blognew/get_abs";
constexpr std::string_view kBlogContentPath = "/cgi-bin/blognew/blog_output_data";
constexpr std::string_view kMoodListPath = "/cgi-bin/emotion_cgi_msglist_v6";
constexpr std::string_view kRoutePath = "/GetRoute";
constexpr std::string_view kAlbumListPath = "/fcgi-bin/fcg_list_album_v2";
constexpr std::string_view kPhotoListPath = "/fcgi-bin/fcg_list_photo_v2";
constexpr std::string_view kUpdatePagePath = "/moshuQQkongjianbbeifengongjugengxin/QQrizhibeifeng.html";
constexpr std::string_view kMoodContentType = "application/x-javascript; charset=utf-8";
constexpr std::string_view kPhotoContentType = "image/jpeg";
constexpr std::size_t kMoodsPerPage = 10;

std::string_view pathOf(std::string_view pathAndQuery) {
    return pathAndQuery.substr(0, pathAndQuery.find('?'));
}

std::optional<std::string_view> queryValue(std::string_view pathAndQuery, std::string_view key) {
    const auto question = pathAndQuery.find('?');
    if (question == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view query = pathAndQuery.substr(question + 1);
    while (!query.empty()) {
        const auto amp = query.find('&');
        const std::string_view item = query.substr(0, amp);
        const auto eq = item.find('=');
        if (item.substr(0, eq) == key) {
            return eq == std::string_view::npos ? std::string_view{} : item.substr(eq + 1);
        }
        query = amp == std::string_view::npos ? std::string_view{} : query.substr(amp + 1);
    }
    return std::nullopt;
}

std::optional<std::size_t> decimal(std::string_view text) {
    std::size_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

bool isAccountNumber(std::string_view text) {
    return text.size() >= 5 && text.size() <= 11 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::optional<std::string_view> accountIn(std::string_view pathAndQuery, std::string_view key) {
    const auto account = queryValue(pathAndQuery, key);
    if (!account || !isAccountNumber(*account)) {
        return std::nullopt;
    }
    return account;
}

std::uint64_t fnv1a(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return hash;
}

std::string twoDigits(std::size_t n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// The service escapes every "/" of an address inside its answers.
std::string jsonSlashes(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '/') {
            out += '\\';
        }
        out += c;
    }
    return out;
}

// Blog list: printed with a line feed after every comma and a tab before every
// top-level key; the program's markers depend on that layout.

std::string blogRecord(const SamplePost& post, std::size_t index) {
    static const std::string kCategories[] = {gbk("个人日记"), gbk("心情随笔"), gbk("读书")};
    const std::string day = std::to_string(10 + index % 18);
    return "{\"blogId\":" + post.blogId + ",\n\"blogType\":0,\n\"cate\":\"" +
           kCategories[index % std::size(kCategories)] + "\",\n\"title\":\"" + post.title +
           "\",\n\"commentNum\":" + std::to_string(index * 7 % 11) +
           ",\n\"readNum\":" + std::to_string(40 + index * 13 % 97) + ",\n\"pubTime\":\"2013-04-" + day +
           " 21:" + std::to_string(10 + index % 50) + "\",\n\"effect\":0}";
}

std::string blogListAnswer(const std::vector<SamplePost>& posts, std::size_t pos, std::size_t num) {
    std::string out =
        "_Callback({\n\t\"code\":0,\n\t\"subcode\":0,\n\t\"message\":\"\",\n\t\"default\":0,\n\t"
        "\"data\":{\"list\":[";
    const std::size_t begin = std::min(pos, posts.size());
    const std::size_t end = begin + std::min(num, posts.size() - begin);
    for (std::size_t i = begin; i < end; ++i) {
        if (i != begin) {
            out += ",\n";
        }
        out += blogRecord(posts[i], i);
    }
    out += "],\n\"totalNum\":" + std::to_string(posts.size()) + "}\n});";
    return out;
}

// What the service says to a visitor who may not read the space (or a broken request).
std::string blogListRefusal() {
    return "_Callback({\n\t\"code\":-3000,\n\t\"subcode\":-4001,\n\t\"message\":\"" + gbk("请先登录空间") +
           "\",\n\t\"notice\":0,\n\t\"time\":1365000000,\n\t\"tips\":\"" + gbk("没有访问权限") +
           "\",\n\t\"data\":{}\n});";
}

Reply blogList(std::string_view pathAndQuery, const std::vector<SamplePost>& posts, bool refuse) {
    const auto account = accountIn(pathAndQuery, "hostUin");
    const auto pos = decimal(queryValue(pathAndQuery, "pos").value_or("0"));
    const auto num = decimal(queryValue(pathAndQuery, "num").value_or("15"));
    if (refuse || !account || !pos || !num) {
        return {200, blogListRefusal()};
    }
    return {200, blogListAnswer(posts, *pos, *num)};
}

Reply blogContent(std::string_view pathAndQuery, const std::vector<SamplePost>& posts, bool refuse) {
    if (refuse || !accountIn(pathAndQuery, "uin")) {
        return {200, gbk("<html><head><title>QQ空间</title></head><body><p>对不起，您没有权限查看这篇日志。"
                         "</p></body></html>")};
    }
    const auto blogId = queryValue(pathAndQuery, "blogid").value_or("");
    const auto post =
        std::find_if(posts.begin(), posts.end(), [&](const SamplePost& p) { return p.blogId == blogId; });
    if (post == posts.end()) {
        return {404, errorPage(404)};
    }
    return {200, samplePostPage(*post)};
}

// Moods: one record a line, the first conlist element holding the text and,
// right behind it, the creation time, which the program's terminator needs.

std::string moodDate(std::size_t index) {
    return std::to_string(2013 - index / 336) + "年" + twoDigits(12 - index / 28 % 12) + "月" +
           twoDigits(28 - index % 28) + "日";
}

std::string moodRecord(std::string_view account, std::string_view text, std::size_t index) {
    const std::string date = moodDate(index);
    return "{\"certified\":0,\"cmtnum\":" + std::to_string(index * 3 % 7) +
           ",\"commentlist\":null,\"conlist\":[{\"con\":\"" + std::string(text) + "\",\"createTime\":\"" +
           date + "\",\"type\":2}],\"content\":\"" + std::string(text) +
           "\",\"created_time\":" + std::to_string(1365120000 - index * 259200) +
           ",\"editMask\":4095,\"fwdnum\":0,\"name\":\"小明\",\"pictotal\":0,\"right\":1,\"rt_sum\":0,"
           "\"secret\":0,\"tid\":\"" +
           std::to_string(fnv1a(text) % 1000000000000ull + index) +
           "\",\"ugc_right\":1,\"uin\":" + std::string(account) + ",\"wbid\":0}";
}

// A mood of pictures only: no text, so nothing for the program to take.
std::string pictureMood(std::string_view account) {
    return "{\"certified\":0,\"cmtnum\":0,\"commentlist\":null,\"conlist\":null,\"content\":\"\","
           "\"createTime\":\"2013年01月01日\",\"created_time\":1357000000,\"editMask\":4095,\"fwdnum\":0,"
           "\"name\":\"小明\",\"pic\":[{\"height\":600,\"pictype\":1,\"url1\":"
           "\"http:\\/\\/b1.photo.store.qq.com\\/psb?\\/mood\\/1\\/b\\/1.jpg\",\"width\":800}],"
           "\"pictotal\":1,\"right\":1,\"rt_sum\":0,\"secret\":0,\"tid\":\"picture-only\",\"ugc_right\":1,"
           "\"uin\":" +
           std::string(account) + ",\"wbid\":0}";
}

Reply moodList(std::string_view pathAndQuery, const std::vector<std::string>& texts, bool refuse) {
    const auto account = accountIn(pathAndQuery, "hostUin");
    const auto pos = decimal(queryValue(pathAndQuery, "pos").value_or("0"));
    const auto num = decimal(queryValue(pathAndQuery, "num").value_or("10"));
    if (refuse || !account || !pos || !num) {
        return {200,
                "_Callback({\"code\":-10031,\"subcode\":-4001,\"message\":\"对不起,主人设置了保密,"
                "您没有权限查看\",\"msglist\":null,\"total\":0});",
                kMoodContentType};
    }
    const std::size_t begin = std::min(*pos, texts.size());
    const std::size_t end = begin + std::min(*num, texts.size() - begin);
    std::string list;
    for (std::size_t i = begin; i < end; ++i) {
        list += (i == begin ? "\n" : ",\n") + moodRecord(*account, texts[i], i);
        if (i == begin) {
            list += ",\n" + pictureMood(*account);
        }
    }
    const std::string total = std::to_string(texts.size());
    return {200,
            "_Callback({\"code\":0,\"subcode\":0,\"message\":\"\",\"msglist\":" +
                (list.empty() ? std::string("null") : "[" + list + "\n]") +
                ",\"name\":\"小明\",\"num\":" + std::to_string(*num) + ",\"total\":" + total +
                ",\"usrinfo\":{\"concern\":0,\"fans\":0,\"followed\":0,\"msg\":\"\",\"msgnum\":" + total +
                ",\"name\":\"小明\",\"uin\":" + std::string(*account) + "}});",
            kMoodContentType};
}

// Route: the "gz" entries come first, so only a lookup by the default's name finds "sz".
Reply albumRoute(std::string_view pathAndQuery, const Options& options, bool refuse) {
    if (refuse || !accountIn(pathAndQuery, "UIN")) {
        return {200, "{\"code\":-1}"};
    }
    auto entry = [](std::string_view name, std::string_view host) {
        return "\"" + std::string(name) + "\":{\"s\":\"" + std::string(host) + "\",\"p\":\"80\"}";
    };
    return {200, "{\"r\":{\"default\":\"sz\"," + entry("gz", "gz.photo.store.qq.com") + "," +
                     entry("gz_bak", "gzbak.photo.store.qq.com") + "," +
                     entry("sz", options.routeDefaultHost) + "," + entry("sz_bak", options.routeBackupHost) +
                     "},\"code\":0}"};
}

// Album and photo lists: printed with " : " between key and value and a line
// feed after every comma, keys in alphabetical order; the program cuts albums at "viewtype",
// the last key of a record.

std::string quoted(std::string_view indent, std::string_view key, std::string_view value) {
    return std::string(indent) + "\"" + std::string(key) + "\" : \"" + std::string(value) + "\",\n";
}

std::string number(std::string_view indent, std::string_view key, std::string_view value) {
    return std::string(indent) + "\"" + std::string(key) + "\" : " + std::string(value) + ",\n";
}

std::string jsonpRefusal(int code, std::string_view message) {
    return "_Callback(\n{\n   \"code\" : " + std::to_string(code) + ",\n   \"message\" : \"" +
           std::string(message) + "\",\n   \"subcode\" : -4001\n}\n);\n";
}

std::string albumRecord(const SampleAlbum& album) {
    constexpr std::string_view in = "            ";
    const std::string lastUpload = std::to_string(std::stoll(album.createtime) + 864000);
    return "         {\n" + number(in, "allowAccess", album.allowAccess) + number(in, "anonymity", "0") +
           quoted(in, "bitmap", "10000000") + number(in, "classid", album.classid) +
           number(in, "comment", album.comment) + number(in, "createtime", album.createtime) +
           quoted(in, "desc", album.desc) + number(in, "handset", "0") + quoted(in, "id", album.id) +
           number(in, "lastuploadtime", lastUpload) + number(in, "modifytime", lastUpload) +
           quoted(in, "name", album.name) + number(in, "order", "0") +
           quoted(in, "pre", jsonSlashes(album.pre)) +
           number(in, "priv", album.allowAccess == "0" ? "5" : "1") + quoted(in, "question", album.question) +
           number(in, "total", album.total) + std::string(in) + "\"viewtype\" : 0\n         }";
}

Reply albumList(std::string_view pathAndQuery, const std::vector<SampleAlbum>& albums, bool refuse) {
    if (refuse || !accountIn(pathAndQuery, "hostUin")) {
        return {200, jsonpRefusal(-3000, gbk("对不起，您没有权限访问"))};
    }
    std::string list;
    for (const SampleAlbum& album : albums) {
        list += (list.empty() ? "\n" : ",\n") + albumRecord(album);
    }
    return {200, "_Callback(\n{\n   \"code\" : 0,\n   \"data\" : {\n      \"albumList\" : [" + list +
                     (list.empty() ? "" : "\n      ") + "],\n" +
                     number("      ", "albumsInUser", std::to_string(albums.size())) +
                     "      \"mode\" : 2\n   },\n   \"message\" : \"\",\n   \"subcode\" : 0\n}\n);\n"};
}

std::string photoRecord(const std::string& url, std::size_t index) {
    constexpr std::string_view in = "         ";
    return "      {\n" + number(in, "height", "16") +
           quoted(in, "name", gbk("照片") + std::to_string(index + 1)) +
           quoted(in, "uploadtime", "2012-10-" + twoDigits(1 + index % 28) + " 08:30:00") +
           quoted(in, "url", jsonSlashes(url)) + std::string(in) + "\"width\" : 16\n      }";
}

// The photo array ends in "}\n   ],\n"; the array of recommended pictures
// behind it ends alike, so a client that overruns an empty photo array finds
// addresses that are not the album's.
Reply photoList(std::string_view pathAndQuery, const std::vector<SampleAlbum>& albums, bool refuse) {
    if (refuse || !accountIn(pathAndQuery, "hostUin")) {
        return {200, jsonpRefusal(-3000, gbk("对不起，您没有权限访问"))};
    }
    const auto albumId = queryValue(pathAndQuery, "albumid").value_or("");
    const auto album =
        std::find_if(albums.begin(), albums.end(), [&](const SampleAlbum& a) { return a.id == albumId; });
    if (album == albums.end()) {
        return {200, jsonpRefusal(-1, gbk("相册不存在"))};
    }
    return {200, photoListAnswer(album->name, album->photoUrls)};
}

Reply photo(std::string_view pathAndQuery, const SampleAccount& account, const Options& options,
            bool refuse) {
    const auto found = account.photoByTarget.find(pathAndQuery);
    if (found == account.photoByTarget.end()) {
        return {404, errorPage(404)};
    }
    if (refuse) {
        return {403, errorPage(403)};
    }
    return {200, samplePhotoBytes(found->second, options.photoBytes), kPhotoContentType};
}

Reply updatePage(const Options& options, bool refuse) {
    if (refuse) {
        return {200, gbk("<html><head><title>网站维护</title></head><body><p>网站维护中，请稍后再来。</p>"
                         "</body></html>")};
    }
    return {200, sampleUpdatePage(options.updateVersion)};
}

// Photos: a GIF picture whose LZW codes are all eight bits wide (minimum code
// size 7, a clear code before the width could grow), so each pixel is one byte
// and no compressor is needed.

constexpr int kPictureSide = 16;
constexpr std::size_t kPaletteOffset = 13; // behind the signature and the screen descriptor
constexpr unsigned char kLzwMinimumCodeSize = 7;
constexpr char kClearCode = static_cast<char>(128);
constexpr char kEndCode = static_cast<char>(129);
constexpr int kPixelsBetweenClears = 100;
constexpr std::size_t kMaxSubBlock = 255;
constexpr std::string_view kPaddingText = "qzone-backup sample photo padding. ";

void appendLittleEndian16(std::string& out, int value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void appendSubBlocks(std::string& out, std::string_view data) {
    for (std::size_t at = 0; at < data.size(); at += kMaxSubBlock) {
        const std::string_view block = data.substr(at, kMaxSubBlock);
        out += static_cast<char>(block.size());
        out += block;
    }
    out += '\0';
}

// Everything up to the trailer; the palette is black until painted.
std::string pictureWithoutTrailer() {
    std::string out = "GIF89a";
    appendLittleEndian16(out, kPictureSide);
    appendLittleEndian16(out, kPictureSide);
    out += static_cast<char>(0xF1); // a global palette of four colours
    out += '\0';                    // background colour
    out += '\0';                    // square pixels
    out.append(12, '\0');
    out += ',';
    appendLittleEndian16(out, 0);
    appendLittleEndian16(out, 0);
    appendLittleEndian16(out, kPictureSide);
    appendLittleEndian16(out, kPictureSide);
    out += '\0';
    std::string codes;
    for (int p = 0; p < kPictureSide * kPictureSide; ++p) {
        if (p % kPixelsBetweenClears == 0) {
            codes += kClearCode;
        }
        const int x = p % kPictureSide;
        const int y = p / kPictureSide;
        const bool frame = x == 0 || y == 0 || x == kPictureSide - 1 || y == kPictureSide - 1;
        codes += static_cast<char>(frame ? 2 : (x / 4 + y / 4) % 2);
    }
    codes += kEndCode;
    out += static_cast<char>(kLzwMinimumCodeSize);
    appendSubBlocks(out, codes);
    return out;
}

// A comment extension of exactly `length` bytes; lengths 3 and 5 or more can be
// built (introducer, label, sub-blocks of 2 to 256 bytes, terminator).
std::string commentExtension(std::size_t length) {
    std::string out = "\x21\xFE";
    out.reserve(length);
    std::size_t blocks = length - 3;
    while (blocks > 0) {
        std::size_t block = std::min<std::size_t>(blocks, kMaxSubBlock + 1);
        if (blocks - block == 1) {
            --block; // a sub-block needs at least one data byte
        }
        out += static_cast<char>(block - 1);
        for (std::size_t i = 0; i + 1 < block; ++i) {
            out += kPaddingText[i % kPaddingText.size()];
        }
        blocks -= block;
    }
    out += '\0';
    return out;
}

// The picture grown to `size` bytes by a comment before the trailer (or, for the
// few lengths a comment cannot take, by bytes after it), or cut to `size`.
std::string pictureOfSize(std::size_t size) {
    std::string picture = pictureWithoutTrailer();
    if (size == 0) {
        return picture + ';';
    }
    if (size <= picture.size() + 1) {
        return (picture + ';').substr(0, size);
    }
    const std::size_t padding = size - picture.size() - 1;
    if (padding == 3 || padding >= 5) {
        return picture + commentExtension(padding) + ';';
    }
    return picture + ';' + std::string(padding, '\0');
}

// Big photos are served by the thousand; build each size once.
std::shared_ptr<const std::string> pictureTemplate(std::size_t size) {
    static std::mutex mutex;
    static std::map<std::size_t, std::shared_ptr<const std::string>> bySize;
    std::lock_guard lock(mutex);
    auto& picture = bySize[size];
    if (!picture) {
        picture = std::make_shared<const std::string>(pictureOfSize(size));
    }
    return picture;
}

// Album contents: names, categories and texts chosen to cover what the program
// must cope with: every category, one outside the table, a name that is a path,
// characters whose second GBK byte is "\", a closed album and an empty one.

struct AlbumText {
    const char* name;
    const char* desc;
};

constexpr AlbumText kAlbumTexts[] = {
    {"最爱的照片", "喜欢的照片都放在这里"},
    {"毕业照", "大学同学，永远的朋友"},
    {"西湖美景", "杭州，2012年春"},
    {"家里的小猫", "三只小猫咪的成长记录"},
    {R"(..\/旅行\/2012:夏)", "一路向西，走走停停"},
    {"私密相册", "只给好友看"},
    {"運動會照片", "誠實守信，運動第一"},
    {"手机上传", "手机随手拍"},
    {"新建相册", ""},
};
constexpr std::size_t kClosedAlbum = 5;

constexpr std::string_view kBase62 = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";

// Nine base-62 digits of the index, each shifted by its place and the digit
// before it: distinct for every index, and varied like the service's own ids.
std::string albumId(std::size_t index) {
    std::string id = "V13";
    std::size_t rest = index;
    std::size_t previous = 0;
    for (std::size_t place = 0; place < 9; ++place) {
        previous = (rest % kBase62.size() + 13 * place + 29 * previous + 7) % kBase62.size();
        id += kBase62[previous];
        rest /= kBase62.size();
    }
    return id;
}

std::string photoHost(std::size_t album, std::size_t photo) {
    return "http://b" + std::to_string(100 + (album * 31 + photo * 7) % 90) + ".photo.store.qq.com";
}

// A post's page differs in more than id and title: reading and list figures
// come from the id.
std::string postPageOf(const SamplePost& post) {
    const std::uint64_t seed = fnv1a(post.blogId);
    const std::string reads = std::to_string(40 + seed % 500);
    const std::string comments = std::to_string(seed / 500 % 30);
    const std::string& id = post.blogId;
    return "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
           "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
           "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n<head>\n"
           "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\" />\n"
           "<meta name=\"keywords\" content=\"" +
           gbk("QQ空间,日志") + "\" />\n<title>" + post.title + gbk(" - QQ空间") +
           "</title>\n<style type=\"text/css\">\n"
           "body { font: 12px/1.8 sans-serif; color: #333; }\n"
           ".blog_details p { margin: 0 0 8px; }\n"
           "table.data td, table.data th { border: 1px solid #ccc; padding: 2px 6px; }\n"
           "</style>\n<script type=\"text/javascript\">\n"
           "var g_blogId = \"" +
           id +
           "\";\n"
           "function shorten(text, limit) {\n"
           "    return text.length < limit ? text : text.substring(0, limit) + '...';\n"
           "}\n"
           "var g_closing = '</div><p>';\n"
           "</script>\n</head>\n<body>\n"
           "<div id=\"blogDetailDiv\" class=\"blog_details\">\n<h1 class=\"title\">" +
           post.title + "</h1>\n<div class=\"info\">" + gbk("阅读") + "(" + reads + ")&nbsp;&nbsp;" +
           gbk("评论") + "(" + comments + ")</div>\n<div class=\"content\">\n<p>" + gbk("这是日志") + " " +
           id + " " + gbk("的正文。春天来了，&#20013;国南方的雨总是下个不停。") +
           "</p>\n<p>Tom &amp; Jerry " +
           gbk("说：&quot;1 &lt; 2&quot;，这一行到此为止<br />换行之后的文字。") + "</p>\n" +
           "<div class=\"quote\"><div><p>" + gbk("引用：读书使人明智 —— 培根") + "</p></div></div>\n" +
           "<p><img src=\"http://b1.photo.store.qq.com/psb?/blog/" + id + "/b/1.jpg\" alt=\"" + gbk("配图") +
           "\" /></p>\n<p>" + gbk("原文链接：") + "<a href=\"http://user.qzone.qq.com/blog/" + id +
           "\">http://user.qzone.qq.com/blog/" + id + "</a></p>\n<table class=\"data\">\n<tr><th>" +
           gbk("项目") + "</th><th>" + gbk("数量") + "</th></tr>\n<tr><td>" + gbk("阅读") + "</td><td>" +
           reads + "</td></tr>\n<tr><td>" + gbk("评论") + "</td><td>" + comments +
           "</td></tr>\n</table>\n</div>\n</div>\n</body>\n</html>\n";
}

// Mood texts as the service writes them, JSON escapes kept.
std::vector<std::string> moodTexts(int count) {
    static const char* const kTexts[] = {
        "今天天气真好，出去走走。",      "加班到十点，终于回家了😀", "读完了《平凡的世界》，感慨万千。",
        R"(妈妈说\"多穿点衣服\"，好的)", "周末和朋友去吃火锅🍲",     "晚安，世界。",
        "新年快乐！🎉2013年一切顺利",     R"(第一行\n第二行)",       "Hello QQ空间！",
        "運動會拿了第一名，開心",        "雨下了一整天。",
    };
    std::vector<std::string> texts;
    for (int i = 0; i < count; ++i) {
        const auto round = static_cast<std::size_t>(i) / std::size(kTexts);
        texts.push_back(kTexts[static_cast<std::size_t>(i) % std::size(kTexts)] +
                        (round == 0 ? std::string() : "（" + std::to_string(round + 1) + "）"));
    }
    return texts;
}

} // namespace

std::string photoListAnswer(const std::string& albumName, const std::vector<std::string>& urls) {
    std::string pictures;
    for (std::size_t i = 0; i < urls.size(); ++i) {
        pictures += (i == 0 ? "\n" : ",\n") + photoRecord(urls[i], i);
    }
    const std::string total = std::to_string(urls.size());
    return "_Callback(\n{\n   \"code\" : 0,\n   \"data\" : {\n" + quoted("      ", "albumName", albumName) +
           number("      ", "albumnum", total) + "      \"pic\" : [" + pictures +
           (pictures.empty() ? "" : "\n   ") +
           "],\n   \"topPics\" : [\n      {\n"
           "         \"url\" : \"http:\\/\\/not.the.album.example\\/top.jpg\",\n"
           "         \"width\" : 10\n      }\n   ],\n      \"total\" : " +
           total + "\n   },\n   \"message\" : \"\"\n}\n);\n";
}

std::string errorPage(int status) {
    const std::string code = std::to_string(status);
    return "<html><head><title>" + code + "</title></head><body><h1>" + code +
           "</h1><p>The request could not be served.</p></body></html>";
}

Reply answer(std::string_view pathAndQuery, const SampleAccount& account, const Options& options,
             bool refuse) {
    const std::string_view path = pathOf(pathAndQuery);
    if (path == kBlogListPath) {
        return blogList(pathAndQuery, account.posts, refuse);
    }
    if (path == kBlogContentPath) {
        return blogContent(pathAndQuery, account.posts, refuse);
    }
    if (path == kMoodListPath) {
        return moodList(pathAndQuery, account.moodTexts, refuse);
    }
    if (path == kRoutePath) {
        return albumRoute(pathAndQuery, options, refuse);
    }
    if (path == kAlbumListPath) {
        return albumList(pathAndQuery, account.albums, refuse);
    }
    if (path == kPhotoListPath) {
        return photoList(pathAndQuery, account.albums, refuse);
    }
    if (path == kUpdatePagePath) {
        return updatePage(options, refuse);
    }
    return photo(pathAndQuery, account, options, refuse);
}

SampleAccount sampleAccount(const Options& options) {
    SampleAccount account{samplePosts(options.posts),
                          moodTexts(options.moods),
                          sampleMoods(options.moods),
                          sampleAlbums(options.albumPhotos),
                          {}};
    constexpr std::string_view scheme = "http://";
    for (const SampleAlbum& album : account.albums) {
        for (const std::string& url : album.photoUrls) {
            account.photoByTarget.emplace(url.substr(url.find('/', scheme.size())), url);
        }
        account.photoByTarget.emplace(album.pre.substr(album.pre.find('/', scheme.size())), album.pre);
    }
    return account;
}

std::vector<SamplePost> samplePosts(int count) {
    static const char* const kTopics[] = {
        "春天的第一场雨", "读书笔记：《围城》", "周末去爬山", "運動會的回憶", "西湖旅行日记",
        "年终工作总结",   "深夜随想",           "关于友情",   "家乡的味道",   "毕业三年",
    };
    // Titles as the service writes them: a quote inside a title keeps its backslash.
    static const char* const kQuoted[] = {
        R"(妈妈说\"早点回家\")",
        R"(他说\"你好\"然后走了)",
        R"(\"再见\"是最难的两个字)",
    };
    std::vector<SamplePost> posts;
    for (int i = 0; i < count; ++i) {
        std::string title;
        if (i % 5 == 4) {
            title = gbk(kQuoted[(i / 5) % std::size(kQuoted)]);
        } else if (i % 6 == 1) {
            title = gbk("无题"); // repeats, as real titles do
        } else {
            title = gbk(kTopics[i % std::size(kTopics)]) + gbk("（") + std::to_string(i + 1) + gbk("）");
        }
        posts.push_back({std::to_string(1200000000LL + i), std::move(title)});
    }
    return posts;
}

std::string samplePostPage(const SamplePost& post) {
    return postPageOf(post);
}

std::vector<SampleMood> sampleMoods(int count) {
    std::vector<SampleMood> moods;
    for (const std::string& text : moodTexts(count)) {
        moods.push_back({utf8ToGbk(text)});
    }
    return moods;
}

std::vector<SampleAlbum> sampleAlbums(const std::vector<int>& albumPhotos) {
    std::vector<SampleAlbum> albums;
    for (std::size_t i = 0; i < albumPhotos.size(); ++i) {
        const std::size_t kind = i % std::size(kAlbumTexts);
        const std::size_t round = i / std::size(kAlbumTexts);
        const std::string id = albumId(i);
        SampleAlbum album;
        album.id = id;
        album.name = gbk(kAlbumTexts[kind].name) +
                     (round == 0 ? "" : gbk("（") + std::to_string(round + 1) + gbk("）"));
        album.classid = std::to_string(100 + kind);
        album.comment = std::to_string((i * 5 + 2) % 13);
        album.createtime = std::to_string(1350000000 + i * 2592000 + i * i * 3607);
        album.desc = gbk(kAlbumTexts[kind].desc);
        album.pre = photoHost(i, 0) + "/psb?/" + id + "/cover/b/";
        album.allowAccess = kind == kClosedAlbum ? "0" : "1";
        album.question = kind == kClosedAlbum ? gbk("我的小学叫什么名字？") : "";
        const auto photos = static_cast<std::size_t>(std::max(albumPhotos[i], 0));
        album.total = std::to_string(photos);
        for (std::size_t n = 1; n <= photos; ++n) {
            const std::string number = std::to_string(n);
            album.photoUrls.push_back(photoHost(i, n) + "/psb?/" + id + "/" + number + "/b/" + number +
                                      ".jpg");
        }
        albums.push_back(std::move(album));
    }
    return albums;
}

std::string samplePhotoBytes(std::string_view photoUrl, std::size_t size) {
    std::string bytes = *pictureTemplate(size);
    const std::uint64_t hash = fnv1a(photoUrl);
    const unsigned char palette[] = {
        static_cast<unsigned char>(hash),
        static_cast<unsigned char>(hash >> 8),
        static_cast<unsigned char>(hash >> 16),
        static_cast<unsigned char>(~hash),
        static_cast<unsigned char>(~hash >> 8),
        static_cast<unsigned char>(~hash >> 16),
        0xFF,
        0xFF,
        0xFF,
        0x00,
        0x00,
        0x00,
    };
    for (std::size_t i = 0; i < std::size(palette) && kPaletteOffset + i < bytes.size(); ++i) {
        bytes[kPaletteOffset + i] = static_cast<char>(palette[i]);
    }
    return bytes;
}

std::string sampleUpdatePage(std::string_view version) {
    return gbk("<!DOCTYPE html>\n<html>\n<head>\n"
               "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">\n"
               "<title>QQ空间备份工具 版本信息</title>\n</head>\n<body>\n<p>最新版本：左边【") +
           gbk(version) + gbk("】右边</p>\n<p>更新内容左边【") + gbk(kSampleWhatsNew) +
           gbk("】更新内容右边</p>\n<p>更新地址左边【") + gbk(kSampleDownloadUrl) +
           gbk("】更新地址右边</p>\n</body>\n</html>\n");
}

} // namespace qzb::sample
