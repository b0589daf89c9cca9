#include "ui/qt_text.h"

#include "net/text_encoding.h"

namespace qzb {

QString toQString(std::string_view gbk) {
    return QString::fromStdU16String(gbkToWide(gbk));
}

std::string toGbk(const QString& text) {
    return wideToGbk(text.toStdU16String());
}

} // namespace qzb
