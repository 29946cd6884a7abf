// SPDX-License-Identifier: MIT
#include "app/quillmark/EnvironmentWindow.h"

#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "app/quillmark/AddInLoader.h"
#include "platform/WholeFile.h"
#include "platform/Directories.h"
#include "platform/Profile.h"

namespace qm {
namespace {

constexpr const char* kAddInList = "vbaddin.ini";
constexpr const char* kAddInSection = "Add-Ins32";

}  // namespace

std::vector<std::string> AddInListPaths() {
    std::vector<std::string> paths{ResolveProfilePath(kAddInList)};
    for (const std::string& dir : SystemConfigDirs()) paths.push_back(dir + "/" + kAddInList);
    return paths;
}

std::vector<std::pair<QString, QString>> ReadAddInList() {
    std::vector<std::pair<QString, QString>> list;
    for (const std::string& path : AddInListPaths()) {
        std::string text;
        if (!ReadWholeFile(path, text)) continue;
        for (const auto& [key, value] : ProfileDocument::Parse(text).entries(kAddInSection)) {
            const QString progId = QString::fromStdString(key);
            const bool listed = std::any_of(list.begin(), list.end(), [&](const auto& entry) {
                return entry.first.compare(progId, Qt::CaseInsensitive) == 0;
            });
            if (!listed) list.emplace_back(progId, QString::fromStdString(value));
        }
    }
    return list;
}

bool RegisterAddIn(const QString& progId, const QString& value) {
    // Only the user's own list counts: a system-wide entry may be removed by the administrator.
    std::string text;
    if (ReadWholeFile(ResolveProfilePath(kAddInList), text) &&
        ProfileDocument::Parse(text).find(kAddInSection, progId.toStdString()))
        return true;
    return win::WritePrivateProfileString(kAddInSection, progId.toStdString(), value.toStdString(),
                                          kAddInList);
}

EnvironmentWindow::EnvironmentWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(tr("Quillmark 98 Development Environment"));
    setObjectName(QStringLiteral("EnvironmentWindow"));
    m_editor = new QPlainTextEdit(this);
    m_editor->setObjectName(QStringLiteral("editor"));
    m_editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setCentralWidget(m_editor);

    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("E&xit"), this, &QWidget::close);
    m_addInsMenu = menuBar()->addMenu(tr("&Add-Ins"));
    m_addInsMenu->setObjectName(QStringLiteral("Add-Ins"));
    m_addInsMenu->addAction(tr("&Add-In Manager..."), this, &EnvironmentWindow::showAddInManager);
    m_addInsMenu->addSeparator();
    m_model.addBar(QStringLiteral("Add-Ins"), m_addInsMenu);
    resize(720, 480);
}

EnvironmentWindow::~EnvironmentWindow() { disconnectAll(); }

void EnvironmentWindow::startUp() {
    for (const auto& [progId, value] : ReadAddInList())
        if (value == QLatin1String("1")) connectAddIn(progId, vbide::vbext_cm_Startup);
    QTimer::singleShot(0, this, [this] {
        QVariantList custom;
        for (auto& [progId, addIn] : m_connected) addIn->OnStartupComplete(custom);
    });
}

bool EnvironmentWindow::connectAddIn(const QString& progId, int connectMode) {
    if (isConnected(progId)) return true;
    QString error;
    vbide::AddInFactory* factory = FindAddIn(progId, &error);
    std::unique_ptr<vbide::IDTExtensibility> addIn(factory ? factory->CreateObject(progId) : nullptr);
    if (!addIn) {
        QMessageBox::warning(this, windowTitle(),
                             error.isEmpty() ? tr("%1 could not be created.").arg(progId) : error);
        return false;
    }
    QVariantList custom;
    addIn->OnConnection(&m_model, connectMode, nullptr, custom);
    m_connected.emplace(progId, std::move(addIn));
    return true;
}

void EnvironmentWindow::disconnectAddIn(const QString& progId) {
    const auto it = m_connected.find(progId);
    if (it == m_connected.end()) return;
    std::unique_ptr<vbide::IDTExtensibility> addIn = std::move(it->second);
    m_connected.erase(it);
    QVariantList custom;
    addIn->OnDisconnection(0, custom);
}

void EnvironmentWindow::disconnectAll() {
    while (!m_connected.empty()) disconnectAddIn(m_connected.begin()->first);
}

void EnvironmentWindow::closeEvent(QCloseEvent* event) {
    disconnectAll();
    QMainWindow::closeEvent(event);
}

void EnvironmentWindow::showAddInManager() {
    QDialog dialog(this);
    dialog.setWindowTitle(tr("Add-In Manager"));
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("lstAddIns"));
    for (const auto& [progId, value] : ReadAddInList()) {
        const QString description = AddInDescription(progId);
        auto* item = new QListWidgetItem(description.isEmpty() ? progId : description, list);
        item->setData(Qt::UserRole, progId);
        item->setCheckState(isConnected(progId) ? Qt::Checked : Qt::Unchecked);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return;
    for (int i = 0; i < list->count(); ++i) {
        const QString progId = list->item(i)->data(Qt::UserRole).toString();
        const bool wanted = list->item(i)->checkState() == Qt::Checked;
        if (wanted && !isConnected(progId)) connectAddIn(progId, vbide::vbext_cm_AfterStartup);
        if (!wanted && isConnected(progId)) disconnectAddIn(progId);
    }
}

}  // namespace qm
