// SPDX-License-Identifier: MIT
#include "addin/Connect.h"

#include <exception>

#include "addin/SettingStore.h"
#include "platform/qt/Services.h"
#include "ui/frmMain.h"

namespace qm {
namespace {

const QString kSection = QStringLiteral("Settings");
const QString kDisplayOnConnect = QStringLiteral("DisplayOnConnect");

// Runs one statement, ignoring its failure, as Show, Hide and disconnection do.
template <typename F>
void Try(F&& statement) {
    try {
        statement();
    } catch (...) {
    }
}

}  // namespace

Connect::Connect(Services& services, SettingStore& store, QObject* parent)
    : QObject(parent), m_services(services), m_store(store) {}

Connect::~Connect() = default;

frmMain* Connect::mainForm() const { return MainForm.get(); }

void Connect::setMenuHandler(vbide::CommandBarEvents* value) {
    if (m_menuHandler) m_menuHandler->Unadvise(m_menuCookie);
    m_menuHandler = value;
    m_menuCookie = 0;
    if (value)
        m_menuCookie = value->Advise([this](vbide::CommandBarControl* control, bool& handled, bool& cancel) {
            MenuHandler_Click(control, handled, cancel);
        });
}

void Connect::ensureMainForm() {
    if (!MainForm) MainForm = std::make_unique<frmMain>(m_services);
}

void Connect::Show() {
    Try([&] { ensureMainForm(); });
    m_formDisplayed = true;
    Try([&] {
        if (!MainForm) return;
        // Chosen again while minimised after a copy, the window comes back up.
        if (MainForm->isMinimized()) MainForm->showNormal();
        else MainForm->show();
        MainForm->raise();
        MainForm->activateWindow();
    });
}

void Connect::Hide() {
    m_formDisplayed = false;
    Try([&] {
        ensureMainForm();
        if (MainForm) MainForm->hide();
    });
}

vbide::CommandBarControl* Connect::AddToAddInCommandBar(QString& sCaption) {
    vbide::CommandBarControl* result = nullptr;
    try {
        if (!m_vbInstance) return nullptr;
        vbide::CommandBar* bar = m_vbInstance->CommandBars().Item(QStringLiteral("Add-Ins"));
        if (!bar) return nullptr;
        vbide::CommandBarControl* control = bar->Controls().Add(vbide::msoControlButton);
        if (!control) return nullptr;
        control->setCaption(sCaption);
        result = control;
    } catch (...) {
    }
    return result;
}

bool Connect::displayOnConnect() {
    // Only the exact one-character "1" counts; "True", "01" or " 1" do not.
    return m_store.GetSetting(kAppTitle, kSection, kDisplayOnConnect, QStringLiteral("0")) ==
           QLatin1String("1");
}

void Connect::OnConnection(vbide::VBE* VBInst, int ConnectMode, vbide::AddIn*, QVariantList&) {
    try {
        m_vbInstance = VBInst;
        if (ConnectMode == vbide::vbext_cm_External) {
            Show();
        } else {
            QString caption = QStringLiteral("Quillmark 98");
            MenuControl = AddToAddInCommandBar(caption);
            if (!VBInst)
                throw vbide::AddInError("The development environment did not hand over its root object.");
            setMenuHandler(VBInst->Events().CommandBarEvents(MenuControl));
        }
        if (ConnectMode == vbide::vbext_cm_AfterStartup && displayOnConnect()) Show();
    } catch (const std::exception& e) {
        m_services.messageBox.show(nullptr, QString::fromUtf8(e.what()), kAppTitle);
    } catch (...) {
        // A host may throw anything; the user still learns that the connection failed.
        m_services.messageBox.show(
            nullptr, QStringLiteral("Quillmark 98 could not connect to the development environment."),
            kAppTitle);
    }
}

void Connect::OnDisconnection(int, QVariantList&) {
    Try([&] {
        setMenuHandler(nullptr);
        if (!MenuControl) throw vbide::AddInError("no menu command");
        MenuControl->Delete();
        MenuControl = nullptr;
    });
    Try([&] {
        if (m_formDisplayed) {
            m_store.SaveSetting(kAppTitle, kSection, kDisplayOnConnect, QStringLiteral("1"));
            m_formDisplayed = false;
        } else {
            m_store.SaveSetting(kAppTitle, kSection, kDisplayOnConnect, QStringLiteral("0"));
        }
    });
    Try([&] {
        if (MainForm) MainForm->close();
        MainForm.reset();
    });
    emit programEnded();
}

void Connect::OnAddInsUpdate(QVariantList&) {}

void Connect::OnStartupComplete(QVariantList&) {
    if (displayOnConnect()) Show();
}

void Connect::MenuHandler_Click(vbide::CommandBarControl*, bool&, bool&) { Show(); }

}  // namespace qm
