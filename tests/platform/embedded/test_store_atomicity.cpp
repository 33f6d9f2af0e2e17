#include "adodb/Connection.h"
#include "adodb/SqlText.h"
#include "com/ComError.h"
#include "embedded/EmbeddedBackend.h"
#include "embedded/Procedures.h"
#include "embedded/Store.h"

#include "support/TempStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

qint64 scalar(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q = embedded::sql::exec(db, sql);
    q.next();
    return q.value(0).toLongLong();
}

QStringList superJournals(const QString &folder)
{
    return QDir(folder).entryList({QStringLiteral("Velmora.store-mj*")}, QDir::Files);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(StoreAtomicity, AProcedureThatFailsHalfWayLeavesNothingBehind)
{
    testing_support::TempStore temp;
    embedded::ProcedureRegistry registry;
    registry.add({QStringLiteral("Patient_Data"),
                  QStringLiteral("sp_HalfWay"),
                  {},
                  -1,
                  embedded::Access::Write,
                  [](embedded::ProcedureContext &ctx, const embedded::Arguments &) -> adodb::ResultSet {
                      embedded::sql::exec(ctx.db, QStringLiteral("UPDATE PASSWORD.tbHospitalInfo2 SET Specialty = 9"));
                      embedded::sql::exec(ctx.db, QStringLiteral("INSERT INTO Patient_Data.tbMedNewDOHReportLog "
                                                                 "VALUES ('II.', '2026-01-01', '2026-01-31', "
                                                                 "'2026-02-01 00:00:00.000')"));
                      throw adodb::BackendError(QStringLiteral("The upload stopped half-way."));
                  }});
    adodb::Connection conn(std::make_unique<embedded::EmbeddedBackend>(temp.folder(), registry));
    try {
        conn.Execute(QStringLiteral("Patient_Data..sp_HalfWay"));
        FAIL();
    } catch (const com::ComError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("The upload stopped half-way."));
    }
    const QSqlDatabase db = temp.store().database();
    EXPECT_EQ(scalar(db, QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbMedNewDOHReportLog")), 0);
    EXPECT_EQ(scalar(db, QStringLiteral("SELECT Specialty FROM PASSWORD.tbHospitalInfo2")), 0);
}

// Inside a transaction of the connection a procedure that fails half-way
// still leaves nothing of itself, and what the others wrote is kept or
// dropped together, by the commit or the rollback.
TEST(StoreAtomicity, TheConnectionsTransactionKeepsItsProceduresTogether)
{
    for (const bool commit : {true, false}) {
        SCOPED_TRACE(commit ? "commit" : "rollback");
        testing_support::TempStore temp;
        embedded::ProcedureRegistry registry;
        registry.add({QStringLiteral("Patient_Data"),
                      QStringLiteral("sp_Log"),
                      {},
                      -1,
                      embedded::Access::Write,
                      [](embedded::ProcedureContext &ctx, const embedded::Arguments &) -> adodb::ResultSet {
                          embedded::sql::exec(ctx.db, QStringLiteral("INSERT INTO Patient_Data.tbMedNewDOHReportLog "
                                                                     "VALUES ('I.', '2026-01-01', '2026-01-31', "
                                                                     "'2026-02-01 00:00:00.000')"));
                          return {};
                      }});
        registry.add({QStringLiteral("Patient_Data"),
                      QStringLiteral("sp_HalfWay"),
                      {},
                      -1,
                      embedded::Access::Write,
                      [](embedded::ProcedureContext &ctx, const embedded::Arguments &) -> adodb::ResultSet {
                          embedded::sql::exec(ctx.db,
                                              QStringLiteral("UPDATE PASSWORD.tbHospitalInfo2 SET Specialty = 9"));
                          throw adodb::BackendError(QStringLiteral("The upload stopped half-way."));
                      }});
        adodb::Connection conn(std::make_unique<embedded::EmbeddedBackend>(temp.folder(), registry));
        const QSqlDatabase db = temp.store().database();
        EXPECT_EQ(conn.BeginTrans(), 1);
        conn.Execute(QStringLiteral("Patient_Data..sp_Log"));
        EXPECT_THROW(conn.Execute(QStringLiteral("Patient_Data..sp_HalfWay")), com::ComError);
        EXPECT_EQ(scalar(db, QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbMedNewDOHReportLog")), 0);
        if (commit)
            conn.CommitTrans();
        else
            conn.RollbackTrans();
        EXPECT_FALSE(conn.inTransaction());
        EXPECT_EQ(scalar(db, QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbMedNewDOHReportLog")), commit ? 1 : 0);
        EXPECT_EQ(scalar(db, QStringLiteral("SELECT Specialty FROM PASSWORD.tbHospitalInfo2")), 0);
        EXPECT_THROW(conn.CommitTrans(), com::ComError); // none is open any more
    }
}

TEST(StoreAtomicity, AWriterKilledMidTransactionLeavesTheStoreConsistent)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/store");
    {
        embedded::Store create(folder);
    }

    for (int round = 0; round < 3; ++round) {
        QProcess writer;
        writer.start(QCoreApplication::applicationDirPath() + QStringLiteral("/velmora_store_writer"), {folder});
        ASSERT_TRUE(writer.waitForStarted(10000));
        ASSERT_TRUE(writer.waitForReadyRead(20000)) << "the writer never committed";
        // Let it get well into later transactions, then kill it without warning.
        QThread::msleep(150 + 70 * round);
        writer.kill();
        writer.waitForFinished(10000);

        embedded::Store store(folder, embedded::Store::OpenMode::MustExist);
        const QSqlDatabase db = store.database();
        for (const char *schema : {"main", "Patient_Data", "PASSWORD", "BUILD_FILE"}) {
            QSqlQuery q =
                embedded::sql::exec(db, QStringLiteral("PRAGMA %1.integrity_check").arg(QLatin1String(schema)));
            ASSERT_TRUE(q.next());
            EXPECT_EQ(q.value(0).toString(), QStringLiteral("ok")) << schema;
        }
        // A writer killed with a super-journal written leaves none behind once
        // the store is open again.
        EXPECT_EQ(superJournals(folder), QStringList());
        const qint64 rows = scalar(db, QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbMedNewDOHReportLog"));
        const qint64 counter = scalar(db, QStringLiteral("SELECT Specialty FROM PASSWORD.tbHospitalInfo2"));
        EXPECT_GE(counter, 1);
        EXPECT_EQ(rows, 250 * counter) << "a transaction spanning both files was applied in part";
        embedded::sql::exec(db, QStringLiteral("DELETE FROM Patient_Data.tbMedNewDOHReportLog"));
        embedded::sql::exec(db, QStringLiteral("UPDATE PASSWORD.tbHospitalInfo2 SET Specialty = 0"));
    }
}

// A writer locks the files it names at its start and no other: another
// connection writes the others meanwhile (held up, it would fail after the
// store's wait for a lock). A file the body writes beyond them joins the
// transaction, and a failure undoes both.
TEST(StoreAtomicity, AWriterLocksOnlyTheFilesItNames)
{
    testing_support::TempStore temp;
    embedded::Store other(temp.folder(), embedded::Store::OpenMode::MustExist);
    const QSqlDatabase db = temp.store().database();
    const QString logRow = QStringLiteral("INSERT INTO Patient_Data.tbMedNewDOHReportLog VALUES ('I.', '2026-01-01', "
                                          "'2026-01-31', '2026-02-01 00:00:00.000')");
    temp.store().writeTransaction({QStringLiteral("Patient_Data")}, [&] {
        embedded::sql::exec(db, logRow);
        other.writeTransaction({QStringLiteral("PASSWORD")}, [&] {
            embedded::sql::exec(other.database(), QStringLiteral("UPDATE PASSWORD.tbHospitalInfo2 SET Specialty = 4"));
        });
    });
    EXPECT_EQ(scalar(db, QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbMedNewDOHReportLog")), 1);
    EXPECT_EQ(scalar(db, QStringLiteral("SELECT Specialty FROM PASSWORD.tbHospitalInfo2")), 4);

    EXPECT_THROW(temp.store().writeTransaction({QStringLiteral("Patient_Data")},
                                               [&] {
                                                   embedded::sql::exec(db,
                                                                       QStringLiteral("UPDATE PASSWORD.tbHospitalInfo2 "
                                                                                      "SET Specialty = 1"));
                                                   embedded::sql::exec(db, logRow); // the key is taken
                                               }),
                 adodb::BackendError);
    EXPECT_EQ(scalar(db, QStringLiteral("SELECT Specialty FROM PASSWORD.tbHospitalInfo2")), 4);
}

// A section's transaction holds the figures' file only: the hospital's
// information can be saved meanwhile, and what the section writes to another
// file is kept or undone with its figures.
TEST(StoreAtomicity, TheHeldTransactionLocksTheFiguresFileAndJoinsOthersAtTheirFirstWrite)
{
    for (const bool commit : {true, false}) {
        SCOPED_TRACE(commit ? "commit" : "rollback");
        testing_support::TempStore temp;
        embedded::Store other(temp.folder(), embedded::Store::OpenMode::MustExist);
        const QSqlDatabase db = temp.store().database();
        temp.store().beginWrite();
        embedded::sql::exec(db, QStringLiteral("INSERT INTO Patient_Data.tbMedNewDOHReportLog VALUES ('I.', "
                                               "'2026-01-01', '2026-01-31', '2026-02-01 00:00:00.000')"));
        other.writeTransaction({QStringLiteral("PASSWORD")}, [&] {
            embedded::sql::exec(other.database(), QStringLiteral("UPDATE PASSWORD.tbHospitalInfo2 SET Specialty = 4"));
        });
        embedded::sql::exec(db, QStringLiteral("UPDATE PASSWORD.tbHospitalInfo2 SET Specialty = Specialty + 1"));
        if (commit)
            temp.store().commit();
        else
            temp.store().rollback();
        EXPECT_EQ(scalar(db, QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbMedNewDOHReportLog")), commit ? 1 : 0);
        EXPECT_EQ(scalar(db, QStringLiteral("SELECT Specialty FROM PASSWORD.tbHospitalInfo2")), commit ? 5 : 4);
        EXPECT_EQ(superJournals(temp.folder()), QStringList());
    }
}

// A super-journal no hot journal names is left by a writer that died before
// a journal named it, or after its commit, or during its commit with a
// journal never synced: opening the store removes it, and changes nothing.
TEST(StoreAtomicity, OpeningRemovesTheSuperJournalsNoHotJournalNames)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/store");
    {
        embedded::Store create(folder);
        create.writeTransaction({QStringLiteral("PASSWORD")}, [&] {
            embedded::sql::exec(create.database(), QStringLiteral("UPDATE PASSWORD.tbHospitalInfo2 SET Specialty = 2"));
        });
    }
    const QString orphan = QStringLiteral("Velmora.store-mj0A1B2C3D4");
    const QString named = QStringLiteral("Velmora.store-mj5E6F7A8B9");
    for (const QString &super : {orphan, named})
        writeFile(QDir(folder).filePath(super), QDir(folder).filePath(QStringLiteral("PASSWORD.sqlite")).toUtf8());
    // A journal as a writer killed during its commit leaves it: the header
    // still zero (never synced), the super-journal's name at its end with
    // its length, a checksum and SQLite's mark.
    const QByteArray name = QDir(folder).filePath(named).toUtf8();
    char length[4];
    qToBigEndian<quint32>(quint32(name.size()), length);
    writeFile(QDir(folder).filePath(QStringLiteral("PASSWORD.sqlite-journal")),
              QByteArray(516, '\0') + name + QByteArray(length, 4) + QByteArray(4, '\0') +
                  QByteArray::fromHex("d9d505f920a163d7"));

    embedded::Store store(folder, embedded::Store::OpenMode::MustExist);
    EXPECT_EQ(superJournals(folder), QStringList());
    EXPECT_EQ(scalar(store.database(), QStringLiteral("SELECT Specialty FROM PASSWORD.tbHospitalInfo2")), 2);
}
