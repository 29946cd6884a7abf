// SPDX-License-Identifier: MIT
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "generator/CommentBlock.h"

namespace qm {

// Either the description or the reason the text is not one procedure declaration.
struct DeclarationResult {
    std::optional<ProcedureDescription> description;
    std::string error;
    explicit operator bool() const { return description.has_value(); }
};

// Reads one Visual Basic (language 0) or C++ (1) procedure declaration or definition head;
// purpose and descriptions stay empty, returns holds the return type. Any other language, or
// text that is not one declaration, gives a one-line error. Lines after the declaration (a
// body, another statement) are ignored.
DeclarationResult ReadDeclaration(std::string_view text, DevelopmentLanguage language);

}  // namespace qm
