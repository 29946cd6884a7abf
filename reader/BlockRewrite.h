// SPDX-License-Identifier: MIT
#pragma once
#include <cstddef>
#include <string_view>
#include <vector>

#include "reader/CommentBlockReader.h"
#include "reader/HeaderComparison.h"
#include "reader/HeaderSync.h"

namespace qm {

// The edits that bring a stale block in step with compared.merged, rewriting only the lines
// that must change: the heading, a parameter's first line, the returns text's first line;
// parameter lines are added, dropped and put in order with their continuation lines, and
// history gains one line after its last. Every other line stays byte for byte, however it
// was wrapped, spaced or aligned. lines: the block's lines as the file holds them, ends
// included, the first being line first of the file; new lines take indent and lineEnd.
std::vector<LineEdit> RewriteBlock(const std::vector<std::string_view>& lines, std::size_t first,
                                   const CommentBlockResult& read, const HeaderComparison& compared,
                                   DevelopmentLanguage language, const HistoryLine& history,
                                   std::string_view indent, std::string_view lineEnd);

}  // namespace qm
