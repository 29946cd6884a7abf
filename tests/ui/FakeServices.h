// SPDX-License-Identifier: MIT
// Recording stand-ins for the platform services, so tests can see what a window asked for
// and nothing ever blocks on a real message box, browser or program.
#pragma once
#include <QString>
#include <QStringList>

#include "platform/qt/Services.h"

namespace qm::test {

class FakeClipboard final : public ClipboardService {
public:
    // "clear" and "setText:<text>" in call order.
    QStringList calls;
    QString text;

    void clear() override
    {
        calls << QStringLiteral("clear");
        text.clear();
    }
    void setText(const QString& newText) override
    {
        calls << QStringLiteral("setText:") + newText;
        text = newText;
    }
};

class FakeMessageBox final : public MessageBoxService {
public:
    QStringList texts;
    QStringList captions;

    void show(QWidget*, const QString& text, const QString& caption) override
    {
        texts << text;
        captions << caption;
    }
};

class FakeNavigator final : public Navigator {
public:
    // Each call as its three arguments.
    QList<QStringList> calls;

    void Navigate(const QString& address, const QString& location,
                  const QString& targetFrame) override
    {
        calls.append({address, location, targetFrame});
    }
};

class FakeLauncher final : public ProgramLauncher {
public:
    QStringList existing;  // paths fileExists answers true for
    QStringList started;
    bool startResult = true;

    bool fileExists(const QString& path) override { return existing.contains(path); }
    bool start(const QString& path) override
    {
        started << path;
        return startResult;
    }
};

struct FakeServices {
    FakeClipboard clipboard;
    FakeMessageBox messageBox;
    FakeNavigator navigator;
    FakeLauncher launcher;
    Services services{&clipboard, &messageBox, &navigator, &launcher};
};

}  // namespace qm::test
