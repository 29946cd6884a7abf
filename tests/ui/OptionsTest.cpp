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

// OK saves the checked language and the typed name whatever the language was; the other ways
// out change nothing.
TEST(OptionsTest, OkSavesTheCheckedLanguageAndNameAndNothingElseDoes) {
    const std::function<void(frmOptions&)> ok = [](frmOptions& d) {
        QTest::keyClick(d.txtName, Qt::Key_Return);
    };
    const std::tuple<const char*, int, int, std::function<void(frmOptions&)>, bool> rows[] = {
        {"OK to Visual Basic", 1, 0, ok, true},
        {"OK to Visual C++", 0, 1, ok, true},
        {"OK from an unknown language", 2, 0, ok, true},
        {"Cancel", 0, 1, [](frmOptions& d) { QTest::mouseClick(d.cmdCancel, Qt::LeftButton); }, false},
        {"Esc", 0, 1, [](frmOptions& d) { QTest::keyClick(d.txtName, Qt::Key_Escape); }, false},
        {"close box", 1, 0, [](frmOptions& d) { d.close(); }, false}};
    for (const auto& [name, preset, chosen, close, saved] : rows) {
        writeSettings({});
        TheSettings() = Settings{"Old Name", preset, {}, {}};
        FakeServices fakes;
        frmOptions dialog(fakes.services, "Old Name", preset);
        EXPECT_EQ(dialog.language(), preset) << name;
        showAndWait(&dialog);
        dialog.Option1[chosen]->click();
        dialog.txtName->setFocus();  // selects the old name, so typing replaces it
        QTest::keyClicks(dialog.txtName, "A. Developer");
        close(dialog);

        EXPECT_FALSE(dialog.isVisible()) << name;
        RegIni ini;
        ini.FileName(std::string("Qmark98.ini"));
        EXPECT_EQ(ini.GetIniString("General", "Comments Type", "none"),
                  saved ? std::to_string(chosen) : "none");
        EXPECT_EQ(ini.GetIniString("General", "Personal Name", "none"), saved ? "A. Developer" : "none");
        EXPECT_EQ(TheSettings().CommentsType, saved ? chosen : preset) << name;
        EXPECT_EQ(TheSettings().PersonalName, saved ? "A. Developer" : "Old Name") << name;
        EXPECT_TRUE(fakes.messageBox.texts.isEmpty()) << name;
    }
}

TEST(OptionsTest, UnwritableSettingsAreReportedAndStillApplyInMemory) {
    // A regular file where the config directory's parent should be: no one can write there.
    const QByteArray savedConfig = qgetenv("XDG_CONFIG_HOME");
    const std::string blocker = savedConfig.toStdString() + "/blocker";
    std::fclose(std::fopen(blocker.c_str(), "w"));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(blocker + "/config"));
    FakeServices fakes;
    frmOptions dialog(fakes.services, "Lost Later", 1);
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
