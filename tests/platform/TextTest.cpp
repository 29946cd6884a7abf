// SPDX-License-Identifier: MIT
#include "platform/Text.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

// An invalid byte counts as one character and is cut on its own; a valid one is never split.
TEST(Text, CountsAndCutsWholeCharacters) {
    const struct {
        std::string_view text;
        std::size_t chars, n;
        std::string_view prefix;
    } rows[] = {
        {"", 0, 1, ""},
        {"abc", 3, 10, "abc"},
        {"caf\xC3\xA9!", 5, 4, "caf\xC3\xA9"},
        {"caf\xC3\xA9!", 5, 3, "caf"},
        {"\xE6\xBC\xA2\xE5\xAD\x97", 2, 1, "\xE6\xBC\xA2"},
        {"\xF0\x9F\x98\x80x", 2, 1, "\xF0\x9F\x98\x80"},
        {"a\xFF"
         "b",
         3, 2, "a\xFF"},
        {"\xE6\xBC"
         "a",
         3, 1, "\xE6"},  // truncated sequence
        {"\xC0\xAF", 2, 1, "\xC0"},
        {"\xED\xA0\x80", 3, 1, "\xED"},  // overlong '/', surrogate
        {"\xF4\x90\x80\x80", 4, 3, "\xF4\x90\x80"},
        {"\x80\x80", 2, 1, "\x80"},  // beyond U+10FFFF, lone
        {std::string_view("a\0b", 3), 3, 2, std::string_view("a\0", 2)},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(CharLength(row.text), row.chars) << row.text;
        EXPECT_EQ(CharPrefix(row.text, row.n), row.prefix) << row.text;
    }
}

TEST(Text, CaseFoldingTouchesAsciiLettersOnly) {
    EXPECT_TRUE(EqualsNoCase("General", "gENERAL"));
    EXPECT_FALSE(EqualsNoCase("General", "Genera"));
    EXPECT_FALSE(EqualsNoCase("\xC3\x89", "\xC3\xA9"));  // É and é stay different
    EXPECT_FALSE(EqualsNoCase("[", "{"));
    EXPECT_EQ(AsciiLower("Param Types VB \xC3\x89"), "param types vb \xC3\x89");
    EXPECT_EQ(TrimBlanks(" \t a b\t "), "a b");
    EXPECT_EQ(TrimTrailingBlanks(" a \t"), " a");
}

}  // namespace
}  // namespace qm
