#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Pattern matching over the program's byte texts (GB18030). Texts are matched
// as UTF-16, so a match never starts on the second byte of a character and
// positions count UTF-16 units.
namespace qzb {

class PatternMatcher {
public:
    PatternMatcher();
    ~PatternMatcher();
    PatternMatcher(const PatternMatcher&) = delete;
    PatternMatcher& operator=(const PatternMatcher&) = delete;
    PatternMatcher(PatternMatcher&&) noexcept;
    PatternMatcher& operator=(PatternMatcher&&) noexcept;

    // Runs `pattern` over `text` and keeps the matches; returns their number.
    // A pattern that does not compile gives 0 matches.
    int executePattern(std::string_view pattern, std::string_view text, bool ignoreCase, bool multiline,
                       bool global);
    [[nodiscard]] int matchCount() const;
    // Out-of-range indexes give an empty text, or -1 for a position.
    [[nodiscard]] std::string matchText(int index) const;
    [[nodiscard]] int matchPosition(int index) const;
    [[nodiscard]] std::string subMatchText(int index, int group) const;
    // Replaces the matches of the last executed pattern and options in `text`;
    // "$1" to "$9" in `replacement` stand for the groups.
    [[nodiscard]] std::string replaceMatches(std::string_view text, std::string_view replacement) const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// Puts a backslash before each of ] [ + * ? { ) ( and leaves every other character.
[[nodiscard]] std::string escapeLiteral(std::string_view literal);

// One value between markers: the value's bytes are [valueBegin, valueEnd) and the
// next search starts at `next`, just behind the end marker.
struct BetweenMatch {
    std::size_t valueBegin = 0;
    std::size_t valueEnd = 0;
    std::size_t next = 0;
};

// First occurrence of `needle` in `text` at or after `from` that starts on a
// character boundary; `from` must itself be one.
[[nodiscard]] std::optional<std::size_t> findText(std::string_view text, std::string_view needle,
                                                  std::size_t from = 0);

// The first value between `start` and the first `end` after it, searching from `from`.
[[nodiscard]] std::optional<BetweenMatch> findBetween(std::string_view text, std::string_view start,
                                                      std::string_view end, std::size_t from = 0);

// Every shortest text between `start` and `end`, leftmost first, without overlap.
// Empty markers give an empty list.
[[nodiscard]] std::vector<std::string> extractBetween(std::string_view text, std::string_view start,
                                                      std::string_view end);

// The same values through the pattern engine: escapeLiteral(start) + "([\s|\S]*?)" + escapeLiteral(end).
[[nodiscard]] std::vector<std::string> extractBetweenByPattern(std::string_view text, std::string_view start,
                                                               std::string_view end);

// The first value between the markers, or an empty text.
[[nodiscard]] std::string firstBetween(std::string_view text, std::string_view start, std::string_view end);

} // namespace qzb
