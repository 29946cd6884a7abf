// SPDX-License-Identifier: MIT
// The three dialogs with a result: Free Text Comments, Add New Parameter, Options.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <array>
#include <cstdio>
#include <functional>

#include "settings/RegIni.h"
#include "settings/Settings.h"
#include "tests/support/FakeServices.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/UiTestSupport.h"
#include "ui/frmFreeComments.h"
#include "ui/frmOptions.h"
#include "ui/frmParamAdd.h"

namespace qm::test {
namespace {

TEST(FreeCommentsTest, OnlyOkConfirms) {
    // clang-format off
    const std::tuple<const char*, std::function<void(frmFreeComments&)>, bool> rows[] = {
        {"OK", [](auto& d) { QTest::mouseClick(d.cmdOK, Qt::LeftButton); }, true},
        {"ALT+O", [](auto&) { altKey(Qt::Key_O); }, true},
        {"Cancel", [](auto& d) { QTest::mouseClick(d.cmdCancel, Qt::LeftButton); }, false},
        {"Esc", [](auto& d) { QTest::keyClick(d.txtComments, Qt::Key_Escape); }, false},
        {"close box", [](auto& d) { d.close(); }, false},
        // A focused button presses on Enter, though none is the default.
        {"Enter on OK", [](auto& d) { d.cmdOK->setFocus(); QTest::keyClick(focused(), Qt::Key_Return); }, true},
        {"Enter on Cancel", [](auto& d) { d.cmdCancel->setFocus(); QTest::keyClick(focused(), Qt::Key_Enter); }, false},
    };
    // clang-format on
    for (const auto& [name, close, ok] : rows) {
        frmFreeComments dialog;
        showAndWait(&dialog);
        dialog.txtComments->setPlainText("pasted\r\nwith\rbreaks\n\nend");
        EXPECT_FALSE(dialog.cmdOK->isDefault()) << name;
        close(dialog);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); })) << name;
        EXPECT_EQ(dialog.m_bOK, ok) << name;
        // Hidden, so the caller still reads the text, its line breaks (pasted ones too) as CR LF.
        EXPECT_EQ(dialog.commentsText(), "pasted\r\nwith\r\nbreaks\r\n\r\nend") << name;
    }
}

// The type box and the row follow the language the dialog opened under.
TEST(ParamAddTest, TypeBoxAndRowFollowTheLanguage) {
    TheSettings() = Settings{"", 0, {"Integer", "", "  ", "Long"}, {"int", "  ", "", " char * "}};
    using SubItems = std::array<std::string, 3>;
    const std::tuple<int, QStringList, SubItems> rows[] = {
        {0, {"Integer", "", "  ", "Long"}, {"No", "t", "d"}},
        {1, {"int", " char * "}, {"t", "d", ""}},
        {2, {}, {"", "", ""}}};
    for (const auto& [language, types, subItems] : rows) {
        TheSettings().CommentsType = language;
        frmParamAdd dialog;
        QStringList items;
        for (int i = 0; i < dialog.cmbParamType->count(); ++i) items << dialog.cmbParamType->itemText(i);
        EXPECT_EQ(items, types) << language;
        EXPECT_TRUE(dialog.cmbParamType->currentText().isEmpty());
        dialog.cmbParamType->setEditText("t");
        dialog.txtParamDescription->setText("d");
        TheSettings().CommentsType = 1 - language;  // what counts is the language at the opening
        EXPECT_EQ(dialog.row().subItems, subItems) << language;
    }
}

TEST(ParamAddTest, WaysToCloseAndTheirResult) {
    // clang-format off
    const std::tuple<const char*, std::function<void(frmParamAdd&)>, bool> rows[] = {
        {"Enter", [](auto&) { QTest::keyClick(focused(), Qt::Key_Return); }, true},
        {"OK button", [](auto& d) { QTest::mouseClick(d.cmdOK, Qt::LeftButton); }, true},
        {"Esc", [](auto&) { QTest::keyClick(focused(), Qt::Key_Escape); }, false},
        {"ALT+C", [](auto&) { altKey(Qt::Key_C); }, false},
        {"close box", [](auto& d) { d.close(); }, false},
        // With the check box hidden, O belongs to OK alone.
        {"ALT+O", [](auto& d) { d.chkOptional->hide(); altKey(Qt::Key_O); }, true},
    };
    // clang-format on
    for (const auto& [name, close, ok] : rows) {
        frmParamAdd dialog;
        showAndWait(&dialog);
        QTest::keyClicks(dialog.txtParamName, "x");
        close(dialog);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); })) << name;
        EXPECT_EQ(dialog.m_bOK, ok) << name;
        EXPECT_EQ(dialog.row().text, "x") << name;  // hidden, so the caller still reads it
    }
}

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
    const std::string blocker = qgetenv("XDG_CONFIG_HOME").toStdString() + "/blocker";
    std::fclose(std::fopen(blocker.c_str(), "w"));
    FakeServices fakes;
    {
        ScopedEnv config("XDG_CONFIG_HOME", blocker + "/config");
        frmOptions dialog(fakes.services, "Lost Later", 1);
        dialog.cmdOK_Click();
    }

    ASSERT_EQ(fakes.messageBox.texts.size(), 1);
    EXPECT_TRUE(fakes.messageBox.texts[0].contains("could not be saved"));
    EXPECT_EQ(TheSettings().PersonalName, "Lost Later");
    EXPECT_EQ(TheSettings().CommentsType, 1);
}

}  // namespace
}  // namespace qm::test
