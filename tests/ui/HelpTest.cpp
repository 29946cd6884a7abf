// SPDX-License-Identifier: MIT
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabBar>
#include <gtest/gtest.h>

#include "UiTestSupport.h"
#include "FakeServices.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"

namespace qm::test {
namespace {

TEST(HotkeyTable, IsTheFixedTextWithCrLfAfterEveryLine)
{
    const QString table = HotkeyTableText();
    EXPECT_EQ(table.size(), 528);
    ASSERT_TRUE(table.endsWith(QLatin1String("\r\n")));
    EXPECT_FALSE(table.contains(QRegularExpression(QStringLiteral("[^\r]\n|\r[^\n]"))));

    // 18 lines, each ended by CR LF, so splitting at the line ends leaves 19 pieces.
    const QStringList lines = table.split(QLatin1String("\r\n"));
    ASSERT_EQ(lines.size(), 19);
    EXPECT_EQ(lines.last(), QString());
    EXPECT_EQ(lines[0], QLatin1String("USAGE: ALT + Key"));
    EXPECT_EQ(lines[1], QString());
    EXPECT_EQ(lines[2], QLatin1String("Key - Tab / Function"));
    EXPECT_EQ(lines[3], QLatin1String("A   - Parameters / Add Parameter"));
    EXPECT_EQ(lines[5], QLatin1String("C   - ** APP HotKey for \"Copy to Clipboard\" **"));
    EXPECT_EQ(lines[17], QLatin1String("V   - General / Access Private"));

    // The same fifteen keys as the main window answers, in order, one letter and three blanks.
    QString keys;
    const QRegularExpression row(QStringLiteral("^([A-Z])   - \\S"));
    for (int i = 3; i < 18; ++i) {
        const auto match = row.match(lines[i]);
        ASSERT_TRUE(match.hasMatch()) << lines[i].toStdString();
        keys += match.captured(1);
    }
    EXPECT_EQ(keys, QLatin1String("ABCEFGINOPRSTUV"));
}

class HelpWindow : public ::testing::Test {
protected:
    void SetUp() override { showAndWait(&help); }

    // The page frame that is on top in the middle of the page area.
    QFrame* pageInFront()
    {
        QWidget* page0 = child<QFrame>(&help, "Frames0");
        const QPoint centre = page0->geometry().center();
        for (QWidget* w = help.childAt(centre); w; w = w->parentWidget()) {
            if (w->objectName().startsWith(QLatin1String("Frames")))
                return qobject_cast<QFrame*>(w);
        }
        return nullptr;
    }

    void clickTab(int index)
    {
        auto* tabs = child<QTabBar>(&help, "TabStrip1");
        QTest::mouseClick(tabs, Qt::LeftButton, Qt::NoModifier, tabs->tabRect(index).center());
    }

    frmHelp help;
};

TEST_F(HelpWindow, ShowsTheFixedTextsInTheirControls)
{
    EXPECT_EQ(help.windowTitle(), QLatin1String("Quillmark 98 - Quick Help"));
    EXPECT_EQ(help.minimumSize(), help.maximumSize());

    auto* tabs = child<QTabBar>(&help, "TabStrip1");
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), QLatin1String("General Information"));
    EXPECT_EQ(tabs->tabData(0).toString(), QLatin1String("General"));
    EXPECT_EQ(tabs->tabText(1), QLatin1String("Application HotKeys"));
    EXPECT_EQ(tabs->tabData(1).toString(), QLatin1String("HotKeys"));

    EXPECT_EQ(child<QLabel>(&help, "Label3")->text(),
              QLatin1String("Quillmark 98 is designed by a developer for developers.  By filling in "
                            "a few easy-to-use fields, Qmark98 will create professionally formatted "
                            "comments and place them on the clipboard for insertion into your "
                            "project.  There are many HotKeys available to increase your "
                            "productivity.  The VB 5.0 Add-In Edition adds itself to your list of "
                            "available Add-Ins for easy and automatic use."));
    EXPECT_EQ(child<QLabel>(&help, "Label1")->text(),
              QLatin1String("HotKeys increase the ease of use of Quillmark 98.  Here is the list of "
                            "HotKeys available by pressing the <alt> key and the key for the "
                            "operation desired."));
    auto* note = child<QLabel>(&help, "Label2");
    EXPECT_EQ(note->text(), QLatin1String("NOTE - <ALT>-C is the app HotKey for Copy to Clipboard"));
    EXPECT_TRUE(note->font().bold());
    EXPECT_EQ(child<QFrame>(&help, "Frames0"), child<QLabel>(&help, "Label3")->parentWidget());
    EXPECT_EQ(child<QFrame>(&help, "Frames1"), note->parentWidget());

    auto* table = child<QPlainTextEdit>(&help, "Text1");
    EXPECT_TRUE(table->isReadOnly());
    EXPECT_TRUE(QFontInfo(table->font()).fixedPitch());
    QString shown = HotkeyTableText();
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    shown.chop(1);
    EXPECT_EQ(table->toPlainText(), shown);

    auto* ok = child<QPushButton>(&help, "cmdOK");
    EXPECT_EQ(ok->text(), QLatin1String("&OK"));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(focused(), ok);  // first in the tab order
}

TEST_F(HelpWindow, EachTabBringsItsPageToTheFront)
{
    auto* general = child<QFrame>(&help, "Frames0");
    auto* hotkeys = child<QFrame>(&help, "Frames1");
    EXPECT_EQ(pageInFront(), general);
    clickTab(1);
    EXPECT_EQ(pageInFront(), hotkeys);
    clickTab(1);
    EXPECT_EQ(pageInFront(), hotkeys);
    clickTab(0);
    EXPECT_EQ(pageInFront(), general);
    // Neither page is hidden: only the stacking order decides which one shows.
    EXPECT_TRUE(hotkeys->isVisible());
}

TEST_F(HelpWindow, EnterClosesIt)
{
    QTest::keyClick(focused(), Qt::Key_Return);
    EXPECT_FALSE(help.isVisible());
    EXPECT_EQ(help.result(), QDialog::Accepted);
}

TEST(HelpModal, OkEndsTheModalShow)
{
    frmHelp help;
    ModalAnswer answer("qm::frmHelp", [](QDialog* dialog) {
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
    });
    help.exec();
    EXPECT_TRUE(answer.answered());
    EXPECT_FALSE(help.isVisible());
}

// Names every label and button of window whose text would be cut off.
std::string cutOffTexts(QWidget* window)
{
    QStringList cut;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->text().isEmpty())
            continue;
        const bool fits = label->wordWrap() ? label->heightForWidth(label->width()) <= label->height()
                                            : label->sizeHint().width() <= label->width();
        if (!fits)
            cut << label->objectName();
    }
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        const QString text = QString(button->text()).remove(QLatin1Char('&'));
        if (button->fontMetrics().horizontalAdvance(text) + 6 > button->width())
            cut << button->objectName();
    }
    return cut.join(QLatin1String(", ")).toStdString();
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
