#include "Schema.h"

#include "Store.h"

#include "RecordChanges.h"
#include "patient/PatientSchema.h"

#include <QRegularExpression>
#include <QSqlQuery>

#include <algorithm>

namespace embedded::schema {

namespace {

// The columns a layout declares as codes.
QStringList codeColumns(const Layout &t)
{
    static const QRegularExpression code(QStringLiteral("(\\w+) " VELMORA_CODE "\\b"));
    QStringList names;
    for (const QRegularExpressionMatch &m : code.globalMatch(t.columns))
        names.append(m.captured(1));
    return names;
}

QString storedDefinition(const QSqlDatabase &db, const QString &schema, const QString &table)
{
    QSqlQuery q = sql::exec(
        db, QStringLiteral("SELECT sql FROM %1.sqlite_master WHERE type = 'table' AND name = ?").arg(schema), {table});
    return q.next() ? q.value(0).toString() : QString();
}

// The key columns of a table whose codes an earlier layout compared
// exactly: rows whose keys differ only by trailing blanks are one row now,
// and the store is not opened rather than one of them dropped.
void requireDistinctKeys(const QSqlDatabase &db, const Remake &r, const QString &rebuilt)
{
    const Layout &t = r.layout;
    const QStringList codes = codeColumns(t);
    QList<std::pair<int, QString>> key;
    QSqlQuery info = sql::exec(db, QStringLiteral("PRAGMA %1.table_info(%2)").arg(t.schema, rebuilt));
    while (info.next())
        if (info.value(5).toInt() > 0)
            key.append({info.value(5).toInt(), info.value(1).toString()});
    std::sort(key.begin(), key.end());
    QStringList grouped;
    QStringList shown;
    bool hasCode = false;
    for (const auto &[position, column] : key) {
        const bool code = codes.contains(column);
        hasCode = hasCode || code;
        grouped.append(code ? column + QStringLiteral(" COLLATE " VELMORA_CODE_COLLATION) : column);
        shown.append(QStringLiteral("quote(%1)").arg(column));
    }
    if (!hasCode)
        return;
    QSqlQuery twice = sql::exec(
        db, QStringLiteral("SELECT group_concat(%1, ' and ') FROM %2.%3 GROUP BY %4 "
                           "HAVING COUNT(*) > 1 LIMIT 1")
                .arg(shown.join(QStringLiteral(" || ', ' || ")), t.schema, t.name, grouped.join(QStringLiteral(", "))));
    if (twice.next())
        throw adodb::BackendError(
            QStringLiteral("The store cannot be brought to this version's layout: %1.%2 holds the keys %3, which "
                           "differ only by trailing blanks and are one code from this version on. Keep one of "
                           "those rows, then open the store again.")
                .arg(t.schema, t.name, twice.value(0).toString()));
}

// Makes a table anew in its layout with the rows of the columns both
// layouts have, under a new name, then takes the old name.
void remake(const QSqlDatabase &db, const Remake &r)
{
    const Layout &t = r.layout;
    const QString rebuilt = t.name + QStringLiteral("Rebuilt");
    sql::exec(db, QStringLiteral("CREATE TABLE %1.%2 (%3)").arg(t.schema, rebuilt, t.columns));
    QStringList now;
    for (const Column &c : columnsOf(db, t.schema, rebuilt))
        if (!c.generated)
            now.append(c.name);
    QStringList kept;
    for (const Column &c : columnsOf(db, t.schema, t.name))
        if (!c.generated && now.contains(c.name) && !r.workedOut.contains(c.name))
            kept.append(c.name);
    requireDistinctKeys(db, r, rebuilt);
    const QString columns = kept.join(QStringLiteral(", "));
    sql::exec(db,
              QStringLiteral("INSERT INTO %1.%2 (%3) SELECT %3 FROM %1.%4").arg(t.schema, rebuilt, columns, t.name));
    sql::exec(db, QStringLiteral("DROP TABLE %1.%2").arg(t.schema, t.name));
    sql::exec(db, QStringLiteral("ALTER TABLE %1.%2 RENAME TO %3").arg(t.schema, rebuilt, t.name));
    if (!r.then.isEmpty())
        sql::exec(db, r.then);
}

// Dropping a table dropped its statistics; the planner picks the date
// indexes by them.
void analyseAgain(const QSqlDatabase &db, const Layout &t)
{
    QSqlQuery analysed =
        sql::exec(db, QStringLiteral("SELECT 1 FROM %1.sqlite_master WHERE name = 'sqlite_stat1'").arg(t.schema));
    if (analysed.next())
        sql::exec(db, QStringLiteral("ANALYZE %1.%2").arg(t.schema, t.name));
}

} // namespace

QString createStatement(const Layout &t)
{
    return QStringLiteral("CREATE TABLE IF NOT EXISTS %1.%2 (%3)").arg(t.schema, t.name, t.columns);
}

QList<Column> columnsOf(const QSqlDatabase &db, const QString &schema, const QString &table)
{
    QList<Column> columns;
    QSqlQuery info = sql::exec(db, QStringLiteral("PRAGMA %1.table_xinfo(%2)").arg(schema, table));
    while (info.next())
        columns.append({info.value(1).toString(), info.value(6).toInt() != 0});
    return columns;
}

bool hasOlderCodeColumns(const QSqlDatabase &db, const Layout &t)
{
    const QString stored = storedDefinition(db, t.schema, t.name);
    if (stored.isEmpty())
        return false;
    for (const QString &column : codeColumns(t)) {
        const QRegularExpression declared(
            QStringLiteral("\\b%1\\s+TEXT\\s+COLLATE\\s+" VELMORA_CODE_COLLATION "\\b").arg(column),
            QRegularExpression::CaseInsensitiveOption);
        if (!declared.match(stored).hasMatch())
            return true;
    }
    return false;
}

void createAll(const QSqlDatabase &db)
{
    createCoreTables(db);
    createUserTables(db);
    createPatientTables(db);
    createRecordChanges(db);
    createRecordTables(db);
}

void upgradeAll(const QSqlDatabase &db)
{
    const QList<Remake> older = olderCoreTables(db) + patient::olderTables(db);
    if (older.isEmpty())
        return;
    // Remaking a table others refer to needs the references unchecked until
    // its rows are back; they are checked before the change is kept.
    sql::exec(db, QStringLiteral("PRAGMA foreign_keys=OFF"));
    try {
        sql::exec(db, QStringLiteral("BEGIN IMMEDIATE"));
        // The change record's triggers name tables being remade; createAll
        // puts them back.
        dropRecordChangeTriggers(db);
        for (const Remake &r : older)
            for (const QString &statement : r.first)
                sql::exec(db, statement);
        for (const Remake &r : older)
            remake(db, r);
        // The remade tables get their indexes and triggers back within the
        // change, then their statistics.
        createAll(db);
        for (const Remake &r : older)
            analyseAgain(db, r.layout);
        QSqlQuery broken = sql::exec(db, QStringLiteral("PRAGMA Patient_Data.foreign_key_check"));
        if (broken.next())
            throw adodb::BackendError(QStringLiteral("The patient data could not be brought to this version's "
                                                     "layout: a row of %1 refers to a missing record.")
                                          .arg(broken.value(0).toString()));
        sql::exec(db, QStringLiteral("COMMIT"));
    } catch (...) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        sql::exec(db, QStringLiteral("PRAGMA foreign_keys=ON"));
        throw;
    }
    sql::exec(db, QStringLiteral("PRAGMA foreign_keys=ON"));
}

} // namespace embedded::schema
