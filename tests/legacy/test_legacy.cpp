// The report parameters dialog: the status check of a month and of a year and
// when it runs; the reports OK opens with their dates, files, values and
// header; failed opens and bad years. The launcher's three buttons.
#include "buildfile/frmNewDOHBuildFile.h"
#include "catalogue/ReportFiles.h"
#include "com/Runtime.h"
#include "embedded/Store.h"
#include "fixtures/ReportSession.h"
#include "hospitalinfo/frmHospitalInfo.h"
#include "legacy/frmMain.h"
#include "legacy/frmReportParameters.h"
#include "startup/modSysConstants.h"
#include "support/ScriptedMessageBox.h"
#include "support/ShownReports.h"
#include "support/StatementLog.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using testing_support::SentExactly;

namespace {

const QString kHospital = QStringLiteral("Santa Niña General Hospital");
const QString kAddress = QStringLiteral("123 Rizal Avenue, San José, Nueva Ecija");
const QString kGeneralInfo = QStringLiteral("I. Hospital General Information");
const QString kBeds = QStringLiteral("I.3.4 Allocation of Beds");
const QString kDischarges = QStringLiteral("II. Hospital Operations. B. Discharges");
const QString kNeverLogged = QStringLiteral("II.8 Surgical Operations");
const QString kDeath = QStringLiteral("II.6 Death");
const QString kLogged = QStringLiteral("(Last Updated: 03/15/2026)");
const QColor kRed(255, 0, 0);
const QColor kBlack(0, 0, 0);

QString MonthText(const QDate &first, bool last = false)
{
    return (last ? first.addDays(first.daysInMonth() - 1) : first).toString(QStringLiteral("MM/dd/yyyy"));
}

// The log search of one month, as the dialog sends it.
QString Search(int year, int month)
{
    const QDate first(year, month, 1);
    return QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportLog '%1','%2'")
        .arg(MonthText(first), MonthText(first, true));
}

QList<int> Months(int from, int to, int except = 0)
{
    QList<int> months;
    for (int m = from; m <= to; ++m)
        if (m != except)
            months.append(m);
    return months;
}

// A fresh store, the session reports log on with, and the dialog filled as
// LoadForm fills it on 15 March 2026 (without showing it).
class Legacy : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_user->server = m_store.folder();
        modSysConstants::pobjCurrentUser = m_user;
    }
    void TearDown() override
    {
        m_dialog.reset();
        catalogue::SetReportFolder(QString());
        modCrystal::pobjReport.reset();
        modSysConstants::pobjCurrentUser.reset();
    }
    void Open()
    {
        m_dialog = std::make_unique<frmReportParameters>();
        m_dialog->setTodayProvider([] { return QDate(2026, 3, 15); });
        m_dialog->InitializeForm(m_connection, kHospital, kAddress, QString());
        m_dialog->PrepareForm();
        m_connection->statementLog().clear();
    }
    // A report-log row of the report ID for that month, generated on 15 March 2026 at 10:00.
    void Log(const QString &reportId, int year, int month)
    {
        const QDate first(year, month, 1);
        embedded::sql::exec(m_store.store().database(),
                            QStringLiteral("INSERT INTO Patient_Data.tbMedNewDOHReportLog "
                                           "(ReportID, FromDate, ToDate, LastUpdatedDate) VALUES (?, ?, ?, ?)"),
                            {reportId, embedded::sql::storedDate(first),
                             embedded::sql::storedDate(first.addDays(first.daysInMonth() - 1)),
                             embedded::sql::storedDateTime(QDateTime(QDate(2026, 3, 15), QTime(10, 0)))});
    }
    void Pick(const QString &name) { m_dialog->cboReportName->setCurrentText(name); }
    // m_okMeanwhile: whether OK could be pressed again while a report was up.
    QList<testing_support::ShownReport> PressOK()
    {
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [this] { m_okMeanwhile |= m_dialog->cmdOK->isEnabled(); });
        watch.start(1);
        return testing_support::Previewing(m_dialog.get(), [&] { m_dialog->cmdOK->click(); });
    }
    bool m_okMeanwhile = false;
    QColor StatusColour() const { return m_dialog->lblLastUpdated->palette().color(QPalette::WindowText); }

    testing_support::TempStore m_store;
    adodb::ConnectionPtr m_connection = m_store.connect();
    testing_support::ScopedMessageBox m_box;
    std::shared_ptr<testdata::FakeCurrentUser> m_user = std::make_shared<testdata::FakeCurrentUser>();
    std::unique_ptr<frmReportParameters> m_dialog;
};

// One status check: what the 2026 log holds, the choice, what it shows.
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

class StatusCheck : public Legacy, public ::testing::WithParamInterface<StatusCase>
{
};

} // namespace

TEST_P(StatusCheck, ShowsWhetherThePeriodWasGenerated)
{
    const StatusCase &c = GetParam();
    for (int month : c.loggedMonths)
        Log(c.loggedId, 2026, month);
    Open();
    m_dialog->cboMonth->setCurrentIndex(c.month);
    Pick(kNeverLogged);
    ASSERT_FALSE(m_dialog->cmdOK->isEnabled());
    m_connection->statementLog().clear();
    Pick(c.report);
    QStringList searches;
    for (int month : c.searchedMonths)
        searches.append(Search(2026, month));
    EXPECT_TRUE(SentExactly(m_connection, searches));
    EXPECT_EQ(m_dialog->lblLastUpdated->text(), c.status);
    EXPECT_EQ(StatusColour(), c.okEnabled ? kBlack : kRed);
    EXPECT_EQ(m_dialog->cmdOK->isEnabled(), c.okEnabled);
    EXPECT_TRUE(m_box->shown().isEmpty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Periods, StatusCheck, ::testing::Values(
    StatusCase{"MonthLogged", kDischarges, 3, QStringLiteral("II."), {3}, kLogged, true, {3}},
    StatusCase{"MonthNotLogged", kDischarges, 3, QStringLiteral("II."), {2, 4}, frmReportParameters::kNoMonthlyData, false, {3}},
    StatusCase{"MonthLoggedForAnotherReport", kBeds, 3, QStringLiteral("II."), {3}, frmReportParameters::kNoMonthlyData, false, {3}},
    StatusCase{"YearlyWithJulyMissing", kBeds, 0, QStringLiteral("I.3.4"), Months(1, 12, 7), frmReportParameters::kIncompleteMonthlyData, false, Months(1, 7)},
    StatusCase{"YearlyWithAllTwelve", kBeds, 0, QStringLiteral("I.3.4"), Months(1, 12), QString(), true, Months(1, 12)},
    StatusCase{"GeneralInformationNeverChecked", kGeneralInfo, 0, QString(), {}, QString(), true, {}},
    StatusCase{"DeathFollowsTheDeathsSection", kDeath, 3, QStringLiteral("II."), {3}, kLogged, true, {3}}),
    [](const auto &info) { return std::string(info.param.name); });
// clang-format on

TEST_F(Legacy, NamesBeginningIIShareTheOneLogRowOfII)
{
    Log(QStringLiteral("II."), 2026, 3);
    Open();
    for (int i = 1; i < m_dialog->cboReportName->count(); ++i) {
        m_dialog->cboReportName->setCurrentIndex(i);
        const QString name = m_dialog->cboReportName->currentText();
        const bool shares = name.startsWith(QStringLiteral("II. ")) || name == kDeath;
        EXPECT_EQ(m_dialog->lblLastUpdated->text(), shares ? kLogged : frmReportParameters::kNoMonthlyData)
            << name.toStdString();
    }
}

TEST_F(Legacy, AYearTypedDigitByDigitIsCheckedAtItsFourthCharacter)
{
    Log(QStringLiteral("II."), 2025, 3);
    Open();
    Pick(kDischarges);
    m_dialog->txtYear->clear();
    m_connection->statementLog().clear();
    for (const char digit : {'2', '0', '2'})
        QTest::keyClick(m_dialog->txtYear, digit);
    EXPECT_TRUE(m_connection->statementLog().statements().isEmpty());
    QTest::keyClick(m_dialog->txtYear, '5');
    EXPECT_TRUE(SentExactly(m_connection, {Search(2025, 3)}));
    EXPECT_EQ(m_dialog->lblLastUpdated->text(), kLogged);
    QTest::keyClick(m_dialog->txtYear, '1');
    EXPECT_EQ(m_connection->statementLog().statements().size(), 1) << "a fifth character is not checked";
    EXPECT_TRUE(m_box->shown().isEmpty()) << "a year being typed is not refused";
}

TEST_F(Legacy, FillingTheDialogChecksNothingAndCancelReleasesTheConnection)
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
    EXPECT_EQ(m_dialog->cboReportName->currentText(), kGeneralInfo);
    EXPECT_EQ(m_dialog->cboMonth->currentText(), QStringLiteral("March"));
    EXPECT_EQ(m_dialog->txtYear->text(), QStringLiteral("2026"));
    EXPECT_TRUE(m_dialog->lblLastUpdated->text().isEmpty() && m_dialog->cmdOK->isEnabled());
    EXPECT_FALSE(m_dialog->connection());
}

TEST_F(Legacy, OKHandsTheReportTheMonthOrTheYear)
{
    const struct
    {
        int year, month;
        const char *first, *last;
    } cases[] = {{2024, 2, "02/01/2024", "02/29/2024"},
                 {2024, 12, "12/01/2024", "12/31/2024"},
                 {2024, 0, "01/01/2024", "12/31/2024"}};
    for (int month : Months(1, 12))
        Log(QStringLiteral("II."), 2024, month);
    Open();
    Pick(kDischarges);
    for (const auto &c : cases) {
        m_dialog->txtYear->setText(QString::number(c.year));
        m_dialog->cboMonth->setCurrentIndex(c.month);
        const auto shown = PressOK();
        ASSERT_EQ(shown.size(), 1) << c.first;
        EXPECT_EQ(shown[0].values, (QStringList{QString::fromLatin1(c.first), QString::fromLatin1(c.last)}));
    }
}

TEST_F(Legacy, EveryNameOpensItsReportWithItsValuesAndHeader)
{
    enum Values { Year, Dates, HospitalAndDates };
    const struct
    {
        const char *name, *file;
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
    const QStringList values[] = {{QStringLiteral("2026")}, dates, hospital + dates};
    for (int i = 0; i < int(std::size(mappings)); ++i) {
        SCOPED_TRACE(mappings[i].name);
        ASSERT_EQ(m_dialog->cboReportName->itemText(i), QString::fromUtf8(mappings[i].name));
        m_dialog->cboReportName->setCurrentIndex(i);
        const auto shown = PressOK();
        ASSERT_EQ(shown.size(), 1) << m_box->prompts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(shown[0].caption, QString::fromUtf8(mappings[i].name));
        EXPECT_EQ(shown[0].file, QString::fromLatin1(mappings[i].file));
        EXPECT_EQ(shown[0].values, values[mappings[i].values]);
        EXPECT_EQ(shown[0].header, mappings[i].header ? std::optional(hospital) : std::nullopt);
        EXPECT_EQ(shown[0].pointer, forms::MousePointer::Hourglass);
        EXPECT_EQ(forms::GetMousePointer(m_dialog.get()), forms::MousePointer::Default);
        EXPECT_FALSE(modCrystal::pobjReport) << "closing the viewer releases the report";
        EXPECT_FALSE(m_okMeanwhile) << "OK waits while its report is up";
    }
}

TEST_F(Legacy, AFailedOpenIsReportedOnceAndTheDialogStaysUsable)
{
    Log(QStringLiteral("II."), 2026, 3);
    Open();
    Pick(kDischarges);
    QTemporaryDir empty;
    catalogue::SetReportFolder(empty.path());
    EXPECT_TRUE(PressOK().isEmpty());
    // A report that opens but whose tables cannot log on fails in the viewer.
    catalogue::SetReportFolder(QString());
    m_user->server = empty.path();
    EXPECT_TRUE(PressOK().isEmpty());
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
    EXPECT_EQ(PressOK().size(), 1) << "the same dialog opens the report once it can";
}

TEST_F(Legacy, AYearThatIsNotFourDigitsIsRefusedBeforeAnythingIsSent)
{
    Log(QStringLiteral("II."), 2026, 3);
    Open();
    Pick(kDischarges);
    ASSERT_TRUE(m_dialog->cmdOK->isEnabled());
    m_connection->statementLog().clear();
    m_dialog->txtYear->setText(QStringLiteral("20x4"));
    EXPECT_TRUE(m_dialog->lblLastUpdated->text().isEmpty()) << "the refused year clears the status and OK";
    EXPECT_FALSE(m_dialog->cmdOK->isEnabled());
    m_dialog->cmdOK_Click();
    m_dialog->txtYear->clear();
    Pick(kBeds);
    EXPECT_TRUE(m_connection->statementLog().statements().isEmpty());
    ASSERT_EQ(m_box->shown().size(), 3) << "the typed year, OK, the pick with no year";
    for (const forms::MessageBoxRequest &box : m_box->shown()) {
        EXPECT_EQ(box.prompt, QStringLiteral("The year must be four digits, for example 2024."));
        EXPECT_EQ(box.title, QStringLiteral("Notification"));
        EXPECT_EQ(box.icon(), forms::vbExclamation);
    }
    EXPECT_EQ(forms::GetMousePointer(m_dialog.get()), forms::MousePointer::Default);
}

namespace {

// One modal window to answer: done once the active one is a Window.
using Step = std::function<bool(QWidget *)>;
template <typename Window> Step When(std::function<void(Window &)> action)
{
    return [action](QWidget *active) {
        auto *window = dynamic_cast<Window *>(active);
        if (window)
            QTimer::singleShot(0, window, [window, action] { action(*window); });
        return window != nullptr;
    };
}

} // namespace

TEST_F(Legacy, TheLauncherOpensEachWindowOnTheSessionsConnection)
{
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    m_connection->Execute(QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 13,'13','23'"));
    const QDate month(QDate::currentDate().year(), QDate::currentDate().month(), 1);
    Log(QStringLiteral("I.9"), month.year(), month.month());
    modSysConstants::pstrHospitalName = kHospital;
    modSysConstants::pstrHospitalAddress1 = kAddress;
    modSysConstants::pstrHospitalAddress2.clear();

    QStringList values;
    QList<adodb::Connection *> connections;
    const QList<Step> steps = {
        When<frmMain>([](frmMain &launcher) {
            EXPECT_EQ(launcher.windowTitle(), QStringLiteral("New Velmora Reports"));
            launcher.cmdReports->click();
        }),
        When<frmReportParameters>([&](frmReportParameters &dialog) {
            connections << dialog.connection().get();
            dialog.cboReportName->setCurrentText(QStringLiteral("I.9 Laboratory Services"));
            dialog.cmdOK->click();
        }),
        When<frmReportViewerShared>([&](frmReportViewerShared &viewer) {
            values = testing_support::GivenValues(*modCrystal::pobjReport);
            viewer.close();
        }),
        When<frmReportParameters>([](frmReportParameters &dialog) { dialog.cmdCancel->click(); }),
        When<frmMain>([](frmMain &launcher) { launcher.cmdEditHospitalInfo->click(); }),
        When<frmHospitalInfo>([&](frmHospitalInfo &form) {
            connections << form.connection().get();
            form.reject();
        }),
        When<frmMain>([](frmMain &launcher) { launcher.cmdGenerateData->click(); }),
        When<frmNewDOHBuildFile>([&](frmNewDOHBuildFile &window) { window.reject(); }),
        When<frmMain>([](frmMain &launcher) { launcher.reject(); }),
    };
    // Each window is answered in turn; one no step expects is closed after a
    // while, so the test fails rather than hangs.
    int next = 0;
    QElapsedTimer clock;
    clock.start();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QWidget *active = QApplication::activeModalWidget();
        if (next < steps.size() && steps[next](active))
            ++next;
        else if (auto *dialog = qobject_cast<QDialog *>(active); dialog && clock.elapsed() > 20000)
            dialog->reject();
    });
    watch.start(5);
    legacy::OpenLauncher(m_connection);

    EXPECT_EQ(next, steps.size());
    EXPECT_EQ(connections, (QList<adodb::Connection *>{m_connection.get(), m_connection.get()}));
    EXPECT_EQ(values, (QStringList{kHospital, kAddress, QString(), MonthText(month), MonthText(month, true)}));
}
