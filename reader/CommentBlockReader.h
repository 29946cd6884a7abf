// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "generator/CommentBlock.h"

namespace qm {

struct CommentBlockResult {
    std::optional<ProcedureDescription> description;
    DevelopmentLanguage language = -1;  // from the prefix: 0 "'", 1 "//", -1 none
    std::string developerName;          // of the creation line
    std::string dateText;               // of the creation line, as written ("06-Dec-98")
    std::vector<HistoryLine> history;   // every line under "History:", creation line first
    std::string error;                  // "line N: why", N counted from 1 in the text read
    std::size_t errorLine = 0;
    explicit operator bool() const { return description.has_value(); }
};

// Reads back a structured block this program writes: prefix "'", "//" or none, CR LF or LF,
// any indentation; the prefix-only lines after the closing rule may be there or not.
// BuildCommentBlock(description, language, history) gives the same bytes whenever no field
// held a line break and no type ran into its name. A parameter line whose type ran into its
// name takes the split from declaration's parameters, and without a match is an error.
CommentBlockResult ReadCommentBlock(std::string_view text, const ProcedureDescription* declaration = nullptr);

}  // namespace qm
