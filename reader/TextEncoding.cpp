// SPDX-License-Identifier: MIT
#include "reader/TextEncoding.h"

#include <array>
#include <cstdint>

#include "platform/Text.h"

namespace qm {
namespace {

// Windows-1252 bytes 0x80 to 0x9F; 0 where the code page leaves a byte unassigned.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

bool ToWindows1252(std::string_view text, std::string& out, std::string& unmappable) {
    out.clear();
    for (std::size_t at = 0; at < text.size();) {
        const Utf8Char d = DecodeUtf8(text, at);
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
