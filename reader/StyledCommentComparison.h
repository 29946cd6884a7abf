// SPDX-License-Identifier: MIT
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "generator/CommentStyle.h"
#include "reader/HeaderSync.h"

namespace qm {

// What check reports beyond stale tags: parameters and returns a comment leaves out even when
// it documents none of them, and parameters documented in another order.
struct StyledReport {
    bool undocumented = false;
    bool order = false;
};

struct StyledComparison {
    std::vector<HeaderFinding> findings;  // line 0; fix Updated where updated resolves it
    std::string updated;                  // the comment with its parameter tags in step
    std::string error;                    // the comment cannot be read
};

// Compares a house-style comment (its whole lines, as ReadStyledComment reads them) with the
// declaration below it: documented parameters the declaration lacks (with "did you mean"
// when one of its names is close), parameters documented twice, a return documented where
// nothing is returned, and, once the comment documents a parameter (or with undocumented),
// parameters it leaves out; with undocumented also a missing return, with order the order.
// updated renames a stale tag's name where an undocumented parameter takes its place,
// removes the other stale names and adds a tag for each parameter left out, after the tag of
// the one before it, shaped like the comment's tags; every other byte stays, line ends and
// indentation included. Visual Basic names match in any letter case.
StyledComparison CompareStyledComment(std::string_view comment, const CommentStyle& style,
                                      const ProcedureDescription& declaration,
                                      const std::vector<std::string>& templateParameters, bool vb,
                                      const StyledReport& report);

}  // namespace qm
