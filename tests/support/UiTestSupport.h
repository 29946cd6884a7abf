// SPDX-License-Identifier: MIT
// Helpers for driving the windows: finding controls, ALT keys, modal dialogs, the settings file.
#pragma once
#include <QApplication>
#include <QTest>
#include <QWidget>
#include <functional>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

#include "platform/Directories.h"

namespace qm::test {

template <typename T>
T* child(QWidget* window, const char* name) {
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

inline QWidget* focused() { return QApplication::focusWidget(); }

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

// Runs press and answers the modal dialog of className once it is active (keys typed earlier
// would land in the window behind), then activates behind (if any) again unless it is hidden or
// minimised. A dialog that never shows fails the test, and whatever modal window is up then
// is rejected, so nothing hangs. True when it was answered.
bool AnswerModal(const char* className, const std::function<void(class QDialog*)>& answer,
                 const std::function<void()>& press, QWidget* behind);

// Empty content removes the file.
inline void writeSettings(const std::string& content) {
    const std::string path = ResolveProfilePath("Qmark98.ini");
    std::remove(path.c_str());
    if (content.empty()) return;
    MakeDirectories(ConfigDir());
    std::ofstream(path, std::ios::binary) << content;
}

}  // namespace qm::test
