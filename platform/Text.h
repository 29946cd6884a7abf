// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace qm {

// The character of the well-formed UTF-8 sequence at text[at] and its length in bytes; length
// 0 where the bytes there are not one (an overlong form, a surrogate, a cut sequence).
struct Utf8Char {
    char32_t point = 0;
    std::size_t length = 0;
};
Utf8Char DecodeUtf8(std::string_view text, std::size_t at);

// Whether text is well-formed UTF-8 throughout.
bool IsUtf8(std::string_view text);

// Number of characters (Unicode code points) in UTF-8 text; an invalid byte counts as one.
std::size_t CharLength(std::string_view text);

// Length in bytes of the well-formed UTF-8 sequence at text[i] (i < size), or 1 for an invalid byte.
std::size_t SequenceLength(std::string_view text, std::size_t i);

// The first n characters of text (all of it when it is shorter); never splits a character.
std::string_view CharPrefix(std::string_view text, std::size_t n);

// ASCII case-insensitive comparison, as profile section and key names compare.
bool EqualsNoCase(std::string_view a, std::string_view b);

// text without the blanks (spaces and tabs) at either end, as profile and .reg names are read.
std::string_view TrimBlanks(std::string_view text);
// text without the blanks at its start, or at its end.
std::string_view TrimLeadingBlanks(std::string_view text);
std::string_view TrimTrailingBlanks(std::string_view text);

// Lower-cases ASCII letters only.
std::string AsciiLower(std::string_view text);

}  // namespace qm
