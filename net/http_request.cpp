#include "net/http_request.h"

#include "net/curl_library.h"
#include "net/text_encoding.h"

#include <algorithm>
#include <cctype>
#include <memory>
#include <mutex>
#include <vector>

namespace qzb {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

HttpLimits& limitsStore() {
    static HttpLimits limits;
    return limits;
}

std::function<void()>& pendingEventsStore() {
    static std::function<void()> handler;
    return handler;
}

char lowerAscii(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::size_t findIgnoreCase(std::string_view text, std::string_view needle, std::size_t from = 0) {
    auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(std::min(from, text.size())), text.end(),
                          needle.begin(), needle.end(),
                          [](char a, char b) { return lowerAscii(a) == lowerAscii(b); });
    return it == text.end() ? std::string_view::npos : static_cast<std::size_t>(it - text.begin());
}

bool containsIgnoreCase(std::string_view text, std::string_view needle) {
    return findIgnoreCase(text, needle) != std::string_view::npos;
}

bool startsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && findIgnoreCase(text.substr(0, prefix.size()), prefix) == 0;
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() &&
           (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    return text;
}

// Lines of a text joined by "\r\n" (a lone "\n" also ends a line).
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::vector<std::string_view> splitCookieItems(std::string_view cookies) {
    std::vector<std::string_view> items;
    while (!cookies.empty()) {
        std::size_t end = cookies.find(';');
        std::string_view item = trimBlanks(cookies.substr(0, end));
        if (!item.empty())
            items.push_back(item);
        if (end == std::string_view::npos)
            break;
        cookies.remove_prefix(end + 1);
    }
    return items;
}

std::string_view cookieName(std::string_view item) {
    return item.substr(0, item.find('='));
}

} // namespace

int statusCodeOf(std::string_view headerText) {
    std::string_view statusLine = headerText.substr(0, headerText.find('\n'));
    std::size_t blank = statusLine.find(' ');
    if (!statusLine.starts_with("HTTP/") || blank == std::string_view::npos)
        return 0;
    int code = 0;
    // A status code has three digits.
    for (std::size_t i = blank + 1;
         i < statusLine.size() && i <= blank + 3 && std::isdigit(static_cast<unsigned char>(statusLine[i]));
         ++i)
        code = code * 10 + (statusLine[i] - '0');
    return code;
}

namespace {

bool isWebAddress(std::string_view url) {
    return startsWithIgnoreCase(url, "http://") || startsWithIgnoreCase(url, "https://");
}

// Called only once an exchange has found the library.
const CurlLibrary& curl() {
    return *curlLibrary();
}

struct SlistDeleter {
    void operator()(curl_slist* list) const { curl().slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, SlistDeleter>;

struct UrlDeleter {
    void operator()(CURLU* url) const { curl().url_cleanup(url); }
};

// The target of a move, resolved against the address that was asked for.
std::string resolveMove(const std::string& base, const std::string& location) {
    std::unique_ptr<CURLU, UrlDeleter> handle(curl().url());
    if (!handle || curl().url_set(handle.get(), CURLUPART_URL, base.c_str(), 0) != CURLUE_OK ||
        curl().url_set(handle.get(), CURLUPART_URL, location.c_str(), 0) != CURLUE_OK)
        return {};
    char* resolved = nullptr;
    if (curl().url_get(handle.get(), CURLUPART_URL, &resolved, 0) != CURLUE_OK)
        return {};
    std::string result(resolved);
    curl().free(resolved);
    return result;
}

// One easy handle inside one multi handle per thread: sequential exchanges
// share the multi handle's connection cache, and waiting happens in
// curl_multi_poll so the pending-events handler can run meanwhile.
class CurlSession {
public:
    CurlSession() : m_easy(curl().easy_init()), m_multi(curl().multi_init()) {}
    ~CurlSession() {
        if (m_multi)
            curl().multi_cleanup(m_multi);
        if (m_easy)
            curl().easy_cleanup(m_easy);
    }
    CurlSession(const CurlSession&) = delete;
    CurlSession& operator=(const CurlSession&) = delete;

    [[nodiscard]] bool valid() const { return m_easy && m_multi; }
    [[nodiscard]] CURL* easy() const { return m_easy; }

    // Runs the transfer set up on the easy handle; true when it completed.
    bool perform() {
        if (curl().multi_add_handle(m_multi, m_easy) != CURLM_OK)
            return false;
        const std::function<void()>& pendingEvents = pendingEventsStore();
        const int pollMs = pendingEvents ? 15 : 500;
        int running = 1;
        CURLMcode code = CURLM_OK;
        while (code == CURLM_OK) {
            code = curl().multi_perform(m_multi, &running);
            if (code != CURLM_OK || running == 0)
                break;
            code = curl().multi_poll(m_multi, nullptr, 0, pollMs, nullptr);
            if (pendingEvents)
                pendingEvents();
        }
        CURLcode result = CURLE_FAILED_INIT;
        int queued = 0;
        while (CURLMsg* message = curl().multi_info_read(m_multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == m_easy)
                result = message->data.result;
        }
        curl().multi_remove_handle(m_multi, m_easy);
        return code == CURLM_OK && result == CURLE_OK;
    }

private:
    CURL* m_easy;
    CURLM* m_multi;
};

// The session kept for reuse on this thread; made when first needed.
std::unique_ptr<CurlSession>& sharedSession() {
    thread_local std::unique_ptr<CurlSession> session;
    return session;
}

// Exchanges nested inside the pending-events handler (a second command started
// while one waits) get a session of their own instead of the busy one.
class SessionLease {
public:
    SessionLease() {
        if (t_busy) {
            m_own = std::make_unique<CurlSession>();
            m_session = m_own.get();
            return;
        }
        std::unique_ptr<CurlSession>& shared = sharedSession();
        if (!shared)
            shared = std::make_unique<CurlSession>();
        m_session = shared.get();
        t_busy = true;
        m_holdsShared = true;
    }
    ~SessionLease() {
        if (m_holdsShared)
            t_busy = false;
    }
    SessionLease(const SessionLease&) = delete;
    SessionLease& operator=(const SessionLease&) = delete;

    CurlSession& session() { return *m_session; }
    static bool busy() { return t_busy; }

private:
    static thread_local bool t_busy;
    std::unique_ptr<CurlSession> m_own;
    CurlSession* m_session = nullptr;
    bool m_holdsShared = false;
};

thread_local bool SessionLease::t_busy = false;

struct ExchangeSetup {
    std::string url;
    bool post = false;
    std::string_view body;
    std::vector<std::string> headerLines;
    std::string userAgent;
    std::string proxy;
    bool http10 = false;
};

struct Exchange {
    bool ok = false;
    std::string headers;
    std::string body;
};

struct ReceiveState {
    Exchange* exchange;
    std::size_t maxBody;
    std::chrono::steady_clock::duration stallLimit;
    bool tooLarge = false;
    curl_off_t movedBytes = 0;
    std::chrono::steady_clock::time_point lastMove = std::chrono::steady_clock::now();
};

// Gives up on an exchange that has moved no byte for the stall limit; libcurl's
// own low-speed check averages over several seconds and notices later.
int onProgress(void* user, curl_off_t, curl_off_t downloaded, curl_off_t, curl_off_t uploaded) {
    auto* state = static_cast<ReceiveState*>(user);
    const auto now = std::chrono::steady_clock::now();
    if (downloaded + uploaded != state->movedBytes) {
        state->movedBytes = downloaded + uploaded;
        state->lastMove = now;
        return 0;
    }
    return now - state->lastMove > state->stallLimit ? 1 : 0;
}

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* state = static_cast<ReceiveState*>(user);
    std::size_t bytes = size * count;
    if (state->exchange->body.size() + bytes > state->maxBody) {
        state->tooLarge = true;
        return 0;
    }
    state->exchange->body.append(data, bytes);
    return bytes;
}

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto* state = static_cast<ReceiveState*>(user);
    std::string_view line(data, size * count);
    // A new status line starts a new answer (after an interim "100 Continue").
    if (line.starts_with("HTTP/"))
        state->exchange->headers.clear();
    if (line != kLineBreak && line != "\n") {
        std::string_view content = line;
        while (!content.empty() && (content.back() == '\r' || content.back() == '\n'))
            content.remove_suffix(1);
        state->exchange->headers.append(content);
        state->exchange->headers.append(kLineBreak);
    }
    return size * count;
}

Exchange runExchange(const ExchangeSetup& setup) {
    if (!curlLibrary())
        return {};
    Exchange exchange;
    SessionLease lease;
    CurlSession& session = lease.session();
    if (!session.valid())
        return exchange;
    const HttpLimits limits = limitsStore();
    CURL* easy = session.easy();
    curl().easy_reset(easy);

    HeaderList headerList;
    for (const std::string& line : setup.headerLines) {
        curl_slist* grown = curl().slist_append(headerList.get(), line.c_str());
        if (!grown)
            return exchange;
        headerList.release();
        headerList.reset(grown);
    }
    ReceiveState state{&exchange, limits.maxBodyBytes, limits.lowSpeedTime};
    curl().easy_setopt(easy, CURLOPT_URL, setup.url.c_str());
    curl().easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl().easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl().easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl().easy_setopt(easy, CURLOPT_HTTP_VERSION,
                       static_cast<long>(setup.http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1));
    curl().easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connectTimeout.count()));
    curl().easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl().easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.lowSpeedTime.count()));
    curl().easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limits.maxBodyBytes));
    curl().easy_setopt(easy, CURLOPT_USERAGENT, setup.userAgent.c_str());
    curl().easy_setopt(easy, CURLOPT_HTTPHEADER, headerList.get());
    curl().easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
    curl().easy_setopt(easy, CURLOPT_WRITEDATA, &state);
    curl().easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
    curl().easy_setopt(easy, CURLOPT_HEADERDATA, &state);
    curl().easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, onProgress);
    curl().easy_setopt(easy, CURLOPT_XFERINFODATA, &state);
    curl().easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    if (!setup.proxy.empty())
        curl().easy_setopt(easy, CURLOPT_PROXY, setup.proxy.c_str());
    if (setup.post) {
        curl().easy_setopt(easy, CURLOPT_POST, 1L);
        curl().easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(setup.body.size()));
        curl().easy_setopt(easy, CURLOPT_POSTFIELDS, setup.body.data());
    } else {
        curl().easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    }

    exchange.ok = session.perform() && !state.tooLarge && statusCodeOf(exchange.headers) != 0;
    curl().easy_setopt(easy, CURLOPT_HTTPHEADER, nullptr);
    if (!exchange.ok)
        return {};
    return exchange;
}

// Header lines for libcurl: the agent travels as the agent option, so the
// server sees exactly one User-Agent value; "Expect:" keeps POSTs in one go.
std::vector<std::string> headerLinesFor(std::string_view block) {
    std::vector<std::string> lines;
    for (std::string_view line : splitLines(block)) {
        if (!line.empty() && !startsWithIgnoreCase(line, "User-Agent:"))
            lines.emplace_back(line);
    }
    lines.emplace_back("Expect:");
    return lines;
}

// Follows moves to their target, at most `maxMoves` times; `prepare` sets up
// each hop's exchange for its address, `onAnswer` sees every answer.
template <typename Prepare, typename OnAnswer>
Exchange followMoves(std::string url, Prepare prepare, OnAnswer onAnswer) {
    const int maxMoves = limitsStore().maxMoves;
    for (int move = 0;; ++move) {
        Exchange exchange = runExchange(prepare(url, move));
        if (!exchange.ok)
            return {};
        onAnswer(exchange);
        std::string location = headerValue(exchange.headers, "Location:");
        if (!isMove(exchange.headers) || location.empty())
            return exchange;
        if (move >= maxMoves)
            return {};
        url = resolveMove(url, location);
        if (!isWebAddress(url))
            return {};
    }
}

} // namespace

UrlParts splitUrl(std::string_view url) {
    UrlParts parts;
    std::string_view rest;
    if (startsWithIgnoreCase(url, "https://")) {
        parts.secure = true;
        rest = url.substr(8);
    } else if (startsWithIgnoreCase(url, "http://")) {
        rest = url.substr(7);
    } else {
        return parts;
    }
    std::size_t slash = rest.find('/');
    std::string_view hostPart = rest.substr(0, slash);
    parts.path = slash == std::string_view::npos ? "/" : std::string(rest.substr(slash));
    parts.port = parts.secure ? 443 : 80;
    std::size_t colon = hostPart.find(':');
    parts.host = std::string(hostPart.substr(0, colon));
    if (colon != std::string_view::npos) {
        std::string_view portText = hostPart.substr(colon + 1);
        int port = 0;
        for (char c : portText) {
            if (!std::isdigit(static_cast<unsigned char>(c)) || port > 65535)
                return UrlParts{};
            port = port * 10 + (c - '0');
        }
        if (portText.empty() || port == 0 || port > 65535)
            return UrlParts{};
        parts.port = port;
    }
    parts.valid = !parts.host.empty();
    return parts;
}

std::string mergeCookies(std::string_view held, std::string_view received) {
    std::vector<std::string> items;
    for (std::string_view item : splitCookieItems(held))
        items.emplace_back(item);
    for (std::string_view item : splitCookieItems(received)) {
        std::string_view name = cookieName(item);
        auto sameName = [name](const std::string& heldItem) { return cookieName(heldItem) == name; };
        if (item.find("=deleted") != std::string_view::npos) {
            std::erase_if(items, sameName);
            continue;
        }
        auto it = std::find_if(items.begin(), items.end(), sameName);
        if (it != items.end())
            *it = std::string(item);
        else
            items.emplace_back(item);
    }
    std::string merged;
    for (const std::string& item : items) {
        if (!merged.empty())
            merged += "; ";
        merged += item;
    }
    return merged;
}

std::string buildHeaderBlock(std::string_view headers, std::string_view referer, std::string_view cookies) {
    std::string block(headers);
    if (!containsIgnoreCase(headers, "Referer:")) {
        block += block.empty() ? "Referer: " : "\r\nReferer: ";
        block += referer;
    }
    if (!containsIgnoreCase(headers, "Accept:"))
        block += "\r\nAccept: */*";
    if (!containsIgnoreCase(headers, "Accept-Language:"))
        block += "\r\nAccept-Language: zh-cn";
    if (!containsIgnoreCase(headers, "Content-Type:"))
        block += "\r\nContent-Type: application/x-www-form-urlencoded";
    if (!cookies.empty()) {
        block += "\r\nCookie: ";
        block += cookies;
    }
    return block;
}

std::string userAgentOf(std::string_view headers) {
    constexpr std::string_view kName = "User-Agent:";
    std::size_t at = findIgnoreCase(headers, kName);
    if (at == std::string_view::npos)
        return std::string(kDefaultUserAgent);
    std::string_view value = headers.substr(at + kName.size());
    value = trimBlanks(value.substr(0, value.find(kLineBreak)));
    return value.empty() ? std::string(kDefaultUserAgent) : std::string(value);
}

std::string headerValue(std::string_view headerText, std::string_view name) {
    for (std::string_view line : splitLines(headerText)) {
        if (startsWithIgnoreCase(line, name))
            return std::string(trimBlanks(line.substr(name.size())));
    }
    return {};
}

std::string receivedCookies(std::string_view headerText) {
    constexpr std::string_view kName = "Set-Cookie:";
    std::string cookies;
    for (std::string_view line : splitLines(headerText)) {
        if (!startsWithIgnoreCase(line, kName))
            continue;
        std::string_view value = line.substr(kName.size());
        value = trimBlanks(value.substr(0, value.find(';')));
        if (value.empty())
            continue;
        if (!cookies.empty())
            cookies += "; ";
        cookies += value;
    }
    return cookies;
}

bool isSuccess(std::string_view headerText) {
    const int status = statusCodeOf(headerText);
    return status >= 200 && status <= 299;
}

bool declaresUtf8(std::string_view headerText) {
    return containsIgnoreCase(headerText, "charset=utf-8");
}

bool isMove(std::string_view headerText) {
    switch (statusCodeOf(headerText)) {
    case 301:
    case 302:
    case 303:
    case 307:
    case 308:
        return true;
    default:
        return false;
    }
}

WebReply sendWebRequest(const WebRequest& request) {
    WebReply reply;
    reply.cookies = request.cookies;
    if (!splitUrl(request.url).valid)
        return reply;
    const bool post = request.method == "POST";
    std::string cookies = request.cookies;
    Exchange exchange = followMoves(
        request.url,
        [&](const std::string& url, int move) {
            ExchangeSetup setup;
            setup.url = url;
            // A move is followed with a GET, as browsers do.
            setup.post = post && move == 0;
            setup.body = request.body;
            setup.headerLines = headerLinesFor(buildHeaderBlock(request.headers, url, cookies));
            setup.userAgent = userAgentOf(request.headers);
            if (!request.proxy.empty() && startsWithIgnoreCase(url, "http://"))
                setup.proxy = request.proxy;
            return setup;
        },
        [&](const Exchange& answer) { cookies = mergeCookies(cookies, receivedCookies(answer.headers)); });
    if (!exchange.ok)
        return reply;
    reply.headers = std::move(exchange.headers);
    reply.cookies = std::move(cookies);
    reply.location = headerValue(reply.headers, "Location:");
    reply.body = declaresUtf8(reply.headers) ? utf8ToGbk(exchange.body) : std::move(exchange.body);
    return reply;
}

std::string fetchUrlBytes(std::string_view url) {
    std::string address(url.substr(0, url.find('#')));
    if (!splitUrl(address).valid)
        return {};
    Exchange exchange = followMoves(
        address,
        [](const std::string& hop, int) {
            ExchangeSetup setup;
            setup.url = hop;
            setup.http10 = true;
            setup.userAgent = std::string(kByteReaderUserAgent);
            setup.headerLines = {"Accept: */*", "Cache-Control: no-cache", "Pragma: no-cache"};
            return setup;
        },
        [](const Exchange&) {});
    if (!exchange.ok || !isSuccess(exchange.headers))
        return {};
    return std::move(exchange.body);
}

void closeIdleConnections() {
    if (!SessionLease::busy())
        sharedSession().reset();
}

void setHttpLimits(const HttpLimits& limits) {
    limitsStore() = limits;
}

HttpLimits httpLimits() {
    return limitsStore();
}

void setPendingEventsHandler(std::function<void()> handler) {
    pendingEventsStore() = std::move(handler);
}

} // namespace qzb
