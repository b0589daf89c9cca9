#include "res/pictures.h"

#include <QFile>

namespace qzb {

QByteArray appIconFile() {
    QFile file(QString::fromLatin1(kAppIconResource));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace qzb
