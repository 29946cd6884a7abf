// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "generator/CommentStyle.h"
#include "reader/HeaderSync.h"
#include "reader/StyledCommentComparison.h"

namespace qm {

// Compares each comment of style (not a box block) that stands above a procedure declaration,
// blank and VB Attribute lines between, with that declaration; comments above anything else,
// in a C++ string, comment or #if 0 region, or under a "qmark: ignore" remark are left alone.
// Findings carry the declaration's line. With update, also the edits that bring the comments'
// parameter tags in step, line by line. documented, when given, receives the (0-based) first
// line of each declaration a comment of style stands above. language is 0 or 1.
HeaderSyncResult SyncStyledComments(std::string_view text, DevelopmentLanguage language,
                                    const CommentStyle& style, const StyledReport& report, bool update,
                                    std::vector<std::size_t>* documented = nullptr);

// The first line, from first to last, of a declaration that a comment of style stands above;
// nullopt when there is none, and for the box.
std::optional<std::size_t> StyledCommentAbove(std::string_view text, DevelopmentLanguage language,
                                              const CommentStyle& style, std::size_t first, std::size_t last);

// The file checked and updated in its house style: SyncHeaders for our boxes and, unless style
// is the box, SyncStyledComments. A procedure under a comment of the style is not missing,
// and the update's addMissing puts a comment of the style, not a box, above a Visual Basic
// procedure that has no remark above it. With options.trim, the lines the update writes have
// no blanks at their ends.
HeaderSyncResult SyncHouseStyle(std::string_view text, DevelopmentLanguage language,
                                const CommentStyle& style, const StyleOptions& options,
                                const StyledReport& report, const HeaderSyncOptions& sync);

}  // namespace qm
