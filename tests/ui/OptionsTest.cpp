// SPDX-License-Identifier: MIT
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>

#include "settings/RegIni.h"
#include "settings/Settings.h"
#include "tests/ui/FakeServices.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/frmOptions.h"

namespace qm::test {
namespace {

class OptionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeSettings({});
        TheSettings() = Settings{};
        TheSettings().PersonalName = "Old Name";
    }

    FakeServices fakes;
};

TEST_F(OptionsTest, OkWritesBothKeysAndTheSettingsInMemory)
{
    writeSettings("[Param Types VB]\r\nNumber=1\r\nParam1=Long\r\n");
    frmOptions dialog(fakes.services);
    dialog.txtName->setText("Old Name");
    dialog.selectLanguage(0);
    showAndWait(&dialog);
    dialog.Option1[1]->click();
    dialog.txtName->setFocus();  // selects the old name, so typing replaces it
    QTest::keyClicks(dialog.txtName, "A. Developer");
    QTest::keyClick(dialog.txtName, Qt::Key_Return);

    EXPECT_FALSE(dialog.isVisible());
    RegIni ini;
    ini.FileName(std::string("Qmark98.ini"));
    EXPECT_EQ(ini.GetIniString("General", "Comments Type", ""), "1");
    EXPECT_EQ(ini.GetIniString("General", "Personal Name", ""), "A. Developer");
    EXPECT_EQ(ini.GetIniString("Param Types VB", "Param1", ""), "Long");
    EXPECT_EQ(TheSettings().CommentsType, 1);
    EXPECT_EQ(TheSettings().PersonalName, "A. Developer");
    EXPECT_TRUE(fakes.messageBox.texts.isEmpty());
}

TEST_F(OptionsTest, CancelEscAndCloseBoxChangeNothing)
{
    const std::pair<const char*, std::function<void(frmOptions&)>> rows[] = {
        {"Cancel", [](frmOptions& d) { QTest::mouseClick(d.cmdCancel, Qt::LeftButton); }},
        {"Esc", [](frmOptions& d) { QTest::keyClick(d.txtName, Qt::Key_Escape); }},
        {"close box", [](frmOptions& d) { d.close(); }},
    };
    for (const auto& [name, close] : rows) {
        frmOptions dialog(fakes.services);
        showAndWait(&dialog);
        dialog.Option1[1]->click();
        dialog.txtName->setText("Changed");
        close(dialog);
        EXPECT_FALSE(dialog.isVisible()) << name;
        EXPECT_EQ(TheSettings().CommentsType, 0) << name;
        EXPECT_EQ(TheSettings().PersonalName, "Old Name") << name;
        EXPECT_FALSE(std::ifstream(settingsPath()).good()) << name;
    }
}

TEST_F(OptionsTest, UnwritableSettingsAreReportedAndStillApplyInMemory)
{
    // A regular file where the config directory's parent should be: no one can write there.
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    const std::string blocker = savedConfig.toStdString() + "/blocker";
    std::fclose(std::fopen(blocker.c_str(), "w"));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(blocker + "/config"));
    frmOptions dialog(fakes.services);
    dialog.txtName->setText("Lost Later");
    dialog.Option1[1]->setChecked(true);
    dialog.cmdOK_Click();
    qputenv("XDG_CONFIG_HOME", savedConfig);

    ASSERT_EQ(fakes.messageBox.texts.size(), 1);
    EXPECT_TRUE(fakes.messageBox.texts[0].contains("could not be saved"));
    EXPECT_EQ(TheSettings().PersonalName, "Lost Later");
    EXPECT_EQ(TheSettings().CommentsType, 1);
    EXPECT_FALSE(dialog.isVisible());
}

}  // namespace
}  // namespace qm::test
