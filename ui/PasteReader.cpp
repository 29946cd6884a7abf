// SPDX-License-Identifier: MIT
#include "ui/PasteReader.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <algorithm>

namespace qm {

PasteReader::PasteReader(QLineEdit* box, Take take) : QObject(box), m_box(box), m_take(std::move(take)) {
    box->installEventFilter(this);
}

bool PasteReader::offer(QClipboard::Mode mode) {
    const QString text = QGuiApplication::clipboard()->text(mode);
    if (text.isEmpty()) return false;
    if (m_take && m_take(text)) return true;
    const auto lineEnd = std::find_if(text.begin(), text.end(), [](QChar c) {
        return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator ||
               c == QChar::ParagraphSeparator;
    });
    if (lineEnd == text.end()) return false;
    // The box's own middle-click paste drops the selection rather than replacing it.
    if (mode == QClipboard::Selection) m_box->deselect();
    m_box->insert(text.left(lineEnd - text.begin()));
    return true;
}

bool PasteReader::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_box || m_box->isReadOnly()) return false;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->matches(QKeySequence::Paste)) return false;
        // The box pastes the selection for CTRL+SHIFT+INSERT; so does this.
        const bool selection =
            key->key() == Qt::Key_Insert && key->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier);
        return offer(selection ? QClipboard::Selection : QClipboard::Clipboard);
    }
    case QEvent::MouseButtonRelease:
        return static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton &&
               QGuiApplication::clipboard()->supportsSelection() && offer(QClipboard::Selection);
    case QEvent::ContextMenu: showContextMenu(static_cast<QContextMenuEvent*>(event)); return true;
    default: return false;
    }
}

// The box's own menu, with its Paste routed through the reader first.
void PasteReader::showContextMenu(const QContextMenuEvent* event) {
    QMenu* menu = m_box->createStandardContextMenu();
    if (!menu) return;
    // The Paste entry is the one wired to the box's paste (by name in some Qt versions); its
    // text may be translated.
    for (QAction* action : menu->actions()) {
        const bool wired = QObject::disconnect(action, &QAction::triggered, m_box, &QLineEdit::paste) ||
                           QObject::disconnect(action, SIGNAL(triggered()), m_box, SLOT(paste()));
        if (wired)
            connect(action, &QAction::triggered, m_box, [this] {
                if (!offer(QClipboard::Clipboard)) m_box->paste();
            });
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

}  // namespace qm
