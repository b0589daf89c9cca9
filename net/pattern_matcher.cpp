#include "net/pattern_matcher.h"

#include "net/text_encoding.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <pcre2.h>

namespace qzb {
namespace {

struct CodeFree {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataFree {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
struct CompileContextFree {
    void operator()(pcre2_compile_context* context) const { pcre2_compile_context_free(context); }
};
using CodePtr = std::unique_ptr<pcre2_code, CodeFree>;
using MatchDataPtr = std::unique_ptr<pcre2_match_data, MatchDataFree>;
using CompileContextPtr = std::unique_ptr<pcre2_compile_context, CompileContextFree>;

// Options that bring PCRE2 close to the ECMAScript dialect of the scripting
// engine: "\u" escapes, "$" only at the very end, "[]" and "[^]" allowed.
// Invalid UTF-16 is matched rather than rejected, so no text can make a match fail.
constexpr std::uint32_t kBaseOptions =
    PCRE2_UTF | PCRE2_MATCH_INVALID_UTF | PCRE2_ALT_BSUX | PCRE2_DOLLAR_ENDONLY | PCRE2_ALLOW_EMPTY_CLASS;

struct Span {
    std::size_t begin = 0;
    std::size_t end = 0;
};

struct Match {
    Span whole;
    // One entry per group of the pattern; nullopt when the group took no part.
    std::vector<std::optional<Span>> groups;
};

CodePtr compilePattern(std::u16string_view pattern, bool ignoreCase, bool multiline) {
    CompileContextPtr context(pcre2_compile_context_create(nullptr));
    if (!context)
        return nullptr;
    // "." stops at "\r" and "\n", and multiline anchors sit at either, as in ECMAScript.
    pcre2_set_newline(context.get(), PCRE2_NEWLINE_ANYCRLF);
    std::uint32_t options = kBaseOptions;
    if (ignoreCase)
        options |= PCRE2_CASELESS;
    if (multiline)
        options |= PCRE2_MULTILINE;
    int error = 0;
    PCRE2_SIZE errorOffset = 0;
    CodePtr code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(), options, &error,
                               &errorOffset, context.get()));
    if (code)
        pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE); // without JIT support the interpreter runs
    return code;
}

[[nodiscard]] std::size_t unitsOfCharacterAt(std::u16string_view text, std::size_t pos) {
    const bool pair = pos + 1 < text.size() && text[pos] >= 0xD800 && text[pos] <= 0xDBFF &&
                      text[pos + 1] >= 0xDC00 && text[pos + 1] <= 0xDFFF;
    return pair ? 2 : 1;
}

// Leftmost matches without overlap; after an empty match the search moves on
// by one character, as the scripting engine does.
std::vector<Match> findMatches(const pcre2_code* code, std::u16string_view subject, bool global) {
    std::vector<Match> matches;
    MatchDataPtr data(pcre2_match_data_create_from_pattern(code, nullptr));
    if (!data)
        return matches;
    std::uint32_t groupCount = 0;
    pcre2_pattern_info(code, PCRE2_INFO_CAPTURECOUNT, &groupCount);
    const auto* units = reinterpret_cast<PCRE2_SPTR>(subject.data());
    std::size_t offset = 0;
    while (offset <= subject.size()) {
        const int rc = pcre2_match(code, units, subject.size(), offset, 0, data.get(), nullptr);
        if (rc <= 0)
            break;
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data.get());
        Match match;
        match.whole = {ovector[0], std::max(ovector[0], ovector[1])};
        match.groups.resize(groupCount);
        for (std::uint32_t g = 1; g <= groupCount && g < static_cast<std::uint32_t>(rc); ++g) {
            if (ovector[2 * g] != PCRE2_UNSET)
                match.groups[g - 1] = Span{ovector[2 * g], std::max(ovector[2 * g], ovector[2 * g + 1])};
        }
        matches.push_back(std::move(match));
        if (!global)
            break;
        const Span whole = matches.back().whole;
        offset = whole.end > whole.begin ? whole.end : whole.begin + unitsOfCharacterAt(subject, whole.begin);
    }
    return matches;
}

[[nodiscard]] std::u16string_view slice(std::u16string_view text, Span span) {
    return text.substr(span.begin, span.end - span.begin);
}

// "$1".."$9" give a group (empty when it took no part), "$&" the whole match and
// "$$" a dollar; a "$" in any other place, or naming a group the pattern lacks, stays.
void appendReplacement(std::u16string& out, std::u16string_view replacement, std::u16string_view subject,
                       const Match& match) {
    for (std::size_t i = 0; i < replacement.size(); ++i) {
        const char16_t unit = replacement[i];
        if (unit != u'$' || i + 1 == replacement.size()) {
            out.push_back(unit);
            continue;
        }
        const char16_t next = replacement[i + 1];
        if (next == u'$') {
            out.push_back(u'$');
            ++i;
        } else if (next == u'&') {
            out.append(slice(subject, match.whole));
            ++i;
        } else if (next >= u'1' && next <= u'9' &&
                   static_cast<std::size_t>(next - u'0') <= match.groups.size()) {
            if (const auto& group = match.groups[next - u'1'])
                out.append(slice(subject, *group));
            ++i;
        } else {
            out.push_back(u'$');
        }
    }
}

// Byte length of the GB18030 character at `pos`. Bytes that start no valid
// sequence (0x80, 0xFF, a lead byte without its trail) count as one character.
[[nodiscard]] inline std::size_t bytesOfCharacterAt(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x81 || lead == 0xFF || pos + 1 >= text.size())
        return 1;
    const auto second = static_cast<unsigned char>(text[pos + 1]);
    if ((second >= 0x40 && second <= 0x7E) || (second >= 0x80 && second <= 0xFE))
        return 2;
    if (second >= 0x30 && second <= 0x39 && pos + 3 < text.size()) {
        const auto third = static_cast<unsigned char>(text[pos + 2]);
        const auto fourth = static_cast<unsigned char>(text[pos + 3]);
        if (third >= 0x81 && third <= 0xFE && fourth >= 0x30 && fourth <= 0x39)
            return 4;
    }
    return 1;
}

// A byte below 0x80 other than a digit always ends a character: it is a
// character of its own or the trail of a two-byte one. Only digits (inner bytes
// of four-byte forms) and bytes from 0x80 up are ambiguous.
[[nodiscard]] inline bool endsCharacter(unsigned char byte) {
    return byte < 0x80 && (byte < '0' || byte > '9');
}

// Tells whether byte positions start a character. Positions are asked in
// rising order, so the walk from the last known boundary is paid for once.
class BoundaryTracker {
public:
    BoundaryTracker(std::string_view text, std::size_t boundary) : m_text(text), m_boundary(boundary) {}

    // `pos` must not lie before the last known boundary. When `pos` is inside a
    // character, the known boundary becomes the end of that character.
    [[nodiscard]] bool startsCharacter(std::size_t pos) {
        if (pos == m_boundary || endsCharacter(static_cast<unsigned char>(m_text[pos - 1]))) {
            m_boundary = pos;
            return true;
        }
        std::size_t walk = pos - 1;
        while (walk > m_boundary && !endsCharacter(static_cast<unsigned char>(m_text[walk - 1])))
            --walk;
        while (walk < pos)
            walk += bytesOfCharacterAt(m_text, walk);
        m_boundary = walk;
        return walk == pos;
    }

    [[nodiscard]] std::size_t boundary() const { return m_boundary; }

private:
    std::string_view m_text;
    std::size_t m_boundary;
};

[[nodiscard]] std::optional<std::size_t> findAligned(std::string_view text, std::string_view needle,
                                                     std::size_t from, BoundaryTracker& tracker) {
    while (from <= text.size() && needle.size() <= text.size() - from) {
        const void* hit = memmem(text.data() + from, text.size() - from, needle.data(), needle.size());
        if (hit == nullptr)
            return std::nullopt;
        const auto pos = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        if (tracker.startsCharacter(pos))
            return pos;
        from = tracker.boundary();
    }
    return std::nullopt;
}

[[nodiscard]] std::optional<BetweenMatch> findBetweenAligned(std::string_view text, std::string_view start,
                                                             std::string_view end, std::size_t from,
                                                             BoundaryTracker& tracker) {
    const auto startPos = findAligned(text, start, from, tracker);
    if (!startPos)
        return std::nullopt;
    const std::size_t valueBegin = *startPos + start.size();
    const auto endPos = findAligned(text, end, valueBegin, tracker);
    if (!endPos)
        return std::nullopt;
    return BetweenMatch{valueBegin, *endPos, *endPos + end.size()};
}

} // namespace

struct PatternMatcher::State {
    CodePtr code;
    bool global = false;
    std::u16string subject;
    std::vector<Match> matches;
};

PatternMatcher::PatternMatcher() : m_state(std::make_unique<State>()) {}
PatternMatcher::~PatternMatcher() = default;
PatternMatcher::PatternMatcher(PatternMatcher&&) noexcept = default;
PatternMatcher& PatternMatcher::operator=(PatternMatcher&&) noexcept = default;

int PatternMatcher::executePattern(std::string_view pattern, std::string_view text, bool ignoreCase,
                                   bool multiline, bool global) {
    if (!m_state)
        m_state = std::make_unique<State>();
    State& state = *m_state;
    state.code = compilePattern(gbkToWide(pattern), ignoreCase, multiline);
    state.global = global;
    state.subject = gbkToWide(text);
    state.matches.clear();
    if (state.code)
        state.matches = findMatches(state.code.get(), state.subject, global);
    return matchCount();
}

int PatternMatcher::matchCount() const {
    return m_state ? static_cast<int>(m_state->matches.size()) : 0;
}

std::string PatternMatcher::matchText(int index) const {
    if (index < 0 || index >= matchCount())
        return {};
    return wideToGbk(slice(m_state->subject, m_state->matches[index].whole));
}

int PatternMatcher::matchPosition(int index) const {
    if (index < 0 || index >= matchCount())
        return -1;
    return static_cast<int>(m_state->matches[index].whole.begin);
}

std::string PatternMatcher::subMatchText(int index, int group) const {
    if (index < 0 || index >= matchCount())
        return {};
    const auto& groups = m_state->matches[index].groups;
    if (group < 0 || static_cast<std::size_t>(group) >= groups.size() || !groups[group])
        return {};
    return wideToGbk(slice(m_state->subject, *groups[group]));
}

std::string PatternMatcher::replaceMatches(std::string_view text, std::string_view replacement) const {
    if (!m_state || !m_state->code)
        return std::string(text);
    const std::u16string subject = gbkToWide(text);
    const std::u16string wideReplacement = gbkToWide(replacement);
    std::u16string out;
    out.reserve(subject.size());
    std::size_t copied = 0;
    for (const Match& match : findMatches(m_state->code.get(), subject, m_state->global)) {
        out.append(subject, copied, match.whole.begin - copied);
        appendReplacement(out, wideReplacement, subject, match);
        copied = match.whole.end;
    }
    out.append(subject, copied);
    return wideToGbk(out);
}

std::string escapeLiteral(std::string_view literal) {
    std::string out;
    out.reserve(literal.size() + literal.size() / 4);
    // Walks characters, not bytes: "[", "]" and "{" can be trail bytes of a
    // Chinese character, and a backslash there would split the character.
    for (std::size_t pos = 0; pos < literal.size();) {
        const std::size_t length = bytesOfCharacterAt(literal, pos);
        if (length == 1 && std::string_view("][+*?{)(").find(literal[pos]) != std::string_view::npos)
            out.push_back('\\');
        out.append(literal.substr(pos, length));
        pos += length;
    }
    return out;
}

// An empty needle is never found: an empty marker delimits nothing.
std::optional<std::size_t> findText(std::string_view text, std::string_view needle, std::size_t from) {
    if (needle.empty() || from > text.size())
        return std::nullopt;
    BoundaryTracker tracker(text, from);
    return findAligned(text, needle, from, tracker);
}

std::optional<BetweenMatch> findBetween(std::string_view text, std::string_view start, std::string_view end,
                                        std::size_t from) {
    if (start.empty() || end.empty() || from > text.size())
        return std::nullopt;
    BoundaryTracker tracker(text, from);
    return findBetweenAligned(text, start, end, from, tracker);
}

std::vector<std::string> extractBetween(std::string_view text, std::string_view start, std::string_view end) {
    std::vector<std::string> values;
    if (start.empty() || end.empty())
        return values;
    BoundaryTracker tracker(text, 0);
    std::size_t from = 0;
    while (const auto match = findBetweenAligned(text, start, end, from, tracker)) {
        values.emplace_back(text.substr(match->valueBegin, match->valueEnd - match->valueBegin));
        from = match->next;
    }
    return values;
}

std::vector<std::string> extractBetweenByPattern(std::string_view text, std::string_view start,
                                                 std::string_view end) {
    std::vector<std::string> values;
    if (start.empty() || end.empty())
        return values;
    const std::string pattern = escapeLiteral(start) + "([\\s|\\S]*?)" + escapeLiteral(end);
    PatternMatcher matcher;
    const int count = matcher.executePattern(pattern, text, /*ignoreCase=*/false, /*multiline=*/false,
                                             /*global=*/true);
    values.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        values.push_back(matcher.subMatchText(i, 0));
    return values;
}

std::string firstBetween(std::string_view text, std::string_view start, std::string_view end) {
    const auto match = findBetween(text, start, end);
    if (!match)
        return {};
    return std::string(text.substr(match->valueBegin, match->valueEnd - match->valueBegin));
}

} // namespace qzb
