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

TEST(HelpWindow, ShowsTheTableAndEachTabBringsItsPageToTheFront) {
    frmHelp help;
    showAndWait(&help);
    auto* strip = child<QTabBar>(&help, "TabStrip1");
    EXPECT_EQ(child<QPlainTextEdit>(&help, "Text1")->toPlainText().replace('\n', "\r\n") + "\r\n",
              HotkeyTableText());
    EXPECT_EQ(focused(), child<QPushButton>(&help, "cmdOK"));
    for (int index : {1, 1, 0}) {
        QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(index).center());
        QWidget* w = help.childAt(child<QFrame>(&help, "Frames0")->geometry().center());
        while (w && !w->objectName().startsWith(QLatin1String("Frames"))) w = w->parentWidget();
        EXPECT_EQ(w, child<QFrame>(&help, index ? "Frames1" : "Frames0"));
    }
    // Neither page is hidden: only the stacking order decides which one shows.
    EXPECT_TRUE(child<QFrame>(&help, "Frames1")->isVisible());
}

// Names every label and button of window whose text would be cut off.
std::string cutOffTexts(QWidget* window) {
    QStringList cut;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (!label->text().isEmpty() &&
            (label->wordWrap() ? label->heightForWidth(label->width()) > label->height()
                               : label->sizeHint().width() > label->width()))
            cut << label->objectName();
    }
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        if (button->fontMetrics().horizontalAdvance(QString(button->text()).remove('&')) + 6 >
            button->width())
            cut << button->objectName();
    }
    return cut.join(", ").toStdString();
}

TEST(InfoWindows, EveryTextFitsAtSmallAndLargeDesktopFonts) {
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
