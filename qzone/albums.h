#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qzb {

// Where an account's album and photo lists are served.
struct AlbumRoute {
    std::string s; // host
    std::string p; // the entry's second value, kept beside the host
    bool operator==(const AlbumRoute&) const = default;
};

// One album; every field is the answer's text between its markers, empty when missing.
struct AlbumEntry {
    std::string id;
    std::string name;
    std::string classid;
    std::string category; // the name for classid, empty when it has none
    std::string comment;
    std::string createtime;
    std::string desc;
    std::string pre; // cover address, the answer's backslashes removed
    std::string allowAccess;
    std::string question;
    std::string total;
    bool operator==(const AlbumEntry&) const = default;
};

struct AlbumList {
    std::optional<AlbumRoute> route; // none when the route lookup found no host
    bool answered = false;           // the album list was read whole, and not refused
    std::vector<AlbumEntry> entries;
};

[[nodiscard]] std::string albumRouteUrl(std::string_view account);
// The default route's entry, or its backup entry when the default gives no host.
[[nodiscard]] std::optional<AlbumRoute> parseAlbumRoute(std::string_view answer);
[[nodiscard]] std::optional<AlbumRoute> lookupAlbumRoute(std::string_view account);

[[nodiscard]] std::string albumListUrl(const AlbumRoute& route, std::string_view account);
[[nodiscard]] std::vector<AlbumEntry> parseAlbumList(std::string_view answer);
// Looks up the route, then asks its host for every album of the account. An
// account number that is not 5 to 11 digits sends nothing.
[[nodiscard]] AlbumList listAlbums(std::string_view account);

// "100" to "107": 最爱, 人物, 风景, 动物, 游记, 卡通, 生活, 其他; empty for any other.
[[nodiscard]] std::string albumCategoryName(std::string_view classid);

// "共 " + n + "个相册", titled "提取完成".
[[nodiscard]] std::string albumCountMessage(std::size_t count);
[[nodiscard]] std::string albumCountTitle();

// Whether a host name from an answer may be put into an address as it stands.
[[nodiscard]] bool isPlainHostName(std::string_view host);

} // namespace qzb
