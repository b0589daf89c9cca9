#include "net/pattern_matcher.h"

#include "net/text_encoding.h"

#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <utility>

namespace qzb {
namespace {

struct Found {
    std::string text;
    int position;
    bool operator==(const Found&) const = default;
};

std::vector<Found> allMatches(const PatternMatcher& matcher) {
    std::vector<Found> found;
    for (int i = 0; i < matcher.matchCount(); ++i)
        found.push_back({matcher.matchText(i), matcher.matchPosition(i)});
    return found;
}

TEST(PatternMatcher, HonoursOptionsAndCountsPositionsInUtf16Units) {
    struct Case {
        const char* name;
        std::string pattern;
        std::string text;
        bool ignoreCase;
        bool multiline;
        bool global;
        std::vector<Found> expected;
    };
    const Case cases[] = {
        {"case significant", "abc", "ABC abc", false, false, true, {{"abc", 4}}},
        {"ignore case", "abc", "ABC abc", true, false, true, {{"ABC", 0}, {"abc", 4}}},
        {"anchor at text start only", "^\\w+", "one\ntwo", false, false, true, {{"one", 0}}},
        {"anchor at every line", "^\\w+", "one\ntwo", false, true, true, {{"one", 0}, {"two", 4}}},
        {"end anchor at every line", "\\w+$", "one\r\ntwo", false, true, true, {{"one", 0}, {"two", 5}}},
        {"first match only", "\\d+", "a1b22c333", false, false, false, {{"1", 1}}},
        {"all matches", "\\d+", "a1b22c333", false, false, true, {{"1", 1}, {"22", 3}, {"333", 6}}},
        {"dot stops at line break", "a.b", "a\nb a-b", false, false, true, {{"a-b", 4}}},
        {"bar inside a class is a member",
         "<[\\s|\\S]*?>",
         "<a|\nb> <|>",
         false,
         false,
         true,
         {{"<a|\nb>", 0}, {"<|>", 7}}},
        {"chinese counts one unit per character",
         gbk("日志"),
         gbk("中文日志，日志"),
         false,
         false,
         true,
         {{gbk("日志"), 2}, {gbk("日志"), 5}}},
        {"chinese pattern with group of any character",
         gbk("日(.)"),
         gbk("日志日记"),
         false,
         false,
         true,
         {{gbk("日志"), 0}, {gbk("日记"), 2}}},
        {"emoji counts two units", "x", gbk("😀x"), false, false, true, {{"x", 2}}},
        {"empty matches step one character", "x*", "ab", false, false, true, {{"", 0}, {"", 1}, {"", 2}}},
        {"empty matches keep surrogate pairs whole",
         "x*",
         gbk("😀a"),
         false,
         false,
         true,
         {{"", 0}, {"", 2}, {"", 3}}},
        {"empty match after a longer one", "a*", "aab", false, false, true, {{"aa", 0}, {"", 2}, {"", 3}}},
        {"no match", "z", "abc", false, false, true, {}},
    };
    PatternMatcher matcher;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(matcher.executePattern(c.pattern, c.text, c.ignoreCase, c.multiline, c.global),
                  static_cast<int>(c.expected.size()));
        EXPECT_EQ(allMatches(matcher), c.expected);
    }
}

TEST(PatternMatcher, GivesGroupTextsAndEmptyResultsOutOfRange) {
    PatternMatcher matcher;
    ASSERT_EQ(matcher.executePattern(gbk("(\\d+)-(x)?(\\w+)（(.*?)）"), gbk("12-ab（日志） 34-xcd（）"),
                                     false, false, true),
              2);
    const std::vector<std::vector<std::string>> expected = {{"12", "", "ab", gbk("日志")},
                                                            {"34", "x", "cd", ""}};
    for (int i = 0; i < 2; ++i) {
        for (int g = 0; g < 4; ++g)
            EXPECT_EQ(matcher.subMatchText(i, g), expected[i][g]) << "match " << i << " group " << g;
    }
    EXPECT_EQ(matcher.matchPosition(1), 10);

    struct OutOfRange {
        int index;
        int group;
    };
    for (const auto& [index, group] :
         {OutOfRange{0, 4}, OutOfRange{0, -1}, OutOfRange{2, 0}, OutOfRange{-1, 0}}) {
        SCOPED_TRACE(testing::Message() << index << "/" << group);
        EXPECT_EQ(matcher.subMatchText(index, group), "");
    }
    for (int index : {2, -1}) {
        EXPECT_EQ(matcher.matchText(index), "");
        EXPECT_EQ(matcher.matchPosition(index), -1);
    }

    PatternMatcher moved(std::move(matcher));
    EXPECT_EQ(moved.matchCount(), 2);
    EXPECT_EQ(moved.subMatchText(1, 2), "cd");
}

TEST(PatternMatcher, BadPatternGivesNoMatchesAndLeavesTextsAlone) {
    PatternMatcher matcher;
    for (const std::string pattern : {"(abc", "[a-", "a{2,1}", "*a", "a)"}) {
        SCOPED_TRACE(pattern);
        ASSERT_EQ(matcher.executePattern("b", "abc", false, false, true), 1);
        EXPECT_EQ(matcher.executePattern(pattern, "abc(abc", false, false, true), 0);
        EXPECT_EQ(matcher.matchCount(), 0);
        EXPECT_EQ(matcher.matchText(0), "");
        EXPECT_EQ(matcher.matchPosition(0), -1);
        EXPECT_EQ(matcher.subMatchText(0, 0), "");
        EXPECT_EQ(matcher.replaceMatches("abc", "x"), "abc");
    }
}

TEST(PatternMatcher, ReplacesMatchesExpandingDollarForms) {
    struct Case {
        const char* name;
        std::string pattern;
        bool ignoreCase;
        bool global;
        std::string text;
        std::string replacement;
        std::string expected;
    };
    const Case cases[] = {
        {"groups swapped everywhere", "(\\w+)@(\\w+)", false, true, "a@b c@d", "$2@$1", "b@a d@c"},
        {"first match only", "(\\w+)@(\\w+)", false, false, "a@b c@d", "$2@$1", "b@a c@d"},
        {"whole match", "\\d+", false, true, "a1b22", "<$&>", "a<1>b<22>"},
        {"dollar", "x", false, true, "axb", "$$", "a$b"},
        {"other dollars stay", "x", false, true, "axb", "$a$0$", "a$a$0$b"},
        {"unset group is empty", "(a)|(b)", false, true, "ab", "[$1$2]", "[a][b]"},
        {"ninth group, then a digit", "(a)(b)(c)(d)(e)(f)(g)(h)(i)", false, true, "abcdefghi", "$9$10",
         "ia0"},
        {"group the pattern lacks stays", "(a)", false, true, "a", "$1$2", "a$2"},
        {"chinese groups", gbk("(日)(志)"), false, true, gbk("写日志，日志"), "$2$1", gbk("写志日，志日")},
        {"empty matches", "x*", false, true, "ab", "-", "-a-b-"},
        {"ignore case applies", "ab", true, true, "AB ab aB", "x", "x x x"},
        {"nothing matched", "z", false, true, gbk("日志"), "x", gbk("日志")},
    };
    PatternMatcher matcher;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        matcher.executePattern(c.pattern, "", c.ignoreCase, false, c.global);
        EXPECT_EQ(matcher.replaceMatches(c.text, c.replacement), c.expected);
    }
}

TEST(PatternMatcher, EscapeLiteralMarksOnlyItsEightCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {"][+*?{)(", "\\]\\[\\+\\*\\?\\{\\)\\("}, {".|^$}", ".|^$}"},
        {"{\"blogId\":", "\\{\"blogId\":"},       {"a(b)[c]", "a\\(b\\)\\[c\\]"},
        {gbk("亄乕乚"), gbk("亄乕乚")}, // trail bytes 0x7B, 0x5B, 0x5D
        {gbk("【标题】{"), gbk("【标题】\\{")},   {"", ""},
    };
    PatternMatcher matcher;
    for (const auto& [literal, escaped] : cases) {
        SCOPED_TRACE(literal);
        EXPECT_EQ(escapeLiteral(literal), escaped);
        if (!literal.empty() && literal.find_first_of(".|^$") == std::string::npos) {
            ASSERT_EQ(matcher.executePattern(escaped, "pre" + literal + "post", false, false, true), 1);
            EXPECT_EQ(matcher.matchText(0), literal);
            EXPECT_EQ(matcher.matchPosition(0), 3);
        }
    }
}

TEST(PatternMatcher, ExtractBetweenAgreesWithPatternForm) {
    struct Case {
        const char* name;
        std::string text;
        std::string start;
        std::string end;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"markers in alternation", "<a>1</a> <a>2</a>", "<a>", "</a>", {"1", "2"}},
        {"start marker inside a value", "A1A2B", "A", "B", {"1A2"}},
        {"start without end ends extraction", "S1E S2 S3", "S", "E", {"1"}},
        {"start without end gives nothing", "xS1", "S", "E", {}},
        {"value keeps line breaks", "<b>line1\r\nline2\n</b>", "<b>", "</b>", {"line1\r\nline2\n"}},
        {"json markers",
         "{\"blogId\":12,\n\"blogType\":0},{\"blogId\":34,\n\"blogType\":1}",
         "{\"blogId\":",
         ",\n\"blogType\":",
         {"12", "34"}},
        {"brackets and parentheses", "f(x)[1] f(y)[2]", "f(", ")[", {"x", "y"}},
        {"empty value", "abb", "ab", "b", {""}},
        {"chinese markers",
         gbk("标题：随笔。标题：生活。"),
         gbk("标题："),
         gbk("。"),
         {gbk("随笔"), gbk("生活")}},
        // 乐小 is C0 D6 D0 A1; its middle bytes spell 中.
        {"chinese marker never straddles characters", gbk("乐小!中值!"), gbk("中"), "!", {gbk("值")}},
        // 亄 is 81 7B: its trail byte is "{".
        {"ascii marker never starts on a trail byte", gbk("亄") + "\"k\":1;{\"k\":2;", "{\"k\":", ";", {"2"}},
        // 😀 is 94 39 FC 36: its inner bytes hold "9" and "6".
        {"digits inside a four-byte character", gbk("😀9x😀6"), "9", "6", {gbk("x😀")}},
        // ᓒ is 81 34 81 34 and ª is 81 30 84 39: together they hold the bytes of ᓎ, 81 34 81 30.
        {"four-byte marker never straddles four-byte characters", gbk("ᓒª!ᓎ值!"), gbk("ᓎ"), "!", {gbk("值")}},
        {"four-byte character beside markers",
         gbk("<e>😀</e><e>¥😀</e>"),
         "<e>",
         "</e>",
         {gbk("😀"), gbk("¥😀")}},
        {"empty text", "", "<a>", "</a>", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(extractBetween(c.text, c.start, c.end), c.expected);
        EXPECT_EQ(extractBetweenByPattern(c.text, c.start, c.end), c.expected);
        EXPECT_EQ(firstBetween(c.text, c.start, c.end), c.expected.empty() ? "" : c.expected.front());
        EXPECT_EQ(findBetween(c.text, c.start, c.end).has_value(), !c.expected.empty());
    }
}

TEST(PatternMatcher, FindBetweenReportsValueAndResumePositions) {
    const std::string text = "x<a>1</a><a>22</a>";
    const auto first = findBetween(text, "<a>", "</a>");
    ASSERT_TRUE(first);
    EXPECT_EQ(std::make_tuple(first->valueBegin, first->valueEnd, first->next), std::make_tuple(4u, 5u, 9u));
    const auto second = findBetween(text, "<a>", "</a>", first->next);
    ASSERT_TRUE(second);
    EXPECT_EQ(std::make_tuple(second->valueBegin, second->valueEnd, second->next),
              std::make_tuple(12u, 14u, 18u));
    EXPECT_FALSE(findBetween(text, "<a>", "</a>", second->next));
    EXPECT_FALSE(findBetween(text, "<a>", "</a>", text.size() + 1));
}

TEST(PatternMatcher, EmptyMarkersGiveNothing) {
    for (const auto& [start, end] : {std::pair<std::string, std::string>{"", "c"}, {"a", ""}, {"", ""}}) {
        SCOPED_TRACE(start + "/" + end);
        EXPECT_TRUE(extractBetween("abc", start, end).empty());
        EXPECT_TRUE(extractBetweenByPattern("abc", start, end).empty());
        EXPECT_FALSE(findBetween("abc", start, end));
        EXPECT_EQ(firstBetween("abc", start, end), "");
    }
    EXPECT_FALSE(findText("abc", ""));
}

// Byte offsets of `needle` in `text` found over UTF-16 and mapped back, without overlap.
std::vector<std::size_t> referenceOffsets(const std::string& text, const std::string& needle) {
    const std::u16string wideText = gbkToWide(text);
    const std::u16string wideNeedle = gbkToWide(needle);
    std::vector<std::size_t> offsets;
    for (auto pos = wideText.find(wideNeedle); pos != std::u16string::npos;
         pos = wideText.find(wideNeedle, pos + wideNeedle.size()))
        offsets.push_back(wideToGbk(wideText.substr(0, pos)).size());
    return offsets;
}

std::vector<std::size_t> scannedOffsets(const std::string& text, const std::string& needle) {
    std::vector<std::size_t> offsets;
    for (auto pos = findText(text, needle); pos; pos = findText(text, needle, *pos + needle.size()))
        offsets.push_back(*pos);
    return offsets;
}

TEST(PatternMatcher, ScanAgreesWithPatternFormOnRandomTexts) {
    // Pieces chosen so that markers can appear inside characters: trail bytes
    // "{", "A", "[", "\", digits inside four-byte forms, and four-byte forms whose
    // neighbours spell another one.
    const std::vector<std::string> pieces = {
        "a",         "A",       "b",       "0",       "6",       "9",       "{",
        "}",         "[",       "\"",      ",",       ":",       "\n",      "{\"k\":",
        ",\n\"t\":", gbk("亄"), gbk("丄"), gbk("乕"), gbk("乗"), gbk("中"), gbk("乐"),
        gbk("小"),   gbk("文"), gbk("😀"),  gbk("¥"),  gbk("ᓒ"),  gbk("ᓎ"),  gbk("ª"),
    };
    std::mt19937 random(20240531);
    std::uniform_int_distribution<std::size_t> pickPiece(0, pieces.size() - 1);
    std::uniform_int_distribution<int> textLength(0, 40);
    std::uniform_int_distribution<int> markerLength(1, 3);
    std::uniform_int_distribution<int> pickSource(0, 5);
    const auto buildMarker = [&] {
        std::string out;
        for (int i = markerLength(random); i > 0; --i)
            out += pieces[pickPiece(random)];
        return out;
    };
    // Texts draw the markers themselves as pieces now and then, so values turn up often.
    const auto buildText = [&](const std::string& start, const std::string& end) {
        std::string out;
        for (int i = textLength(random); i > 0; --i) {
            const int source = pickSource(random);
            out += source == 0 ? start : source == 1 ? end : pieces[pickPiece(random)];
        }
        return out;
    };

    int withValues = 0;
    int withMisalignedBytes = 0;
    constexpr int kRounds = 4000;
    for (int round = 0; round < kRounds; ++round) {
        const std::string start = buildMarker();
        const std::string end = buildMarker();
        const std::string text = buildText(start, end);
        SCOPED_TRACE(testing::Message() << "round " << round);
        const auto values = extractBetween(text, start, end);
        ASSERT_EQ(values, extractBetweenByPattern(text, start, end));
        bool misaligned = false;
        for (const std::string& marker : {start, end}) {
            const auto offsets = referenceOffsets(text, marker);
            ASSERT_EQ(scannedOffsets(text, marker), offsets);
            const auto firstBytes = text.find(marker);
            misaligned |=
                firstBytes != std::string::npos && (offsets.empty() || offsets.front() != firstBytes);
        }
        withValues += values.empty() ? 0 : 1;
        withMisalignedBytes += misaligned ? 1 : 0;
    }
    // The comparison means little unless many rounds extract something and some
    // hold a marker's bytes inside a character.
    EXPECT_GT(withValues, kRounds / 2);
    EXPECT_GT(withMisalignedBytes, kRounds / 50);
}

} // namespace
} // namespace qzb
