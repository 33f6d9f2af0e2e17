#include "Store.h"

#include "PreparedStatements.h"
#include "Schema.h"

#include "com/Runtime.h"

#include <QAtomicInt>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QtEndian>

#include <sqlite3.h>

#include <cstring>

namespace embedded {

namespace {
QAtomicInt s_counter;

const QString kMainFile = QStringLiteral("Velmora.store");

struct AttachedFile
{
    const char *schema;
    const char *file;
    const char *table; // a table of the file that is always there, for its write lock
};
constexpr AttachedFile kFiles[] = {
    {"Patient_Data", "Patient_Data.sqlite", "tbHospitalInfo"},
    {"PASSWORD", "PASSWORD.sqlite", "tbHospitalInfo2"},
    {"BUILD_FILE", "BUILD_FILE.sqlite", "tbCoService"},
};

// The super-journal a hot rollback journal names, or nothing. SQLite writes
// the name at the journal's end, followed by its length (four bytes,
// big-endian), a checksum (four) and an eight-byte mark. A journal whose
// first byte is 0 has a header never synced, so its file was never written:
// SQLite never plays it back (a writer killed during its commit leaves one).
QString superJournalNamedBy(const QString &journal)
{
    static constexpr unsigned char kMark[8] = {0xd9, 0xd5, 0x05, 0xf9, 0x20, 0xa1, 0x63, 0xd7};
    QFile file(journal);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const qint64 size = file.size();
    if (size < 16 || file.read(1) == QByteArray(1, '\0') || !file.seek(size - 16))
        return QString();
    const QByteArray tail = file.read(16);
    if (tail.size() != 16 || std::memcmp(tail.constData() + 8, kMark, 8) != 0)
        return QString();
    const quint32 length = qFromBigEndian<quint32>(tail.constData());
    if (length == 0 || length > size - 16 || !file.seek(size - 16 - length))
        return QString();
    return QFileInfo(QFile::decodeName(file.read(length))).fileName();
}

QString errorText(const QSqlError &error)
{
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}
} // namespace

Store::Store(const QString &folder, OpenMode mode)
    : m_folder(QDir::cleanPath(QDir(folder).absolutePath()))
    , m_connectionName(QStringLiteral("velmora-store-%1").arg(s_counter.fetchAndAddRelaxed(1)))
{
    try {
        openFiles(mode);
    } catch (...) {
        // A store that cannot be opened (or brought to this version's
        // layout) keeps no connection to its files.
        m_statements.reset();
        {
            QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connectionName);
        throw;
    }
}

Store::~Store()
{
    // Statements still prepared would keep the connection from closing.
    m_statements.reset();
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase Store::database() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

bool Store::exists(const QString &folder)
{
    return QFileInfo::exists(QDir(folder).filePath(kMainFile));
}

QString Store::defaultFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/Velmora/store");
}

void Store::openFiles(OpenMode mode)
{
    const bool existed = exists(m_folder);
    if (!existed && mode == OpenMode::MustExist)
        throw adodb::BackendError(QStringLiteral("No Velmora store was found in the folder '%1'.").arg(m_folder));
    if (!QDir().mkpath(m_folder))
        throw adodb::BackendError(QStringLiteral("The store folder '%1' cannot be created.").arg(m_folder));

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setDatabaseName(QDir(m_folder).filePath(kMainFile));
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    if (!db.open())
        throw adodb::BackendError(
            QStringLiteral("The store '%1' cannot be opened: %2").arg(db.databaseName(), errorText(db.lastError())));
    m_statements = std::make_unique<PreparedStatements>(PreparedStatements::handleOf(db));

    sql::exec(db, QStringLiteral("PRAGMA journal_mode=DELETE"));
    sql::exec(db, QStringLiteral("PRAGMA synchronous=FULL"));
    sql::exec(db, QStringLiteral("PRAGMA foreign_keys=ON"));
    // Statement journals and the uploads' working tables stay in memory
    // instead of temporary files written and thrown away.
    sql::exec(db, QStringLiteral("PRAGMA temp_store=MEMORY"));
    for (const AttachedFile &f : kFiles) {
        const QString schema = QString::fromLatin1(f.schema);
        const QString path = QDir(m_folder).filePath(QString::fromLatin1(f.file));
        if (existed && !QFileInfo::exists(path))
            throw adodb::BackendError(
                QStringLiteral("The store in '%1' is incomplete: the file '%2' is missing.").arg(m_folder, path));
        sql::exec(db, QStringLiteral("ATTACH DATABASE ? AS ") + schema, {path});
        sql::exec(db, QStringLiteral("PRAGMA %1.journal_mode=DELETE").arg(schema));
        sql::exec(db, QStringLiteral("PRAGMA %1.synchronous=FULL").arg(schema));
    }
    // A year's rows of the larger patient tables, which the uploads and the
    // checks read, do not fit the default page cache; set once, as it holds
    // for the connection.
    sql::exec(db, QStringLiteral("PRAGMA Patient_Data.cache_size = -32768"));
    createSchema();
}

void Store::createSchema()
{
    schema::upgradeAll(database());
    writeTransaction([&] {
        removeOrphanedSuperJournals();
        schema::createAll(database());
    });
}

void Store::removeOrphanedSuperJournals() const
{
    // Holding every file's write lock, no commit is under way and every hot
    // journal has been rolled back: a super-journal is then left by a writer
    // that died before a hot journal named it, or after its commit, and
    // nothing will ever remove it. One that a hot journal names is kept.
    const QDir folder(m_folder);
    QStringList named;
    for (const QString &journal : folder.entryList({QStringLiteral("*-journal")}, QDir::Files | QDir::Hidden))
        named.append(superJournalNamedBy(folder.filePath(journal)));
    for (const QString &super : folder.entryList({kMainFile + QStringLiteral("-mj*")}, QDir::Files | QDir::Hidden))
        if (!named.contains(super))
            QFile::remove(folder.filePath(super));
}

void Store::writeTransaction(const std::function<void()> &body)
{
    // IMMEDIATE takes the write lock at once, so that two writers meet at the
    // start instead of one failing half-way.
    transaction({QStringLiteral("BEGIN IMMEDIATE")}, body);
}

void Store::writeTransaction(const QStringList &files, const std::function<void()> &body)
{
    transaction(openingFor(files), body);
}

QStringList Store::openingFor(const QStringList &files)
{
    // A statement that writes to a file but changes no row takes that file's
    // write lock and no other's; taken first, in one order, the locks meet
    // other writers' at the start as IMMEDIATE does.
    QStringList opening = {QStringLiteral("BEGIN DEFERRED")};
    for (const AttachedFile &f : kFiles)
        if (files.contains(QLatin1String(f.schema), Qt::CaseInsensitive))
            opening.append(
                QStringLiteral("DELETE FROM %1.%2 WHERE 0").arg(QLatin1String(f.schema), QLatin1String(f.table)));
    if (opening.size() == 1)
        opening = {QStringLiteral("BEGIN IMMEDIATE")};
    return opening;
}

void Store::readTransaction(const std::function<void()> &body)
{
    transaction({QStringLiteral("BEGIN DEFERRED")}, body);
}

void Store::transaction(const QStringList &opening, const std::function<void()> &body)
{
    QSqlDatabase db = database();
    // A body inside another transaction joins it: the outer one commits. Its
    // savepoint undoes a failing body alone, so that nothing of it is left
    // for the outer transaction to commit.
    if (m_inTransaction) {
        if (m_heldOpen)
            requireHeldTransaction();
        m_statements->run(QStringLiteral("SAVEPOINT velmora_body"));
        try {
            body();
        } catch (...) {
            QSqlQuery undo(db);
            undo.exec(QStringLiteral("ROLLBACK TO velmora_body"));
            undo.exec(QStringLiteral("RELEASE velmora_body"));
            throw;
        }
        m_statements->run(QStringLiteral("RELEASE velmora_body"));
        return;
    }
    begin(opening);
    m_inTransaction = true;
    try {
        body();
        m_inTransaction = false;
        m_statements->run(QStringLiteral("COMMIT"));
    } catch (...) {
        m_inTransaction = false;
        QSqlQuery rollback(db);
        rollback.exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

void Store::begin(const QStringList &opening)
{
    m_statements->run(opening.first());
    try {
        for (qsizetype i = 1; i < opening.size(); ++i)
            m_statements->run(opening.at(i));
    } catch (...) {
        // A lock not taken leaves no transaction begun.
        QSqlQuery undo(database());
        undo.exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

void Store::requireHeldTransaction() const
{
    // SQLite ends a transaction by itself after some failures (a full disk,
    // an I/O error). A later body would then run, and stay, on its own; a
    // connection back in autocommit shows this before anything is written.
    if (!sqlite3_get_autocommit(m_statements->connection()))
        return;
    throw adodb::BackendError(
        QStringLiteral("The store ended the transaction after an earlier failure; nothing of it was kept."));
}

QDateTime Store::now() const
{
    if (m_heldOpen)
        return m_heldSince;
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

void Store::beginWrite()
{
    if (m_inTransaction)
        throw adodb::BackendError(QStringLiteral("A transaction is already open on the store."));
    // Every file locked at once would make each commit a commit across all
    // of them, with its super-journal, even when only the section's figures
    // changed.
    begin(openingFor({QStringLiteral("Patient_Data")}));
    m_heldSince = m_clock ? m_clock() : QDateTime::currentDateTime();
    m_inTransaction = true;
    m_heldOpen = true;
}

void Store::commit()
{
    if (!m_heldOpen)
        throw adodb::BackendError(QStringLiteral("No transaction is open on the store."));
    m_statements->run(QStringLiteral("COMMIT"));
    m_inTransaction = false;
    m_heldOpen = false;
}

void Store::rollback()
{
    if (!m_heldOpen)
        throw adodb::BackendError(QStringLiteral("No transaction is open on the store."));
    m_inTransaction = false;
    m_heldOpen = false;
    // SQLite may have rolled back already (after a full disk, say); the
    // answer to this one then says so and changes nothing.
    QSqlQuery undo(database());
    undo.exec(QStringLiteral("ROLLBACK"));
}

namespace sql {

QSqlQuery prepare(const QSqlDatabase &db, const QString &statement)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        throw adodb::BackendError(errorText(query.lastError()));
    return query;
}

void exec(QSqlQuery &query)
{
    if (!query.exec())
        throw adodb::BackendError(errorText(query.lastError()));
}

QSqlQuery exec(const QSqlDatabase &db, const QString &statement, const QVariantList &binds)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (binds.isEmpty()) {
        if (!query.exec(statement))
            throw adodb::BackendError(errorText(query.lastError()));
        return query;
    }
    if (!query.prepare(statement))
        throw adodb::BackendError(errorText(query.lastError()));
    for (const QVariant &v : binds)
        query.addBindValue(v);
    exec(query);
    return query;
}

adodb::ResultSet toResultSet(QSqlQuery &query, const QStringList &dateColumns, const QStringList &boolColumns)
{
    adodb::ResultSet result;
    const QSqlRecord record = query.record();
    enum class Kind { Plain, Date, Bool };
    QList<Kind> kinds;
    for (int i = 0; i < record.count(); ++i) {
        const QString name = record.fieldName(i);
        result.columns.append(name);
        if (dateColumns.contains(name, Qt::CaseInsensitive))
            kinds.append(Kind::Date);
        else if (boolColumns.contains(name, Qt::CaseInsensitive))
            kinds.append(Kind::Bool);
        else
            kinds.append(Kind::Plain);
    }
    while (query.next()) {
        QList<com::Variant> row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i) {
            const QVariant v = query.value(i);
            if (v.isNull()) {
                row.append(com::Variant());
                continue;
            }
            switch (kinds.at(i)) {
            case Kind::Date: {
                const auto parsed = com::ParseDate(v.toString());
                row.append(parsed ? com::Variant(*parsed) : com::Variant(v.toString()));
                break;
            }
            case Kind::Bool:
                row.append(com::Variant(v.toLongLong() != 0));
                break;
            case Kind::Plain:
                switch (v.metaType().id()) {
                case QMetaType::LongLong:
                case QMetaType::Int:
                    row.append(com::Variant(v.toLongLong()));
                    break;
                case QMetaType::Double:
                    row.append(com::Variant(v.toDouble()));
                    break;
                default:
                    row.append(com::Variant(v.toString()));
                }
                break;
            }
        }
        result.rows.append(std::move(row));
    }
    return result;
}

QString storedDateTime(const QDateTime &value)
{
    return value.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QString storedDate(const QDate &value)
{
    return value.toString(QStringLiteral("yyyy-MM-dd"));
}

} // namespace sql

} // namespace embedded
