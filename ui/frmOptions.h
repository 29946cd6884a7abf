// SPDX-License-Identifier: MIT
// The Options dialog: development language and developer name. Created preset with the
// current values, shown modally and deleted; OK saves and updates the settings.
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
    // A language without an Option1 element (an edited settings file) leaves none checked.
    frmOptions(Services& services, const QString& personalName, int language, QWidget* parent = nullptr);

    // Index of the first checked Option1 element, the element count when none is.
    int language() const;
    QString personalName() const;

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
    void selectLanguage(int index);

    Services& m_services;
};

}  // namespace qm
