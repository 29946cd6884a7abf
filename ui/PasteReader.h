// SPDX-License-Identifier: MIT
// Offers what is pasted into a line edit to a reader before the box takes it as text.
#pragma once
#include <QClipboard>
#include <QObject>
#include <functional>

class QContextMenuEvent;
class QLineEdit;

namespace qm {

// Watches the paste gestures of box: the paste keys, the context menu's Paste and, where the
// system has a selection, the middle button. Typed text is never offered. When take is empty
// or returns false the box pastes as it always does, but of a text of several lines only the
// first, as a single-line box should: the others would reach a comment without its prefix.
class PasteReader : public QObject {
public:
    using Take = std::function<bool(const QString& text)>;
    explicit PasteReader(QLineEdit* box, Take take = {});

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool offer(QClipboard::Mode mode);
    void showContextMenu(const QContextMenuEvent* event);

    QLineEdit* m_box;
    Take m_take;
};

}  // namespace qm
