#include "tests/fuzz/fuzz_support.h"

#include <cstring>

using namespace qzb;
using namespace qzb::fuzz;

namespace {

bool isUnreserved(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.';
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Only unreserved characters and "%XX" with upper-case hex, and decoding gives the text back.
void checkUrlEncode(std::string_view text) {
    const std::string encoded = urlEncode(text);
    std::string decoded;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        if (encoded[i] != '%') {
            require(isUnreserved(encoded[i]), "only unreserved characters stay");
            decoded.push_back(encoded[i]);
            continue;
        }
        const int high = i + 1 < encoded.size() ? hexValue(encoded[i + 1]) : -1;
        const int low = i + 2 < encoded.size() ? hexValue(encoded[i + 2]) : -1;
        require(high >= 0 && low >= 0, "a % has two upper-case hex digits behind it");
        const auto byte = static_cast<char>(high * 16 + low);
        require(!isUnreserved(byte), "an unreserved character is not encoded");
        decoded.push_back(byte);
        i += 2;
    }
    require(decoded == text, "decoding gives the text back");
}

// The text with "?" for each lone surrogate and each character the byte
// encoding's table lacks (the C library's GB18030 leaves a few private-use
// code points out), character by character.
std::u16string encodableForm(std::u16string_view wide) {
    std::u16string form;
    for (std::size_t i = 0; i < wide.size();) {
        const bool pair = i + 1 < wide.size() && wide[i] >= 0xD800 && wide[i] <= 0xDBFF &&
                          wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF;
        const std::u16string_view character = wide.substr(i, pair ? 2 : 1);
        const bool lone = !pair && character[0] >= 0xD800 && character[0] <= 0xDFFF;
        form += !lone && gbkToWide(wideToGbk(character)) == character ? character : u"?";
        i += character.size();
    }
    return form;
}

// UTF-16 of text that isValidUtf8 accepts.
std::u16string decodeValidUtf8(std::string_view text) {
    std::u16string wide;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t cp = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        if (cp >= 0x10000) {
            wide.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            wide.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        } else {
            wide.push_back(static_cast<char16_t>(cp));
        }
        i += length;
    }
    return wide;
}

void checkBytes(std::string_view bytes) {
    const std::u16string wide = gbkToWide(bytes);
    require(!hasLoneSurrogate(wide), "decoded text has no lone surrogate");
    const std::string utf8 = gbkToUtf8(bytes);
    require(isValidUtf8(utf8), "gbkToUtf8 gives valid UTF-8");

    const std::string back = wideToGbk(wide);
    require(isValidGb18030(back), "re-encoded text is valid");
    if (back == bytes) {
        // A leading U+FEFF comes out as a UTF-8 byte order mark, which utf8ToGbk drops.
        const std::string expected =
            wide.starts_with(u'\uFEFF') ? wideToGbk(wide.substr(1)) : std::string(bytes);
        require(utf8ToGbk(utf8) == expected, "valid text survives the trip through UTF-8");
    }

    // The same bytes read as UTF-8.
    const std::string fromUtf8 = utf8ToGbk(bytes);
    require(isValidGb18030(fromUtf8), "utf8ToGbk gives valid text");
    if (isValidUtf8(bytes) && !bytes.starts_with("\xEF\xBB\xBF") && gbkToUtf8(fromUtf8) != bytes)
        require(gbkToWide(fromUtf8) == encodableForm(decodeValidUtf8(bytes)),
                "valid UTF-8 survives the trip through the byte encoding");
}

// The bytes read as UTF-16: every character the encoding holds comes back, the others become "?".
void checkWide(std::string_view bytes) {
    std::u16string wide(bytes.size() / 2, u'\0');
    std::memcpy(wide.data(), bytes.data(), wide.size() * sizeof(char16_t));
    const std::string encoded = wideToGbk(wide);
    require(isValidGb18030(encoded), "wideToGbk gives valid text");
    const std::u16string back = gbkToWide(encoded);
    if (back != wide)
        require(back == encodableForm(wide), "UTF-16 survives the trip through the byte encoding");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = asText(data, size);
    checkBytes(bytes);
    checkWide(bytes);
    checkUrlEncode(bytes);
    return 0;
}
