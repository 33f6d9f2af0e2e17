#pragma once

#include "adodb/Connection.h"

#include <QDialog>
#include <QList>
#include <QString>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QWidget;

// The hospital's DOH general information: the Section I record and the
// supplementary row of PASSWORD..tbHospitalInfo2, loaded into the controls,
// edited, its bed counts validated and saved back. The controls are the
// record: there is no other copy. One object for the whole run; its controls
// are rebuilt on each open, so every open starts from empty controls.
class frmHospitalInfo : public QDialog
{
    Q_OBJECT
public:
    // The dialog object of this run, created on first use.
    static frmHospitalInfo &instance();

    // Keeps the reference to the shared connection and allows the next LoadForm.
    void InitializeForm(const adodb::ConnectionPtr &connection);
    // Fills the two lists; after InitializeForm also loads the record and
    // shows the form modally, returning when it has closed.
    void LoadForm();

    // Appends the local-government levels and the PhilHealth participations.
    void PopulateLocalCombo();
    // Fills the controls from Section I and the supplementary row; failures
    // are reported step by step and the load goes on.
    void ReceiveDataFromBO();
    // Sends the Section I statement and the supplementary update and says how
    // it went; true only when both were saved, so a form that is to keep the
    // user's edits after a failure can stay open.
    bool SaveHospitalInfo();
    // The three bed counts must be numeric; the first that is not is named and
    // gets the focus.
    bool ValidateBedEntries();

    // The codes the option groups stand for, as the save sends them.
    int OwnershipCode() const;
    int SpecialtyCode() const;
    int TraumaCode() const;
    int IsSpecialValue() const;

    // The two statements the save sends, built from the controls as they stand.
    QString SectionIStatement() const;
    QString SupplementaryUpdateStatement() const;

    const adodb::ConnectionPtr &connection() const { return m_connection; }
    bool isInitialized() const { return m_initialized; }

    static const QString kCaption;
    static const QString kSavedMessage;

    // The controls of the current open (rebuilt by LoadForm).
    QLineEdit *txtFacilityName = nullptr;
    QLineEdit *txtStreetAddress = nullptr;
    QLineEdit *txtMunicipality = nullptr;
    QLineEdit *txtProvince = nullptr;
    QLineEdit *txtRegion = nullptr;
    QLineEdit *txtEmailAddress = nullptr;
    QLineEdit *txtContactNo = nullptr;
    QLineEdit *txtFaxNo = nullptr;
    QLabel *lblCompleteAddress = nullptr;
    QLineEdit *txtCompleteAddress = nullptr;

    QGroupBox *fraClassification = nullptr;
    QCheckBox *chkBirthingHome = nullptr;
    QCheckBox *chkInfirmary = nullptr;
    QCheckBox *chkAcuteChronic = nullptr;
    QCheckBox *chkCustodialPsychiatric = nullptr;
    QCheckBox *chkFirstLevel = nullptr;
    QCheckBox *chkSecondLevel = nullptr;
    QCheckBox *chkThirdLevel = nullptr;

    QGroupBox *fraSpecialty = nullptr;
    QRadioButton *optParticularDisease = nullptr;
    QRadioButton *optParticularOrgan = nullptr;
    QRadioButton *optParticularPatient = nullptr;
    QRadioButton *optOthers = nullptr;
    QRadioButton *optGeneral = nullptr;
    QRadioButton *optSpecial = nullptr;
    QLabel *lblSpecialSpecify = nullptr;
    QLineEdit *txtSpecialSpecify = nullptr;

    QGroupBox *fraTrauma = nullptr;
    QRadioButton *optTraumaCapable = nullptr;
    QRadioButton *optTraumaReceiving = nullptr;

    QGroupBox *fraOwnership = nullptr;
    QLabel *lblGovernment = nullptr;
    QLabel *lblPrivate = nullptr;
    QRadioButton *optNational = nullptr;
    QRadioButton *optLocal = nullptr;
    QComboBox *cmbLocal = nullptr;
    QRadioButton *optDNDDOJ = nullptr;
    QRadioButton *optSUCs = nullptr;
    QRadioButton *optGovOthers = nullptr;
    QLineEdit *txtGovOthers = nullptr;
    QRadioButton *optSingleProprietor = nullptr;
    QRadioButton *optReligious = nullptr;
    QRadioButton *optCivicOrganization = nullptr;
    QRadioButton *optFoundation = nullptr;
    QRadioButton *optPrivateOthers = nullptr;
    QLineEdit *txtPrivateOthers = nullptr;
    QRadioButton *optOtherAgency = nullptr;
    QLineEdit *txtOtherAgencySpecify = nullptr;

    QGroupBox *fraBeds = nullptr;
    QLineEdit *txtAuthorizedBed = nullptr;
    QLineEdit *txtActualBed = nullptr;
    QLineEdit *txtAdditionalBed = nullptr;

    QGroupBox *fraQualityManagement = nullptr;
    QCheckBox *chkISOCertified = nullptr;
    QLineEdit *txtISOCertified = nullptr;
    QCheckBox *chkIntlAccreditation = nullptr;
    QLineEdit *txtIntlAccreditation = nullptr;
    QCheckBox *chkPhicAccreditation = nullptr;
    QComboBox *cmbPhilAccreditation = nullptr;
    QLineEdit *txtPhicAccreditation = nullptr;
    QCheckBox *chkQMPCAHO = nullptr;
    QLineEdit *txtQMPCAHO = nullptr;

    // The older certification items: loaded and saved, never shown.
    QGroupBox *fraOldQualityManagement = nullptr;
    QCheckBox *chkCertifiedISO = nullptr;
    QLineEdit *txtCertifiedISO = nullptr;
    QCheckBox *chkPCAHO = nullptr;
    QCheckBox *chkOtherCertifying = nullptr;
    QLineEdit *txtOtherCertifyingSpecify = nullptr;
    QLineEdit *txtCertifiedISOValidity = nullptr;
    QLineEdit *txtPCAHOValidity = nullptr;
    QLineEdit *txtOtherCertifyingValidity = nullptr;

    QPushButton *cmdSave = nullptr;
    QPushButton *cmdCancel = nullptr;

    // The exclusive option groups, hidden members included.
    QButtonGroup *grpSpecialty = nullptr;
    QButtonGroup *grpTrauma = nullptr;
    QButtonGroup *grpOwnership = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void done(int result) override;

private:
    frmHospitalInfo();

    void buildControls();
    void clearControls();
    void cmdSave_Click();
    void requireConnection() const;

    adodb::ConnectionPtr m_connection;
    bool m_initialized = false;
    // A source whose result could not be read left its controls empty; the
    // save must not write them over the stored details.
    bool m_readFailed = false;
    QList<QObject *> m_controls;
};
