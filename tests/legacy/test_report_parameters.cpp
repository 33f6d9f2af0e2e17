// The report parameters dialog: the status check of a month and of a year,
// when it runs, the reports OK opens with their dates, files, values and
// header, and what OK and the check do with a failure and with a bad year.
#include "ReportParametersFixture.h"

#include "support/ShownReports.h"
#include "support/StatementLog.h"

#include "com/Runtime.h"
#include "startup/modSysConstants.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace legacy_tests;
using testing_support::SentExactly;

namespace {

const QString kLogged = QStringLiteral("(Last Updated: 03/15/2026)");
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

// One status check: what the log holds for 2026, the choice, what it shows.
struct StatusCase
{
    const char *name;
    QString report;
    int month; // 0: Yearly
    QString loggedId;
    QList<int> loggedMonths;
    QString status;
    bool okEnabled;
    QList<int> searchedMonths;
};

class StatusCheck : public ReportParametersFixture, public ::testing::WithParamInterface<StatusCase>
{
};

QList<int> Months(int from, int to, int except = 0)
{
    QList<int> months;
    for (int m = from; m <= to; ++m)
        if (m != except)
            months.append(m);
    return months;
}

} // namespace

TEST_P(StatusCheck, ShowsWhetherThePeriodWasGenerated)
{
    const StatusCase &c = GetParam();
    for (int month : c.loggedMonths)
        Log(c.loggedId, 2026, month);
    Open();
    // The general information checks nothing, so only the last pick sends.
    Pick(kGeneralInfo, c.month);
    ASSERT_TRUE(m_connection->statementLog().statements().isEmpty());
    Pick(c.report, c.month);
    QStringList searches;
    for (int month : c.searchedMonths)
        searches.append(Search(2026, month));
    EXPECT_TRUE(SentExactly(m_connection, searches));
    EXPECT_EQ(m_dialog->lblLastUpdated->text(), c.status);
    EXPECT_EQ(m_dialog->lblLastUpdated->palette().color(QPalette::WindowText), c.okEnabled ? kBlack : kRed);
    EXPECT_EQ(m_dialog->cmdOK->isEnabled(), c.okEnabled);
    EXPECT_TRUE(m_box->shown().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Periods, StatusCheck,
    ::testing::Values(StatusCase{"MonthLogged", kDischarges, 3, QStringLiteral("II."), {3}, kLogged, true, {3}},
                      StatusCase{"MonthNotLogged",
                                 kDischarges,
                                 3,
                                 QStringLiteral("II."),
                                 {2, 4},
                                 frmReportParameters::kNoMonthlyData,
                                 false,
                                 {3}},
                      StatusCase{"MonthLoggedForAnotherReport",
                                 kBeds,
                                 3,
                                 QStringLiteral("II."),
                                 {3},
                                 frmReportParameters::kNoMonthlyData,
                                 false,
                                 {3}},
                      StatusCase{"YearlyWithJulyMissing", kBeds, 0, QStringLiteral("I.3.4"), Months(1, 12, 7),
                                 frmReportParameters::kIncompleteMonthlyData, false, Months(1, 7)},
                      StatusCase{"YearlyWithAllTwelve", kBeds, 0, QStringLiteral("I.3.4"), Months(1, 12), QString(),
                                 true, Months(1, 12)}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ReportParametersFixture, TheGeneralInformationIsNeverCheckedAndAlwaysOpens)
{
    Open();
    Pick(kDischarges, 3);
    ASSERT_FALSE(m_dialog->cmdOK->isEnabled());
    for (int month : {3, 0}) {
        m_connection->statementLog().clear();
        Pick(kGeneralInfo, month);
        EXPECT_TRUE(m_connection->statementLog().statements().isEmpty());
        EXPECT_TRUE(m_dialog->cmdOK->isEnabled());
        EXPECT_EQ(m_dialog->lblLastUpdated->text(), QString());
        EXPECT_EQ(m_dialog->lblLastUpdated->palette().color(QPalette::WindowText), kBlack);
    }
}

TEST_F(ReportParametersFixture, NamesBeginningIIShareTheOneLogRowOfII)
{
    Log(QStringLiteral("II."), 2026, 3);
    Open();
    for (int i = 1; i < m_dialog->cboReportName->count(); ++i) {
        m_dialog->cboReportName->setCurrentIndex(i);
        const QString name = m_dialog->cboReportName->currentText();
        SCOPED_TRACE(name.toStdString());
        const bool shares = name.startsWith(QStringLiteral("II. "));
        EXPECT_EQ(m_dialog->lblLastUpdated->text(), shares ? kLogged : frmReportParameters::kNoMonthlyData);
        EXPECT_EQ(m_dialog->cmdOK->isEnabled(), shares);
    }
}

TEST_F(ReportParametersFixture, AYearTypedDigitByDigitIsCheckedAtItsFourthCharacter)
{
    Log(QStringLiteral("II."), 2025, 3);
    Open();
    Pick(kDischarges, 3);
    m_dialog->txtYear->clear();
    m_connection->statementLog().clear();
    for (const char *typed : {"2", "20", "202"}) {
        QTest::keyClick(m_dialog->txtYear, typed[std::strlen(typed) - 1]);
        ASSERT_EQ(m_dialog->txtYear->text(), QString::fromLatin1(typed));
        EXPECT_TRUE(m_connection->statementLog().statements().isEmpty()) << typed;
    }
    QTest::keyClick(m_dialog->txtYear, '5');
    EXPECT_TRUE(SentExactly(m_connection, {Search(2025, 3)}));
    EXPECT_EQ(m_dialog->lblLastUpdated->text(), kLogged);
    QTest::keyClick(m_dialog->txtYear, '1');
    EXPECT_EQ(m_connection->statementLog().statements().size(), 1) << "a fifth character is not checked";
    EXPECT_TRUE(m_box->shown().isEmpty()) << "a year being typed is not refused";
}

TEST_F(ReportParametersFixture, FillingTheDialogChecksNothingAndShowsItModally)
{
    m_dialog = std::make_unique<frmReportParameters>();
    m_dialog->setTodayProvider([] { return QDate(2026, 3, 15); });
    m_dialog->InitializeForm(m_connection, kHospital, kAddress, QString());
    bool shownModally = false;
    QTimer::singleShot(50, [&] {
        shownModally = QApplication::activeModalWidget() == m_dialog.get();
        m_dialog->cmdCancel->click();
    });
    m_dialog->LoadForm();
    EXPECT_TRUE(shownModally);
    // Checks during the filling would send searches or refuse the year not yet filled in.
    EXPECT_TRUE(m_connection->statementLog().statements().isEmpty());
    EXPECT_TRUE(m_box->shown().isEmpty());
    EXPECT_FALSE(m_dialog->isLoading());
    EXPECT_EQ(m_dialog->windowTitle(), QStringLiteral("Report Parameters"));
    EXPECT_EQ(m_dialog->cboReportName->currentIndex(), 0);
    EXPECT_EQ(m_dialog->cboMonth->currentText(), QStringLiteral("March"));
    EXPECT_EQ(m_dialog->txtYear->text(), QStringLiteral("2026"));
    EXPECT_EQ(m_dialog->lblLastUpdated->text(), QString());
    EXPECT_TRUE(m_dialog->cmdOK->isEnabled());
    EXPECT_FALSE(m_dialog->connection()) << "Cancel releases the connection";
}

// OK's dates, for a report that takes the dates alone.
struct DatesCase
{
    const char *name;
    int year;
    int month;
    const char *first;
    const char *last;
};

class OkDates : public ReportParametersFixture, public ::testing::WithParamInterface<DatesCase>
{
};

TEST_P(OkDates, HandTheReportTheMonthOrTheYear)
{
    const DatesCase &c = GetParam();
    for (int month : c.month ? QList<int>{c.month} : Months(1, 12))
        Log(QStringLiteral("II."), c.year, month);
    Open();
    m_dialog->txtYear->setText(QString::number(c.year));
    Pick(kDischarges, c.month);
    ASSERT_TRUE(m_dialog->cmdOK->isEnabled());
    const auto shown = testing_support::Previewing(m_dialog.get(), [&] { m_dialog->cmdOK->click(); });
    ASSERT_EQ(shown.size(), 1) << m_box->prompts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(shown[0].values, (QStringList{QString::fromLatin1(c.first), QString::fromLatin1(c.last)}));
}

INSTANTIATE_TEST_SUITE_P(Periods, OkDates,
                         ::testing::Values(DatesCase{"LeapFebruary", 2024, 2, "02/01/2024", "02/29/2024"},
                                           DatesCase{"February", 2023, 2, "02/01/2023", "02/28/2023"},
                                           DatesCase{"December", 2024, 12, "12/01/2024", "12/31/2024"},
                                           DatesCase{"Yearly", 2024, 0, "01/01/2024", "12/31/2024"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ReportParametersFixture, EveryNameOpensItsReportWithItsValuesAndHeader)
{
    enum Values { Year, Dates, HospitalAndDates };
    const struct
    {
        const char *name;
        const char *file;
        Values values;
        bool header;
    } mappings[] = {
        {"I. Hospital General Information", "rptNewDOHHospitalGeneralInformation.rpt", Year, false},
        {"I.3.4 Allocation of Beds", "rptNewDOHBedOccupancyRate.rpt", Dates, true},
        {"I.9 Laboratory Services", "rptNewDOHLaboratoryServices.rpt", HospitalAndDates, false},
        {"II. Hospital Operations. A.Summary of Patients in the Hospital", "rptNewDOHSummaryOfPatientsInHospital.rpt",
         Dates, true},
        {"II. Hospital Operations. B. Discharges", "rptNewDOHInpatientDischargesByService.rpt", Dates, true},
        {"II. B.2. Top 10 Leading Causes of Morbidity", "rptNewDOHLeadingCausesOfMorbidity.rpt", Dates, true},
        {"II. B.3 Total Number of Deliveries and B.4 Outpatient Visits", "rptDeliveriesAndOutpatientVisits.rpt", Dates,
         true},
        {"II.6 Death", "rptNewDOHDeaths.rpt", Dates, true},
        {"II. C. Deaths 3.Top 10 Leading Causes of Mortality", "rptNewDOHLeadingCausesOfMortality.rpt", Dates, true},
        {"II.8 Surgical Operations", "rptNewDOHSurgicalOperationsByMedicareType.rpt", Dates, true},
        {"II.9.1 10 Leading Major Operations", "rptNewDOHTop10LeadingMajorOperation.rpt", Dates, true},
        {"II.9.2 10 Leading Minor Operations", "rptNewDOHTop10LeadingMinorOperation.rpt", Dates, true},
        {"II.9.3 10 Leading Causes of Emergency Cases(OLD)", "rptNewDOHLeadingCausesOfERCases.rpt", Dates, true},
        {"III.11.4 Leading Causes of Consultation (OPD)(OLD)", "rptNewDOHLeadingCausesOfOPDConsultations.rpt", Dates,
         true},
    };
    for (const char *id : {"I.3.4", "I.9", "II.", "II.6", "II.8", "II.9.1", "II.9.2", "II.9.3", "III.11.4"})
        Log(QString::fromLatin1(id), 2026, 3);
    Open();
    ASSERT_EQ(m_dialog->cboReportName->count(), int(std::size(mappings)));
    const QStringList dates = {QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")};
    const QStringList hospital = {kHospital, kAddress, QString()};
    for (int i = 0; i < int(std::size(mappings)); ++i) {
        const QString name = QString::fromUtf8(mappings[i].name);
        SCOPED_TRACE(mappings[i].name);
        EXPECT_EQ(m_dialog->cboReportName->itemText(i), name);
        m_dialog->cboReportName->setCurrentIndex(i);
        ASSERT_TRUE(m_dialog->cmdOK->isEnabled());
        const auto shown = testing_support::Previewing(m_dialog.get(), [&] { m_dialog->cmdOK->click(); });
        ASSERT_EQ(shown.size(), 1) << m_box->prompts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(shown[0].caption, name);
        EXPECT_EQ(shown[0].file, QString::fromLatin1(mappings[i].file));
        const QStringList values[] = {{QStringLiteral("2026")}, dates, hospital + dates};
        EXPECT_EQ(shown[0].values, values[mappings[i].values]);
        EXPECT_EQ(shown[0].header, mappings[i].header ? std::optional(hospital) : std::nullopt);
        EXPECT_EQ(shown[0].pointer, forms::MousePointer::Hourglass);
        EXPECT_EQ(forms::GetMousePointer(m_dialog.get()), forms::MousePointer::Default);
        EXPECT_FALSE(modCrystal::pobjReport) << "closing the viewer releases the report";
    }
    EXPECT_TRUE(m_box->shown().isEmpty());
}

TEST_F(ReportParametersFixture, AFailedOpenIsReportedOnceAndTheDialogStaysUsable)
{
    Log(QStringLiteral("II."), 2026, 3);
    Open();
    Pick(kDischarges, 3);
    QTemporaryDir empty;
    catalogue::SetReportFolder(empty.path());
    const auto attempt = [&] { return testing_support::Previewing(m_dialog.get(), [&] { m_dialog->cmdOK->click(); }); };
    EXPECT_TRUE(attempt().isEmpty());
    // A report that opens but whose tables cannot log on fails in the viewer.
    catalogue::SetReportFolder(QString());
    m_user->server = empty.path();
    EXPECT_TRUE(attempt().isEmpty());
    ASSERT_EQ(m_box->shown().size(), 2);
    EXPECT_EQ(m_box->shown()[0].prompt,
              QStringLiteral("File not found: the report file '%1/rptNewDOHInpatientDischargesByService.rpt' does not "
                             "exist.")
                  .arg(empty.path()));
    EXPECT_TRUE(m_box->shown()[1].prompt.contains(QStringLiteral("Logon failed for server '%1'").arg(empty.path())))
        << m_box->shown()[1].prompt.toStdString();
    for (const forms::MessageBoxRequest &box : m_box->shown())
        EXPECT_EQ(box.title, com::App::Title());
    EXPECT_EQ(forms::GetMousePointer(m_dialog.get()), forms::MousePointer::Default);
    EXPECT_FALSE(modCrystal::pobjReport);
    m_user->server = m_store.folder();
    EXPECT_EQ(attempt().size(), 1) << "the same dialog opens the report once it can";
}

TEST_F(ReportParametersFixture, AYearThatIsNotFourDigitsIsRefusedBeforeAnythingIsSent)
{
    Log(QStringLiteral("II."), 2026, 3);
    Open();
    Pick(kDischarges, 3);
    ASSERT_TRUE(m_dialog->cmdOK->isEnabled());
    m_connection->statementLog().clear();
    m_dialog->txtYear->setText(QStringLiteral("20x4"));
    EXPECT_TRUE(testing_support::Previewing(m_dialog.get(), [&] { m_dialog->cmdOK->click(); }).isEmpty());
    m_dialog->txtYear->clear();
    Pick(kBeds, 3);
    EXPECT_TRUE(m_connection->statementLog().statements().isEmpty());
    ASSERT_EQ(m_box->shown().size(), 3) << "the typed year, OK, the pick with no year";
    for (const forms::MessageBoxRequest &box : m_box->shown()) {
        EXPECT_EQ(box.prompt, QStringLiteral("The year must be four digits, for example 2024."));
        EXPECT_EQ(box.title, QStringLiteral("Notification"));
        EXPECT_EQ(box.icon(), forms::vbExclamation);
    }
    EXPECT_EQ(forms::GetMousePointer(m_dialog.get()), forms::MousePointer::Default);
}
