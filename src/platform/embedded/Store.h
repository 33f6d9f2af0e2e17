#pragma once

#include "adodb/Backend.h"

#include <QDateTime>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <functional>
#include <memory>

namespace embedded {

class PreparedStatements;

// The suite's three databases as SQLite files in one folder, attached to one
// connection under their SQL Server names: Patient_Data, PASSWORD and
// BUILD_FILE. Rollback journal and synchronous=FULL, so a transaction that
// spans the files is all or nothing even across a crash.
class Store
{
public:
    enum class OpenMode { CreateIfMissing, MustExist };

    // Opens (and, when asked, creates) the store in folder. Fails with a
    // BackendError naming the folder or file that could not be used.
    explicit Store(const QString &folder, OpenMode mode = OpenMode::CreateIfMissing);
    ~Store();
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;

    const QString &folder() const { return m_folder; }
    QSqlDatabase database() const;
    // The statements the connection keeps prepared (see PreparedStatements).
    PreparedStatements &statements() const { return *m_statements; }

    // Runs body inside BEGIN IMMEDIATE ... COMMIT, every file locked for
    // writing; any failure rolls back and is rethrown.
    void writeTransaction(const std::function<void()> &body);
    // The same with only the named files ("Patient_Data", "PASSWORD",
    // "BUILD_FILE") locked for writing, in that order, before body runs: a
    // commit that changes one file writes no super-journal, and writers of
    // other files are not held up. A file body writes beyond them joins the
    // transaction at its first write, and the commit stays atomic across the
    // files it changed. No files: every file, as above.
    void writeTransaction(const QStringList &files, const std::function<void()> &body);
    // Runs body inside a read transaction (one consistent snapshot).
    void readTransaction(const std::function<void()> &body);

    // A write transaction left open across several bodies (the connection's
    // BeginTrans): every body run until commit or rollback joins it.
    // Patient_Data, the file a section's generation writes, is locked for
    // writing at once; another file joins at its first write, as above. A
    // commit that fails leaves it open.
    void beginWrite();
    void commit();
    void rollback();

    // What the store's procedures take as now: the report log's time and the
    // day a section is generated on. Inside a transaction the connection
    // holds open (one section's generation) it is the moment that
    // transaction began, so that everything the section writes agrees on the
    // time and the day. The system clock unless a test sets another.
    QDateTime now() const;
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // The default store folder: the "store" folder of the user's data folder.
    static QString defaultFolder();
    // True when folder holds a store (its main file exists).
    static bool exists(const QString &folder);

    static constexpr int kBusyTimeoutMs = 10000;

private:
    void openFiles(OpenMode mode);
    void createSchema();
    void removeOrphanedSuperJournals() const;
    void transaction(const QStringList &opening, const std::function<void()> &body);
    // The statements that open a write transaction holding files' locks.
    static QStringList openingFor(const QStringList &files);
    // Runs a transaction's opening statements: BEGIN, then its locks.
    void begin(const QStringList &opening);
    void requireHeldTransaction() const;

    QString m_folder;
    QString m_connectionName;
    bool m_inTransaction = false;
    bool m_heldOpen = false; // the transaction is beginWrite's
    std::function<QDateTime()> m_clock;
    QDateTime m_heldSince; // when beginWrite's transaction began
    std::unique_ptr<PreparedStatements> m_statements;
};

// Small helpers for the procedures' SQL: every value is bound, never pasted.
namespace sql {
QSqlQuery prepare(const QSqlDatabase &db, const QString &statement);
void exec(QSqlQuery &query);
QSqlQuery exec(const QSqlDatabase &db, const QString &statement, const QVariantList &binds = {});
// The rows of a query as a result set; dateColumns name columns whose text
// holds a stored date-time, boolColumns those holding a bit.
adodb::ResultSet toResultSet(QSqlQuery &query, const QStringList &dateColumns = {},
                             const QStringList &boolColumns = {});
// A stored date-time ("yyyy-MM-dd HH:mm:ss.zzz") and a stored date ("yyyy-MM-dd").
QString storedDateTime(const QDateTime &value);
QString storedDate(const QDate &value);
} // namespace sql

} // namespace embedded
