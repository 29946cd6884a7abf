// SPDX-License-Identifier: MIT
// What a paste into the name box describes, when it describes a procedure at all.
#pragma once
#include <optional>
#include <string_view>
#include <vector>

#include "generator/CommentBlock.h"

namespace qm {

struct PastedDescription {
    ProcedureDescription description;
    // A declaration says nothing of the purpose, so the one already typed stays.
    bool hasPurpose = false;
    // A block's history lines, creation line first; none for a declaration.
    std::optional<std::vector<HistoryLine>> history;
};

// One of our structured blocks (any prefix, CR LF or LF; a declaration under it splits a type
// that ran into its name), else one declaration read under language; nothing for anything
// else, which then pastes as plain text. Never General; Friend comes back as Public.
std::optional<PastedDescription> DescribePastedText(std::string_view text, DevelopmentLanguage language);

}  // namespace qm
