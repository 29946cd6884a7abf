// SPDX-License-Identifier: MIT
#include "platform/Text.h"

#include <algorithm>

namespace qm {
Utf8Char DecodeUtf8(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const unsigned char b0 = byte(0);
    if (b0 < 0x80) return {b0, 1};
    const std::size_t length = b0 >= 0xC2 && b0 <= 0xDF   ? 2
                               : b0 >= 0xE0 && b0 <= 0xEF ? 3
                               : b0 >= 0xF0 && b0 <= 0xF4 ? 4
                                                          : 0;
    if (length == 0 || at + length > text.size()) return {};
    char32_t point = b0 & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) return {};
        point = point << 6 | (byte(k) & 0x3F);
    }
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (point < kLeast[length] || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return {};
    return {point, length};
}

std::size_t SequenceLength(std::string_view s, std::size_t i) {
    return std::max<std::size_t>(DecodeUtf8(s, i).length, 1);
}

bool IsUtf8(std::string_view text) {
    for (std::size_t at = 0, length; at < text.size(); at += length)
        if ((length = DecodeUtf8(text, at).length) == 0) return false;
    return true;
}

std::size_t CharLength(std::string_view text) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < text.size(); ++n) {
        // ASCII runs are the common case; skip them a byte at a time without the decoder.
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
        } else {
            i += SequenceLength(text, i);
        }
    }
    return n;
}

std::string_view CharPrefix(std::string_view text, std::size_t n) {
    std::size_t i = 0;
    for (std::size_t count = 0; i < text.size() && count < n; ++count) i += SequenceLength(text, i);
    return text.substr(0, i);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

std::string_view TrimTrailingBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

std::string_view TrimLeadingBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    return text;
}

std::string_view TrimBlanks(std::string_view text) { return TrimTrailingBlanks(TrimLeadingBlanks(text)); }

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

}  // namespace qm
