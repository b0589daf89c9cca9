#include "net/text_encoding.h"

#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iconv.h>

namespace qzb {
namespace {

static_assert(std::endian::native == std::endian::little, "UTF-16 texts are handed to iconv as UTF-16LE");

constexpr char kByteEncoding[] = "GB18030";
constexpr char kWideEncoding[] = "UTF-16LE";

// One iconv descriptor per direction and thread; converting is stateless
// between calls because every call starts by resetting the shift state.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    [[nodiscard]] bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // Converts `in` into bytes of the target encoding; `skipBad` tells how many
    // input bytes a rejected sequence spans, `replacement` what stands in for it.
    template <typename SkipBad>
    [[nodiscard]] std::string convert(std::string_view in, std::string_view replacement, SkipBad skipBad) {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        auto* inPtr = const_cast<char*>(in.data());
        std::size_t inLeft = in.size();
        std::string out(in.size() * 2 + 16, '\0');
        std::size_t used = 0;
        while (inLeft > 0) {
            char* outPtr = out.data() + used;
            std::size_t outLeft = out.size() - used;
            std::size_t result = iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft);
            int error = errno;
            used = static_cast<std::size_t>(outPtr - out.data());
            if (result != static_cast<std::size_t>(-1))
                break;
            if (error == E2BIG || out.size() - used < replacement.size()) {
                out.resize(out.size() * 2);
                continue;
            }
            if (error != EILSEQ && error != EINVAL)
                break;
            std::size_t skip = error == EINVAL ? inLeft : skipBad(std::string_view(inPtr, inLeft));
            out.replace(used, replacement.size(), replacement);
            used += replacement.size();
            inPtr += skip;
            inLeft -= skip;
        }
        out.resize(used);
        return out;
    }

private:
    iconv_t m_cd;
};

Converter& wideToByteConverter() {
    thread_local Converter converter(kByteEncoding, kWideEncoding);
    return converter;
}

Converter& byteToWideConverter() {
    thread_local Converter converter(kWideEncoding, kByteEncoding);
    return converter;
}

bool isHighSurrogate(char16_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

char16_t unitAt(std::string_view bytes, std::size_t index) {
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * index]) |
                                 static_cast<unsigned char>(bytes[2 * index + 1]) << 8);
}

// A rejected UTF-16 place: a whole surrogate pair, or one unit.
std::size_t skipBadWide(std::string_view rest) {
    if (rest.size() >= 4 && isHighSurrogate(unitAt(rest, 0)) && isLowSurrogate(unitAt(rest, 1)))
        return 4;
    return rest.size() >= 2 ? 2 : rest.size();
}

std::size_t skipBadByte(std::string_view rest) {
    return rest.empty() ? 0 : 1;
}

bool isAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

void appendCodePoint(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Decodes UTF-8, putting one "?" in place of each maximal invalid part
// (the rule of the Unicode standard for substituting bad sequences).
std::u16string decodeUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t size = text.size();
    std::size_t i = 0;
    while (i < size) {
        unsigned char lead = bytes[i];
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        int length = 0;
        char32_t cp = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            cp = lead & 0x0F;
            if (lead == 0xE0)
                low = 0xA0;
            if (lead == 0xED)
                high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07;
            if (lead == 0xF0)
                low = 0x90;
            if (lead == 0xF4)
                high = 0x8F;
        }
        if (length == 0) {
            out.push_back(u'?');
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        bool complete = true;
        for (int k = 1; k < length; ++k, ++j) {
            unsigned char byte = j < size ? bytes[j] : 0;
            bool inRange = k == 1 ? (byte >= low && byte <= high) : isContinuation(byte);
            if (j >= size || !inRange) {
                complete = false;
                break;
            }
            cp = (cp << 6) | (byte & 0x3F);
        }
        if (complete)
            appendCodePoint(out, cp);
        else
            out.push_back(u'?');
        i = j;
    }
    return out;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

std::string encodeUtf8(std::u16string_view wide) {
    std::string out;
    out.reserve(wide.size() * 3 / 2 + 8);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        char16_t unit = wide[i];
        if (isHighSurrogate(unit) && i + 1 < wide.size() && isLowSurrogate(wide[i + 1])) {
            appendUtf8(out,
                       0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (wide[i + 1] - 0xDC00));
            ++i;
        } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
            out.push_back('?');
        } else {
            appendUtf8(out, unit);
        }
    }
    return out;
}

} // namespace

std::string wideToGbk(std::u16string_view wide) {
    Converter& converter = wideToByteConverter();
    if (wide.empty() || !converter.valid())
        return {};
    std::string_view bytes(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(char16_t));
    return converter.convert(bytes, "?", skipBadWide);
}

std::u16string gbkToWide(std::string_view gbk) {
    if (isAscii(gbk))
        return std::u16string(gbk.begin(), gbk.end());
    Converter& converter = byteToWideConverter();
    if (!converter.valid())
        return {};
    std::string bytes = converter.convert(gbk, std::string_view("?\0", 2), skipBadByte);
    std::u16string out(bytes.size() / sizeof(char16_t), u'\0');
    std::memcpy(out.data(), bytes.data(), out.size() * sizeof(char16_t));
    return out;
}

std::string utf8ToGbk(std::string_view utf8) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (utf8.starts_with(kByteOrderMark))
        utf8.remove_prefix(kByteOrderMark.size());
    if (isAscii(utf8))
        return std::string(utf8);
    return wideToGbk(decodeUtf8(utf8));
}

std::string gbkToUtf8(std::string_view gbk) {
    if (isAscii(gbk))
        return std::string(gbk);
    return encodeUtf8(gbkToWide(gbk));
}

std::string urlEncode(std::string_view text) {
    constexpr char kHexDigits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (char c : text) {
        auto byte = static_cast<unsigned char>(c);
        bool keep = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                    (byte >= '0' && byte <= '9') || byte == '-' || byte == '_' || byte == '.';
        if (keep) {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(kHexDigits[byte / 16]);
            out.push_back(kHexDigits[byte % 16]);
        }
    }
    return out;
}

} // namespace qzb
