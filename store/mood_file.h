#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qzb {

// Five line breaks, twenty blanks and a line that credits the tool and names the maker's site.
[[nodiscard]] std::string moodFooter();
// The moods in list order, one "\r\n" between two, then the footer.
[[nodiscard]] std::string moodFileContent(const std::vector<std::string>& moods);
bool saveMoodFile(std::string_view pathText, const std::vector<std::string>& moods);

} // namespace qzb
