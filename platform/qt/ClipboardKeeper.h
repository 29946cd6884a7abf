// SPDX-License-Identifier: MIT
// Keeps the copied text available after the program ends, as users expect from a copy.
#pragma once
#include <QString>

namespace qm {

// Largest text the clipboard server takes; far beyond any comment block.
inline constexpr qint64 kMaxServedText = 16 * 1024 * 1024;

// Call after the windows have closed, while the QGuiApplication still exists. When this
// process owns the X clipboard's text and no clipboard manager will save it, starts
// `program --serve-clipboard` detached, hands it the text and waits (a few seconds at most)
// until it owns the clipboard. With a clipboard manager Qt hands the text over itself.
void KeepClipboardAfterExit(const QString& program);

// The body of --serve-clipboard: reads the text from standard input, takes the clipboard,
// writes one byte to standard output once it owns it, and returns 0 as soon as another
// program takes the clipboard over. 2 for input past kMaxServedText, 1 when it cannot own it.
int ServeClipboard();

}  // namespace qm
