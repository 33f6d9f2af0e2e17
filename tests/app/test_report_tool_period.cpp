// velmora-report's whole-period export and its setup command, run as a
// scheduled run runs them on a demo hospital: the annual PDF (contents page,
// a bookmark per section, the sections not generated listed as such), the
// annual workbook against the single exports, the setup's round trip and its
// refusals in the Setup dialog's words.
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

#include <unistd.h>

namespace {

const QString kUser = QStringLiteral("records");
const QString kPassword = QStringLiteral("monthly-reports-1");
const QString kERCasesOld = QStringLiteral("II.9.3 10 Leading Causes of Emergency Cases(OLD)");

struct Result
{
    int code = -1;
    QString out, err;
};

QString tool(const QString &name)
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
}

QString output(const QString &program, const QStringList &args)
{
    QProcess process;
    process.start(program, args);
    EXPECT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// velmora-report on the demo hospital with its report setup, signed in as
// its one user.
class DemoTool : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_demo = new testdata::DemoReports();
        session::setPasswordCost(session::minimumCost());
        session::UserAccounts(s_demo->store())
            .addUser({kUser, kPassword, false, modSysConstants::kDepartmentCode, true});
    }
    static void TearDownTestSuite()
    {
        delete s_demo;
        s_demo = nullptr;
    }

    static Result run(QStringList args)
    {
        args << QStringLiteral("--store") << s_demo->folder() << QStringLiteral("--user") << kUser;
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VELMORA_PASSWORD"), kPassword);
        process.setProcessEnvironment(env);
        process.setChildProcessModifier([] { ::setsid(); });
        process.start(tool(QStringLiteral("velmora-report")), args);
        EXPECT_TRUE(process.waitForFinished(300000)) << "velmora-report did not end";
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }

    static inline testdata::DemoReports *s_demo = nullptr;
    QTemporaryDir m_dir;
};

// A field of pdfinfo's output.
QString field(const QString &info, const char *name)
{
    return QRegularExpression(QStringLiteral("^%1:\\s+(.*)$").arg(QLatin1String(name)),
                              QRegularExpression::MultilineOption)
        .match(info)
        .captured(1);
}

// The demo hospital's year 2025 with II. C. Deaths generated (so every
// section of the report ID "II." and Section I are in the document) and
// III.11.4; II.9.3 is not generated.
class PeriodExport : public DemoTool
{
protected:
    static void SetUpTestSuite()
    {
        DemoTool::SetUpTestSuite();
        const Result generated =
            run({QStringLiteral("generate"), QStringLiteral("--year"), QStringLiteral("2025"),
                 QStringLiteral("--period"), QStringLiteral("Yearly"), QStringLiteral("--section"),
                 QStringLiteral("II. C. Deaths"), QStringLiteral("--section"), QStringLiteral("III.11.4")});
        ASSERT_EQ(generated.code, 0) << generated.err.toStdString();
    }

    static Result exportYear(const QString &format, const QString &path, const QStringList &section = {})
    {
        QStringList args{QStringLiteral("export"),
                         QStringLiteral("--year"),
                         QStringLiteral("2025"),
                         QStringLiteral("--period"),
                         QStringLiteral("Yearly"),
                         QStringLiteral("--format"),
                         format,
                         QStringLiteral("--output"),
                         path};
        args += section.isEmpty() ? QStringList{QStringLiteral("--all")} : section;
        return run(args);
    }

    // The sections the demo hospital lists, in the window's order.
    static QStringList listedTitles()
    {
        QStringList titles;
        for (const catalogue::ReportItem &item : catalogue::ReportCatalogue())
            if (item.visibility != catalogue::Visibility::FixedFlag || item.fixedFlagValue)
                titles.append(item.title);
        return titles;
    }
    static QStringList generatedTitles()
    {
        QStringList titles = listedTitles();
        titles.removeAll(kERCasesOld);
        return titles;
    }
};

} // namespace

// One PDF: the contents page lists every section, II.9.3 as not generated,
// then each generated section's pages with a bookmark at its first page;
// the page count is the contents page and the sections' own pages.
TEST_F(PeriodExport, AnnualPdfHasAContentsPageAndABookmarkPerSection)
{
    const QString pdf = m_dir.filePath(QStringLiteral("annual.pdf"));
    const Result result = exportYear(QStringLiteral("pdf"), pdf);
    ASSERT_EQ(result.code, 0) << result.err.toStdString();

    int sectionPages = 0;
    QList<int> firstPages;
    for (const QString &title : generatedTitles()) {
        const QString single = m_dir.filePath(QStringLiteral("single.pdf"));
        ASSERT_EQ(exportYear(QStringLiteral("pdf"), single, {QStringLiteral("--section"), title}).code, 0);
        firstPages.append(2 + sectionPages);
        sectionPages += field(output(QStringLiteral("pdfinfo"), {single}), "Pages").toInt();
    }
    const QString info = output(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_EQ(field(info, "Pages"), QString::number(1 + sectionPages));
    EXPECT_EQ(field(info, "Title"), QStringLiteral("DOH Hospital Statistical Report \u2013 Year 2025"));
    EXPECT_EQ(result.out, QStringLiteral("Wrote %1: 12 of 13 sections for Yearly 2025, %2 page(s).\n"
                                         "Not generated for Yearly 2025: %3\n")
                              .arg(pdf)
                              .arg(1 + sectionPages)
                              .arg(kERCasesOld));

    // The bookmarks as poppler reads the outline: title and page.
    const QString xml = output(QStringLiteral("pdftohtml"), {QStringLiteral("-xml"), QStringLiteral("-stdout"),
                                                             QStringLiteral("-i"), QStringLiteral("-q"), pdf});
    static const QRegularExpression item(QStringLiteral("<item page=\"(\\d+)\">([^<]*)</item>"));
    QStringList bookmarks, expected;
    for (auto it = item.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        bookmarks.append(m.captured(2).replace(QStringLiteral("&amp;"), QStringLiteral("&")) + QLatin1Char('@') +
                         m.captured(1));
    }
    for (qsizetype i = 0; i < generatedTitles().size(); ++i)
        expected.append(generatedTitles()[i] + QLatin1Char('@') + QString::number(firstPages[i]));
    EXPECT_EQ(bookmarks, expected);

    // The contents page: every listed section, the missing one said so.
    const QString contents = output(QStringLiteral("pdftotext"), {QStringLiteral("-l"), QStringLiteral("1"),
                                                                  QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(contents.contains(modSysConstants::pstrHospitalName));
    for (const QString &title : listedTitles())
        EXPECT_TRUE(contents.contains(title)) << title.toStdString();
    EXPECT_TRUE(QRegularExpression(QRegularExpression::escape(kERCasesOld) + QStringLiteral("\\s+not generated"))
                    .match(contents)
                    .hasMatch())
        << contents.toStdString();

    // A single section's PDF names its period in its title and subject.
    const QString single = m_dir.filePath(QStringLiteral("deaths.pdf"));
    ASSERT_EQ(
        exportYear(QStringLiteral("pdf"), single, {QStringLiteral("--section"), QStringLiteral("II. C. Deaths")}).code,
        0);
    const QString deaths = output(QStringLiteral("pdfinfo"), {single});
    EXPECT_EQ(field(deaths, "Title"), QStringLiteral("II. C. Deaths \u2013 Year 2025"));
    EXPECT_EQ(field(deaths, "Subject"), QStringLiteral("DOH hospital statistical report \u2013 Year 2025"));
}

// One workbook: a contents sheet, then a sheet per generated section named
// by its report item, each with exactly the cells of that section's own
// export.
TEST_F(PeriodExport, AnnualWorkbookHasASheetPerSectionWithTheSingleExportsFigures)
{
    const QString xls = m_dir.filePath(QStringLiteral("annual.xls"));
    const Result result = exportYear(QStringLiteral("xls"), xls);
    ASSERT_EQ(result.code, 0) << result.err.toStdString();
    const QJsonArray sheets = exporttest::readXls(xls)[u"sheets"].toArray();
    ASSERT_EQ(sheets.size(), generatedTitles().size() + 1);
    const QJsonArray contents = sheets[0].toObject()[u"rows"].toArray();
    EXPECT_EQ(sheets[0].toObject()[u"name"].toString(), QStringLiteral("Contents"));
    EXPECT_EQ(contents.last().toArray()[0].toObject()[u"value"].toString(), kERCasesOld);
    EXPECT_EQ(contents.last().toArray()[1].toObject()[u"value"].toString(), QStringLiteral("not generated"));

    for (qsizetype i = 0; i < generatedTitles().size(); ++i) {
        const QString title = generatedTitles()[i];
        SCOPED_TRACE(title.toStdString());
        const QJsonObject sheet = sheets[i + 1].toObject();
        EXPECT_EQ(sheet[u"name"].toString(), reporting::SectionShortName(title));
        const QString single = m_dir.filePath(QStringLiteral("single.xls"));
        ASSERT_EQ(exportYear(QStringLiteral("xls"), single, {QStringLiteral("--section"), title}).code, 0);
        const QJsonObject alone = exporttest::readXls(single)[u"sheets"].toArray()[0].toObject();
        EXPECT_EQ(sheet[u"rows"], alone[u"rows"]);
    }
}

struct SetupCase
{
    const char *name;
    QStringList args;
    int code;
    QString shown; // the output on success, the error output on refusal
};

class SetupCommand : public DemoTool, public ::testing::WithParamInterface<SetupCase>
{
};

// A refusal says why in the dialog's words and leaves the saved setup (13,
// 13, 23) as it was; a save says "Setting was updated." and shows the new
// setup, which is then what the store holds.
TEST_P(SetupCommand, ChecksAsTheDialogDoesAndSaves)
{
    const SetupCase &c = GetParam();
    const Result result = run(QStringList{QStringLiteral("setup")} + c.args);
    EXPECT_EQ(result.code, c.code) << result.err.toStdString();
    EXPECT_EQ(c.code == 0 ? result.out : result.err.section(QStringLiteral("\nRun velmora-report"), 0, 0), c.shown);
    const Result shown = run({QStringLiteral("setup")});
    QSqlQuery saved(s_demo->store().database());
    ASSERT_TRUE(saved.exec(QStringLiteral("SELECT PediaAge, NewbornCode, SurgeryCode FROM "
                                          "Patient_Data.tbMedNewDOHReportSetup")));
    ASSERT_TRUE(saved.next());
    const QString record = QStringLiteral("Pedia Age <= %1 yrs. old\nNewborn code %2\t")
                               .arg(saved.value(0).toString(), saved.value(1).toString());
    EXPECT_TRUE(shown.out.startsWith(QStringLiteral("DOH Setup\n") + record)) << shown.out.toStdString();
    if (c.code != 0)
        EXPECT_TRUE(shown.out.contains(QStringLiteral("Pedia Age <= 13 yrs. old\nNewborn code 13\t")));
}

INSTANTIATE_TEST_SUITE_P(
    DemoHospital, SetupCommand,
    ::testing::Values(
        SetupCase{"EverythingWrong",
                  {QStringLiteral("--pedia-age"), QStringLiteral("abc"), QStringLiteral("--newborn-code"),
                   QStringLiteral(" "), QStringLiteral("--surgery-code"), QStringLiteral("999")},
                  2,
                  QStringLiteral("Pedia Age should be numeric.\nNewborn code is required.\nSurgery code is invalid.")},
        SetupCase{"AgeWithAFraction",
                  {QStringLiteral("--pedia-age"), QStringLiteral("12.5")},
                  2,
                  QStringLiteral("Pedia Age should be a whole number of years.")},
        SetupCase{"UnknownNewbornCode",
                  {QStringLiteral("--newborn-code"), QStringLiteral("77")},
                  2,
                  QStringLiteral("Newborn code is invalid.")},
        SetupCase{"OneValueKeepsTheOthers",
                  {QStringLiteral("--pedia-age"), QStringLiteral("12")},
                  0,
                  QStringLiteral("Setting was updated.\nDOH Setup\nPedia Age <= 12 yrs. old\nNewborn code 13\tNewborn\n"
                                 "Surgery code 23\tSurgery\n")},
        SetupCase{"AllThree",
                  {QStringLiteral("--pedia-age"), QStringLiteral("13"), QStringLiteral("--newborn-code"),
                   QStringLiteral("13"), QStringLiteral("--surgery-code"), QStringLiteral("23")},
                  0,
                  QStringLiteral("Setting was updated.\nDOH Setup\nPedia Age <= 13 yrs. old\nNewborn code 13\tNewborn\n"
                                 "Surgery code 23\tSurgery\n")},
        SetupCase{"WithAPeriod",
                  {QStringLiteral("--year"), QStringLiteral("2025")},
                  2,
                  QStringLiteral("setup takes only --pedia-age, --newborn-code and --surgery-code (and the sign-in's "
                                 "options).")}),
    [](const auto &info) { return std::string(info.param.name); });
