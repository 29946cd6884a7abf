// SPDX-License-Identifier: MIT
#include "platform/Text.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

struct LengthRow {
    std::string_view text;
    std::size_t chars;
};

TEST(Text, CharLengthCountsCodePointsAndInvalidBytesAsOne) {
    const LengthRow rows[] = {
        {"", 0},
        {"abc", 3},
        {"caf\xC3\xA9", 4},                      // é: 2 bytes
        {"\xE6\xBC\xA2\xE5\xAD\x97", 2},         // 漢字: 3 bytes each
        {"\xF0\x9F\x98\x80!", 2},                // emoji: 4 bytes
        {"a\xFF" "b", 3},                        // stray byte
        {"\xC3", 1},                             // truncated 2-byte sequence at the end
        {"\xE6\xBC" "a", 3},                     // truncated 3-byte sequence before ASCII
        {"\xC0\xAF", 2},                         // overlong '/'
        {"\xED\xA0\x80", 3},                     // UTF-16 surrogate
        {"\xF4\x90\x80\x80", 4},                 // beyond U+10FFFF
        {"\x80\x80", 2},                         // lone continuation bytes
        {std::string_view("a\0b", 3), 3},
    };
    for (const auto& row : rows) EXPECT_EQ(CharLength(row.text), row.chars) << row.text;
}

struct PrefixRow {
    std::string_view text;
    std::size_t n;
    std::string_view prefix;
};

TEST(Text, CharPrefixNeverSplitsACharacter) {
    const PrefixRow rows[] = {
        {"abc", 0, ""},
        {"abc", 2, "ab"},
        {"abc", 10, "abc"},
        {"caf\xC3\xA9!", 4, "caf\xC3\xA9"},
        {"caf\xC3\xA9!", 3, "caf"},
        {"\xE6\xBC\xA2\xE5\xAD\x97", 1, "\xE6\xBC\xA2"},
        {"\xF0\x9F\x98\x80x", 1, "\xF0\x9F\x98\x80"},
        {"\xFF\xFE" "a", 2, "\xFF\xFE"},
        {"\xE6\xBC", 1, "\xE6"},   // a broken sequence is cut byte by byte
        {"\xE6\xBC", 5, "\xE6\xBC"},
    };
    for (const auto& row : rows) EXPECT_EQ(CharPrefix(row.text, row.n), row.prefix) << row.text;
}

TEST(Text, CharPrefixOfEveryLengthIsAWholeCharacterCount) {
    const std::string mixed = "a\xC3\xA9\xE6\xBC\xA2\xF0\x9F\x98\x80\xFF" "z";
    for (std::size_t n = 0; n <= 7; ++n) {
        const std::string_view p = CharPrefix(mixed, n);
        EXPECT_EQ(CharLength(p), std::min<std::size_t>(n, 6)) << n;
        EXPECT_EQ(CharLength(mixed.substr(p.size())), 6 - CharLength(p)) << n;
    }
}

TEST(Text, CaseFoldingTouchesAsciiOnly) {
    EXPECT_TRUE(EqualsNoCase("General", "gENERAL"));
    EXPECT_FALSE(EqualsNoCase("General", "Genera"));
    EXPECT_FALSE(EqualsNoCase("\xC3\x89", "\xC3\xA9"));  // É and é stay different
    EXPECT_FALSE(EqualsNoCase("[", "{"));               // only letters fold
    EXPECT_EQ(AsciiLower("Param Types VB \xC3\x89"), "param types vb \xC3\x89");
}

}  // namespace
}  // namespace qm
