// SPDX-License-Identifier: MIT
// The About box: name, version, description, and a button that starts the system
// information program when the registry says where it is.
#pragma once
#include <QDialog>

#include "platform/Registry.h"

class QLabel;
class QPushButton;

namespace qm {

struct Services;

// "Version 4.00.0187": the minor number with at least two digits, the revision with four.
QString VersionText(int major, int minor, int revision);

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(Services& services, QWidget* parent = nullptr);

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
    // Starts the system information program, or says it is unavailable.
    void StartSysInfo();

    // Reads one registry value as text. False, with KeyVal emptied, when the key cannot be
    // opened (mask 0x2003F) or the value is missing or longer than 1024 bytes. True for any
    // value read: text (REG_SZ) without its closing NUL; a REG_DWORD as "&h" and eight hex
    // digits, most significant byte first; any other type leaves KeyVal as it was.
    static bool GetKeyValue(win::HKEY KeyRoot, const QString& KeyName, const QString& SubKeyRef,
                            QString& KeyVal);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    Services& m_services;
    QLabel* m_lblVersion = nullptr;
    QPushButton* m_cmdOK = nullptr;
};

}  // namespace qm
