#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qzb {

// One mood: the text of the first element of its "conlist", byte for byte
// after the answer's conversion from UTF-8.
struct MoodEntry {
    std::string con;
    bool operator==(const MoodEntry&) const = default;
};

struct MoodListPage {
    bool answered = false; // a success status, and the service did not refuse
    bool whole = false;    // the answer ended its callback: it was not cut short
    std::vector<MoodEntry> entries;
};

struct MoodList {
    std::vector<MoodEntry> entries;
    // False when the paging ended on a failed exchange, on a cut-short answer
    // or on a page that repeated the one before it: the list may then be short.
    bool complete = false;
};

inline constexpr int kMoodsPerPage = 10;

// `page` counts from 0; the service reads the page number with a "0" behind it as the offset.
[[nodiscard]] std::string moodListUrl(std::string_view account, int page);
// Takes the moods out of an answer already in the program's byte encoding.
[[nodiscard]] std::vector<MoodEntry> parseMoodPage(std::string_view answer);

[[nodiscard]] MoodListPage fetchMoodPage(std::string_view account, int page);
// Every mood, page by page, until a page yields none. An account number that
// is not 5 to 11 digits sends nothing.
[[nodiscard]] MoodList listMoods(std::string_view account);

// n + "条说说"
[[nodiscard]] std::string moodCountText(std::size_t count);

} // namespace qzb
