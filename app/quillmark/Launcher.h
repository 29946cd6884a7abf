// SPDX-License-Identifier: MIT
#pragma once

namespace qm {

// Starts the add-in as another program would (its main window opens at once, no menu
// command); when the user closes the window, disconnects it and returns the exit code.
int RunLauncher();

// Brings the add-in's main window forward: restored, raised, active, the focus in the name box
// (or on the dialog it is showing). False when no main window is open.
bool BringWindowForward();

}  // namespace qm
