// SPDX-License-Identifier: MIT
#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <functional>
#include <QToolBar>
#include <QTreeView>
#include <QUrl>
#include <memory>

#include "generator/CommentBlock.h"
#include "settings/Settings.h"
#include "tests/support/FakeServices.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/UiTestSupport.h"
#include "ui/FormLayout.h"
#include "ui/KeyPreview.h"
#include "ui/frmFreeComments.h"
#include "ui/frmMain.h"
#include "ui/frmOptions.h"
#include "ui/frmParamAdd.h"

namespace qm::test {
namespace {

const char* const kLanguage1 = "[General]\r\nComments Type=1\r\n";

class MainWindowTest : public ::testing::Test {
protected:
    void open(const std::string& settings = {}) {
        writeSettings(settings);
        window = std::make_unique<frmMain>(fakes.services, [] { return DateTime{1998, 12, 6}; });
        showAndWait(window.get());
    }

    bool modal(const char* className, const std::function<void(QDialog*)>& answer,
               const std::function<void()>& press) {
        return AnswerModal(className, answer, press, window.get());
    }

    void clickToolbar(const char* key) {
        auto* action = window->Toolbar1->findChild<QAction*>(QString::fromLatin1(key));
        ASSERT_NE(action, nullptr) << key;
        QTest::mouseClick(window->Toolbar1->widgetForAction(action), Qt::LeftButton);
    }

    // Adds a row the way a developer does: Add, the fields reached by their ALT keys, Enter.
    void addParameter(const QString& name, bool optional, const QString& type, const QString& description) {
        modal(
            "qm::frmParamAdd",
            [&](QDialog* d) {
                QTest::keyClicks(static_cast<frmParamAdd*>(d)->txtParamName, name);
                altKey(Qt::Key_T);
                QTest::keyClicks(focused(), type);
                altKey(Qt::Key_D);
                QTest::keyClicks(focused(), description);
                // Under Visual C++ the box is hidden and out of reach.
                QCheckBox* box = static_cast<frmParamAdd*>(d)->chkOptional;
                if (optional && box->isVisible()) box->click();
                QTest::keyClick(focused(), Qt::Key_Return);
            },
            [&] { QTest::mouseClick(window->cmdParamAdd, Qt::LeftButton); });
    }

    void runOptions(int language, bool ok) {
        modal(
            "qm::frmOptions",
            [&](QDialog* d) {
                auto* dialog = static_cast<frmOptions*>(d);
                dialog->Option1[language]->click();
                QTest::mouseClick(ok ? dialog->cmdOK : dialog->cmdCancel, Qt::LeftButton);
            },
            [&] { clickToolbar("Options"); });
    }

    // Chooses General and types text line by line, then OK (or Esc when text is empty).
    bool runFreeText(const QString& text) {
        const auto answer = [&](QDialog* d) {
            QPlainTextEdit* box = static_cast<frmFreeComments*>(d)->txtComments;
            // Text typed in an earlier dialog never comes back.
            EXPECT_TRUE(box->toPlainText().isEmpty());
            for (const QString& line : (text.isEmpty() ? "dropped" : text).split('\n')) {
                if (!box->toPlainText().isEmpty()) QTest::keyClick(box, Qt::Key_Return);
                QTest::keyClicks(box, line);
            }
            if (text.isEmpty()) QTest::keyClick(box, Qt::Key_Escape);
            else QTest::mouseClick(static_cast<frmFreeComments*>(d)->cmdOK, Qt::LeftButton);
        };
        return modal("qm::frmFreeComments", answer,
                     [&] { QTest::mouseClick(window->optGeneral, Qt::LeftButton); });
    }

    // The page frame that is drawn in front.
    QWidget* frontPage() const {
        QWidget* w = window->childAt(window->frames[0]->geometry().center());
        while (w && w->parentWidget() != window.get()) w = w->parentWidget();
        return w;
    }

    // The headings (no row) or the texts of one row, one per column.
    QStringList texts(int row = -1) const {
        const QAbstractItemModel* model = window->lstParams->model();
        QStringList result;
        for (int i = 0; i < model->columnCount(); ++i)
            result
                << (row < 0 ? model->headerData(i, Qt::Horizontal) : model->index(row, i).data()).toString();
        return result;
    }
    int rowCount() const { return window->lstParams->model()->rowCount(); }

    FakeServices fakes;
    std::unique_ptr<frmMain> window;
};

TEST_F(MainWindowTest, AllFifteenAltKeysAct) {
    open();
    altKey(Qt::Key_P);
    EXPECT_EQ(frontPage(), window->frames[1]);
    EXPECT_EQ(focused(), window->cmdParamAdd);
    // Options and boxes act on the General page behind; only G and P switch pages. The keys are
    // rolled off as people do, ALT coming up before the letter.
    const std::pair<Qt::Key, QWidget*> rows[] = {
        {Qt::Key_F, window->optFunction},  {Qt::Key_O, window->optProperty},
        {Qt::Key_S, window->optSub},       {Qt::Key_T, window->optProtected},
        {Qt::Key_V, window->optPrivate},   {Qt::Key_U, window->optPublic},
        {Qt::Key_B, window->txtSubName},   {Qt::Key_E, window->txtSubPurpose},
        {Qt::Key_I, window->txtSubReturns}};
    for (const auto& [key, target] : rows) {
        const std::string name = target->objectName().toStdString();
        if (auto* box = qobject_cast<QLineEdit*>(target)) box->setText("text of " + box->objectName());
        window->cmdParamAdd->setFocus();
        QTest::keyPress(focused(), key, Qt::AltModifier);
        QTest::keyRelease(focused(), key);
        if (auto* option = qobject_cast<QRadioButton*>(target)) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return option->isChecked(); })) << name;
            EXPECT_EQ(focused(), window->txtSubName) << name;
        } else {
            EXPECT_EQ(focused(), target) << name;  // with the whole text selected
            EXPECT_EQ(static_cast<QLineEdit*>(target)->selectedText(), "text of " + target->objectName());
        }
        EXPECT_EQ(frontPage(), window->frames[1]) << name;
    }
    altKey(Qt::Key_G);
    EXPECT_EQ(frontPage(), window->frames[0]);
    EXPECT_EQ(focused(), window->txtSubName);
    modal(  // A from the General page presses Add on the page behind.
        "qm::frmParamAdd", [](QDialog*) { QTest::keyClick(focused(), Qt::Key_Return); },
        [] { altKey(Qt::Key_A); });
    EXPECT_EQ(rowCount(), 1);
    EXPECT_EQ(window->TabStrip1->currentIndex(), 0);
    altKey(Qt::Key_R);
    EXPECT_TRUE(QTest::qWaitFor([&] { return rowCount() == 0; }));
    modal(
        "qm::frmFreeComments", [](QDialog* d) { d->reject(); }, [] { altKey(Qt::Key_N); });
    EXPECT_TRUE(fakes.clipboard.calls.isEmpty());
}

// A key's release acts once per real press of it, when ALT was down as it went down or is down
// as it comes up: not for a held key's auto-repeats, whether marked as such or only stamped
// with the time of the press that follows (the release then waits a moment for that press),
// nor when a repeat's press comes after the release has acted. A letter key acts by its Latin
// key whatever the layout types, never typing it.
TEST_F(MainWindowTest, CopyKeyActsOncePerRealPressOfItsKey) {
    open();
    enum Repeats { Marked, Stamped, Late };
    // clang-format off
    const std::tuple<const char*, int, quint32, quint32, bool, int, Repeats, bool, int> rows[] = {
        // key, its code and symbol, ALT at the press, auto-repeats and how they come, ALT at the release, copies
        {"C", Qt::Key_C, 54, 'c', true, 0, Marked, true, 1},
        {"ALT let go first", Qt::Key_C, 54, 'c', true, 0, Marked, false, 1},
        {"ALT down after C", Qt::Key_C, 54, 'c', false, 0, Marked, true, 1},
        {"no ALT", Qt::Key_C, 54, 'c', false, 0, Marked, false, 0},
        {"held C", Qt::Key_C, 54, 'c', true, 3, Marked, true, 1},
        {"held C, repeats only stamped", Qt::Key_C, 54, 'c', true, 3, Stamped, true, 1},
        {"held C, a repeat's press late", Qt::Key_C, 54, 'c', true, 3, Late, true, 1},
        {"Cyrillic es on the C key", 0x421, 54, 0x6d3, true, 0, Marked, true, 1},
        {"Cyrillic es, Latin symbol", 0x421, 0, 'c', true, 2, Stamped, false, 1},
        {"o umlaut is no letter key", 0xd6, 47, 0xf6, true, 0, Marked, true, 0},
    };
    // clang-format on
    quint64 time = 1000;
    for (const auto& [name, key, code, symbol, altAtPress, repeats, how, altAtRelease, copies] : rows) {
        const auto send = [&](QEvent::Type type, bool alt, bool marked = false) {
            const QString text = QString(QChar(key)).toLower();  // what the layout would type
            QKeyEvent event(type, key, alt ? Qt::AltModifier : Qt::NoModifier, code, symbol, 0, text, marked);
            event.setTimestamp(time);
            QApplication::sendEvent(focused(), &event);
        };
        window->showNormal();  // the copy minimised it
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get())) << name;
        window->txtSubName->setText("kept");
        // Without ALT the letter would type itself into the name box.
        (altAtPress ? static_cast<QWidget*>(window->txtSubName) : window->optSub)->setFocus();
        fakes.clipboard.calls.clear();
        time += 500;
        send(QEvent::KeyPress, altAtPress);
        for (int i = 0; i < repeats; ++i) {
            time += 40;
            send(QEvent::KeyRelease, altAtPress, how == Marked);
            if (how == Late) QTest::qWait(3 * KeyPreview::kRepeatPairMs);
            send(QEvent::KeyPress, altAtPress, how == Marked);
        }
        time += 40;
        send(QEvent::KeyRelease, altAtRelease);
        QTest::qWait(3 * KeyPreview::kRepeatPairMs);
        EXPECT_EQ(fakes.clipboard.calls.size(), 2 * copies) << name;
        EXPECT_TRUE(copies == 0 || fakes.clipboard.calls.last().contains("Public Sub kept\r\n")) << name;
    }
}

// Cancel selects Sub and keeps the rest; OK copies the text framed, or, when that fails, says
// why, touches nothing and keeps the text for the next copy.
TEST_F(MainWindowTest, GeneralDialogCopiesItsTextOrSelectsSub) {
    open();
    QTest::keyClicks(window->txtSubName, "Keep");
    QTest::mouseClick(window->optPrivate, Qt::LeftButton);
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(runFreeText({}));
        EXPECT_TRUE(window->optSub->isChecked() && window->optPrivate->isChecked());
        EXPECT_TRUE(window->txtSubName->text() == "Keep" && focused() == window->txtSubName);
    }
    {
        ScopedEnv tmp("TMPDIR", "/nonexistent-quillmark-dir/");
        ASSERT_TRUE(runFreeText("one\ntwo"));
    }
    ASSERT_EQ(fakes.messageBox.texts.size(), 1);
    EXPECT_TRUE(fakes.messageBox.texts[0].contains("No such file or directory") &&
                fakes.messageBox.captions[0] == "DEVivIv");
    EXPECT_TRUE(fakes.clipboard.calls.isEmpty() && window->txtSubName->text() == "Keep");
    EXPECT_TRUE(window->optGeneral->isChecked() && !window->isMinimized());

    altKey(Qt::Key_C);
    EXPECT_EQ(fakes.clipboard.calls,
              QStringList({"clear", "setText:'" + QString(72, '=') + "\r\n' one\r\n' two\r\n'" +
                                        QString(72, '-') + "\r\n"}));
    // Ready for the next procedure, out of the way; the name box gets the focus when it is active again.
    EXPECT_TRUE(window->optSub->isChecked() && window->optPublic->isChecked() && rowCount() == 0);
    for (QLineEdit* box : {window->txtSubName, window->txtSubPurpose, window->txtSubReturns})
        EXPECT_TRUE(box->text().isEmpty());
    EXPECT_TRUE(window->TabStrip1->currentIndex() == 0 && frontPage() == window->frames[0]);
    EXPECT_TRUE(window->focusWidget() == window->txtSubName && window->isMinimized());
}

// Rows are added (a name twice gives two rows), removed by selection and keep their sub-items
// while the Optional column comes and goes with the language.
TEST_F(MainWindowTest, RowsAndTheOptionalColumnFollowTheLanguage) {
    open(kLanguage1);
    EXPECT_EQ(texts(), QStringList({"Name", "Type", "Description"}));
    addParameter("n", false, "int", "size");
    EXPECT_EQ(texts(0), QStringList({"n", "int", "size"}));

    runOptions(0, true);
    EXPECT_EQ(texts(), QStringList({"Name", "Optional", "Type", "Description"}));
    EXPECT_EQ(window->lstParams->columnWidth(1), FormTwipsX(window.get(), 600));
    EXPECT_EQ(texts(0), QStringList({"n", "int", "size", ""}));
    addParameter("x", true, "Long", "count");
    addParameter("x", false, "", "");
    modal(
        "qm::frmParamAdd", [](QDialog* d) { d->close(); },
        [&] { QTest::mouseClick(window->cmdParamAdd, Qt::LeftButton); });
    EXPECT_EQ(texts(2), QStringList({"x", "No", "", ""}));
    runOptions(1, false);
    EXPECT_EQ(texts().size(), 4);
    runOptions(1, true);
    EXPECT_EQ(texts(), QStringList({"Name", "Type", "Description"}));
    EXPECT_EQ(texts(1), QStringList({"x", "Yes", "Long"}));
    // Fields are read by column key: the Basic row's flag now shows, and is read, as its type.
    const ParameterEntry kept = window->snapshotDescription().parameters.at(1);
    EXPECT_EQ(QStringList({kept.Optional.c_str(), kept.Type.c_str(), kept.Description.c_str()}),
              QStringList({"", "Yes", "Long"}));
    runOptions(1, true);
    EXPECT_EQ(texts().size(), 3);

    // Remove takes the selected row away, here the middle one.
    const QStringList first = texts(0), last = texts(2);
    window->lstParams->setCurrentIndex(window->lstParams->model()->index(1, 0));
    QTest::mouseClick(window->cmdParamRemove, Qt::LeftButton);
    EXPECT_EQ(QList<QStringList>({texts(0), texts(1)}), QList<QStringList>({first, last}));
    window->lstParams->clearSelection();
    QTest::mouseClick(window->cmdParamRemove, Qt::LeftButton);
    EXPECT_EQ(rowCount(), 2);
}

// Closing unloads, minimised or not: the next showing starts empty and reads the settings
// again, whatever they hold.
TEST_F(MainWindowTest, EveryOpeningAfterACloseLoadsAfresh) {
    const std::tuple<bool, std::string, int, int> rows[] = {
        // minimised at the close, settings then, language and columns read
        {false, kLanguage1, 1, 3},
        {true, kLanguage1, 1, 3},
        {true, "\xff\xfe[General\r\n=\r\nComments Type\x01\r\n", 0, 4},
        {false, "[General]\r\nComments Type=2\r\n[Param Types VB]\r\nNumber=2147483647\r\n", 2, 4}};
    for (const auto& [minimised, settings, language, columns] : rows) {
        open();
        QTest::keyClicks(window->txtSubName, "Discarded");
        if (minimised) window->showMinimized();
        clickToolbar("Exit");
        EXPECT_FALSE(window->isVisible());
        writeSettings(settings);
        showAndWait(window.get());
        EXPECT_TRUE(window->txtSubName->text().isEmpty());
        EXPECT_EQ(TheSettings().CommentsType, language) << minimised;
        EXPECT_EQ(texts().size(), columns) << minimised;
    }
}

// A declaration or one of our blocks (alone or above its declaration) fills the form by any
// paste gesture, SHIFT+INSERT pasting the clipboard; anything else, or typed text, is what the
// name box makes of it, a single line. The form is read as the copy reads it.
TEST_F(MainWindowTest, PasteIntoTheNameBoxFillsTheForm) {
    const ProcedureDescription area{"Area",
                                    "Sizes",
                                    "twips",
                                    ProcedureKind::Property,
                                    AccessLevel::Private,
                                    {{"w", "No", "Long", "x"}, {"h", "Yes", "Scripting.File", "y"}}};
    const auto block = [&](int language) {
        return QString::fromStdString(BuildCommentBlock(area, language, "A", {}));
    };
    // clang-format off
    const std::tuple<const char*, std::string, QString, QString> rows[] = {
        {"", "ctrl+v", "Function GetTotal(ByVal ID As Long, Optional Tax As Boolean = True) As Currency",
         "Function Public GetTotal|typed|Currency|ID,No,Long,|Tax,Yes,Boolean,"},
        // Under Basic "Optional Scripting.File" runs into "h": the declaration below splits them.
        {"", "ctrl+v", block(0) + "Property Get Area(w As Long, Optional h As Scripting.File)",
         "Property Private Area|Sizes|twips|w,No,Long,x|h,Yes,Scripting.File,y"},
        {"", "menu", "GetTotal", "Sub Protected OldGetTotal|typed||old,No,,"},
        {"", "ctrl+v", "Friend Sub Tick(n As Long)", "Sub Public Tick|typed||n,No,Long,"},
        {"", "shift+insert", "Sub Go(ByVal n As Long)", "Sub Public Go|typed||n,No,Long,"},
        {"", "ctrl+v", "Dim x\r\nx = 1", "Sub Protected OldDim x|typed||old,No,,"},
        {"", "typed", "Sub Foo()", "Sub Protected OldSub Foo()|typed||old,No,,"},
        {kLanguage1, "ctrl+v", "protected: template <typename T>\n"
                               "std::map<int,std::string> Find(const T& k, int n = max(1, 2)) const;",
         "Function Protected Find|typed|std::map<int, std::string>|k,const T&,|n,int,"},
        {kLanguage1, "menu", block(1).remove('\r'), "Property Private Area|Sizes|twips|w,Long,x|h,Scripting.File,y"},
    };
    // clang-format on
    const char* const kinds[] = {"Sub", "Function", "Property", "General"};
    const char* const accesses[] = {"Public", "Private", "Protected", "Friend"};
    for (const auto& [settings, gesture, text, expected] : rows) {
        open(settings);
        QLineEdit* box = window->txtSubName;
        box->setText("Old");
        window->txtSubPurpose->setText("typed");
        window->optProtected->setChecked(true);
        window->appendParameter(ParamList::RowFromDialog(TheSettings().CommentsType, "old", false, "", ""));
        QGuiApplication::clipboard()->setText(text);
        if (gesture == "ctrl+v") QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        else if (gesture == "shift+insert") QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
        else if (gesture == "typed") QTest::keyClicks(box, text);
        else {
            QContextMenuEvent event(QContextMenuEvent::Mouse, {5, 5}, box->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(box, &event);
            std::unique_ptr<QWidget> menu(QApplication::activePopupWidget());
            ASSERT_NE(menu, nullptr);
            for (QAction* a : menu->actions())
                if (a->text().startsWith("&Paste")) a->trigger();
        }
        const ProcedureDescription d = window->snapshotDescription();
        QStringList form{QString("%1 %2 %3").arg(kinds[int(d.kind)], accesses[int(d.access)], d.name.c_str()),
                         d.purpose.c_str(), d.returns.c_str()};
        for (int row = 0; row < rowCount(); ++row) form << texts(row).join(',');
        EXPECT_EQ(form.join('|'), expected) << gesture;
    }
}

// A pasted block's next copy keeps every line of its history in order and adds one for today
// with the developer's name; a name typed after that copy, or a pasted declaration, starts anew.
TEST_F(MainWindowTest, CopyKeepsThePastedHistory) {
    const std::vector<HistoryLine> history{{"06-Dec-98", "B. Other", "Creation Date"},
                                           {"07-Jan-99", "C. Third", "Updated"},
                                           {"08-Feb-99", "B. Other", "Updated"}};
    const ProcedureDescription total{"GetTotal",          "Adds up", "", ProcedureKind::Function,
                                     AccessLevel::Public, {}};
    const QStringList created{"'      06-Dec-98            A. Developer                    Creation Date"};
    // clang-format off
    const std::tuple<bool, QString, QStringList> rows[] = {
        // pasted (or typed), the text, the history lines of the copy
        {true, QString::fromStdString(BuildCommentBlock(total, kVisualBasic, history)),
         {"'      06-Dec-98            B. Other                        Creation Date",
          "'      07-Jan-99            C. Third                              Updated",
          "'      08-Feb-99            B. Other                              Updated",
          "'      06-Dec-98            A. Developer                          Updated"}},
        {false, "GetTotal", created},
        {true, "Function GetTotal() As Long", created},
    };
    // clang-format on
    open("[General]\r\nPersonal Name=A. Developer\r\n");
    for (const auto& [pasted, text, expected] : rows) {
        window->showNormal();  // the copy minimised it
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        QGuiApplication::clipboard()->setText(text);
        if (pasted) QTest::keyClick(window->txtSubName, Qt::Key_V, Qt::ControlModifier);
        else QTest::keyClicks(window->txtSubName, text);
        altKey(Qt::Key_C);
        const QStringList lines = fakes.clipboard.calls.last().split("\r\n");
        const qsizetype first = lines.indexOf("'  History:") + 1;
        EXPECT_EQ(lines.mid(first, lines.indexOf("'" + QString(72, '='), first) - first), expected)
            << text.toStdString();
    }
}

TEST_F(MainWindowTest, NavigateOpensTheDocumentationOrSaysItCannot) {
    open();
    for (bool opens : {true, false}) {
        fakes.navigator.opens = opens;
        clickToolbar("Navigate");
        ASSERT_FALSE(fakes.navigator.addresses.isEmpty());
        const QUrl address(fakes.navigator.addresses.last());
        EXPECT_TRUE(address.isLocalFile() && QFileInfo(address.toLocalFile()).isFile());
        EXPECT_EQ(fakes.messageBox.captions, opens ? QStringList() : QStringList{"DEVivIv"});
    }
}

}  // namespace
}  // namespace qm::test
