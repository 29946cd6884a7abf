// SPDX-License-Identifier: MIT
// Helpers for driving the windows: finding controls, ALT keys, the settings file.
#pragma once
#include <QApplication>
#include <QTest>
#include <QWidget>
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

// Empty content removes the file.
inline void writeSettings(const std::string& content) {
    const std::string path = ResolveProfilePath("Qmark98.ini");
    std::remove(path.c_str());
    if (content.empty()) return;
    MakeDirectories(ConfigDir());
    std::ofstream(path, std::ios::binary) << content;
}

}  // namespace qm::test
