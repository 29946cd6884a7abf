// SPDX-License-Identifier: MIT
// Helpers for driving the windows: answering modal dialogs, ALT keys, the settings file.
#pragma once
#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>

#include "platform/Directories.h"

namespace qm::test {

// Answers the next modal dialog of class className (e.g. "qm::frmParamAdd"). If none opens within
// five seconds the test fails and whatever modal window is up gets rejected, so nothing ever hangs.
class ModalAnswer {
public:
    ModalAnswer(const char* className, std::function<void(QDialog*)> answer) {
        QObject::connect(&m_timer, &QTimer::timeout, [this, className, answer = std::move(answer)] {
            auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            // Keys typed before the dialog is active would land in the window behind it.
            if (modal && modal->isActiveWindow() && modal->inherits(className)) {
                m_timer.stop();
                m_answered = true;
                answer(modal);
            } else if (++m_polls > 1000) {
                m_timer.stop();
                ADD_FAILURE() << "no modal " << className << " was shown";
                if (modal) modal->reject();
            }
        });
        m_timer.start(5);
    }
    // Processes events until the dialog has been answered (or the time is up).
    bool wait() {
        return QTest::qWaitFor([this] { return m_answered || !m_timer.isActive(); }, 6000) && m_answered;
    }

private:
    QTimer m_timer;
    int m_polls = 0;
    bool m_answered = false;
};

template <typename T>
T* child(QWidget* window, const char* name) {
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

inline QWidget* focused() {
    return QApplication::focusWidget();
}

// ALT+key pressed and released where the focus is.
inline void altKey(Qt::Key key) {
    QWidget* target = focused();
    ASSERT_NE(target, nullptr);
    QTest::keyPress(target, key, Qt::AltModifier);
    QTest::keyRelease(focused() ? focused() : target, key, Qt::AltModifier);
}

inline void showAndWait(QWidget* window) {
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

inline std::string settingsPath() {
    return ResolveProfilePath("Qmark98.ini");
}

// Empty content removes the file.
inline void writeSettings(const std::string& content) {
    std::remove(settingsPath().c_str());
    if (content.empty()) return;
    MakeDirectories(ConfigDir());
    std::ofstream(settingsPath(), std::ios::binary) << content;
}

}  // namespace qm::test
