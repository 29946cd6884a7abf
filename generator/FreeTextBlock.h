// SPDX-License-Identifier: MIT
#pragma once
#include <string>
#include <string_view>

#include "generator/CommentBlock.h"

namespace qm {

// Frames free text between the double and the single rule, each of its lines behind the
// remark prefix and one blank, every line ended by CR LF. Lines break at CR LF or a lone CR;
// a lone LF stays inside its line. Empty text gives one body line. The text makes a round
// trip through a "~qm" temporary file, which is deleted on every path. Throws FileError,
// carrying the operating system's reason, when the file cannot be created, written or read.
std::string BuildFreeTextBlock(std::string_view freeText, DevelopmentLanguage language);

}  // namespace qm
