#include "net/pattern_matcher.h"
#include "tests/fuzz/fuzz_support.h"

#include <vector>

using namespace qzb;
using namespace qzb::fuzz;

namespace {

// Pattern characters that escapeLiteral leaves as they are: markers holding
// one of them mean something else to the pattern engine.
bool isPlainForPattern(std::u16string_view marker) {
    return marker.find_first_of(u".|^$\\") == std::u16string_view::npos;
}

// Byte position in `text` (valid GB18030) of the UTF-16 position `unit`.
std::size_t bytePosition(std::string_view text, std::size_t unit) {
    return wideToGbk(gbkToWide(text).substr(0, unit)).size();
}

void checkFindText(std::string_view text, std::string_view needle, bool validText) {
    const auto at = findText(text, needle);
    if (at)
        require(text.substr(*at, needle.size()) == needle, "findText gives a real match");
    require(!findText(text, needle, text.size() + 1), "findText finds nothing behind the text");
    // In valid text the first whole-character match is what a UTF-16 search finds.
    if (validText && !needle.empty() && isValidGb18030(needle)) {
        const std::size_t unit = gbkToWide(text).find(gbkToWide(needle));
        const auto expected =
            unit == std::u16string::npos ? std::nullopt : std::optional(bytePosition(text, unit));
        require(at == expected, "findText agrees with a UTF-16 search");
    }
}

} // namespace

// Layout: two length bytes, the start marker, the end marker, then the text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input = asText(data, size);
    if (input.size() < 2)
        return 0;
    const std::size_t startLength = 1 + static_cast<unsigned char>(input[0]) % 8;
    const std::size_t endLength = 1 + static_cast<unsigned char>(input[1]) % 8;
    input.remove_prefix(2);
    const std::string_view start = take(input, startLength);
    const std::string_view end = take(input, endLength);
    const std::string_view text = input;
    if (start.empty() || end.empty())
        return 0;

    const std::vector<std::string> values = extractBetween(text, start, end);
    require(liesInOrder(text, values, start, end), "values lie between the markers, in order, apart");
    for (const std::string& value : values)
        require(value.size() <= text.size(), "a value is no longer than the text");

    const auto first = findBetween(text, start, end);
    require(first.has_value() == !values.empty(), "findBetween finds a value when extractBetween does");
    if (first) {
        require(first->valueBegin >= start.size() && first->valueBegin <= first->valueEnd &&
                    first->next == first->valueEnd + end.size() && first->next <= text.size(),
                "findBetween positions are ordered and inside the text");
        require(text.substr(first->valueBegin - start.size(), start.size()) == start &&
                    text.substr(first->valueEnd, end.size()) == end,
                "findBetween positions sit on the markers");
        require(text.substr(first->valueBegin, first->valueEnd - first->valueBegin) == values.front(),
                "findBetween gives extractBetween's first value");
        require(firstBetween(text, start, end) == values.front(), "firstBetween gives the first value");
    } else {
        require(firstBetween(text, start, end).empty(), "firstBetween is empty without a match");
    }

    const bool textValid = isValidGb18030(text);
    const bool markersValid = isValidGb18030(start) && isValidGb18030(end);
    checkFindText(text, start, textValid);
    checkFindText(text, end, textValid);

    if (!textValid || !markersValid)
        return 0;
    // Whole characters everywhere: every search restarts on a character
    // boundary, so chained findBetween calls give the same values.
    std::vector<std::string> chained;
    for (std::size_t from = 0; const auto match = findBetween(text, start, end, from); from = match->next)
        chained.emplace_back(text.substr(match->valueBegin, match->valueEnd - match->valueBegin));
    require(chained == values, "chained findBetween agrees with extractBetween");

    if (text.size() > 256 || !isPlainForPattern(gbkToWide(start)) || !isPlainForPattern(gbkToWide(end)))
        return 0;
    require(extractBetweenByPattern(text, start, end) == values, "the pattern engine finds the same values");
    return 0;
}
