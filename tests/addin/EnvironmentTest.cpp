// SPDX-License-Identifier: MIT
// The development environment host with the real add-in library, on the offscreen platform.
#include "app/quillmark/EnvironmentWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <cstdio>
#include <fstream>

#include "addin/SettingStore.h"
#include "platform/Directories.h"
#include "tests/support/ScopedEnv.h"

namespace qm {
namespace {

using test::ScopedEnv;

const QString kProgId = QStringLiteral("ZI98VudAv.Connect");

using AddInList = std::vector<std::pair<QString, QString>>;

void WriteList(const std::string& dir, const char* entries) {
    MakeDirectories(dir);
    std::ofstream(dir + "/vbaddin.ini") << "[Add-Ins32]\n" << entries;
}

QWidget* MainWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmMain") && w->isVisible()) return w;
    return nullptr;
}

class EnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        DefaultSettingStore().SaveSetting("DEVivIv", "Settings", "DisplayOnConnect", "0");
        std::remove((ConfigDir() + "/vbaddin.ini").c_str());
    }
    ScopedEnv m_addinPath{"QUILLMARK_ADDIN_PATH", QM_ADDIN_DIR};
    std::string m_system = TempDir() + "xdg";
    ScopedEnv m_systemDirs{"XDG_CONFIG_DIRS", m_system};
    QString display() {
        return DefaultSettingStore().GetSetting("DEVivIv", "Settings", "DisplayOnConnect", "");
    }
};

TEST_F(EnvironmentTest, ListedAddInConnectsAtStartAndRecordsTheWindowAtQuit) {
    WriteList(m_system + "/quillmark", "ZI98VudAv.Connect=0\n");
    ASSERT_TRUE(RegisterAddIn(kProgId, "1")) << "a system-wide entry does not list it for the user";
    ASSERT_TRUE(RegisterAddIn(kProgId, "0")) << "a listed add-in keeps its value";
    EXPECT_EQ(ReadAddInList(), (AddInList{{kProgId, "1"}}));
    {
        EnvironmentWindow environment;
        environment.startUp();
        ASSERT_TRUE(environment.isConnected(kProgId));
        const QList<QAction*> items = environment.addInsMenu()->actions();
        ASSERT_FALSE(items.isEmpty());
        EXPECT_EQ(items.last()->text(), "Quillmark 98");
        EXPECT_EQ(MainWindow(), nullptr);
        items.last()->trigger();
        ASSERT_NE(MainWindow(), nullptr);
        environment.close();
        EXPECT_FALSE(environment.isConnected(kProgId));
        EXPECT_EQ(MainWindow(), nullptr) << "disconnection closes the add-in's windows";
    }
    EXPECT_EQ(display(), "1");

    // The next start reopens it once start-up is complete.
    EnvironmentWindow environment;
    environment.startUp();
    EXPECT_EQ(MainWindow(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([] { return MainWindow() != nullptr; }, 2000));
    environment.disconnectAll();
}

TEST_F(EnvironmentTest, SystemListsSitBeneathTheUsersInXdgOrder) {
    const std::string user = ConfigDir() + "/vbaddin.ini", etc = "/etc/xdg/quillmark/vbaddin.ini";
    const std::pair<const char*, std::vector<std::string>> rows[] = {
        {nullptr, {user, etc}}, {"", {user, etc}}, {"relative::/x", {user, "/x/quillmark/vbaddin.ini"}}};
    for (const auto& [dirs, paths] : rows) {
        ScopedEnv env("XDG_CONFIG_DIRS", dirs);
        EXPECT_EQ(AddInListPaths(), paths) << (dirs ? dirs : "unset");
    }
    ScopedEnv env("XDG_CONFIG_DIRS", m_system + "/a:" + m_system + "/b");
    WriteList(m_system + "/b/quillmark", "third=1\nzi98vudav.connect=1\nOther=1\n");
    WriteList(m_system + "/a/quillmark", "Other=0\nZI98VudAv.Connect=1\n");
    WriteList(ConfigDir(), "ZI98VudAv.Connect=0\n");
    EXPECT_EQ(ReadAddInList(), (AddInList{{kProgId, "0"}, {"Other", "0"}, {"third", "1"}}))
        << "the user's list wins, then the first system list naming it";
}

TEST_F(EnvironmentTest, ManagerConnectsAndDisconnectsWhileRunning) {
    ASSERT_TRUE(RegisterAddIn(kProgId, "0"));
    EnvironmentWindow environment;
    environment.startUp();
    EXPECT_FALSE(environment.isConnected(kProgId));
    const int before = environment.addInsMenu()->actions().size();
    ASSERT_TRUE(environment.connectAddIn(kProgId, vbide::vbext_cm_AfterStartup));
    EXPECT_EQ(environment.addInsMenu()->actions().size(), before + 1);
    environment.disconnectAddIn(kProgId);
    EXPECT_EQ(environment.addInsMenu()->actions().size(), before) << "the menu command is deleted";
    EXPECT_EQ(display(), "0");
}

}  // namespace
}  // namespace qm
