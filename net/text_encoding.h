#pragma once

#include <string>
#include <string_view>

// The program keeps its texts as byte strings in GB18030: every character that
// GBK holds keeps its GBK bytes, every other character (an emoji, say) keeps a
// four-byte form instead of turning into "?". "Gbk" in the names below means
// this byte encoding.
namespace qzb {

// Invalid UTF-8 becomes one "?" per bad sequence; a leading byte order mark is dropped.
[[nodiscard]] std::string utf8ToGbk(std::string_view utf8);
// Bytes that are not valid GB18030 become "?".
[[nodiscard]] std::string gbkToUtf8(std::string_view gbk);
// A lone surrogate becomes "?".
[[nodiscard]] std::string wideToGbk(std::u16string_view wide);
// Bytes that are not valid GB18030 become "?".
[[nodiscard]] std::u16string gbkToWide(std::string_view gbk);

// Letters, digits, "-", "_" and "." stay; every other byte becomes "%" and two
// upper-case hex digits.
[[nodiscard]] std::string urlEncode(std::string_view text);

// A fixed text written in the source (UTF-8) in the program's byte encoding.
[[nodiscard]] inline std::string gbk(std::string_view utf8Literal) {
    return utf8ToGbk(utf8Literal);
}

} // namespace qzb
