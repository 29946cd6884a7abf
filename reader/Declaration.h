// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
// text that is not one declaration, gives a one-line error; text that reads as the other
// language says so ("this reads as Visual Basic; use --language 0"). Lines after the
// declaration (a body, another statement) are ignored.
DeclarationResult ReadDeclaration(std::string_view text, DevelopmentLanguage language);

// A declaration found in a longer text.
struct FoundDeclaration {
    std::size_t lineStart = 0;  // where the line it starts on starts (past a byte-order mark)
    ProcedureDescription description;
};

struct DeclarationList {
    std::vector<FoundDeclaration> found;
    std::string error;  // why the first statement that says anything is none, when none is found
};

// Every procedure declaration in text, the first on each line, in order. Visual Basic is read
// a statement (a line and its continuations) at a time. C++ is read between ';', '{' and '}':
// preprocessor lines are passed over, an access label gives its access to the declarations
// after it, a function's body is passed over whole and the body of a class or namespace is
// read. Time is linear in the text.
DeclarationList ReadDeclarations(std::string_view text, DevelopmentLanguage language);

}  // namespace qm
