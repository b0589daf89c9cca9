#include "net/text_encoding.h"

#include <gtest/gtest.h>

namespace qzb {
namespace {

struct RoundTrip {
    const char* name;
    std::string utf8;
    std::string gbk;
};

// Each pair is the same text in UTF-8 and in the program's byte encoding.
const RoundTrip kRoundTrips[] = {
    {"ascii", "hello, world 123 {\"a\":1}\r\n", "hello, world 123 {\"a\":1}\r\n"},
    {"chinese", "\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4"}, // 中文
    {"mixed",
     "a\xE6\x97\xA5\xE5\xBF\x97"
     "b",
     "a\xC8\xD5\xD6\xBE"
     "b"},                                                              // a日志b
    {"full-width bracket", "\xE3\x80\x90", "\xA1\xBE"},                 // 【
    {"emoji keeps four bytes", "\xF0\x9F\x98\x80", "\x94\x39\xFC\x36"}, // U+1F600
    {"character outside GBK", "\xE2\x82\xAC", "\xA2\xE3"},              // € (GB18030 two-byte)
    {"empty", "", ""},
};

TEST(TextEncoding, ConvertsBothWays) {
    for (const auto& c : kRoundTrips) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf8ToGbk(c.utf8), c.gbk);
        EXPECT_EQ(gbkToUtf8(c.gbk), c.utf8);
    }
}

TEST(TextEncoding, WideConversionsMatchByteConversions) {
    const std::u16string wide = u"\u65E5\u5FD7 \U0001F600 ok";
    EXPECT_EQ(wideToGbk(wide), utf8ToGbk("\xE6\x97\xA5\xE5\xBF\x97 \xF0\x9F\x98\x80 ok"));
    EXPECT_EQ(gbkToWide(wideToGbk(wide)), wide);
}

TEST(TextEncoding, InvalidInputBecomesQuestionMarksWithoutLosingTheRest) {
    struct Case {
        const char* name;
        std::string utf8;
        std::string gbk;
    };
    const Case cases[] = {
        {"lone continuation byte",
         "a\x80"
         "b",
         "a?b"},
        {"truncated three-byte sequence",
         "a\xE4\xB8"
         "b",
         "a?b"},
        {"truncated at the end", "ab\xE4", "ab?"},
        {"overlong encoding",
         "a\xC0\xAF"
         "b",
         "a??b"},
        {"encoded surrogate",
         "a\xED\xA0\x80"
         "b",
         "a???b"},
        {"invalid byte then chinese", "\xFF\xE4\xB8\xAD", "?\xD6\xD0"},
        {"byte order mark dropped", "\xEF\xBB\xBF\xE4\xB8\xAD", "\xD6\xD0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf8ToGbk(c.utf8), c.gbk);
    }
    EXPECT_EQ(gbkToUtf8("a\xFF"
                        "b\xD6"),
              "a?b?");
    EXPECT_EQ(wideToGbk(std::u16string{u'a', char16_t(0xD800), u'b'}), "a?b");
}

TEST(TextEncoding, UrlEncodeUsesUpperCaseHexAndKeepsUnreservedBytes) {
    EXPECT_EQ(urlEncode("Az09-_."), "Az09-_.");
    EXPECT_EQ(urlEncode("\n"), "%0A");
    EXPECT_EQ(urlEncode("\xB0"), "%B0");
    EXPECT_EQ(urlEncode("http://a b/"), "http%3A%2F%2Fa%20b%2F");
    EXPECT_EQ(urlEncode("\xD6\xD0"), "%D6%D0");
    EXPECT_EQ(urlEncode(""), "");
}

} // namespace
} // namespace qzb
