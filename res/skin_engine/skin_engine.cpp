// The skin engine that the program carries and writes to disk as "SkinH_EL.dll". The program
// binds it by name at run time, so this library exports exactly one function.

#include "res/skin_format.h"

#include <QApplication>
#include <QFile>

namespace {

// Answers of SkinH_AttachEx; anything but kApplied leaves the application as it was.
enum AttachResult : int {
    kApplied = 0,
    kNoApplication = 1,
    kUnreadableFile = 2,
    kNotASkin = 3,
};

} // namespace

// Applies the skin file at `skinPath` (a UTF-8 file-system path) to the running QApplication
// as its style sheet. `password` is accepted for the engine's customary call and ignored:
// our skins are not encrypted, so callers may pass null or an empty text.
// Returns 0 when the skin was applied; otherwise the application's look is unchanged.
extern "C" __attribute__((visibility("default"))) int SkinH_AttachEx(const char* skinPath,
                                                                     [[maybe_unused]] const char* password) {
    auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (application == nullptr)
        return kNoApplication;
    if (skinPath == nullptr)
        return kUnreadableFile;
    QFile file(QString::fromUtf8(skinPath));
    if (!file.open(QIODevice::ReadOnly) || file.size() > qzb::kMaxSkinFileBytes)
        return kUnreadableFile;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return kUnreadableFile;
    std::optional<QString> styleSheet = qzb::decodeSkin(bytes);
    if (!styleSheet)
        return kNotASkin;
    application->setStyleSheet(*styleSheet);
    return kApplied;
}
