// SPDX-License-Identifier: MIT
#pragma once
#include <string>
#include <string_view>

#include "generator/CommentBlock.h"

namespace qm {

// Frames text between the double and the single rule, each of its lines behind the remark
// prefix and one blank, every line ended by CR LF. Lines break at CR LF or a lone CR; a lone
// LF stays inside its line; a last line without a line end still counts, and empty text gives
// no body line. No I/O: BuildFreeTextBlock hands it the text read back from its scratch file.
std::string FrameFreeText(std::string_view text, DevelopmentLanguage language);

}  // namespace qm
