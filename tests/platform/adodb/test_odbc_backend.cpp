#include "adodb/OdbcBackend.h"
#include "adodb/OdbcResults.h"
#include "adodb/Recordset.h"
#include "com/ComError.h"
#include "reportengine/DataConnection.h"

#include "support/StatementLog.h"

#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlField>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

using namespace adodb;

namespace {

// Debian's SQLite ODBC driver (libsqliteodbc) on a file of `dir`: a real ODBC
// driver behind QODBC, for what the backend does whatever the database.
OdbcConnectSettings sqliteSettings(const QTemporaryDir &dir)
{
    OdbcConnectSettings settings;
    settings.connectionString =
        QStringLiteral("DRIVER={SQLite3};Database=%1;").arg(dir.filePath(QStringLiteral("o.db")));
    return settings;
}

// Stands in for a SQL Server for one sign-in: takes the login packet FreeTDS
// sends first under TDS 7.0, hangs up, and reads the packet's fields.
class LoginCatcher
{
public:
    struct Login
    {
        QString user, password, database;
    };

    LoginCatcher()
    {
        qputenv("TDSVER", "7.0");
        sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
        socklen_t size = sizeof address;
        ::bind(m_socket, reinterpret_cast<sockaddr *>(&address), size);
        ::listen(m_socket, 1);
        ::getsockname(m_socket, reinterpret_cast<sockaddr *>(&address), &size);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] {
            pollfd waiting{m_socket, POLLIN, 0};
            if (::poll(&waiting, 1, 20000) <= 0)
                return;
            const int peer = ::accept(m_socket, nullptr, nullptr);
            char buffer[4096];
            ssize_t n;
            while ((m_packet.size() < 8 || m_packet.size() < (uchar(m_packet[2]) << 8 | uchar(m_packet[3]))) &&
                   (n = ::recv(peer, buffer, sizeof buffer, 0)) > 0)
                m_packet.append(buffer, n);
            ::close(peer);
        });
    }
    ~LoginCatcher()
    {
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_socket);
        qunsetenv("TDSVER");
    }
    QString server() const { return QStringLiteral("127.0.0.1,%1").arg(m_port); }

    Login caught()
    {
        m_thread.join();
        if (m_packet.size() < 8 + 72)
            return {};
        const QByteArray body = m_packet.mid(8);
        auto field = [&](int n) { // UTF-16 text at the offset and length in the field table
            const auto *p = reinterpret_cast<const uchar *>(body.constData()) + 36 + 4 * n;
            return body.mid(p[0] | p[1] << 8, 2 * (p[2] | p[3] << 8));
        };
        auto text = [](const QByteArray &utf16) {
            return QString::fromUtf16(reinterpret_cast<const char16_t *>(utf16.constData()), utf16.size() / 2);
        };
        QByteArray password = field(2);
        for (char &c : password) { // the login's password: each byte's halves swapped, then XOR 0xA5
            const uchar b = uchar(c) ^ 0xA5;
            c = char(uchar(b << 4 | b >> 4));
        }
        return {text(field(1)), text(password), text(field(8))};
    }

private:
    int m_socket = ::socket(AF_INET, SOCK_STREAM, 0);
    int m_port = 0;
    std::thread m_thread;
    QByteArray m_packet;
};

} // namespace

TEST(SqlServerConnection, IsFreeTdsThroughQtsOdbcDriverWithOdbc3TheTimeOutAndMdyDates)
{
    EXPECT_TRUE(QSqlDatabase::isDriverAvailable(kOdbcDriver)) << kOdbcDriver.toStdString();
    SqlServerLogon logon{QStringLiteral("db01\\ORVANT"), QStringLiteral("Patient_Data"), QStringLiteral("records"),
                         QStringLiteral("p;w}=1")};
    const OdbcConnectSettings settings = SqlServerSettings(logon);
    EXPECT_EQ(settings.connectionString,
              QStringLiteral("DRIVER={FreeTDS};SERVER={db01\\ORVANT};DATABASE={Patient_Data};"
                             "UID={records};PWD={p;w}}=1};ClientCharset=UTF-8;"));
    EXPECT_EQ(settings.loginTimeout, 240);
    EXPECT_EQ(settings.sessionStatements, QStringList{QStringLiteral("SET DATEFORMAT mdy")});
    EXPECT_EQ(OdbcConnectOptions(240), QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=240;SQL_ATTR_ODBC_VERSION=SQL_OV_ODBC3"));
    // A closing brace that needs no braces stays bare: FreeTDS 1.3 would keep a doubled one.
    logon.database.clear();
    logon.password = QStringLiteral("a}b=c");
    EXPECT_EQ(SqlServerSettings(logon).connectionString,
              QStringLiteral("DRIVER={FreeTDS};SERVER={db01\\ORVANT};UID={records};PWD=a}b=c;ClientCharset=UTF-8;"));
    EXPECT_EQ(OdbcValue(QString()), QStringLiteral("{}"));
    EXPECT_EQ(OdbcValue(QStringLiteral("{x}")), QStringLiteral("{{x}}}"));
    EXPECT_EQ(OdbcValue(QStringLiteral("x} ")), QStringLiteral("{x}} }"));
}

TEST(SqlServerConnection, FreeTdsReceivesTheLoginExactlyFromTheSessionAndTheReportEngine)
{
    for (const QString &password : {QStringLiteral("p;w=1"), QStringLiteral("a}b=c"), QStringLiteral("{lead"),
                                    QStringLiteral(" blank "), QStringLiteral("é;ñ")}) {
        LoginCatcher server;
        try {
            OdbcBackend backend(
                SqlServerLogon{server.server(), QStringLiteral("Patient_Data"), QStringLiteral("récords"), password});
            ADD_FAILURE() << "opened";
        } catch (const BackendError &e) {
            EXPECT_EQ(e.message(), QStringLiteral("Unable to connect to data source"));
        }
        const LoginCatcher::Login login = server.caught();
        EXPECT_EQ(login.user, QStringLiteral("récords"));
        EXPECT_EQ(login.password, password);
        EXPECT_EQ(login.database, QStringLiteral("Patient_Data"));
    }
    LoginCatcher server;
    EXPECT_THROW(reportengine::DataConnection({server.server(), QStringLiteral("Patient_Data"),
                                               QStringLiteral("records"), QStringLiteral("r;p=2")}),
                 com::ComError);
    const LoginCatcher::Login login = server.caught();
    EXPECT_EQ(login.user, QStringLiteral("records"));
    EXPECT_EQ(login.password, QStringLiteral("r;p=2"));
    EXPECT_EQ(login.database, QStringLiteral("Patient_Data"));
}

class OdbcOverSqlite : public ::testing::Test
{
protected:
    void SetUp() override
    {
        try {
            auto opened = std::make_unique<OdbcBackend>(sqliteSettings(dir));
            backend = opened.get();
            conn = std::make_shared<Connection>(std::move(opened));
        } catch (const BackendError &e) {
            FAIL() << "the SQLite ODBC driver (libsqliteodbc, scripts/install-deps) does not open: "
                   << e.message().toStdString();
        }
    }
    QTemporaryDir dir;
    OdbcBackend *backend = nullptr;
    ConnectionPtr conn;
};

TEST_F(OdbcOverSqlite, RunsTheTextsAsSentAndReadsCountsNullsDatesAndRecordsAffected)
{
    const QStringList sent{
        QStringLiteral("CREATE TABLE tbLog (ReportID varchar(20), Visits int, Share float, Updated datetime, "
                       "FromDate date)"),
        QStringLiteral("INSERT INTO tbLog VALUES ('I.3.4', 12, 0.5, '2026-01-31 10:20:30', '2026-01-01')"),
        QStringLiteral("INSERT INTO tbLog VALUES ('Sto. Niño', NULL, NULL, NULL, NULL)"),
        QStringLiteral("UPDATE tbLog SET Visits = 3"),
        QStringLiteral("UPDATE tbLog SET Visits = 4 WHERE 0 = 1"),
        QStringLiteral("SELECT ReportID, Visits, Share, Updated, FromDate\nFROM tbLog ORDER BY ReportID  ")};
    long affected[2] = {-1, -1};
    for (int i = 0; i < 5; ++i)
        conn->Execute(sent[i], i >= 3 ? &affected[i - 3] : nullptr);
    EXPECT_EQ(affected[0], 2);
    EXPECT_EQ(affected[1], 0);

    Recordset rs;
    rs.Open(sent[5], conn, adUseClient, adOpenDynamic, adLockOptimistic);
    EXPECT_EQ(rs.RecordCount(), 2);
    EXPECT_EQ(rs.Fields(QStringLiteral("visits")).Value().toLong(), 3);
    EXPECT_EQ(rs.Fields(QStringLiteral("Share")).Value().toDouble(), 0.5);
    EXPECT_EQ(rs.Fields(QStringLiteral("Updated")).Value().toDateTime(),
              QDateTime(QDate(2026, 1, 31), QTime(10, 20, 30)));
    EXPECT_EQ(rs.Fields(QStringLiteral("FromDate")).Value().toDateTime(), QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    rs.MoveNext();
    EXPECT_EQ(rs.Fields(QStringLiteral("ReportID")).Value().toString(), QStringLiteral("Sto. Niño"));
    for (const char *column : {"Share", "Updated", "FromDate"})
        EXPECT_TRUE(rs.Fields(QString::fromLatin1(column)).Value().isNull()) << column;
    EXPECT_TRUE(testing_support::SentExactly(conn, sent));

    // ODBC 3 behaviour: date-times are described as SQL_TYPE_TIMESTAMP (93), not ODBC 2's SQL_TIMESTAMP (11).
    QSqlQuery q(QSqlDatabase::database(backend->connectionName()));
    ASSERT_TRUE(q.exec(QStringLiteral("SELECT Updated FROM tbLog")));
    EXPECT_EQ(q.record().field(0).typeID(), 93);
}

// BeginTrans turns the driver's automatic commit off until CommitTrans or
// RollbackTrans; the calls are no statements and the log does not show them.
TEST_F(OdbcOverSqlite, ATransactionKeepsItsStatementsOrDropsThemTogether)
{
    const QStringList sent = {QStringLiteral("CREATE TABLE tbLog (ReportID varchar(20))"),
                              QStringLiteral("INSERT INTO tbLog VALUES ('II.')"),
                              QStringLiteral("INSERT INTO tbLog VALUES ('I.')"),
                              QStringLiteral("SELECT ReportID FROM tbLog")};
    conn->Execute(sent[0]);
    EXPECT_EQ(conn->BeginTrans(), 1);
    EXPECT_THROW(conn->BeginTrans(), com::ComError);
    conn->Execute(sent[1]);
    conn->RollbackTrans();
    conn->BeginTrans();
    conn->Execute(sent[2]);
    conn->CommitTrans();
    EXPECT_THROW(conn->RollbackTrans(), com::ComError);
    Recordset rs;
    rs.Open(sent[3], conn);
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields(QStringLiteral("ReportID")).Value().toString(), QStringLiteral("I."));
    EXPECT_TRUE(testing_support::SentExactly(conn, sent));
}

TEST_F(OdbcOverSqlite, AFailureReadsAsTheDatabasesOwnMessage)
{
    try {
        Recordset rs;
        rs.Open(QStringLiteral("SELECT * FROM tbNowhere"), conn);
        FAIL() << "opened";
    } catch (const com::ComError &e) {
        EXPECT_EQ(e.number(), com::errors::ProviderError);
        EXPECT_EQ(e.description(), QStringLiteral("no such table: tbNowhere (1)"));
        EXPECT_EQ(e.source(), QStringLiteral("Microsoft OLE DB Provider for SQL Server"));
    }
    EXPECT_TRUE(testing_support::SentExactly(conn, {QStringLiteral("SELECT * FROM tbNowhere")}));
}

TEST_F(OdbcOverSqlite, SessionStatementsRunAtOpenAFailingOneFailsItAndNoPasswordStaysInQt)
{
    EXPECT_TRUE(QSqlDatabase::database(backend->connectionName(), false).databaseName().isEmpty());
    OdbcConnectSettings settings = sqliteSettings(dir);
    settings.sessionStatements = {QStringLiteral("CREATE TABLE tbOpened (x int)")};
    OdbcBackend(settings).run(QStringLiteral("SELECT x FROM tbOpened"));

    settings.sessionStatements = SqlServerSettings({}).sessionStatements; // SET DATEFORMAT is no SQLite
    const QStringList before = QSqlDatabase::connectionNames();
    try {
        OdbcBackend refused(settings);
        FAIL() << "opened";
    } catch (const BackendError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("near \"SET\": syntax error (1)"));
    }
    EXPECT_EQ(QSqlDatabase::connectionNames(), before);
}

namespace {

// Results as SQL Server procedures give them, which SQLite's driver cannot:
// row counts before the rows, more results after them, and a failure there.
struct Scripted
{
    QStringList columns;
    QList<QVariantList> rows;
    QString failure; // the database's text when moving to this result fails
};

class ScriptedQuery
{
public:
    ScriptedQuery(QList<Scripted> results, int firstCount)
        : m_results(std::move(results))
        , m_count(firstCount)
    {}
    int numRowsAffected() const { return m_count; }
    QSqlRecord record() const
    {
        QSqlRecord record;
        for (const QString &c : m_results[m_at].columns)
            record.append(QSqlField(c));
        return record;
    }
    bool next() { return ++m_row < m_results[m_at].rows.size(); }
    QVariant value(int i) const { return m_results[m_at].rows[m_row][i]; }
    bool nextResult()
    {
        m_row = -1;
        if (++m_at < m_results.size() && !m_results[m_at].failure.isEmpty())
            m_error = QSqlError(QStringLiteral("QODBC: Unable to fetch last"), m_results[m_at].failure,
                                QSqlError::ConnectionError);
        return m_at < m_results.size() && !m_error.isValid();
    }
    QSqlError lastError() const { return m_error; }

private:
    QList<Scripted> m_results;
    int m_count;
    qsizetype m_at = 0, m_row = -1;
    QSqlError m_error;
};

} // namespace

TEST(OdbcResults, RowsAreTheFirstResultWithColumnsAndALaterFailureFailsTheStatement)
{
    const QString id = QStringLiteral("ReportID");
    ScriptedQuery counted({{}, {}, {{id}, {{QStringLiteral("II.")}, {QStringLiteral("I.3.4")}}, {}}, {{id}, {{1}}, {}}},
                          3);
    const ResultSet result = odbc::collectResults(counted);
    EXPECT_EQ(result.columns, QStringList{id});
    ASSERT_EQ(result.rows.size(), 2);
    EXPECT_EQ(result.rows[1][0].toString(), QStringLiteral("I.3.4"));
    EXPECT_EQ(result.rowsAffected, 3);

    ScriptedQuery failing({{{id}, {{QStringLiteral("II.")}}, {}},
                           {{}, {}, QStringLiteral("[FreeTDS][SQL Server]Invalid object name 'tbX'.")}},
                          -1);
    try {
        odbc::collectResults(failing);
        FAIL() << "a failure after the rows passed";
    } catch (const BackendError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("Invalid object name 'tbX'."));
    }
}

TEST(OdbcResults, TheDatabasesMessageIsTheFirstDiagnosticWithoutItsTags)
{
    auto message = [](const char *text) {
        return odbc::databaseMessage(QSqlError(QStringLiteral("QODBC: x"), QString::fromUtf8(text)));
    };
    EXPECT_EQ(message("[FreeTDS][SQL Server]Login failed for user 'sa'. [FreeTDS][SQL Server]Unable to connect"),
              QStringLiteral("Login failed for user 'sa'."));
    EXPECT_EQ(message("[Microsoft][ODBC Driver 18 for SQL Server][SQL Server]Incorrect syntax near 'x'."),
              QStringLiteral("Incorrect syntax near 'x'."));
    EXPECT_EQ(message("[SQLite]no such table: x [y] (1)"), QStringLiteral("no such table: x [y] (1)"));
    EXPECT_EQ(message("Invalid object name 'x [y]'."), QStringLiteral("Invalid object name 'x [y]'."));
}
