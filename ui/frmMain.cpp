// SPDX-License-Identifier: MIT
#include "ui/frmMain.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QToolBar>
#include <QTreeView>
#include <exception>
#include <memory>
#include <optional>

#include "settings/FreeTextBlock.h"
#include "platform/qt/Services.h"
#include "resources/AppIconEngine.h"
#include "settings/Settings.h"
#include "ui/FormLayout.h"
#include "ui/KeyPreview.h"
#include "ui/ParamListModel.h"
#include "ui/PasteReader.h"
#include "ui/frmAbout.h"
#include "ui/frmFreeComments.h"
#include "ui/frmHelp.h"
#include "ui/frmOptions.h"
#include "ui/frmParamAdd.h"
#include "ui/modMain.h"

namespace qm {
namespace {

const QString kWebTarget = QStringLiteral("_blank");

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

frmMain::frmMain(Services& services, Clock clock, QWidget* parent)
    : QWidget(parent, Qt::Window), m_services(services), m_clock(std::move(clock)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quillmark 98"));
    setWindowIcon(AppIcon(QStringLiteral("quillmark")));
    FixClientSizeTwips(this, 5310, 4095, true);

    buildToolbar();
    buildTabStrip();
    buildPages();

    ChainTabOrder({txtSubName, txtSubPurpose, txtSubReturns, optSub, optFunction, optProperty, optGeneral,
                   optPublic, optProtected, optPrivate, lstParams, cmdParamAdd, cmdParamRemove, TabStrip1});

    m_keyPreview =
        new KeyPreview(this, [this](int key, Qt::KeyboardModifiers shift) { Form_KeyUp(key, shift); });
    m_keyPreview->leaveLetterToKeyUp(Label1, txtSubName);
    m_keyPreview->leaveLetterToKeyUp(Label2, txtSubPurpose);
    m_keyPreview->leaveLetterToKeyUp(Label3, txtSubReturns);
    new PasteReader(txtSubName, [this](const QString& text) { return takePaste(text); });
    new PasteReader(txtSubPurpose);
    new PasteReader(txtSubReturns);

    FitFormToCaptions(this);
    placeTabStrip();
    connectHandlers();
    showColumnWidths();
    txtSubName->setFocus();
}

frmMain::~frmMain() = default;

void frmMain::connectHandlers() {
    connect(Toolbar1, &QToolBar::actionTriggered, this, &frmMain::Toolbar1_ButtonClick);
    connect(TabStrip1, &QTabBar::currentChanged, this, &frmMain::TabStrip1_Click);
    // An option's click is its becoming selected, by the user or by the program.
    const std::pair<QRadioButton*, void (frmMain::*)()> options[] = {
        {optSub, &frmMain::optSub_Click},           {optFunction, &frmMain::optFunction_Click},
        {optProperty, &frmMain::optProperty_Click}, {optGeneral, &frmMain::optGeneral_Click},
        {optPublic, &frmMain::optPublic_Click},     {optProtected, &frmMain::optProtected_Click},
        {optPrivate, &frmMain::optPrivate_Click},
    };
    for (const auto& [option, handler] : options) {
        connect(option, &QRadioButton::toggled, this, [this, handler = handler](bool checked) {
            if (checked) (this->*handler)();
        });
    }
    connect(cmdParamAdd, &QPushButton::clicked, this, &frmMain::cmdParamAdd_Click);
    connect(cmdParamRemove, &QPushButton::clicked, this, &frmMain::cmdParamRemove_Click);
}

void frmMain::Form_Load() {
    LoadSettings([this](std::int32_t commentsType) {
        if (commentsType == kVisualCpp &&
            m_params->changeColumns([](ParamList& list) { return list.removeOptionalColumn(); }))
            showColumnWidths();
    });
    DoEvents();
    m_loaded = true;
}

void frmMain::Form_Unload() {}

void frmMain::Form_KeyUp(int KeyCode, Qt::KeyboardModifiers Shift) {
    if (!(Shift & Qt::AltModifier)) return;
    switch (KeyCode) {
    case Qt::Key_B: txtSubName->setFocus(Qt::ShortcutFocusReason); break;
    case Qt::Key_E: txtSubPurpose->setFocus(Qt::ShortcutFocusReason); break;
    case Qt::Key_I: txtSubReturns->setFocus(Qt::ShortcutFocusReason); break;
    case Qt::Key_C: CopyComments(); break;
    default: break;
    }
}

ProcedureDescription frmMain::snapshotDescription() const {
    ProcedureDescription description;
    description.name = txtSubName->text().toStdString();
    description.purpose = txtSubPurpose->text().toStdString();
    description.returns = txtSubReturns->text().toStdString();
    if (optFunction->isChecked()) description.kind = ProcedureKind::Function;
    else if (optProperty->isChecked()) description.kind = ProcedureKind::Property;
    else if (optGeneral->isChecked()) description.kind = ProcedureKind::General;
    if (optProtected->isChecked()) description.access = AccessLevel::Protected;
    else if (optPrivate->isChecked()) description.access = AccessLevel::Private;
    description.parameters = m_params->list().entries();
    return description;
}

const ParamList& frmMain::paramList() const { return m_params->list(); }

void frmMain::CopyComments() {
    const ProcedureDescription description = snapshotDescription();
    const Settings& settings = TheSettings();
    std::string block;
    if (description.kind == ProcedureKind::General) {
        try {
            block = BuildFreeTextBlock(m_freeText.toStdString(), settings.CommentsType);
        } catch (const std::exception& error) {
            // The clipboard and the window stay as they are, so the copy can be retried.
            m_services.messageBox.show(this, QStringLiteral("The comment could not be built: %1")
                                                 .arg(QString::fromLocal8Bit(error.what())));
            return;
        }
    } else if (m_pastedHistory) {
        // One of our blocks, pasted and edited: its history goes on, with a line for today.
        std::vector<HistoryLine> history = *m_pastedHistory;
        history.push_back(
            {FormatCommentDate(m_clock ? m_clock() : LocalNow()), settings.PersonalName, "Updated"});
        block = BuildCommentBlock(description, settings.CommentsType, history);
    } else {
        block = BuildCommentBlock(description, settings.CommentsType, settings.PersonalName,
                                  m_clock ? m_clock() : LocalNow());
    }
    m_services.clipboard.clear();
    m_services.clipboard.setText(FromUtf8(block));
    clearDescription();
    selectTab(0);
    DoEvents();
    showMinimized();
}

// Sub, Public, empty boxes and list, the focus in the name box: after a copy and on unload.
void frmMain::clearDescription() {
    optSub->setChecked(true);
    optPublic->setChecked(true);
    for (QLineEdit* box : {txtSubName, txtSubPurpose, txtSubReturns}) box->clear();
    m_params->clearRows();
    m_freeText.clear();
    m_pastedHistory.reset();
    txtSubName->setFocus();
}

void frmMain::selectTab(int index) {
    // Selecting the tab that is already selected still runs the page switch.
    if (TabStrip1->currentIndex() == index) TabStrip1_Click();
    else TabStrip1->setCurrentIndex(index);
}

void frmMain::TabStrip1_Click() {
    const int index = TabStrip1->currentIndex();
    if (index < 0 || index > 1) return;
    frames[index]->raise();
    DoEvents();
    if (index == 0) txtSubName->setFocus();
    else cmdParamAdd->setFocus();
}

void frmMain::optSub_Click() { txtSubName->setFocus(); }
void frmMain::optFunction_Click() { txtSubName->setFocus(); }
void frmMain::optProperty_Click() { txtSubName->setFocus(); }
void frmMain::optPublic_Click() { txtSubName->setFocus(); }
void frmMain::optProtected_Click() { txtSubName->setFocus(); }
void frmMain::optPrivate_Click() { txtSubName->setFocus(); }

void frmMain::optGeneral_Click() {
    // A new dialog each time, so an earlier cancelled text never comes back. It belongs to this
    // window, so the window manager minimises and restores it with the window.
    auto dialog = std::make_unique<frmFreeComments>(this);
    dialog->exec();
    if (dialog->m_bOK) {
        m_freeText = dialog->commentsText();
        dialog.reset();
        CopyComments();
    } else {
        dialog.reset();
        optSub->setChecked(true);
    }
}

void frmMain::txtSubName_GotFocus() { SelectAllText(txtSubName); }
void frmMain::txtSubPurpose_GotFocus() { SelectAllText(txtSubPurpose); }
void frmMain::txtSubReturns_GotFocus() { SelectAllText(txtSubReturns); }

void frmMain::cmdParamAdd_Click() {
    const DevelopmentLanguage language = TheSettings().CommentsType;
    auto dialog = std::make_unique<frmParamAdd>(this);
    if (language == kVisualCpp) dialog->chkOptional->hide();
    dialog->exec();
    if (dialog->m_bOK) appendParameter(dialog->row());
}

void frmMain::appendParameter(ParamRow row) {
    m_params->appendRow(std::move(row));
    // The new row is the selected one, so Remove right after Add takes it away again.
    lstParams->setCurrentIndex(m_params->index(m_params->rowCount() - 1, 0));
}

// A declaration or one of our blocks fills the form; anything else is left to the box.
bool frmMain::takePaste(const QString& text) {
    const std::optional<PastedDescription> pasted =
        DescribePastedText(text.toStdString(), TheSettings().CommentsType);
    if (pasted) showPastedDescription(*pasted);
    return pasted.has_value();
}

void frmMain::showPastedDescription(const PastedDescription& pasted) {
    const ProcedureDescription& description = pasted.description;
    m_pastedHistory = pasted.history;
    txtSubName->setText(FromUtf8(description.name));
    if (pasted.hasPurpose) txtSubPurpose->setText(FromUtf8(description.purpose));
    txtSubReturns->setText(FromUtf8(description.returns));
    const std::pair<ProcedureKind, QRadioButton*> kinds[] = {{ProcedureKind::Sub, optSub},
                                                             {ProcedureKind::Function, optFunction},
                                                             {ProcedureKind::Property, optProperty}};
    for (const auto& [kind, option] : kinds)
        if (description.kind == kind) option->setChecked(true);
    const std::pair<AccessLevel, QRadioButton*> accesses[] = {{AccessLevel::Public, optPublic},
                                                              {AccessLevel::Protected, optProtected},
                                                              {AccessLevel::Private, optPrivate}};
    for (const auto& [access, option] : accesses)
        if (description.access == access) option->setChecked(true);
    m_params->clearRows();
    const DevelopmentLanguage language = TheSettings().CommentsType;
    for (const ParameterEntry& entry : description.parameters)
        appendParameter(ParamList::RowFromDialog(language, entry.Name, entry.Optional == "Yes", entry.Type,
                                                 entry.Description));
}

void frmMain::cmdParamRemove_Click() {
    const QModelIndexList selected = lstParams->selectionModel()->selectedRows();
    if (!selected.isEmpty()) m_params->removeRow(selected.first().row());
}

void frmMain::showColumnWidths() {
    const std::vector<ListColumn>& columns = m_params->list().columns();
    for (std::size_t i = 0; i < columns.size(); ++i)
        lstParams->setColumnWidth(static_cast<int>(i), FormTwipsX(this, columns[i].widthTwips));
}

void frmMain::Toolbar1_ButtonClick(QAction* Button) {
    const QString key = Button ? Button->objectName() : QString();
    if (key == QLatin1String("Exit")) close();
    else if (key == QLatin1String("Copy")) CopyComments();
    else if (key == QLatin1String("Options")) runOptions();
    else if (key == QLatin1String("Navigate")) {
        const QString address = DocumentationAddress();
        if (address.isEmpty() || !m_services.navigator.Navigate(address, QString(), kWebTarget))
            m_services.messageBox.show(this,
                                       QStringLiteral("The Quillmark 98 documentation could not be opened."));
    } else if (key == QLatin1String("About")) showAbout();
    else if (key == QLatin1String("Help")) showHelp();
}

void frmMain::runOptions() {
    const Settings& settings = TheSettings();
    auto dialog = std::make_unique<frmOptions>(m_services, FromUtf8(settings.PersonalName),
                                               settings.CommentsType, this);
    dialog->exec();
    dialog.reset();
    const DevelopmentLanguage language = TheSettings().CommentsType;
    if (m_params->changeColumns([language](ParamList& list) { return list.matchLanguage(language); }))
        showColumnWidths();
}

void frmMain::showAbout() {
    // The About box only hides itself, so one instance serves every showing.
    if (!m_about) m_about = new frmAbout(m_services, this);
    m_about->exec();
}

void frmMain::showHelp() {
    frmHelp help(this);
    help.exec();
}

void frmMain::showEvent(QShowEvent* event) {
    if (!m_loaded) Form_Load();
    QWidget::showEvent(event);
}

void frmMain::closeEvent(QCloseEvent* event) {
    Form_Unload();
    unload();
    QWidget::closeEvent(event);
}

// Closing discards the description: the next showing starts from the design and reads the
// settings again, as a freshly loaded window would.
void frmMain::unload() {
    // Un-minimising may show the window again; that must not count as the next load.
    setWindowState(windowState() & ~Qt::WindowMinimized);
    clearDescription();
    m_params->changeColumns([](ParamList& list) {
        list.resetColumns();
        return true;
    });
    showColumnWidths();
    {
        const QSignalBlocker quiet(TabStrip1);
        TabStrip1->setCurrentIndex(0);
    }
    frames[0]->raise();
    m_loaded = false;
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == txtSubName) txtSubName_GotFocus();
        else if (watched == txtSubPurpose) txtSubPurpose_GotFocus();
        else if (watched == txtSubReturns) txtSubReturns_GotFocus();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace qm
