// The hospital information record: loading the controls from Section I and
// the supplementary row, and the two statements that save them back.
#include "frmHospitalInfo.h"

#include "HospitalInfoValues.h"

#include "adodb/Recordset.h"
#include "adodb/SqlText.h"
#include "com/ComError.h"
#include "com/Runtime.h"
#include "forms/ErrorTrap.h"
#include "forms/MsgBox.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include <algorithm>
#include <memory>

const QString frmHospitalInfo::kSavedMessage = QStringLiteral("Hospital Information was saved.");

namespace {

const QString kSectionIQuery = QStringLiteral("Patient_Data..sp_DOH_Report_Section1");
const QString kPartlySaved =
    QStringLiteral("The hospital's Section I information was saved, but the other details were not: ");
const QString kRowMissing =
    QStringLiteral("The hospital's Section I information was saved, but the other details could not be saved: "
                   "the hospital's row in PASSWORD..tbHospitalInfo2 is missing.");
const QString kNotRead =
    QStringLiteral("The hospital information could not be read completely, so it was not saved: saving would replace "
                   "the stored details with empty ones. Close the form and open it again.");
constexpr long kObjectNotSet = 91;

// A stored text into a box. A text longer than the box takes stays whole: the
// limit is for typing, and cutting a stored text would lose it on the next save.
void LoadText(QLineEdit *box, const com::Variant &value)
{
    const QString text = hospitalinfo::TextValue(value);
    if (text.size() > box->maxLength())
        box->setMaxLength(int(text.size()));
    box->setText(text);
    // A text wider than its box shows its beginning, not its end.
    box->setCursorPosition(0);
}

void LoadEditText(QComboBox *box, const com::Variant &value)
{
    box->setEditText(hospitalinfo::TextValue(value));
    box->lineEdit()->setCursorPosition(0);
}

void Check(QCheckBox *box, int value)
{
    box->setCheckState(value ? Qt::Checked : Qt::Unchecked);
}

// A check box as the statements send it: greyed counts as unchecked.
QString Flag(const QCheckBox *box)
{
    return box->checkState() == Qt::Checked ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

void frmHospitalInfo::requireConnection() const
{
    if (!m_connection)
        throw com::ComError(kObjectNotSet, QStringLiteral("Object variable or With block variable not set"),
                            objectName());
}

// ---------------------------------------------------------------------------
// Codes of the option groups

int frmHospitalInfo::OwnershipCode() const
{
    const QRadioButton *const byCode[] = {
        optLocal,  optOtherAgency, optSingleProprietor, optReligious,    optCivicOrganization, optFoundation,
        optDNDDOJ, optSUCs,        optGovOthers,        optPrivateOthers};
    for (int i = 0; i < int(std::size(byCode)); ++i) {
        if (byCode[i]->isChecked())
            return i + 2;
    }
    return 1;
}

int frmHospitalInfo::SpecialtyCode() const
{
    const QRadioButton *const byCode[] = {optParticularDisease, optParticularOrgan, optParticularPatient, optOthers};
    for (int i = 0; i < int(std::size(byCode)); ++i) {
        if (byCode[i]->isChecked())
            return i + 1;
    }
    return 0;
}

int frmHospitalInfo::TraumaCode() const
{
    if (optTraumaCapable->isChecked())
        return 1;
    if (optTraumaReceiving->isChecked())
        return 2;
    return 0;
}

int frmHospitalInfo::IsSpecialValue() const
{
    return optSpecial->isChecked() ? 1 : 0;
}

// ---------------------------------------------------------------------------
// Load

void frmHospitalInfo::ReceiveDataFromBO()
{
    forms::NumberedSteps steps(objectName(), QStringLiteral("ReceiveDataFromBO"));
    std::unique_ptr<adodb::Recordset> record;
    adodb::CursorLocationEnum cursorLocation = adodb::adUseServer;

    steps.step(100, [&] { record = std::make_unique<adodb::Recordset>(); });
    steps.step(102, [&] { cursorLocation = adodb::adUseClient; });
    steps.step(104, [&] {
        requireConnection();
        record->Open(kSectionIQuery, m_connection, cursorLocation, adodb::adOpenForwardOnly, adodb::adLockReadOnly);
    });

    auto field = [&](const char *name) { return record->Fields(QString::fromLatin1(name)).Value(); };
    auto text = [&](int line, QLineEdit *box, const char *name) {
        steps.step(line, [&] { LoadText(box, field(name)); });
    };
    auto xflag = [&](int line, QCheckBox *box, const char *name) {
        steps.step(line, [&] { Check(box, hospitalinfo::XFlagValue(field(name))); });
    };
    auto bedCount = [&](int line, QLineEdit *box, const char *name) {
        steps.step(line, [&] { box->setText(QString::number(hospitalinfo::NumberValue(field(name)))); });
    };

    if (steps.test(106, [&] { return !record->Eof(); })) {
        text(108, txtFacilityName, "HealthFacilityName");
        text(110, txtCompleteAddress, "CompleteAddress");
        text(112, txtRegion, "Region");
        text(114, txtContactNo, "ContactNo");
        text(116, txtFaxNo, "FaxNo");
        text(118, txtEmailAddress, "EmailAddress");
        xflag(120, chkBirthingHome, "IsBirthingHome");
        xflag(122, chkInfirmary, "IsInfirmary");
        xflag(124, chkAcuteChronic, "IsAcuteChronic");
        xflag(126, chkCustodialPsychiatric, "IsCustodialPsychiatric");
        xflag(128, chkFirstLevel, "IsFirstLevel");
        xflag(130, chkSecondLevel, "IsSecondLevel");
        xflag(132, chkThirdLevel, "IsThirdLevel");
        if (steps.test(134, [&] { return hospitalinfo::XFlagValue(field("IsSpecial")) == 1; }))
            steps.step(136, [&] { optSpecial->setChecked(true); });
        else
            steps.step(138, [&] { optGeneral->setChecked(true); });
        text(140, txtSpecialSpecify, "SpecialSpecify");

        // Codes 2 to 11 select their option; anything else is the national
        // government. A code that cannot be read selects nothing.
        qint32 ownership = 0;
        bool ownershipRead = false;
        steps.step(142, [&] {
            ownership = hospitalinfo::NumberValue(field("NatureOfOwnership"));
            ownershipRead = true;
        });
        if (ownershipRead) {
            QRadioButton *const byCode[] = {
                optLocal,  optOtherAgency, optSingleProprietor, optReligious,    optCivicOrganization, optFoundation,
                optDNDDOJ, optSUCs,        optGovOthers,        optPrivateOthers};
            if (ownership >= 2 && ownership <= 11)
                steps.step(146 + 4 * (ownership - 2), [&] { byCode[ownership - 2]->setChecked(true); });
            else
                steps.step(184, [&] { optNational->setChecked(true); });
        }

        text(186, txtOtherAgencySpecify, "OtherAgencySpecify");
        xflag(188, chkCertifiedISO, "IsCertifiedISO");
        text(190, txtCertifiedISO, "CertifiedISOSpecify");
        xflag(192, chkPCAHO, "IsPCAHO");
        xflag(194, chkOtherCertifying, "IsOtherCertifying");
        text(196, txtOtherCertifyingSpecify, "OtherCertifyingSpecify");
        text(198, txtCertifiedISOValidity, "CertifiedISOValidity");
        text(200, txtPCAHOValidity, "PCAHOValidity");
        text(202, txtOtherCertifyingValidity, "OtherCertifyingValidity");
        bedCount(204, txtAuthorizedBed, "AuthorizedBed");
        bedCount(206, txtActualBed, "ActualBed");
        bedCount(208, txtAdditionalBed, "AdditionalBed");
        text(210, txtStreetAddress, "StreetAddress");
        text(212, txtMunicipality, "Municipality");
        text(214, txtProvince, "Province");
    }
    steps.step(216, [&] { record->Close(); });

    QString query;
    steps.step(218, [&] { query = QStringLiteral(" "); });
    steps.step(220, [&] { query += QStringLiteral(" SELECT "); });
    steps.step(222, [&] { query += QStringLiteral("Specialty, TraumaCapability, LocalParticular, "); });
    steps.step(224, [&] { query += QStringLiteral("OwnershipGovOthers, OwnershipPrivateOthers, "); });
    steps.step(226, [&] {
        query += QStringLiteral("QMISOCertified, QMISOCertifiedValPeriod, QMIntlAccreditation, "
                                "QMIntlAccreditationValPeriod, ");
    });
    steps.step(228, [&] {
        query += QStringLiteral("QMPhicAccreditation, QMPhicAccreditationValPeriod, QMPCAHO, QMPCAHOValPeriod, "
                                "PhilhealthAccreditationParticular");
    });
    steps.step(230, [&] { query += QStringLiteral(" From PASSWORD..tbHospitalInfo2 "); });

    if (steps.test(232, [&] { return record && record->State() == adodb::adStateOpen; }))
        steps.step(234, [&] { record->Close(); });
    steps.step(236, [&] { record = std::make_unique<adodb::Recordset>(); });
    steps.step(238, [&] { cursorLocation = adodb::adUseClient; });
    adodb::LockTypeEnum lockType = adodb::adLockOptimistic;
    steps.step(240, [&] { lockType = adodb::adLockReadOnly; });
    steps.step(242, [&] {
        requireConnection();
        record->Open(query, m_connection, cursorLocation, adodb::adOpenForwardOnly, lockType);
    });

    auto truth = [&](int line, QCheckBox *box, const char *name) {
        steps.step(line, [&] { Check(box, hospitalinfo::TruthValue(field(name))); });
    };
    if (steps.test(244, [&] { return !record->Eof(); })) {
        // Specialty 1 to 4 selects its option, which also clears the hidden
        // general/special choice of the same group; other codes select none.
        qint32 specialty = 0;
        bool specialtyRead = false;
        steps.step(246, [&] {
            specialty = hospitalinfo::NumberValue(field("Specialty"));
            specialtyRead = true;
        });
        if (specialtyRead && specialty >= 1 && specialty <= 4) {
            QRadioButton *const byCode[] = {optParticularDisease, optParticularOrgan, optParticularPatient, optOthers};
            steps.step(250 + 4 * (specialty - 1), [&] { byCode[specialty - 1]->setChecked(true); });
        }

        qint32 trauma = 0;
        bool traumaRead = false;
        steps.step(264, [&] {
            trauma = hospitalinfo::NumberValue(field("TraumaCapability"));
            traumaRead = true;
        });
        if (traumaRead && trauma == 1)
            steps.step(268, [&] { optTraumaCapable->setChecked(true); });
        else if (traumaRead && trauma == 2)
            steps.step(272, [&] { optTraumaReceiving->setChecked(true); });

        steps.step(274, [&] { LoadEditText(cmbLocal, field("LocalParticular")); });
        text(276, txtGovOthers, "OwnershipGovOthers");
        text(278, txtPrivateOthers, "OwnershipPrivateOthers");
        truth(280, chkISOCertified, "QMISOCertified");
        truth(282, chkIntlAccreditation, "QMIntlAccreditation");
        truth(284, chkPhicAccreditation, "QMPhicAccreditation");
        truth(286, chkQMPCAHO, "QMPCAHO");
        text(288, txtISOCertified, "QMISOCertifiedValPeriod");
        text(290, txtIntlAccreditation, "QMIntlAccreditationValPeriod");
        text(292, txtPhicAccreditation, "QMPhicAccreditationValPeriod");
        text(294, txtQMPCAHO, "QMPCAHOValPeriod");
        steps.step(296, [&] { LoadEditText(cmbPhilAccreditation, field("PhilhealthAccreditationParticular")); });
    }
    steps.step(298, [&] { record->Close(); });
    steps.step(300, [&] { record.reset(); });

    // Opening a result or testing it for a row failed: that source's controls
    // were never filled. A single value that could not be converted is not
    // counted, as the user replaces it by choosing or typing a new one.
    m_readFailed = std::any_of(steps.failedLines().begin(), steps.failedLines().end(),
                               [](int line) { return line <= 106 || (line >= 232 && line <= 244); });
}

// ---------------------------------------------------------------------------
// Save

QString frmHospitalInfo::SectionIStatement() const
{
    // Texts go as typed, blanks and all; the flags and the ownership code bare.
    QStringList arguments;
    auto text = [&](const QLineEdit *box) { arguments.append(adodb::SqlText(box->text())); };
    auto flag = [&](const QCheckBox *box) { arguments.append(Flag(box)); };
    text(txtRegion);
    text(txtContactNo);
    text(txtFaxNo);
    text(txtEmailAddress);
    for (const QCheckBox *box : {chkBirthingHome, chkInfirmary, chkAcuteChronic, chkCustodialPsychiatric, chkFirstLevel,
                                 chkSecondLevel, chkThirdLevel})
        flag(box);
    arguments.append(QString::number(IsSpecialValue()));
    text(txtSpecialSpecify);
    arguments.append(QString::number(OwnershipCode()));
    text(txtOtherAgencySpecify);
    flag(chkCertifiedISO);
    text(txtCertifiedISO);
    flag(chkPCAHO);
    flag(chkOtherCertifying);
    for (const QLineEdit *box : {txtOtherCertifyingSpecify, txtCertifiedISOValidity, txtPCAHOValidity,
                                 txtOtherCertifyingValidity, txtAuthorizedBed, txtActualBed, txtAdditionalBed,
                                 txtFacilityName, txtCompleteAddress, txtStreetAddress, txtMunicipality, txtProvince})
        text(box);
    return QStringLiteral("PATIENT_DATA..sp_DOH_Upload_SectionI ") + arguments.join(QLatin1Char(','));
}

QString frmHospitalInfo::SupplementaryUpdateStatement() const
{
    // Every value between quotes, codes and flags included; texts trimmed.
    auto number = [](int value) { return adodb::SqlText(QString::number(value)); };
    auto trimmed = [](const QString &value) { return adodb::SqlText(com::Trim(value)); };
    const QStringList assignments = {
        QStringLiteral("Set A.Specialty =") + number(SpecialtyCode()),
        QStringLiteral("A.TraumaCapability = ") + number(TraumaCode()),
        QStringLiteral("A.LocalParticular = ") + trimmed(cmbLocal->currentText()),
        QStringLiteral("A.OwnershipGovOthers = ") + trimmed(txtGovOthers->text()),
        QStringLiteral("A.OwnershipPrivateOthers = ") + trimmed(txtPrivateOthers->text()),
        QStringLiteral("A.QMISOCertified = '") + Flag(chkISOCertified) + QLatin1Char('\''),
        QStringLiteral("A.QMIntlAccreditation = '") + Flag(chkIntlAccreditation) + QLatin1Char('\''),
        QStringLiteral("A.QMPhicAccreditation = '") + Flag(chkPhicAccreditation) + QLatin1Char('\''),
        QStringLiteral("A.QMPCAHO = '") + Flag(chkQMPCAHO) + QLatin1Char('\''),
        QStringLiteral("A.QMISOCertifiedValPeriod = ") + trimmed(txtISOCertified->text()),
        QStringLiteral("A.QMIntlAccreditationValPeriod = ") + trimmed(txtIntlAccreditation->text()),
        QStringLiteral("A.QMPhicAccreditationValPeriod = ") + trimmed(txtPhicAccreditation->text()),
        QStringLiteral("A.QMPCAHOValPeriod = ") + trimmed(txtQMPCAHO->text()),
        QStringLiteral("A.PhilhealthAccreditationParticular = ") + trimmed(cmbPhilAccreditation->currentText()),
    };
    return QStringLiteral("Update A ") + assignments.join(QLatin1Char(',')) + QStringLiteral("From ") +
           QStringLiteral("PASSWORD..tbHospitalInfo2 A");
}

bool frmHospitalInfo::SaveHospitalInfo()
{
    if (m_readFailed) {
        forms::MsgBox(kNotRead, forms::vbExclamation, QStringLiteral("Notification"));
        return false;
    }
    const QString sectionI = SectionIStatement();
    const QString update = SupplementaryUpdateStatement();
    try {
        requireConnection();
        m_connection->Execute(sectionI);
    } catch (const std::exception &e) {
        forms::MsgBox(com::describe(e));
        return false;
    }
    // The two statements are independent: Section I stays saved whatever the
    // update does, and the message must not read as if nothing was saved.
    long recordsAffected = -1;
    try {
        m_connection->Execute(update, &recordsAffected);
    } catch (const std::exception &e) {
        forms::MsgBox(kPartlySaved + com::describe(e));
        return false;
    }
    if (recordsAffected == 0) {
        forms::MsgBox(kRowMissing, forms::vbExclamation, QStringLiteral("Notification"));
        return false;
    }
    forms::MsgBox(kSavedMessage, forms::vbInformation | forms::vbOKOnly);
    return true;
}

bool frmHospitalInfo::ValidateBedEntries()
{
    struct BedEntry
    {
        QLineEdit *box;
        const char *message;
    };
    const BedEntry entries[] = {
        {txtAuthorizedBed, "Authorized bed should be numeric."},
        {txtActualBed, "Actual bed should be numeric."},
        {txtAdditionalBed, "Additional bed should be numeric."},
    };
    for (const BedEntry &entry : entries) {
        if (!com::IsNumeric(entry.box->text())) {
            forms::MsgBox(QString::fromLatin1(entry.message), forms::vbExclamation | forms::vbOKOnly);
            entry.box->setFocus(Qt::OtherFocusReason);
            return false;
        }
    }
    return true;
}
