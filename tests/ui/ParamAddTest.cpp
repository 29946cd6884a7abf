// SPDX-License-Identifier: MIT
#include <QCheckBox>
#include <array>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "settings/Settings.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/frmParamAdd.h"

namespace qm::test {
namespace {

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

}  // namespace
}  // namespace qm::test
