#include "net/pattern_matcher.h"
#include "qzone/moods.h"
#include "tests/fuzz/fuzz_support.h"

using namespace qzb;
using namespace qzb::fuzz;

namespace {

constexpr std::string_view kTextMarker = "\"conlist\":[{\"con\":\"";
constexpr std::string_view kTextTerminator = "\",\"createTime\"";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view answer = asText(data, size);
    const std::vector<MoodEntry> entries = parseMoodPage(answer);

    require(entries.size() <= occurrences(answer, kTextMarker), "one mood per marker at most");
    std::vector<std::string_view> texts;
    for (const MoodEntry& entry : entries) {
        // The terminator begins with a quote, which is never inside a character.
        require(entry.con.find(kTextTerminator) == std::string::npos, "a mood holds no terminator");
        texts.push_back(entry.con);
    }
    require(liesInOrder(answer, texts, kTextMarker, kTextTerminator), "moods are marked and in order");
    if (!entries.empty())
        require(firstBetween(answer, kTextMarker, kTextTerminator) == entries.front().con,
                "the first mood is the first marked text");
    return 0;
}
