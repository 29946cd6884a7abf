// SPDX-License-Identifier: MIT
// The helper every text box calls when it receives the focus.
#pragma once

class QLineEdit;
class QPlainTextEdit;
class QTextEdit;

namespace qm {

// Selects the box's whole text (start 0, length its number of characters), so that whatever
// is typed next replaces it. A null box is ignored.
void SelectAllText(QLineEdit* box);
void SelectAllText(QPlainTextEdit* box);
void SelectAllText(QTextEdit* box);

}  // namespace qm
