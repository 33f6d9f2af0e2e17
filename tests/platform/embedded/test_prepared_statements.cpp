#include "adodb/Backend.h"
#include "embedded/PreparedStatements.h"
#include "embedded/Store.h"

#include "support/TempStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <gtest/gtest.h>

namespace {

using embedded::PreparedStatements;

const QString kInsert = QStringLiteral("INSERT INTO temp.t VALUES (?, ?)");
const QString kRows = QStringLiteral("SELECT a, b FROM temp.t ORDER BY rowid");

QStringList rowsOf(PreparedStatements &statements)
{
    QStringList rows;
    sqlite3_stmt *s = statements.take(kRows);
    while (sqlite3_step(s) == SQLITE_ROW)
        rows.append(QStringLiteral("%1|%2").arg(
            sqlite3_column_type(s, 0) == SQLITE_NULL
                ? QStringLiteral("null")
                : QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0))),
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 1)))));
    statements.give(kRows, s);
    return rows;
}

} // namespace

// A kept statement runs again with the values of its new run only, however
// the run before it ended, and a text still running elsewhere is prepared
// apart instead of being reset under its reader.
TEST(PreparedStatements, EachRunHasItsOwnValuesAndReaders)
{
    testing_support::TempStore temp;
    PreparedStatements &statements = temp.store().statements();
    statements.run(QStringLiteral("CREATE TEMP TABLE t (a, b NOT NULL)"));

    statements.run(kInsert, {QStringLiteral("x"), 1});
    statements.run(kInsert, {QVariant(), 2.5});
    statements.run(kInsert, {QString(), QStringLiteral("")}); // a null text is NULL, an empty one is text
    // A run that fails (b NOT NULL) says why and leaves nothing bound for
    // the next one.
    try {
        statements.run(kInsert, {QStringLiteral("y")});
        FAIL() << "a row without b was inserted";
    } catch (const adodb::BackendError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("NOT NULL constraint failed: t.b"));
    }
    statements.run(kInsert, {QStringLiteral("z"), 3});
    EXPECT_EQ(rowsOf(statements), (QStringList{QStringLiteral("x|1"), QStringLiteral("null|2.5"),
                                               QStringLiteral("null|"), QStringLiteral("z|3")}));

    // Reading the rows while the same text reads them again.
    sqlite3_stmt *outer = statements.take(kRows);
    ASSERT_EQ(sqlite3_step(outer), SQLITE_ROW);
    EXPECT_EQ(rowsOf(statements).size(), 4);
    ASSERT_EQ(sqlite3_step(outer), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(outer, 1), 2); // the outer reader went on where it was
    statements.give(kRows, outer);

    // A table made anew under a kept statement is read as it now is.
    statements.run(QStringLiteral("DROP TABLE temp.t"));
    statements.run(QStringLiteral("CREATE TEMP TABLE t (b, a)"));
    statements.run(QStringLiteral("INSERT INTO temp.t VALUES ('second', 'first')"));
    EXPECT_EQ(rowsOf(statements), QStringList{QStringLiteral("first|second")});

    // One-off texts are not kept beyond the limit.
    for (int i = 0; i < PreparedStatements::kLimit + 10; ++i)
        statements.run(QStringLiteral("SELECT %1").arg(i));
    EXPECT_EQ(statements.kept(), PreparedStatements::kLimit);
}

// A store closed with statements kept lets go of its files.
TEST(PreparedStatements, AClosedStoreKeepsNoFileOpen)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/store");
    auto filesOpen = [&] {
        int open = 0;
        for (const QFileInfo &fd : QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::Files))
            open += fd.symLinkTarget().startsWith(folder) ? 1 : 0;
        return open;
    };
    {
        embedded::Store store(folder);
        store.writeTransaction({QStringLiteral("Patient_Data")}, [&] {
            store.statements().run(QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbMedNewDOHReportLog"));
        });
        ASSERT_GT(store.statements().kept(), 0);
        ASSERT_GT(filesOpen(), 0);
    }
    EXPECT_EQ(filesOpen(), 0);
}
