#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <optional>

// A skin file: the four bytes ".SHE", then a Qt style sheet as UTF-8 compressed by qCompress
// (which puts the uncompressed length, 4 bytes big-endian, before the zlib stream).
namespace qzb {

inline constexpr QByteArrayView kSkinMagic{".SHE"};

// Style sheets are a few kilobytes; the cap keeps a damaged or foreign file from asking
// qUncompress for gigabytes.
inline constexpr qsizetype kMaxStyleSheetBytes = 1 << 20;
inline constexpr qint64 kMaxSkinFileBytes = 4 << 20;

[[nodiscard]] inline QByteArray encodeSkin(const QString& styleSheet) {
    return kSkinMagic.toByteArray() + qCompress(styleSheet.toUtf8(), 9);
}

// The style sheet of a skin file; nothing when the bytes are not a skin or hold an empty sheet.
[[nodiscard]] inline std::optional<QString> decodeSkin(QByteArrayView file) {
    if (!file.startsWith(kSkinMagic))
        return std::nullopt;
    QByteArrayView packed = file.sliced(kSkinMagic.size());
    if (packed.size() < 4)
        return std::nullopt;
    const auto byte = [&](qsizetype i) { return static_cast<quint32>(static_cast<quint8>(packed[i])); };
    quint32 claimed = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
    if (claimed == 0 || claimed > kMaxStyleSheetBytes)
        return std::nullopt;
    QByteArray utf8 = qUncompress(reinterpret_cast<const uchar*>(packed.data()), packed.size());
    if (utf8.isEmpty())
        return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString styleSheet = decoder(utf8);
    if (decoder.hasError())
        return std::nullopt;
    return styleSheet;
}

} // namespace qzb
