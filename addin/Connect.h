// SPDX-License-Identifier: MIT
#pragma once
#include <QObject>
#include <QString>
#include <memory>

#include "addin/VBIDE.h"

namespace qm {

class SettingStore;
class frmMain;
struct Services;

// The add-in object: puts "Quillmark 98" on the environment's Add-Ins menu, opens the main
// window from it, remembers per user whether the window was open and reopens it at the next
// connection. The only code that creates, shows, hides and unloads the main window.
class Connect : public QObject, public vbide::IDTExtensibility {
    Q_OBJECT
public:
    explicit Connect(Services& services, SettingStore& store, QObject* parent = nullptr);
    ~Connect() override;

    bool FormDisplayed() const { return m_formDisplayed; }
    void setFormDisplayed(bool value) { m_formDisplayed = value; }
    vbide::VBE* VBInstance() const { return m_vbInstance; }
    void setVBInstance(vbide::VBE* value) { m_vbInstance = value; }
    vbide::CommandBarEvents* MenuHandler() const { return m_menuHandler; }
    void setMenuHandler(vbide::CommandBarEvents* value);

    void Hide();
    void Show();
    // Appends a plain button captioned sCaption to the "Add-Ins" bar; null when there is no
    // such bar or the environment fails.
    vbide::CommandBarControl* AddToAddInCommandBar(QString& sCaption);

    void OnConnection(vbide::VBE* VBInst, int ConnectMode, vbide::AddIn* AddInInst,
                      QVariantList& custom) override;
    void OnDisconnection(int RemoveMode, QVariantList& custom) override;
    void OnAddInsUpdate(QVariantList& custom) override;
    void OnStartupComplete(QVariantList& custom) override;

    // The main window, for hosts and tests that look at it; null before the first Show.
    frmMain* mainForm() const;

signals:
    // Disconnection has closed every window of the add-in; a host that exists only for the
    // add-in ends its process now.
    void programEnded();

private:
    void MenuHandler_Click(vbide::CommandBarControl* control, bool& handled, bool& CancelDefault);
    void ensureMainForm();
    bool displayOnConnect();

    Services& m_services;
    SettingStore& m_store;
    bool m_formDisplayed = false;
    vbide::VBE* m_vbInstance = nullptr;
    vbide::CommandBarEvents* m_menuHandler = nullptr;
    int m_menuCookie = 0;
    vbide::CommandBarControl* MenuControl = nullptr;
    std::unique_ptr<frmMain> MainForm;
};

}  // namespace qm
