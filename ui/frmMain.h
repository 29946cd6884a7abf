// SPDX-License-Identifier: MIT
// The main window: the procedure's name, purpose, returns, kind, access and parameters, and
// the toolbar whose Copy command puts the comment block on the clipboard.
#pragma once
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "generator/CommentBlock.h"
#include "platform/DateTime.h"
#include "ui/ParamList.h"
#include "ui/PastedDescription.h"

class QAction;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabBar;
class QToolBar;
class QTreeView;

namespace qm {

struct Services;
class frmAbout;
class KeyPreview;
class ParamListModel;

// Control names follow the form design; the two stacked pages frames(0) and frames(1) are
// the members frames[0] and frames[1], with the object names "frames0" and "frames1".
class frmMain : public QWidget {
    Q_OBJECT
public:
    using Clock = std::function<DateTime()>;

    // The window starts unloaded: the first show (or an explicit Form_Load) reads the settings.
    explicit frmMain(Services& services, Clock clock = LocalNow, QWidget* parent = nullptr);
    ~frmMain() override;

    // Reads the settings file into the settings, dropping the "Optional" column under
    // Visual C++ as soon as the language is known. Runs again on the first show after a close.
    void Form_Load();
    void Form_Unload();
    // ALT+B, ALT+E, ALT+I focus the three text boxes and ALT+C copies, on the letter's release;
    // the key preview counts ALT as held when it was down as the letter went down.
    void Form_KeyUp(int KeyCode, Qt::KeyboardModifiers Shift);

    // Builds the block from the window, puts it on the clipboard, resets and minimises the
    // window. When the block cannot be built the reason is shown and nothing else changes.
    void CopyComments();
    // The description the window shows, as the generator reads it.
    ProcedureDescription snapshotDescription() const;
    // The parameter list as it stands: its columns and rows.
    const ParamList& paramList() const;
    // Appends a row to lstParams and selects it, as OK in the Add New Parameter dialog does.
    void appendParameter(ParamRow row);
    // Shows a pasted description: name, kind, access, returns, the purpose when it has one,
    // and the parameter list replaced by its rows laid out for the current language. A pasted
    // block's history is kept: its next copy has every line of it and one for today.
    void showPastedDescription(const PastedDescription& pasted);

    void Toolbar1_ButtonClick(QAction* Button);
    void TabStrip1_Click();
    void optSub_Click();
    void optFunction_Click();
    void optProperty_Click();
    void optGeneral_Click();
    void optPublic_Click();
    void optProtected_Click();
    void optPrivate_Click();
    void txtSubName_GotFocus();
    void txtSubPurpose_GotFocus();
    void txtSubReturns_GotFocus();
    void cmdParamAdd_Click();
    void cmdParamRemove_Click();

    QToolBar* Toolbar1 = nullptr;
    QTabBar* TabStrip1 = nullptr;
    QFrame* frames[2] = {};
    QGroupBox* Frame1 = nullptr;
    QRadioButton* optSub = nullptr;
    QRadioButton* optFunction = nullptr;
    QRadioButton* optProperty = nullptr;
    QRadioButton* optGeneral = nullptr;
    QGroupBox* Frame2 = nullptr;
    QRadioButton* optPublic = nullptr;
    QRadioButton* optProtected = nullptr;
    QRadioButton* optPrivate = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtSubName = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* txtSubPurpose = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtSubReturns = nullptr;
    QTreeView* lstParams = nullptr;
    QPushButton* cmdParamAdd = nullptr;
    QPushButton* cmdParamRemove = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildToolbar();
    void buildTabStrip();
    void placeTabStrip();
    // Both pages in one rectangle, the General page in front.
    void buildPages();
    void buildGeneralPage(QFrame* page);
    void buildParametersPage(QFrame* page);
    void connectHandlers();
    bool takePaste(const QString& text);

    void selectTab(int index);
    void clearDescription();
    void unload();
    void showColumnWidths();
    void runOptions();
    void showAbout();
    void showHelp();

    Services& m_services;
    Clock m_clock;
    ParamListModel* m_params = nullptr;
    // The free text confirmed in the General dialog; kept when building its block fails.
    QString m_freeText;
    // The history of the block last pasted, kept for its next copy; none for a new procedure.
    std::optional<std::vector<HistoryLine>> m_pastedHistory;
    KeyPreview* m_keyPreview = nullptr;
    frmAbout* m_about = nullptr;
    bool m_loaded = false;
};

}  // namespace qm
