// SPDX-License-Identifier: MIT
#pragma once
#include <string_view>

#include "generator/CommentStyle.h"
#include "reader/HeaderSync.h"
#include "reader/StyledCommentComparison.h"

namespace qm {

// Compares each comment of style (not a box block) that stands above a procedure declaration,
// blank and VB Attribute lines between, with that declaration; comments above anything else
// are left alone. Findings carry the declaration's line. With update, also the edits that
// bring the comments' parameter tags in step, line by line. language is 0 or 1.
HeaderSyncResult SyncStyledComments(std::string_view text, DevelopmentLanguage language,
                                    const CommentStyle& style, const StyledReport& report, bool update);

// a and b's findings in line order and their edits, which never overlap, in line order.
HeaderSyncResult MergeSyncResults(HeaderSyncResult a, HeaderSyncResult b);

}  // namespace qm
