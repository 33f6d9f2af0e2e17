#include "OdbcBackend.h"

#include <QAtomicInt>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace adodb {

namespace {
QAtomicInt s_counter;

QString odbcBraces(const QString &value)
{
    // ODBC connection-string values in braces, a closing brace doubled.
    QString v = value;
    v.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + v + QLatin1Char('}');
}

com::Variant fromQt(const QVariant &value)
{
    if (value.isNull())
        return com::Variant();
    switch (value.metaType().id()) {
    case QMetaType::Bool:
        return com::Variant(value.toBool());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return com::Variant(value.toLongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return com::Variant(value.toDouble());
    case QMetaType::QDateTime:
        return com::Variant(value.toDateTime());
    case QMetaType::QDate:
        return com::Variant(QDateTime(value.toDate(), QTime(0, 0)));
    default:
        return com::Variant(value.toString());
    }
}
} // namespace

OdbcBackend::OdbcBackend(const SqlServerLogon &logon)
    : m_connectionName(QStringLiteral("velmora-odbc-%1").arg(s_counter.fetchAndAddRelaxed(1)))
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC3"), m_connectionName);
    const QString dsn = QStringLiteral("DRIVER=%1;SERVER=%2;DATABASE=%3;UID=%4;PWD=%5;ClientCharset=UTF-8;")
                            .arg(odbcBraces(logon.driver), odbcBraces(logon.server), odbcBraces(logon.database),
                                 odbcBraces(logon.user), odbcBraces(logon.password));
    db.setDatabaseName(dsn);
    db.setConnectOptions(QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_ODBC_VERSION=SQL_OV_ODBC3")
                             .arg(logon.loginTimeout));
    if (!db.open()) {
        const QString message = db.lastError().databaseText().isEmpty() ? db.lastError().text()
                                                                         : db.lastError().databaseText();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        throw BackendError(message);
    }
    // The program sends dates as mm/dd/yyyy.
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SET DATEFORMAT mdy")))
        throw BackendError(q.lastError().databaseText());
}

OdbcBackend::~OdbcBackend()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

ResultSet OdbcBackend::run(const QString &text)
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(text))
        throw BackendError(q.lastError().databaseText().isEmpty() ? q.lastError().text()
                                                                  : q.lastError().databaseText());
    ResultSet result;
    result.rowsAffected = q.numRowsAffected();
    // Skip the results without columns (row counts) up to the first with columns.
    while (q.record().isEmpty()) {
        if (!q.nextResult())
            return result;
    }
    const QSqlRecord record = q.record();
    for (int i = 0; i < record.count(); ++i)
        result.columns.append(record.fieldName(i));
    while (q.next()) {
        QList<com::Variant> row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            row.append(fromQt(q.value(i)));
        result.rows.append(std::move(row));
    }
    return result;
}

} // namespace adodb
