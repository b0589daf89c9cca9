#pragma once

#include <string_view>

namespace qzb {

// Whether a JSONP answer ends its callback: its last character, blanks aside,
// is ")" or a ";" behind one. An answer cut short by the server or on the way
// does not, and its records may be only a part of the list.
[[nodiscard]] bool isWholeCallback(std::string_view answer);

// Whether the service refused the request: the answer's code is negative
// (written "code":-n or "code" : -n), as it is for a space closed to visitors.
[[nodiscard]] bool isRefusal(std::string_view answer);

} // namespace qzb
