#include "adodb/Connection.h"
#include "adodb/Recordset.h"
#include "adodb/SqlText.h"
#include "com/ComError.h"

#include "support/StatementLog.h"

#include <gtest/gtest.h>

using namespace adodb;
using com::ComError;
using com::Variant;

namespace {

// A database that answers every statement with the rows given, or fails
// with the message given.
class CannedBackend : public Backend
{
public:
    ResultSet answer;
    QString failure;
    ResultSet run(const QString &) override
    {
        if (!failure.isEmpty())
            throw BackendError(failure);
        return answer;
    }
    QString sourceName() const override { return QStringLiteral("Canned"); }
};

ConnectionPtr connectionWith(CannedBackend *&backend)
{
    auto b = std::make_unique<CannedBackend>();
    backend = b.get();
    return std::make_shared<Connection>(std::move(b));
}

} // namespace

TEST(Recordset, WalksRowsAndReadsFieldsByNameCaseInsensitively)
{
    CannedBackend *backend = nullptr;
    auto conn = connectionWith(backend);
    backend->answer.columns = {QStringLiteral("COMPANY"), QStringLiteral("ADDRESS1")};
    backend->answer.rows = {{Variant(QStringLiteral("St. Luke's")), Variant()},
                            {Variant(QStringLiteral("Second")), Variant(QStringLiteral("Cebu"))}};
    Recordset rs;
    rs.Open(QStringLiteral("SELECT COMPANY, ADDRESS1 FROM Patient_Data..tbHospitalInfo"), conn, adUseClient,
            adOpenDynamic, adLockOptimistic);
    EXPECT_EQ(rs.RecordCount(), 2);
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs.Fields(QStringLiteral("Company")).Value().toString(), QStringLiteral("St. Luke's"));
    EXPECT_TRUE(rs.Fields(QStringLiteral("Address1")).Value().isNull());
    rs.MoveNext();
    EXPECT_EQ(rs.Fields(QStringLiteral("address1")).Value().toString(), QStringLiteral("Cebu"));
    rs.MoveNext();
    EXPECT_TRUE(rs.Eof());
    EXPECT_THROW(rs.MoveNext(), ComError);
    EXPECT_THROW(rs.Fields(QStringLiteral("Company")).Value(), ComError);
    rs.Close();
    EXPECT_EQ(rs.State(), adStateClosed);
    EXPECT_THROW(rs.Eof(), ComError);
}

TEST(Recordset, UnknownFieldNameFailsNamingIt)
{
    CannedBackend *backend = nullptr;
    auto conn = connectionWith(backend);
    backend->answer.columns = {QStringLiteral("ReportID")};
    Recordset rs;
    rs.Open(QStringLiteral("x"), conn);
    EXPECT_TRUE(rs.Eof());
    try {
        rs.Fields(QStringLiteral("LastUpdatedDate"));
        FAIL();
    } catch (const ComError &e) {
        EXPECT_EQ(e.number(), 3265);
        EXPECT_TRUE(e.description().contains(QStringLiteral("'LastUpdatedDate'"))) << e.what();
    }
}

TEST(Connection, LogsEveryStatementExactlyAndReportsTheDatabasesOwnMessage)
{
    CannedBackend *backend = nullptr;
    auto conn = connectionWith(backend);
    conn->Execute(QStringLiteral("Patient_Data..sp_A '01/01/2026'"));
    backend->failure = QStringLiteral("Could not find stored procedure 'Patient_Data..sp_B'.");
    try {
        conn->Execute(QStringLiteral("Patient_Data..sp_B"));
        FAIL();
    } catch (const ComError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("Could not find stored procedure 'Patient_Data..sp_B'."));
        EXPECT_EQ(e.source(), QStringLiteral("Canned"));
    }
    EXPECT_TRUE(testing_support::SentExactly(
        conn, {QStringLiteral("Patient_Data..sp_A '01/01/2026'"), QStringLiteral("Patient_Data..sp_B")}));
}

TEST(Connection, InterceptorFailsAChosenStatementAndClosedConnectionRefuses)
{
    CannedBackend *backend = nullptr;
    auto conn = connectionWith(backend);
    conn->setInterceptor([](const QString &text) {
        if (text.contains(QLatin1String("sp_Fail")))
            throw BackendError(QStringLiteral("Timeout expired"));
    });
    EXPECT_NO_THROW(conn->Execute(QStringLiteral("sp_Ok")));
    EXPECT_THROW(conn->Execute(QStringLiteral("sp_Fail")), ComError);
    conn->Close();
    EXPECT_THROW(conn->Execute(QStringLiteral("sp_Ok")), ComError);
    EXPECT_EQ(conn->statementLog().statements().size(), 3);
}

TEST(SqlText, DoublesEveryQuoteAndKeepsABackslashThatEndsALine)
{
    EXPECT_EQ(SqlText(QStringLiteral("13")), QStringLiteral("'13'"));
    EXPECT_EQ(SqlText(QStringLiteral("O'Brien")), QStringLiteral("'O''Brien'"));
    EXPECT_EQ(SqlText(QStringLiteral("''")), QStringLiteral("''''''"));
    EXPECT_EQ(SqlText(QString()), QStringLiteral("''"));
    // The added backslash and line feed are the continuation the server drops.
    EXPECT_EQ(SqlText(QStringLiteral("a\\\nb")), QStringLiteral("'a\\\\\n\nb'"));
    EXPECT_EQ(SqlText(QStringLiteral("a\\\r\nb")), QStringLiteral("'a\\\\\n\r\nb'"));
    EXPECT_EQ(SqlText(QStringLiteral("a\\\rb\\")), QStringLiteral("'a\\\rb\\'"));
}
