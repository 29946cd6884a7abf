// SPDX-License-Identifier: MIT
#pragma once
#include <iosfwd>
#include <string_view>

#include "app/qmark/Request.h"

namespace qm {

// qmark block: the structured block for the description on stdin (JSON or, with --declaration,
// a declaration) or on the command line.
int RunBlock(Request& request, std::istream& in, std::ostream& out, std::ostream& err);
// qmark free: the free-text block framing stdin; LF, CR LF and CR each end a line.
int RunFree(Request& request, std::istream& in, std::ostream& out, std::ostream& err);

// Throws InputError naming what when text holds a CR or LF: a field is one line of a block.
void RequireOneLine(std::string_view what, std::string_view text);
// Fills the language, and the developer name when needDeveloper, left open from the settings.
void CompleteFromSettings(Request& request, bool needDeveloper);
// The structured block for request.description with --purpose applied, CR LF line ends.
// Throws InputError for a field holding a line break.
std::string BuildBlock(Request& request);
// The description of one declaration; throws InputError with the reader's reason.
ProcedureDescription ReadDeclarationText(std::string_view text, DevelopmentLanguage language);
// Writes text to out as it stands.
void Write(std::ostream& out, std::string_view text);

}  // namespace qm
