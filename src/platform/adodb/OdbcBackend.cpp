#include "OdbcBackend.h"

#include "OdbcResults.h"

#include <QAtomicInt>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace adodb {

namespace {

QAtomicInt s_counter;

// Opens the Qt connection of `name`, runs the session statements and clears the
// connection string, which holds the password, from Qt's copy of the settings.
void openConnection(const QString &name, const OdbcConnectSettings &settings)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(kOdbcDriver, name);
    db.setDatabaseName(settings.connectionString);
    db.setConnectOptions(OdbcConnectOptions(settings.loginTimeout));
    const bool opened = db.open();
    db.setDatabaseName(QString());
    if (!opened)
        odbc::raise(db.lastError());
    for (const QString &statement : settings.sessionStatements) {
        QSqlQuery q(db);
        if (!q.exec(statement))
            odbc::fail(q);
    }
}

} // namespace

namespace odbc {

QString databaseMessage(const QSqlError &error)
{
    const QString text = error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    if (text.trimmed().isEmpty())
        return QStringLiteral("The database gave no reason for the failure.");
    // Qt joins the diagnostics with blanks, each led by the same first tag.
    static const QRegularExpression tags(QStringLiteral("^(\\[[^\\[\\]]*\\])(?:\\[[^\\[\\]]*\\])*"));
    const QRegularExpressionMatch leading = tags.match(text);
    if (!leading.hasMatch())
        return text.trimmed();
    qsizetype end = text.indexOf(QLatin1Char(' ') + leading.captured(1), leading.capturedEnd());
    if (end < 0)
        end = text.size();
    return text.mid(leading.capturedEnd(), end - leading.capturedEnd()).trimmed();
}

void raise(const QSqlError &error)
{
    // Qt joins the native codes of several diagnostics with ";".
    throw BackendError(databaseMessage(error), error.nativeErrorCode().section(QLatin1Char(';'), 0, 0).toLong());
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

} // namespace odbc

QString OdbcValue(const QString &value)
{
    const bool plainWouldDo = !value.isEmpty() && !value.contains(QLatin1Char(';')) &&
                              !value.startsWith(QLatin1Char('{')) && !value.front().isSpace() &&
                              !value.back().isSpace();
    if (plainWouldDo && value.contains(QLatin1Char('}')))
        return value;
    QString braced = value;
    braced.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return QLatin1Char('{') + braced + QLatin1Char('}');
}

QString OdbcConnectOptions(int loginTimeout)
{
    return QStringLiteral("SQL_ATTR_LOGIN_TIMEOUT=%1;SQL_ATTR_ODBC_VERSION=SQL_OV_ODBC3").arg(loginTimeout);
}

OdbcConnectSettings SqlServerSettings(const SqlServerLogon &logon)
{
    OdbcConnectSettings settings;
    QString &text = settings.connectionString;
    text = QStringLiteral("DRIVER=") + OdbcValue(kSqlServerOdbcDriver) + QStringLiteral(";SERVER=") +
           OdbcValue(logon.server) + QLatin1Char(';');
    if (!logon.database.isEmpty())
        text += QStringLiteral("DATABASE=") + OdbcValue(logon.database) + QLatin1Char(';');
    text += QStringLiteral("UID=") + OdbcValue(logon.user) + QStringLiteral(";PWD=") + OdbcValue(logon.password) +
            QStringLiteral(";ClientCharset=UTF-8;");
    settings.loginTimeout = logon.loginTimeout;
    settings.sessionStatements = {QStringLiteral("SET DATEFORMAT mdy")};
    return settings;
}

OdbcBackend::OdbcBackend(const OdbcConnectSettings &settings)
    : m_connectionName(QStringLiteral("velmora-odbc-%1").arg(s_counter.fetchAndAddRelaxed(1)))
{
    try {
        openConnection(m_connectionName, settings);
    } catch (...) {
        QSqlDatabase::removeDatabase(m_connectionName);
        throw;
    }
}

OdbcBackend::OdbcBackend(const SqlServerLogon &logon)
    : OdbcBackend(SqlServerSettings(logon))
{}

OdbcBackend::~OdbcBackend()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

void OdbcBackend::beginTransaction()
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.transaction())
        odbc::raise(db.lastError());
}

void OdbcBackend::commitTransaction()
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.commit())
        odbc::raise(db.lastError());
}

void OdbcBackend::rollbackTransaction()
{
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (!db.rollback())
        odbc::raise(db.lastError());
}

ResultSet OdbcBackend::run(const QString &text)
{
    QSqlQuery q(QSqlDatabase::database(m_connectionName, false));
    q.setForwardOnly(true);
    if (!q.exec(text))
        odbc::fail(q);
    return odbc::collectResults(q);
}

} // namespace adodb
