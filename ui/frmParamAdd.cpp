// SPDX-License-Identifier: MIT
#include "ui/frmParamAdd.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "settings/Settings.h"
#include "ui/FormLayout.h"
#include "ui/KeyPreview.h"
#include "ui/PasteReader.h"
#include "ui/modMain.h"

namespace qm {
namespace {

bool IsBlank(const std::string& text) { return text.find_first_not_of(" \t") == std::string::npos; }

}  // namespace

frmParamAdd::frmParamAdd(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmParamAdd"));
    setWindowTitle(QStringLiteral("Add New Parameter"));
    FixClientSizeTwips(this, 4020, 2220);

    Label1 = new QLabel(QStringLiteral("&Name:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    PlaceTwips(Label1, 120, 240, 465, 195);
    txtParamName = new QLineEdit(this);
    txtParamName->setObjectName(QStringLiteral("txtParamName"));
    PlaceTwips(txtParamName, 1080, 240, 2775, 315);

    Label2 = new QLabel(QStringLiteral("&Type:"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    PlaceTwips(Label2, 120, 720, 405, 195);
    cmbParamType = new QComboBox(this);
    cmbParamType->setObjectName(QStringLiteral("cmbParamType"));
    cmbParamType->setEditable(true);
    // Typed text is used as it stands; it never becomes a list entry.
    cmbParamType->setInsertPolicy(QComboBox::NoInsert);
    PlaceTwips(cmbParamType, 1080, 720, 2775, 315);

    Label3 = new QLabel(QStringLiteral("&Description:"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    PlaceTwips(Label3, 120, 1200, 840, 195);
    txtParamDescription = new QLineEdit(this);
    txtParamDescription->setObjectName(QStringLiteral("txtParamDescription"));
    PlaceTwips(txtParamDescription, 1080, 1200, 2775, 315);

    chkOptional = new QCheckBox(QStringLiteral("&Optional"), this);
    chkOptional->setObjectName(QStringLiteral("chkOptional"));
    PlaceTwips(chkOptional, 120, 1680, 975, 255);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    PlaceTwips(cmdOK, 1680, 1680, 1095, 375);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    PlaceTwips(cmdCancel, 2880, 1680, 1095, 375);

    FitFormToCaptions(this);
    ChainTabOrder({txtParamName, cmbParamType, txtParamDescription, chkOptional, cmdOK, cmdCancel});
    txtParamName->setFocus();

    m_keyPreview =
        new KeyPreview(this, [this](int key, Qt::KeyboardModifiers shift) { Form_KeyUp(key, shift); });
    m_keyPreview->leaveLetterToKeyUp(Label1, txtParamName);
    m_keyPreview->leaveLetterToKeyUp(Label2, cmbParamType);
    m_keyPreview->leaveLetterToKeyUp(Label3, txtParamDescription);
    txtParamName->installEventFilter(this);
    txtParamDescription->installEventFilter(this);
    new PasteReader(txtParamName);
    new PasteReader(txtParamDescription);

    connect(cmdOK, &QPushButton::clicked, this, &frmParamAdd::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmParamAdd::cmdCancel_Click);

    Form_Load();
}

void frmParamAdd::Form_Load() {
    const Settings& settings = TheSettings();
    m_language = settings.CommentsType;
    if (settings.CommentsType == kVisualBasic) {
        for (const std::string& type : settings.ParamTypesVB)
            cmbParamType->addItem(QString::fromStdString(type));
    } else if (settings.CommentsType == kVisualCpp) {
        for (const std::string& type : settings.ParamTypesVC)
            if (!IsBlank(type)) cmbParamType->addItem(QString::fromStdString(type));
    }
    // The box opens empty rather than showing the first type.
    cmbParamType->setCurrentIndex(-1);
    cmbParamType->clearEditText();
    m_bOK = false;
}

ParamRow frmParamAdd::row() const {
    return ParamList::RowFromDialog(m_language, txtParamName->text().toStdString(), chkOptional->isChecked(),
                                    cmbParamType->currentText().toStdString(),
                                    txtParamDescription->text().toStdString());
}

void frmParamAdd::Form_KeyUp(int KeyCode, Qt::KeyboardModifiers Shift) {
    if (!(Shift & Qt::AltModifier)) return;
    switch (KeyCode) {
    case Qt::Key_N: txtParamName->setFocus(Qt::ShortcutFocusReason); break;
    case Qt::Key_T: cmbParamType->setFocus(Qt::ShortcutFocusReason); break;
    case Qt::Key_D: txtParamDescription->setFocus(Qt::ShortcutFocusReason); break;
    default: break;
    }
}

void frmParamAdd::cmdOK_Click() {
    m_bOK = true;
    hide();
}

void frmParamAdd::cmdCancel_Click() {
    m_bOK = false;
    hide();
}

void frmParamAdd::reject() { cmdCancel_Click(); }

void frmParamAdd::txtParamName_GotFocus() { SelectAllText(txtParamName); }

void frmParamAdd::txtParamDescription_GotFocus() { SelectAllText(txtParamDescription); }

bool frmParamAdd::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == txtParamName) txtParamName_GotFocus();
        else if (watched == txtParamDescription) txtParamDescription_GotFocus();
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace qm
