#include "qzone/callback_answer.h"

#include "net/pattern_matcher.h"

namespace qzb {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";

} // namespace

bool isWholeCallback(std::string_view answer) {
    std::size_t last = answer.find_last_not_of(kBlanks);
    if (last != std::string_view::npos && answer[last] == ';')
        last = last == 0 ? std::string_view::npos : answer.find_last_not_of(kBlanks, last - 1);
    return last != std::string_view::npos && answer[last] == ')';
}

bool isRefusal(std::string_view answer) {
    return findText(answer, "\"code\":-").has_value() || findText(answer, "\"code\" : -").has_value();
}

} // namespace qzb
