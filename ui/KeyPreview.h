// SPDX-License-Identifier: MIT
#pragma once
#include <QObject>
#include <QPointer>
#include <QVector>
#include <functional>

class QLabel;
class QWidget;

namespace qm {

// Key preview for one window: every key release in the window reaches onKeyUp before the
// focused control sees it, with the modifiers held at that moment. ALT+letter presses that
// no access key took are swallowed, so they never type the letter into a text box.
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool firstReceiver(QWidget* receiver) const;

    QWidget* m_window;
    KeyUpHandler m_onKeyUp;
    QVector<QPointer<QLabel>> m_quietLabels;
};

}  // namespace qm
