// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "generator/CommentBlock.h"

namespace qm {

// Where the parts of a block stand, as line numbers (0-based) in the text read, so that a
// caller can rewrite one part and leave every other line as it is.
struct BlockLayout {
    std::size_t heading = 1;
    std::size_t parametersLabel = 0;
    std::vector<std::size_t> parameters;        // each parameter's first line; its continuations follow
    std::vector<std::string> leadDescriptions;  // each parameter's description as its first line holds it
    std::size_t parametersEnd = 0;              // after the last parameter's lines, else after the label
    std::size_t returnsLabel = 0;
    std::size_t returnsFirst = 0, returnsEnd = 0;  // the returns lines; empty when the section has none
    std::string leadReturns;                       // the returns text as its first line holds it
    std::size_t historyEnd = 0;                    // after the last history line
};

struct CommentBlockResult {
    std::optional<ProcedureDescription> description;
    DevelopmentLanguage language = -1;  // from the prefix: 0 "'", 1 "//", -1 none
    std::string developerName;          // of the creation line
    std::string dateText;               // of the creation line, as written ("06-Dec-98")
    std::vector<HistoryLine> history;   // every line under "History:", creation line first
    BlockLayout layout;
    std::string error;  // "line N: why", N counted from 1 in the text read
    std::size_t errorLine = 0;
    explicit operator bool() const { return description.has_value(); }
};

// Reads back a structured block this program writes: prefix "'", "//" or none, line ends
// CR LF, LF or CR (a UTF-8 byte-order mark before it is skipped), any indentation, tabs standing for the
// columns they reach (stops every 8); the prefix-only lines after the closing rule may be there or not.
// BuildCommentBlock(description, language, history) gives the same bytes whenever no field
// held a line break, no type ran into its name and each parameter shows a type, a name or
// the Optional marker. Hand edits are read too: a purpose, description or returns text
// wrapped onto further lines (joined by one blank; a line with text only from the
// description's column on continues the parameter above it), sections of the user's own
// ("Notes:") and any number of empty remark lines, which the description does not hold. A
// parameter line whose type ran into its name takes the split from declaration's
// parameters, and without a match is an error. Time is linear in the text.
CommentBlockResult ReadCommentBlock(std::string_view text, const ProcedureDescription* declaration = nullptr);

// "Public Function Name", the heading line's words behind the prefix: any access and kind
// the generator names (General aside), one blank after each, the rest the name.
bool ReadBlockHeading(std::string_view words, ProcedureDescription& into);

}  // namespace qm
