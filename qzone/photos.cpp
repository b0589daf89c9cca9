#include "qzone/photos.h"

#include "net/http_request.h"
#include "net/pattern_matcher.h"
#include "net/text_encoding.h"
#include "qzone/account_number.h"
#include "qzone/callback_answer.h"

#include <algorithm>
#include <cctype>

namespace qzb {
namespace {

constexpr std::string_view kArrayMarker = "\"pic\" : ";
constexpr std::string_view kArrayEnd = "}\n   ],\n";
constexpr std::string_view kAddressMarker = "\"url\" : \"";
constexpr std::string_view kTextTerminator = "\",\n";

bool isEmptyArray(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos || text[first] != '[')
        return false;
    const std::size_t next = text.find_first_not_of(" \t\r\n", first + 1);
    return next != std::string_view::npos && text[next] == ']';
}

std::vector<std::string_view> labelsOf(std::string_view host) {
    std::vector<std::string_view> labels;
    std::size_t begin = 0;
    while (true) {
        const std::size_t dot = host.find('.', begin);
        labels.push_back(host.substr(begin, dot - begin));
        if (dot == std::string_view::npos)
            return labels;
        begin = dot + 1;
    }
}

bool isDecimal(std::string_view label) {
    return !label.empty() &&
           std::all_of(label.begin(), label.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isHexNumber(std::string_view label) {
    return label.size() > 2 && (label.starts_with("0x") || label.starts_with("0X")) &&
           std::all_of(label.begin() + 2, label.end(),
                       [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

// Addresses of other machines: names, and plain dotted quads outside 0.0.0.0/8
// and 127.0.0.0/8. Other number forms ("2130706433", "0x7f.1", "0177.0.0.1")
// are refused, since they can spell loopback. One trailing dot ends a fully
// qualified name ("localhost.", "127.0.0.1."), which is the same host.
bool isOtherMachine(std::string_view host) {
    if (host.ends_with('.'))
        host.remove_suffix(1);
    std::string lower(host);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "localhost" || lower.ends_with(".localhost"))
        return false;
    const auto labels = labelsOf(lower);
    const bool numeric = std::all_of(labels.begin(), labels.end(), [](std::string_view label) {
        return isDecimal(label) || isHexNumber(label);
    });
    if (!numeric)
        return true;
    if (labels.size() != 4)
        return false;
    for (std::string_view label : labels) {
        if (!isDecimal(label) || label.size() > 3 || (label.size() > 1 && label[0] == '0') ||
            std::stoi(std::string(label)) > 255)
            return false;
    }
    return labels[0] != "127" && labels[0] != "0";
}

} // namespace

std::string photoListUrl(const AlbumRoute& route, std::string_view account, std::string_view albumId) {
    return "http://" + route.s +
           "/fcgi-bin/fcg_list_photo_v2?inCharset=gbk&outCharset=gbk&hostUin=" + std::string(account) +
           "&notice=0&callbackFun=&format=jsonp&plat=qzone&source=qzone&appid=4&uin=0&albumid=" +
           urlEncode(albumId);
}

std::vector<std::string> parsePhotoList(std::string_view answer) {
    const auto marker = findText(answer, kArrayMarker);
    if (!marker)
        return {};
    const std::size_t arrayBegin = *marker + kArrayMarker.size();
    if (isEmptyArray(answer.substr(arrayBegin)))
        return {};
    const auto arrayEnd = findText(answer, kArrayEnd, arrayBegin);
    if (!arrayEnd)
        return {};
    std::vector<std::string> urls =
        extractBetween(answer.substr(arrayBegin, *arrayEnd - arrayBegin), kAddressMarker, kTextTerminator);
    for (std::string& url : urls)
        std::erase(url, '\\');
    return urls;
}

std::vector<std::string> listPhotoUrls(std::string_view account, const AlbumRoute& route,
                                       std::string_view albumId) {
    if (!isValidAccountNumber(account) || !isPlainHostName(route.s))
        return {};
    WebRequest request;
    request.url = photoListUrl(route, account, albumId);
    return parsePhotoList(sendWebRequest(request).body);
}

bool isAcceptablePhotoUrl(std::string_view url) {
    const UrlParts parts = splitUrl(url);
    return parts.valid && isPlainHostName(parts.host) && isOtherMachine(parts.host);
}

PhotoDownload downloadAlbumPhotos(std::string_view account, const AlbumRoute& route, const AlbumEntry& album,
                                  const SavePhoto& save, const PhotoProgress& progress,
                                  const StopPhotos& stopRequested) {
    PhotoDownload outcome;
    if (!isValidAccountNumber(account) || !isPlainHostName(route.s))
        return outcome;
    WebRequest request;
    request.url = photoListUrl(route, account, album.id);
    const WebReply reply = sendWebRequest(request);
    outcome.listRead = isSuccess(reply.headers) && isWholeCallback(reply.body) && !isRefusal(reply.body);
    const std::vector<std::string> urls = parsePhotoList(reply.body);
    const int total = static_cast<int>(urls.size());
    outcome.listed = total;
    for (int number = 1; number <= total; ++number) {
        if (stopRequested && stopRequested()) {
            outcome.stopped = true;
            break;
        }
        const std::string& url = urls[static_cast<std::size_t>(number - 1)];
        const std::string bytes = isAcceptablePhotoUrl(url) ? fetchUrlBytes(url) : std::string();
        if (!bytes.empty() && save(number, bytes))
            ++outcome.saved;
        else
            ++outcome.failed;
        if (progress)
            progress(number, total);
    }
    return outcome;
}

std::string photoDownloadingText() {
    return gbk("下载中！！请稍后。。。。。");
}

std::string noAlbumChosenText() {
    return gbk("请选择要下载的相册");
}

} // namespace qzb
