#pragma once

#include "Backend.h"

#include <QString>
#include <QStringList>

namespace adodb {

// The name of Qt 6's ODBC driver plugin (Qt 5 also answered to "QODBC3").
inline const QString kOdbcDriver = QStringLiteral("QODBC");

// The ODBC driver of a site's SQL Server: the name under which Debian's
// tdsodbc package registers FreeTDS in /etc/odbcinst.ini.
inline const QString kSqlServerOdbcDriver = QStringLiteral("FreeTDS");

// How long a SQL Server sign-in may take, in seconds: the connection time-out
// of the session's connection, used by every SQL Server connection.
constexpr int kSqlServerLoginTimeout = 240;

// A site's SQL Server and the login that opens it.
struct SqlServerLogon
{
    QString server;   // host, host,port or host\instance
    QString database; // the login's starting database; empty: the login's default
    QString user;
    QString password; // held in memory only, never written anywhere
    int loginTimeout = kSqlServerLoginTimeout;
};

// How an ODBC connection opens: the connection string, the login time-out and
// the statements each new session runs before any other.
struct OdbcConnectSettings
{
    QString connectionString;
    int loginTimeout = kSqlServerLoginTimeout;
    QStringList sessionStatements;
};

// A value of an ODBC connection string, read back as exactly this text by the
// driver manager and the driver: in braces with a closing brace doubled, as
// ODBC defines. A value with a closing brace that needs no braces otherwise
// (no ";", no leading "{", no blanks at either end) is written bare instead:
// FreeTDS before 1.4 keeps a doubled brace doubled.
QString OdbcValue(const QString &value);

// Qt's connect options for a connection: the login time-out and ODBC 3
// behaviour (Qt asks the driver manager for ODBC 2 unless told).
QString OdbcConnectOptions(int loginTimeout);

// The one place a SQL Server connection is described, for the session and the
// report engine alike: FreeTDS with UTF-8 on the client side, and every session
// reading dates as mm/dd/yyyy, the form in which the program sends them.
OdbcConnectSettings SqlServerSettings(const SqlServerLogon &logon);

// A database reached through Qt's ODBC driver: a site's SQL Server through
// unixODBC and FreeTDS, or any other ODBC data source (the tests use SQLite's
// ODBC driver). Statement texts pass unchanged and run directly (no prepare).
// A statement's rows are those of its first result with columns; results
// without columns before it (row counts) are skipped. A failure anywhere in
// the statement's results fails the statement with the database's message.
class OdbcBackend : public Backend
{
public:
    explicit OdbcBackend(const OdbcConnectSettings &settings);
    explicit OdbcBackend(const SqlServerLogon &logon);
    ~OdbcBackend() override;

    ResultSet run(const QString &text) override;
    QString sourceName() const override { return QStringLiteral("Microsoft OLE DB Provider for SQL Server"); }
    // A real transaction of the server: automatic commit is off from begin
    // until commit or rollback ends it.
    void beginTransaction() override;
    void commitTransaction() override;
    void rollbackTransaction() override;

    // The name of the Qt connection behind this backend.
    const QString &connectionName() const { return m_connectionName; }

private:
    QString m_connectionName;
};

} // namespace adodb
