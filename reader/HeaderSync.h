// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "generator/CommentBlock.h"

namespace qm {

// Something out of step in one file; line is 1-based, the declaration's line where there is one.
struct HeaderFinding {
    std::size_t line = 0;
    std::string message;
    enum class Fix { None, Updated, Added } fix = Fix::None;  // what the update's edits do about it
};

// Lines [first, first + count) of the old text (0-based) give way to lines, each with its end.
struct LineEdit {
    std::size_t first = 0;
    std::size_t count = 0;
    std::vector<std::string> lines;
};

struct HeaderSyncResult {
    std::vector<HeaderFinding> findings;  // in line order
    std::vector<LineEdit> edits;          // in line order, never overlapping; empty for a check
    std::size_t updated = 0;              // blocks rewritten
    std::size_t added = 0;                // blocks inserted
};

struct HeaderUpdate {
    HistoryLine history;  // the line each rewritten block gains
    bool addMissing = false;
    DateTime date;  // creation date of inserted blocks
};

// Compares each of our blocks (language 0 or 1) that stands above a declaration, blank and
// VB Attribute lines between, with that declaration; in Visual Basic also lists procedures
// without a block. With update, also gives the edits that bring the blocks in step.
HeaderSyncResult SyncHeaders(std::string_view text, DevelopmentLanguage language,
                             const HeaderUpdate* update = nullptr);

// text with edits applied; every other byte stays.
std::string ApplyEdits(std::string_view text, const std::vector<LineEdit>& edits);

}  // namespace qm
