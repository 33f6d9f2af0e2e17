#pragma once

#include "ReportEngine.h"

#include "adodb/Connection.h"

#include <QVariantList>

namespace reportengine {

// A query ready for one data connection: its text with the tables' names and
// the parameters' placeholders in that database's dialect, and the values
// bound to the placeholders in order.
struct PreparedQuery
{
    QString text;
    QVariantList values;
};

// The connection a report's tables read through, opened once per logon.
// The embedded store (the logon's server is a store folder) is read with
// SQLite and bound parameters; any other server is a SQL Server reached
// through ODBC, where the query runs inside sp_executesql with typed
// parameters. Either way the statement passes the connection's run(), so
// it is logged and its failure reads as the database's own message.
class DataConnection
{
public:
    explicit DataConnection(const LogOnInfo &logOn);
    ~DataConnection();

    bool isEmbedded() const { return m_embedded; }
    const LogOnInfo &logOn() const { return m_logOn; }
    adodb::ConnectionPtr connection() const { return m_connection; }

    // The name a table location takes in a query: for the embedded store
    // "Patient_Data.dbo.tbX" is "Patient_Data"."tbX" (the owner has no
    // meaning there); for SQL Server each part is bracket-quoted.
    QString tableName(const QString &location) const;
    // The placeholder of the n-th (0-based) bound value.
    QString placeholder(int index) const;

    adodb::ResultSet select(const PreparedQuery &query);
    // Runs the stored procedure at location with these arguments and reads
    // its first result. The embedded store takes the call as the program's
    // own statements are sent (arguments as quoted literals); SQL Server
    // runs it inside sp_executesql with typed parameters.
    adodb::ResultSet callProcedure(const QString &location, const QVariantList &arguments);

private:
    LogOnInfo m_logOn;
    bool m_embedded = false;
    adodb::ConnectionPtr m_connection;
    class EmbeddedQueryBackend *m_embeddedBackend = nullptr;
};

} // namespace reportengine
