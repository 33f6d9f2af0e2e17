#include "DataConnection.h"

#include "EngineErrors.h"

#include "adodb/OdbcBackend.h"
#include "adodb/SqlText.h"
#include "com/ComError.h"
#include "embedded/EmbeddedBackend.h"
#include "embedded/Store.h"

#include <QDate>
#include <QDir>
#include <QSqlQuery>

namespace reportengine {

// Reads a report query from the embedded store: the text comes through the
// connection's run(), the values waiting beside it are bound to its
// placeholders, and it runs inside one read transaction.
class EmbeddedQueryBackend : public adodb::Backend
{
public:
    explicit EmbeddedQueryBackend(const QString &folder)
        : m_backend(folder)
    {}

    void setValues(QVariantList values) { m_values = std::move(values); }
    // The next statement is a procedure call for the store's statement reader.
    void setProcedureCall() { m_procedureCall = true; }

    adodb::ResultSet run(const QString &text) override
    {
        if (std::exchange(m_procedureCall, false))
            return m_backend.run(text);
        const QVariantList values = std::exchange(m_values, {});
        adodb::ResultSet result;
        embedded::Store &store = m_backend.store();
        store.readTransaction([&] {
            QSqlQuery query = embedded::sql::prepare(store.database(), text);
            for (const QVariant &v : values)
                query.addBindValue(v);
            embedded::sql::exec(query);
            result = embedded::sql::toResultSet(query);
        });
        return result;
    }
    QString sourceName() const override { return m_backend.sourceName(); }

private:
    embedded::EmbeddedBackend m_backend;
    QVariantList m_values;
    bool m_procedureCall = false;
};

namespace {

QStringList locationParts(const QString &location)
{
    QStringList parts = location.split(QLatin1Char('.'));
    for (QString &p : parts)
        p = p.trimmed();
    parts.removeAll(QString());
    if (parts.isEmpty())
        throw com::ComError(errors::QueryInvalid, QStringLiteral("A table has no location."), kEngineSource);
    return parts;
}

QString quoted(const QString &name, QChar open, QChar close)
{
    QString inner = name;
    inner.replace(close, QString(close) + close);
    return open + inner + close;
}

// A value as a T-SQL typed parameter: its declared type and its literal.
std::pair<QString, QString> sqlServerParameter(const QVariant &value)
{
    if (value.isNull())
        return {QStringLiteral("nvarchar(4000)"), QStringLiteral("NULL")};
    if (value.typeId() == QMetaType::Double || value.typeId() == QMetaType::LongLong)
        return {QStringLiteral("float"), QString::number(value.toDouble(), 'g', 17)};
    if (value.typeId() == QMetaType::QDate)
        return {QStringLiteral("datetime"), adodb::SqlText(value.toDate().toString(QStringLiteral("yyyyMMdd")))};
    return {QStringLiteral("nvarchar(4000)"), QLatin1Char('N') + adodb::SqlText(value.toString())};
}

} // namespace

DataConnection::DataConnection(const LogOnInfo &logOn)
    : m_logOn(logOn)
{
    const QString server = logOn.server.trimmed();
    m_embedded = !server.isEmpty() && QDir::isAbsolutePath(server) && embedded::Store::exists(server);
    try {
        if (m_embedded) {
            auto backend = std::make_unique<EmbeddedQueryBackend>(server);
            m_embeddedBackend = backend.get();
            m_connection = std::make_shared<adodb::Connection>(std::move(backend));
        } else {
            adodb::SqlServerLogon sqlLogon;
            sqlLogon.server = server;
            sqlLogon.database = logOn.database;
            sqlLogon.user = logOn.user;
            sqlLogon.password = logOn.password;
            m_connection = std::make_shared<adodb::Connection>(std::make_unique<adodb::OdbcBackend>(sqlLogon));
        }
    } catch (const com::ComError &) {
        throw;
    } catch (const std::exception &e) {
        throw com::ComError(errors::DatabaseError,
                            QStringLiteral("Logon failed for server '%1': %2").arg(server, com::describe(e)),
                            kEngineSource);
    }
}

DataConnection::~DataConnection() = default;

QString DataConnection::tableName(const QString &location) const
{
    const QStringList parts = locationParts(location);
    if (m_embedded) {
        // database.table or database.owner.table: the owner is dropped.
        QStringList names;
        if (parts.size() >= 2)
            names << parts.first();
        names << parts.last();
        for (QString &n : names)
            n = quoted(n, QLatin1Char('"'), QLatin1Char('"'));
        return names.join(QLatin1Char('.'));
    }
    QStringList names;
    for (const QString &p : parts)
        names << quoted(p, QLatin1Char('['), QLatin1Char(']'));
    return names.join(QLatin1Char('.'));
}

QString DataConnection::placeholder(int index) const
{
    return m_embedded ? QStringLiteral("?") : QStringLiteral("@P%1").arg(index + 1);
}

adodb::ResultSet DataConnection::select(const PreparedQuery &query)
{
    if (m_embedded) {
        QVariantList values;
        for (const QVariant &v : query.values)
            values << (v.typeId() == QMetaType::QDate ? QVariant(v.toDate().toString(QStringLiteral("yyyy-MM-dd")))
                                                      : v);
        m_embeddedBackend->setValues(values);
        return m_connection->run(query.text);
    }
    if (query.values.isEmpty())
        return m_connection->run(query.text);
    QStringList declarations, assignments;
    for (int i = 0; i < query.values.size(); ++i) {
        const auto [type, literal] = sqlServerParameter(query.values.at(i));
        declarations << QStringLiteral("@P%1 %2").arg(i + 1).arg(type);
        assignments << QStringLiteral("@P%1 = %2").arg(i + 1).arg(literal);
    }
    return m_connection->run(QStringLiteral("EXEC sp_executesql N") + adodb::SqlText(query.text) +
                             QStringLiteral(", N") + adodb::SqlText(declarations.join(QStringLiteral(", "))) +
                             QStringLiteral(", ") + assignments.join(QStringLiteral(", ")));
}

adodb::ResultSet DataConnection::callProcedure(const QString &location, const QVariantList &arguments)
{
    if (!m_embedded) {
        QStringList placeholders;
        for (int i = 0; i < arguments.size(); ++i)
            placeholders << placeholder(i);
        return select(
            {QStringLiteral("EXEC ") + tableName(location) + QLatin1Char(' ') + placeholders.join(QStringLiteral(", ")),
             arguments});
    }
    const QStringList parts = locationParts(location);
    QString text = (parts.size() >= 2 ? parts.first() + QStringLiteral("..") : QString()) + parts.last();
    QStringList literals;
    for (const QVariant &v : arguments) {
        if (v.isNull())
            throw com::ComError(errors::QueryInvalid,
                                QStringLiteral("The procedure '%1' cannot be given an empty value.").arg(location),
                                kEngineSource);
        if (v.typeId() == QMetaType::Double)
            literals << QString::number(v.toDouble(), 'g', 17);
        else if (v.typeId() == QMetaType::QDate)
            literals << adodb::SqlText(v.toDate().toString(QStringLiteral("MM/dd/yyyy")));
        else
            literals << adodb::SqlText(v.toString());
    }
    if (!literals.isEmpty())
        text += QLatin1Char(' ') + literals.join(QLatin1Char(','));
    m_embeddedBackend->setProcedureCall();
    return m_connection->run(text);
}

} // namespace reportengine
