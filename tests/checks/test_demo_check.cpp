// Check on a fresh demo store with its last full year generated: exactly the
// planted faulty records, no false finding; the bed rule once Section I's
// beds are edited; the findings as a report, exported and read back; and the
// viewer's word before a section with findings is exported.
#include "fixtures/DemoReports.h"

#include "buildfile/CheckReport.h"
#include "buildfile/frmNewDOHBuildFile.h"
#include "catalogue/ReportFiles.h"
#include "checks/Check.h"
#include "embedded/Store.h"
#include "reportengine/ReportEngine.h"
#include "reporting/CheckBeforeExport.h"
#include "reporting/modCrystal.h"
#include "startup/modSysConstants.h"
#include "support/ScriptedMessageBox.h"
#include "support/ShownReports.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QDate kFirst(2025, 1, 1);
const QDate kLast(2025, 12, 31);

// The session's user whose connection Check runs on.
class ConnectedUser : public testdata::FakeCurrentUser
{
public:
    adodb::ConnectionPtr connection;
    adodb::ConnectionPtr sqlconnection() override { return connection; }
};

class DemoCheck : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_demo = new testdata::DemoReports();
        s_demo->generate(kFirst, kLast);
    }
    static void TearDownTestSuite() { delete s_demo; }

    static checks::CheckResult check()
    {
        return checks::RunCheck(*s_demo->connection(),
                                {testdata::DemoReports::text(kFirst), testdata::DemoReports::text(kLast),
                                 modSysConstants::pstrHospitalName});
    }
    static void sql(const QString &statement)
    {
        s_demo->store().writeTransaction([&] { embedded::sql::exec(s_demo->store().database(), statement); });
    }
    static QString run(const QString &program, const QStringList &args)
    {
        QProcess process;
        process.start(program, args);
        process.waitForFinished(60000);
        return QString::fromUtf8(process.readAllStandardOutput());
    }

    static inline testdata::DemoReports *s_demo = nullptr;
};

TEST_F(DemoCheck, ListsExactlyThePlantedRecords)
{
    QStringList expected;
    for (const auto &fault : s_demo->planted())
        if (fault.first <= kLast && fault.last >= kFirst)
            expected.append(fault.rule + QStringLiteral(": ") + fault.record);
    QStringList found;
    for (const checks::Finding &finding : check().findings)
        found.append(finding.rule + QStringLiteral(": ") + finding.figures.section(QLatin1Char(','), 0, 0));
    expected.sort();
    found.sort();
    EXPECT_EQ(found, expected);
    EXPECT_GE(expected.size(), 9);
}

TEST_F(DemoCheck, SectionIBedsOtherThanTheAllocationFailTheBedRule)
{
    QSqlQuery beds = embedded::sql::exec(
        s_demo->store().database(),
        QStringLiteral("SELECT SUM(AuthorizedBeds) FROM Patient_Data.tbBedAllocation WHERE ServiceCode <> '13'"));
    ASSERT_TRUE(beds.next());
    sql(QStringLiteral("UPDATE Patient_Data.tbDOHSectionI SET AuthorizedBed = 120"));
    QStringList bedFindings;
    for (const checks::Finding &finding : check().findings)
        if (finding.rule == u"I-authorized-beds")
            bedFindings.append(finding.figures);
    sql(QStringLiteral("UPDATE Patient_Data.tbDOHSectionI SET AuthorizedBed = %1").arg(beds.value(0).toInt()));
    EXPECT_EQ(bedFindings, QStringList{QStringLiteral("Section I authorized beds 120 \u2260 the bed allocation of the "
                                                      "BOR (II. A.) %1")
                                           .arg(beds.value(0).toInt())});
}

TEST_F(DemoCheck, TheReportPrintsAndExportsEveryFinding)
{
    const checks::CheckResult result = buildfile::OpenCheckReport(
        *s_demo->connection(), testdata::DemoReports::text(kFirst), testdata::DemoReports::text(kLast));
    QTemporaryDir dir;
    reportengine::ExportOptions &options = modCrystal::pobjReport->ExportOptions();
    options.DestinationType = reportengine::crEDTDiskFile;
    for (const auto &[format, name] : {std::pair{reportengine::crEFTPortableDocFormat, QStringLiteral("check.pdf")},
                                       std::pair{reportengine::crEFTExcel80, QStringLiteral("check.xls")}}) {
        options.FormatType = format;
        options.DiskFileName = dir.filePath(name);
        modCrystal::pobjReport->Export(false);
    }
    modCrystal::pobjReport.reset();
    const QString pdf =
        run(QStringLiteral("pdftotext"), {dir.filePath(QStringLiteral("check.pdf")), QStringLiteral("-")});
    const QString xls =
        run(QStringLiteral("/usr/bin/python3"),
            {QStringLiteral("-c"),
             QStringLiteral("import sys, xlrd\nb = xlrd.open_workbook(sys.argv[1])\nfor s in b.sheets():\n"
                            "  for r in range(s.nrows): print('|'.join(str(v) for v in s.row_values(r)))"),
             dir.filePath(QStringLiteral("check.xls"))});
    ASSERT_FALSE(result.findings.isEmpty());
    for (const checks::Finding &finding : result.findings) {
        const QString record = finding.figures.section(QLatin1Char(','), 0, 0);
        EXPECT_TRUE(pdf.contains(record)) << record.toStdString();
        EXPECT_TRUE(xls.contains(finding.figures)) << finding.figures.toStdString();
        EXPECT_TRUE(xls.contains(checks::RuleById(finding.rule).title)) << finding.rule.toStdString();
    }
    EXPECT_TRUE(pdf.contains(QStringLiteral("Check"))) << "the title";
    EXPECT_TRUE(xls.contains(modSysConstants::pstrHospitalName)) << "the header";
}

TEST_F(DemoCheck, TheCheckLinkShowsTheChosenPeriodsFindingsInTheViewer)
{
    frmNewDOHBuildFile form;
    form.InitializeForm(s_demo->connection());
    form.setTodayProvider([] { return QDate(2026, 3, 1); });
    form.PrepareForm();
    form.cboYear->setCurrentText(QStringLiteral("2025"));
    form.cboMonth->setCurrentIndex(0);
    form.show();
    const QList<testing_support::ShownReport> shown =
        testing_support::Previewing(&form, [&] { QTest::mouseClick(form.lblCheck[0], Qt::LeftButton); });
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown.first().caption, QStringLiteral("Check"));
    EXPECT_EQ(shown.first().file, QStringLiteral("rptVelmoraCheck.rpt"));
    EXPECT_EQ(shown.first().values, (QStringList{QStringLiteral("01/01/2025"), QStringLiteral("12/31/2025")}));
    EXPECT_EQ(shown.first().header,
              (QStringList{modSysConstants::pstrHospitalName, modSysConstants::pstrHospitalAddress1, QString()}));
}

TEST_F(DemoCheck, TheViewerSaysHowManyFindingsConcernASectionBeforeItsExport)
{
    auto user = std::make_shared<ConnectedUser>();
    user->server = s_demo->folder();
    user->connection = s_demo->connection();
    const std::shared_ptr<session::CurrentUser> previous = modSysConstants::pobjCurrentUser;
    modSysConstants::pobjCurrentUser = user;
    const checks::CheckResult result = check();
    for (const QString title : {QStringLiteral("II. Hospital Operations. B. Discharges"),
                                QStringLiteral("II. D. Health Associated Infections")}) {
        testing_support::ScopedMessageBox box;
        s_demo->open(*catalogue::FindReportFile(title), kFirst, kLast);
        reporting::SayFindingsBeforeExport(*modCrystal::pobjReport);
        const int concerning = result.concerning(title);
        if (concerning == 0) {
            EXPECT_TRUE(box->prompts().isEmpty()) << title.toStdString();
            continue;
        }
        EXPECT_EQ(box->prompts(), QStringList{QStringLiteral("Check finds %1 finding(s) concerning %2 for this "
                                                             "period. The export goes on; Check in the reports "
                                                             "window lists them.")
                                                  .arg(concerning)
                                                  .arg(title)});
    }
    EXPECT_GT(result.concerning(QStringLiteral("II. Hospital Operations. B. Discharges")), 0);
    modCrystal::pobjReport.reset();
    modSysConstants::pobjCurrentUser = previous;
}

} // namespace
