// SPDX-License-Identifier: MIT
#include "ui/modMain.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextEdit>

namespace qm {
namespace {

QTextCursor WholeText(QTextCursor cursor) {
    cursor.movePosition(QTextCursor::Start);
    cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    return cursor;
}

}  // namespace

void SelectAllText(QLineEdit* box) {
    if (box) box->setSelection(0, static_cast<int>(box->text().size()));
}

void SelectAllText(QPlainTextEdit* box) {
    if (box) box->setTextCursor(WholeText(box->textCursor()));
}

void SelectAllText(QTextEdit* box) {
    if (box) box->setTextCursor(WholeText(box->textCursor()));
}

}  // namespace qm
