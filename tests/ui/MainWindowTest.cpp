// SPDX-License-Identifier: MIT
#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QToolBar>
#include <QTreeWidget>
#include <memory>
#include <sstream>

#include "settings/Settings.h"
#include "tests/ui/FakeServices.h"
#include "tests/ui/UiTestSupport.h"
#include "ui/FormLayout.h"
#include "ui/frmFreeComments.h"
#include "ui/frmMain.h"
#include "ui/frmOptions.h"
#include "ui/frmParamAdd.h"

namespace qm::test {
namespace {

const char* const kLanguage1 = "[General]\r\nComments Type=1\r\n";

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override { writeSettings({}); }

    void open(const std::string& settings = {})
    {
        writeSettings(settings);
        window = std::make_unique<frmMain>(fakes.services, [] { return DateTime{1998, 12, 6}; });
        showAndWait(window.get());
    }

    // Waits for the answer, then gives the focus back to the main window: the dialogs have
    // no owner, and the offscreen platform has no window manager to reactivate it.
    bool settle(ModalAnswer& answer)
    {
        const bool answered = answer.wait();
        if (window->isVisible() && !window->isMinimized()) {
            window->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        }
        return answered;
    }

    void clickToolbar(const char* key)
    {
        auto* action = window->Toolbar1->findChild<QAction*>(QString::fromLatin1(key));
        ASSERT_NE(action, nullptr) << key;
        QTest::mouseClick(window->Toolbar1->widgetForAction(action), Qt::LeftButton);
    }

    void clickTab(int index)
    {
        QTest::mouseClick(window->TabStrip1, Qt::LeftButton, {},
                          window->TabStrip1->tabRect(index).center());
    }

    // Adds a row the way a developer does: Add, the fields reached by their ALT keys, Enter.
    void addParameter(const QString& name, bool optional, const QString& type,
                      const QString& description)
    {
        ModalAnswer answer("qm::frmParamAdd", [&](QDialog* d) {
            auto* dialog = static_cast<frmParamAdd*>(d);
            QTest::keyClicks(dialog->txtParamName, name);
            altKey(Qt::Key_T);
            QTest::keyClicks(focused(), type);
            altKey(Qt::Key_D);
            QTest::keyClicks(focused(), description);
            // Under Visual C++ the box is hidden and out of reach.
            if (optional && dialog->chkOptional->isVisible())
                dialog->chkOptional->click();
            QTest::keyClick(focused(), Qt::Key_Return);
        });
        QTest::mouseClick(window->cmdParamAdd, Qt::LeftButton);
        settle(answer);
    }

    void runOptions(int language, bool ok)
    {
        ModalAnswer answer("qm::frmOptions", [&](QDialog* d) {
            auto* dialog = static_cast<frmOptions*>(d);
            dialog->Option1[language]->click();
            QTest::mouseClick(ok ? dialog->cmdOK : dialog->cmdCancel, Qt::LeftButton);
        });
        clickToolbar("Options");
        settle(answer);
    }

    // Answers the free-text dialog by typing text, then OK (or Esc when text is empty).
    bool runFreeText(const QString& text)
    {
        ModalAnswer answer("qm::frmFreeComments", [&](QDialog* d) {
            auto* dialog = static_cast<frmFreeComments*>(d);
            // Text typed in an earlier dialog never comes back.
            EXPECT_TRUE(dialog->txtComments->toPlainText().isEmpty());
            for (const QString& line : (text.isEmpty() ? "dropped" : text).split('\n')) {
                if (!dialog->txtComments->toPlainText().isEmpty())
                    QTest::keyClick(dialog->txtComments, Qt::Key_Return);
                QTest::keyClicks(dialog->txtComments, line);
            }
            if (text.isEmpty())
                QTest::keyClick(dialog->txtComments, Qt::Key_Escape);
            else
                QTest::mouseClick(dialog->cmdOK, Qt::LeftButton);
        });
        QTest::mouseClick(window->optGeneral, Qt::LeftButton);
        return settle(answer);
    }

    // The page frame that is drawn in front.
    QWidget* frontPage() const
    {
        QWidget* w = window->childAt(window->frames[0]->geometry().center());
        while (w && w->parentWidget() != window.get())
            w = w->parentWidget();
        return w;
    }

    // The headings (no row) or the texts of one row, one per column.
    QStringList texts(int row = -1) const
    {
        QTreeWidgetItem* item = row < 0 ? window->lstParams->headerItem()
                                        : window->lstParams->topLevelItem(row);
        QStringList result;
        for (int i = 0; i < window->lstParams->columnCount(); ++i)
            result << item->text(i);
        return result;
    }

    // After a copy: ready for the next procedure, out of the way.
    void expectResetAndMinimised()
    {
        EXPECT_TRUE(window->optSub->isChecked() && window->optPublic->isChecked());
        for (QLineEdit* box : {window->txtSubName, window->txtSubPurpose, window->txtSubReturns})
            EXPECT_TRUE(box->text().isEmpty());
        EXPECT_EQ(window->lstParams->topLevelItemCount(), 0);
        EXPECT_EQ(window->TabStrip1->currentIndex(), 0);
        EXPECT_EQ(frontPage(), window->frames[0]);
        // A minimised window is not active; the name box gets the focus when it is again.
        EXPECT_EQ(window->focusWidget(), window->txtSubName);
        EXPECT_TRUE(window->isMinimized());
    }

    FakeServices fakes;
    std::unique_ptr<frmMain> window;
};

TEST_F(MainWindowTest, WorkedExampleTypedInCopiesExactBlockThenResetsAndMinimises)
{
    open("[General]\r\nComments Type=0\r\nPersonal Name=A. Developer\r\n"
         "[Param Types VB]\r\nNumber=2\r\nParam1=Long\r\nParam2=Boolean\r\n");
    QTest::keyClicks(window->txtSubName, "GetTotal");
    altKey(Qt::Key_E);
    QTest::keyClicks(focused(), "Adds up the lines of one order");
    altKey(Qt::Key_I);
    QTest::keyClicks(focused(), "Currency; the order total");
    QTest::mouseClick(window->optFunction, Qt::LeftButton);
    clickTab(1);
    addParameter("OrderID", false, "Long", "Order to total");
    addParameter("IncludeTax", true, "Boolean", "Add sales tax");
    ASSERT_EQ(texts(1), QStringList({"IncludeTax", "Yes", "Boolean", "Add sales tax"}));

    clickToolbar("Copy");

    std::ostringstream expected;
    expected << std::ifstream(QM_TEST_DATA_DIR "/worked_example_vb.txt", std::ios::binary).rdbuf();
    ASSERT_FALSE(expected.str().empty());
    EXPECT_EQ(fakes.clipboard.calls,
              QStringList({"clear", "setText:" + QString::fromStdString(expected.str())}));
    expectResetAndMinimised();
}

TEST_F(MainWindowTest, AllFifteenAltKeysAct)
{
    open();
    clickTab(1);
    // The options keep the Parameters page in front: only G and P switch pages.
    for (const auto& [key, option] :
         {std::pair{Qt::Key_F, window->optFunction}, {Qt::Key_O, window->optProperty},
          {Qt::Key_S, window->optSub}, {Qt::Key_T, window->optProtected},
          {Qt::Key_V, window->optPrivate}, {Qt::Key_U, window->optPublic}}) {
        window->cmdParamAdd->setFocus();
        altKey(key);
        QRadioButton* button = option;
        EXPECT_TRUE(QTest::qWaitFor([&] { return button->isChecked(); }))
            << button->objectName().toStdString();
        EXPECT_EQ(focused(), window->txtSubName) << button->objectName().toStdString();
        EXPECT_EQ(frontPage(), window->frames[1]);
    }
    // B, E and I reach the boxes behind the list, each with its whole text selected.
    for (const auto& [key, box] : {std::pair{Qt::Key_B, window->txtSubName},
                                   {Qt::Key_E, window->txtSubPurpose},
                                   {Qt::Key_I, window->txtSubReturns}}) {
        box->setText("text of " + box->objectName());
        window->cmdParamAdd->setFocus();
        altKey(key);
        EXPECT_EQ(focused(), box);
        EXPECT_EQ(box->selectedText(), "text of " + box->objectName());
    }
    EXPECT_EQ(window->TabStrip1->currentIndex(), 1);

    altKey(Qt::Key_G);
    EXPECT_EQ(frontPage(), window->frames[0]);
    EXPECT_EQ(focused(), window->txtSubName);
    {  // A from the General page presses Add on the page behind.
        ModalAnswer answer("qm::frmParamAdd", [](QDialog* d) {
            QTest::keyClicks(static_cast<frmParamAdd*>(d)->txtParamName, "n");
            QTest::keyClick(focused(), Qt::Key_Return);
        });
        altKey(Qt::Key_A);
        settle(answer);
    }
    EXPECT_EQ(window->lstParams->topLevelItemCount(), 1);
    EXPECT_EQ(window->TabStrip1->currentIndex(), 0);

    altKey(Qt::Key_P);
    EXPECT_EQ(frontPage(), window->frames[1]);
    EXPECT_EQ(focused(), window->cmdParamAdd);
    altKey(Qt::Key_R);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->lstParams->topLevelItemCount() == 0; }));
    {
        ModalAnswer answer("qm::frmFreeComments", [](QDialog* d) { d->reject(); });
        altKey(Qt::Key_N);
        settle(answer);
    }
    EXPECT_TRUE(fakes.clipboard.calls.isEmpty());
    altKey(Qt::Key_C);
    EXPECT_EQ(fakes.clipboard.calls.size(), 2);
    EXPECT_TRUE(window->isMinimized());
}

TEST_F(MainWindowTest, AltLetGoBeforeTheLetterDoesNothing)
{
    open();
    window->txtSubName->setText("kept");
    window->txtSubName->setFocus();
    window->txtSubName->deselect();
    for (Qt::Key key : {Qt::Key_E, Qt::Key_I, Qt::Key_C}) {
        altKey(key, true);
        EXPECT_EQ(focused(), window->txtSubName);
    }
    EXPECT_TRUE(fakes.clipboard.calls.isEmpty());
    EXPECT_EQ(window->txtSubName->text(), "kept");  // nor is the letter typed
}

TEST_F(MainWindowTest, GeneralOkCopiesFreeTextBlock)
{
    open();
    ASSERT_TRUE(runFreeText("one\ntwo\nthree"));
    const QString rule = "'" + QString(72, '=') + "\r\n";
    EXPECT_EQ(fakes.clipboard.calls,
              QStringList({"clear", "setText:" + rule + "' one\r\n' two\r\n' three\r\n'"
                                        + QString(72, '-') + "\r\n"}));
    expectResetAndMinimised();
}

TEST_F(MainWindowTest, GeneralCancelSelectsSubAndKeepsFields)
{
    open();
    QTest::keyClicks(window->txtSubName, "Keep");
    QTest::mouseClick(window->optPrivate, Qt::LeftButton);
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(runFreeText({}));
        EXPECT_TRUE(window->optSub->isChecked() && window->optPrivate->isChecked());
        EXPECT_EQ(window->txtSubName->text(), "Keep");
        EXPECT_EQ(focused(), window->txtSubName);
    }
    EXPECT_TRUE(fakes.clipboard.calls.isEmpty());
    EXPECT_FALSE(window->isMinimized());
}

TEST_F(MainWindowTest, FreeTextBuildFailureShowsReasonAndTouchesNothing)
{
    open();
    const QByteArray savedTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", "/nonexistent-quillmark-dir/");
    QTest::keyClicks(window->txtSubName, "Keep");
    ASSERT_TRUE(runFreeText("body"));
    ASSERT_EQ(fakes.messageBox.texts.size(), 1);
    EXPECT_TRUE(fakes.messageBox.texts[0].contains("No such file or directory"))
        << fakes.messageBox.texts[0].toStdString();
    EXPECT_EQ(fakes.messageBox.captions[0], "DEVivIv");
    EXPECT_TRUE(fakes.clipboard.calls.isEmpty());
    EXPECT_TRUE(window->optGeneral->isChecked());
    EXPECT_EQ(window->txtSubName->text(), "Keep");
    EXPECT_FALSE(window->isMinimized());

    // The confirmed text survives, so copying once the directory is back gives the block.
    qputenv("TMPDIR", savedTmp);
    altKey(Qt::Key_C);
    ASSERT_EQ(fakes.clipboard.calls.size(), 2);
    EXPECT_TRUE(fakes.clipboard.calls[1].contains("' body\r\n"));
}

TEST_F(MainWindowTest, OptionalColumnFollowsTheLanguage)
{
    open(kLanguage1);
    EXPECT_EQ(texts(), QStringList({"Name", "Type", "Description"}));
    clickTab(1);
    addParameter("n", false, "int", "size");
    EXPECT_EQ(texts(0), QStringList({"n", "int", "size"}));

    runOptions(0, true);
    EXPECT_EQ(texts(), QStringList({"Name", "Optional", "Type", "Description"}));
    EXPECT_EQ(window->lstParams->columnWidth(1), FormTwipsX(window.get(), 600));
    EXPECT_EQ(texts(0), QStringList({"n", "int", "size", ""}));  // rows keep their sub-items
    addParameter("x", true, "Long", "count");

    runOptions(1, false);
    EXPECT_EQ(texts().size(), 4);
    runOptions(1, true);
    EXPECT_EQ(texts(), QStringList({"Name", "Type", "Description"}));
    EXPECT_EQ(texts(1), QStringList({"x", "Yes", "Long"}));
    runOptions(1, true);
    EXPECT_EQ(texts().size(), 3);
    EXPECT_EQ(TheSettings().CommentsType, 1);
}

TEST_F(MainWindowTest, AddAndRemoveRows)
{
    open();
    clickTab(1);
    addParameter("x", true, "Long", "count");
    addParameter("x", false, "", "");  // the same name twice gives two rows
    ModalAnswer cancelled("qm::frmParamAdd", [](QDialog* d) { d->close(); });
    QTest::mouseClick(window->cmdParamAdd, Qt::LeftButton);
    ASSERT_TRUE(settle(cancelled));
    ASSERT_EQ(window->lstParams->topLevelItemCount(), 2);

    window->lstParams->setCurrentItem(window->lstParams->topLevelItem(0));
    QTest::mouseClick(window->cmdParamRemove, Qt::LeftButton);
    EXPECT_EQ(window->paramList().rows().size(), 1u);
    EXPECT_EQ(texts(0), QStringList({"x", "No", "", ""}));
    window->lstParams->clearSelection();
    QTest::mouseClick(window->cmdParamRemove, Qt::LeftButton);
    EXPECT_EQ(window->lstParams->topLevelItemCount(), 1);
}

TEST_F(MainWindowTest, MissingOrDamagedSettingsStillOpenTheWindow)
{
    static const char garbage[] = "\0\xff\xfe[General\r\n=\r\n\x01\x02";
    for (const auto& [content, language] :
         {std::pair{std::string(), 0}, {std::string(garbage, sizeof garbage - 1), 0},
          {"[General]\r\nComments Type=x\r\n", 0},
          {"[General]\r\nComments Type=2\r\n[Param Types VB]\r\nNumber=2147483647\r\n", 2}}) {
        open(content);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(TheSettings().CommentsType, language);
        EXPECT_EQ(window->lstParams->columnCount(), 4);
    }
}

TEST_F(MainWindowTest, NavigateAndExit)
{
    open();
    clickToolbar("Navigate");
    ASSERT_EQ(fakes.navigator.addresses.size(), 1);
    EXPECT_TRUE(fakes.navigator.addresses[0].startsWith("https://"));
    // Exit unloads: the next show starts empty and reads the settings again.
    QTest::keyClicks(window->txtSubName, "Discarded");
    clickToolbar("Exit");
    EXPECT_FALSE(window->isVisible());
    writeSettings(kLanguage1);
    showAndWait(window.get());
    EXPECT_TRUE(window->txtSubName->text().isEmpty());
    EXPECT_EQ(texts().size(), 3);
}

}  // namespace
}  // namespace qm::test
