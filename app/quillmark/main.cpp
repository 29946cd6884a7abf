// SPDX-License-Identifier: MIT
// quillmark: opens the main window through the add-in, as another program would;
// --environment starts the minimal development environment the add-in plugs into.
#include <QApplication>
#include <QGuiApplication>
#include <clocale>
#include <cstdio>
#include <cstring>

#include "Version.h"
#include "app/quillmark/DeferredIconStyle.h"
#include "app/quillmark/EnvironmentWindow.h"
#include "app/quillmark/Launcher.h"
#include "app/quillmark/QuitOnSignal.h"
#include "app/quillmark/SingleWindow.h"
#include "platform/qt/ClipboardKeeper.h"
#include "resources/AppIconEngine.h"

namespace {

const char kUsage[] =
    "Usage: quillmark [--environment | --register-addin | --help | --version]\n"
    "\n"
    "  (no option)       open the Quillmark 98 window, or bring the open one forward\n"
    "  --environment     start the development environment with its Add-Ins menu\n"
    "  --register-addin  list Quillmark 98 in your own add-in list (vbaddin.ini)\n";

bool HasDisplay() {
    const auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value && *value;
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

// The windows have closed; a block still on the clipboard must outlive the program.
int KeepClipboard(int rc) {
    qm::KeepClipboardAfterExit(QCoreApplication::applicationFilePath());
    return rc;
}

}  // namespace

int main(int argc, char* argv[]) {
    std::setlocale(LC_ALL, "");
    const char* mode = argc > 1 ? argv[1] : "";
    // --serve-clipboard is how the program keeps serving its last copy after it ends; not for users.
    if (std::strcmp(mode, "--serve-clipboard") == 0 && argc == 2) {
        QGuiApplication app(argc, argv);
        return qm::ServeClipboard();
    }
    if (argc > 2 ||
        (*mode && std::strcmp(mode, "--environment") != 0 && std::strcmp(mode, "--register-addin") != 0 &&
         std::strcmp(mode, "--help") != 0 && std::strcmp(mode, "--version") != 0)) {
        std::fprintf(stderr, "quillmark: unknown option '%s'\n%s", argc > 2 ? argv[2] : mode, kUsage);
        return 2;
    }
    if (std::strcmp(mode, "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (std::strcmp(mode, "--version") == 0) {
        std::printf("quillmark (Quillmark 98) %s\n", qm::kVersionString);
        return 0;
    }
    if (std::strcmp(mode, "--register-addin") == 0) {
        if (qm::RegisterAddIn(QStringLiteral("ZI98VudAv.Connect"), QStringLiteral("1"))) return 0;
        std::fprintf(stderr, "quillmark: cannot write the add-in list: %s\n", std::strerror(errno));
        return 1;
    }
    if (!HasDisplay()) {
        std::fputs(
            "quillmark: no display to open a window on (DISPLAY and WAYLAND_DISPLAY are not set).\n"
            "The command-line generator qmark works without one.\n",
            stderr);
        return 1;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark 98"));
    QApplication::setApplicationVersion(QString::fromLatin1(qm::kVersionString));
    QApplication::setWindowIcon(qm::AppIcon(QStringLiteral("quillmark")));
    // Docks match the window to the desktop entry (StartupWMClass, Wayland's app id) by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("quillmark"));
    // Style sheets (-stylesheet) do not work on top of a style of one's own.
    if (app.styleSheet().isEmpty()) QApplication::setStyle(new qm::DeferredIconStyle(QApplication::style()));

    if (std::strcmp(mode, "--environment") == 0) {
        qm::EnvironmentWindow environment;
        environment.show();
        environment.startUp();
        qm::QuitEventLoopOnSignals();
        const int rc = QApplication::exec();
        environment.disconnectAll();
        return KeepClipboard(rc);
    }
    // One window per user and display: a second start brings the first one's window forward.
    qm::SingleWindow single(qm::DisplayKey(), qm::BringWindowForward);
    if (single.forwardToRunning()) return 0;
    const int rc = qm::RunLauncher();
    single.release();
    return KeepClipboard(rc);
}
