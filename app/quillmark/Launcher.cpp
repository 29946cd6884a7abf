// SPDX-License-Identifier: MIT
#include "app/quillmark/Launcher.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>
#include <cstdio>
#include <memory>

#include "app/quillmark/AddInLoader.h"
#include "app/quillmark/HostObjectModel.h"
#include "app/quillmark/QuitOnSignal.h"

namespace qm {
namespace {

const QString kProgId = QStringLiteral("ZI98VudAv.Connect");

bool AnyWindowVisible() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible()) return true;
    return false;
}

}  // namespace

bool BringWindowForward() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->objectName() != QLatin1String("frmMain") || !window->isVisible()) continue;
        if (window->isMinimized()) window->showNormal();
        window->raise();
        window->activateWindow();
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            dialog->raise();
            dialog->activateWindow();
        } else if (auto* name = window->findChild<QWidget*>(QStringLiteral("txtSubName"))) {
            name->setFocus(Qt::OtherFocusReason);
        }
        return true;
    }
    return false;
}

int RunLauncher() {
    QString error;
    vbide::AddInFactory* factory = FindAddIn(kProgId, &error);
    std::unique_ptr<vbide::IDTExtensibility> addIn(factory ? factory->CreateObject(kProgId) : nullptr);
    if (!addIn) {
        // Started from the desktop menu, nobody reads standard error.
        std::fprintf(stderr, "quillmark: %s\n", qUtf8Printable(error));
        QMessageBox::critical(nullptr, QStringLiteral("Quillmark 98"), error);
        return 1;
    }
    host::ObjectModel environment;  // no command bars: nothing to add a menu command to
    QVariantList custom;
    addIn->OnConnection(&environment, vbide::vbext_cm_External, nullptr, custom);
    // A failed connection has told the user why; with no window open there is nothing to wait for.
    QuitEventLoopOnSignals();
    const int rc = AnyWindowVisible() ? QApplication::exec() : 1;
    addIn->OnDisconnection(0, custom);
    return rc;
}

}  // namespace qm
