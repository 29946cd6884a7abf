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
#include "addin/DisplaySetting.h"
#include "ui/frmMain.h"

namespace qm {
namespace {

using namespace vbide;

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
    explicit FakeBar(QString name) : m_name(std::move(name)) {}
    QString Name() const override { return m_name; }
    CommandBarControls& Controls() override { return *this; }
    int Count() const override { return static_cast<int>(controls.size()); }
    CommandBarControl* Add(int type) override {
        if (type != msoControlButton) throw AddInError("bad type");
        controls.push_back(std::make_unique<FakeControl>());
        return controls.back().get();
    }
    std::vector<std::unique_ptr<FakeControl>> controls;

private:
    QString m_name;
};

class FakeSource final : public CommandBarEvents {
public:
    int Advise(ClickHandler h) override {
        handlers[next] = std::move(h);
        return next++;
    }
    void Unadvise(int cookie) override { handlers.erase(cookie); }
    void click(CommandBarControl* c) {
        bool handled = false, cancel = false;
        auto copy = handlers;
        for (auto& [cookie, h] : copy) h(c, handled, cancel);
    }
    std::map<int, ClickHandler> handlers;
    int next = 1;
};

class FakeEnvironment final : public VBE, public CommandBars, public Events {
public:
    FakeEnvironment() {
        auto bar = std::make_unique<FakeBar>("Add-Ins");
        bar->Add(msoControlButton)->setCaption("Add-In Manager...");
        bars.push_back(std::move(bar));
    }
    vbide::CommandBars& CommandBars() override { return *this; }
    vbide::Events& Events() override { return *this; }
    CommandBar* Item(const QString& name) override {
        for (auto& b : bars)
            if (b->Name() == name) return b.get();
        return nullptr;
    }
    vbide::CommandBarEvents* CommandBarEvents(CommandBarControl* control) override {
        if (failEvents) throw AddInError("Events are not available.");
        return &sources[control];
    }
    FakeBar* addIns() { return static_cast<FakeBar*>(Item("Add-Ins")); }
    // Chooses the menu command, as the user would.
    void choose(CommandBarControl* control) { sources[control].click(control); }

    std::vector<std::unique_ptr<FakeBar>> bars;
    std::map<CommandBarControl*, FakeSource> sources;
    bool failEvents = false;
};

class FakeStore final : public SettingStore {
public:
    std::map<QString, QString> values;
    int reads = 0;
    QStringList writes;
    QString GetSetting(const QString& app, const QString& section, const QString& key,
                       const QString& def) override {
        ++reads;
        const auto it = values.find(app + "/" + section + "/" + key);
        return it == values.end() ? def : it->second;
    }
    void SaveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& value) override {
        values[app + "/" + section + "/" + key] = value;
        writes << value;
    }
    QString display() { return values["DEVivIv/Settings/DisplayOnConnect"]; }
};

class ConnectTest : public ::testing::Test {
protected:
    bool windowShown() { return connect.mainForm() && connect.mainForm()->isVisible(); }
    void connectIn(int mode) { connect.OnConnection(&environment, mode, nullptr, custom); }
    void disconnect() { connect.OnDisconnection(0, custom); }

    test::FakeServices fakes;
    FakeStore store;
    FakeEnvironment environment;
    QVariantList custom;
    Connect connect{fakes.services, store};
};

TEST_F(ConnectTest, MenuCommandAndReopeningByConnectMode) {
    struct Row { int mode; QString stored; bool menu; bool shownAtConnection; bool shownAfterStartup; };
    const Row rows[] = {
        {0, "", true, false, false},  {0, "1", true, true, true},   {1, "1", true, false, true},
        {1, "", true, false, false},  {2, "0", false, true, true},  {7, "1", true, false, true},
    };
    for (const Row& r : rows) {
        test::FakeServices fakes;
        FakeStore store;
        if (!r.stored.isEmpty()) store.values["DEVivIv/Settings/DisplayOnConnect"] = r.stored;
        FakeEnvironment environment;
        Connect addIn(fakes.services, store);
        QVariantList custom;
        addIn.OnConnection(&environment, r.mode, nullptr, custom);
        SCOPED_TRACE(testing::Message() << "mode " << r.mode << " stored '" << r.stored.toStdString() << "'");
        EXPECT_EQ(environment.addIns()->Count(), r.menu ? 2 : 1);
        if (r.menu) {
            EXPECT_EQ(environment.addIns()->controls.back()->caption, "Quillmark 98");
        }
        auto shown = [&] { return addIn.mainForm() && addIn.mainForm()->isVisible(); };
        EXPECT_EQ(shown(), r.shownAtConnection);
        if (r.mode == 2) {
            EXPECT_EQ(store.reads, 0) << "mode 2 does not read the stored value";
        }
        addIn.OnStartupComplete(custom);
        EXPECT_EQ(shown(), r.shownAfterStartup);
        EXPECT_TRUE(fakes.messageBox.texts.isEmpty());
        addIn.OnDisconnection(0, custom);
    }
}

TEST_F(ConnectTest, OnlyTheExactOneReopens) {
    for (const QString value : {"True", "01", " 1", "1 ", "yes"}) {
        test::FakeServices fakes;
        FakeStore store;
        store.values["DEVivIv/Settings/DisplayOnConnect"] = value;
        FakeEnvironment environment;
        Connect addIn(fakes.services, store);
        QVariantList custom;
        addIn.OnConnection(&environment, 0, nullptr, custom);
        EXPECT_EQ(addIn.mainForm(), nullptr) << value.toStdString();
    }
}

TEST_F(ConnectTest, ChoosingTheCommandTwiceShowsOneWindow) {
    connectIn(0);
    CommandBarControl* command = environment.addIns()->controls.back().get();
    environment.choose(command);
    frmMain* first = connect.mainForm();
    ASSERT_TRUE(first && first->isVisible());
    environment.choose(command);
    EXPECT_EQ(connect.mainForm(), first);
    EXPECT_TRUE(connect.FormDisplayed());
}

TEST_F(ConnectTest, DisconnectionRecordsWhetherTheWindowWasOpened) {
    connectIn(0);
    environment.choose(environment.addIns()->controls.back().get());
    connect.mainForm()->close();  // the user closes it: still recorded as displayed
    QSignalSpy ended(&connect, &Connect::programEnded);
    disconnect();
    EXPECT_EQ(store.display(), "1");
    EXPECT_FALSE(connect.FormDisplayed());
    EXPECT_TRUE(environment.addIns()->controls.back()->deleted);
    EXPECT_EQ(connect.mainForm(), nullptr);
    EXPECT_EQ(ended.count(), 1);
    // The menu command is gone: choosing its stale event source does nothing.
    environment.choose(environment.addIns()->controls.back().get());
    EXPECT_EQ(connect.mainForm(), nullptr);
}

TEST_F(ConnectTest, HideBeforeDisconnectionRecordsZero) {
    connectIn(2);
    ASSERT_TRUE(windowShown());
    connect.Hide();
    EXPECT_FALSE(windowShown());
    EXPECT_NE(connect.mainForm(), nullptr) << "hidden, still loaded";
    disconnect();
    EXPECT_EQ(store.display(), "0");
}

TEST_F(ConnectTest, ModeTwoDisconnectsWithoutAMenuCommand) {
    connectIn(2);
    EXPECT_EQ(environment.addIns()->Count(), 1);
    disconnect();
    EXPECT_EQ(store.display(), "1");
    EXPECT_EQ(connect.mainForm(), nullptr);
    EXPECT_TRUE(fakes.messageBox.texts.isEmpty());
}

TEST_F(ConnectTest, MissingAddInsBarAddsNothingQuietly) {
    environment.bars.clear();
    store.values["DEVivIv/Settings/DisplayOnConnect"] = "1";
    connectIn(0);
    QString caption = "x";
    EXPECT_EQ(connect.AddToAddInCommandBar(caption), nullptr);
    EXPECT_TRUE(windowShown()) << "the stored value still reopens the window";
    disconnect();
    EXPECT_EQ(store.display(), "1");
}

TEST_F(ConnectTest, ConnectionErrorIsShownAndStopsTheConnection) {
    environment.failEvents = true;
    store.values["DEVivIv/Settings/DisplayOnConnect"] = "1";
    connectIn(0);
    ASSERT_EQ(fakes.messageBox.texts, QStringList{"Events are not available."});
    EXPECT_EQ(fakes.messageBox.captions, QStringList{"DEVivIv"});
    EXPECT_EQ(connect.VBInstance(), &environment) << "what was stored before the error stays";
    EXPECT_EQ(connect.mainForm(), nullptr) << "the DisplayOnConnect check did not run";
}

}  // namespace
}  // namespace qm
