// SPDX-License-Identifier: MIT
#pragma once

namespace qm {

// Turns SIGTERM, SIGINT and SIGHUP (a session ending, Ctrl+C) into a quit of the event loop,
// so the host still disconnects its add-ins and nothing they record is lost. Call once the
// QApplication exists.
void QuitEventLoopOnSignals();

}  // namespace qm
