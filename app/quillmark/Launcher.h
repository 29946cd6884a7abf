// SPDX-License-Identifier: MIT
#pragma once

namespace qm {

// Starts the add-in as another program would (its main window opens at once, no menu
// command); when the user closes the window, disconnects it and returns the exit code.
int RunLauncher();

}  // namespace qm
