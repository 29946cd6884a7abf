// SPDX-License-Identifier: MIT
// The main window built directly, without the launcher and the add-in library, set up as
// quillmark sets up its application: what the window's own controls cost at start-up.
#include <QApplication>

#include "app/quillmark/DeferredIconStyle.h"
#include "platform/qt/Services.h"
#include "resources/AppIconEngine.h"
#include "ui/frmMain.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setWindowIcon(qm::AppIcon(QStringLiteral("quillmark")));
    QApplication::setStyle(new qm::DeferredIconStyle(QApplication::style()));
    qm::frmMain window(qm::DefaultServices());
    window.show();
    return QApplication::exec();
}
