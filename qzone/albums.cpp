#include "qzone/albums.h"

#include "net/http_request.h"
#include "net/pattern_matcher.h"
#include "net/text_encoding.h"
#include "qzb_build_config.h"
#include "qzone/account_number.h"
#include "qzone/callback_answer.h"

#include <algorithm>
#include <array>

namespace qzb {
namespace {

constexpr std::string_view kRouteMarker = "{\"r\":";
constexpr std::string_view kDefaultMarker = "default\":\"";
constexpr std::string_view kBackupSuffix = "_bak";
constexpr std::string_view kHostMarker = "s\":\"";
constexpr std::string_view kSecondMarker = "p\":\"";
constexpr std::string_view kQuote = "\"";

constexpr std::string_view kRecordSeparator = "viewtype";
constexpr std::string_view kTextTerminator = "\",\n";
constexpr std::string_view kNumberTerminator = ",\n";

struct CategoryName {
    std::string_view classid;
    std::string_view name;
};

constexpr std::array<CategoryName, 8> kCategories = {{
    {"100", "最爱"},
    {"101", "人物"},
    {"102", "风景"},
    {"103", "动物"},
    {"104", "游记"},
    {"105", "卡通"},
    {"106", "生活"},
    {"107", "其他"},
}};

// The route entry named `name`: from its quoted name to the end of its object.
// The brace tells the entry's key from a field value of the same text.
std::optional<AlbumRoute> routeEntry(std::string_view answer, std::string_view name) {
    const std::string key = "\"" + std::string(name) + "\":{";
    const auto at = findText(answer, key);
    if (!at)
        return std::nullopt;
    std::string_view entry = answer.substr(*at);
    entry = entry.substr(0, findText(entry, "}").value_or(entry.size()));
    AlbumRoute route{firstBetween(entry, kHostMarker, kQuote), firstBetween(entry, kSecondMarker, kQuote)};
    if (!isPlainHostName(route.s))
        return std::nullopt;
    return route;
}

std::string withoutBackslashes(std::string text) {
    std::erase(text, '\\');
    return text;
}

AlbumEntry albumFrom(std::string_view piece) {
    AlbumEntry album;
    album.id = firstBetween(piece, "\"id\" : \"", kTextTerminator);
    album.name = firstBetween(piece, "\"name\" : \"", kTextTerminator);
    album.classid = firstBetween(piece, "\"classid\" : ", kNumberTerminator);
    album.category = albumCategoryName(album.classid);
    album.comment = firstBetween(piece, "\"comment\" : ", kNumberTerminator);
    album.createtime = firstBetween(piece, "\"createtime\" : ", kNumberTerminator);
    album.desc = firstBetween(piece, "\"desc\" : \"", kTextTerminator);
    album.pre = withoutBackslashes(firstBetween(piece, "\"pre\" : \"", kTextTerminator));
    album.allowAccess = firstBetween(piece, "\"allowAccess\" : ", kNumberTerminator);
    album.question = firstBetween(piece, "\"question\" : \"", kTextTerminator);
    album.total = firstBetween(piece, "\"total\" : ", kNumberTerminator);
    return album;
}

} // namespace

bool isPlainHostName(std::string_view host) {
    return !host.empty() && host.size() <= 253 && std::all_of(host.begin(), host.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
               c == '-';
    });
}

std::string albumRouteUrl(std::string_view account) {
    return "http://" + std::string(config::kAlbumRouteHost) + "/GetRoute?UIN=" + std::string(account) +
           "&type=json&version=2&json_esc=1";
}

std::optional<AlbumRoute> parseAlbumRoute(std::string_view answer) {
    if (!findText(answer, kRouteMarker))
        return std::nullopt;
    const std::string name = firstBetween(answer, kDefaultMarker, kQuote);
    if (name.empty())
        return std::nullopt;
    if (auto route = routeEntry(answer, name))
        return route;
    return routeEntry(answer, name + std::string(kBackupSuffix));
}

std::optional<AlbumRoute> lookupAlbumRoute(std::string_view account) {
    if (!isValidAccountNumber(account))
        return std::nullopt;
    WebRequest request;
    request.url = albumRouteUrl(account);
    return parseAlbumRoute(sendWebRequest(request).body);
}

std::string albumListUrl(const AlbumRoute& route, std::string_view account) {
    return "http://" + route.s +
           "/fcgi-bin/fcg_list_album_v2?inCharset=gbk&outCharset=gbk&hostUin=" + std::string(account) +
           "&notice=0&callbackFun=&format=jsonp&plat=qzone&source=qzone&appid=4";
}

std::vector<AlbumEntry> parseAlbumList(std::string_view answer) {
    std::vector<AlbumEntry> albums;
    std::size_t begin = 0;
    while (begin < answer.size()) {
        const std::size_t end = findText(answer, kRecordSeparator, begin).value_or(answer.size());
        const std::string_view piece = answer.substr(begin, end - begin);
        if (findText(piece, "\"id\" : \""))
            albums.push_back(albumFrom(piece));
        begin = end + kRecordSeparator.size();
    }
    return albums;
}

AlbumList listAlbums(std::string_view account) {
    AlbumList list;
    list.route = lookupAlbumRoute(account);
    if (!list.route)
        return list;
    WebRequest request;
    request.url = albumListUrl(*list.route, account);
    WebReply reply = sendWebRequest(request);
    list.answered = isSuccess(reply.headers) && isWholeCallback(reply.body) && !isRefusal(reply.body);
    list.entries = parseAlbumList(reply.body);
    return list;
}

std::string albumCategoryName(std::string_view classid) {
    for (const auto& category : kCategories) {
        if (category.classid == classid)
            return gbk(category.name);
    }
    return {};
}

std::string albumCountMessage(std::size_t count) {
    return gbk("共 ") + std::to_string(count) + gbk("个相册");
}

std::string albumCountTitle() {
    return gbk("提取完成");
}

} // namespace qzb
