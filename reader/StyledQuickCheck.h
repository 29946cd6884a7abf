// SPDX-License-Identifier: MIT
#pragma once
#include <string_view>

#include "generator/CommentStyle.h"

namespace qm {

// Whether a house-style comment and the declaration text below it plainly agree, read in one
// quick pass each: the same parameter names in the same order (or, without undocumented, none
// documented), no template head and no template-parameter tag, and a return documented only
// where the declaration plainly returns a value (with undocumented, also wherever it does).
// False whenever either text holds what the quick pass does not follow (a macro before the
// name, a function-pointer parameter, a tag inside a line, a code block); the full reading and
// comparison decide then. check reads most comments in step, so this keeps it near cat.
bool PlainlyInStep(std::string_view comment, std::string_view declaration, const CommentStyle& style,
                   DevelopmentLanguage language, bool undocumented);

}  // namespace qm
