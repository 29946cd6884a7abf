// SPDX-License-Identifier: MIT
#include <QPlainTextEdit>
#include <QPushButton>

#include "tests/ui/UiTestSupport.h"
#include "ui/frmFreeComments.h"
#include "ui/modMain.h"

namespace qm::test {
namespace {

TEST(FreeCommentsTest, EnterStartsALineAndTheTextComesWithCrLf)
{
    frmFreeComments dialog;
    showAndWait(&dialog);
    QTest::keyClicks(dialog.txtComments, "first");
    QTest::keyClick(dialog.txtComments, Qt::Key_Return);
    QTest::keyClick(dialog.txtComments, Qt::Key_Return);
    QTest::keyClicks(dialog.txtComments, "third");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(dialog.m_bOK);
    EXPECT_EQ(dialog.commentsText(), "first\r\n\r\nthird");

    dialog.txtComments->setPlainText("pasted\r\nwith\rbreaks");
    EXPECT_EQ(dialog.commentsText(), "pasted\r\nwith\r\nbreaks");
}

TEST(FreeCommentsTest, OnlyOkConfirms)
{
    const std::pair<const char*, std::function<void(frmFreeComments&)>> rows[] = {
        {"OK", [](frmFreeComments& d) { QTest::mouseClick(d.cmdOK, Qt::LeftButton); }},
        {"ALT+O", [](frmFreeComments&) { altKey(Qt::Key_O); }},
        {"Cancel", [](frmFreeComments& d) { QTest::mouseClick(d.cmdCancel, Qt::LeftButton); }},
        {"Esc", [](frmFreeComments& d) { QTest::keyClick(d.txtComments, Qt::Key_Escape); }},
        {"close box", [](frmFreeComments& d) { d.close(); }},
    };
    for (const auto& [name, close] : rows) {
        frmFreeComments dialog;
        showAndWait(&dialog);
        QTest::keyClicks(dialog.txtComments, "kept");
        close(dialog);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); })) << name;
        EXPECT_EQ(dialog.m_bOK, name == std::string("OK") || name == std::string("ALT+O")) << name;
        // Hidden, not destroyed: the caller still reads the text.
        EXPECT_EQ(dialog.commentsText(), "kept") << name;
    }
}

TEST(FreeCommentsTest, FocusSelectsTheWholeText)
{
    frmFreeComments dialog;
    showAndWait(&dialog);
    dialog.txtComments->setPlainText("line one\nline two");
    dialog.cmdOK->setFocus();
    QTest::keyClick(dialog.cmdOK, Qt::Key_Backtab);
    EXPECT_TRUE(dialog.txtComments->hasFocus());
    EXPECT_EQ(dialog.txtComments->textCursor().selectedText(),
              QString("line one") + QChar::ParagraphSeparator + "line two");
}

}  // namespace
}  // namespace qm::test
