// SPDX-License-Identifier: MIT
// Helpers for driving the windows: answering modal dialogs, ALT keys, the settings file.
#pragma once
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <string>

#include "platform/Directories.h"

namespace qm::test {

// Answers the next modal dialog of class className (e.g. "qm::frmParamAdd") by polling
// QApplication::activeModalWidget(). If none opens within the timeout the test fails and
// whatever modal window is up gets rejected, so a missing dialog never hangs the run.
class ModalAnswer {
public:
    using Answer = std::function<void(QDialog*)>;

    ModalAnswer(const char* className, Answer answer, int timeoutMs = 5000)
        : m_className(className), m_answer(std::move(answer)), m_timeoutMs(timeoutMs)
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { poll(); });
        m_clock.start();
        m_timer.start();
    }
    ~ModalAnswer()
    {
        m_timer.stop();
        if (!m_answered)
            ADD_FAILURE() << "no modal " << m_className << " was shown";
    }
    bool answered() const { return m_answered; }
    // Processes events until the dialog has been answered (or the timeout passed).
    bool wait()
    {
        return QTest::qWaitFor([this] { return m_answered; }, m_timeoutMs + 500);
    }

private:
    void poll()
    {
        auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        // Keys typed before the dialog is active would land in the window behind it.
        if (modal && modal->isActiveWindow() && modal->inherits(m_className.c_str())) {
            m_timer.stop();
            m_answered = true;
            m_answer(modal);
            return;
        }
        if (m_clock.elapsed() > m_timeoutMs) {
            m_timer.stop();
            if (modal)
                modal->reject();
        }
    }

    std::string m_className;
    Answer m_answer;
    int m_timeoutMs;
    QTimer m_timer;
    QElapsedTimer m_clock;
    bool m_answered = false;
};

template <typename T>
T* child(QWidget* window, const char* name)
{
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

inline QWidget* focused()
{
    return QApplication::focusWidget();
}

// ALT+key pressed and released with ALT still held, sent where the keyboard focus is.
inline void altKey(Qt::Key key)
{
    QWidget* target = focused();
    ASSERT_NE(target, nullptr);
    QTest::keyPress(target, key, Qt::AltModifier);
    QTest::keyRelease(focused() ? focused() : target, key, Qt::AltModifier);
}

// ALT+key pressed, then ALT let go before the key.
inline void altReleasedFirst(Qt::Key key)
{
    QWidget* target = focused();
    ASSERT_NE(target, nullptr);
    QTest::keyPress(target, key, Qt::AltModifier);
    QTest::keyRelease(target, Qt::Key_Alt, Qt::AltModifier);
    QTest::keyRelease(target, key, Qt::NoModifier);
}

inline void showAndWait(QWidget* window)
{
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

inline std::string settingsPath()
{
    return ResolveProfilePath("Qmark98.ini");
}

inline void writeSettings(const std::string& content)
{
    MakeDirectories(ConfigDir());
    std::ofstream(settingsPath(), std::ios::binary | std::ios::trunc) << content;
}

inline void removeSettings()
{
    std::remove(settingsPath().c_str());
}

}  // namespace qm::test
