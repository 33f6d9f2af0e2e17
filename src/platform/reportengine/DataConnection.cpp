#include "DataConnection.h"

#include "EngineErrors.h"
#include "FillWatch.h"
#include "QueryText.h"

#include "adodb/OdbcBackend.h"
#include "adodb/SqlText.h"
#include "com/ComError.h"
#include "embedded/EmbeddedBackend.h"
#include "embedded/Procedures.h"
#include "embedded/Store.h"

#include <QDate>
#include <QDir>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>

#include <sqlite3.h>

#include <limits>

namespace reportengine {

namespace {

// SQLite virtual machine steps between two looks at the fill's watch: far
// below a millisecond of work.
constexpr int kProgressSteps = 1000;
// The longest text or blob one value of a report query may be on the
// embedded store; the DOH tables hold nothing near it.
constexpr int kMaxValueBytes = 16 * 1024 * 1024;

[[noreturn]] void refuse(long number, const QString &why)
{
    throw QueryRefusal(number, why);
}

[[noreturn]] void tooMuchMemory(qint64 limit)
{
    refuse(
        errors::FillTooLarge,
        QStringLiteral("needs more than %1 of memory, the most a report's fill may take.").arg(megabytesText(limit)));
}

// What a value read from the store takes in memory once kept, roughly.
qint64 keptSize(const com::Variant &value)
{
    constexpr qint64 kValue = sizeof(com::Variant);
    return value.type() == com::Variant::Type::Text ? kValue + 2 * qint64(value.toString().size()) : kValue;
}

[[noreturn]] void tooManyRows(qsizetype cap)
{
    refuse(errors::FillTooLarge,
           QStringLiteral("gives more than %1 rows, the most a report query may give.").arg(countText(cap)));
}

QString errorText(const QSqlError &error)
{
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

template <typename T> T sqliteHandle(const QVariant &handle, const char *typeName)
{
    if (!handle.isValid() || qstrcmp(handle.typeName(), typeName) != 0)
        return nullptr;
    return *static_cast<const T *>(handle.constData());
}

} // namespace

// Reads a report query from the embedded store: the text comes through the
// connection's run(), the values waiting beside it are bound to its
// placeholders, and it runs inside one read transaction. The connection is
// the fill's own and read-only; SQLite's progress callback lets the fill's
// watch interrupt a statement that runs past the fill's time or is cancelled.
class EmbeddedQueryBackend : public adodb::Backend
{
public:
    explicit EmbeddedQueryBackend(const QString &folder)
        : m_backend(folder)
    {
        const QSqlDatabase db = m_backend.store().database();
        m_handle = sqliteHandle<sqlite3 *>(db.driver()->handle(), "sqlite3*");
        if (!m_handle)
            throw com::ComError(errors::DatabaseError,
                                QStringLiteral("The store in '%1' cannot be read for a report: its connection "
                                               "is not a SQLite connection.")
                                    .arg(folder),
                                kEngineSource);
        embedded::sql::exec(db, QStringLiteral("PRAGMA query_only=ON"));
        sqlite3_limit(m_handle, SQLITE_LIMIT_LENGTH, kMaxValueBytes);
        sqlite3_progress_handler(m_handle, kProgressSteps, &EmbeddedQueryBackend::progress, this);
        sqlite3_set_authorizer(m_handle, &EmbeddedQueryBackend::authorize, nullptr);
    }
    ~EmbeddedQueryBackend() override { sqlite3_progress_handler(m_handle, 0, nullptr, nullptr); }

    // The sign-in's accounts (password hashes among them) are no report's data:
    // a statement that reads the table, by any name or through a view, is
    // refused when it is prepared.
    static int authorize(void *, int action, const char *table, const char *, const char *, const char *)
    {
        if (action == SQLITE_READ && table && qstricmp(table, "tbVelmoraUser") == 0)
            return SQLITE_DENY;
        return SQLITE_OK;
    }

    void setValues(QVariantList values) { m_values = std::move(values); }
    // The next statement is a procedure call for the store's statement reader.
    void setProcedureCall() { m_procedureCall = true; }
    void setWatch(FillWatch *watch) { m_watch = watch; }

    // Whether SQLite would run the text without writing (a text it cannot
    // prepare is left for the run to fail in the database's words).
    bool readsOnly(const QString &text)
    {
        QSqlQuery query(m_backend.store().database());
        if (!query.prepare(text))
            return true;
        auto *statement = sqliteHandle<sqlite3_stmt *>(query.result()->handle(), "sqlite3_stmt*");
        return statement && sqlite3_stmt_readonly(statement) != 0;
    }

    adodb::ResultSet run(const QString &text) override
    {
        // SQLite's heap as the statement starts: what it grows by is the
        // statement's working memory (one fill runs at a time).
        m_memoryAtStart = sqlite3_memory_used();
        m_overMemory = false;
        m_rowBytes = 0;
        try {
            if (std::exchange(m_procedureCall, false)) {
                adodb::ResultSet result = m_backend.run(text);
                if (result.rows.size() > rowCap())
                    tooManyRows(rowCap());
                for (const QList<com::Variant> &row : result.rows)
                    for (const com::Variant &v : row)
                        m_rowBytes += keptSize(v);
                if (memoryUsed() > memoryLimit())
                    tooMuchMemory(memoryLimit());
                if (m_watch)
                    m_watch->keep(std::exchange(m_rowBytes, 0));
                return result;
            }
            return select(text, std::exchange(m_values, {}));
        } catch (const adodb::BackendError &) {
            // An interrupted statement fails as "interrupted": the fill says why.
            if (m_overMemory)
                tooMuchMemory(m_watch->limits().maxMemoryBytes);
            if (m_watch && m_watch->stopped())
                m_watch->raise();
            throw;
        }
    }
    QString sourceName() const override { return m_backend.sourceName(); }

private:
    qsizetype rowCap() const
    {
        return m_watch ? m_watch->limits().maxRowsPerQuery : std::numeric_limits<qsizetype>::max();
    }

    adodb::ResultSet select(const QString &text, const QVariantList &values)
    {
        adodb::ResultSet result;
        embedded::Store &store = m_backend.store();
        store.readTransaction([&] {
            QSqlQuery query = embedded::sql::prepare(store.database(), text);
            for (const QVariant &v : values)
                query.addBindValue(v);
            embedded::sql::exec(query);
            const QSqlRecord record = query.record();
            for (int i = 0; i < record.count(); ++i)
                result.columns.append(record.fieldName(i));
            const qsizetype cap = rowCap();
            while (query.next()) {
                if (result.rows.size() >= cap)
                    tooManyRows(cap);
                if (memoryUsed() > memoryLimit())
                    tooMuchMemory(memoryLimit());
                QList<com::Variant> row;
                row.reserve(record.count());
                for (int i = 0; i < record.count(); ++i) {
                    const QVariant v = query.value(i);
                    if (v.isNull())
                        row.append(com::Variant());
                    else if (v.metaType().id() == QMetaType::LongLong || v.metaType().id() == QMetaType::Int)
                        row.append(com::Variant(v.toLongLong()));
                    else if (v.metaType().id() == QMetaType::Double)
                        row.append(com::Variant(v.toDouble()));
                    else
                        row.append(com::Variant(v.toString()));
                }
                for (const com::Variant &v : row)
                    m_rowBytes += keptSize(v);
                result.rows.append(std::move(row));
            }
            if (m_watch)
                m_watch->keep(std::exchange(m_rowBytes, 0));
            // A step that failed ends the rows as the last one does.
            if (query.lastError().type() != QSqlError::NoError)
                throw adodb::BackendError(errorText(query.lastError()));
        });
        return result;
    }

    qint64 memoryLimit() const
    {
        return m_watch ? m_watch->limits().maxMemoryBytes : std::numeric_limits<qint64>::max();
    }
    // The fill's memory: the rows it keeps and the running statement's.
    qint64 memoryUsed() const
    {
        const qint64 working = std::max<qint64>(0, sqlite3_memory_used() - m_memoryAtStart);
        return (m_watch ? m_watch->keptBytes() : 0) + m_rowBytes + working;
    }

    static int progress(void *self)
    {
        auto *backend = static_cast<EmbeddedQueryBackend *>(self);
        FillWatch *watch = backend->m_watch;
        if (!watch)
            return 0;
        if (backend->memoryUsed() > backend->memoryLimit())
            backend->m_overMemory = true;
        return backend->m_overMemory || watch->mustStop() ? 1 : 0;
    }

    embedded::EmbeddedBackend m_backend;
    sqlite3 *m_handle = nullptr;
    QVariantList m_values;
    bool m_procedureCall = false;
    FillWatch *m_watch = nullptr;
    sqlite3_int64 m_memoryAtStart = 0;
    qint64 m_rowBytes = 0;
    bool m_overMemory = false;
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

void DataConnection::setWatch(FillWatch *watch)
{
    m_watch = watch;
    if (m_embeddedBackend)
        m_embeddedBackend->setWatch(watch);
}

qsizetype DataConnection::rowCap() const
{
    return m_watch ? m_watch->limits().maxRowsPerQuery : std::numeric_limits<qsizetype>::max() - 1;
}

void DataConnection::checkReadOnly(const QString &text) const
{
    const QueryShape shape = queryShape(text);
    if (!shape.rest.isEmpty())
        refuse(errors::QueryInvalid,
               QStringLiteral("holds more than one statement ('%1'); a report query is a single SELECT.")
                   .arg(shape.rest.left(40).simplified()));
    const QString first = shape.words.value(0);
    if (first != u"SELECT" && first != u"WITH")
        refuse(errors::QueryInvalid,
               QStringLiteral("begins with '%1'; a report query is a single SELECT (or WITH ... SELECT).").arg(first));
    const bool writes = m_embedded ? !m_embeddedBackend->readsOnly(text) : !writingWord(shape).isEmpty();
    if (writes)
        refuse(errors::QueryInvalid,
               m_embedded ? QStringLiteral("would change the database; a report query only reads.")
                          : QStringLiteral("would change the database ('%1'); a report query only reads.")
                                .arg(writingWord(shape)));
}

QString DataConnection::sqlServerBatch(const PreparedQuery &query, qsizetype rowCap)
{
    QString call = QStringLiteral("EXEC sp_executesql N") + adodb::SqlText(query.text);
    if (!query.values.isEmpty()) {
        QStringList declarations, assignments;
        for (int i = 0; i < query.values.size(); ++i) {
            const auto [type, literal] = sqlServerParameter(query.values.at(i));
            declarations << QStringLiteral("@P%1 %2").arg(i + 1).arg(type);
            assignments << QStringLiteral("@P%1 = %2").arg(i + 1).arg(literal);
        }
        call += QStringLiteral(", N") + adodb::SqlText(declarations.join(QStringLiteral(", "))) + QStringLiteral(", ") +
                assignments.join(QStringLiteral(", "));
    }
    // XACT_ABORT makes any failure end the batch with the transaction rolled
    // back; ROWCOUNT keeps the server from sending more rows than a report
    // may read.
    return QStringLiteral("SET XACT_ABORT ON; SET ROWCOUNT %1; BEGIN TRANSACTION; ").arg(rowCap + 1) + call +
           QStringLiteral("; ROLLBACK TRANSACTION; SET ROWCOUNT 0");
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
    adodb::ResultSet result = m_connection->run(sqlServerBatch(query, rowCap()));
    if (result.rows.size() > rowCap())
        tooManyRows(rowCap());
    return result;
}

bool DataConnection::hasObject(const QString &location, bool procedure)
{
    const QString key = location.toLower();
    if (const auto known = m_objects.constFind(key); known != m_objects.cend())
        return *known;
    bool found = false;
    const QStringList parts = locationParts(location);
    if (!m_embedded) {
        const adodb::ResultSet rs =
            select({QStringLiteral("SELECT OBJECT_ID(@P1) AS ObjectID"), {tableName(location)}});
        found = !rs.rows.isEmpty() && !rs.rows.first().value(0).isNull();
    } else if (procedure) {
        found = embedded::ProcedureRegistry::standard().find(
                    parts.size() >= 2 ? parts.first() : QStringLiteral("Patient_Data"), parts.last()) != nullptr;
    } else {
        const QString schema = parts.size() >= 2 ? parts.first() : QStringLiteral("main");
        const adodb::ResultSet rs =
            select({QStringLiteral("SELECT COUNT(*) FROM %1.sqlite_master WHERE type IN ('table', 'view') AND name = ?")
                        .arg(quoted(schema, QLatin1Char('"'), QLatin1Char('"'))),
                    {parts.last()}});
        found = !rs.rows.isEmpty() && rs.rows.first().value(0).toLong() > 0;
    }
    m_objects.insert(key, found);
    return found;
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
    // The store's statement reader takes "name" for Patient_Data's procedure.
    const QString database = parts.size() >= 2 ? parts.first() : QStringLiteral("Patient_Data");
    const embedded::Procedure *known = embedded::ProcedureRegistry::standard().find(database, parts.last());
    if (known && known->access != embedded::Access::Read)
        refuse(errors::QueryInvalid, QStringLiteral("calls the procedure '%1', which changes the database; a report "
                                                    "calls only procedures that read.")
                                         .arg(location));
    QString text = (parts.size() >= 2 ? parts.first() + QStringLiteral("..") : QString()) + parts.last();
    QStringList literals;
    for (const QVariant &v : arguments) {
        if (v.isNull())
            refuse(errors::QueryInvalid,
                   QStringLiteral("gives the procedure '%1' an empty value, which it cannot take.").arg(location));
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
