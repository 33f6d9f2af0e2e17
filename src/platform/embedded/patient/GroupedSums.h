#pragma once

#include "../PreparedStatements.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// Sums of a statement's rows grouped by some of its columns, written into
// working tables of the connection: what a GROUP BY gives, for several
// groupings of the same rows in one pass over them. The uploads' shared
// readings are made of these (SharedReadings.cpp).
//
// Rows group by the exact values of their key columns (a code and the same
// code with a trailing blank are two groups, unless the key is trimmed);
// sums are SQLite's SUM, counts of distinct values its COUNT(DISTINCT ...).
namespace embedded::patient::grouped {

enum class Kind { Count, Sum, CountDistinct };

struct Aggregate
{
    Kind kind;
    const char *column; // the statement's column (none for Count)
    const char *as;     // its name in the working table
};

// Whole numbers a key groups into ranges, each range by its first number (or
// for the numbers below the first range, by the last of them): the numbers
// of one range pass and fail the same comparisons with the ranges' starts,
// which are all a section compares them with.
struct Ranges
{
    QList<int> starts;        // ascending
    bool atParameter = false; // one more range starts after Summing's parameter
};

struct Key
{
    const char *column;
    bool code = false;    // compared as codes are: trailing blanks do not count
    bool trimmed = false; // the value without its trailing blanks
    const Ranges *ranges = nullptr;
};

// One working table: the rows for which every filter column is true (a
// number other than zero), grouped by the key columns.
struct Summary
{
    const char *table;
    QList<const char *> filters;
    QList<Key> keys;
    QList<Aggregate> aggregates;
};

// The TEMP table a summary is written to: its key columns, then one column
// per aggregate, none of them typed, so that each value is kept as the rows
// gave it. Code columns compare as codes do.
QString createStatement(const Summary &summary);

// A statement on the store's own SQLite, its values read in place: a
// period's rows are too many to copy each value once more. Taken from the
// connection's prepared statements, and given back to them at its end.
class Statement
{
public:
    Statement(PreparedStatements &statements, const QString &text, const QVariantList &values = {});
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // The next row; false at the end.
    bool next();
    sqlite3_stmt *get() const { return m_statement; }

private:
    [[noreturn]] void fail() const;

    PreparedStatements &m_statements;
    QString m_text;
    sqlite3_stmt *m_statement = nullptr;
};

// A value of a row, as a key holds it: the same words for the same value.
struct Value
{
    quint64 tag = 0;
    quint64 bits = 0;
};

// An integer (or null) column of a row, as a Value; anything else fails.
Value integerOf(sqlite3_stmt *row, int column);

// The summaries of one statement's rows, filled row by row.
class Summing
{
public:
    // names: the statement's columns; linked: the column, if any, whose
    // value each row brings along instead of the statement (see add).
    // parameter: the number after which Ranges::atParameter starts a range.
    Summing(const QList<Summary> &summaries, const QList<const char *> &names, int linked = -1, int parameter = 0);
    ~Summing();

    void add(sqlite3_stmt *row, const Value *linked = nullptr);
    // Inserts every group into its working table.
    void write(PreparedStatements &statements) const;

private:
    class Row;
    class Table;
    std::unique_ptr<Row> m_row;
    std::vector<std::unique_ptr<Table>> m_tables;
};

// The index of a named column; fails when there is none.
int columnOf(const QList<const char *> &names, const char *name);

} // namespace embedded::patient::grouped
