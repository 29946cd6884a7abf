// SPDX-License-Identifier: MIT
// The Free Text Comments dialog: collects the body of a comment of the kind General.
#pragma once
#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace qm {

class frmFreeComments : public QDialog {
    Q_OBJECT
public:
    explicit frmFreeComments(QWidget* parent = nullptr);

    // True once closed with OK; Cancel, Esc and the close box leave it false. The dialog
    // only hides itself, so the caller reads it and the text after the modal show returns.
    bool m_bOK = false;

    // The typed text with CR LF line breaks, as the free-text builder expects them.
    QString commentsText() const;

    void cmdOK_Click();
    void cmdCancel_Click();
    void txtComments_GotFocus();

    QPlainTextEdit* txtComments = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

public slots:
    // Esc and the close box land here.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace qm
