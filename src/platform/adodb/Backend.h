#pragma once

#include "com/Variant.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <stdexcept>

namespace adodb {

// What one statement gave back: the first result that has columns (empty
// when the statement returns no rows), and the rows it affected.
struct ResultSet
{
    QStringList columns;
    QList<QList<com::Variant>> rows;
    long rowsAffected = -1;
};

// A database failure in the database's own words; the Connection turns it
// into a ComError carrying that message.
class BackendError : public std::runtime_error
{
public:
    BackendError(QString message, long nativeCode = 0)
        : std::runtime_error(message.toStdString())
        , m_message(std::move(message))
        , m_native(nativeCode)
    {}
    const QString &message() const { return m_message; }
    long nativeCode() const { return m_native; }

private:
    QString m_message;
    long m_native;
};

// One database behind a Connection: the embedded store or a SQL Server.
// It runs a statement text exactly as given.
class Backend
{
public:
    virtual ~Backend() = default;
    virtual ResultSet run(const QString &text) = 0;
    // The source named in the errors this backend raises.
    virtual QString sourceName() const = 0;
    virtual void setCommandTimeout(int seconds) {}

    // One transaction around several statements: what runs between begin and
    // commit takes effect together, and rollback undoes all of it. A backend
    // that offers none refuses to begin, so no caller takes statements that
    // ran one by one for a unit.
    virtual void beginTransaction() { throw BackendError(QStringLiteral("This database offers no transactions.")); }
    virtual void commitTransaction() { throw BackendError(QStringLiteral("No transaction is open.")); }
    virtual void rollbackTransaction() { throw BackendError(QStringLiteral("No transaction is open.")); }
};

} // namespace adodb
