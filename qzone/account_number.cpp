#include "qzone/account_number.h"

#include <algorithm>

namespace qzb {

bool isValidAccountNumber(std::string_view text) {
    return text.size() >= 5 && text.size() <= 11 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace qzb
