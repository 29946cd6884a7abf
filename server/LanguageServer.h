// SPDX-License-Identifier: MIT
#pragma once
#include <iosfwd>

#include "server/Session.h"

namespace qm {

// Serves one client over in (its messages) and out (the server's), until exit or the end of
// in: reads what is waiting, handles it, and publishes diagnostics whenever no more input is
// waiting. Returns the exit code: 0 after shutdown and exit, 1 otherwise (exit without
// shutdown, in ending first, a stream that cannot be followed or written). Problems with the
// stream go to log as "qmark lsp: ..." lines.
int RunLanguageServer(int in, int out, const ServerOptions& options, std::ostream& log);

}  // namespace qm
