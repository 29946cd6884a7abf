// SPDX-License-Identifier: MIT
#include "reader/TextEncoding.h"

#include <array>
#include <cstdint>

namespace qm {
namespace {

// The code point of the UTF-8 sequence at text[at] and its length; length 0 when the bytes
// there are not one.
struct Decoded {
    char32_t point = 0;
    std::size_t length = 0;
};

Decoded Decode(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const unsigned char b0 = byte(0);
    if (b0 < 0x80) return {b0, 1};
    std::size_t length = b0 >= 0xC2 && b0 <= 0xDF   ? 2
                         : b0 >= 0xE0 && b0 <= 0xEF ? 3
                         : b0 >= 0xF0 && b0 <= 0xF4 ? 4
                                                    : 0;
    if (length == 0 || at + length > text.size()) return {};
    char32_t point = b0 & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) return {};
        point = point << 6 | (byte(k) & 0x3F);
    }
    const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < least[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return {};
    return {point, length};
}

// Windows-1252 bytes 0x80 to 0x9F; 0 where the code page leaves a byte unassigned.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

bool IsUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        if (static_cast<unsigned char>(text[at]) < 0x80) {
            ++at;
            continue;
        }
        const Decoded d = Decode(text, at);
        if (d.length == 0) return false;
        at += d.length;
    }
    return true;
}

bool ToWindows1252(std::string_view text, std::string& out, std::string& unmappable) {
    out.clear();
    for (std::size_t at = 0; at < text.size();) {
        const Decoded d = Decode(text, at);
        if (d.length == 0) {
            out += text[at++];
            continue;
        }
        int byte = d.point < 0x80 || (d.point >= 0xA0 && d.point <= 0xFF) ? static_cast<int>(d.point) : -1;
        for (std::size_t k = 0; k < kHighControls.size() && byte < 0; ++k)
            if (kHighControls[k] != 0 && kHighControls[k] == d.point) byte = static_cast<int>(0x80 + k);
        if (byte < 0) {
            unmappable = std::string(text.substr(at, d.length));
            return false;
        }
        out += static_cast<char>(byte);
        at += d.length;
    }
    return true;
}

}  // namespace qm
