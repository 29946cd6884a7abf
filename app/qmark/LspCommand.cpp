// SPDX-License-Identifier: MIT
#include "app/qmark/LspCommand.h"

#include <unistd.h>

#include <csignal>

#include "app/qmark/BlockCommands.h"
#include "server/LanguageServer.h"

namespace qm {

int RunLsp(Request& r, std::istream&, std::ostream&, std::ostream& err) {
    if (r.developer) RequireOneLine("the developer name", *r.developer);
    // A client that goes away is seen as a failed write, not a signal that ends the process.
    std::signal(SIGPIPE, SIG_IGN);
    return RunLanguageServer(STDIN_FILENO, STDOUT_FILENO,
                             {r.language, r.developer, r.date, r.style.value_or("")}, err);
}

}  // namespace qm
