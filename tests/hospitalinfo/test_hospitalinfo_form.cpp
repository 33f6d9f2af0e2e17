#include "hospitalinfo/frmHospitalInfo.h"

#include "adodb/Backend.h"
#include "com/Runtime.h"
#include "embedded/DemoHospital.h"
#include "embedded/Store.h"
#include "reportengine/ReportEngine.h"
#include "reporting/modCrystal.h"
#include "session/CurrentUser.h"
#include "startup/modSysConstants.h"
#include "support/ScriptedMessageBox.h"
#include "support/StatementLog.h"
#include "support/TempStore.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

using testing_support::SentExactly;

namespace {

const QString kLoad1 = QStringLiteral("Patient_Data..sp_DOH_Report_Section1");
const QString kLoad2 =
    QStringLiteral("  SELECT Specialty, TraumaCapability, LocalParticular, OwnershipGovOthers, OwnershipPrivateOthers, "
                   "QMISOCertified, QMISOCertifiedValPeriod, QMIntlAccreditation, QMIntlAccreditationValPeriod, "
                   "QMPhicAccreditation, QMPhicAccreditationValPeriod, QMPCAHO, QMPCAHOValPeriod, "
                   "PhilhealthAccreditationParticular From PASSWORD..tbHospitalInfo2 ");
const QString kUpload = QStringLiteral("PATIENT_DATA..sp_DOH_Upload_SectionI ");
const QString kSaved = QStringLiteral("Hospital Information was saved.");

// The form on a fresh store holding a Section I record as an earlier save left it.
class HospitalInfoForm : public ::testing::Test
{
protected:
    void SetUp() override
    {
        sql(QStringLiteral("INSERT INTO Patient_Data.tbDOHSectionI (SectionID, HealthFacilityName, Region, IsSpecial, "
                           "NatureOfOwnership, AuthorizedBed, ActualBed, AdditionalBed, Province) VALUES "
                           "(1, 'Santa Niña General Hospital', 'Region III', 0, 2, 100, 109, 9, 'Nueva Ecija')"));
    }
    void TearDown() override
    {
        if (form.isVisible())
            form.reject();
    }
    void sql(const QString &statement) { embedded::sql::exec(store.store().database(), statement); }
    QString stored(const QString &table, const QString &column)
    {
        QSqlQuery q =
            embedded::sql::exec(store.store().database(), QStringLiteral("SELECT %1 FROM %2").arg(column, table));
        return q.next() ? q.value(0).toString() : QStringLiteral("<no row>");
    }
    // Opens the form as the Hospital Info command does and runs interaction
    // once it is up; a form the interaction leaves open fails the test.
    void open(const std::function<void()> &interaction)
    {
        form.InitializeForm(conn);
        QTimer::singleShot(0, &form, interaction);
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [this] {
            ADD_FAILURE() << "the form was left open";
            form.reject();
        });
        guard.start(20000);
        form.LoadForm();
        EXPECT_FALSE(form.isVisible());
    }
    // The values of the Section I statement sent (texts without commas or quotes).
    QStringList sentSectionI() const
    {
        for (const QString &text : conn->statementLog().statements())
            if (text.startsWith(kUpload))
                return text.mid(kUpload.size()).remove(QLatin1Char('\'')).split(QLatin1Char(','));
        return {};
    }

    testing_support::TempStore store;
    adodb::ConnectionPtr conn = store.connect();
    testing_support::ScopedMessageBox box;
    frmHospitalInfo &form = frmHospitalInfo::instance();
};

QString checkedName(const QButtonGroup *group)
{
    return group->checkedButton() ? group->checkedButton()->objectName() : QString();
}

struct CodeCase
{
    const char *name;
    const char *sectionI;      // assignments to the stored Section I record
    const char *supplementary; // assignments to the stored supplementary row
    const char *selected;      // ownership, specialty and trauma options the load selects
    const char *saved;         // ownership code, IsSpecial, specialty and trauma codes the save sends
};

class OptionCodes : public HospitalInfoForm, public ::testing::WithParamInterface<CodeCase>
{
};

TEST_P(OptionCodes, SelectTheirOptionsOnLoadAndAreSavedBack)
{
    const CodeCase &c = GetParam();
    if (*c.sectionI)
        sql(QStringLiteral("UPDATE Patient_Data.tbDOHSectionI SET ") + QString::fromLatin1(c.sectionI));
    if (*c.supplementary)
        sql(QStringLiteral("UPDATE PASSWORD.tbHospitalInfo2 SET ") + QString::fromLatin1(c.supplementary));
    open([&] {
        EXPECT_EQ(
            QStringList({checkedName(form.grpOwnership), checkedName(form.grpSpecialty), checkedName(form.grpTrauma)})
                .join(QLatin1Char(',')),
            QString::fromLatin1(c.selected));
        form.cmdSave->click();
    });
    const QStringList sent = sentSectionI();
    ASSERT_EQ(sent.size(), 31);
    const QString update = conn->statementLog().statements().value(3);
    const QString codes = sent[13] + QLatin1Char(',') + sent[11] + QLatin1Char(',') +
                          update.section(QLatin1Char('\''), 1, 1) + QLatin1Char(',') +
                          update.section(QLatin1Char('\''), 3, 3);
    EXPECT_EQ(codes, QString::fromLatin1(c.saved));
}

INSTANTIATE_TEST_SUITE_P(
    HospitalInfo, OptionCodes,
    ::testing::Values(
        CodeCase{"Ownership0", "NatureOfOwnership = 0", "", "optNational,optGeneral,", "1,0,0,0"},
        CodeCase{"Ownership1", "NatureOfOwnership = 1", "", "optNational,optGeneral,", "1,0,0,0"},
        CodeCase{"Ownership2", "", "", "optLocal,optGeneral,", "2,0,0,0"},
        CodeCase{"Ownership3HiddenAgency", "NatureOfOwnership = 3", "", "optOtherAgency,optGeneral,", "3,0,0,0"},
        CodeCase{"Ownership7", "NatureOfOwnership = 7", "", "optFoundation,optGeneral,", "7,0,0,0"},
        CodeCase{"Ownership10", "NatureOfOwnership = 10", "", "optGovOthers,optGeneral,", "10,0,0,0"},
        CodeCase{"Ownership11", "NatureOfOwnership = 11", "", "optPrivateOthers,optGeneral,", "11,0,0,0"},
        CodeCase{"Ownership12", "NatureOfOwnership = 12", "", "optNational,optGeneral,", "1,0,0,0"},
        CodeCase{"OwnershipNull", "NatureOfOwnership = NULL", "", "optNational,optGeneral,", "1,0,0,0"},
        CodeCase{"SpecialWithoutSpecialty", "IsSpecial = 1", "", "optLocal,optSpecial,", "2,1,0,0"},
        CodeCase{"SpecialThenOrgan", "IsSpecial = 1", "Specialty = 2", "optLocal,optParticularOrgan,", "2,0,2,0"},
        CodeCase{"SpecialWithCode5", "IsSpecial = 1", "Specialty = 5", "optLocal,optSpecial,", "2,1,0,0"},
        CodeCase{"GeneralThenPatient", "", "Specialty = 3", "optLocal,optParticularPatient,", "2,0,3,0"},
        CodeCase{"NullSpecialThenDisease", "IsSpecial = NULL", "Specialty = 1", "optLocal,optParticularDisease,",
                 "2,0,1,0"},
        CodeCase{"NullSpecialty", "", "Specialty = NULL", "optLocal,optGeneral,", "2,0,0,0"},
        CodeCase{"TraumaCapable", "", "TraumaCapability = 1", "optLocal,optGeneral,optTraumaCapable", "2,0,0,1"},
        CodeCase{"TraumaReceiving", "", "Specialty = 4, TraumaCapability = 2", "optLocal,optOthers,optTraumaReceiving",
                 "2,0,4,2"},
        CodeCase{"Trauma3", "", "TraumaCapability = 3", "optLocal,optGeneral,", "2,0,0,0"},
        CodeCase{"TraumaNull", "", "TraumaCapability = NULL", "optLocal,optGeneral,", "2,0,0,0"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(HospitalInfoForm, UserChoicesClearTheHiddenOptionsOfTheirGroup)
{
    sql(QStringLiteral("UPDATE Patient_Data.tbDOHSectionI SET NatureOfOwnership = 3, IsSpecial = 1"));
    open([&] {
        form.optReligious->click();
        form.optOthers->click();
        EXPECT_FALSE(form.optOtherAgency->isChecked() || form.optSpecial->isChecked());
        form.cmdSave->click();
    });
    EXPECT_EQ(sentSectionI().value(13), QStringLiteral("5"));
    EXPECT_EQ(sentSectionI().value(11), QStringLiteral("0"));
}

struct LoadFailure
{
    const char *name;
    const char *assignment; // to the Section I record, or to the supplementary row
    int line;
};

class LoadFailures : public HospitalInfoForm, public ::testing::WithParamInterface<LoadFailure>
{
};

TEST_P(LoadFailures, AreReportedWithTheirStepAndTheLoadGoesOn)
{
    const QString assignment = QString::fromLatin1(GetParam().assignment);
    sql(QStringLiteral("UPDATE %1 SET %2")
            .arg(assignment.startsWith(QLatin1String("Specialty")) || assignment.startsWith(QLatin1String("Trauma"))
                     ? QStringLiteral("PASSWORD.tbHospitalInfo2")
                     : QStringLiteral("Patient_Data.tbDOHSectionI"),
                 assignment));
    sql(QStringLiteral("UPDATE PASSWORD.tbHospitalInfo2 SET LocalParticular = 'City'"));
    open([&] {
        EXPECT_EQ(form.txtProvince->text(), QStringLiteral("Nueva Ecija"));
        EXPECT_EQ(form.cmbLocal->currentText(), QStringLiteral("City"));
        form.cmdCancel->click();
    });
    ASSERT_EQ(box->shown().size(), 1);
    EXPECT_TRUE(box->shown()[0].prompt.endsWith(
        QStringLiteral("\r\nin prjVelmora.frmHospitalInfo.ReceiveDataFromBO at line %1").arg(GetParam().line)))
        << box->shown()[0].prompt.toStdString();
    EXPECT_EQ(box->shown()[0].title, QStringLiteral("Application Error"));
    EXPECT_EQ(box->shown()[0].style, forms::vbExclamation);
}

INSTANTIATE_TEST_SUITE_P(HospitalInfo, LoadFailures,
                         ::testing::Values(LoadFailure{"OwnershipWord", "NatureOfOwnership = 'abc'", 142},
                                           LoadFailure{"BedWord", "AuthorizedBed = 'abc'", 204},
                                           LoadFailure{"BedBeyond32Bits", "ActualBed = 1099511627776", 206},
                                           LoadFailure{"SpecialtyWord", "Specialty = 'abc'", 246},
                                           LoadFailure{"TraumaWord", "TraumaCapability = 'two'", 264}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(HospitalInfoForm, AFailedSectionIReadReportsEveryStepThatDependsOnIt)
{
    conn->setInterceptor([](const QString &text) {
        if (text == kLoad1)
            throw adodb::BackendError(QStringLiteral("Could not find stored procedure 'sp_DOH_Report_Section1'."));
    });
    open([&] { form.cmdCancel->click(); });
    QList<int> expected = {104, 106, 108, 110, 112, 114, 116, 118, 120, 122, 124, 126, 128, 130, 132, 134, 140, 142};
    for (int line = 186; line <= 216; line += 2)
        expected.append(line);
    QList<int> lines;
    for (const QString &prompt : box->prompts())
        lines.append(prompt.section(QLatin1Char(' '), -1).toInt());
    EXPECT_EQ(lines, expected);
    EXPECT_TRUE(box->prompts().value(0).startsWith(
        QStringLiteral("Could not find stored procedure 'sp_DOH_Report_Section1'.\r\nin prjVelmora.frmHospitalInfo.")));
    EXPECT_EQ(conn->statementLog().statements().value(1), kLoad2); // the supplementary row is still read
}

class HalfLoaded : public HospitalInfoForm, public ::testing::WithParamInterface<std::pair<const char *, QString>>
{
};

// A source that could not be read leaves its controls empty; saving them
// would write those blanks over the stored details.
TEST_P(HalfLoaded, IsNotSavedOverTheStoredDetails)
{
    sql(QStringLiteral("UPDATE PASSWORD.tbHospitalInfo2 SET LocalParticular = 'City'"));
    const QString failing = GetParam().second;
    conn->setInterceptor([failing](const QString &text) {
        if (text == failing)
            throw adodb::BackendError(QStringLiteral("The server is not reachable."));
    });
    open([&] {
        for (QLineEdit *bed : {form.txtAuthorizedBed, form.txtActualBed, form.txtAdditionalBed})
            bed->setText(QStringLiteral("10"));
        box->clear();
        form.cmdSave->click();
        EXPECT_TRUE(form.isVisible());
        form.cmdCancel->click();
    });
    EXPECT_TRUE(SentExactly(conn, {kLoad1, kLoad2}));
    EXPECT_EQ(box->prompts(),
              QStringList{QStringLiteral("The hospital information could not be read completely, so it was not saved: "
                                         "saving would replace the stored details with empty ones. Close the form and "
                                         "open it again.")});
    EXPECT_EQ(stored(QStringLiteral("Patient_Data.tbDOHSectionI"), QStringLiteral("HealthFacilityName")),
              QStringLiteral("Santa Niña General Hospital"));
    EXPECT_EQ(stored(QStringLiteral("PASSWORD.tbHospitalInfo2"), QStringLiteral("LocalParticular")),
              QStringLiteral("City"));
}

INSTANTIATE_TEST_SUITE_P(HospitalInfo, HalfLoaded,
                         ::testing::Values(std::pair{"SectionI", kLoad1}, std::pair{"Supplementary", kLoad2}),
                         [](const auto &info) { return std::string(info.param.first); });

TEST_F(HospitalInfoForm, SaveSendsBothStatementsExactly)
{
    sql(QStringLiteral("UPDATE Patient_Data.tbDOHSectionI SET AdditionalBed = NULL, NatureOfOwnership = 9"));
    open([&] {
        EXPECT_EQ(form.txtAdditionalBed->text(), QStringLiteral("0")); // a Null count shows as 0
        form.txtRegion->setText(QStringLiteral("  Region III"));
        form.txtContactNo->setText(QStringLiteral("044 1"));
        form.txtEmailAddress->setText(QStringLiteral("a@b.ph "));
        form.chkFirstLevel->setChecked(true);
        form.chkThirdLevel->setCheckState(Qt::PartiallyChecked); // greyed goes as 0
        form.txtSpecialSpecify->setText(QStringLiteral(" Cancer"));
        form.txtAuthorizedBed->setText(QStringLiteral(" 12 "));
        form.txtActualBed->setText(QStringLiteral("1,000"));
        form.txtCompleteAddress->setText(QStringLiteral("Rizal Ave."));
        form.txtMunicipality->setText(QStringLiteral("San José"));
        form.chkCertifiedISO->setChecked(true);
        form.txtCertifiedISO->setText(QStringLiteral("ISO 9001"));
        form.txtCertifiedISOValidity->setText(QStringLiteral("2028"));
        form.optParticularPatient->setChecked(true);
        form.optTraumaCapable->setChecked(true);
        form.cmbLocal->setEditText(QStringLiteral("  Barangay "));
        form.txtGovOthers->setText(QStringLiteral(" PNP "));
        form.chkISOCertified->setChecked(true);
        form.chkQMPCAHO->setChecked(true);
        form.txtISOCertified->setText(QStringLiteral(" 2025 - 2028 "));
        form.cmbPhilAccreditation->setCurrentIndex(1);
        form.cmdSave->click();
    });
    EXPECT_TRUE(SentExactly(
        conn, {kLoad1, kLoad2,
               kUpload + QStringLiteral("'  Region III','044 1','','a@b.ph ',0,0,0,0,1,0,0,0,' Cancer',9,'',1,"
                                        "'ISO 9001',0,0,'','2028','','',' 12 ','1,000','0',"
                                        "'Santa Niña General Hospital','Rizal Ave.','','San José','Nueva Ecija'"),
               QStringLiteral("Update A Set A.Specialty ='3',A.TraumaCapability = '1',A.LocalParticular = 'Barangay',"
                              "A.OwnershipGovOthers = 'PNP',A.OwnershipPrivateOthers = '',A.QMISOCertified = '1',"
                              "A.QMIntlAccreditation = '0',A.QMPhicAccreditation = '0',A.QMPCAHO = '1',"
                              "A.QMISOCertifiedValPeriod = '2025 - 2028',A.QMIntlAccreditationValPeriod = '',"
                              "A.QMPhicAccreditationValPeriod = '',A.QMPCAHOValPeriod = '',"
                              "A.PhilhealthAccreditationParticular = 'Advance Participation'"
                              "From PASSWORD..tbHospitalInfo2 A")}));
    EXPECT_EQ(box->prompts(), QStringList{kSaved});
    EXPECT_EQ(box->shown()[0].style, forms::vbInformation);
    EXPECT_EQ(box->shown()[0].title, com::App::Title());
    EXPECT_EQ(stored(QStringLiteral("Patient_Data.tbDOHSectionI"), QStringLiteral("AuthorizedBed")),
              QStringLiteral("12"));
}

struct BedCase
{
    const char *name;
    const char *counts[3];
    const char *message; // "" when the counts pass
    const char *focused; // the box that gets the focus
};

class BedValidation : public HospitalInfoForm, public ::testing::WithParamInterface<BedCase>
{
};

TEST_P(BedValidation, StopsAtTheFirstCountThatIsNotNumeric)
{
    const BedCase &c = GetParam();
    open([&] {
        form.txtAuthorizedBed->setText(QString::fromLatin1(c.counts[0]));
        form.txtActualBed->setText(QString::fromLatin1(c.counts[1]));
        form.txtAdditionalBed->setText(QString::fromLatin1(c.counts[2]));
        conn->statementLog().clear();
        EXPECT_EQ(form.ValidateBedEntries(), !*c.message);
        if (*c.message) {
            EXPECT_EQ(form.focusWidget()->objectName(), QString::fromLatin1(c.focused));
            form.cmdSave->click(); // sends nothing and the form stays open
            EXPECT_TRUE(form.isVisible() && conn->statementLog().statements().isEmpty());
        }
        form.cmdCancel->click();
    });
    for (const forms::MessageBoxRequest &shown : box->shown()) {
        EXPECT_EQ(shown.prompt, QString::fromLatin1(c.message));
        EXPECT_EQ(shown.style, forms::vbExclamation);
    }
    EXPECT_EQ(box->shown().size(), *c.message ? 2 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    HospitalInfo, BedValidation,
    ::testing::Values(
        BedCase{"EmptyAuthorized", {"", "x", ""}, "Authorized bed should be numeric.", "txtAuthorizedBed"},
        BedCase{"WordActual", {"10", "abc", ""}, "Actual bed should be numeric.", "txtActualBed"},
        BedCase{"BlankAdditional", {"10", "20", "  "}, "Additional bed should be numeric.", "txtAdditionalBed"},
        BedCase{"BlanksAndGrouping", {"100", " 109 ", "1,000"}, "", ""},
        BedCase{"SignAndDecimal", {"-5", "1.5", "+3"}, "", ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(HospitalInfoForm, EveryOpenStartsFreshAndEscapeCancels)
{
    for (int round = 0; round < 2; ++round) {
        open([&] {
            EXPECT_EQ(form.cmbLocal->count(), 4);
            EXPECT_EQ(form.cmbLocal->itemText(3), QStringLiteral("Municipality"));
            EXPECT_EQ(form.cmbPhilAccreditation->count(), 2);
            EXPECT_EQ(form.cmbPhilAccreditation->itemText(1), QStringLiteral("Advance Participation"));
            EXPECT_EQ(form.cmbLocal->currentText(), QString()); // no stored level: nothing picked
            QTest::keyClicks(form.cmbLocal, QStringLiteral("Barangay"));
            QTest::keyClick(form.cmbLocal, Qt::Key_Return); // a typed level does not join the list
            EXPECT_EQ(form.cmbLocal->count(), 4);
            QTest::keyClick(form.txtRegion, Qt::Key_Escape);
        });
    }
    EXPECT_TRUE(SentExactly(conn, {kLoad1, kLoad2, kLoad1, kLoad2}));
    EXPECT_EQ(form.connection(), nullptr);
    // Without a fresh InitializeForm the lists are filled and nothing is shown or sent.
    form.LoadForm();
    EXPECT_EQ(form.cmbLocal->count(), 4);
    EXPECT_EQ(conn->statementLog().statements().size(), 4);
    EXPECT_TRUE(box->shown().isEmpty());
}

TEST_F(HospitalInfoForm, AFailedSaveKeepsTheFormOpenWithTheEdits)
{
    open([&] {
        form.txtRegion->setText(QStringLiteral("Region IV-A"));
        form.txtAuthorizedBed->setText(QStringLiteral("1.5")); // numeric, but no whole number of beds
        form.cmdSave->click();
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.txtRegion->text(), QStringLiteral("Region IV-A"));
        form.txtAuthorizedBed->setText(QStringLiteral("15"));
        form.cmdSave->click();
    });
    EXPECT_EQ(box->prompts(),
              (QStringList{QStringLiteral("The authorized bed count '1.5' is not a whole number of beds; nothing "
                                          "was saved."),
                           kSaved}));
    EXPECT_EQ(box->shown()[0].style, forms::vbOKOnly);
    EXPECT_EQ(conn->statementLog().statements().size(), 5); // the failed upload, then both statements again
    EXPECT_EQ(stored(QStringLiteral("Patient_Data.tbDOHSectionI"), QStringLiteral("Region")),
              QStringLiteral("Region IV-A"));
}

TEST_F(HospitalInfoForm, AFailedUpdateSaysThatSectionIWasSaved)
{
    conn->setInterceptor([](const QString &text) {
        if (text.startsWith(QStringLiteral("Update A ")))
            throw adodb::BackendError(QStringLiteral("The server is not reachable."));
    });
    open([&] {
        form.txtRegion->setText(QStringLiteral("Region V"));
        form.cmdSave->click();
        EXPECT_TRUE(form.isVisible());
        form.cmdCancel->click();
    });
    EXPECT_EQ(box->prompts(), QStringList{QStringLiteral("The hospital's Section I information was saved, but the "
                                                         "other details were not: The server is not reachable.")});
    EXPECT_EQ(stored(QStringLiteral("Patient_Data.tbDOHSectionI"), QStringLiteral("Region")),
              QStringLiteral("Region V"));
}

TEST_F(HospitalInfoForm, AnUpdateThatChangesNoRowIsNotReportedAsSaved)
{
    sql(QStringLiteral("DELETE FROM PASSWORD.tbHospitalInfo2"));
    open([&] {
        form.cmdSave->click();
        EXPECT_TRUE(form.isVisible());
        form.cmdCancel->click();
    });
    EXPECT_EQ(box->prompts(),
              QStringList{QStringLiteral("The hospital's Section I information was saved, but the other details could "
                                         "not be saved: the hospital's row in PASSWORD..tbHospitalInfo2 is missing.")});
    EXPECT_EQ(box->shown()[0].title, QStringLiteral("Notification"));
}

class TypedTexts : public HospitalInfoForm, public ::testing::WithParamInterface<std::pair<const char *, QString>>
{
};

// Section I keeps a text as typed; the supplementary row keeps it trimmed.
TEST_P(TypedTexts, ReachTheStoreExactlyAndComeBack)
{
    const QString typed = GetParam().second;
    open([&] {
        form.txtFacilityName->setText(typed);
        form.txtSpecialSpecify->setText(typed.left(100));
        form.txtGovOthers->setText(typed);
        form.cmbPhilAccreditation->setEditText(typed);
        form.cmdSave->click();
    });
    ASSERT_EQ(box->prompts(), QStringList{kSaved});
    const QString sectionI = QStringLiteral("Patient_Data.tbDOHSectionI");
    const QString row2 = QStringLiteral("PASSWORD.tbHospitalInfo2");
    EXPECT_EQ(stored(sectionI, QStringLiteral("HealthFacilityName")), typed);
    EXPECT_EQ(stored(sectionI, QStringLiteral("SpecialSpecify")), typed.left(100));
    EXPECT_EQ(stored(row2, QStringLiteral("OwnershipGovOthers")), com::Trim(typed));
    EXPECT_EQ(stored(row2, QStringLiteral("PhilhealthAccreditationParticular")), com::Trim(typed));
    open([&] {
        EXPECT_EQ(form.txtFacilityName->text(), typed);
        EXPECT_EQ(form.cmbPhilAccreditation->currentText(), com::Trim(typed));
        form.cmdCancel->click();
    });
}

INSTANTIATE_TEST_SUITE_P(
    HospitalInfo, TypedTexts,
    ::testing::Values(std::pair{"Quotes", QStringLiteral("St. Luke's 'Medical' Center")},
                      std::pair{"CommentDashes", QStringLiteral("Region -- III'; DROP TABLE x --")},
                      std::pair{"BackslashNewline", QStringLiteral("line one\\\nline two\\\r\nthree\\")},
                      std::pair{"Accents", QStringLiteral("Santa Niña, San José — Ñuñoa")},
                      std::pair{"Blanks", QStringLiteral("   padded   ")},
                      std::pair{"FourKilobytes", QStringLiteral("Ospital 'Ñ' -- \\\n").repeated(256)}),
    [](const auto &info) { return std::string(info.param.first); });

TEST_F(HospitalInfoForm, BoxesTakeTheirMaximumWhenTypedButKeepALongerStoredText)
{
    sql(QStringLiteral("UPDATE Patient_Data.tbDOHSectionI SET Province = '%1'").arg(QString(120, QLatin1Char('P'))));
    open([&] {
        form.txtRegion->clear();
        QTest::keyClicks(form.txtRegion, QString(60, QLatin1Char('r')));
        EXPECT_EQ(form.txtRegion->text(), QString(50, QLatin1Char('r')));
        EXPECT_EQ(form.txtEmailAddress->maxLength(), 200);
        EXPECT_EQ(form.txtQMPCAHO->maxLength(), 100);
        EXPECT_EQ(form.txtProvince->text().size(), 120);
        form.cmdSave->click();
    });
    EXPECT_EQ(stored(QStringLiteral("Patient_Data.tbDOHSectionI"), QStringLiteral("Province")).size(), 120);
}

// The whole road on the demo hospital: every editable control changed by
// keyboard and mouse, saved, reopened, and the year's general information report.
class DemoHospitalRoundTrip : public HospitalInfoForm
{
protected:
    void SetUp() override
    {
        embedded::DemoHospital::Options options;
        options.referenceDate = QDate(2026, 2, 1);
        options.fullYears = 0;
        embedded::DemoHospital::fill(store.store(), options);
    }
    void TearDown() override
    {
        modCrystal::pobjReport.reset();
        modSysConstants::pobjCurrentUser.reset();
        HospitalInfoForm::TearDown();
    }
};

// The session as report tables log on with it: the store's folder.
struct StoreUser : session::CurrentUser
{
    QString folder;
    adodb::ConnectionPtr sqlconnection() override { return nullptr; }
    void setPasswordDeptCode(const QString &) override {}
    QString PasswordDeptCode() const override { return QString(); }
    void ShowMain() override {}
    com::Variant Connected() const override { return true; }
    QString ServerName() const override { return folder; }
    QString UserID() const override { return QStringLiteral("demo"); }
    QString ServerPassword() const override { return QString(); }
};

// Selects a box's text and types over it, letters beyond ASCII included.
void typeOver(QLineEdit *box, const QString &text)
{
    box->selectAll();
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(box, &press);
    }
}

TEST_F(DemoHospitalRoundTrip, EveryEditedControlComesBackAndTheReportShowsIt)
{
    const QList<std::pair<QLineEdit * frmHospitalInfo::*, QString>> typed = {
        {&frmHospitalInfo::txtFacilityName, QStringLiteral("Ospital ng Santa Niña")},
        {&frmHospitalInfo::txtStreetAddress, QStringLiteral("45 Burgos St.")},
        {&frmHospitalInfo::txtMunicipality, QStringLiteral("Cabanatuan City")},
        {&frmHospitalInfo::txtProvince, QStringLiteral("Nueva Écija")},
        {&frmHospitalInfo::txtRegion, QStringLiteral("Region III (Central Luzon)")},
        {&frmHospitalInfo::txtEmailAddress, QStringLiteral("his@santanina.ph")},
        {&frmHospitalInfo::txtContactNo, QStringLiteral("(044) 600-0001")},
        {&frmHospitalInfo::txtFaxNo, QStringLiteral("(044) 600-0002")},
        {&frmHospitalInfo::txtSpecialSpecify, QStringLiteral("Children's heart")},
        {&frmHospitalInfo::txtGovOthers, QStringLiteral("PNP -- Camp Olivas")},
        {&frmHospitalInfo::txtPrivateOthers, QStringLiteral("Cooperative")},
        {&frmHospitalInfo::txtAuthorizedBed, QStringLiteral("1250")},
        {&frmHospitalInfo::txtActualBed, QStringLiteral("1300")},
        {&frmHospitalInfo::txtAdditionalBed, QStringLiteral("50")},
        {&frmHospitalInfo::txtISOCertified, QStringLiteral("June 1, 2026 - May 31, 2029")},
        {&frmHospitalInfo::txtIntlAccreditation, QStringLiteral("2026 - 2028 (JCI)")},
        {&frmHospitalInfo::txtPhicAccreditation, QStringLiteral("January 1 - December 31, 2027")},
        {&frmHospitalInfo::txtQMPCAHO, QStringLiteral("PCAHO 2027")},
    };
    // The controls of the current open (each open builds its own).
    auto clicked = [&] {
        return QList<QAbstractButton *>{form.chkFirstLevel,      form.chkSecondLevel,       form.chkThirdLevel,
                                        form.optParticularOrgan, form.optTraumaCapable,     form.optGovOthers,
                                        form.chkISOCertified,    form.chkIntlAccreditation, form.chkPhicAccreditation,
                                        form.chkQMPCAHO};
    };
    QList<bool> before;
    open([&] {
        EXPECT_EQ(form.txtFacilityName->text(), QStringLiteral("Santa Niña General Hospital"));
        EXPECT_EQ(form.txtActualBed->text(), QStringLiteral("109"));
        EXPECT_EQ(form.cmbLocal->currentText(), QStringLiteral("Provincial"));
        EXPECT_TRUE(form.optLocal->isChecked() && form.optTraumaReceiving->isChecked());
        for (const auto &[box, text] : typed)
            typeOver(form.*box, text);
        typeOver(form.cmbLocal->lineEdit(), QStringLiteral("Barangay"));
        form.cmbPhilAccreditation->setCurrentIndex(1);
        for (QAbstractButton *button : clicked()) {
            before.append(button->isChecked());
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(7, button->height() / 2));
        }
        QTest::mouseClick(form.cmdSave, Qt::LeftButton);
    });
    ASSERT_EQ(box->prompts(), QStringList{kSaved});
    open([&] {
        for (const auto &[box, text] : typed)
            EXPECT_EQ((form.*box)->text(), text);
        EXPECT_EQ(form.cmbLocal->currentText(), QStringLiteral("Barangay"));
        EXPECT_EQ(form.cmbPhilAccreditation->currentText(), QStringLiteral("Advance Participation"));
        const QList<QAbstractButton *> buttons = clicked();
        for (qsizetype i = 0; i < buttons.size(); ++i) // a check box turned over, an option chosen
            EXPECT_EQ(buttons[i]->isChecked(), !before[i]) << buttons[i]->objectName().toStdString();
        // Kept as loaded: the demo is a general hospital, ISO certified.
        EXPECT_TRUE(!form.chkAcuteChronic->isChecked() && form.chkCertifiedISO->isChecked());
        form.cmdCancel->click();
    });

    auto user = std::make_shared<StoreUser>();
    user->folder = store.folder();
    modSysConstants::pobjCurrentUser = user;
    modCrystal::OpenReportFile(com::App::Path() + QStringLiteral("/rptNewDOHHospitalGeneralInformation.rpt"),
                               {QStringLiteral("2026")});
    QList<reportengine::DisplayItem> items;
    for (const reportengine::DisplayPage &page : modCrystal::pobjReport->document().pages)
        items += page.items;
    auto shows = [&](const QString &text) {
        return std::any_of(items.begin(), items.end(), [&](const auto &item) { return item.text == text; });
    };
    // A ticked box: an "X" right before the caption, on its line.
    auto ticked = [&](const QString &caption) {
        return std::any_of(items.begin(), items.end(), [&](const auto &label) {
            return label.text == caption && std::any_of(items.begin(), items.end(), [&](const auto &mark) {
                       const double gap = label.rect.left() - mark.rect.right();
                       return mark.text == QLatin1String("X") && gap >= 0 && gap < 8 &&
                              std::abs(mark.rect.center().y() - label.rect.center().y()) < 2;
                   });
        });
    };
    for (const auto &[box, text] : typed)
        EXPECT_TRUE(shows(text) || shows(QLocale(QLocale::English).toString(text.toInt()))) << text.toStdString();
    EXPECT_TRUE(shows(QStringLiteral("Barangay")) && shows(QStringLiteral("Advance Participation")));
    for (const char *caption : {"First Level Referral Hospital / Primary Care",
                                "Third Level Referral Hospital / Tertiary Care", "Treats a particular organ",
                                "Trauma capable", "International accreditation; valid", "PCAHO accreditation; valid"})
        EXPECT_TRUE(ticked(QString::fromLatin1(caption))) << caption;
    for (const char *caption : {"Second Level Referral Hospital / Secondary Care", "Trauma receiving",
                                "ISO certified; valid", "Local:", "Acute-Chronic Psychiatric Care Facility"})
        EXPECT_FALSE(ticked(QString::fromLatin1(caption))) << caption;
}

} // namespace
