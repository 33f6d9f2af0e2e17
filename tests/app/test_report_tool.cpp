// velmora-report run as a scheduled run runs it, on a demo hospital: what it
// prints, its exit code, the report log it leaves and the files it writes,
// read back by independent readers.
#include "fixtures/DemoReports.h"

#include "catalogue/ReportCatalogue.h"
#include "embedded/Store.h"
#include "session/UserAccounts.h"
#include "startup/modSysConstants.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

#include <optional>

namespace {

const QString kUser = QStringLiteral("records");
const QString kPassword = QStringLiteral("monthly-reports-1");
const QString kERCasesOld = QStringLiteral("II.9.3 10 Leading Causes of Emergency Cases(OLD)");

// Arguments written as one text, "|" between them.
QStringList Args(const char *text)
{
    return QString::fromUtf8(text).split(QLatin1Char('|'));
}

struct Result
{
    int code = -1;
    QString out, err;
    QStringList lines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

// Runs velmora-report on a store that has one user.
class ReportTool : public ::testing::Test
{
protected:
    static void addUser(embedded::Store &store)
    {
        session::setPasswordCost(session::minimumCost());
        session::UserAccounts(store).addUser({kUser, kPassword, false, modSysConstants::kDepartmentCode, true});
    }

    // The store and user are added, and the password is in the environment
    // unless told otherwise. There is no terminal: nothing waits for a person.
    // With `at`, the run's clock starts at that time (faketime), so that the
    // day of generation is known; `user` signs in instead of kUser; with
    // killAfter, the run is killed that many milliseconds after its first line.
    static Result run(QStringList args, const std::optional<QString> &password = kPassword, bool onTheStore = true,
                      const char *at = nullptr, const QString &user = kUser, int killAfter = -1)
    {
        if (onTheStore)
            args << QStringLiteral("--store") << s_folder << QStringLiteral("--user") << user;
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("VELMORA_PASSWORD"));
        if (password)
            env.insert(QStringLiteral("VELMORA_PASSWORD"), *password);
        env.insert(QStringLiteral("FAKETIME_DONT_FAKE_MONOTONIC"), QStringLiteral("1"));
        process.setProcessEnvironment(env);
        process.setChildProcessModifier([] { ::setsid(); });
        const QString program = QCoreApplication::applicationDirPath() + QStringLiteral("/velmora-report");
        if (at)
            process.start(QStringLiteral("faketime"), QStringList{QString::fromLatin1(at), program} + args);
        else
            process.start(program, args);
        if (killAfter >= 0 && process.waitForReadyRead(60000)) {
            QThread::msleep(killAfter);
            process.kill();
        }
        EXPECT_TRUE(process.waitForFinished(300000)) << "velmora-report did not end";
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }

    // The report log of a period, as stored: report ID -> time.
    static QMap<QString, QString> logRows(const QString &from, const QString &to)
    {
        QSqlQuery q = embedded::sql::exec(s_store->database(),
                                          QStringLiteral("SELECT ReportID, LastUpdatedDate FROM "
                                                         "Patient_Data.tbMedNewDOHReportLog WHERE FromDate = ? AND "
                                                         "ToDate = ?"),
                                          {from, to});
        QMap<QString, QString> rows;
        while (q.next())
            rows.insert(q.value(0).toString(), q.value(1).toString());
        return rows;
    }

    // The demo hospital lists every section but the five start-up hides.
    static QStringList listedTitles()
    {
        QStringList titles;
        for (const catalogue::ReportItem &item : catalogue::ReportCatalogue())
            if (item.visibility != catalogue::Visibility::FixedFlag || item.fixedFlagValue)
                titles.append(item.title);
        return titles;
    }

    static bool matches(const QString &pattern, const QString &text)
    {
        return QRegularExpression(pattern).match(text).hasMatch();
    }
    static QString sectionLine(const QString &title, const QString &verdict)
    {
        return QStringLiteral("^") + QRegularExpression::escape(title) + QStringLiteral("\\t\\d+\\.\\d\\d s\\t") +
               QRegularExpression::escape(verdict) + QLatin1Char('$');
    }

    static inline QString s_folder;
    static inline embedded::Store *s_store = nullptr;
    QTemporaryDir m_dir;
};

// The demo hospital with its report setup: the sections' data is there.
class DemoStore : public ReportTool
{
protected:
    static void SetUpTestSuite()
    {
        s_demo = new testdata::DemoReports();
        s_folder = s_demo->folder();
        s_store = &s_demo->store();
        addUser(*s_store);
    }
    static void TearDownTestSuite()
    {
        delete s_demo;
        s_store = nullptr;
    }
    static inline testdata::DemoReports *s_demo = nullptr;
};

struct GenerateCase
{
    const char *name, *args;
    const char *header;    // the period as status names it
    const char *from, *to; // as the report log keeps it
    bool all;
    QStringList loggedIds;
};

class Generate : public DemoStore, public ::testing::WithParamInterface<GenerateCase>
{
};

} // namespace

TEST_P(Generate, PrintsALinePerSectionAndLogsWhatItGenerated)
{
    const GenerateCase &c = GetParam();
    const Result result = run(Args(c.args));
    ASSERT_EQ(result.code, 0) << result.err.toStdString();
    const QStringList titles = c.all ? listedTitles() : QStringList{QStringLiteral("II. E. Surgical Operations")};
    const QStringList lines = result.lines();
    ASSERT_EQ(lines.size(), titles.size() + 1) << result.out.toStdString();
    for (qsizetype i = 0; i < titles.size(); ++i)
        EXPECT_TRUE(matches(sectionLine(titles[i], QStringLiteral("OK")), lines[i])) << lines[i].toStdString();
    const QString header = QString::fromUtf8(c.header);
    EXPECT_TRUE(matches(QStringLiteral("^Generated %1 of %1 sections for %2 in \\d+\\.\\d\\d s\\.$")
                            .arg(titles.size())
                            .arg(QRegularExpression::escape(header)),
                        lines.last()))
        << lines.last().toStdString();
    EXPECT_EQ(logRows(QString::fromLatin1(c.from), QString::fromLatin1(c.to)).keys(), c.loggedIds);

    // status shows the window's rows with the window's times.
    const Result shown =
        run(Args(c.args).mid(0, 5).replaceInStrings(QStringLiteral("generate"), QStringLiteral("status")));
    ASSERT_EQ(shown.code, 0) << shown.err.toStdString();
    const QStringList rows = shown.lines();
    ASSERT_EQ(rows.size(), listedTitles().size() + 1);
    EXPECT_EQ(rows[0], header);
    // Only the sections generated show a time, with who generated them.
    for (qsizetype i = 0; i < listedTitles().size(); ++i) {
        const QString title = listedTitles()[i];
        EXPECT_TRUE(
            matches(QStringLiteral("^") + QRegularExpression::escape(title) +
                        (titles.contains(title)
                             ? QStringLiteral("\\t[A-Z][a-z]+ \\d\\d, \\d{4} \\| \\d\\d:\\d\\d:\\d\\d\\trecords$")
                             : QStringLiteral("\\tnot generated$")),
                    rows[i + 1]))
            << rows[i + 1].toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    DemoHospital, Generate,
    ::testing::Values(GenerateCase{"OneSectionByTitle",
                                   "generate|--year|2026|--period|June|--section|ii. e. surgical operations",
                                   "June 2026 (06/01/2026 to 06/30/2026)",
                                   "2026-06-01",
                                   "2026-06-30",
                                   false,
                                   {QStringLiteral("II.")}},
                      GenerateCase{"EveryListedSection",
                                   "generate|--year|2026|--period|Q3|--all",
                                   "Third Quarter 2026 (07/01/2026 to 09/30/2026)",
                                   "2026-07-01",
                                   "2026-09-30",
                                   true,
                                   {QStringLiteral("I."), QStringLiteral("II."), QStringLiteral("II.9.3"),
                                    QStringLiteral("III.11.4")}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(DemoStore, AFailingSectionKeepsItsLogAsItWasAndTheOthersAreGenerated)
{
    QSqlDatabase db = s_store->database();
    embedded::sql::exec(db, QStringLiteral("INSERT INTO Patient_Data.tbMedNewDOHReportLog VALUES "
                                           "('II.9.3', '2026-08-01', '2026-08-31', '2026-01-02 03:04:05.000')"));
    embedded::sql::exec(db, QStringLiteral("CREATE TRIGGER Patient_Data.EmergencyCasesFail BEFORE INSERT ON "
                                           "tbDOHRptSectionII103 BEGIN SELECT RAISE(ABORT, 'The emergency summary "
                                           "is not available.'); END"));
    const Result result = run(Args("generate|--year|2026|--period|August|--all"));
    embedded::sql::exec(db, QStringLiteral("DROP TRIGGER Patient_Data.EmergencyCasesFail"));

    EXPECT_EQ(result.code, 1);
    const QStringList lines = result.lines();
    ASSERT_EQ(lines.size(), listedTitles().size() + 1) << result.out.toStdString();
    EXPECT_EQ(lines.filter(QStringLiteral("\tOK")).size(), listedTitles().size() - 1);
    EXPECT_TRUE(matches(sectionLine(kERCasesOld, QStringLiteral("The emergency summary is not available.")),
                        lines[listedTitles().indexOf(kERCasesOld)]));
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral("Not generated: ") + kERCasesOld + QLatin1Char('.')));
    const QMap<QString, QString> log = logRows(QStringLiteral("2026-08-01"), QStringLiteral("2026-08-31"));
    EXPECT_EQ(log.keys(), (QStringList{QStringLiteral("I."), QStringLiteral("II."), QStringLiteral("II.9.3"),
                                       QStringLiteral("III.11.4")}));
    EXPECT_EQ(log.value(QStringLiteral("II.9.3")), QStringLiteral("2026-01-02 03:04:05.000"));
}

namespace {

struct ExportCase
{
    const char *format;
    QStringList reader; // makes a text of the file ("%1"); none: the workbook's numbers
};

class Export : public DemoStore, public ::testing::WithParamInterface<ExportCase>
{
protected:
    // What the summary of patients' upload stored for March 2026, column by
    // column: as numbers, or as the report prints them.
    static QStringList storedFigures(bool printed)
    {
        QSqlQuery q = embedded::sql::exec(s_store->database(),
                                          QStringLiteral("SELECT * FROM Patient_Data.tbDOHRptSectionII1 WHERE "
                                                         "FromDate = '2026-03-01' AND ToDate = '2026-03-31'"));
        QStringList figures;
        if (!q.next())
            return figures;
        for (int i = 2; i < q.record().count(); ++i) {
            const QVariant v = q.value(i);
            if (!printed)
                figures.append(QString::number(v.toDouble()));
            else if (v.metaType().id() == QMetaType::Double)
                figures.append(QString::number(v.toDouble(), 'f', 2));
            else
                figures.append(QLocale(QLocale::English).toString(v.toLongLong()));
        }
        return figures;
    }
};

const char kSummaryMarch[] =
    "--year|2026|--period|Mar|--section|II. Hospital Operations. A.Summary of Patients in the Hospital";

} // namespace

TEST_P(Export, WritesTheReportWithTheFiguresItsUploadStored)
{
    const ExportCase &c = GetParam();
    const QString target = m_dir.filePath(QStringLiteral("summary.") + QString::fromLatin1(c.format));
    ASSERT_EQ(run(QStringList{QStringLiteral("generate")} + Args(kSummaryMarch)).code, 0);
    const Result result = run(QStringList{QStringLiteral("export")} + Args(kSummaryMarch) +
                              QStringList{QStringLiteral("--format"), QString::fromLatin1(c.format).toUpper(),
                                          QStringLiteral("--output"), target});
    ASSERT_EQ(result.code, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QStringLiteral("Wrote %1: II. Hospital Operations. A.Summary of Patients in the Hospital "
                                         "for March 2026, 1 page(s).\n")
                              .arg(target));

    QProcess reader;
    if (c.reader.isEmpty())
        reader.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import sys, xlrd\ns = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                                     "print('\\n'.join(repr(c.value) for r in range(s.nrows) for c in s.row(r) "
                                     "if c.ctype == 2))"),
                      target});
    else
        reader.start(c.reader.first(), QStringList(c.reader.mid(1)).replaceInStrings(QStringLiteral("%1"), target));
    ASSERT_TRUE(reader.waitForFinished(60000));
    const QString text = QString::fromUtf8(reader.readAllStandardOutput());
    QStringList figures;
    if (c.reader.isEmpty()) {
        for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            figures.append(QString::number(line.toDouble()));
    } else {
        // The figures stand between the period's line and the notes below them.
        const qsizetype start = text.indexOf(QStringLiteral("March 31, 2026")) + 14;
        const qsizetype end = text.indexOf(QStringLiteral("Inpatients at the end ="));
        ASSERT_TRUE(start >= 14 && end > start) << text.toStdString();
        static const QRegularExpression figure(
            QStringLiteral("(?<![\\w.,])\\d{1,3}(?:,\\d{3})*(?:\\.\\d+)?(?![\\w.,])"));
        for (auto it = figure.globalMatch(text.mid(start, end - start)); it.hasNext();)
            figures.append(it.next().captured());
    }
    EXPECT_EQ(figures, storedFigures(!c.reader.isEmpty()));
}

INSTANTIATE_TEST_SUITE_P(Formats, Export,
                         ::testing::Values(ExportCase{"xls", {}}, ExportCase{"rtf", Args("unrtf|--text|%1")},
                                           ExportCase{"pdf", Args("pdftotext|-enc|UTF-8|%1|-")}),
                         [](const auto &info) { return std::string(info.param.format); });

// Check prints a line per finding (which findings: the checks' own demo
// test) and the count, exiting 1; a period with nothing to find exits 0.
TEST_F(DemoStore, CheckListsItsFindingsAndExitsWithWhetherItFoundAny)
{
    ASSERT_EQ(run(Args("generate|--year|2025|--period|Yearly|--all")).code, 0);
    const Result found = run(Args("check|--year|2025|--period|Yearly"));
    EXPECT_EQ(found.code, 1) << found.err.toStdString();
    const QStringList lines = found.lines();
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), QStringLiteral("Check of Yearly 2025 (01/01/2025 to 12/31/2025)"));
    const auto planted = std::count_if(s_demo->planted().cbegin(), s_demo->planted().cend(), [](const auto &fault) {
        return fault.first <= QDate(2025, 12, 31) && fault.last >= QDate(2025, 1, 1);
    });
    EXPECT_EQ(lines.filter(QRegularExpression(QStringLiteral("^(?!Note: )[A-Za-z0-9.-]+: "))).size(), planted);
    EXPECT_EQ(lines.last(), QStringLiteral("%1 finding(s).").arg(planted));

    const Result nothing = run(Args("check|--year|1950|--period|January"));
    EXPECT_EQ(nothing.code, 0) << nothing.out.toStdString();
    EXPECT_EQ(nothing.lines().last(), QStringLiteral("No findings."));
}

TEST_F(DemoStore, AnExportThatCannotBeDoneLeavesNoFile)
{
    ASSERT_EQ(run(Args("generate|--year|2026|--period|March|--section|II. C. Deaths")).code, 0);
    const struct
    {
        const char *period;
        QString target, message;
    } cases[] = {
        // Never generated: refused as Print refuses it.
        {"February", m_dir.filePath(QStringLiteral("deaths.pdf")),
         QStringLiteral("Generate data first for the specified year/month before a report can be generated.\n")},
        {"March", m_dir.filePath(QStringLiteral("missing/deaths.pdf")), QStringLiteral("cannot be written")},
    };
    for (const auto &c : cases) {
        const Result result = run(Args("export|--year|2026|--section|II. C. Deaths|--format|pdf|--period")
                                  << QString::fromLatin1(c.period) << QStringLiteral("--output") << c.target);
        EXPECT_EQ(result.code, 1) << c.period;
        EXPECT_TRUE(result.err.contains(c.message)) << result.err.toStdString();
        EXPECT_TRUE(QDir(m_dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    }
}

namespace {

struct DayCase
{
    const char *name, *now;
    int month;       // of 2026
    QString said;    // the first line printed, or the refusal (empty: neither)
    qint64 days = 0; // the days of the period stored; 0: refused, nothing stored
};

class GenerateOnTheDay : public DemoStore, public ::testing::WithParamInterface<DayCase>
{
protected:
    // Service days by the rule, newborns apart: the days d to the last day
    // counted with admission <= d < discharge, plus one for a same-day stay;
    // an open stay ends after the period or, while the period runs, today,
    // which is not counted.
    static qint64 serviceDays(const QDate &first, const QDate &last, const QDate &today)
    {
        const QDate counted = last > today ? today.addDays(-1) : last, openEnd = last > today ? today : last.addDays(1);
        QSqlQuery q =
            embedded::sql::exec(s_store->database(), QStringLiteral("SELECT AdmissionDateTime, DischargeDateTime "
                                                                    "FROM Patient_Data.tbAdmission WHERE "
                                                                    "ServiceCode <> '13'"));
        qint64 days = 0;
        while (q.next()) {
            const QDate in = QDate::fromString(q.value(0).toString().left(10), Qt::ISODate);
            const QDate out =
                q.value(1).isNull() ? openEnd : QDate::fromString(q.value(1).toString().left(10), Qt::ISODate);
            for (QDate d = std::max(first, in); d <= counted && d < out; d = d.addDays(1))
                ++days;
            days += in == out && in >= first && in <= counted;
        }
        return days;
    }
};

} // namespace

// The day of generation decides: a period in progress is counted up to it,
// and the run says so first; one not begun is refused. The stored service
// days and BOR of the summary of patients are those of the rule.
TEST_P(GenerateOnTheDay, SaysWhatItCountsAndStoresTheFiguresOfTheRule)
{
    const DayCase &c = GetParam();
    const QDate first(2026, c.month, 1), last = first.addMonths(1).addDays(-1);
    const Result result = run(Args("generate|--year|2026|--section|II. Hospital Operations. A.Summary of Patients in "
                                   "the Hospital|--period")
                                  << first.toString(QStringLiteral("MMMM")),
                              kPassword, true, c.now);
    QSqlQuery q =
        embedded::sql::exec(s_store->database(),
                            QStringLiteral("SELECT ServiceDays, DaysInPeriod, BOR, AuthorizedBeds FROM "
                                           "Patient_Data.tbDOHRptSectionII1 WHERE FromDate = ? AND ToDate = ?"),
                            {first.toString(Qt::ISODate), last.toString(Qt::ISODate)});
    if (c.days == 0) {
        EXPECT_EQ(result.code, 1);
        EXPECT_EQ(result.err, c.said + u'\n');
        EXPECT_FALSE(q.next());
        return;
    }
    ASSERT_EQ(result.code, 0) << result.err.toStdString();
    const QString firstLine = result.lines().value(0);
    EXPECT_TRUE(c.said.isEmpty() ? firstLine.startsWith(QStringLiteral("II. Hospital")) : firstLine == c.said)
        << firstLine.toStdString();
    const qint64 expected =
        serviceDays(first, last, QDate::fromString(QString::fromLatin1(c.now).left(10), Qt::ISODate));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toLongLong(), expected);
    EXPECT_EQ(q.value(1).toLongLong(), c.days);
    EXPECT_DOUBLE_EQ(q.value(2).toDouble(),
                     qRound(expected * 10000.0 / double(q.value(3).toLongLong() * c.days)) / 100.0);
}

INSTANTIATE_TEST_SUITE_P(
    DemoHospital, GenerateOnTheDay,
    ::testing::Values(
        DayCase{"MonthInProgress", "2026-12-09 10:00:00", 12,
                QStringLiteral("December 2026 has not ended: its figures will count up to today, December 9, 2026."),
                8},
        // A period ending on the day of generation has ended: its open stays count to its end.
        DayCase{"MonthEndingToday", "2026-10-31 10:00:00", 10, QString(), 31},
        DayCase{"MonthNotBegun", "2026-08-20 10:00:00", 9,
                QStringLiteral("September 2026 has not begun: nothing can be generated for it before September 1, "
                               "2026.")}),
    [](const auto &info) { return std::string(info.param.name); });

// Two users each generate one II. section of July, and one exports it: each
// section shows its own generation, the others of the report ID none; the
// history lists all three, newest first.
TEST_F(DemoStore, EachSectionKeepsItsOwnGenerationAndTheHistoryListsWhoDidWhat)
{
    const QString clerk = QStringLiteral("clerk"), pdf = m_dir.filePath(QStringLiteral("deaths.pdf"));
    session::UserAccounts(*s_store).addUser({clerk, kPassword, false, modSysConstants::kDepartmentCode, true});
    const QString deaths = QStringLiteral("II. C. Deaths"), discharges = QStringLiteral("II. Hospital Operations. B. "
                                                                                        "Discharges");
    const auto july = [](QStringList args) { return args << Args("--year|2026|--period|July"); };
    const auto line = [](const char *time, const QString &what) {
        return QStringLiteral("December 09, 2026 \\| %1:0\\d\t").arg(QLatin1String(time)) +
               QRegularExpression::escape(what) + u'\n';
    };
    run(july({QStringLiteral("generate"), QStringLiteral("--section"), deaths}), kPassword, true,
        "2026-12-09 10:00:00");
    const QString before = run(july({QStringLiteral("status")})).out;
    EXPECT_TRUE(matches(u'\n' + QRegularExpression::escape(deaths + u'\t') + line("10:00", kUser), before) &&
                before.contains(u'\n' + discharges + QStringLiteral("\tnot generated\n")))
        << before.toStdString();
    run(july({QStringLiteral("generate"), QStringLiteral("--section"), discharges}), kPassword, true,
        "2026-12-09 10:30:00", clerk);
    run(july({QStringLiteral("export"), QStringLiteral("--section"), deaths, QStringLiteral("--format"),
              QStringLiteral("pdf"), QStringLiteral("--output"), pdf}),
        kPassword, true, "2026-12-09 10:45:00");
    const QString after = run(july({QStringLiteral("status")})).out;
    EXPECT_TRUE(matches(u'\n' + QRegularExpression::escape(discharges + u'\t') + line("10:30", clerk), after) &&
                matches(u'\n' + QRegularExpression::escape(deaths + u'\t') + line("10:00", kUser), after))
        << after.toStdString();
    const QString history = run(july({QStringLiteral("status"), QStringLiteral("--history")})).out;
    EXPECT_TRUE(matches(QStringLiteral("^July 2026 \\(07/01/2026 to 07/31/2026\\)\n") +
                            line("10:45", QStringLiteral("exported\t%1\trecords\tpdf\t%2").arg(deaths, pdf)) +
                            line("10:30", QStringLiteral("generated\t%1\tclerk").arg(discharges)) +
                            line("10:00", QStringLiteral("generated\t%1\trecords").arg(deaths)) + u'$',
                        history))
        << history.toStdString();
}

// generate --all killed at random moments: whatever it had committed, each
// section's record exists exactly when its figures do.
TEST_F(DemoStore, AKilledGenerationNeverLeavesARecordWithoutItsFiguresOrFiguresWithoutTheirRecord)
{
    for (const int month : {1, 4, 5}) { // killed somewhere among the sections after the first
        const QDate first(2026, month, 1);
        run(Args("generate|--all|--year|2026|--period") << first.toString(QStringLiteral("MMMM")), kPassword, true,
            nullptr, kUser, QRandomGenerator::global()->bounded(500));
        for (const catalogue::ReportItem &item : catalogue::ReportCatalogue()) {
            if (item.uploadProcedure.isEmpty())
                continue;
            QSqlQuery q = embedded::sql::exec(
                s_store->database(),
                QStringLiteral("SELECT (SELECT COUNT(*) FROM Patient_Data.tbVelmoraSectionGeneration WHERE ReportTitle "
                               "= ? AND FromDate = ?) > 0, (SELECT COUNT(*) FROM Patient_Data.tbDOHRpt%1 WHERE "
                               "FromDate = ?) > 0")
                    .arg(item.uploadProcedure.mid(14)),
                {item.title, first.toString(Qt::ISODate), first.toString(Qt::ISODate)});
            ASSERT_TRUE(q.next());
            EXPECT_EQ(q.value(0).toInt(), q.value(1).toInt()) << month << ' ' << item.title.toStdString();
        }
    }
}

namespace {

// A new store with its one user: enough for what is refused.
class NewStore : public ReportTool
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = new QTemporaryDir();
        s_folder = s_dir->filePath(QStringLiteral("store"));
        s_store = new embedded::Store(s_folder);
        addUser(*s_store);
    }
    static void TearDownTestSuite()
    {
        delete s_store;
        s_store = nullptr;
        delete s_dir;
    }
    static inline QTemporaryDir *s_dir = nullptr;
};

struct RefusalCase
{
    const char *name, *args;
    int code;
    QString message; // a part of the error output
    std::optional<QString> password = kPassword;
    bool onTheStore = true;
};

class Refusals : public NewStore, public ::testing::WithParamInterface<RefusalCase>
{
};

} // namespace

TEST_P(Refusals, SayWhyAndExitWithTheirCode)
{
    const RefusalCase &c = GetParam();
    const Result result =
        run(Args(c.args).replaceInStrings(QStringLiteral("%store"), s_folder), c.password, c.onTheStore);
    EXPECT_EQ(result.code, c.code);
    EXPECT_TRUE(result.err.contains(c.message)) << result.err.toStdString();
    EXPECT_EQ(result.out, QString());
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, Refusals,
    ::testing::Values(
        RefusalCase{"BadPeriod", "generate|--all|--year|2026|--period|Smarch", 2,
                    QStringLiteral("'Smarch' is no period. The periods are:\n  Yearly\n  January\n  February\n")},
        RefusalCase{"YearBeforeTheFirst", "status|--year|1949", 2,
                    QStringLiteral("'1949' is no year of the reports: the years are 1950 to %1.")
                        .arg(QDate::currentDate().year())},
        RefusalCase{"YearInWords", "status|--year|twenty", 2, QStringLiteral("'twenty' is no year of the reports")},
        RefusalCase{"UnknownSection", "generate|--section|II.9.9|--year|2026|--period|March", 2,
                    QStringLiteral("'II.9.9' is no section. The sections are:\n  I. Hospital General Information\n")},
        RefusalCase{"HiddenSection", "generate|--section|I.9 Laboratory Services|--year|2026|--period|March", 2,
                    QStringLiteral("The section 'I.9 Laboratory Services' is not listed for this hospital.")},
        RefusalCase{"SharedReportId", "export|--section|II.|--format|pdf|--output|x.pdf|--year|2026|--period|March", 2,
                    QStringLiteral("The report ID 'II.' is shared by several sections; name one by its title:")},
        RefusalCase{"BadFormat", "export|--section|II.9.1|--format|docx|--output|x|--year|2026|--period|March", 2,
                    QStringLiteral("'docx' is no export format. The formats are: xls, rtf, pdf.")},
        // An option's missing value is not taken from the option after it.
        RefusalCase{"ValueMissingBeforeAValuedOption", "generate|--all|--period|March|--year", 2,
                    QStringLiteral("--year needs a value.")},
        RefusalCase{"ValueMissingBeforeAFlag", "generate|--year|2026|--period|March|--section|--all", 2,
                    QStringLiteral("--section needs a value.")},
        // An empty folder or server (an unset variable in a scheduled run) is
        // not the default store.
        RefusalCase{"EmptyServer", "status|--year|2026|--user|records|--server|", 2,
                    QStringLiteral("--server needs a value."), kPassword, false},
        RefusalCase{"EmptyStore", "status|--year|2026|--user|records|--store=", 2,
                    QStringLiteral("--store needs a value."), kPassword, false},
        RefusalCase{"OutputInTheStoreFolder",
                    "export|--year|2026|--period|March|--section|II. C. "
                    "Deaths|--format|pdf|--output|%store/x/../PASSWORD.sqlite",
                    2, QStringLiteral("/store/PASSWORD.sqlite' is inside the store folder '")},
        RefusalCase{"NoCommand", "--year|2026|--period|March", 2,
                    QStringLiteral("Name a command: generate, export, status, setup or check.")},
        RefusalCase{"PasswordAsOption", "status|--year|2026|--password=monthly-reports-1", 2,
                    QStringLiteral("The password is never taken from the command line")},
        RefusalCase{"PasswordAsShortOption", "status|--year|2026|-p|monthly-reports-1", 2,
                    QStringLiteral("The password is never taken from the command line"), std::nullopt},
        RefusalCase{"WrongPassword", "status|--year|2026", 3,
                    QStringLiteral("The user name or the password is not correct."), QStringLiteral("wrong-guess-1")},
        RefusalCase{"NoPasswordAndNoTerminal", "status|--year|2026", 2,
                    QStringLiteral("No password: run velmora-report on a terminal to type it, or set "
                                   "VELMORA_PASSWORD for a scheduled run."),
                    std::nullopt},
        RefusalCase{"NoStore", "status|--year|2026|--store|/nonexistent|--user|records", 3,
                    QStringLiteral("No Velmora store was found in the folder '/nonexistent'."), kPassword, false}),
    [](const auto &info) { return std::string(info.param.name); });

// A read-only store: the sign-in says what to do (as nobody when root runs the tests).
TEST_F(ReportTool, AStoreThisUserMayOnlyReadIsRefusedNamingItsFolder)
{
    ASSERT_TRUE(QFile::setPermissions(m_dir.path(), QFileDevice::Permissions(0x7555)));
    const QString folder = m_dir.filePath(QStringLiteral("store"));
    addUser(*std::make_unique<embedded::Store>(folder));
    ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::Permissions(0x5555))); // no journal can be made
    QProcess process;
    process.setChildProcessModifier([] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(99);
    });
    process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/velmora-report"),
                  Args("status|--year|2026|--user|records|--store") << folder);
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 3);
    EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError())
                    .contains(QStringLiteral("The store in the folder '%1' cannot be written by this user: the folder "
                                             "itself is read-only, and signing in writes to the store. Give this "
                                             "user write access to the folder and its files")
                                  .arg(folder)));
    QFile::setPermissions(folder, QFileDevice::Permissions(0x7555));
}

// velmora-store create reads all its options before it makes anything: a
// mistyped one leaves no empty store behind for the next create to refuse.
TEST(StoreTool, CreateWithAnOptionItDoesNotKnowMakesNothing)
{
    QTemporaryDir dir;
    for (const char *args : {"create|%1|--dmeo", "create|--demo|%1", "create|%1|--scale|5"}) {
        QProcess process;
        process.setWorkingDirectory(dir.path()); // where "--demo" would be made
        process.start(QCoreApplication::applicationDirPath() + QStringLiteral("/velmora-store"),
                      Args(args).replaceInStrings(QStringLiteral("%1"), dir.filePath(QStringLiteral("store"))));
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 2) << args;
        EXPECT_TRUE(QString::fromUtf8(process.readAllStandardError()).startsWith(QStringLiteral("usage:"))) << args;
        EXPECT_TRUE(QDir(dir.path()).isEmpty()) << args;
    }
}
