// SPDX-License-Identifier: MIT
// The add-in object against a fake development environment.
#include "addin/Connect.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <memory>
#include <vector>

#include "tests/support/FakeServices.h"
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
    void Delete() override { deleted = true; }
};

// The root object, the Add-Ins bar and the menu command's event source in one.
// clang-format off
class FakeEnvironment final : public VBE, public vbide::CommandBars, public vbide::Events, public CommandBar,
                              public CommandBarControls, public vbide::CommandBarEvents {
    // clang-format on
public:
    FakeEnvironment() { Add(msoControlButton)->setCaption("Add-In Manager..."); }
    vbide::CommandBars& CommandBars() override { return *this; }
    vbide::Events& Events() override { return *this; }
    CommandBar* Item(const QString& name) override { return hasBar && name == Name() ? this : nullptr; }
    QString Name() const override { return "Add-Ins"; }
    CommandBarControls& Controls() override { return *this; }
    int Count() const override { return static_cast<int>(controls.size()); }
    CommandBarControl* Add(int) override { return controls.emplace_back(new FakeControl).get(); }
    vbide::CommandBarEvents* CommandBarEvents(CommandBarControl*) override {
        if (fail) fail();
        return this;
    }
    int Advise(ClickHandler h) override {
        handler = std::move(h);
        return 1;
    }
    void Unadvise(int) override { handler = nullptr; }
    // Chooses the newest menu command, as the user would.
    void choose() {
        bool handled = false, cancel = false;
        if (handler) handler(controls.back().get(), handled, cancel);
    }

    std::vector<std::unique_ptr<FakeControl>> controls;
    ClickHandler handler;
    bool hasBar = true;
    std::function<void()> fail;
};

// An add-in with its own environment, services and per-user store, which holds only displayOnConnect.
struct Rig : SettingStore {
    QString GetSetting(const QString& app, const QString& section, const QString& key,
                       const QString& def) override {
        return app + "/" + section + "/" + key == kDisplayKey && !displayOnConnect.isNull() ? displayOnConnect
                                                                                            : def;
    }
    void SaveSetting(const QString& app, const QString& section, const QString& key,
                     const QString& value) override {
        if (app + "/" + section + "/" + key == kDisplayKey) displayOnConnect = value;
    }
    bool shown() { return connect.mainForm() && connect.mainForm()->isVisible(); }
    void connectIn(int mode) { connect.OnConnection(&environment, mode, nullptr, custom); }

    QString displayOnConnect;
    test::FakeServices fakes;
    FakeEnvironment environment;
    QVariantList custom;
    Connect connect{fakes.services, *this};
};

enum class User { Nothing, ChoosesTheCommand, CallsHide };

TEST(ConnectTest, MenuCommandReopeningAndRecordByConnectMode) {
    // Only the exact text "1" reopens the window. The command shows the one window, restored
    // when a copy left it minimised; a user's close still counts as displayed, Hide does not.
    const std::tuple<int, QString, bool, bool, bool, User> rows[] = {
        // mode, stored value, has Add-Ins bar, shown at connection, shown after start-up, then
        {0, {}, true, false, false, User::Nothing},          {0, "1", true, true, true, User::Nothing},
        {1, "1", true, false, true, User::Nothing},          {2, "0", true, true, true, User::Nothing},
        {7, "1", true, false, true, User::Nothing},          {0, "True", true, false, false, User::Nothing},
        {0, "01", true, false, false, User::Nothing},        {0, " 1", true, false, false, User::Nothing},
        {0, "1", false, true, true, User::Nothing},          {2, {}, true, true, true, User::CallsHide},
        {0, {}, true, false, false, User::ChoosesTheCommand}};
    for (const auto& [mode, stored, hasBar, atConnection, afterStartup, user] : rows) {
        SCOPED_TRACE(testing::Message() << "mode " << mode << " stored '" << stored.toStdString() << "'");
        Rig r;
        r.displayOnConnect = stored;
        r.environment.hasBar = hasBar;
        r.connectIn(mode);
        const bool added = mode != 2 && hasBar;
        EXPECT_EQ(r.environment.controls.back()->caption, added ? "Quillmark 98" : "Add-In Manager...");
        EXPECT_EQ(r.shown(), atConnection);
        r.connect.OnStartupComplete(r.custom);
        EXPECT_EQ(r.shown(), afterStartup);
        if (user == User::ChoosesTheCommand) {
            r.environment.choose();
            frmMain* first = r.connect.mainForm();
            first->showMinimized();
            r.environment.choose();
            EXPECT_TRUE(r.connect.mainForm() == first && first->isVisible() && !first->isMinimized());
            first->close();
        } else if (user == User::CallsHide) {
            r.connect.Hide();
            EXPECT_TRUE(r.connect.mainForm() && !r.shown()) << "hidden, still loaded";
        }
        QSignalSpy ended(&r.connect, &Connect::programEnded);
        r.connect.OnDisconnection(0, r.custom);
        const bool displayed = (afterStartup || user == User::ChoosesTheCommand) && user != User::CallsHide;
        EXPECT_EQ(r.displayOnConnect, displayed ? "1" : "0");
        EXPECT_EQ(r.environment.controls.back()->deleted, added);
        EXPECT_EQ(ended.count(), 1);
        r.environment.choose();  // the deleted command's event source no longer reaches the add-in
        EXPECT_EQ(r.connect.mainForm(), nullptr);
        EXPECT_TRUE(r.fakes.messageBox.texts.isEmpty());
    }
}

TEST(ConnectTest, ConnectionErrorIsShownAndStopsTheConnection) {
    const std::pair<std::function<void()>, QString> rows[] = {
        {[] { throw AddInError("Events are not available."); }, "Events are not available."},
        {[] { throw 42; }, "Quillmark 98 could not connect to the development environment."}};
    for (const auto& [fail, message] : rows) {
        Rig r;
        r.displayOnConnect = "1";
        r.environment.fail = fail;
        r.connectIn(0);
        EXPECT_EQ(r.fakes.messageBox.texts + r.fakes.messageBox.captions, QStringList({message, "DEVivIv"}));
        EXPECT_EQ(r.connect.VBInstance(), &r.environment) << "what was stored before the error stays";
        EXPECT_EQ(r.connect.mainForm(), nullptr) << "the DisplayOnConnect check did not run";
    }
}

}  // namespace
}  // namespace qm
