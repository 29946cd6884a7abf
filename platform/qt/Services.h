// SPDX-License-Identifier: MIT
// The platform services the windows use, as small interfaces: the Qt implementations are the
// default, and tests hand the windows recording fakes instead.
#pragma once
#include <QString>

class QWidget;

namespace qm {

inline const QString kAppTitle = QStringLiteral("DEVivIv");

class ClipboardService {
public:
    virtual ~ClipboardService() = default;
    virtual void clear() = 0;
    virtual void setText(const QString& text) = 0;
};

class MessageBoxService {
public:
    virtual ~MessageBoxService() = default;
    // A message with an OK button only; returns when the user has dismissed it.
    virtual void show(QWidget* parent, const QString& text, const QString& caption = kAppTitle) = 0;
};

// The hyperlink component: opens an address in the user's browser.
class Navigator {
public:
    virtual ~Navigator() = default;
    // False when nothing could open the address.
    virtual bool Navigate(const QString& address, const QString& location, const QString& targetFrame) = 0;
};

class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;
    virtual bool fileExists(const QString& path) = 0;
    // Starts the program at path, without a shell; false when it cannot be started.
    virtual bool start(const QString& path) = 0;
};

struct Services {
    ClipboardService& clipboard;
    MessageBoxService& messageBox;
    Navigator& navigator;
    ProgramLauncher& launcher;
};

// The Qt implementations (QClipboard, QMessageBox, QDesktopServices, QProcess).
Services& DefaultServices();

// The program's documentation as a file address: the installed README beside the program's
// share folder, else the source tree's; empty when neither exists.
QString DocumentationAddress();

// Twips (1/1440 inch) to pixels at the logical DPI of widget's screen (the primary screen
// when widget is null).
int TwipsToPixelsX(int twips, const QWidget* widget = nullptr);
int TwipsToPixelsY(int twips, const QWidget* widget = nullptr);

// Lets the window system handle what is queued before the caller goes on.
void DoEvents();

}  // namespace qm
