// SPDX-License-Identifier: MIT
#include <QPlainTextEdit>
#include <QPushButton>

#include "tests/ui/UiTestSupport.h"
#include "ui/frmFreeComments.h"

namespace qm::test {
namespace {

// Pasted text may bring any kind of line break.
TEST(FreeCommentsTest, EveryLineBreakComesBackAsCrLf) {
    frmFreeComments dialog;
    dialog.txtComments->setPlainText("pasted\r\nwith\rbreaks\n\nend");
    EXPECT_EQ(dialog.commentsText(), "pasted\r\nwith\r\nbreaks\r\n\r\nend");
}

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
        QTest::keyClicks(dialog.txtComments, "kept");
        EXPECT_FALSE(dialog.cmdOK->isDefault()) << name;
        close(dialog);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); })) << name;
        EXPECT_EQ(dialog.m_bOK, ok) << name;
        EXPECT_EQ(dialog.commentsText(), "kept") << name;  // hidden, so the caller still reads it
    }
}

}  // namespace
}  // namespace qm::test
