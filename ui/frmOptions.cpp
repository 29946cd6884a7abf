// SPDX-License-Identifier: MIT
#include "ui/frmOptions.h"

#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/Directories.h"
#include "platform/qt/Services.h"
#include "settings/Settings.h"
#include "ui/FormLayout.h"
#include "ui/PasteReader.h"
#include "ui/modMain.h"

namespace qm {

frmOptions::frmOptions(Services& services, const QString& personalName, int language, QWidget* parent)
    : QDialog(parent), m_services(services) {
    setObjectName(QStringLiteral("frmOptions"));
    setWindowTitle(QStringLiteral("Options"));
    FixClientSizeTwips(this, 4680, 3240);

    Frame1 = new QGroupBox(QStringLiteral("Development Language:"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    PlaceTwips(Frame1, 120, 120, 4455, 1215);
    const char* captions[2] = {"Microsoft Visual Basic (uses the ' remark character)",
                               "Microsoft Visual C++ (uses the // remark characters)"};
    for (int i = 0; i < 2; ++i) {
        Option1[i] = new QRadioButton(QString::fromLatin1(captions[i]), Frame1);
        Option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        PlaceTwips(Option1[i], 120, 360 + 360 * i, 4095, 255);
    }
    Option1[0]->setChecked(true);

    Frame2 = new QGroupBox(QStringLiteral("Personalization:"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    PlaceTwips(Frame2, 120, 1440, 4455, 1215);
    Label1 = new QLabel(QStringLiteral("Developers Name:"), Frame2);
    Label1->setObjectName(QStringLiteral("Label1"));
    PlaceTwips(Label1, 120, 360, 1320, 195);
    txtName = new QLineEdit(Frame2);
    txtName->setObjectName(QStringLiteral("txtName"));
    PlaceTwips(txtName, 120, 600, 4215, 315);
    txtName->installEventFilter(this);
    new PasteReader(txtName);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    PlaceTwips(cmdOK, 2280, 2760, 1095, 375);
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    PlaceTwips(cmdCancel, 3480, 2760, 1095, 375);

    FitFormToCaptions(this);
    ChainTabOrder({Option1[0], Option1[1], txtName, cmdOK, cmdCancel});

    connect(cmdOK, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmOptions::cmdCancel_Click);

    txtName->setText(personalName);
    selectLanguage(language);
}

void frmOptions::selectLanguage(int index) {
    if (index >= 0 && index < 2) {
        Option1[index]->setChecked(true);
        return;
    }
    // An edited settings file can hold a language with no button: show none checked.
    for (QRadioButton* option : Option1) {
        option->setAutoExclusive(false);
        option->setChecked(false);
        option->setAutoExclusive(true);
    }
}

int frmOptions::language() const {
    for (int i = 0; i < 2; ++i)
        if (Option1[i]->isChecked()) return i;
    return 2;
}

QString frmOptions::personalName() const { return txtName->text(); }

void frmOptions::cmdOK_Click() {
    // Losing the choice silently at the next start would look like the dialog ignored it.
    if (!SaveSettings(personalName().toStdString(), language())) {
        const QString path = QString::fromStdString(ResolveProfilePath(kSettingsFileName));
        m_services.messageBox.show(
            this, QStringLiteral("The options could not be saved to %1. They apply only until "
                                 "the Quillmark 98 window is closed.")
                      .arg(path));
    }
    hide();
}

void frmOptions::cmdCancel_Click() { hide(); }

void frmOptions::reject() { cmdCancel_Click(); }

void frmOptions::txtName_GotFocus() { SelectAllText(txtName); }

bool frmOptions::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtName && event->type() == QEvent::FocusIn) txtName_GotFocus();
    return QDialog::eventFilter(watched, event);
}

}  // namespace qm
