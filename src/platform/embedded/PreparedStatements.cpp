#include "PreparedStatements.h"

#include "adodb/Backend.h"

#include <QSqlDriver>

#include <sqlite3.h>

namespace embedded {

namespace {

[[noreturn]] void fail(sqlite3 *db)
{
    throw adodb::BackendError(QString::fromUtf8(sqlite3_errmsg(db)));
}

} // namespace

PreparedStatements::PreparedStatements(sqlite3 *db)
    : m_db(db)
{}

PreparedStatements::~PreparedStatements()
{
    for (sqlite3_stmt *statement : std::as_const(m_kept))
        sqlite3_finalize(statement);
}

sqlite3_stmt *PreparedStatements::take(const QString &text)
{
    if (sqlite3_stmt *kept = m_kept.take(text))
        return kept;
    const QByteArray utf8 = text.toUtf8();
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &statement, nullptr) != SQLITE_OK) {
        sqlite3_finalize(statement);
        fail(m_db);
    }
    return statement;
}

void PreparedStatements::give(const QString &text, sqlite3_stmt *statement)
{
    // A run that failed answers its reset with the failure again; the
    // statement itself is sound and runs anew next time.
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (m_kept.size() >= kLimit || m_kept.contains(text)) {
        sqlite3_finalize(statement);
        return;
    }
    m_kept.insert(text, statement);
}

void PreparedStatements::run(const QString &text, const QVariantList &values)
{
    sqlite3_stmt *statement = take(text);
    int done = SQLITE_OK;
    try {
        sql::bind(m_db, statement, values);
        while ((done = sqlite3_step(statement)) == SQLITE_ROW) {
        }
    } catch (...) {
        give(text, statement);
        throw;
    }
    if (done != SQLITE_DONE) {
        // The message before the reset clears it.
        const QString message = QString::fromUtf8(sqlite3_errmsg(m_db));
        give(text, statement);
        throw adodb::BackendError(message);
    }
    give(text, statement);
}

sqlite3 *PreparedStatements::handleOf(const QSqlDatabase &db)
{
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        throw adodb::BackendError(QStringLiteral("The store's connection is not a SQLite connection."));
    return *static_cast<sqlite3 *const *>(handle.constData());
}

namespace sql {

void bind(sqlite3 *db, sqlite3_stmt *statement, const QVariantList &values)
{
    for (int i = 0; i < values.size(); ++i) {
        const QVariant &value = values.at(i);
        int done = SQLITE_OK;
        if (value.isNull() || (value.typeId() == QMetaType::QString && value.toString().isNull())) {
            done = sqlite3_bind_null(statement, i + 1);
        } else if (value.typeId() == QMetaType::QString) {
            const QByteArray bytes = value.toString().toUtf8();
            done = sqlite3_bind_text(statement, i + 1, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        } else if (value.typeId() == QMetaType::Double) {
            done = sqlite3_bind_double(statement, i + 1, value.toDouble());
        } else {
            done = sqlite3_bind_int64(statement, i + 1, value.toLongLong());
        }
        if (done != SQLITE_OK)
            fail(db);
    }
}

} // namespace sql

} // namespace embedded
