// SPDX-License-Identifier: MIT
// One window per user and display: the first launcher answers later starts, which bring its
// window forward and end instead of opening a second window with settings of its own.
#pragma once
#include <QString>
#include <functional>
#include <memory>

namespace qm {

class SingleWindow {
public:
    // bringForward runs in the first launcher for each later start; false when it has no window
    // to show, so that start opens its own. An empty key leaves every start on its own.
    SingleWindow(const QString& key, std::function<bool()> bringForward);
    ~SingleWindow();

    // True when a launcher of this user already runs under this key and brought its window
    // forward; false when this one is the first (it then answers later starts until release)
    // or none answers within a few seconds (a lock held by a program that does not answer).
    bool forwardToRunning();
    // Later starts open a window of their own from now on; for a launcher on its way out.
    void release();

private:
    struct Listener;
    // Brings the window forward for each start waiting on the socket, and tells it so.
    void answer();
    QString m_key;
    std::function<bool()> m_bringForward;
    std::unique_ptr<Listener> m_listener;
};

// The key of the display the windows open on: the X display without its screen number, the
// Wayland socket; empty on other platforms (offscreen, minimal), which have no desktop.
QString DisplayKey();

}  // namespace qm
