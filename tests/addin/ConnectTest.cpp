// SPDX-License-Identifier: MIT
// The add-in object against a fake development environment.
#include "addin/Connect.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <map>
#include <memory>
#include <vector>

#include "../ui/FakeServices.h"
#include "addin/SettingStore.h"
#include "ui/frmMain.h"

namespace qm {
namespace {

using namespace vbide;

const QString kDisplayKey = "DEVivIv/Settings/DisplayOnConnect";

class FakeControl final : public CommandBarControl {
public:
    QString caption;
    bool deleted = false;
    QString Caption() const override { return caption; }
    void setCaption(const QString& c) override { caption = c; }
    void Delete() override {
        if (deleted) throw AddInError("already deleted");
        deleted = true;
    }
};

class FakeBar final : public CommandBar, public CommandBarControls {
public:
    QString Name() const override { return "Add-Ins"; }
    CommandBarControls& Controls() override { return *this; }
    int Count() const override { return static_cast<int>(controls.size()); }
    CommandBarControl* Add(int type) override {
        if (type != msoControlButton) throw AddInError("bad type");
        return controls.emplace_back(std::make_unique<FakeControl>()).get();
    }
    std::vector<std::unique_ptr<FakeControl>> controls;
};

class FakeSource final : public CommandBarEvents {
public:
    int Advise(ClickHandler h) override {
        handlers[next] = std::move(h);
        return next++;
    }
    void Unadvise(int cookie) override { handlers.erase(cookie); }
    std::map<int, ClickHandler> handlers;
    int next = 1;
};

class FakeEnvironment final : public VBE, public CommandBars, public Events {
public:
    FakeEnvironment() { bar->Add(msoControlButton)->setCaption("Add-In Manager..."); }
    vbide::CommandBars& CommandBars() override { return *this; }
    vbide::Events& Events() override { return *this; }
    CommandBar* Item(const QString& name) override {
        return bar && name == bar->Name() ? bar.get() : nullptr;
    }
    vbide::CommandBarEvents* CommandBarEvents(CommandBarControl* control) override {
        if (failEvents) throw AddInError("Events are not available.");
        return &sources[control];
    }
    // Chooses the newest menu command, as the user would.
    void choose() {
        CommandBarControl* control = bar->controls.back().get();
        bool handled = false, cancel = false;
        for (auto& [cookie, h] : std::map(sources[control].handlers)) h(control, handled, cancel);
    }

    std::unique_ptr<FakeBar> bar = std::make_unique<FakeBar>();
    std::map<CommandBarControl*, FakeSource> sources;
    bool failEvents = false;
};

class FakeStore final : public SettingStore {
public:
    std::map<QString, QString> values;
    int reads = 0;
    QString GetSetting(const QString& app, const QString& section, const QString& key,
                       const QString& def) override {
        ++reads;
        const auto it = values.find(app + "/" + section + "/" + key);
        return it == values.end() ? def : it->second;
    }
    void SaveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& value) override {
        values[app + "/" + section + "/" + key] = value;
    }
};

// An add-in with its own environment, store and services; stored is the DisplayOnConnect value.
struct Rig {
    explicit Rig(const QString& stored = {}) {
        if (!stored.isNull()) store.values[kDisplayKey] = stored;
    }
    bool shown() { return connect.mainForm() && connect.mainForm()->isVisible(); }
    void connectIn(int mode) { connect.OnConnection(&environment, mode, nullptr, custom); }
    void disconnect() { connect.OnDisconnection(0, custom); }
    QString recorded() { return store.values[kDisplayKey]; }

    test::FakeServices fakes;
    FakeStore store;
    FakeEnvironment environment;
    QVariantList custom;
    Connect connect{fakes.services, store};
};

TEST(ConnectTest, MenuCommandReopeningAndRecordByConnectMode) {
    // Only the exact text "1" reopens the window.
    const std::tuple<int, QString, bool, bool> rows[] = {
        // mode, stored value, shown at connection, shown after start-up
        {0, {}, false, false},  {0, "1", true, true},    {1, "1", false, true},
        {1, {}, false, false},  {2, "0", true, true},    {7, "1", false, true},
        {0, "True", false, false}, {0, "01", false, false}, {0, " 1", false, false},
        {0, "1 ", false, false},   {0, "yes", false, false},
    };
    for (const auto& [mode, stored, atConnection, afterStartup] : rows) {
        SCOPED_TRACE(testing::Message() << "mode " << mode << " stored '" << stored.toStdString() << "'");
        Rig r(stored);
        r.connectIn(mode);
        EXPECT_EQ(r.environment.bar->Count(), mode == 2 ? 1 : 2);
        EXPECT_EQ(r.environment.bar->controls.back()->caption,
                  mode == 2 ? "Add-In Manager..." : "Quillmark 98");
        EXPECT_EQ(r.shown(), atConnection);
        if (mode == 2) {
            EXPECT_EQ(r.store.reads, 0) << "mode 2 does not read the stored value";
        }
        r.connect.OnStartupComplete(r.custom);
        EXPECT_EQ(r.shown(), afterStartup);
        r.disconnect();
        EXPECT_EQ(r.recorded(), afterStartup ? "1" : "0");
        EXPECT_EQ(r.connect.mainForm(), nullptr);
        EXPECT_TRUE(r.fakes.messageBox.texts.isEmpty());
    }
}

TEST(ConnectTest, CommandChosenTwiceThenClosedByTheUserRecordsOne) {
    Rig r;
    r.connectIn(0);
    r.environment.choose();
    frmMain* first = r.connect.mainForm();
    ASSERT_TRUE(first && first->isVisible());
    r.environment.choose();
    EXPECT_EQ(r.connect.mainForm(), first) << "one window";
    first->close();  // still counts as displayed
    QSignalSpy ended(&r.connect, &Connect::programEnded);
    r.disconnect();
    EXPECT_EQ(r.recorded(), "1");
    EXPECT_FALSE(r.connect.FormDisplayed());
    EXPECT_TRUE(r.environment.bar->controls.back()->deleted);
    EXPECT_EQ(ended.count(), 1);
    // The menu command is gone: choosing its stale event source does nothing.
    r.environment.choose();
    EXPECT_EQ(r.connect.mainForm(), nullptr);
}

TEST(ConnectTest, HideBeforeDisconnectionRecordsZero) {
    Rig r;
    r.connectIn(2);
    ASSERT_TRUE(r.shown());
    r.connect.Hide();
    EXPECT_FALSE(r.shown());
    EXPECT_NE(r.connect.mainForm(), nullptr) << "hidden, still loaded";
    r.disconnect();
    EXPECT_EQ(r.recorded(), "0");
}

TEST(ConnectTest, MissingAddInsBarAddsNothingQuietly) {
    Rig r("1");
    r.environment.bar.reset();
    r.connectIn(0);
    EXPECT_TRUE(r.shown()) << "the stored value still reopens the window";
    r.disconnect();
    EXPECT_EQ(r.recorded(), "1");
    EXPECT_TRUE(r.fakes.messageBox.texts.isEmpty());
}

TEST(ConnectTest, ConnectionErrorIsShownAndStopsTheConnection) {
    Rig r("1");
    r.environment.failEvents = true;
    r.connectIn(0);
    ASSERT_EQ(r.fakes.messageBox.texts, QStringList{"Events are not available."});
    EXPECT_EQ(r.fakes.messageBox.captions, QStringList{"DEVivIv"});
    EXPECT_EQ(r.connect.VBInstance(), &r.environment) << "what was stored before the error stays";
    EXPECT_EQ(r.connect.mainForm(), nullptr) << "the DisplayOnConnect check did not run";
}

}  // namespace
}  // namespace qm
