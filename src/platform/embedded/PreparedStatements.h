#pragma once

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

struct sqlite3;
struct sqlite3_stmt;

namespace embedded {

// The statements a connection runs again and again (each section's upload
// statements, the BEGIN and COMMIT around them), each prepared once and
// kept, reset, for its next run: every generation would otherwise parse all
// of them anew, which costs a small period more than counting its records.
//
// A statement is taken for one run and given back after it; one taken while
// the same text is still running elsewhere is prepared apart. Values are
// bound afresh on every run: nothing of one run is left for the next.
class PreparedStatements
{
public:
    explicit PreparedStatements(sqlite3 *db);
    ~PreparedStatements();
    PreparedStatements(const PreparedStatements &) = delete;
    PreparedStatements &operator=(const PreparedStatements &) = delete;

    sqlite3 *connection() const { return m_db; }

    // A statement of text ready to run: a kept one, or one prepared now.
    // Fails with the store's own message (a misspelt column, say).
    sqlite3_stmt *take(const QString &text);
    // Back after its run, reset and its values cleared; kept unless one of
    // the same text already is, or as many as kLimit are.
    void give(const QString &text, sqlite3_stmt *statement);
    // Runs text to its end with values bound in order.
    void run(const QString &text, const QVariantList &values = {});

    // How many are kept, for the tests.
    qsizetype kept() const { return m_kept.size(); }

    // A generation runs some hundred and fifty texts; the limit keeps a
    // caller whose texts change from call to call from piling them up.
    static constexpr qsizetype kLimit = 256;

    // The SQLite connection under a Qt one.
    static sqlite3 *handleOf(const QSqlDatabase &db);

private:
    sqlite3 *m_db;
    QHash<QString, sqlite3_stmt *> m_kept;
};

namespace sql {
// Binds values to a statement's placeholders in order: text as text, a
// whole number as an integer, a fraction as a real, a null (or a null
// text) as NULL. Fails with the store's message.
void bind(sqlite3 *db, sqlite3_stmt *statement, const QVariantList &values);
} // namespace sql

} // namespace embedded
