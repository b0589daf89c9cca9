#include "qzone/moods.h"

#include "net/text_encoding.h"
#include "service_fixture.h"

#include <gmock/gmock.h>

namespace qzb {
namespace {

using sample::FaultKind;

constexpr const char* kAccount = "123456789";

class MoodListTest : public ServiceTest {
protected:
    [[nodiscard]] static std::vector<MoodEntry> expectedMoods(int count, int from = 0) {
        std::vector<MoodEntry> entries;
        const auto moods = sample::sampleMoods(count);
        for (std::size_t i = static_cast<std::size_t>(from); i < moods.size(); ++i)
            entries.push_back({moods[i].con});
        return entries;
    }
};

TEST(MoodListUrl, AppendsTheZeroOfTheOffsetAndEncodesItsOwnAddress) {
    const std::string tail = "0&num=10&cgi_host=http%3A%2F%2Ftaotao.qq.com%2Fcgi-bin%2Femotion_cgi_msglist_v6"
                             "&code_version=1&format=jsonp&g_tk=947561382";
    const std::string head =
        "http://taotao.qq.com/cgi-bin/emotion_cgi_msglist_v6?uin=123456789&inCharset=utf-8"
        "&outCharset=utf-8&hostUin=123456789&notice=0&sort=0&pos=";
    EXPECT_EQ(moodListUrl(kAccount, 0), head + "0" + tail);
    EXPECT_EQ(moodListUrl(kAccount, 3), head + "3" + tail);
    EXPECT_NE(moodListUrl(kAccount, 0).find("&pos=00&num=10&"), std::string::npos);
    EXPECT_NE(moodListUrl(kAccount, 12).find("&pos=120&num=10&"), std::string::npos);
}

TEST(MoodListParsing, TakesEachFirstConAndPassesOverMoodsWithoutOne) {
    const std::string answer = "_Callback({\"msglist\":["
                               "{\"conlist\":[{\"con\":\"one \\\"two\\\"\",\"createTime\":\"x\"}]},"
                               "{\"conlist\":null,\"createTime\":\"y\"},"
                               "{\"conlist\":[{\"type\":2,\"con\":\"no\",\"createTime\":\"z\"}]},"
                               "{\"conlist\":[{\"con\":\"\xD6\xD0\r\nline\",\"createTime\":\"w\"}]}]});";
    EXPECT_THAT(parseMoodPage(answer),
                ::testing::ElementsAre(MoodEntry{"one \\\"two\\\""}, MoodEntry{"\xD6\xD0\r\nline"}));
    EXPECT_TRUE(parseMoodPage("").empty());
}

TEST_F(MoodListTest, ListsEveryMoodPageByPageUntilAPageHasNone) {
    struct Case {
        int moods;
        std::vector<int> pages;
    };
    const Case cases[] = {{0, {0}}, {10, {0, 1}}, {23, {0, 1, 2, 3}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.moods);
        useOptions({.moods = c.moods});
        m_service.clearRequests();
        MoodList list = listMoods(kAccount);
        EXPECT_TRUE(list.complete);
        EXPECT_EQ(list.entries, expectedMoods(c.moods));
        std::vector<std::string> expectedTargets;
        for (int page : c.pages)
            expectedTargets.push_back(moodListUrl(kAccount, page));
        EXPECT_EQ(requestedTargets(), expectedTargets);
    }
}

TEST_F(MoodListTest, TextsArriveConvertedOnceWithEmojiAndEscapesKept) {
    useOptions({.moods = 23});
    const auto moods = listMoods(kAccount).entries;
    ASSERT_EQ(moods, expectedMoods(23));
    auto holds = [&](std::string_view bytes) {
        return std::any_of(moods.begin(), moods.end(),
                           [&](const MoodEntry& mood) { return mood.con.find(bytes) != std::string::npos; });
    };
    EXPECT_TRUE(holds("\x94\x39\xFC\x36"));
    EXPECT_TRUE(holds("\\\""));
    EXPECT_TRUE(holds(gbk("的")));

    useOptions(
        {.moods = 23, .faults = {{.targetContains = "emotion_cgi", .kind = FaultKind::UndeclaredUtf8}}});
    EXPECT_EQ(listMoods(kAccount).entries, moods);
}

TEST_F(MoodListTest, AFailedPageEndsTheListAndSaysItMayBeShort) {
    for (FaultKind kind : {FaultKind::Status, FaultKind::CloseMidBody, FaultKind::Stall}) {
        SCOPED_TRACE(static_cast<int>(kind));
        useOptions({.moods = 23, .faults = {{.targetContains = "pos=10", .kind = kind}}});
        MoodList list = listMoods(kAccount);
        EXPECT_FALSE(list.complete);
        EXPECT_EQ(list.entries, expectedMoods(10));
    }
}

TEST_F(MoodListTest, APageThatRepeatsThePreviousOneEndsThePaging) {
    useOptions(
        {.moods = 23, .faults = {{.targetContains = "emotion_cgi", .kind = FaultKind::RepeatFirstPage}}});
    MoodList list = listMoods(kAccount);
    EXPECT_FALSE(list.complete);
    EXPECT_EQ(list.entries, expectedMoods(10));
    EXPECT_EQ(m_service.requests().size(), 2u);
}

TEST_F(MoodListTest, AnAccountNumberThatIsNot5To11DigitsSendsNothing) {
    for (const char* account : {"", "1234", "abcdef", "123456789012", "12 345"}) {
        SCOPED_TRACE(account);
        EXPECT_TRUE(listMoods(account).entries.empty());
    }
    EXPECT_TRUE(m_service.requests().empty());
}

TEST(MoodCountText, IsTheNumberThenTheWordForMoods) {
    EXPECT_EQ(moodCountText(23), "23" + gbk("条说说"));
}

} // namespace
} // namespace qzb
