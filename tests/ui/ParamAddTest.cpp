// SPDX-License-Identifier: MIT
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "settings/Settings.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/frmParamAdd.h"

namespace qm::test {
namespace {

TEST(ParamAddTest, TypeBoxOffersTheCurrentLanguagesTypes) {
    TheSettings() = Settings{};
    TheSettings().ParamTypesVB = {"Integer", "", "  ", "Long"};
    TheSettings().ParamTypesVC = {"int", "  ", "", " char * "};
    for (const auto& [language, expected] :
         {std::pair{0, QStringList{"Integer", "", "  ", "Long"}}, {1, {"int", " char * "}}, {2, {}}}) {
        TheSettings().CommentsType = language;
        frmParamAdd dialog;
        QStringList items;
        for (int i = 0; i < dialog.cmbParamType->count(); ++i) items << dialog.cmbParamType->itemText(i);
        EXPECT_EQ(items, expected) << language;
        EXPECT_TRUE(dialog.cmbParamType->currentText().isEmpty());
    }
}

TEST(ParamAddTest, WaysToCloseAndTheirResult) {
    const std::tuple<const char*, std::function<void(frmParamAdd&)>, bool> rows[] = {
        {"Enter", [](frmParamAdd&) { QTest::keyClick(focused(), Qt::Key_Return); }, true},
        {"OK button", [](frmParamAdd& d) { QTest::mouseClick(d.cmdOK, Qt::LeftButton); }, true},
        {"Esc", [](frmParamAdd&) { QTest::keyClick(focused(), Qt::Key_Escape); }, false},
        {"ALT+C", [](frmParamAdd&) { altKey(Qt::Key_C); }, false},
        {"close box", [](frmParamAdd& d) { d.close(); }, false},
        // With the check box hidden, O belongs to OK alone.
        {"ALT+O",
         [](frmParamAdd& d) {
             d.chkOptional->hide();
             altKey(Qt::Key_O);
         },
         true},
    };
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
