// SPDX-License-Identifier: MIT
#include "platform/qt/Services.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>
#include <QUrl>
#include <QWidget>

namespace qm {
namespace {

class QtClipboard final : public ClipboardService {
public:
    void clear() override {
        if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->clear();
    }
    // The text goes on as it is: the block's CR LF line ends must reach the editor.
    void setText(const QString& text) override {
        if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(text);
    }
};

class QtMessageBox final : public MessageBoxService {
public:
    void show(QWidget* parent, const QString& text, const QString& caption) override {
        QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, parent);
        box.exec();
    }
};

class QtNavigator final : public Navigator {
public:
    // Location and target frame have no meaning for a desktop browser; the address is all it needs.
    bool Navigate(const QString& address, const QString&, const QString&) override {
        return !address.isEmpty() && QDesktopServices::openUrl(QUrl::fromUserInput(address));
    }
};

class QtLauncher final : public ProgramLauncher {
public:
    bool fileExists(const QString& path) override { return !path.isEmpty() && QFileInfo::exists(path); }
    // No shell: the path is the program itself, never a command line to interpret.
    bool start(const QString& path) override { return !path.isEmpty() && QProcess::startDetached(path, {}); }
};

double LogicalDpi(const QWidget* widget, bool horizontal) {
    const QScreen* screen = widget ? widget->screen() : nullptr;
    if (!screen) screen = QGuiApplication::primaryScreen();
    if (!screen) return 96.0;
    return horizontal ? screen->logicalDotsPerInchX() : screen->logicalDotsPerInchY();
}

}  // namespace

Services& DefaultServices() {
    static QtClipboard clipboard;
    static QtMessageBox messageBox;
    static QtNavigator navigator;
    static QtLauncher launcher;
    static Services services{clipboard, messageBox, navigator, launcher};
    return services;
}

QString DocumentationAddress() {
    const QString installed =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../share/doc/quillmark/README.md");
    for (const QString& file : {installed, QStringLiteral(QM_SOURCE_DIR "/README.md")}) {
        const QFileInfo info(file);
        if (info.isFile()) return QUrl::fromLocalFile(info.canonicalFilePath()).toString();
    }
    return {};
}

int TwipsToPixelsX(int twips, const QWidget* widget) {
    return qRound(twips * LogicalDpi(widget, true) / 1440.0);
}

int TwipsToPixelsY(int twips, const QWidget* widget) {
    return qRound(twips * LogicalDpi(widget, false) / 1440.0);
}

void DoEvents() { QCoreApplication::processEvents(); }

}  // namespace qm
