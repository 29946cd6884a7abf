// SPDX-License-Identifier: MIT
// Recording stand-ins for the platform services, so tests can see what a window asked for
// and nothing ever blocks on a real message box, browser or program.
#pragma once
#include <QStringList>

#include "platform/qt/Services.h"

namespace qm::test {

class FakeClipboard final : public ClipboardService {
public:
    QStringList calls;  // "clear" and "setText:<text>" in call order
    void clear() override { calls << QStringLiteral("clear"); }
    void setText(const QString& text) override { calls << QStringLiteral("setText:") + text; }
};

class FakeMessageBox final : public MessageBoxService {
public:
    QStringList texts, captions;
    void show(QWidget*, const QString& text, const QString& caption) override {
        texts << text;
        captions << caption;
    }
};

class FakeNavigator final : public Navigator {
public:
    QStringList addresses;
    bool opens = true;
    bool Navigate(const QString& address, const QString&, const QString&) override {
        addresses << address;
        return opens;
    }
};

class FakeLauncher final : public ProgramLauncher {
public:
    QStringList existing, started;  // existing: the paths fileExists answers true for
    bool startResult = true;
    bool fileExists(const QString& path) override { return existing.contains(path); }
    bool start(const QString& path) override {
        started << path;
        return startResult;
    }
};

struct FakeServices {
    FakeClipboard clipboard;
    FakeMessageBox messageBox;
    FakeNavigator navigator;
    FakeLauncher launcher;
    Services services{clipboard, messageBox, navigator, launcher};
};

}  // namespace qm::test
