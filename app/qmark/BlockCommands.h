// SPDX-License-Identifier: MIT
#pragma once
#include <iosfwd>
#include <string_view>

#include "app/qmark/Request.h"

namespace qm {

// qmark block: the structured block for the description on stdin (JSON) or on the command line.
int RunBlock(Request& request, std::istream& in, std::ostream& out, std::ostream& err);
// qmark free: the free-text block framing stdin; LF, CR LF and CR each end a line.
int RunFree(Request& request, std::istream& in, std::ostream& out, std::ostream& err);

// Throws InputError naming what when text holds a CR or LF: a field is one line of a block.
void RequireOneLine(std::string_view what, std::string_view text);
// Fills the language, and the developer name when needDeveloper, left open from the settings.
void CompleteFromSettings(Request& request, bool needDeveloper);

}  // namespace qm
