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

QStringList items(const QComboBox* box)
{
    QStringList result;
    for (int i = 0; i < box->count(); ++i)
        result << box->itemText(i);
    return result;
}

class ParamAddTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TheSettings() = Settings{};
        TheSettings().ParamTypesVB = {"Integer", "", "  ", "Long"};
        TheSettings().ParamTypesVC = {"int", "  ", "", " char * "};
    }
};

TEST_F(ParamAddTest, TypeBoxOffersTheCurrentLanguagesTypes)
{
    const std::pair<int, QStringList> rows[] = {
        {0, {"Integer", "", "  ", "Long"}},
        {1, {"int", " char * "}},
        {2, {}},
    };
    for (const auto& [language, expected] : rows) {
        TheSettings().CommentsType = language;
        frmParamAdd dialog;
        EXPECT_EQ(items(dialog.cmbParamType), expected) << language;
        EXPECT_TRUE(dialog.cmbParamType->currentText().isEmpty());
        EXPECT_FALSE(dialog.m_bOK);
    }
}

TEST_F(ParamAddTest, AltKeysMoveTheFocusOnRelease)
{
    frmParamAdd dialog;
    showAndWait(&dialog);
    const std::pair<Qt::Key, QWidget*> rows[] = {
        {Qt::Key_D, dialog.txtParamDescription},
        {Qt::Key_T, dialog.cmbParamType},
        {Qt::Key_N, dialog.txtParamName},
    };
    for (const auto& [key, target] : rows) {
        altKey(key);
        EXPECT_TRUE(target->hasFocus()) << target->objectName().toStdString();
    }
    altReleasedFirst(Qt::Key_D);
    EXPECT_TRUE(dialog.txtParamName->hasFocus());
    EXPECT_TRUE(dialog.txtParamName->text().isEmpty());
}

TEST_F(ParamAddTest, WaysToCloseAndTheirResult)
{
    struct Row {
        const char* name;
        std::function<void(frmParamAdd&)> close;
        bool ok;
    };
    const Row rows[] = {
        {"Enter", [](frmParamAdd&) { QTest::keyClick(focused(), Qt::Key_Return); }, true},
        {"OK button", [](frmParamAdd& d) { QTest::mouseClick(d.cmdOK, Qt::LeftButton); }, true},
        {"Esc", [](frmParamAdd&) { QTest::keyClick(focused(), Qt::Key_Escape); }, false},
        {"ALT+C", [](frmParamAdd&) { altKey(Qt::Key_C); }, false},
        {"close box", [](frmParamAdd& d) { d.close(); }, false},
        // With the check box hidden, O belongs to OK alone.
        {"ALT+O", [](frmParamAdd& d) { d.chkOptional->hide(); altKey(Qt::Key_O); }, true},
    };
    for (const Row& row : rows) {
        frmParamAdd dialog;
        showAndWait(&dialog);
        QTest::keyClicks(dialog.txtParamName, "x");
        row.close(dialog);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); })) << row.name;
        EXPECT_EQ(dialog.m_bOK, row.ok) << row.name;
        EXPECT_EQ(dialog.txtParamName->text(), "x") << row.name;
    }
}

}  // namespace
}  // namespace qm::test
