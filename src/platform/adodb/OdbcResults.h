#pragma once

#include "Backend.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlRecord>
#include <QVariant>

// How the ODBC backend reads what a statement gave back. Written against the
// members of QSqlQuery that it uses, so that the walk over a statement's
// results can also be tried on results that a driver here cannot produce.
namespace adodb::odbc {

// The database's own message in an ODBC error: the first diagnostic, without
// the "[vendor][driver]" tags ODBC puts before each ("[FreeTDS][SQL Server]
// Login failed for user 'sa'. [FreeTDS][SQL Server]Unable to connect to data
// source" gives "Login failed for user 'sa'.").
QString databaseMessage(const QSqlError &error);

// A Qt value as the program's Variant: a null stays Null, dates become date-times.
com::Variant fromQt(const QVariant &value);

// Fails with the database's message and its native error code.
[[noreturn]] void raise(const QSqlError &error);

template <typename Query> [[noreturn]] void fail(const Query &query)
{
    raise(query.lastError());
}

// Collects the results of a statement that ran: the rows of the first result
// with columns, and the rows affected as the first result counts them. The
// results after it are read to their end, so that a failure the database
// reports there (a procedure that fails after its first statement) fails the
// statement instead of passing unnoticed.
template <typename Query> ResultSet collectResults(Query &query)
{
    ResultSet result;
    result.rowsAffected = query.numRowsAffected();
    bool haveRows = false;
    for (;;) {
        const QSqlRecord record = query.record();
        if (!haveRows && !record.isEmpty()) {
            haveRows = true;
            for (int i = 0; i < record.count(); ++i)
                result.columns.append(record.fieldName(i));
            while (query.next()) {
                QList<com::Variant> row;
                row.reserve(record.count());
                for (int i = 0; i < record.count(); ++i)
                    row.append(fromQt(query.value(i)));
                result.rows.append(std::move(row));
            }
            if (query.lastError().isValid())
                fail(query);
        }
        if (!query.nextResult()) {
            if (query.lastError().isValid())
                fail(query);
            return result;
        }
    }
}

} // namespace adodb::odbc
