// SPDX-License-Identifier: MIT
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabBar>
#include <gtest/gtest.h>

#include "FakeServices.h"
#include "UiTestSupport.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"

namespace qm::test {
namespace {

TEST(HotkeyTable, IsTheFixedTextWithCrLfAfterEveryLine)
{
    const QString expected = "USAGE: ALT + Key\r\n"
                             "\r\n"
                             "Key - Tab / Function\r\n"
                             "A   - Parameters / Add Parameter\r\n"
                             "B   - General / Sub/Function Name\r\n"
                             "C   - ** APP HotKey for \"Copy to Clipboard\" **\r\n"
                             "E   - General / Sub/Function Purpose\r\n"
                             "F   - General / Type Function\r\n"
                             "G   - General Tab\r\n"
                             "I   - General / Sub/Function Returns\r\n"
                             "N   - General / Type General\r\n"
                             "O   - General / Type Property\r\n"
                             "P   - Parameters Tab\r\n"
                             "R   - Parameters / Remove Parameter\r\n"
                             "S   - General / Type Sub\r\n"
                             "T   - General / Access Protected\r\n"
                             "U   - General / Access Public\r\n"
                             "V   - General / Access Private\r\n";
    EXPECT_EQ(HotkeyTableText(), expected);
    EXPECT_EQ(expected.size(), 528);
}

class HelpWindow : public ::testing::Test {
protected:
    void SetUp() override { showAndWait(&help); }

    // The page frame that is on top in the middle of the page area.
    QWidget* pageInFront()
    {
        QWidget* w = help.childAt(child<QFrame>(&help, "Frames0")->geometry().center());
        while (w && !w->objectName().startsWith(QLatin1String("Frames")))
            w = w->parentWidget();
        return w;
    }

    frmHelp help;
};

TEST_F(HelpWindow, ShowsTheTableAndStartsOnOk)
{
    auto* strip = child<QTabBar>(&help, "TabStrip1");
    ASSERT_EQ(strip->count(), 2);
    EXPECT_EQ(QStringList({strip->tabText(0), strip->tabText(1)}),
              QStringList({"General Information", "Application HotKeys"}));
    auto* table = child<QPlainTextEdit>(&help, "Text1");
    EXPECT_TRUE(table->isReadOnly());
    EXPECT_EQ(table->toPlainText().replace('\n', "\r\n") + "\r\n", HotkeyTableText());
    EXPECT_EQ(child<QFrame>(&help, "Frames1"), table->parentWidget());
    EXPECT_EQ(focused(), child<QPushButton>(&help, "cmdOK"));
}

TEST_F(HelpWindow, EachTabBringsItsPageToTheFront)
{
    auto* strip = child<QTabBar>(&help, "TabStrip1");
    for (int index : {1, 1, 0}) {
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(index).center());
        EXPECT_EQ(pageInFront(), child<QFrame>(&help, index ? "Frames1" : "Frames0"));
    }
    // Neither page is hidden: only the stacking order decides which one shows.
    EXPECT_TRUE(child<QFrame>(&help, "Frames1")->isVisible());
}

TEST(HelpModal, EnterEndsTheModalShow)
{
    frmHelp help;
    ModalAnswer answer("qm::frmHelp", [](QDialog*) { QTest::keyClick(focused(), Qt::Key_Return); });
    EXPECT_EQ(help.exec(), QDialog::Accepted);
    EXPECT_FALSE(help.isVisible());
}

// Names every label and button of window whose text would be cut off.
std::string cutOffTexts(QWidget* window)
{
    QStringList cut;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->text().isEmpty()
            && (label->wordWrap() ? label->heightForWidth(label->width()) > label->height()
                                  : label->sizeHint().width() > label->width()))
            cut << label->objectName();
    }
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        const QString text = QString(button->text()).remove('&');
        if (button->fontMetrics().horizontalAdvance(text) + 6 > button->width())
            cut << button->objectName();
    }
    return cut.join(", ").toStdString();
}

TEST(InfoWindows, EveryTextFitsAtSmallAndLargeDesktopFonts)
{
    const QFont desktopFont = QApplication::font();
    for (qreal points : {8.0, 11.0, 14.0}) {
        QFont font = desktopFont;
        font.setPointSizeF(points);
        QApplication::setFont(font);
        FakeServices fakes;
        frmHelp help;
        frmAbout about(fakes.services);
        showAndWait(&help);
        child<QTabBar>(&help, "TabStrip1")->setCurrentIndex(1);
        EXPECT_EQ(cutOffTexts(&help), "") << points << " pt";
        // The hotkey table needs no sideways scrolling.
        EXPECT_EQ(child<QPlainTextEdit>(&help, "Text1")->horizontalScrollBar()->maximum(), 0)
            << points << " pt";
        showAndWait(&about);
        EXPECT_EQ(cutOffTexts(&about), "") << points << " pt";
    }
    QApplication::setFont(desktopFont);
}

}  // namespace
}  // namespace qm::test
