// SPDX-License-Identifier: MIT
// The Options dialog: development language and developer name. The caller presets the
// controls, shows the dialog modally and deletes it; OK saves and updates the settings.
#pragma once
#include <QDialog>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace qm {

struct Services;

class frmOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmOptions(Services& services, QWidget* parent = nullptr);

    // Checks Option1 element index; an index without an element leaves none checked.
    void selectLanguage(int index);
    // Index of the first checked Option1 element, the element count when none is.
    int selectedLanguage() const;

    // Writes "Comments Type" and "Personal Name" of section "General" to the settings file
    // and into the settings in memory. A failed write is reported; memory is updated anyway.
    void cmdOK_Click();
    void cmdCancel_Click();
    void txtName_GotFocus();

    QGroupBox* Frame1 = nullptr;
    QRadioButton* Option1[2] = {};
    QGroupBox* Frame2 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* txtName = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

public slots:
    // Esc and the close box land here.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Services& m_services;
};

}  // namespace qm
