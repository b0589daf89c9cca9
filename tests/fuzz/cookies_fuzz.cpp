#include "net/http_request.h"
#include "tests/fuzz/fuzz_support.h"

#include <algorithm>
#include <vector>

using namespace qzb;
using namespace qzb::fuzz;

namespace {

bool containsIgnoreCase(std::string_view text, std::string_view needle) {
    return lowerAscii(text).find(lowerAscii(needle)) != std::string::npos;
}

// The part up to the first NUL byte; `input` keeps what follows it.
std::string_view nextPart(std::string_view& input) {
    const std::size_t nul = input.find('\0');
    const std::string_view part = input.substr(0, nul);
    input.remove_prefix(nul == std::string_view::npos ? input.size() : nul + 1);
    return part;
}

// Cookie items as a header writes them: split at ";", blanks around them dropped.
std::vector<std::string_view> cookieItems(std::string_view cookies) {
    std::vector<std::string_view> items;
    while (true) {
        const std::size_t semicolon = cookies.find(';');
        std::string_view item = cookies.substr(0, semicolon);
        while (!item.empty() && (item.front() == ' ' || item.front() == '\t'))
            item.remove_prefix(1);
        while (!item.empty() && std::string_view(" \t\r\n").find(item.back()) != std::string_view::npos)
            item.remove_suffix(1);
        if (!item.empty())
            items.push_back(item);
        if (semicolon == std::string_view::npos)
            return items;
        cookies.remove_prefix(semicolon + 1);
    }
}

std::string_view nameOf(std::string_view item) {
    return item.substr(0, item.find('='));
}

// Items joined by "; ": each one non-empty, without ";" and without blanks around it.
void checkJoinedItems(std::string_view joined) {
    if (joined.empty())
        return;
    std::size_t from = 0;
    while (true) {
        const std::size_t separator = joined.find("; ", from);
        const std::string_view item = joined.substr(from, separator - from);
        require(!item.empty() && item.find(';') == std::string_view::npos,
                "an item is non-empty, without \";\"");
        require(item.front() != ' ' && item.front() != '\t' &&
                    std::string_view(" \t\r\n").find(item.back()) == std::string_view::npos,
                "an item has no blanks around it");
        if (separator == std::string_view::npos)
            return;
        from = separator + 2;
    }
}

void checkMerge(std::string_view held, std::string_view received) {
    const std::string merged = mergeCookies(held, received);
    checkJoinedItems(merged);
    require(mergeCookies(merged, "") == merged, "merging nothing changes nothing");

    const auto mergedItems = cookieItems(merged);
    auto hasName = [&](std::string_view name) {
        return std::any_of(mergedItems.begin(), mergedItems.end(),
                           [name](std::string_view item) { return nameOf(item) == name; });
    };
    const auto receivedItems = cookieItems(received);
    for (std::size_t i = 0; i < receivedItems.size(); ++i) {
        const std::string_view item = receivedItems[i];
        const bool laterSameName =
            std::any_of(receivedItems.begin() + static_cast<std::ptrdiff_t>(i) + 1, receivedItems.end(),
                        [&](std::string_view later) { return nameOf(later) == nameOf(item); });
        if (laterSameName)
            continue;
        if (item.find("=deleted") != std::string_view::npos)
            require(!hasName(nameOf(item)), "a deleted cookie is gone");
        else
            require(std::find(mergedItems.begin(), mergedItems.end(), item) != mergedItems.end(),
                    "the last received value of a cookie is kept");
    }
    for (std::string_view item : cookieItems(held)) {
        const bool touched =
            std::any_of(receivedItems.begin(), receivedItems.end(),
                        [&](std::string_view other) { return nameOf(other) == nameOf(item); });
        if (!touched)
            require(std::find(mergedItems.begin(), mergedItems.end(), item) != mergedItems.end(),
                    "a held cookie nobody touched is kept");
    }
}

void checkHeaderText(std::string_view headerText, std::string_view name) {
    const int code = statusCodeOf(headerText);
    require(code >= 0 && code <= 999, "a status code has three digits at most");
    require(code == 0 || headerText.starts_with("HTTP/"), "a status code needs a status line");
    const bool move = code == 301 || code == 302 || code == 303 || code == 307 || code == 308;
    require(isMove(headerText) == move, "a move is a 301, 302, 303, 307 or 308");
    require(declaresUtf8(headerText) == containsIgnoreCase(headerText, "charset=utf-8"),
            "UTF-8 is declared by charset=utf-8");

    const std::string value = headerValue(headerText, name);
    require(headerText.find(value) != std::string_view::npos, "a header value is a piece of the headers");

    const std::string cookies = receivedCookies(headerText);
    checkJoinedItems(cookies);
    require(cookies.empty() || containsIgnoreCase(headerText, "Set-Cookie:"),
            "cookies need a Set-Cookie line");
    for (std::string_view item : cookieItems(cookies))
        require(headerText.find(item) != std::string_view::npos,
                "a received cookie is a piece of the headers");
}

void checkRequestHeaders(std::string_view headers, std::string_view referer, std::string_view cookies) {
    const std::string block = buildHeaderBlock(headers, referer, cookies);
    require(block.starts_with(headers), "the block starts with the caller's headers");
    if (!cookies.empty())
        require(block.ends_with("Cookie: " + std::string(cookies)), "the cookies come last");
    if (!containsIgnoreCase(headers, "Referer:"))
        require(block.find("Referer: " + std::string(referer)) != std::string::npos,
                "a missing referer is added");

    const std::string agent = userAgentOf(headers);
    require(!agent.empty(), "there is always a user agent");
    require(agent == kDefaultUserAgent || headers.find(agent) != std::string_view::npos,
            "the agent is the default or the caller's");
    if (!containsIgnoreCase(headers, "User-Agent:"))
        require(agent == kDefaultUserAgent, "without a User-Agent line the default is sent");
}

} // namespace

// Layout: up to three parts separated by NUL bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input = asText(data, size);
    const std::string_view first = nextPart(input);
    const std::string_view second = nextPart(input);
    const std::string_view third = input;

    checkMerge(first, second);
    checkMerge(second, first);
    checkHeaderText(first, second.substr(0, 24));
    checkHeaderText(second, "Location:");
    checkRequestHeaders(first, second, third);
    return 0;
}
