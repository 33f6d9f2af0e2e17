#include "HospitalInfoFixture.h"

#include "adodb/Backend.h"
#include "com/Runtime.h"
#include "support/StatementLog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

using com::Variant;
using hospitalinfo_tests::HospitalInfoFixture;
using hospitalinfo_tests::kSectionIQuery;
using hospitalinfo_tests::kSupplementaryQuery;
using hospitalinfo_tests::Row;
using hospitalinfo_tests::SectionIRow;
using hospitalinfo_tests::SupplementaryRow;
using testing_support::SentExactly;

namespace {

const QString kSectionIPrefix = QStringLiteral("PATIENT_DATA..sp_DOH_Upload_SectionI ");
const QString kSaved = QStringLiteral("Hospital Information was saved.");

// The values of a statement's literals in order, quotes undone.
QStringList Literals(const QString &text)
{
    QStringList values;
    QString current;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('\'') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\'')) {
                current += c;
                ++i;
            } else if (c == QLatin1Char('\'')) {
                quoted = false;
            } else {
                current += c;
            }
        } else if (c == QLatin1Char('\'')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            values.append(current);
            current.clear();
        } else {
            current += c;
        }
    }
    values.append(current);
    return values;
}

// The Section I statement the save sent: its 31 values.
QStringList SentSectionI(const adodb::Connection &connection)
{
    for (const QString &text : connection.statementLog().statements()) {
        if (text.startsWith(kSectionIPrefix))
            return Literals(text.mid(kSectionIPrefix.size()));
    }
    return {};
}

QString SentUpdate(const adodb::Connection &connection)
{
    for (const QString &text : connection.statementLog().statements()) {
        if (text.startsWith(QStringLiteral("Update A ")))
            return text;
    }
    return QString();
}

QString CheckedName(const QButtonGroup *group)
{
    return group->checkedButton() ? group->checkedButton()->objectName() : QString();
}

// ---------------------------------------------------------------------------
// Loading

TEST_F(HospitalInfoFixture, LoadFillsTheControlsFromBothSourcesAndShowsNullNumbersAsZero)
{
    Row sectionI = SectionIRow();
    sectionI.set(QStringLiteral("AuthorizedBed"), Variant())
        .set(QStringLiteral("IsThirdLevel"), QStringLiteral(" X "))
        .set(QStringLiteral("IsAcuteChronic"), QStringLiteral("X"))
        .set(QStringLiteral("IsSecondLevel"), QStringLiteral("x"))
        .set(QStringLiteral("IsFirstLevel"), Variant())
        .set(QStringLiteral("CompleteAddress"), Variant());
    Row supplementary = SupplementaryRow();
    supplementary.set(QStringLiteral("LocalParticular"), QStringLiteral("Provincial"))
        .set(QStringLiteral("QMPhicAccreditation"), true)
        .set(QStringLiteral("QMPCAHO"), Variant())
        .set(QStringLiteral("QMPhicAccreditationValPeriod"), QStringLiteral("2026"))
        .set(QStringLiteral("PhilhealthAccreditationParticular"), QStringLiteral("Level 2 hospital"));
    Answer(sectionI, supplementary);
    Open([&] {
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Hospital Information"));
        EXPECT_EQ(form.txtFacilityName->text(), QStringLiteral("Santa Niña General Hospital"));
        EXPECT_EQ(form.txtMunicipality->text(), QStringLiteral("San José"));
        EXPECT_EQ(form.txtCompleteAddress->text(), QString());
        EXPECT_EQ(form.txtAuthorizedBed->text(), QStringLiteral("0"));
        EXPECT_EQ(form.txtActualBed->text(), QStringLiteral("109"));
        EXPECT_EQ(form.txtAdditionalBed->text(), QStringLiteral("9"));
        EXPECT_TRUE(form.chkThirdLevel->isChecked());
        EXPECT_TRUE(form.chkAcuteChronic->isChecked());
        EXPECT_FALSE(form.chkAcuteChronic->isEnabled());
        EXPECT_FALSE(form.chkSecondLevel->isChecked());
        EXPECT_FALSE(form.chkFirstLevel->isChecked());
        EXPECT_TRUE(form.optLocal->isChecked());
        // A stored level that is not in the list is shown as stored; the list stays as it is.
        EXPECT_EQ(form.cmbLocal->currentText(), QStringLiteral("Provincial"));
        EXPECT_EQ(form.cmbLocal->count(), 4);
        EXPECT_EQ(form.cmbPhilAccreditation->currentText(), QStringLiteral("Level 2 hospital"));
        EXPECT_TRUE(form.chkPhicAccreditation->isChecked());
        EXPECT_FALSE(form.chkQMPCAHO->isChecked());
        EXPECT_EQ(form.txtPhicAccreditation->text(), QStringLiteral("2026"));
        form.cmdSave->click();
    });
    EXPECT_EQ(box->prompts(), QStringList{kSaved});
    EXPECT_EQ(box->shown()[0].style, forms::vbInformation);
    EXPECT_EQ(box->shown()[0].title, com::App::Title());
    const QStringList sent = SentSectionI(*conn);
    ASSERT_EQ(sent.size(), 31);
    EXPECT_EQ(sent[23], QStringLiteral("0")); // the Null bed count goes back as its numeral
    EXPECT_EQ(sent[6], QStringLiteral("1"));  // the fixed classification goes back as loaded
    EXPECT_EQ(sent[10], QStringLiteral("1"));
    EXPECT_EQ(conn->statementLog().statements().mid(0, 2), (QStringList{kSectionIQuery, kSupplementaryQuery}));
}

struct OwnershipCase
{
    const char *name;
    Variant stored;
    const char *selected; // the option the load selects; "" for none
    int saved;
};

class OwnershipCodes : public HospitalInfoFixture, public ::testing::WithParamInterface<OwnershipCase>
{
};

TEST_P(OwnershipCodes, SelectTheirOptionAndAreSavedBack)
{
    const OwnershipCase &c = GetParam();
    Answer(SectionIRow().set(QStringLiteral("NatureOfOwnership"), c.stored), SupplementaryRow());
    Open([&] {
        EXPECT_EQ(CheckedName(form.grpOwnership), QString::fromLatin1(c.selected));
        form.cmdSave->click();
    });
    const QStringList sent = SentSectionI(*conn);
    ASSERT_EQ(sent.size(), 31);
    EXPECT_EQ(sent[13], QString::number(c.saved));
}

INSTANTIATE_TEST_SUITE_P(HospitalInfo, OwnershipCodes,
                         ::testing::Values(OwnershipCase{"Zero", Variant(0), "optNational", 1},
                                           OwnershipCase{"One", Variant(1), "optNational", 1},
                                           OwnershipCase{"Two", Variant(2), "optLocal", 2},
                                           OwnershipCase{"ThreeHiddenAgency", Variant(3), "optOtherAgency", 3},
                                           OwnershipCase{"Four", Variant(4), "optSingleProprietor", 4},
                                           OwnershipCase{"Five", Variant(5), "optReligious", 5},
                                           OwnershipCase{"Six", Variant(6), "optCivicOrganization", 6},
                                           OwnershipCase{"Seven", Variant(7), "optFoundation", 7},
                                           OwnershipCase{"Eight", Variant(8), "optDNDDOJ", 8},
                                           OwnershipCase{"Nine", Variant(9), "optSUCs", 9},
                                           OwnershipCase{"Ten", Variant(10), "optGovOthers", 10},
                                           OwnershipCase{"Eleven", Variant(11), "optPrivateOthers", 11},
                                           OwnershipCase{"Twelve", Variant(12), "optNational", 1},
                                           OwnershipCase{"Null", Variant(), "optNational", 1}),
                         [](const auto &info) { return std::string(info.param.name); });

struct SpecialtyCase
{
    const char *name;
    Variant isSpecial;
    Variant specialty;
    const char *selected; // the specialty group's selected option; "" for none
    int savedIsSpecial;
    int savedSpecialty;
};

class SpecialtyCodes : public HospitalInfoFixture, public ::testing::WithParamInterface<SpecialtyCase>
{
};

TEST_P(SpecialtyCodes, SelectTheirOptionAndSettleTheSpecialFlag)
{
    const SpecialtyCase &c = GetParam();
    Answer(SectionIRow().set(QStringLiteral("IsSpecial"), c.isSpecial),
           SupplementaryRow().set(QStringLiteral("Specialty"), c.specialty));
    Open([&] {
        EXPECT_EQ(CheckedName(form.grpSpecialty), QString::fromLatin1(c.selected));
        form.cmdSave->click();
    });
    const QStringList sent = SentSectionI(*conn);
    ASSERT_EQ(sent.size(), 31);
    EXPECT_EQ(sent[11], QString::number(c.savedIsSpecial));
    EXPECT_TRUE(SentUpdate(*conn).startsWith(QStringLiteral("Update A Set A.Specialty ='%1',").arg(c.savedSpecialty)))
        << SentUpdate(*conn).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    HospitalInfo, SpecialtyCodes,
    ::testing::Values(
        SpecialtyCase{"SpecialWithoutSpecialty", Variant(QStringLiteral("X")), Variant(0), "optSpecial", 1, 0},
        SpecialtyCase{"SpecialThenOrganClearsSpecial", Variant(QStringLiteral("X")), Variant(2), "optParticularOrgan",
                      0, 2},
        SpecialtyCase{"SpecialWithBlanksThenPatient", Variant(QStringLiteral(" X ")), Variant(3),
                      "optParticularPatient", 0, 3},
        SpecialtyCase{"SpecialWithCodeFive", Variant(QStringLiteral("X")), Variant(5), "optSpecial", 1, 0},
        SpecialtyCase{"SpecialWithNullSpecialty", Variant(QStringLiteral("X")), Variant(), "optSpecial", 1, 0},
        SpecialtyCase{"SmallXIsGeneral", Variant(QStringLiteral("x")), Variant(0), "optGeneral", 0, 0},
        SpecialtyCase{"NullIsGeneralThenDisease", Variant(), Variant(1), "optParticularDisease", 0, 1},
        SpecialtyCase{"EmptyIsGeneralThenOthers", Variant(QString()), Variant(4), "optOthers", 0, 4}),
    [](const auto &info) { return std::string(info.param.name); });

struct TraumaCase
{
    const char *name;
    Variant stored;
    const char *selected;
    int saved;
};

class TraumaCodes : public HospitalInfoFixture, public ::testing::WithParamInterface<TraumaCase>
{
};

TEST_P(TraumaCodes, SelectTheirOptionAndAreSavedBack)
{
    const TraumaCase &c = GetParam();
    Answer(SectionIRow(), SupplementaryRow().set(QStringLiteral("TraumaCapability"), c.stored));
    Open([&] {
        EXPECT_EQ(CheckedName(form.grpTrauma), QString::fromLatin1(c.selected));
        form.cmdSave->click();
    });
    EXPECT_TRUE(SentUpdate(*conn).contains(QStringLiteral("',A.TraumaCapability = '%1',").arg(c.saved)))
        << SentUpdate(*conn).toStdString();
}

INSTANTIATE_TEST_SUITE_P(HospitalInfo, TraumaCodes,
                         ::testing::Values(TraumaCase{"Capable", Variant(1), "optTraumaCapable", 1},
                                           TraumaCase{"Receiving", Variant(2), "optTraumaReceiving", 2},
                                           TraumaCase{"Zero", Variant(0), "", 0},
                                           TraumaCase{"Three", Variant(3), "", 0},
                                           TraumaCase{"Null", Variant(), "", 0}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(HospitalInfoFixture, UserChoicesClearTheHiddenOptionsOfTheirGroup)
{
    Answer(
        SectionIRow().set(QStringLiteral("NatureOfOwnership"), 3).set(QStringLiteral("IsSpecial"), QStringLiteral("X")),
        SupplementaryRow());
    Open([&] {
        ASSERT_TRUE(form.optOtherAgency->isChecked());
        ASSERT_TRUE(form.optSpecial->isChecked());
        form.optReligious->click();
        form.optOthers->click();
        EXPECT_FALSE(form.optOtherAgency->isChecked());
        EXPECT_FALSE(form.optSpecial->isChecked());
        form.cmdSave->click();
    });
    const QStringList sent = SentSectionI(*conn);
    ASSERT_EQ(sent.size(), 31);
    EXPECT_EQ(sent[13], QStringLiteral("5"));
    EXPECT_EQ(sent[11], QStringLiteral("0"));
    EXPECT_TRUE(SentUpdate(*conn).startsWith(QStringLiteral("Update A Set A.Specialty ='4',")));
}

// Each failing step is reported with its number and the load goes on.
struct LoadFailureCase
{
    const char *name;
    bool supplementary; // the column is one of the supplementary row's
    const char *column;
    Variant value;
    QList<int> lines;
    bool missing = false; // the column is not in the row at all
};

class LoadFailures : public HospitalInfoFixture, public ::testing::WithParamInterface<LoadFailureCase>
{
};

TEST_P(LoadFailures, AreReportedWithTheirStepAndTheLoadGoesOn)
{
    const LoadFailureCase &c = GetParam();
    Row sectionI = SectionIRow();
    Row supplementary = SupplementaryRow().set(QStringLiteral("TraumaCapability"), 2);
    Row &changed = c.supplementary ? supplementary : sectionI;
    if (c.missing)
        changed.remove(QString::fromLatin1(c.column));
    else
        changed.set(QString::fromLatin1(c.column), c.value);
    Answer(sectionI, supplementary);
    Open([&] {
        EXPECT_EQ(form.txtProvince->text(), QStringLiteral("Nueva Ecija"));
        EXPECT_TRUE(form.optTraumaReceiving->isChecked() ||
                    QLatin1String(c.column) == QLatin1String("TraumaCapability"));
        if (QLatin1String(c.column) == QLatin1String("NatureOfOwnership")) {
            EXPECT_EQ(form.grpOwnership->checkedButton(), nullptr);
        }
        form.cmdCancel->click();
    });
    QList<int> lines;
    for (const forms::MessageBoxRequest &shown : box->shown()) {
        EXPECT_EQ(shown.title, QStringLiteral("Application Error"));
        EXPECT_EQ(shown.style, forms::vbExclamation);
        const qsizetype at =
            shown.prompt.lastIndexOf(QStringLiteral("\r\nin prjVelmora.frmHospitalInfo.ReceiveDataFromBO at line "));
        EXPECT_GT(at, 0) << shown.prompt.toStdString();
        lines.append(shown.prompt.section(QLatin1Char(' '), -1).toInt());
    }
    EXPECT_EQ(lines, c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    HospitalInfo, LoadFailures,
    ::testing::Values(
        LoadFailureCase{"OwnershipWord", false, "NatureOfOwnership", Variant(QStringLiteral("abc")), {142}},
        LoadFailureCase{"BedWord", false, "AuthorizedBed", Variant(QStringLiteral("abc")), {204}},
        LoadFailureCase{"BedBeyond32Bits", false, "ActualBed", Variant(qint64(1) << 40), {206}},
        LoadFailureCase{"MissingRegion", false, "Region", Variant(), {112}, true},
        LoadFailureCase{"SpecialtyWord", true, "Specialty", Variant(QStringLiteral("abc")), {246}},
        LoadFailureCase{"TraumaWord", true, "TraumaCapability", Variant(QStringLiteral("two")), {264}},
        LoadFailureCase{"PcahoWord", true, "QMPCAHO", Variant(QStringLiteral("maybe")), {286}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(HospitalInfoFixture, AFailingSectionIReadReportsEveryStepThatDependsOnIt)
{
    conn->setInterceptor([](const QString &text) {
        if (text == kSectionIQuery)
            throw adodb::BackendError(QStringLiteral("Could not find stored procedure 'sp_DOH_Report_Section1'."));
    });
    Open([&] { form.cmdCancel->click(); });
    QList<int> expected = {104, 106};
    for (int line = 108; line <= 132; line += 2)
        expected.append(line);
    expected << 134 << 140 << 142;
    for (int line = 186; line <= 214; line += 2)
        expected.append(line);
    expected << 216;
    QList<int> lines;
    for (const QString &prompt : box->prompts())
        lines.append(prompt.section(QLatin1Char(' '), -1).toInt());
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(box->prompts().value(0).startsWith(
        QStringLiteral("Could not find stored procedure 'sp_DOH_Report_Section1'.\r\nin prjVelmora.frmHospitalInfo."
                       "ReceiveDataFromBO at line 104")));
    // The supplementary row is still read.
    EXPECT_EQ(conn->statementLog().statements().value(1), kSupplementaryQuery);
}

// ---------------------------------------------------------------------------
// Saving

TEST_F(HospitalInfoFixture, SaveSendsBothStatementsExactly)
{
    Answer(SectionIRow().set(QStringLiteral("NatureOfOwnership"), 9), SupplementaryRow());
    Open([&] {
        form.txtRegion->setText(QStringLiteral("  Region III"));
        form.txtContactNo->setText(QStringLiteral("044 1"));
        form.txtFaxNo->setText(QString());
        form.txtEmailAddress->setText(QStringLiteral("a@b.ph "));
        form.chkFirstLevel->setChecked(true);
        form.chkThirdLevel->setCheckState(Qt::PartiallyChecked); // greyed goes as 0
        form.txtSpecialSpecify->setText(QStringLiteral(" Cancer"));
        form.txtAuthorizedBed->setText(QStringLiteral(" 12 "));
        form.txtActualBed->setText(QStringLiteral("1,000"));
        form.txtAdditionalBed->setText(QStringLiteral("0"));
        form.txtFacilityName->setText(QStringLiteral("Santa Niña"));
        form.txtCompleteAddress->setText(QStringLiteral("Rizal Ave."));
        form.txtStreetAddress->setText(QStringLiteral("1 Rizal"));
        form.txtMunicipality->setText(QStringLiteral("San José"));
        form.txtProvince->setText(QStringLiteral("Nueva Ecija"));
        form.txtCertifiedISO->setText(QStringLiteral("ISO 9001"));
        form.chkCertifiedISO->setChecked(true);
        form.txtCertifiedISOValidity->setText(QStringLiteral("2028"));
        form.optParticularPatient->setChecked(true);
        form.optTraumaCapable->setChecked(true);
        form.cmbLocal->setEditText(QStringLiteral("  Barangay "));
        form.txtGovOthers->setText(QStringLiteral(" PNP "));
        form.txtPrivateOthers->setText(QStringLiteral("Coop"));
        form.chkISOCertified->setChecked(true);
        form.chkQMPCAHO->setChecked(true);
        form.txtISOCertified->setText(QStringLiteral(" 2025 - 2028 "));
        form.txtQMPCAHO->setText(QStringLiteral("2027"));
        form.cmbPhilAccreditation->setCurrentIndex(1);
        form.cmdSave->click();
    });
    EXPECT_TRUE(SentExactly(
        conn,
        {kSectionIQuery, kSupplementaryQuery,
         QStringLiteral("PATIENT_DATA..sp_DOH_Upload_SectionI '  Region III','044 1','','a@b.ph ',0,0,0,0,1,0,0,0,"
                        "' Cancer',9,'',1,'ISO 9001',0,0,'','2028','','',' 12 ','1,000','0','Santa Niña',"
                        "'Rizal Ave.','1 Rizal','San José','Nueva Ecija'"),
         QStringLiteral("Update A Set A.Specialty ='3',A.TraumaCapability = '1',A.LocalParticular = 'Barangay',"
                        "A.OwnershipGovOthers = 'PNP',A.OwnershipPrivateOthers = 'Coop',A.QMISOCertified = '1',"
                        "A.QMIntlAccreditation = '0',A.QMPhicAccreditation = '0',A.QMPCAHO = '1',"
                        "A.QMISOCertifiedValPeriod = '2025 - 2028',A.QMIntlAccreditationValPeriod = '',"
                        "A.QMPhicAccreditationValPeriod = '',A.QMPCAHOValPeriod = '2027',"
                        "A.PhilhealthAccreditationParticular = 'Advance Participation'"
                        "From PASSWORD..tbHospitalInfo2 A")}));
    EXPECT_EQ(box->prompts(), QStringList{kSaved});
    // The store took the bed count with its blanks and grouping as numbers.
    EXPECT_EQ(StoredSectionI().value(QStringLiteral("AuthorizedBed")).toInt(), 12);
    EXPECT_EQ(StoredSectionI().value(QStringLiteral("ActualBed")).toInt(), 1000);
    EXPECT_EQ(StoredSupplementary().value(QStringLiteral("LocalParticular")).toString(), QStringLiteral("Barangay"));
}

struct BedCase
{
    const char *name;
    const char *authorized;
    const char *actual;
    const char *additional;
    const char *message; // "" when the counts pass
    const char *focused; // the box that gets the focus
};

class BedValidation : public HospitalInfoFixture, public ::testing::WithParamInterface<BedCase>
{
};

TEST_P(BedValidation, StopsAtTheFirstCountThatIsNotNumeric)
{
    const BedCase &c = GetParam();
    Open([&] {
        form.txtAuthorizedBed->setText(QString::fromLatin1(c.authorized));
        form.txtActualBed->setText(QString::fromLatin1(c.actual));
        form.txtAdditionalBed->setText(QString::fromLatin1(c.additional));
        conn->statementLog().clear();
        const bool valid = form.ValidateBedEntries();
        EXPECT_EQ(valid, !*c.message);
        if (!valid) {
            EXPECT_EQ(form.focusWidget() ? form.focusWidget()->objectName() : QString(),
                      QString::fromLatin1(c.focused));
            // Save does not send anything and the form stays open.
            form.cmdSave->click();
            EXPECT_TRUE(form.isVisible());
            EXPECT_TRUE(conn->statementLog().statements().isEmpty());
        }
        form.cmdCancel->click();
    });
    if (*c.message) {
        ASSERT_EQ(box->shown().size(), 2);
        for (const forms::MessageBoxRequest &shown : box->shown()) {
            EXPECT_EQ(shown.prompt, QString::fromLatin1(c.message));
            EXPECT_EQ(shown.style, forms::vbExclamation);
            EXPECT_EQ(shown.title, com::App::Title());
        }
    } else {
        EXPECT_TRUE(box->shown().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    HospitalInfo, BedValidation,
    ::testing::Values(
        BedCase{"EmptyAuthorizedFirst", "", "x", "", "Authorized bed should be numeric.", "txtAuthorizedBed"},
        BedCase{"WordAuthorized", "ten", "10", "1", "Authorized bed should be numeric.", "txtAuthorizedBed"},
        BedCase{"WordActual", "10", "abc", "", "Actual bed should be numeric.", "txtActualBed"},
        BedCase{"EmptyAdditional", "10", "20", "", "Additional bed should be numeric.", "txtAdditionalBed"},
        BedCase{"BlankAdditional", "10", "20", "   ", "Additional bed should be numeric.", "txtAdditionalBed"},
        BedCase{"WholeNumbersBlanksAndGrouping", "100", " 109 ", "1,000", "", ""},
        BedCase{"SignAndDecimal", "-5", "1.5", "+3", "", ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(HospitalInfoFixture, EscapeCancelsWithoutSaving)
{
    Open([&] {
        form.txtRegion->setText(QStringLiteral("changed"));
        QTest::keyClick(form.txtRegion, Qt::Key_Escape);
    });
    EXPECT_TRUE(SentExactly(conn, {kSectionIQuery, kSupplementaryQuery}));
    EXPECT_TRUE(box->shown().isEmpty());
    EXPECT_EQ(form.connection(), nullptr);
}

TEST_F(HospitalInfoFixture, EachOpenListsEveryComboItemOnce)
{
    const QStringList levels = {QStringLiteral("Province"), QStringLiteral("City"), QStringLiteral("District"),
                                QStringLiteral("Municipality")};
    const QStringList participations = {QStringLiteral("Basic Participation"), QStringLiteral("Advance Participation")};
    auto items = [](const QComboBox *combo) {
        QStringList texts;
        for (int i = 0; i < combo->count(); ++i)
            texts.append(combo->itemText(i));
        return texts;
    };
    for (int open = 0; open < 2; ++open) {
        Open([&] {
            EXPECT_EQ(items(form.cmbLocal), levels);
            EXPECT_EQ(items(form.cmbPhilAccreditation), participations);
            // A typed level is kept as typed and does not join the list.
            QTest::keyClicks(form.cmbLocal, QStringLiteral("Barangay"));
            QTest::keyClick(form.cmbLocal, Qt::Key_Return);
            EXPECT_EQ(form.cmbLocal->count(), 4);
            form.cmdCancel->click();
        });
    }
}

TEST_F(HospitalInfoFixture, LoadFormWithoutInitializeFormFillsTheListsAndShowsNothing)
{
    Open([&] { form.cmdCancel->click(); }); // a closed form needs a fresh InitializeForm
    conn->statementLog().clear();
    EXPECT_FALSE(form.isInitialized());
    form.LoadForm();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.cmbLocal->count(), 4);
    EXPECT_EQ(form.cmbPhilAccreditation->count(), 2);
    EXPECT_TRUE(conn->statementLog().statements().isEmpty());
    EXPECT_TRUE(box->shown().isEmpty());
}

// ---------------------------------------------------------------------------
// What a save that does not store everything does

TEST_F(HospitalInfoFixture, AFailedSaveKeepsTheFormOpenWithTheEdits)
{
    Open([&] {
        form.txtRegion->setText(QStringLiteral("Region IV-A"));
        form.txtAuthorizedBed->setText(QStringLiteral("1.5")); // numeric, but no whole number of beds
        form.cmdSave->click();
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.txtRegion->text(), QStringLiteral("Region IV-A"));
        EXPECT_EQ(form.txtAuthorizedBed->text(), QStringLiteral("1.5"));
        // Corrected, it saves and closes.
        form.txtAuthorizedBed->setText(QStringLiteral("15"));
        form.cmdSave->click();
    });
    ASSERT_EQ(box->shown().size(), 2);
    EXPECT_EQ(box->shown()[0].prompt,
              QStringLiteral("The authorized bed count '1.5' is not a whole number of beds; nothing was saved."));
    EXPECT_EQ(box->shown()[0].style, forms::vbOKOnly);
    EXPECT_EQ(box->shown()[0].title, com::App::Title());
    EXPECT_EQ(box->shown()[1].prompt, kSaved);
    // Nothing after the failing statement was sent.
    const QStringList sent = conn->statementLog().statements();
    ASSERT_EQ(sent.size(), 5);
    EXPECT_TRUE(sent[2].startsWith(kSectionIPrefix));
    EXPECT_TRUE(sent[3].startsWith(kSectionIPrefix));
    EXPECT_TRUE(sent[4].startsWith(QStringLiteral("Update A ")));
    EXPECT_EQ(StoredSectionI().value(QStringLiteral("Region")).toString(), QStringLiteral("Region IV-A"));
}

TEST_F(HospitalInfoFixture, AFailedUpdateSaysThatSectionIWasSaved)
{
    conn->setInterceptor([](const QString &text) {
        if (text.startsWith(QStringLiteral("Update A ")))
            throw adodb::BackendError(QStringLiteral("The server is not reachable."));
    });
    Open([&] {
        form.txtRegion->setText(QStringLiteral("Region V"));
        form.txtGovOthers->setText(QStringLiteral("PNP"));
        form.cmdSave->click();
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.txtGovOthers->text(), QStringLiteral("PNP"));
        form.cmdCancel->click();
    });
    EXPECT_EQ(box->prompts(), QStringList{QStringLiteral("The hospital's Section I information was saved, but the "
                                                         "other details were not: The server is not reachable.")});
    EXPECT_EQ(box->shown()[0].style, forms::vbOKOnly);
    EXPECT_EQ(StoredSectionI().value(QStringLiteral("Region")).toString(), QStringLiteral("Region V"));
    EXPECT_NE(StoredSupplementary().value(QStringLiteral("OwnershipGovOthers")).toString(), QStringLiteral("PNP"));
}

TEST_F(HospitalInfoFixture, AnUpdateThatChangesNoRowIsNotReportedAsSaved)
{
    Store(QStringLiteral("DELETE FROM PASSWORD.tbHospitalInfo2"));
    Open([&] {
        EXPECT_EQ(form.grpSpecialty->checkedButton(), form.optGeneral);
        EXPECT_EQ(form.grpTrauma->checkedButton(), nullptr);
        EXPECT_EQ(form.cmbLocal->currentText(), QString());
        form.txtRegion->setText(QStringLiteral("Region VI"));
        form.cmdSave->click();
        EXPECT_TRUE(form.isVisible());
        form.cmdCancel->click();
    });
    ASSERT_EQ(box->shown().size(), 1);
    EXPECT_EQ(box->shown()[0].prompt,
              QStringLiteral("The hospital's Section I information was saved, but the other details could not be "
                             "saved: the hospital's row in PASSWORD..tbHospitalInfo2 is missing."));
    EXPECT_EQ(box->shown()[0].title, QStringLiteral("Notification"));
    EXPECT_EQ(StoredSectionI().value(QStringLiteral("Region")).toString(), QStringLiteral("Region VI"));
}

struct TypedTextCase
{
    const char *name;
    QString text;
};

class TypedTexts : public HospitalInfoFixture, public ::testing::WithParamInterface<TypedTextCase>
{
};

// Section I keeps the text as typed; the supplementary row keeps it trimmed.
TEST_P(TypedTexts, ReachTheStoreExactlyAndComeBack)
{
    const QString typed = GetParam().text;
    const QString trimmed = com::Trim(typed);
    auto fill = [&] {
        form.txtFacilityName->setText(typed);
        form.txtRegion->setText(typed.left(50));
        form.txtSpecialSpecify->setText(typed.left(100));
        form.txtGovOthers->setText(typed);
        form.cmbLocal->setEditText(typed);
        form.txtQMPCAHO->setText(typed.left(100));
    };
    Open([&] {
        fill();
        form.cmdSave->click();
    });
    ASSERT_EQ(box->prompts(), QStringList{kSaved});
    const auto sectionI = StoredSectionI();
    EXPECT_EQ(sectionI.value(QStringLiteral("HealthFacilityName")).toString(), typed);
    EXPECT_EQ(sectionI.value(QStringLiteral("Region")).toString(), typed.left(50));
    EXPECT_EQ(sectionI.value(QStringLiteral("SpecialSpecify")).toString(), typed.left(100));
    const auto supplementary = StoredSupplementary();
    EXPECT_EQ(supplementary.value(QStringLiteral("OwnershipGovOthers")).toString(), trimmed);
    EXPECT_EQ(supplementary.value(QStringLiteral("LocalParticular")).toString(), trimmed);
    EXPECT_EQ(supplementary.value(QStringLiteral("QMPCAHOValPeriod")).toString(), com::Trim(typed.left(100)));

    conn = store.connect();
    Open([&] {
        EXPECT_EQ(form.txtFacilityName->text(), typed);
        EXPECT_EQ(form.txtRegion->text(), typed.left(50));
        EXPECT_EQ(form.txtGovOthers->text(), trimmed);
        EXPECT_EQ(form.cmbLocal->currentText(), trimmed);
        form.cmdCancel->click();
    });
}

QString LongText()
{
    QString text;
    while (text.size() < 4096)
        text += QStringLiteral("Ospital ng Maynila 'Ñ' -- \\ ");
    return text.left(4096);
}

INSTANTIATE_TEST_SUITE_P(
    HospitalInfo, TypedTexts,
    ::testing::Values(TypedTextCase{"Quotes", QStringLiteral("St. Luke's 'Medical' Center")},
                      TypedTextCase{"CommentDashes", QStringLiteral("Region -- III'; DROP TABLE x --")},
                      TypedTextCase{"BackslashNewline", QStringLiteral("line one\\\nline two\\\r\nthree")},
                      TypedTextCase{"Accents", QStringLiteral("Santa Niña, San José — Ñuñoa")},
                      TypedTextCase{"Blanks", QStringLiteral("   padded   ")},
                      TypedTextCase{"FourKilobytes", LongText()}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(HospitalInfoFixture, BoxesTakeNoMoreThanTheirMaximumWhenTyped)
{
    Open([&] {
        const struct
        {
            QLineEdit *box;
            int maximum;
        } limited[] = {{form.txtRegion, 50},
                       {form.txtEmailAddress, 200},
                       {form.txtStreetAddress, 100},
                       {form.txtMunicipality, 100},
                       {form.txtProvince, 100},
                       {form.txtContactNo, 100},
                       {form.txtFaxNo, 100},
                       {form.txtSpecialSpecify, 100},
                       {form.txtISOCertified, 100},
                       {form.txtIntlAccreditation, 100},
                       {form.txtPhicAccreditation, 100},
                       {form.txtQMPCAHO, 100},
                       {form.txtOtherAgencySpecify, 100},
                       {form.txtCertifiedISO, 100},
                       {form.txtOtherCertifyingSpecify, 100},
                       {form.txtCertifiedISOValidity, 100},
                       {form.txtPCAHOValidity, 100},
                       {form.txtOtherCertifyingValidity, 100}};
        for (const auto &entry : limited) {
            entry.box->clear();
            EXPECT_EQ(entry.box->maxLength(), entry.maximum) << entry.box->objectName().toStdString();
        }
        QTest::keyClicks(form.txtRegion, QString(60, QLatin1Char('r')));
        EXPECT_EQ(form.txtRegion->text(), QString(50, QLatin1Char('r')));
        for (QLineEdit *open : {form.txtFacilityName, form.txtCompleteAddress, form.txtGovOthers, form.txtPrivateOthers,
                                form.txtAuthorizedBed, form.txtActualBed, form.txtAdditionalBed})
            EXPECT_GE(open->maxLength(), 1 << 20) << open->objectName().toStdString();
        form.cmdCancel->click();
    });
}

TEST_F(HospitalInfoFixture, AStoredTextLongerThanItsBoxIsKeptWhole)
{
    const QString region = QString(60, QLatin1Char('R'));
    Answer(SectionIRow().set(QStringLiteral("Region"), region), SupplementaryRow());
    Open([&] {
        EXPECT_EQ(form.txtRegion->text(), region);
        form.cmdSave->click();
    });
    const QStringList sent = SentSectionI(*conn);
    ASSERT_EQ(sent.size(), 31);
    EXPECT_EQ(sent[0], region);
}

TEST_F(HospitalInfoFixture, HiddenControlsAreNotShown)
{
    Open([&] {
        for (QWidget *hidden :
             std::initializer_list<QWidget *>{form.txtCompleteAddress, form.optOtherAgency, form.txtOtherAgencySpecify,
                                              form.optGeneral, form.optSpecial, form.fraOldQualityManagement})
            EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
        for (QWidget *shown : std::initializer_list<QWidget *>{
                 form.fraClassification, form.fraSpecialty, form.fraTrauma, form.fraOwnership, form.fraBeds,
                 form.fraQualityManagement, form.cmbLocal, form.cmbPhilAccreditation, form.cmdSave, form.cmdCancel})
            EXPECT_TRUE(shown->isVisible()) << shown->objectName().toStdString();
        EXPECT_EQ(form.fraOwnership->title(), QStringLiteral("Nature Of Ownership"));
        EXPECT_TRUE(form.fraOwnership->font().bold());
        EXPECT_FALSE(form.optNational->font().bold());
        EXPECT_TRUE(form.chkISOCertified->text().startsWith(QStringLiteral(
            "ISO Certified (Specify ISO Certifying Body and area(s) of the hospital with Certification) ")));
        EXPECT_TRUE(form.chkISOCertified->text().endsWith(QStringLiteral("...")));
        form.cmdCancel->click();
    });
}

} // namespace
