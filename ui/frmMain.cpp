// SPDX-License-Identifier: MIT
#include "ui/frmMain.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
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

#include "settings/FreeTextBlock.h"
#include "platform/qt/Services.h"
#include "resources/AppIconEngine.h"
#include "settings/Settings.h"
#include "ui/FormLayout.h"
#include "ui/KeyPreview.h"
#include "ui/ParamListModel.h"
#include "ui/frmAbout.h"
#include "ui/frmFreeComments.h"
#include "ui/frmHelp.h"
#include "ui/frmOptions.h"
#include "ui/frmParamAdd.h"
#include "ui/modMain.h"

namespace qm {
namespace {

const QString kWebTarget = QStringLiteral("_blank");

template <typename W, typename... Args>
W* makeControl(QWidget* parent, const char* name, Args&&... args)
{
    auto* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QString fromUtf8(const std::string& text)
{
    return QString::fromStdString(text);
}

}  // namespace

frmMain::frmMain(Services& services, Clock clock, QWidget* parent)
    : QWidget(parent, Qt::Window), m_services(services), m_clock(std::move(clock))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quillmark 98"));
    setWindowIcon(AppIcon(QStringLiteral("quillmark")));
    FixClientSizeTwips(this, 5310, 4095, true);

    buildToolbar();
    buildTabStrip();
    // The Parameters page first, so the General page lies above it at the start.
    for (int i : {1, 0}) {
        frames[i] = makeControl<QFrame>(this, i == 0 ? "frames0" : "frames1");
        frames[i]->setFrameShape(QFrame::NoFrame);
        // Opaque, so the page in front covers the one behind; both stay visible and enabled.
        frames[i]->setAutoFillBackground(true);
        PlaceTwips(frames[i], 240, 1200, 4815, 2535);
    }
    buildGeneralPage(frames[0]);
    buildParametersPage(frames[1]);

    ChainTabOrder({txtSubName, txtSubPurpose, txtSubReturns, optSub, optFunction, optProperty,
                   optGeneral, optPublic, optProtected, optPrivate, lstParams, cmdParamAdd,
                   cmdParamRemove, TabStrip1});

    m_keyPreview = new KeyPreview(this, [this](int key, Qt::KeyboardModifiers shift) {
        Form_KeyUp(key, shift);
    });
    m_keyPreview->leaveLetterToKeyUp(Label1, txtSubName);
    m_keyPreview->leaveLetterToKeyUp(Label2, txtSubPurpose);
    m_keyPreview->leaveLetterToKeyUp(Label3, txtSubReturns);

    FitFormToCaptions(this);
    placeTabStrip();
    connectHandlers();
    showColumnWidths();
    txtSubName->setFocus();
}

frmMain::~frmMain() = default;

void frmMain::buildToolbar()
{
    Toolbar1 = makeControl<QToolBar>(this, "Toolbar1");
    PlaceTwips(Toolbar1, 0, 0, 5310, 660);
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    struct Button {
        const char* key;
        const char* tooltip;
        const char* image;
    };
    const Button buttons[] = {
        {"Exit", "Exit Application", "Exit"},
        {"Copy", "Copy Comments to Clipboard", "Copy"},
        {"Options", "Application Options", "Options"},
        {"Navigate", "Visit Our WebSite", "WebSite"},
        {"About", "About Quillmark 98", "About"},
        {"Help", "Qmark98 Help", "Help"},
    };
    for (const Button& button : buttons) {
        // The text is never shown beside the picture; it names the button for screen readers,
        // and stands in for the picture should it fail to load.
        QAction* action = Toolbar1->addAction(
            AppIcon(QLatin1String(button.image)),
            QLatin1String(button.tooltip));
        action->setObjectName(QLatin1String(button.key));
        action->setToolTip(QLatin1String(button.tooltip));
        if (qstrcmp(button.key, "Exit") == 0 || qstrcmp(button.key, "Options") == 0)
            Toolbar1->addSeparator();
    }
}

void frmMain::buildTabStrip()
{
    // The tab bar carries only the tabs; the panel under it draws the strip's body.
    auto* panel = makeControl<QFrame>(this, "TabStrip1Panel");
    panel->setFrameShape(QFrame::StyledPanel);
    TabStrip1 = makeControl<QTabBar>(this, "TabStrip1");
    TabStrip1->setDrawBase(false);
    TabStrip1->addTab(AppIcon(QStringLiteral("General")), QStringLiteral("&General"));
    TabStrip1->addTab(AppIcon(QStringLiteral("Parameters")), QStringLiteral("&Parameters"));
    TabStrip1->setTabData(0, QStringLiteral("General"));
    TabStrip1->setTabData(1, QStringLiteral("Parameters"));
    TabStrip1->setExpanding(false);
    panel->lower();
}

// The strip's rectangle: the tabs along its top, the panel filling the rest.
void frmMain::placeTabStrip()
{
    const int left = FormTwipsX(this, 120);
    const int top = FormTwipsY(this, 720);
    const int width = FormTwipsX(this, 120 + 5055) - left;
    const int height = FormTwipsY(this, 720 + 3255) - top;
    Toolbar1->setIconSize(QSize(FormTwipsX(this, 360), FormTwipsY(this, 360)));
    TabStrip1->setIconSize(QSize(FormTwipsX(this, 240), FormTwipsY(this, 240)));
    const int tabHeight = TabStrip1->sizeHint().height();
    TabStrip1->setGeometry(left, top, width, tabHeight);
    if (auto* panel = findChild<QFrame*>(QStringLiteral("TabStrip1Panel")))
        panel->setGeometry(left, top + tabHeight - 1, width, height - tabHeight + 1);
}

void frmMain::buildGeneralPage(QFrame* page)
{
    Frame1 = makeControl<QGroupBox>(page, "Frame1", QStringLiteral("Comments Type:"));
    PlaceTwips(Frame1, 0, 0, 2415, 975);
    optSub = makeControl<QRadioButton>(Frame1, "optSub", QStringLiteral("&Sub"));
    PlaceTwips(optSub, 120, 240, 855, 255);
    optFunction = makeControl<QRadioButton>(Frame1, "optFunction", QStringLiteral("&Function"));
    PlaceTwips(optFunction, 1200, 240, 1095, 255);
    optProperty = makeControl<QRadioButton>(Frame1, "optProperty", QStringLiteral("Pr&operty"));
    PlaceTwips(optProperty, 120, 600, 975, 255);
    optGeneral = makeControl<QRadioButton>(Frame1, "optGeneral", QStringLiteral("Ge&neral"));
    PlaceTwips(optGeneral, 1200, 600, 1095, 255);
    optSub->setChecked(true);

    Frame2 = makeControl<QGroupBox>(page, "Frame2", QStringLiteral("Access:"));
    PlaceTwips(Frame2, 2520, 0, 2295, 975);
    optPublic = makeControl<QRadioButton>(Frame2, "optPublic", QStringLiteral("P&ublic"));
    PlaceTwips(optPublic, 120, 240, 855, 255);
    optProtected = makeControl<QRadioButton>(Frame2, "optProtected", QStringLiteral("Pro&tected"));
    PlaceTwips(optProtected, 1080, 240, 1095, 255);
    optPrivate = makeControl<QRadioButton>(Frame2, "optPrivate", QStringLiteral("Pri&vate"));
    PlaceTwips(optPrivate, 120, 600, 855, 255);
    optPublic->setChecked(true);

    Label1 = makeControl<QLabel>(page, "Label1", QStringLiteral("Su&b/Function Name:"));
    PlaceTwips(Label1, 0, 1200, 1485, 195);
    txtSubName = makeControl<QLineEdit>(page, "txtSubName");
    PlaceTwips(txtSubName, 1680, 1200, 3135, 315);
    Label2 = makeControl<QLabel>(page, "Label2", QStringLiteral("Purpos&e:"));
    PlaceTwips(Label2, 0, 1680, 630, 195);
    txtSubPurpose = makeControl<QLineEdit>(page, "txtSubPurpose");
    PlaceTwips(txtSubPurpose, 1680, 1680, 3135, 315);
    Label3 = makeControl<QLabel>(page, "Label3", QStringLiteral("Sub/Funct&ion Returns:"));
    PlaceTwips(Label3, 0, 2160, 1620, 195);
    txtSubReturns = makeControl<QLineEdit>(page, "txtSubReturns");
    PlaceTwips(txtSubReturns, 1680, 2160, 3135, 315);
    for (QLineEdit* box : {txtSubName, txtSubPurpose, txtSubReturns})
        box->installEventFilter(this);
}

void frmMain::buildParametersPage(QFrame* page)
{
    lstParams = makeControl<QTreeView>(page, "lstParams");
    m_params = new ParamListModel(lstParams);
    lstParams->setModel(m_params);
    PlaceTwips(lstParams, 0, 120, 3855, 2415);
    lstParams->setRootIsDecorated(false);
    lstParams->setItemsExpandable(false);
    lstParams->setUniformRowHeights(true);
    lstParams->setAllColumnsShowFocus(true);
    lstParams->setSelectionMode(QAbstractItemView::SingleSelection);
    lstParams->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstParams->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstParams->header()->setStretchLastSection(false);
    lstParams->header()->setSectionsMovable(false);

    cmdParamAdd = makeControl<QPushButton>(page, "cmdParamAdd", QStringLiteral("&Add"));
    PlaceTwips(cmdParamAdd, 3960, 120, 855, 375);
    cmdParamRemove = makeControl<QPushButton>(page, "cmdParamRemove", QStringLiteral("&Remove"));
    PlaceTwips(cmdParamRemove, 3960, 600, 855, 375);
}

void frmMain::connectHandlers()
{
    connect(Toolbar1, &QToolBar::actionTriggered, this, &frmMain::Toolbar1_ButtonClick);
    connect(TabStrip1, &QTabBar::currentChanged, this, &frmMain::TabStrip1_Click);
    // An option's click is its becoming selected, by the user or by the program.
    const std::pair<QRadioButton*, void (frmMain::*)()> options[] = {
        {optSub, &frmMain::optSub_Click},         {optFunction, &frmMain::optFunction_Click},
        {optProperty, &frmMain::optProperty_Click}, {optGeneral, &frmMain::optGeneral_Click},
        {optPublic, &frmMain::optPublic_Click},   {optProtected, &frmMain::optProtected_Click},
        {optPrivate, &frmMain::optPrivate_Click},
    };
    for (const auto& [option, handler] : options) {
        connect(option, &QRadioButton::toggled, this, [this, handler = handler](bool checked) {
            if (checked)
                (this->*handler)();
        });
    }
    connect(cmdParamAdd, &QPushButton::clicked, this, &frmMain::cmdParamAdd_Click);
    connect(cmdParamRemove, &QPushButton::clicked, this, &frmMain::cmdParamRemove_Click);
}

void frmMain::Form_Load()
{
    LoadSettings([this](std::int32_t commentsType) {
        if (commentsType == 1 &&
            m_params->changeColumns([](ParamList& list) { return list.removeOptionalColumn(); }))
            showColumnWidths();
    });
    DoEvents();
    m_loaded = true;
}

void frmMain::Form_Unload() {}

void frmMain::Form_KeyUp(int KeyCode, Qt::KeyboardModifiers Shift)
{
    if (!(Shift & Qt::AltModifier))
        return;
    switch (KeyCode) {
    case Qt::Key_B:
        txtSubName->setFocus(Qt::ShortcutFocusReason);
        break;
    case Qt::Key_E:
        txtSubPurpose->setFocus(Qt::ShortcutFocusReason);
        break;
    case Qt::Key_I:
        txtSubReturns->setFocus(Qt::ShortcutFocusReason);
        break;
    case Qt::Key_C:
        CopyComments();
        break;
    default:
        break;
    }
}

ProcedureDescription frmMain::snapshotDescription() const
{
    ProcedureDescription description;
    description.name = txtSubName->text().toStdString();
    description.purpose = txtSubPurpose->text().toStdString();
    description.returns = txtSubReturns->text().toStdString();
    if (optFunction->isChecked())
        description.kind = ProcedureKind::Function;
    else if (optProperty->isChecked())
        description.kind = ProcedureKind::Property;
    else if (optGeneral->isChecked())
        description.kind = ProcedureKind::General;
    if (optProtected->isChecked())
        description.access = AccessLevel::Protected;
    else if (optPrivate->isChecked())
        description.access = AccessLevel::Private;
    description.parameters = m_params->list().entries();
    return description;
}

const ParamList& frmMain::paramList() const
{
    return m_params->list();
}

void frmMain::CopyComments()
{
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
    } else {
        block = BuildCommentBlock(description, settings.CommentsType, settings.PersonalName,
                                  m_clock ? m_clock() : LocalNow());
    }
    m_services.clipboard.clear();
    m_services.clipboard.setText(fromUtf8(block));
    clearDescription();
    selectTab(0);
    DoEvents();
    showMinimized();
}

// Sub, Public, empty boxes and list, the focus in the name box: after a copy and on unload.
void frmMain::clearDescription()
{
    optSub->setChecked(true);
    optPublic->setChecked(true);
    for (QLineEdit* box : {txtSubName, txtSubPurpose, txtSubReturns})
        box->clear();
    m_params->clearRows();
    m_freeText.clear();
    txtSubName->setFocus();
}

void frmMain::selectTab(int index)
{
    // Selecting the tab that is already selected still runs the page switch.
    if (TabStrip1->currentIndex() == index)
        TabStrip1_Click();
    else
        TabStrip1->setCurrentIndex(index);
}

void frmMain::TabStrip1_Click()
{
    const int index = TabStrip1->currentIndex();
    if (index < 0 || index > 1)
        return;
    frames[index]->raise();
    DoEvents();
    if (index == 0)
        txtSubName->setFocus();
    else
        cmdParamAdd->setFocus();
}

void frmMain::optSub_Click() { txtSubName->setFocus(); }
void frmMain::optFunction_Click() { txtSubName->setFocus(); }
void frmMain::optProperty_Click() { txtSubName->setFocus(); }
void frmMain::optPublic_Click() { txtSubName->setFocus(); }
void frmMain::optProtected_Click() { txtSubName->setFocus(); }
void frmMain::optPrivate_Click() { txtSubName->setFocus(); }

void frmMain::optGeneral_Click()
{
    // A new dialog each time, so an earlier cancelled text never comes back.
    auto dialog = std::make_unique<frmFreeComments>();
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

void frmMain::cmdParamAdd_Click()
{
    const DevelopmentLanguage language = TheSettings().CommentsType;
    auto dialog = std::make_unique<frmParamAdd>();
    if (language == 1)
        dialog->chkOptional->hide();
    dialog->exec();
    if (dialog->m_bOK)
        appendParameter(dialog->row());
}

void frmMain::appendParameter(ParamRow row)
{
    m_params->appendRow(std::move(row));
    // The new row is the selected one, so Remove right after Add takes it away again.
    lstParams->setCurrentIndex(m_params->index(m_params->rowCount() - 1, 0));
}

void frmMain::cmdParamRemove_Click()
{
    const QModelIndexList selected = lstParams->selectionModel()->selectedRows();
    if (!selected.isEmpty())
        m_params->removeRow(selected.first().row());
}

void frmMain::showColumnWidths()
{
    const std::vector<ListColumn>& columns = m_params->list().columns();
    for (std::size_t i = 0; i < columns.size(); ++i)
        lstParams->setColumnWidth(static_cast<int>(i), FormTwipsX(this, columns[i].widthTwips));
}

void frmMain::Toolbar1_ButtonClick(QAction* Button)
{
    const QString key = Button ? Button->objectName() : QString();
    if (key == QLatin1String("Exit"))
        close();
    else if (key == QLatin1String("Copy"))
        CopyComments();
    else if (key == QLatin1String("Options"))
        runOptions();
    else if (key == QLatin1String("Navigate")) {
        const QString address = DocumentationAddress();
        if (address.isEmpty() || !m_services.navigator.Navigate(address, QString(), kWebTarget))
            m_services.messageBox.show(
                this, QStringLiteral("The Quillmark 98 documentation could not be opened."));
    } else if (key == QLatin1String("About"))
        showAbout();
    else if (key == QLatin1String("Help"))
        showHelp();
}

void frmMain::runOptions()
{
    const Settings& settings = TheSettings();
    auto dialog = std::make_unique<frmOptions>(m_services, fromUtf8(settings.PersonalName),
                                               settings.CommentsType, this);
    dialog->exec();
    dialog.reset();
    const DevelopmentLanguage language = TheSettings().CommentsType;
    if (m_params->changeColumns([language](ParamList& list) { return list.matchLanguage(language); }))
        showColumnWidths();
}

void frmMain::showAbout()
{
    // The About box only hides itself, so one instance serves every showing.
    if (!m_about)
        m_about = new frmAbout(m_services, this);
    m_about->exec();
}

void frmMain::showHelp()
{
    frmHelp help(this);
    help.exec();
}

void frmMain::showEvent(QShowEvent* event)
{
    if (!m_loaded)
        Form_Load();
    QWidget::showEvent(event);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    unload();
    QWidget::closeEvent(event);
}

// Closing discards the description: the next showing starts from the design and reads the
// settings again, as a freshly loaded window would.
void frmMain::unload()
{
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

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn) {
        if (watched == txtSubName)
            txtSubName_GotFocus();
        else if (watched == txtSubPurpose)
            txtSubPurpose_GotFocus();
        else if (watched == txtSubReturns)
            txtSubReturns_GotFocus();
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace qm
