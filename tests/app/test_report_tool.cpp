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
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <unistd.h>

#include <memory>
#include <optional>

namespace {

const QString kUser = QStringLiteral("records");
const QString kPassword = QStringLiteral("monthly-reports-1");
const QString kSummary = QStringLiteral("II. Hospital Operations. A.Summary of Patients in the Hospital");
const QString kERCasesOld = QStringLiteral("II.9.3 10 Leading Causes of Emergency Cases(OLD)");

struct Result
{
    int code = -1;
    QString out;
    QString err;
    QStringList lines() const { return out.split(QLatin1Char('\n'), Qt::SkipEmptyParts); }
};

// Runs velmora-report on a store that has the user below.
class ReportTool : public ::testing::Test
{
protected:
    static void addUser(embedded::Store &store)
    {
        session::setPasswordCost(session::minimumCost());
        session::UserAccounts(store).addUser({kUser, kPassword, false, modSysConstants::kDepartmentCode, true});
    }

    // Runs the program with the store and user, and with the password in the
    // environment unless told otherwise. The program gets no terminal, so
    // nothing can wait for a person to type.
    static Result run(QStringList args, const std::optional<QString> &password = kPassword, bool onTheDemoStore = true)
    {
        if (onTheDemoStore)
            args << QStringLiteral("--store") << s_folder << QStringLiteral("--user") << kUser;
        QProcess process;
        process.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/velmora-report"));
        process.setArguments(args);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("VELMORA_PASSWORD"));
        if (password)
            env.insert(QStringLiteral("VELMORA_PASSWORD"), *password);
        process.setProcessEnvironment(env);
        process.setChildProcessModifier([] { ::setsid(); });
        process.start();
        EXPECT_TRUE(process.waitForFinished(300000)) << "velmora-report did not end";
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }

    // The report log of a period: report ID -> stored time.
    static QMap<QString, QString> logRows(const QString &from, const QString &to)
    {
        QSqlQuery q = embedded::sql::exec(
            s_store->database(),
            QStringLiteral("SELECT ReportID, LastUpdatedDate FROM Patient_Data.tbMedNewDOHReportLog "
                           "WHERE FromDate = ? AND ToDate = ?"),
            {from, to});
        QMap<QString, QString> rows;
        while (q.next())
            rows.insert(q.value(0).toString(), q.value(1).toString());
        return rows;
    }

    // The demo hospital lists every section but the five its start-up hides.
    static QStringList listedTitles()
    {
        QStringList titles;
        for (const catalogue::ReportItem &item : catalogue::ReportCatalogue())
            if (item.visibility != catalogue::Visibility::FixedFlag || item.fixedFlagValue)
                titles.append(item.title);
        return titles;
    }

    static inline QString s_folder;
    static inline embedded::Store *s_store = nullptr;
    QTemporaryDir m_dir;
};

// The demo hospital, its report setup saved: the sections' data is there.
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
        s_demo = nullptr;
        s_store = nullptr;
    }
    static inline testdata::DemoReports *s_demo = nullptr;
};

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

struct GenerateCase
{
    const char *name;
    QStringList choice;
    const char *period;
    const char *first, *last;             // as the statements send them
    const char *storedFirst, *storedLast; // as the report log keeps them
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
    const Result result = run(QStringList{QStringLiteral("generate"), QStringLiteral("--year"), QStringLiteral("2026"),
                                          QStringLiteral("--period"), QString::fromLatin1(c.period)} +
                              c.choice);
    ASSERT_EQ(result.code, 0) << result.err.toStdString();
    const QStringList titles = c.all ? listedTitles() : QStringList{QStringLiteral("II. E. Surgical Operations")};
    const QStringList lines = result.lines();
    ASSERT_EQ(lines.size(), titles.size() + 1) << result.out.toStdString();
    for (qsizetype i = 0; i < titles.size(); ++i)
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(titles[i]) +
                                       QStringLiteral("\\t\\d+\\.\\d\\d s\\tOK$"))
                        .match(lines[i])
                        .hasMatch())
            << lines[i].toStdString();
    const QString dates = QString::fromLatin1(c.first) + QStringLiteral(" to ") + QString::fromLatin1(c.last);
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral("^Generated %1 of %1 sections for [\\w ]+ 2026 \\(%2\\) in \\d+\\.\\d\\d s\\.$")
                        .arg(titles.size())
                        .arg(QRegularExpression::escape(dates)))
                    .match(lines.last())
                    .hasMatch())
        << lines.last().toStdString();
    EXPECT_EQ(logRows(QString::fromLatin1(c.storedFirst), QString::fromLatin1(c.storedLast)).keys(), c.loggedIds);

    // status shows the window's rows with the window's times.
    const Result shown = run({QStringLiteral("status"), QStringLiteral("--year"), QStringLiteral("2026"),
                              QStringLiteral("--period"), QString::fromLatin1(c.period)});
    ASSERT_EQ(shown.code, 0) << shown.err.toStdString();
    const QStringList rows = shown.lines();
    ASSERT_EQ(rows.size(), listedTitles().size() + 1);
    EXPECT_TRUE(rows[0].endsWith(QStringLiteral("2026 (") + dates + QLatin1Char(')'))) << rows[0].toStdString();
    const QRegularExpression stamp(QStringLiteral("^[A-Z][a-z]+ \\d\\d, \\d{4} \\| \\d\\d:\\d\\d:\\d\\d$"));
    for (qsizetype i = 0; i < listedTitles().size(); ++i) {
        const QString title = listedTitles()[i];
        ASSERT_TRUE(rows[i + 1].startsWith(title + QLatin1Char('\t'))) << rows[i + 1].toStdString();
        const QString time = rows[i + 1].mid(title.size() + 1);
        if (c.loggedIds.contains(catalogue::GetReportID(title)))
            EXPECT_TRUE(stamp.match(time).hasMatch()) << time.toStdString();
        else
            EXPECT_EQ(time, QStringLiteral("not generated"));
    }
}

INSTANTIATE_TEST_SUITE_P(DemoStore, Generate,
                         ::testing::Values(GenerateCase{"OneSectionByTitle",
                                                        {QStringLiteral("--section"),
                                                         QStringLiteral("ii. e. surgical operations")},
                                                        "June",
                                                        "06/01/2026",
                                                        "06/30/2026",
                                                        "2026-06-01",
                                                        "2026-06-30",
                                                        false,
                                                        {QStringLiteral("II.")}},
                                           GenerateCase{"EveryListedSection",
                                                        {QStringLiteral("--all")},
                                                        "Q3",
                                                        "07/01/2026",
                                                        "09/30/2026",
                                                        "2026-07-01",
                                                        "2026-09-30",
                                                        true,
                                                        {QStringLiteral("I."), QStringLiteral("II."),
                                                         QStringLiteral("II.9.3"), QStringLiteral("III.11.4")}}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(DemoStore, AFailingSectionKeepsItsLogAsItWasAndTheOthersAreGenerated)
{
    QSqlDatabase db = s_store->database();
    embedded::sql::exec(db, QStringLiteral("INSERT INTO Patient_Data.tbMedNewDOHReportLog VALUES "
                                           "('II.9.3', '2026-08-01', '2026-08-31', '2026-01-02 03:04:05.000')"));
    embedded::sql::exec(db, QStringLiteral("CREATE TRIGGER Patient_Data.EmergencyCasesFail BEFORE INSERT ON "
                                           "tbDOHRptSectionII103 BEGIN SELECT RAISE(ABORT, 'The emergency summary "
                                           "is not available.'); END"));
    const Result result = run({QStringLiteral("generate"), QStringLiteral("--year"), QStringLiteral("2026"),
                               QStringLiteral("--period"), QStringLiteral("August"), QStringLiteral("--all")});
    embedded::sql::exec(db, QStringLiteral("DROP TRIGGER Patient_Data.EmergencyCasesFail"));

    EXPECT_EQ(result.code, 1);
    const QStringList lines = result.lines();
    ASSERT_EQ(lines.size(), listedTitles().size() + 1) << result.out.toStdString();
    EXPECT_EQ(lines.filter(QStringLiteral("\tOK")).size(), listedTitles().size() - 1);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(kERCasesOld) +
                                   QStringLiteral("\\t\\d+\\.\\d\\d s\\tThe emergency summary is not available\\.$"))
                    .match(lines[listedTitles().indexOf(kERCasesOld)])
                    .hasMatch());
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
    // The reader that makes a text of the file ("%1"); none for the workbook.
    QStringList reader;
};

class Export : public DemoStore, public ::testing::WithParamInterface<ExportCase>
{
protected:
    // The figures the summary of patients' upload stored for March 2026,
    // column by column, as the report prints them.
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

} // namespace

TEST_P(Export, WritesTheReportWithItsFigures)
{
    const ExportCase &c = GetParam();
    const QString target = m_dir.filePath(QStringLiteral("summary.") + QString::fromLatin1(c.format));
    const QStringList period = {QStringLiteral("--year"), QStringLiteral("2026"),      QStringLiteral("--period"),
                                QStringLiteral("Mar"),    QStringLiteral("--section"), kSummary};
    ASSERT_EQ(run(QStringList{QStringLiteral("generate")} + period).code, 0);
    const Result result = run(QStringList{QStringLiteral("export")} + period +
                              QStringList{QStringLiteral("--format"), QString::fromLatin1(c.format).toUpper(),
                                          QStringLiteral("--output"), target});
    ASSERT_EQ(result.code, 0) << result.err.toStdString();
    EXPECT_EQ(result.out, QStringLiteral("Wrote %1: %2 for March 2026, 1 page(s).\n").arg(target, kSummary));

    QStringList figures;
    QProcess reader;
    if (c.reader.isEmpty()) {
        reader.start(QStringLiteral("/usr/bin/python3"),
                     {QStringLiteral("-c"),
                      QStringLiteral("import sys, xlrd\n"
                                     "s = xlrd.open_workbook(sys.argv[1]).sheet_by_index(0)\n"
                                     "for r in range(s.nrows):\n"
                                     "    for c in s.row(r):\n"
                                     "        if c.ctype == 2: print(repr(c.value))\n"),
                      target});
        ASSERT_TRUE(reader.waitForFinished(60000));
        for (const QString &line :
             QString::fromUtf8(reader.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            figures.append(QString::number(line.toDouble()));
        EXPECT_EQ(figures, storedFigures(false));
        return;
    }
    reader.start(c.reader.first(), c.reader.mid(1).replaceInStrings(QStringLiteral("%1"), target));
    ASSERT_TRUE(reader.waitForFinished(60000));
    const QString text = QString::fromUtf8(reader.readAllStandardOutput());
    // The figures stand between the period's line and the notes below them.
    const qsizetype start = text.indexOf(QStringLiteral("March 31, 2026"));
    const qsizetype end = text.indexOf(QStringLiteral("Inpatients at the end ="));
    ASSERT_TRUE(start >= 0 && end > start) << text.toStdString();
    static const QRegularExpression figure(QStringLiteral("(?<![\\w.,])\\d{1,3}(?:,\\d{3})*(?:\\.\\d+)?(?![\\w.,])"));
    for (auto it = figure.globalMatch(text.mid(start + 14, end - start - 14)); it.hasNext();)
        figures.append(it.next().captured());
    EXPECT_EQ(figures, storedFigures(true));
}

INSTANTIATE_TEST_SUITE_P(
    Formats, Export,
    ::testing::Values(ExportCase{"xls", {}},
                      ExportCase{"rtf", {QStringLiteral("unrtf"), QStringLiteral("--text"), QStringLiteral("%1")}},
                      ExportCase{"pdf",
                                 {QStringLiteral("pdftotext"), QStringLiteral("-enc"), QStringLiteral("UTF-8"),
                                  QStringLiteral("%1"), QStringLiteral("-")}}),
    [](const auto &info) { return std::string(info.param.format); });

TEST_F(DemoStore, AnExportThatCannotBeDoneLeavesNoFile)
{
    struct Case
    {
        QString period, folder, message;
    };
    const QList<Case> cases = {
        // Never generated: refused as Print refuses it.
        {QStringLiteral("February"), m_dir.path(),
         QStringLiteral("Generate data first for the specified year/month before a report can be generated.\n")},
        {QStringLiteral("March"), m_dir.filePath(QStringLiteral("missing")), QStringLiteral("cannot be written")},
    };
    ASSERT_EQ(
        run({QStringLiteral("generate"), QStringLiteral("--year"), QStringLiteral("2026"), QStringLiteral("--period"),
             QStringLiteral("March"), QStringLiteral("--section"), QStringLiteral("II. C. Deaths")})
            .code,
        0);
    for (const Case &c : cases) {
        const QString target = c.folder + QStringLiteral("/deaths.pdf");
        const Result result =
            run({QStringLiteral("export"), QStringLiteral("--year"), QStringLiteral("2026"), QStringLiteral("--period"),
                 c.period, QStringLiteral("--section"), QStringLiteral("II. C. Deaths"), QStringLiteral("--format"),
                 QStringLiteral("pdf"), QStringLiteral("--output"), target});
        EXPECT_EQ(result.code, 1) << c.period.toStdString();
        EXPECT_TRUE(result.err.contains(c.message)) << result.err.toStdString();
        EXPECT_FALSE(QFile::exists(target));
        EXPECT_TRUE(QDir(m_dir.path()).entryList(QDir::Files).isEmpty());
    }
}

namespace {

struct RefusalCase
{
    const char *name;
    QStringList args;
    int code;
    QString message; // a part of the error output
    std::optional<QString> password = kPassword;
    bool onTheDemoStore = true;
};

class Refusals : public NewStore, public ::testing::WithParamInterface<RefusalCase>
{
};

const QStringList kMarch = {QStringLiteral("--year"), QStringLiteral("2026"), QStringLiteral("--period"),
                            QStringLiteral("March")};

} // namespace

TEST_P(Refusals, SayWhyAndExitWithTheirCode)
{
    const RefusalCase &c = GetParam();
    const Result result = run(c.args, c.password, c.onTheDemoStore);
    EXPECT_EQ(result.code, c.code);
    EXPECT_TRUE(result.err.contains(c.message)) << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, Refusals,
    ::testing::Values(
        RefusalCase{"BadPeriod",
                    {QStringLiteral("generate"), QStringLiteral("--all"), QStringLiteral("--year"),
                     QStringLiteral("2026"), QStringLiteral("--period"), QStringLiteral("Smarch")},
                    2,
                    QStringLiteral("'Smarch' is no period. The periods are:\n  Yearly\n  January\n  February\n")},
        RefusalCase{"YearBeforeTheFirst",
                    {QStringLiteral("status"), QStringLiteral("--year"), QStringLiteral("1949")},
                    2,
                    QStringLiteral("'1949' is no year of the reports: the years are 1950 to %1.")
                        .arg(QDate::currentDate().year())},
        RefusalCase{"YearInWords",
                    {QStringLiteral("status"), QStringLiteral("--year"), QStringLiteral("twenty")},
                    2,
                    QStringLiteral("'twenty' is no year of the reports")},
        RefusalCase{
            "UnknownSection",
            QStringList{QStringLiteral("generate"), QStringLiteral("--section"), QStringLiteral("II.9.9")} + kMarch, 2,
            QStringLiteral("'II.9.9' is no section. The sections are:\n  I. Hospital General Information\n")},
        RefusalCase{"HiddenSection",
                    QStringList{QStringLiteral("generate"), QStringLiteral("--section"),
                                QStringLiteral("I.9 Laboratory Services")} +
                        kMarch,
                    2, QStringLiteral("The section 'I.9 Laboratory Services' is not listed for this hospital.")},
        RefusalCase{"SharedReportId",
                    QStringList{QStringLiteral("export"), QStringLiteral("--section"), QStringLiteral("II."),
                                QStringLiteral("--format"), QStringLiteral("pdf"), QStringLiteral("--output"),
                                QStringLiteral("x.pdf")} +
                        kMarch,
                    2, QStringLiteral("The report ID 'II.' is shared by several sections; name one by its title:")},
        RefusalCase{"BadFormat",
                    QStringList{QStringLiteral("export"), QStringLiteral("--section"), QStringLiteral("II.9.1"),
                                QStringLiteral("--format"), QStringLiteral("docx"), QStringLiteral("--output"),
                                QStringLiteral("x.docx")} +
                        kMarch,
                    2, QStringLiteral("'docx' is no export format. The formats are: xls, rtf, pdf.")},
        RefusalCase{"NoCommand", kMarch, 2, QStringLiteral("Name a command: generate, export or status.")},
        RefusalCase{"PasswordAsOption",
                    QStringList{QStringLiteral("status"), QStringLiteral("--password=") + kPassword} + kMarch, 2,
                    QStringLiteral("The password is never taken from the command line")},
        RefusalCase{"PasswordAsShortOption",
                    QStringList{QStringLiteral("status"), QStringLiteral("-p"), kPassword} + kMarch, 2,
                    QStringLiteral("The password is never taken from the command line"), std::nullopt},
        RefusalCase{"WrongPassword", QStringList{QStringLiteral("status")} + kMarch, 3,
                    QStringLiteral("The user name or the password is not correct."), QStringLiteral("wrong-guess-1")},
        RefusalCase{"NoPasswordAndNoTerminal", QStringList{QStringLiteral("status")} + kMarch, 2,
                    QStringLiteral("No password: run velmora-report on a terminal to type it, or set "
                                   "VELMORA_PASSWORD for a scheduled run."),
                    std::nullopt},
        RefusalCase{"NoStore",
                    QStringList{QStringLiteral("status"), QStringLiteral("--store"), QStringLiteral("/nonexistent"),
                                QStringLiteral("--user"), kUser} +
                        kMarch,
                    3, QStringLiteral("No Velmora store was found in the folder '/nonexistent'."), kPassword, false}),
    [](const auto &info) { return std::string(info.param.name); });
