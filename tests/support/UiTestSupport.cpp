// SPDX-License-Identifier: MIT
#include "tests/support/UiTestSupport.h"

#include <QDialog>
#include <QTimer>

namespace qm::test {

bool AnswerModal(const char* className, const std::function<void(QDialog*)>& answer,
                 const std::function<void()>& press, QWidget* behind) {
    bool answered = false;
    int polls = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        answered = dialog && dialog->isActiveWindow() && dialog->inherits(className);
        if (!answered && ++polls <= 1000) return;
        timer.stop();
        if (answered) answer(dialog);
        else if (dialog) dialog->reject();
    });
    timer.start(5);
    press();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !timer.isActive(); }, 6000) && answered) << className;
    // The dialogs have no owner and the offscreen platform has no window manager.
    if (behind && behind->isVisible() && !behind->isMinimized()) {
        behind->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(behind));
    }
    return answered;
}

}  // namespace qm::test
