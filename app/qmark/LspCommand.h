// SPDX-License-Identifier: MIT
#pragma once
#include <iosfwd>

#include "app/qmark/Request.h"

namespace qm {

// qmark lsp: the language server on standard input and output, until the client's exit.
int RunLsp(Request& request, std::istream& in, std::ostream& out, std::ostream& err);

}  // namespace qm
