// Draws the program's pictures and writes them into the folder given as the only argument:
// app_icon.ico and app_icon.png (48 x 48 with alpha), banner.gif (88 x 31, 10 frames, looping
// forever) and about.jpg (82 x 198). Its outputs are committed in res/ and embedded by the build;
// run it again after changing a drawing, on the offscreen platform if there is no display.
//
// Qt cannot write GIF files, and its ICO writer gives no say over the image format, so both
// encoders are here.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <unordered_map>
#include <vector>

namespace qzb {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void put32(Bytes& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

void putText(Bytes& out, const char* text) {
    for (; *text != '\0'; ++text)
        out.push_back(static_cast<std::uint8_t>(*text));
}

bool writeFile(const QDir& folder, const char* name, const QByteArray& bytes) {
    QFile file(folder.filePath(QString::fromLatin1(name)));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size() &&
           file.flush();
}

QByteArray toByteArray(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

QFont chineseFont(int pixelSize, bool bold) {
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// ICO file with one image: a 32-bit BGRA bitmap, bottom row first, followed by the 1-bit
// AND mask that older readers use instead of the alpha channel.
QByteArray icoFile(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    const int width = image.width();
    const int height = image.height();
    const int maskStride = (width + 31) / 32 * 4;
    const std::uint32_t pixelBytes = static_cast<std::uint32_t>(width * height * 4 + maskStride * height);
    constexpr std::uint32_t kHeaderBytes = 40;
    constexpr std::uint32_t kImageOffset = 6 + 16;

    Bytes out;
    put16(out, 0); // reserved
    put16(out, 1); // an icon, not a cursor
    put16(out, 1); // one image
    out.push_back(static_cast<std::uint8_t>(width));
    out.push_back(static_cast<std::uint8_t>(height));
    out.push_back(0); // no colour table
    out.push_back(0);
    put16(out, 1);  // planes
    put16(out, 32); // bits per pixel
    put32(out, kHeaderBytes + pixelBytes);
    put32(out, kImageOffset);

    put32(out, kHeaderBytes);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height * 2)); // colour bitmap and mask together
    put16(out, 1);
    put16(out, 32);
    put32(out, 0); // uncompressed
    put32(out, pixelBytes);
    for (int i = 0; i < 4; ++i)
        put32(out, 0);

    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            QRgb pixel = image.pixel(x, y);
            out.push_back(static_cast<std::uint8_t>(qBlue(pixel)));
            out.push_back(static_cast<std::uint8_t>(qGreen(pixel)));
            out.push_back(static_cast<std::uint8_t>(qRed(pixel)));
            out.push_back(static_cast<std::uint8_t>(qAlpha(pixel)));
        }
    }
    for (int y = height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(static_cast<std::size_t>(maskStride), 0);
        for (int x = 0; x < width; ++x) {
            if (qAlpha(image.pixel(x, y)) == 0)
                row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return toByteArray(out);
}

// One palette for every frame of the banner, by median cut over the pixels of all frames.
std::vector<QRgb> medianCutPalette(std::vector<QRgb> pixels, std::size_t maxColours) {
    struct Box {
        std::size_t begin;
        std::size_t end;
    };
    auto channel = [](QRgb pixel, int which) {
        return which == 0 ? qRed(pixel) : which == 1 ? qGreen(pixel) : qBlue(pixel);
    };
    auto widestChannel = [&](const Box& box, int& range) {
        int best = 0;
        range = -1;
        for (int which = 0; which < 3; ++which) {
            auto [low, high] =
                std::minmax_element(pixels.begin() + static_cast<std::ptrdiff_t>(box.begin),
                                    pixels.begin() + static_cast<std::ptrdiff_t>(box.end),
                                    [&](QRgb a, QRgb b) { return channel(a, which) < channel(b, which); });
            int spread = channel(*high, which) - channel(*low, which);
            if (spread > range) {
                range = spread;
                best = which;
            }
        }
        return best;
    };

    std::vector<Box> boxes{{0, pixels.size()}};
    while (boxes.size() < maxColours) {
        std::size_t chosen = boxes.size();
        int chosenRange = 0;
        int chosenChannel = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            int range = 0;
            int which = widestChannel(boxes[i], range);
            if (range > chosenRange && boxes[i].end - boxes[i].begin > 1) {
                chosen = i;
                chosenRange = range;
                chosenChannel = which;
            }
        }
        if (chosen == boxes.size())
            break;
        Box box = boxes[chosen];
        auto first = pixels.begin() + static_cast<std::ptrdiff_t>(box.begin);
        auto last = pixels.begin() + static_cast<std::ptrdiff_t>(box.end);
        std::sort(first, last,
                  [&](QRgb a, QRgb b) { return channel(a, chosenChannel) < channel(b, chosenChannel); });
        std::size_t middle = box.begin + (box.end - box.begin) / 2;
        boxes[chosen] = {box.begin, middle};
        boxes.push_back({middle, box.end});
    }

    std::vector<QRgb> palette;
    for (const Box& box : boxes) {
        std::array<std::uint64_t, 3> sum{};
        for (std::size_t i = box.begin; i < box.end; ++i) {
            for (int which = 0; which < 3; ++which)
                sum[static_cast<std::size_t>(which)] += static_cast<std::uint64_t>(channel(pixels[i], which));
        }
        std::uint64_t count = box.end - box.begin;
        palette.push_back(qRgb(static_cast<int>((sum[0] + count / 2) / count),
                               static_cast<int>((sum[1] + count / 2) / count),
                               static_cast<int>((sum[2] + count / 2) / count)));
    }
    return palette;
}

std::uint8_t nearestIndex(const std::vector<QRgb>& palette, QRgb pixel) {
    std::size_t best = 0;
    int bestDistance = INT32_MAX;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        int dr = qRed(palette[i]) - qRed(pixel);
        int dg = qGreen(palette[i]) - qGreen(pixel);
        int db = qBlue(palette[i]) - qBlue(pixel);
        // Green weighs most for the eye, blue least.
        int distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

// Variable-length LZW as GIF wants it: codes packed from the least significant bit, the code
// width growing as the table fills, a clear code when it is full at 4096 entries.
class LzwEncoder {
public:
    explicit LzwEncoder(int minimumCodeSize)
        : m_minimumCodeSize(minimumCodeSize), m_clearCode(1 << minimumCodeSize), m_endCode(m_clearCode + 1) {}

    [[nodiscard]] Bytes encode(const std::vector<std::uint8_t>& indices) {
        reset();
        writeCode(m_clearCode);
        if (indices.empty()) {
            writeCode(m_endCode);
            return finish();
        }
        int prefix = indices.front();
        for (std::size_t i = 1; i < indices.size(); ++i) {
            std::uint32_t key = static_cast<std::uint32_t>(prefix) << 8 | indices[i];
            if (auto found = m_table.find(key); found != m_table.end()) {
                prefix = found->second;
                continue;
            }
            writeCode(prefix);
            m_table.emplace(key, ++m_lastCode);
            // The decoder widens its codes as soon as the table reaches the next power of two.
            if (m_lastCode >= (1 << m_codeSize) && m_codeSize < kMaxCodeSize)
                ++m_codeSize;
            if (m_lastCode == (1 << kMaxCodeSize) - 1) {
                writeCode(m_clearCode);
                reset();
            }
            prefix = indices[i];
        }
        writeCode(prefix);
        writeCode(m_endCode);
        return finish();
    }

private:
    static constexpr int kMaxCodeSize = 12;

    void reset() {
        m_table.clear();
        m_codeSize = m_minimumCodeSize + 1;
        m_lastCode = m_endCode;
    }

    void writeCode(int code) {
        m_bits |= static_cast<std::uint64_t>(code) << m_bitCount;
        m_bitCount += m_codeSize;
        while (m_bitCount >= 8) {
            m_out.push_back(static_cast<std::uint8_t>(m_bits & 0xFF));
            m_bits >>= 8;
            m_bitCount -= 8;
        }
    }

    Bytes finish() {
        if (m_bitCount > 0)
            m_out.push_back(static_cast<std::uint8_t>(m_bits & 0xFF));
        m_bits = 0;
        m_bitCount = 0;
        Bytes out;
        out.swap(m_out);
        return out;
    }

    int m_minimumCodeSize;
    int m_clearCode;
    int m_endCode;
    int m_codeSize = 0;
    int m_lastCode = 0;
    std::unordered_map<std::uint32_t, int> m_table;
    std::uint64_t m_bits = 0;
    int m_bitCount = 0;
    Bytes m_out;
};

// GIF89a with one global palette of 256 colours, every frame whole, shown `delayCentiseconds`
// each, the animation repeated forever (NETSCAPE2.0 extension with a loop count of 0).
QByteArray gifFile(const std::vector<QImage>& frames, unsigned delayCentiseconds) {
    const int width = frames.front().width();
    const int height = frames.front().height();
    std::vector<QRgb> pixels;
    for (const QImage& frame : frames) {
        QImage rgb = frame.convertToFormat(QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x)
                pixels.push_back(rgb.pixel(x, y));
        }
    }
    constexpr std::size_t kColours = 256;
    std::vector<QRgb> palette = medianCutPalette(pixels, kColours);
    palette.resize(kColours, qRgb(0, 0, 0));

    Bytes out;
    putText(out, "GIF89a");
    put16(out, static_cast<unsigned>(width));
    put16(out, static_cast<unsigned>(height));
    out.push_back(0xF7); // global palette, 8 bits per primary, 2^(7+1) entries
    out.push_back(0);    // background colour index
    out.push_back(0);    // square pixels
    for (QRgb colour : palette) {
        out.push_back(static_cast<std::uint8_t>(qRed(colour)));
        out.push_back(static_cast<std::uint8_t>(qGreen(colour)));
        out.push_back(static_cast<std::uint8_t>(qBlue(colour)));
    }

    out.insert(out.end(), {0x21, 0xFF, 0x0B});
    putText(out, "NETSCAPE2.0");
    out.insert(out.end(), {0x03, 0x01});
    put16(out, 0); // repeat forever
    out.push_back(0);

    constexpr int kMinimumCodeSize = 8;
    LzwEncoder encoder(kMinimumCodeSize);
    std::size_t next = 0;
    for (std::size_t frame = 0; frame < frames.size(); ++frame) {
        out.insert(out.end(), {0x21, 0xF9, 0x04});
        out.push_back(0x04); // keep the frame in place; every frame covers the whole picture
        put16(out, delayCentiseconds);
        out.push_back(0); // no transparent colour
        out.push_back(0);

        out.push_back(0x2C);
        put16(out, 0);
        put16(out, 0);
        put16(out, static_cast<unsigned>(width));
        put16(out, static_cast<unsigned>(height));
        out.push_back(0); // no local palette, not interlaced

        std::vector<std::uint8_t> indices;
        for (int i = 0; i < width * height; ++i)
            indices.push_back(nearestIndex(palette, pixels[next++]));
        Bytes packed = encoder.encode(indices);
        out.push_back(kMinimumCodeSize);
        for (std::size_t at = 0; at < packed.size(); at += 255) {
            std::size_t length = std::min<std::size_t>(255, packed.size() - at);
            out.push_back(static_cast<std::uint8_t>(length));
            out.insert(out.end(), packed.begin() + static_cast<std::ptrdiff_t>(at),
                       packed.begin() + static_cast<std::ptrdiff_t>(at + length));
        }
        out.push_back(0);
    }
    out.push_back(0x3B);
    return toByteArray(out);
}

const QColor kDeepBlue(0x1B, 0x4F, 0x9C);
const QColor kSkyBlue(0x3E, 0x8E, 0xE6);
const QColor kOrange(0xF5, 0x8A, 0x1F);
const QColor kLightOrange(0xFF, 0xC0, 0x6B);

// A blue tile with rounded corners: an orange arrow goes down into a white tray.
QImage drawIcon() {
    QImage image(48, 48, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient tile(0, 0, 0, 48);
    tile.setColorAt(0, kSkyBlue);
    tile.setColorAt(1, kDeepBlue);
    painter.setPen(Qt::NoPen);
    painter.setBrush(tile);
    painter.drawRoundedRect(QRectF(1, 1, 46, 46), 10, 10);

    QPainterPath tray;
    tray.moveTo(9, 28);
    tray.lineTo(9, 39);
    tray.quadTo(9, 41, 11, 41);
    tray.lineTo(37, 41);
    tray.quadTo(39, 41, 39, 39);
    tray.lineTo(39, 28);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tray);

    QPolygonF arrow({{20, 7}, {28, 7}, {28, 20}, {34, 20}, {24, 32}, {14, 20}, {20, 20}});
    QLinearGradient arrowFill(0, 7, 0, 32);
    arrowFill.setColorAt(0, kLightOrange);
    arrowFill.setColorAt(1, kOrange);
    painter.setPen(QPen(QColor(0xB3, 0x5A, 0x00), 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(arrowFill);
    painter.drawPolygon(arrow);
    return image;
}

// A blue strip with the name; a white shine slides across it from frame to frame.
QImage drawBannerFrame(int frame, int frameCount) {
    QImage image(88, 31, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient strip(0, 0, 88, 31);
    strip.setColorAt(0, kDeepBlue);
    strip.setColorAt(1, kSkyBlue);
    painter.fillRect(image.rect(), strip);

    painter.setPen(Qt::NoPen);
    painter.setBrush(kOrange);
    painter.drawEllipse(QRectF(3, 4, 23, 23));
    painter.setPen(Qt::white);
    painter.setFont(chineseFont(15, true));
    painter.drawText(QRectF(3, 4, 23, 23), Qt::AlignCenter, QStringLiteral("墨"));

    painter.setFont(chineseFont(12, true));
    painter.drawText(QRectF(29, 2, 58, 15), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("QQ空间"));
    painter.setPen(kLightOrange);
    painter.setFont(chineseFont(11, false));
    painter.drawText(QRectF(29, 16, 58, 13), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("备份工具"));

    // The shine starts left of the picture and leaves it on the right by the last frame.
    const double centre = -14.0 + (88.0 + 28.0) * frame / (frameCount - 1);
    QLinearGradient shine(centre - 10, 0, centre + 10, 31);
    shine.setColorAt(0, QColor(255, 255, 255, 0));
    shine.setColorAt(0.5, QColor(255, 255, 255, 120));
    shine.setColorAt(1, QColor(255, 255, 255, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shine);
    painter.drawRect(image.rect());

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QColor(0x12, 0x37, 0x6E));
    painter.drawRect(QRectF(0.5, 0.5, 87, 30));
    return image;
}

// Sky above, warm light below: a photo pinned over an open book.
QImage drawAboutPicture() {
    QImage image(82, 198, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 198);
    sky.setColorAt(0, QColor(0xC9, 0xE2, 0xFF));
    sky.setColorAt(0.55, QColor(0xFF, 0xFF, 0xFF));
    sky.setColorAt(1, QColor(0xFF, 0xD3, 0x9B));
    painter.fillRect(image.rect(), sky);

    painter.save();
    painter.translate(41, 44);
    painter.rotate(-7);
    painter.setPen(QPen(QColor(0x9A, 0xA8, 0xB8), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(-27, -27, 54, 58));
    QRectF photo(-23, -23, 46, 42);
    QLinearGradient photoSky(0, -23, 0, 19);
    photoSky.setColorAt(0, kSkyBlue);
    photoSky.setColorAt(1, QColor(0xBF, 0xE0, 0xFF));
    painter.setPen(Qt::NoPen);
    painter.setBrush(photoSky);
    painter.drawRect(photo);
    painter.setBrush(kOrange);
    painter.drawEllipse(QPointF(10, -11), 6, 6);
    QPainterPath hills;
    hills.moveTo(-23, 19);
    hills.lineTo(-23, 4);
    hills.quadTo(-10, -8, 2, 6);
    hills.quadTo(12, -2, 23, 8);
    hills.lineTo(23, 19);
    hills.closeSubpath();
    painter.setBrush(QColor(0x4C, 0xA6, 0x4C));
    painter.drawPath(hills);
    painter.restore();

    QPainterPath cover;
    cover.moveTo(6, 96);
    cover.quadTo(23, 88, 41, 96);
    cover.quadTo(59, 88, 76, 96);
    cover.lineTo(76, 128);
    cover.quadTo(59, 121, 41, 129);
    cover.quadTo(23, 121, 6, 128);
    cover.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(kDeepBlue);
    painter.drawPath(cover);

    QPainterPath leftPage;
    leftPage.moveTo(9, 93);
    leftPage.quadTo(25, 85, 40, 93);
    leftPage.lineTo(40, 124);
    leftPage.quadTo(25, 117, 9, 124);
    leftPage.closeSubpath();
    QPainterPath rightPage;
    rightPage.moveTo(42, 93);
    rightPage.quadTo(57, 85, 73, 93);
    rightPage.lineTo(73, 124);
    rightPage.quadTo(57, 117, 42, 124);
    rightPage.closeSubpath();
    painter.setBrush(QColor(0xFF, 0xFB, 0xF2));
    painter.drawPath(leftPage);
    painter.drawPath(rightPage);

    painter.setPen(QPen(QColor(0xB0, 0xB8, 0xC4), 1));
    for (int line = 0; line < 4; ++line) {
        double y = 99 + line * 6;
        painter.drawLine(QPointF(14, y), QPointF(36, y - 1.5));
        painter.drawLine(QPointF(46, y - 1.5), QPointF(68, y));
    }

    painter.setPen(QColor(0x5A, 0x3A, 0x12));
    painter.setFont(chineseFont(14, true));
    painter.drawText(QRectF(0, 150, 82, 22), Qt::AlignCenter, QStringLiteral("墨枢"));
    painter.setPen(QColor(0x7A, 0x55, 0x25));
    painter.setFont(chineseFont(10, false));
    painter.drawText(QRectF(0, 172, 82, 16), Qt::AlignCenter, QStringLiteral("空间备份"));
    return image;
}

} // namespace
} // namespace qzb

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pictures <output folder>\n");
        return 2;
    }
    QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "make_pictures: cannot create %s\n", argv[1]);
        return 1;
    }

    constexpr int kFrames = 10;
    constexpr unsigned kFrameCentiseconds = 10;
    std::vector<QImage> banner;
    for (int frame = 0; frame < kFrames; ++frame)
        banner.push_back(qzb::drawBannerFrame(frame, kFrames));

    const QImage icon = qzb::drawIcon();
    bool saved = qzb::writeFile(folder, "app_icon.ico", qzb::icoFile(icon)) &&
                 icon.save(folder.filePath(QStringLiteral("app_icon.png")), "PNG") &&
                 qzb::writeFile(folder, "banner.gif", qzb::gifFile(banner, kFrameCentiseconds)) &&
                 qzb::drawAboutPicture().save(folder.filePath(QStringLiteral("about.jpg")), "JPEG", 90);
    if (!saved) {
        std::fprintf(stderr, "make_pictures: cannot write into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
