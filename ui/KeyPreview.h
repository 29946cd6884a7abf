// SPDX-License-Identifier: MIT
#pragma once
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVector>
#include <functional>
#include <optional>

class QKeyEvent;
class QLabel;
class QWidget;

namespace qm {

// Key preview for one window: every key release in the window reaches onKeyUp before the
// focused control sees it, with the modifiers held at that moment, ALT counted as held when it
// was down as the key went down (a quick roll off ALT+C lets go of ALT first). A held key acts
// once, at its real release: the auto-repeated releases are dropped, also those the toolkit
// fails to mark, which the X server stamps with the time of the press that follows them; to
// tell, a stamped release is handed on a few milliseconds late. Letters arrive as their Latin
// key under any layout. ALT+letter presses that no access key took are swallowed, so they
// never type the letter into a text box.
class KeyPreview : public QObject {
    Q_OBJECT
public:
    using KeyUpHandler = std::function<void(int keyCode, Qt::KeyboardModifiers shift)>;

    // How long a stamped release waits for the press of an auto-repeat that would follow it.
    static constexpr int kRepeatPairMs = 40;

    // Owned by window; watches the whole application until window is gone.
    KeyPreview(QWidget* window, KeyUpHandler onKeyUp);
    ~KeyPreview() override;

    // label shows its "&" letter underlined, but pressing it does nothing: the window's key-up
    // handler moves the focus when the letter is released. box is the label's accessible buddy.
    void leaveLetterToKeyUp(QLabel* label, QWidget* box);

    // Qt::Key_A to Qt::Key_Z for the physical key of a letter typed under a non-Latin layout
    // (its Latin key symbol, else its place on the US layout); any other key as it is.
    static int LatinKey(const QKeyEvent& event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Per key: ALT at its last real press, the time of its last release, and whether a release
    // of the press it still holds has acted already.
    struct KeyState {
        bool altAtPress = false;
        quint64 releasedAt = 0;
        bool actedWhileHeld = false;
    };
    struct Release {
        int key = 0;
        Qt::KeyboardModifiers modifiers;
    };

    bool firstReceiver(QWidget* receiver) const;
    void pressed(int key, const QKeyEvent& event);
    void released(int key, const QKeyEvent& event);
    void deliver(const Release& release);
    void deliverPending();

    QWidget* m_window;
    KeyUpHandler m_onKeyUp;
    QVector<QPointer<QLabel>> m_quietLabels;
    QHash<int, KeyState> m_keys;
    std::optional<Release> m_pending;
    QTimer m_pendingTimer;
};

}  // namespace qm
