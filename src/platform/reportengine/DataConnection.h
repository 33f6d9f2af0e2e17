#pragma once

#include "ReportEngine.h"

#include "adodb/Connection.h"

#include <QHash>
#include <QVariantList>

#include <stdexcept>

namespace reportengine {

class FillWatch;

// A query the data connection will not run, or not read to its end: the
// reason continues "the query 'q' ..." in the fill's message, which names the
// report file and the query. number is the ComError's number that message
// carries (QueryInvalid, FillTooLarge).
class QueryRefusal : public std::runtime_error
{
public:
    QueryRefusal(long number, const QString &reason)
        : std::runtime_error(reason.toStdString())
        , m_number(number)
        , m_reason(reason)
    {}
    long number() const { return m_number; }
    const QString &reason() const { return m_reason; }

private:
    long m_number;
    QString m_reason;
};

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
//
// A report only reads. A query that is not one SELECT is refused before it
// is sent; the embedded store's connection is opened read-only as well
// (query_only) and calls only the store's reading procedures; on SQL Server
// every statement runs inside a transaction that is always rolled back. A
// fill's watch bounds the rows a statement may give and, on the embedded
// store, interrupts a statement past the fill's time or on Cancel.
// Refusals are QueryRefusals; the database's failures ComErrors.
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

    // Refuses a query text that is more than one statement, does not begin
    // with SELECT or WITH, or would change the database.
    void checkReadOnly(const QString &text) const;
    adodb::ResultSet select(const PreparedQuery &query);
    // Runs the stored procedure at location with these arguments and reads
    // its first result. The embedded store takes the call as the program's
    // own statements are sent (arguments as quoted literals); SQL Server
    // runs it inside sp_executesql with typed parameters.
    adodb::ResultSet callProcedure(const QString &location, const QVariantList &arguments);

    // Whether the database holds the table (or procedure) at location: the
    // embedded store's own tables and procedures; on SQL Server any object
    // of that name. Asked once per location.
    bool hasObject(const QString &location, bool procedure);

    // The watch of the fill now running (nullptr between fills).
    void setWatch(FillWatch *watch);

    // The batch a query is sent to SQL Server as: at most rowCap + 1 rows,
    // inside a transaction that is rolled back whatever the query did.
    static QString sqlServerBatch(const PreparedQuery &query, qsizetype rowCap);

private:
    qsizetype rowCap() const;

    LogOnInfo m_logOn;
    bool m_embedded = false;
    adodb::ConnectionPtr m_connection;
    class EmbeddedQueryBackend *m_embeddedBackend = nullptr;
    FillWatch *m_watch = nullptr;
    QHash<QString, bool> m_objects; // hasObject's answers
};

} // namespace reportengine
