// SPDX-License-Identifier: MIT
// The Quick Help window: a general description and the table of the main window's ALT keys.
#pragma once
#include <QDialog>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabBar;

namespace qm {

// The hotkey table as Text1 shows it: 18 lines, each ended by CR LF, 528 characters.
QString HotkeyTableText();

class frmHelp : public QDialog {
    Q_OBJECT
public:
    explicit frmHelp(QWidget* parent = nullptr);

    void TabStrip1_Click();
    void cmdOK_Click();

private:
    QTabBar* m_tabStrip = nullptr;
    QFrame* m_frames[2] = {};
    QPushButton* m_cmdOK = nullptr;
};

}  // namespace qm
