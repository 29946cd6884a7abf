// SPDX-License-Identifier: MIT
#include "ui/KeyPreview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QWidget>
#include <utility>

namespace qm {
namespace {

// XKB key codes (evdev + 8) of the letter rows on the US layout, the Latin layout that
// non-Latin ones are paired with.
struct LetterRow {
    quint32 firstCode;
    const char* letters;
};
constexpr LetterRow kLetterRows[] = {{24, "QWERTYUIOP"}, {38, "ASDFGHJKL"}, {52, "ZXCVBNM"}};

}  // namespace

int KeyPreview::LatinKey(const QKeyEvent& event) {
    const int key = event.key();
    // Latin letters, digits, punctuation and function keys need no lookup.
    if (key < 0x80 || key >= Qt::Key_Escape) return key;
    const quint32 symbol = event.nativeVirtualKey();
    if (symbol >= 'a' && symbol <= 'z') return Qt::Key_A + static_cast<int>(symbol - 'a');
    if (symbol >= 'A' && symbol <= 'Z') return Qt::Key_A + static_cast<int>(symbol - 'A');
    const quint32 code = event.nativeScanCode();
    for (const LetterRow& row : kLetterRows) {
        const quint32 length = static_cast<quint32>(qstrlen(row.letters));
        if (code >= row.firstCode && code < row.firstCode + length) return row.letters[code - row.firstCode];
    }
    return key;
}

KeyPreview::KeyPreview(QWidget* window, KeyUpHandler onKeyUp)
    : QObject(window), m_window(window), m_onKeyUp(std::move(onKeyUp)) {
    m_pendingTimer.setSingleShot(true);
    m_pendingTimer.setInterval(kRepeatPairMs);
    connect(&m_pendingTimer, &QTimer::timeout, this, &KeyPreview::deliverPending);
    qApp->installEventFilter(this);
}

KeyPreview::~KeyPreview() {
    if (qApp) qApp->removeEventFilter(this);
}

void KeyPreview::leaveLetterToKeyUp(QLabel* label, QWidget* box) {
    // The buddy makes the label show its letter and grab ALT+letter, so the press never
    // reaches a text box; the shortcut itself is dropped in eventFilter.
    label->setBuddy(box);
    label->installEventFilter(this);
    m_quietLabels.append(label);
}

// A key event travels up from the focused control through its parents when ignored; only
// its first stop counts, or the handler would run once per parent.
bool KeyPreview::firstReceiver(QWidget* receiver) const {
    const QWidget* focus = QApplication::focusWidget();
    if (focus && focus->window() == m_window) return receiver == focus;
    return receiver == m_window;
}

bool KeyPreview::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::Shortcut) {
        for (const QPointer<QLabel>& label : m_quietLabels)
            if (label == watched) return true;
        return false;
    }
    const bool keyEvent =
        type == QEvent::KeyPress || type == QEvent::KeyRelease || type == QEvent::ShortcutOverride;
    if (!keyEvent || !watched->isWidgetType()) return false;
    auto* receiver = static_cast<QWidget*>(watched);
    if (receiver->window() != m_window || !firstReceiver(receiver)) return false;

    auto* key = static_cast<QKeyEvent*>(event);
    const int latin = LatinKey(*key);
    if (type == QEvent::KeyRelease) {
        released(latin, *key);
        return false;
    }
    // A press an access key takes arrives only as this announcement of it.
    pressed(latin, *key);
    if (type == QEvent::ShortcutOverride) return false;
    // ALT without Ctrl or Meta; AltGr combinations that type characters are left alone.
    const Qt::KeyboardModifiers chord =
        key->modifiers() & (Qt::AltModifier | Qt::ControlModifier | Qt::MetaModifier);
    const bool letterOrDigit =
        (latin >= Qt::Key_A && latin <= Qt::Key_Z) || (latin >= Qt::Key_0 && latin <= Qt::Key_9);
    return chord == Qt::AltModifier && letterOrDigit;
}

// A press stamped with the time of the key's last release continues a held key: the X server
// sends each auto-repeat as a release and a press at one time.
void KeyPreview::pressed(int key, const QKeyEvent& event) {
    const quint64 time = event.timestamp();
    const bool repeat = event.isAutoRepeat() || (time != 0 && time == m_keys.value(key).releasedAt);
    if (repeat && m_pending && m_pending->key == key) {
        m_pendingTimer.stop();
        m_pending.reset();
        return;
    }
    deliverPending();
    if (repeat) return;
    KeyState& state = m_keys[key];
    state.altAtPress = event.modifiers().testFlag(Qt::AltModifier);
    state.actedWhileHeld = false;
}

void KeyPreview::released(int key, const QKeyEvent& event) {
    if (event.isAutoRepeat()) return;
    deliverPending();
    KeyState& state = m_keys[key];
    state.releasedAt = event.timestamp();
    // A repeat the toolkit missed, arriving after its release had acted already.
    if (state.actedWhileHeld) return;
    const Release release{key, event.modifiers() | (state.altAtPress ? Qt::AltModifier : Qt::NoModifier)};
    // Without a time stamp no press can be matched to it.
    if (state.releasedAt == 0) return deliver(release);
    m_pending = release;
    m_pendingTimer.start();
}

void KeyPreview::deliver(const Release& release) {
    m_keys[release.key].actedWhileHeld = true;
    if (m_onKeyUp) m_onKeyUp(release.key, release.modifiers);
}

void KeyPreview::deliverPending() {
    m_pendingTimer.stop();
    if (std::optional<Release> release = std::exchange(m_pending, std::nullopt)) deliver(*release);
}

}  // namespace qm
