// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <optional>
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
    bool noBlock = false;                                     // a procedure without a block above it
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
    std::string error;                    // why the edits asked for are not given; findings stand
};

struct HeaderUpdate {
    HistoryLine history;      // the line each rewritten block gains
    bool addMissing = false;  // insert a block above each Visual Basic procedure without one
    DateTime date;            // creation date of inserted blocks
};

struct HeaderSyncOptions {
    bool missing = false;                // also report procedures without a block
    std::optional<HeaderUpdate> update;  // also give the edits that bring the blocks in step
};

// Compares each of our blocks (language 0 or 1) that stands above a declaration, blank and
// VB Attribute lines between, with that declaration: in C++ only blocks in code, not in a
// raw string, a /* */ comment or an #if 0 region; in Visual Basic a block above
// "#If ... Then" with the first branch's declaration, its twins in the other branches
// counting as documented. A remark "qmark: ignore" right above a block or a procedure leaves
// both alone. With missing, also lists procedures without a block: in C++ those declared at
// namespace or class scope that no other file declares for them. With an update, also gives
// the edits (inserting blocks in Visual Basic only); text added to a file that is not UTF-8
// is written in Windows-1252, and where it cannot be, error says so and no edits are given.
// Line ends CR LF, LF or CR; a UTF-8 byte-order mark is kept. Linear in the text.
HeaderSyncResult SyncHeaders(std::string_view text, DevelopmentLanguage language,
                             const HeaderSyncOptions& options = {});

// text with edits applied; every other byte stays.
std::string ApplyEdits(std::string_view text, const std::vector<LineEdit>& edits);

}  // namespace qm
