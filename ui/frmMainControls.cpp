// SPDX-License-Identifier: MIT
// The window's controls as designed: the toolbar, the tab strip and the two pages.
#include <QAction>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QToolBar>
#include <QTreeView>

#include "resources/AppIconEngine.h"
#include "ui/FormLayout.h"
#include "ui/ParamListModel.h"
#include "ui/frmMain.h"

namespace qm {
namespace {

template <typename W, typename... Args>
W* MakeControl(QWidget* parent, const char* name, Args&&... args) {
    auto* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

}  // namespace

void frmMain::buildToolbar() {
    Toolbar1 = MakeControl<QToolBar>(this, "Toolbar1");
    PlaceTwips(Toolbar1, 0, 0, 5310, 660);
    Toolbar1->setMovable(false);
    Toolbar1->setFloatable(false);
    struct Button {
        const char* key;
        const char* tooltip;
        const char* image;
    };
    const Button buttons[] = {
        {"Exit", "Exit Application", "Exit"},          {"Copy", "Copy Comments to Clipboard", "Copy"},
        {"Options", "Application Options", "Options"}, {"Navigate", "Visit Our WebSite", "WebSite"},
        {"About", "About Quillmark 98", "About"},      {"Help", "Qmark98 Help", "Help"},
    };
    for (const Button& button : buttons) {
        // The text is never shown beside the picture; it names the button for screen readers,
        // and stands in for the picture should it fail to load.
        QAction* action =
            Toolbar1->addAction(AppIcon(QLatin1String(button.image)), QLatin1String(button.tooltip));
        action->setObjectName(QLatin1String(button.key));
        action->setToolTip(QLatin1String(button.tooltip));
        if (qstrcmp(button.key, "Exit") == 0 || qstrcmp(button.key, "Options") == 0) Toolbar1->addSeparator();
    }
}

void frmMain::buildTabStrip() {
    // The tab bar carries only the tabs; the panel under it draws the strip's body.
    auto* panel = MakeControl<QFrame>(this, "TabStrip1Panel");
    panel->setFrameShape(QFrame::StyledPanel);
    TabStrip1 = MakeControl<QTabBar>(this, "TabStrip1");
    TabStrip1->setDrawBase(false);
    TabStrip1->addTab(AppIcon(QStringLiteral("General")), QStringLiteral("&General"));
    TabStrip1->addTab(AppIcon(QStringLiteral("Parameters")), QStringLiteral("&Parameters"));
    TabStrip1->setTabData(0, QStringLiteral("General"));
    TabStrip1->setTabData(1, QStringLiteral("Parameters"));
    TabStrip1->setExpanding(false);
    panel->lower();
}

// The strip's rectangle: the tabs along its top, the panel filling the rest.
void frmMain::placeTabStrip() {
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

void frmMain::buildPages() {
    // The Parameters page first, so the General page lies above it at the start.
    for (int i : {1, 0}) {
        frames[i] = MakeControl<QFrame>(this, i == 0 ? "frames0" : "frames1");
        frames[i]->setFrameShape(QFrame::NoFrame);
        // Opaque, so the page in front covers the one behind; both stay visible and enabled.
        frames[i]->setAutoFillBackground(true);
        PlaceTwips(frames[i], 240, 1200, 4815, 2535);
    }
    buildGeneralPage(frames[0]);
    buildParametersPage(frames[1]);
}

void frmMain::buildGeneralPage(QFrame* page) {
    Frame1 = MakeControl<QGroupBox>(page, "Frame1", QStringLiteral("Comments Type:"));
    PlaceTwips(Frame1, 0, 0, 2415, 975);
    optSub = MakeControl<QRadioButton>(Frame1, "optSub", QStringLiteral("&Sub"));
    PlaceTwips(optSub, 120, 240, 855, 255);
    optFunction = MakeControl<QRadioButton>(Frame1, "optFunction", QStringLiteral("&Function"));
    PlaceTwips(optFunction, 1200, 240, 1095, 255);
    optProperty = MakeControl<QRadioButton>(Frame1, "optProperty", QStringLiteral("Pr&operty"));
    PlaceTwips(optProperty, 120, 600, 975, 255);
    optGeneral = MakeControl<QRadioButton>(Frame1, "optGeneral", QStringLiteral("Ge&neral"));
    PlaceTwips(optGeneral, 1200, 600, 1095, 255);
    optSub->setChecked(true);

    Frame2 = MakeControl<QGroupBox>(page, "Frame2", QStringLiteral("Access:"));
    PlaceTwips(Frame2, 2520, 0, 2295, 975);
    optPublic = MakeControl<QRadioButton>(Frame2, "optPublic", QStringLiteral("P&ublic"));
    PlaceTwips(optPublic, 120, 240, 855, 255);
    optProtected = MakeControl<QRadioButton>(Frame2, "optProtected", QStringLiteral("Pro&tected"));
    PlaceTwips(optProtected, 1080, 240, 1095, 255);
    optPrivate = MakeControl<QRadioButton>(Frame2, "optPrivate", QStringLiteral("Pri&vate"));
    PlaceTwips(optPrivate, 120, 600, 855, 255);
    optPublic->setChecked(true);

    Label1 = MakeControl<QLabel>(page, "Label1", QStringLiteral("Su&b/Function Name:"));
    PlaceTwips(Label1, 0, 1200, 1485, 195);
    txtSubName = MakeControl<QLineEdit>(page, "txtSubName");
    PlaceTwips(txtSubName, 1680, 1200, 3135, 315);
    Label2 = MakeControl<QLabel>(page, "Label2", QStringLiteral("Purpos&e:"));
    PlaceTwips(Label2, 0, 1680, 630, 195);
    txtSubPurpose = MakeControl<QLineEdit>(page, "txtSubPurpose");
    PlaceTwips(txtSubPurpose, 1680, 1680, 3135, 315);
    Label3 = MakeControl<QLabel>(page, "Label3", QStringLiteral("Sub/Funct&ion Returns:"));
    PlaceTwips(Label3, 0, 2160, 1620, 195);
    txtSubReturns = MakeControl<QLineEdit>(page, "txtSubReturns");
    PlaceTwips(txtSubReturns, 1680, 2160, 3135, 315);
    for (QLineEdit* box : {txtSubName, txtSubPurpose, txtSubReturns}) box->installEventFilter(this);
}

void frmMain::buildParametersPage(QFrame* page) {
    lstParams = MakeControl<QTreeView>(page, "lstParams");
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

    cmdParamAdd = MakeControl<QPushButton>(page, "cmdParamAdd", QStringLiteral("&Add"));
    PlaceTwips(cmdParamAdd, 3960, 120, 855, 375);
    cmdParamRemove = MakeControl<QPushButton>(page, "cmdParamRemove", QStringLiteral("&Remove"));
    PlaceTwips(cmdParamRemove, 3960, 600, 855, 375);
}

}  // namespace qm
