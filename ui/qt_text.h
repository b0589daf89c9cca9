#pragma once

#include <QString>

#include <string>
#include <string_view>

// The program's texts are GB18030 byte strings; widgets hold QStrings.
namespace qzb {

[[nodiscard]] QString toQString(std::string_view gbk);
[[nodiscard]] std::string toGbk(const QString& text);

} // namespace qzb
