// SPDX-License-Identifier: MIT
// The Add New Parameter dialog. The caller creates it, shows it modally, reads m_bOK and the
// row, and deletes it, so every opening starts empty with the type list filled anew.
#pragma once
#include <QDialog>

#include "ui/ParamList.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace qm {

class KeyPreview;

class frmParamAdd : public QDialog {
    Q_OBJECT
public:
    // Runs Form_Load, so the type box already holds the current language's types.
    explicit frmParamAdd(QWidget* parent = nullptr);

    bool m_bOK = false;

    // The list row the fields make under the language the type box was filled for.
    ParamRow row() const;

    // Fills cmbParamType from the settings: every Visual Basic type as stored, empty ones
    // included; the Visual C++ types that are not blank; nothing for any other language.
    void Form_Load();
    void Form_KeyUp(int KeyCode, Qt::KeyboardModifiers Shift);
    void cmdOK_Click();
    void cmdCancel_Click();
    void txtParamName_GotFocus();
    void txtParamDescription_GotFocus();

    QLabel* Label1 = nullptr;
    QLineEdit* txtParamName = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* cmbParamType = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* txtParamDescription = nullptr;
    QCheckBox* chkOptional = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

public slots:
    // Esc and the close box land here.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyPreview* m_keyPreview = nullptr;
    DevelopmentLanguage m_language = kVisualBasic;
};

}  // namespace qm
