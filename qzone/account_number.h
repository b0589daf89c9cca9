#pragma once

#include <string_view>

namespace qzb {

// A QQ account number as the service takes it: 5 to 11 decimal digits.
[[nodiscard]] bool isValidAccountNumber(std::string_view text);

} // namespace qzb
