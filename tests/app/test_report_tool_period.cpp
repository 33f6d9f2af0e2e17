// velmora-report's whole-period export and its setup command on a demo
// hospital, run as a scheduled run runs them: the annual PDF and workbook
// against the single exports, the setup's round trip and its refusals in the
// Setup dialog's words.
#include "fixtures/DemoReports.h"

#include "../platform/export/ExportTestSupport.h"

#include "catalogue/ReportCatalogue.h"
#include "embedded/Store.h"
#include "reporting/CommonDialog.h"
#include "session/UserAccounts.h"
#include "startup/modSysConstants.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

const QString kPassword = QStringLiteral("monthly-reports-1");
const QString kERCasesOld = QStringLiteral("II.9.3 10 Leading Causes of Emergency Cases(OLD)");

struct Result
{
    int code = -1;
    QString out, err;
};

// A program's run; args written as one text, "|" between them.
Result run(const QString &program, const QString &args, const QString &store = {})
{
    QStringList list = args.split(QLatin1Char('|'));
    if (!store.isEmpty())
        list << QStringLiteral("--store") << store << QStringLiteral("--user") << QStringLiteral("records");
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VELMORA_PASSWORD"), kPassword);
    process.setProcessEnvironment(env);
    process.start(program, list);
    EXPECT_TRUE(process.waitForFinished(300000)) << program.toStdString() << " did not end";
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

// A field of pdfinfo's output.
QString field(const QString &file, const char *name)
{
    return QRegularExpression(QStringLiteral("^%1:\\s+(.*)$").arg(QLatin1String(name)),
                              QRegularExpression::MultilineOption)
        .match(run(QStringLiteral("pdfinfo"), file).out)
        .captured(1);
}

// velmora-report on the demo hospital with its report setup (13, 13, 23),
// signed in as its one user.
class DemoTool : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_demo = new testdata::DemoReports();
        session::setPasswordCost(session::minimumCost());
        session::UserAccounts(s_demo->store())
            .addUser({QStringLiteral("records"), kPassword, false, modSysConstants::kDepartmentCode, true});
    }
    static void TearDownTestSuite()
    {
        delete s_demo;
        s_demo = nullptr;
    }
    static Result tool(const QString &args)
    {
        return run(QCoreApplication::applicationDirPath() + QStringLiteral("/velmora-report"), args, s_demo->folder());
    }
    // The year's export of one section, or of all with --all.
    Result exportYear(const QString &format, const QString &file, const QString &section = {})
    {
        return tool(QStringLiteral("export|--year|2025|--period|Yearly|--format|%1|--output|%2|%3")
                        .arg(format, m_dir.filePath(file),
                             section.isEmpty() ? QStringLiteral("--all") : QStringLiteral("--section|") + section));
    }

    static inline testdata::DemoReports *s_demo = nullptr;
    QTemporaryDir m_dir;
};

// The year 2025 with every listed section generated but II.9.3 (Section I
// is always in the document).
class PeriodExport : public DemoTool
{
protected:
    static void SetUpTestSuite()
    {
        DemoTool::SetUpTestSuite();
        QString sections;
        for (const QString &title : generatedTitles())
            sections += QStringLiteral("|--section|") + title;
        ASSERT_EQ(tool(QStringLiteral("generate|--year|2025|--period|Yearly") + sections).code, 0);
    }
    // The sections the demo hospital lists and generated, in the window's order.
    static QStringList generatedTitles()
    {
        QStringList titles;
        for (const catalogue::ReportItem &item : catalogue::ReportCatalogue())
            if ((item.visibility != catalogue::Visibility::FixedFlag || item.fixedFlagValue) &&
                item.title != kERCasesOld)
                titles.append(item.title);
        return titles;
    }
};

} // namespace

// One PDF: a contents page listing every section, II.9.3 as not generated,
// then each section's own pages with a bookmark at its first page.
TEST_F(PeriodExport, AnnualPdfHasAContentsPageAndABookmarkPerSection)
{
    const Result result = exportYear(QStringLiteral("pdf"), QStringLiteral("annual.pdf"));
    ASSERT_EQ(result.code, 0) << result.err.toStdString();
    const QString pdf = m_dir.filePath(QStringLiteral("annual.pdf"));
    QStringList expected;
    int pages = 1;
    for (const QString &title : generatedTitles()) {
        ASSERT_EQ(exportYear(QStringLiteral("pdf"), QStringLiteral("one.pdf"), title).code, 0);
        expected.append(QStringLiteral("<item page=\"%1\">%2</item>").arg(pages + 1).arg(title.toHtmlEscaped()));
        pages += field(m_dir.filePath(QStringLiteral("one.pdf")), "Pages").toInt();
    }
    EXPECT_EQ(field(pdf, "Pages"), QString::number(pages));
    EXPECT_EQ(field(pdf, "Title"), QStringLiteral("DOH Hospital Statistical Report \u2013 Year 2025"));
    EXPECT_EQ(result.out, QStringLiteral("Wrote %1: 12 of 13 sections for Yearly 2025, %2 page(s).\n"
                                         "Not generated for Yearly 2025: %3\n")
                              .arg(pdf)
                              .arg(pages)
                              .arg(kERCasesOld));
    const QString outline = run(QStringLiteral("pdftohtml"), QStringLiteral("-xml|-stdout|-i|-q|") + pdf).out;
    EXPECT_TRUE(outline.contains(QStringLiteral("<outline>\n") + expected.join(QLatin1Char('\n')) +
                                 QStringLiteral("\n</outline>")))
        << outline.toStdString();

    const QString contents =
        run(QStringLiteral("pdftotext"), QStringLiteral("-l|1|-layout|") + pdf + QStringLiteral("|-")).out;
    EXPECT_TRUE(contents.contains(modSysConstants::pstrHospitalName));
    for (const QString &title : generatedTitles())
        EXPECT_TRUE(contents.contains(title)) << title.toStdString();
    EXPECT_TRUE(QRegularExpression(QRegularExpression::escape(kERCasesOld) + QStringLiteral("\\s+not generated"))
                    .match(contents)
                    .hasMatch())
        << contents.toStdString();
}

// One workbook: a contents sheet, then a sheet per generated section named by
// its report item, each with exactly the cells of that section's own export.
TEST_F(PeriodExport, AnnualWorkbookHasASheetPerSectionWithTheSingleExportsCells)
{
    ASSERT_EQ(exportYear(QStringLiteral("xls"), QStringLiteral("annual.xls")).code, 0);
    const QJsonArray sheets = exporttest::readXls(m_dir.filePath(QStringLiteral("annual.xls")))[u"sheets"].toArray();
    ASSERT_EQ(sheets.size(), generatedTitles().size() + 1);
    EXPECT_EQ(sheets[0].toObject()[u"name"].toString(), QStringLiteral("Contents"));
    const QJsonArray last = sheets[0].toObject()[u"rows"].toArray().last().toArray();
    EXPECT_EQ(last[0].toObject()[u"value"].toString() + u'|' + last[1].toObject()[u"value"].toString(),
              kERCasesOld + QStringLiteral("|not generated"));
    for (qsizetype i = 0; i < generatedTitles().size(); ++i) {
        const QString title = generatedTitles()[i];
        SCOPED_TRACE(title.toStdString());
        EXPECT_EQ(sheets[i + 1].toObject()[u"name"].toString(), reporting::SectionShortName(title));
        ASSERT_EQ(exportYear(QStringLiteral("xls"), QStringLiteral("one.xls"), title).code, 0);
        const QJsonArray alone = exporttest::readXls(m_dir.filePath(QStringLiteral("one.xls")))[u"sheets"].toArray();
        EXPECT_EQ(sheets[i + 1].toObject()[u"rows"], alone[0].toObject()[u"rows"]);
    }
}

struct SetupCase
{
    const char *name, *args;
    int code;
    QString shown; // the output of a save, the error output of a refusal
};

void PrintTo(const SetupCase &c, std::ostream *os)
{
    *os << c.name;
}

class SetupCommand : public DemoTool, public ::testing::WithParamInterface<SetupCase>
{
};

// A refusal says why in the dialog's words and leaves the setup as it was; a
// save says "Setting was updated." and shows the new setup, which is then the
// one the store holds and the one setup shows.
TEST_P(SetupCommand, ChecksAsTheDialogDoesAndSaves)
{
    const SetupCase &c = GetParam();
    const Result result = tool(QStringLiteral("setup|") + QString::fromUtf8(c.args));
    EXPECT_EQ(result.code, c.code) << result.err.toStdString();
    EXPECT_EQ(c.code == 0 ? result.out : result.err.section(QStringLiteral("\nRun velmora-report"), 0, 0).trimmed(),
              c.shown);
    QSqlQuery saved(s_demo->store().database());
    ASSERT_TRUE(saved.exec(
        QStringLiteral("SELECT PediaAge, NewbornCode, SurgeryCode FROM Patient_Data.tbMedNewDOHReportSetup")));
    ASSERT_TRUE(saved.next());
    const QString record =
        QStringLiteral("Pedia Age <= %1 yrs. old\nNewborn code %2\tNewborn\nSurgery code %3\tSurgery\n")
            .arg(saved.value(0).toString(), saved.value(1).toString(), saved.value(2).toString());
    saved.finish(); // the sign-in writes to the store
    EXPECT_EQ(tool(QStringLiteral("setup")).out, QStringLiteral("DOH Setup\n") + record);
    if (c.code != 0)
        EXPECT_TRUE(record.startsWith(QStringLiteral("Pedia Age <= 13 yrs. old\nNewborn code 13\t")));
}

INSTANTIATE_TEST_SUITE_P(
    DemoHospital, SetupCommand,
    ::testing::Values(
        SetupCase{"EverythingWrong", "--pedia-age|abc|--newborn-code| |--surgery-code|999", 2,
                  QStringLiteral("Pedia Age should be numeric.\nNewborn code is required.\nSurgery code is invalid.")},
        SetupCase{"AgeWithAFraction", "--pedia-age|12.5", 2,
                  QStringLiteral("Pedia Age should be a whole number of years.")},
        SetupCase{"OneValueKeepsTheOthers", "--pedia-age|12", 0,
                  QStringLiteral("Setting was updated.\nDOH Setup\nPedia Age <= 12 yrs. old\nNewborn code 13\tNewborn\n"
                                 "Surgery code 23\tSurgery\n")}),
    [](const auto &info) { return std::string(info.param.name); });
