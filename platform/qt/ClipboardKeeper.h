// SPDX-License-Identifier: MIT
// Keeps the copied text available after the program ends, as users expect from a copy.
#pragma once
#include <QString>

namespace qm {

// Largest text the clipboard server takes; far beyond any comment block.
inline constexpr qint64 kMaxServedText = 16 * 1024 * 1024;

// The descriptor the clipboard server reads the text from and answers on; its standard
// streams are /dev/null, so it never holds its starter's terminal or pipe open.
inline constexpr int kServerHandshakeFd = 3;

// Call after the windows have closed, while the QGuiApplication still exists. When this
// process owns the X clipboard's text, hands it to the desktop's clipboard manager; where
// none runs, or it does not confirm within a few seconds, starts `program --serve-clipboard`
// detached (its own session, no descriptor of ours but the handshake), hands it the text and
// waits (a few seconds at most) until it owns the clipboard.
void KeepClipboardAfterExit(const QString& program);

// The body of --serve-clipboard: reads the text from kServerHandshakeFd, takes the
// clipboard, answers one byte once it owns it, and returns 0 as soon as the X server names
// another owner of the clipboard, or none. 2 for input past kMaxServedText, 1 when there is
// no handshake or it cannot own the clipboard.
int ServeClipboard();

}  // namespace qm
