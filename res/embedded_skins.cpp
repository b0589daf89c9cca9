#include "res/embedded_skins.h"

#include <QFile>
#include <QString>

namespace qzb {
namespace {

QByteArray resourceBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

QByteArray embeddedEngine() {
    return resourceBytes(QStringLiteral(":/skins/SkinH_EL.dll"));
}

QByteArray embeddedSkin(int number) {
    return resourceBytes(QStringLiteral(":/skins/%1.she").arg(number));
}

} // namespace qzb
