// The report engine against report files it must not trust: reports without
// rows, queries that would write, files past the engine's limits, fills that
// do not end, and the failures that name the file and the query.
#include "ReportTestSupport.h"

#include "com/ComError.h"
#include "embedded/Store.h"
#include "reportengine/DataConnection.h"
#include "reportengine/QueryText.h"
#include "reportengine/ReportEngine.h"
#include "reportviewer/CRViewer.h"
#include "support/StatementLog.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTimer>

#include <sys/resource.h>

using namespace reportengine;
using testing_support::TempStore;

namespace {

class ReportGuardTest : public ::testing::Test
{
protected:
    QString write(const QString &xml) { return testing_support::writeReportFile(m_dir, QStringLiteral("r.rpt"), xml); }

    // The description of the failure opening (or, with fill, filling) xml.
    QString failure(const QString &xml, bool fill = false, const FillLimits &limits = FillLimits())
    {
        try {
            auto report = Application().OpenReport(write(xml), 1);
            if (!fill)
                return QStringLiteral("(opened)");
            for (DatabaseTable &t : report->Database().Tables())
                t.SetLogOnInfo(m_store.folder(), QStringLiteral("Patient_Data"), QString(), QString());
            report->setFillLimits(limits);
            m_report = report;
            report->document();
            return QStringLiteral("(filled)");
        } catch (const com::ComError &e) {
            m_number = e.number();
            return e.description();
        }
    }
    QString path() const { return m_dir.filePath(QStringLiteral("r.rpt")); }
    qint64 visits()
    {
        QSqlQuery q = embedded::sql::exec(m_store.store().database(),
                                          QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbVisits"));
        q.next();
        return q.value(0).toLongLong();
    }

    QTemporaryDir m_dir;
    TempStore m_store;
    std::shared_ptr<Report> m_report;
    long m_number = 0;
};

// A report that reads tbVisits (as v) with one query and a detail section.
QString oneQuery(const QString &sql, const QString &tables = QString())
{
    return QStringLiteral(R"(<report>
<tables><table alias="v" location="Patient_Data.dbo.tbVisits"/>%2</tables>
<queries><query name="main">%1</query></queries>
<data query="main"/>
<sections><section kind="detail" height="12"><text x="0" y="0" w="50" h="12">row</text></section></sections>
</report>)")
        .arg(sql.toHtmlEscaped(), tables);
}

// Report s0 shows s1 `placements` times, s1 shows s2, ... down to s<depth>;
// written outside in, so that 20,000 levels take no time to write.
QString nested(int depth, int placements)
{
    QString xml;
    for (int level = 0; level < depth; ++level) {
        xml += QStringLiteral(R"(<report name="s%1"><sections><section kind="report-header" height="12">)").arg(level);
        for (int k = 0; k < placements; ++k)
            xml += QStringLiteral(R"(<subreport name="s%1" x="0" y="0" w="50" h="12"/>)").arg(level + 1);
        xml += QStringLiteral("</section></sections><subreports>");
    }
    xml += QStringLiteral(R"(<report name="s%1"><sections><section kind="report-header" height="12">)"
                          R"(<text x="0" y="0" w="50" h="12">leaf</text></section></sections></report>)")
               .arg(depth);
    xml += QStringLiteral("</subreports></report>").repeated(depth);
    return xml;
}

QString detailWith(const QString &elements, const QString &page = QString())
{
    return QStringLiteral("<report>%2<sections><section kind=\"detail\" height=\"12\">%1</section></sections></report>")
        .arg(elements, page);
}

struct FileCase
{
    const char *name;
    QString xml;
    QString message; // what follows "Error in report file '...' at line L, column C: "
};

void PrintTo(const FileCase &c, std::ostream *os)
{
    *os << c.name;
}

class RefusedReportFile : public ReportGuardTest, public ::testing::WithParamInterface<FileCase>
{
};

TEST_P(RefusedReportFile, FailsWhenOpenedNamingTheFile)
{
    const QString d = failure(GetParam().xml);
    EXPECT_TRUE(d.startsWith(QStringLiteral("Error in report file '%1' at line ").arg(path()))) << d.toStdString();
    EXPECT_TRUE(d.endsWith(QStringLiteral(": ") + GetParam().message)) << d.toStdString();
    EXPECT_EQ(m_number, errors::ReportFileInvalid);
}

const QString kText = QStringLiteral(R"(<text x="0" y="0" w="50" h="12">t</text>)");

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedReportFile,
    ::testing::Values(
        // Over no data query: nothing to sum, show, group or print by.
        FileCase{"sumWithoutData", detailWith(QStringLiteral(R"(<formula kind="sum" field="Visits"/>)")),
                 QStringLiteral("the formula at line 1 has no rows to work on: the report has no data query")},
        FileCase{"fieldWithoutData", detailWith(QStringLiteral(R"(<field name="Visits"/>)")),
                 QStringLiteral("the field 'Visits' at line 1 reads the data rows, but the report has no data query")},
        FileCase{"groupWithoutData", QStringLiteral("<report>\n<groups><group field=\"Service\"/></groups></report>"),
                 QStringLiteral("the group at line 2 has no rows to group: the report has no data query")},
        FileCase{"rowsApartWithoutData",
                 QStringLiteral("<report>\n<sections><section kind=\"detail\" when-field=\"A\" when-equals=\"1\"/>"
                                "</sections></report>"),
                 QStringLiteral("the section at line 2 prints by the field 'A', but the report has no data query")},
        // Nesting, fan-out and sizes past the limits.
        FileCase{"twentyThousandDeep", nested(20000, 1), QStringLiteral("subreports may be nested at most 8 deep")},
        FileCase{"twentyThreeLevelsPlacedTwice", nested(23, 2),
                 QStringLiteral("subreports may be nested at most 8 deep")},
        FileCase{"elementsInASection", detailWith(kText.repeated(1001)),
                 QStringLiteral("a section may hold at most 1000 elements")},
        FileCase{"columnPastInt", detailWith(QStringLiteral(R"(<text column="1000000000">t</text>)")),
                 QStringLiteral("the attribute 'column' must be a number from 0 to 256, not '1000000000'")},
        FileCase{"spanPastTheSheet", detailWith(QStringLiteral(R"(<text column="250" span="10">t</text>)")),
                 QStringLiteral("an element's columns must end by column 256, the last an export sheet has")},
        FileCase{"groupPastInt",
                 QStringLiteral(
                     R"(<report><sections><section kind="group-header" group="4294967297"/></sections></report>)"),
                 QStringLiteral("the attribute 'group' must be a number from 0 to 16, not '4294967297'")},
        FileCase{"positionPastAPage", detailWith(QStringLiteral(R"(<box x="1e300" w="5" h="5"/>)")),
                 QStringLiteral("the attribute 'x' must be a number from -14400 to 14400, not '1e300'")},
        FileCase{"fontSizeNotANumber", detailWith(QStringLiteral(R"(<text font-size="nan">t</text>)")),
                 QStringLiteral("the attribute 'font-size' must be a number from 1 to 720, not 'nan'")},
        FileCase{"hugeDateFormat",
                 detailWith(QStringLiteral(R"(<special kind="print-date" date-format="%1"/>)")
                                .arg(QStringLiteral("yyyy").repeated(100000))),
                 QStringLiteral("the attribute 'date-format' may be at most 64 characters long")},
        FileCase{"pageOfAHundredMillion", detailWith(kText, QStringLiteral(R"(<page size="1e8x792"/>)")),
                 QStringLiteral("the page size must be letter, legal, a4 or WIDTHxHEIGHT in points, each side from 72 "
                                "to 14400, not '1e8x792'")},
        FileCase{"pageInfinite", detailWith(kText, QStringLiteral(R"(<page size="infx792"/>)")),
                 QStringLiteral("the page size must be letter, legal, a4 or WIDTHxHEIGHT in points, each side from 72 "
                                "to 14400, not 'infx792'")},
        FileCase{"marginsFillThePage",
                 detailWith(kText, QStringLiteral(R"(<page margin-left="300" margin-right="312"/>)")),
                 QStringLiteral("the margins leave no room on a 612 x 792 page")}),
    [](const auto &info) { return std::string(info.param.name); });

// The sample report with its data query taken out used to crash the fill.
TEST_F(ReportGuardTest, SampleReportWithoutItsDataQueryFailsWhenOpened)
{
    QFile sample(QCoreApplication::applicationDirPath() + QStringLiteral("/rptSample.rpt"));
    ASSERT_TRUE(sample.open(QIODevice::ReadOnly));
    QString xml = QString::fromUtf8(sample.readAll());
    ASSERT_EQ(xml.count(QStringLiteral(R"(<data query="main"/>)")), 1);
    xml.remove(QStringLiteral(R"(<data query="main"/>)"));
    EXPECT_TRUE(failure(xml).endsWith(QStringLiteral("the group at line 21 has no rows to group: the report has no "
                                                     "data query")));
    xml.remove(
        QRegularExpression(QStringLiteral("<groups>.*</groups>"), QRegularExpression::DotMatchesEverythingOption));
    xml.remove(QRegularExpression(QStringLiteral(R"re(<section kind="group-(header|footer)".*?</section>)re"),
                                  QRegularExpression::DotMatchesEverythingOption));
    EXPECT_TRUE(failure(xml).contains(QStringLiteral("the field 'Patient' at line ")));
}

TEST_F(ReportGuardTest, LimitsLetTheLargestShapesThrough)
{
    EXPECT_EQ(failure(nested(8, 1)), QStringLiteral("(opened)"));
    EXPECT_EQ(failure(detailWith(kText.repeated(999) +
                                     QStringLiteral(R"(<text column="255" span="2" x="-14400" w="14400">t</text>)"),
                                 QStringLiteral(R"(<page size="14400x72" margins="0"/>)"))),
              QStringLiteral("(opened)"));
}

TEST_F(ReportGuardTest, FileLargerThanTheLimitIsNotRead)
{
    const QString xml = detailWith(QStringLiteral("<!-- %1 -->").arg(QString(9 * 1024 * 1024, QLatin1Char('x'))));
    EXPECT_EQ(failure(xml),
              QStringLiteral("The report file '%1' is larger than 8 MB, the most a report file may be.").arg(path()));
}

struct QueryCase
{
    const char *name;
    const char *sql;
    const char *refusal; // what follows "the query 'main' "; empty: it runs
};

void PrintTo(const QueryCase &c, std::ostream *os)
{
    *os << c.name;
}

class ReportQuery : public ReportGuardTest, public ::testing::WithParamInterface<QueryCase>
{
};

// A refused query is never sent and nothing changes; a report may still use
// semicolons and words inside quotes and comments.
TEST_P(ReportQuery, RunsOnlyWhenItIsOneSelect)
{
    testing_support::createVisits(m_store, 3);
    const QString users = QStringLiteral(R"(<table alias="u" location="PASSWORD.dbo.tbVelmoraUser"/>)");
    embedded::sql::exec(m_store.store().database(),
                        QStringLiteral("INSERT INTO PASSWORD.tbVelmoraUser (UserName, PasswordHash, CreatedDate) "
                                       "VALUES ('clerk', 'h', '2024-01-01')"));
    const QString d = failure(oneQuery(QString::fromUtf8(GetParam().sql), users), true);
    const QStringList sent = m_report->dataConnections().at(0)->connection()->statementLog().statements();
    if (QByteArray(GetParam().refusal).isEmpty()) {
        EXPECT_EQ(d, QStringLiteral("(filled)"));
        EXPECT_EQ(sent.size(), 1);
    } else {
        EXPECT_EQ(d, QStringLiteral("Error in report file '%1' at line 3: the query 'main' %2")
                         .arg(path(), QString::fromUtf8(GetParam().refusal)));
        EXPECT_EQ(m_number, errors::QueryInvalid);
        EXPECT_EQ(sent, QStringList()) << "a refused query is not sent";
    }
    EXPECT_EQ(visits(), 3);
    QSqlQuery admin = embedded::sql::exec(m_store.store().database(),
                                          QStringLiteral("SELECT IsAdministrator FROM PASSWORD.tbVelmoraUser"));
    ASSERT_TRUE(admin.next());
    EXPECT_EQ(admin.value(0).toInt(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReportQuery,
    ::testing::Values(
        QueryCase{"deleteReturning", "DELETE FROM {v} RETURNING Id",
                  "begins with 'DELETE'; a report query is a single SELECT (or WITH ... SELECT)."},
        QueryCase{"updateReturning", "UPDATE {u} SET IsAdministrator = 1 RETURNING UserName",
                  "begins with 'UPDATE'; a report query is a single SELECT (or WITH ... SELECT)."},
        QueryCase{"deleteAfterWith", "WITH d AS (SELECT 1) DELETE FROM {v} RETURNING Id",
                  "would change the database; a report query only reads."},
        QueryCase{"twoStatements", "SELECT Id FROM {v}; DELETE FROM {v}",
                  "holds more than one statement ('DELETE FROM \"Patient_Data\".\"tbVisits\"'); a report query is a "
                  "single SELECT."},
        QueryCase{"semicolonsInQuotesAndComments", "SELECT 'a;DELETE' AS \"b;c\" /* ; DROP */ FROM {v} -- ; UPDATE\n;",
                  ""},
        QueryCase{"withSelect", "WITH n AS (SELECT COUNT(*) AS c FROM {v}) SELECT c FROM n", ""}),
    [](const auto &info) { return std::string(info.param.name); });

// Even a statement sent past the engine's checks cannot write on the fill's
// own connection.
TEST_F(ReportGuardTest, FillConnectionIsReadOnly)
{
    testing_support::createVisits(m_store, 2);
    DataConnection connection({m_store.folder(), QStringLiteral("Patient_Data"), QString(), QString()});
    try {
        connection.select({QStringLiteral("DELETE FROM Patient_Data.tbVisits"), {}});
        FAIL() << "deleted";
    } catch (const com::ComError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("attempt to write a readonly database"));
    }
    EXPECT_EQ(visits(), 2);
}

TEST_F(ReportGuardTest, ProcedureThatWritesIsNotCalled)
{
    const QString xml = QStringLiteral(R"(<report>
<parameters><parameter name="A" default="19"/><parameter name="B" default=""/><parameter name="C" default="23"/></parameters>
<tables><table alias="p" kind="procedure" location="Patient_Data.dbo.sp_DOH_Save_tbMedNewDOHReportSetup"/></tables>
<queries><query name="main">EXEC {p} {?A}, {?B}, {?C}</query></queries>
<data query="main"/>
</report>)");
    EXPECT_EQ(failure(xml, true),
              QStringLiteral("Error in report file '%1' at line 4: the query 'main' calls the procedure "
                             "'Patient_Data.dbo.sp_DOH_Save_tbMedNewDOHReportSetup', which changes the database; a "
                             "report calls only procedures that read.")
                  .arg(path()));
    EXPECT_EQ(m_report->dataConnections().at(0)->connection()->statementLog().statements(), QStringList());
}

// SQL Server is not reachable here: what it would be sent, and the words
// that keep a query from reaching it, are checked as texts.
TEST(SqlServerReportQuery, RunsInATransactionAlwaysRolledBack)
{
    EXPECT_EQ(DataConnection::sqlServerBatch({QStringLiteral("SELECT a FROM [x] WHERE d = @P1 AND n = @P2"),
                                              {QVariant(QDate(2025, 3, 1)), QVariant(QStringLiteral("O'B"))}},
                                             100000),
              QStringLiteral("SET XACT_ABORT ON; SET ROWCOUNT 100001; BEGIN TRANSACTION; EXEC sp_executesql "
                             "N'SELECT a FROM [x] WHERE d = @P1 AND n = @P2', N'@P1 datetime, @P2 nvarchar(4000)', "
                             "@P1 = '20250301', @P2 = N'O''B'; ROLLBACK TRANSACTION; SET ROWCOUNT 0"));
    EXPECT_EQ(DataConnection::sqlServerBatch({QStringLiteral("SELECT 1 AS n"), {}}, 10),
              QStringLiteral("SET XACT_ABORT ON; SET ROWCOUNT 11; BEGIN TRANSACTION; EXEC sp_executesql N'SELECT 1 "
                             "AS n'; ROLLBACK TRANSACTION; SET ROWCOUNT 0"));

    const std::pair<const char *, const char *> words[] = {
        {"SELECT 1 AS n DELETE FROM [t]", "DELETE"},
        {"SELECT a INTO t2 FROM t", "INTO"},
        {"WITH c AS (SELECT 1 AS n) UPDATE t SET a = 1", "UPDATE"},
        {"SELECT 1 EXEC xp_cmdshell 'dir'", "EXEC"},
        {"SELECT 'DELETE' AS [UPDATE;], \"INTO\" -- DROP\n FROM t /* EXEC */ WHERE a = N'SET'", ""},
        {"SELECT [a]]DROP] FROM t", ""},
        {"SELECT UpdatedOn, Inserted FROM t ORDER BY 1 OFFSET 0 ROWS FETCH NEXT 5 ROWS ONLY", ""},
    };
    for (const auto &[sql, word] : words)
        EXPECT_EQ(writingWord(queryShape(QString::fromUtf8(sql))), QString::fromUtf8(word)) << sql;
}

struct FillCase
{
    const char *name;
    QString xml;
    FillLimits limits;
    long number;
    QString message; // %1: the file's path
};

void PrintTo(const FillCase &c, std::ostream *os)
{
    *os << c.name;
}

class BoundedFill : public ReportGuardTest, public ::testing::WithParamInterface<FillCase>
{
};

FillLimits bounds(qsizetype items, qsizetype characters, qint64 ms)
{
    FillLimits l;
    l.maxPrintedItems = items;
    l.maxPrintedCharacters = characters;
    l.timeLimitMs = ms;
    return l;
}

const char kEndless[] = "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) ";

TEST_P(BoundedFill, StopsWithAMessageNamingTheReport)
{
    testing_support::createVisits(m_store, 2);
    EXPECT_EQ(failure(GetParam().xml, true, GetParam().limits), GetParam().message.arg(path()));
    EXPECT_EQ(m_number, GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BoundedFill,
    ::testing::Values(
        FillCase{"rowsWithoutEnd",
                 oneQuery(QStringLiteral("WITH RECURSIVE c(x) AS (SELECT Id FROM {v} UNION ALL SELECT x + 1 FROM c) "
                                         "SELECT x FROM c")),
                 FillLimits(), errors::FillTooLarge,
                 QStringLiteral("Error in report file '%1' at line 3: the query 'main' gives more than 100,000 rows, "
                                "the most a report query may give.")},
        FillCase{"queryWithoutEnd",
                 oneQuery(QString::fromLatin1(kEndless) + QStringLiteral("SELECT COUNT(*) FROM c, {v}")),
                 bounds(1000, 1000, 300), errors::FillTimedOut,
                 QStringLiteral("The report '%1' was stopped: filling it took longer than 0.3 seconds, the most a fill "
                                "may take.")},
        FillCase{"subreportsShownFourTimesEachLevel", nested(8, 4), bounds(1000, 1000000, 60000), errors::FillTooLarge,
                 QStringLiteral("The report '%1' prints more than 1,000 items (sections and elements), the most one "
                                "report may print.")},
        FillCase{"longTexts",
                 detailWith(QStringLiteral(R"(<text x="0" y="0" w="50" h="12">%1</text>)")
                                .arg(QString(1000, QLatin1Char('x')))
                                .repeated(20)),
                 bounds(1000, 10000, 60000), errors::FillTooLarge,
                 QStringLiteral("The report '%1' prints more than 10,000 characters of text, the most one report may "
                                "print.")}),
    [](const auto &info) { return std::string(info.param.name); });

// An endless query kept whole by its join: stopped by the bound, far below 300 MB.
TEST_F(ReportGuardTest, AnEndlessQueryStopsAtTheDefaultMemoryBound)
{
    testing_support::createVisits(m_store, 2);
    EXPECT_EQ(failure(oneQuery(QStringLiteral("WITH RECURSIVE c(x, pad) AS (SELECT 1, hex(zeroblob(500)) UNION ALL "
                                              "SELECT x + 1, pad FROM c) SELECT v.Id FROM {v} v CROSS JOIN c "
                                              "WHERE c.x = v.Id")),
                      true),
              QStringLiteral("Error in report file '%1' at line 3: the query 'main' needs more than 128 MB of memory, "
                             "the most a report's fill may take.")
                  .arg(path()));
    rusage usage{};
    ASSERT_EQ(getrusage(RUSAGE_SELF, &usage), 0);
    EXPECT_LT(usage.ru_maxrss, 300 * 1024) << "kilobytes";
}

// Cancel in the viewer's fill window stops a fill that would not end and
// leaves the viewer empty, saying so.
TEST_F(ReportGuardTest, ViewerCancelStopsALongFill)
{
    testing_support::createVisits(m_store, 2);
    auto report = Application().OpenReport(
        write(oneQuery(QString::fromLatin1(kEndless) + QStringLiteral("SELECT COUNT(*) FROM c, {v}"))), 1);
    report->Database().Tables().Item(1).SetLogOnInfo(m_store.folder(), QStringLiteral("Patient_Data"), QString(),
                                                     QString());
    report->setFillLimits(bounds(1000000, 1000000, 60000));
    reportviewer::CRViewer viewer;
    viewer.resize(800, 600);
    viewer.show();
    viewer.setReportSource(report);
    bool shown = false;
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        QProgressDialog *progress = viewer.fillProgress();
        if (!progress || !progress->isVisible())
            return;
        shown = true;
        for (QPushButton *button : progress->findChildren<QPushButton *>())
            if (button->text() == u"Cancel")
                button->click();
    });
    clicker.start(50);
    viewer.ViewReport();
    EXPECT_TRUE(shown);
    EXPECT_EQ(viewer.statusLabel()->text(), QStringLiteral("Cancelled: the report was not filled."));
    EXPECT_EQ(viewer.pageCount(), 0);
    EXPECT_EQ(viewer.fillProgress(), nullptr);
    EXPECT_FALSE(report->fillMonitor());
}

} // namespace
