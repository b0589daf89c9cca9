#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// One HTTP exchange on libcurl. Every text is in the program's byte encoding.
namespace qzb {

struct WebRequest {
    std::string url;            // "http://" or "https://" address, query included
    std::string method = "GET"; // "GET" or "POST"
    std::string body;           // sent with a POST, unchanged
    std::string headers;        // extra header lines joined by "\r\n", none after the last
    std::string cookies;        // "name=value" items joined by "; "
    std::string proxy;          // proxy for plain HTTP; empty: the standard proxy variables apply
};

// A failed exchange has an empty `body` and empty `headers`.
struct WebReply {
    std::string body;     // converted from UTF-8 when the headers say "charset=utf-8"
    std::string headers;  // status line first, each line ending in "\r\n"
    std::string cookies;  // the request's cookies updated by the answer's Set-Cookie lines
    std::string location; // the Location header's value, or empty
};

struct UrlParts {
    bool valid = false;
    bool secure = false;
    std::string host;
    int port = 0;
    std::string path; // from the first "/" after the host, query included; "/" when none
};

struct HttpLimits {
    std::chrono::milliseconds connectTimeout{15000};
    // An exchange that moves no byte for this long is given up.
    std::chrono::seconds lowSpeedTime{20};
    std::size_t maxBodyBytes = 64u * 1024 * 1024;
    int maxMoves = 5;
};

inline constexpr std::string_view kDefaultUserAgent =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; KX9TB; .NET CLR 2.0.50727; .NET CLR 3.0.04506.648; "
    ".NET CLR 3.5.21022)";
inline constexpr std::string_view kByteReaderUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

[[nodiscard]] UrlParts splitUrl(std::string_view url);
[[nodiscard]] std::string mergeCookies(std::string_view held, std::string_view received);

// The header block sent with a request: the caller's lines, then the defaults
// (Referer, Accept, Accept-Language, Content-Type) it lacks, then the cookies.
[[nodiscard]] std::string buildHeaderBlock(std::string_view headers, std::string_view referer,
                                           std::string_view cookies);
// The value of the caller's "User-Agent:" line, or the default agent.
[[nodiscard]] std::string userAgentOf(std::string_view headers);
// The value of the first header line named `name` (e.g. "Location:"), or empty.
[[nodiscard]] std::string headerValue(std::string_view headerText, std::string_view name);
// The cookies set by an answer's "Set-Cookie:" lines, joined by "; ".
[[nodiscard]] std::string receivedCookies(std::string_view headerText);
// Whether the header text says the body is UTF-8 ("charset=utf-8", any case).
[[nodiscard]] bool declaresUtf8(std::string_view headerText);
// The status code of the status line that begins `headerText`, or 0.
[[nodiscard]] int statusCodeOf(std::string_view headerText);
// Whether the status line of `headerText` tells of success (2xx).
[[nodiscard]] bool isSuccess(std::string_view headerText);
// Whether the status line of `headerText` tells of a move to another address.
[[nodiscard]] bool isMove(std::string_view headerText);

WebReply sendWebRequest(const WebRequest& request);
// One GET of `url` with no caller headers and no cookies; the body's bytes, or
// empty bytes when the exchange fails or the answer is not a success (2xx).
std::string fetchUrlBytes(std::string_view url);

void setHttpLimits(const HttpLimits& limits);
[[nodiscard]] HttpLimits httpLimits();
// Closes the connections this thread keeps open for reuse.
void closeIdleConnections();

// Called repeatedly while an exchange waits, so a window can repaint and answer.
void setPendingEventsHandler(std::function<void()> handler);

} // namespace qzb
