// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "generator/CommentBlock.h"

namespace qm {

// Where the declaration around a line stands in a source text; lines count from 0.
struct DeclarationSpan {
    std::size_t first = 0;  // the declaration's lines, both ends included
    std::size_t last = 0;
    std::string error;                      // why there is no declaration there; empty when there is
    std::optional<std::size_t> headerOpen;  // the opening rule of our block already standing above
    std::size_t headerFor = 0;              // the declaration, by its first line, it stands above
};

// The whole procedure declaration that line belongs to, for putting a block above it: in Visual
// Basic (language 0) the line with the " _" continuations before and after it, in C++ (1) the
// statement from the end of the one before (';', a brace, an access label, a preprocessor line
// or a lone macro line such as Q_OBJECT) to its ';' or the brace of its body, comments and
// literals skipped. error is set when that is
// not one declaration (or the line is past the end); headerOpen when one of our blocks already
// stands above it, blank lines, Visual Basic Attribute lines and the block's trailing remark
// lines between. A selection's last line through, when further down, extends the span, and
// every declaration it then holds is looked at for a block above it.
DeclarationSpan LocateDeclaration(std::string_view text, std::size_t line, DevelopmentLanguage language,
                                  std::size_t through = 0);

}  // namespace qm
