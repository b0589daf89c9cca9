#pragma once

#include "net/text_encoding.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

// Checks shared by the fuzz targets. A broken invariant aborts, which libFuzzer
// reports as a crash and saves the input.
namespace qzb::fuzz {

inline void require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// Takes `count` bytes off the front of `input` (fewer when it is shorter).
inline std::string_view take(std::string_view& input, std::size_t count) {
    const std::string_view part = input.substr(0, count);
    input.remove_prefix(part.size());
    return part;
}

// Valid GB18030 is what survives the trip to UTF-16 and back unchanged: bytes
// the decoder rejects come back as "?".
inline bool isValidGb18030(std::string_view text) {
    return wideToGbk(gbkToWide(text)) == text;
}

inline std::string lowerAscii(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) {
        return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    return lower;
}

// Strict UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
inline bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t cp = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto byte = static_cast<unsigned char>(text[i + k]);
            if ((byte & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (byte & 0x3F);
        }
        const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

inline bool hasLoneSurrogate(std::u16string_view wide) {
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const char16_t unit = wide[i];
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 == wide.size() || wide[i + 1] < 0xDC00 || wide[i + 1] > 0xDFFF)
                return true;
            ++i;
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            return true;
        }
    }
    return false;
}

inline std::size_t occurrences(std::string_view text, std::string_view needle) {
    std::size_t count = 0;
    for (std::size_t at = text.find(needle); at != std::string_view::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

// Whether each value is found behind the one before it, in order and without
// overlap, between `start` and `end` (the markers are checked when not empty).
template <typename Values>
bool liesInOrder(std::string_view text, const Values& values, std::string_view start = {},
                 std::string_view end = {}) {
    std::size_t from = 0;
    for (const auto& value : values) {
        const std::string piece = std::string(start) + std::string(value) + std::string(end);
        const std::size_t at = text.find(piece, from);
        if (at == std::string_view::npos)
            return false;
        from = at + piece.size();
    }
    return true;
}

} // namespace qzb::fuzz
