#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// The type of every column holding a code (a service, an ICD-10 diagnosis or
// category, a procedure, a report ID) or a name the uploads group rows by.
// Codes compare as the suite's server compares texts: trailing blanks do not
// count, leading ones do. That is SQLite's own RTRIM collation; declared on
// the column, every comparison, join, grouping, ordering and key on it
// follows, the indexes holding it serve those comparisons, and any SQLite
// tool still opens the files.
#define VELMORA_CODE_COLLATION "RTRIM"
#define VELMORA_CODE "TEXT COLLATE " VELMORA_CODE_COLLATION

// The store's tables, created on first open and kept by "IF NOT EXISTS".
// Each group lives in its own source file.
namespace embedded::schema {

void createAll(const QSqlDatabase &db);
// Brings tables an earlier version wrote to this version's layout, keeping
// their rows, in one transaction that also runs createAll; runs outside any
// transaction. Fails, changing nothing, when the rows do not fit.
void upgradeAll(const QSqlDatabase &db);

// The program's own records: hospital, setup flags, report setup and log,
// Section I, hospital info 2, services.
void createCoreTables(const QSqlDatabase &db);
// Users of the session component.
void createUserTables(const QSqlDatabase &db);
// Patient data and the report tables the upload procedures fill.
void createPatientTables(const QSqlDatabase &db);
// The program's own record of the sections it generated and the exports.
void createRecordTables(const QSqlDatabase &db);

// A table as this version lays it out: the same text creates it and remakes
// an earlier one.
struct Layout
{
    QString schema;
    QString name;
    QString columns; // the column definitions and table constraints
};
QString createStatement(const Layout &table);

// A table of an earlier layout, to be made anew with its rows.
struct Remake
{
    Layout layout;
    QStringList workedOut; // columns not copied: `then` works them out
    QString then;          // run once the rows are back; may be empty
    QStringList first;     // run before any table is remade (a trigger of
                           // another table naming this one would stop the renaming)
};

struct Column
{
    QString name;
    bool generated;
};
// The columns of a table as the store holds it; none when it does not exist.
QList<Column> columnsOf(const QSqlDatabase &db, const QString &schema, const QString &table);
// True when the table exists and declares one of its layout's code columns
// without the code collation (written before codes compared the server's way).
bool hasOlderCodeColumns(const QSqlDatabase &db, const Layout &table);

// The tables of each group that an earlier version laid out differently.
QList<Remake> olderCoreTables(const QSqlDatabase &db);

} // namespace embedded::schema
