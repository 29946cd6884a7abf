// SPDX-License-Identifier: MIT
#include "ui/frmFreeComments.h"

#include <QEvent>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/FormLayout.h"
#include "ui/modMain.h"

namespace qm {

frmFreeComments::frmFreeComments(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmFreeComments"));
    setWindowTitle(QStringLiteral("Free Text Comments"));
    FixClientSizeTwips(this, 6375, 4485);

    txtComments = new QPlainTextEdit(this);
    txtComments->setObjectName(QStringLiteral("txtComments"));
    txtComments->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves on to the buttons; the block never holds tab characters.
    txtComments->setTabChangesFocus(true);
    PlaceTwips(txtComments, 120, 120, 6135, 3735);
    txtComments->installEventFilter(this);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    PlaceTwips(cmdOK, 3960, 3960, 1095, 375);

    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    PlaceTwips(cmdCancel, 5160, 3960, 1095, 375);

    // No default button: Enter in the text box starts a new line.
    cmdOK->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);

    FitFormToCaptions(this);
    ChainTabOrder({txtComments, cmdOK, cmdCancel});
    txtComments->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &frmFreeComments::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmFreeComments::cmdCancel_Click);
}

QString frmFreeComments::commentsText() const {
    // The document holds bare line feeds; a stray CR from pasted text must not double a break.
    QString text = txtComments->toPlainText();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void frmFreeComments::cmdOK_Click() {
    m_bOK = true;
    hide();
}

void frmFreeComments::cmdCancel_Click() {
    m_bOK = false;
    hide();
}

void frmFreeComments::reject() { cmdCancel_Click(); }

void frmFreeComments::txtComments_GotFocus() { SelectAllText(txtComments); }

void frmFreeComments::keyPressEvent(QKeyEvent* event) {
    // Without auto-default a focused button ignores Enter; it still presses like any other.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    auto* button = qobject_cast<QPushButton*>(focusWidget());
    if (enter && button && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        button->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool frmFreeComments::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtComments && event->type() == QEvent::FocusIn) txtComments_GotFocus();
    return QDialog::eventFilter(watched, event);
}

}  // namespace qm
