// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Text.h"
#include "reader/Declaration.h"

namespace qm {

inline constexpr std::size_t kNoMatch = SIZE_MAX;
// Deeper brackets than this are refused, so the readers' recursion stays bounded.
inline constexpr int kMaxNesting = 64;

enum class TokenKind { Word, Number, Literal, Punct };

struct Token {
    TokenKind kind = TokenKind::Punct;
    std::string_view text;
    bool spaceBefore = false;      // blanks, a comment or a line break came before it
    char typeChar = 0;             // a Visual Basic type character glued to a name
    std::size_t match = kNoMatch;  // the partner of a bracket (or of a template's angle)
};

struct TokenList {
    std::vector<Token> tokens;
    std::string error;  // set when the text cannot be split into tokens
};

// Equal texts; the first character is compared before the rest since most tokens differ there.
inline bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && (a.empty() || (a[0] == b[0] && a.substr(1) == b.substr(1)));
}

// The first Visual Basic statement of text: comments, continuations and blank lines skipped,
// ended by a line break or ':'; parentheses paired.
TokenList LexVbStatement(std::string_view text);

// All of text as C++ tokens without comments; brackets and template angles paired where they
// pair (an unpaired one keeps kNoMatch). Fails only on an unterminated literal or comment, or
// brackets nested deeper than kMaxNesting.
TokenList LexCpp(std::string_view text);

// The Visual Basic reader's reason when no word of its own opens the text.
inline constexpr std::string_view kNotAVbProcedure = "not a Sub, Function or Property declaration";

// The per-language readers behind ReadDeclaration.
DeclarationResult ReadVbDeclaration(std::string_view text);
DeclarationResult ReadCppDeclaration(std::string_view text);

}  // namespace qm
