// SPDX-License-Identifier: MIT
#include "ui/KeyPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QWidget>

namespace qm {

KeyPreview::KeyPreview(QWidget* window, KeyUpHandler onKeyUp)
    : QObject(window), m_window(window), m_onKeyUp(std::move(onKeyUp))
{
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

void KeyPreview::leaveLetterToKeyUp(QLabel* label, QWidget* box)
{
    // The buddy makes the label show its letter and grab ALT+letter, so the press never
    // reaches a text box; the shortcut itself is dropped in eventFilter.
    label->setBuddy(box);
    label->installEventFilter(this);
    m_quietLabels.append(label);
}

// A key event travels up from the focused control through its parents when ignored; only
// its first stop counts, or the handler would run once per parent.
bool KeyPreview::firstReceiver(QWidget* receiver) const
{
    const QWidget* focus = QApplication::focusWidget();
    if (focus && focus->window() == m_window)
        return receiver == focus;
    return receiver == m_window;
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Shortcut) {
        for (const QPointer<QLabel>& label : m_quietLabels)
            if (label == watched)
                return true;
        return false;
    }
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !watched->isWidgetType())
        return false;
    auto* receiver = static_cast<QWidget*>(watched);
    if (receiver->window() != m_window || !firstReceiver(receiver))
        return false;

    auto* key = static_cast<QKeyEvent*>(event);
    if (type == QEvent::KeyRelease) {
        if (m_onKeyUp)
            m_onKeyUp(key->key(), key->modifiers());
        return false;
    }
    // ALT without Ctrl or Meta; AltGr combinations that type characters are left alone.
    const Qt::KeyboardModifiers chord =
        key->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier);
    const bool letterOrDigit = (key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z) ||
                               (key->key() >= Qt::Key_0 && key->key() <= Qt::Key_9);
    return chord == Qt::AltModifier && letterOrDigit;
}

}  // namespace qm
