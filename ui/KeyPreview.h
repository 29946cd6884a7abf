// SPDX-License-Identifier: MIT
#pragma once
#include <QObject>
#include <QPointer>
#include <QVector>
#include <functional>

class QKeyEvent;
class QLabel;
class QWidget;

namespace qm {

// Key preview for one window: every key release in the window reaches onKeyUp before the
// focused control sees it, with the modifiers held at that moment; a held key's auto-repeated
// releases do not, so it acts once. Letters arrive as their Latin key under any layout.
// ALT+letter presses that no access key took are swallowed, so they never type the letter
// into a text box.
class KeyPreview : public QObject {
    Q_OBJECT
public:
    using KeyUpHandler = std::function<void(int keyCode, Qt::KeyboardModifiers shift)>;

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
    bool firstReceiver(QWidget* receiver) const;

    QWidget* m_window;
    KeyUpHandler m_onKeyUp;
    QVector<QPointer<QLabel>> m_quietLabels;
};

}  // namespace qm
