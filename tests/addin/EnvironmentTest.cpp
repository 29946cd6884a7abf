// SPDX-License-Identifier: MIT
// The development environment host with the real add-in library, on the offscreen platform.
#include "app/quillmark/EnvironmentWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTest>
#include <cstdio>

#include "addin/SettingStore.h"
#include "platform/Directories.h"

namespace qm {
namespace {

const QString kProgId = QStringLiteral("ZI98VudAv.Connect");

QWidget* MainWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmMain") && w->isVisible()) return w;
    return nullptr;
}

class EnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("QUILLMARK_ADDIN_PATH", QM_ADDIN_DIR);
        DefaultSettingStore().SaveSetting("DEVivIv", "Settings", "DisplayOnConnect", "0");
        std::remove((ConfigDir() + "/vbaddin.ini").c_str());
    }
    QString display() { return DefaultSettingStore().GetSetting("DEVivIv", "Settings", "DisplayOnConnect", ""); }
};

TEST_F(EnvironmentTest, ListedAddInConnectsAtStartAndRecordsTheWindowAtQuit) {
    ASSERT_TRUE(RegisterAddIn(kProgId, "1"));
    ASSERT_TRUE(RegisterAddIn(kProgId, "0")) << "a listed add-in keeps its value";
    EXPECT_EQ(ReadAddInList(), (std::vector<std::pair<QString, QString>>{{kProgId, "1"}}));
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
