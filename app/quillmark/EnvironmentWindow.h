// SPDX-License-Identifier: MIT
#pragma once
#include <QMainWindow>
#include <QString>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "addin/VBIDE.h"
#include "app/quillmark/HostObjectModel.h"

class QPlainTextEdit;

namespace qm {

// A minimal development environment: an editor pane to paste into, an "Add-Ins" menu that
// add-ins extend, and the add-in lists vbaddin.ini ([Add-Ins32]), the user's over the
// system's. Listed add-ins whose value is "1" connect while it starts; the Add-In Manager
// connects and disconnects the others; quitting disconnects them all.
class EnvironmentWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit EnvironmentWindow(QWidget* parent = nullptr);
    ~EnvironmentWindow() override;

    // Connects the add-ins listed with "1" (mode 1); OnStartupComplete follows from the event loop.
    void startUp();
    bool connectAddIn(const QString& progId, int connectMode);
    void disconnectAddIn(const QString& progId);
    void disconnectAll();
    bool isConnected(const QString& progId) const { return m_connected.count(progId) != 0; }
    QMenu* addInsMenu() const { return m_addInsMenu; }
    QPlainTextEdit* editor() const { return m_editor; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void showAddInManager();

    QPlainTextEdit* m_editor = nullptr;
    QMenu* m_addInsMenu = nullptr;
    host::ObjectModel m_model;
    std::map<QString, std::unique_ptr<vbide::IDTExtensibility>> m_connected;
};

// The add-in lists in the order they count: the user's vbaddin.ini, then
// <dir>/quillmark/vbaddin.ini for each absolute dir of $XDG_CONFIG_DIRS (default /etc/xdg).
std::vector<std::string> AddInListPaths();
// Entries of [Add-Ins32]: programmatic identifier -> value, list by list in file order; the
// first list naming an identifier (case-insensitively) wins. Unreadable lists are skipped.
std::vector<std::pair<QString, QString>> ReadAddInList();
// What an installer does: lists progId with value in the user's own vbaddin.ini, unless it is
// listed there already.
bool RegisterAddIn(const QString& progId, const QString& value);

}  // namespace qm
