#include "adodb/Connection.h"
#include "adodb/SqlText.h"
#include "com/ComError.h"
#include "embedded/EmbeddedBackend.h"
#include "embedded/Procedures.h"
#include "embedded/Store.h"

#include "support/TempStore.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

namespace {

qint64 scalar(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q = embedded::sql::exec(db, sql);
    q.next();
    return q.value(0).toLongLong();
}

} // namespace

TEST(StoreAtomicity, AProcedureThatFailsHalfWayLeavesNothingBehind)
{
    testing_support::TempStore temp;
    embedded::ProcedureRegistry registry;
    registry.add({QStringLiteral("Patient_Data"), QStringLiteral("sp_HalfWay"), {}, -1, embedded::Access::Write,
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
        registry.add({QStringLiteral("Patient_Data"), QStringLiteral("sp_Log"), {}, -1, embedded::Access::Write,
                      [](embedded::ProcedureContext &ctx, const embedded::Arguments &) -> adodb::ResultSet {
                          embedded::sql::exec(ctx.db, QStringLiteral("INSERT INTO Patient_Data.tbMedNewDOHReportLog "
                                                                     "VALUES ('I.', '2026-01-01', '2026-01-31', "
                                                                     "'2026-02-01 00:00:00.000')"));
                          return {};
                      }});
        registry.add({QStringLiteral("Patient_Data"), QStringLiteral("sp_HalfWay"), {}, -1, embedded::Access::Write,
                      [](embedded::ProcedureContext &ctx, const embedded::Arguments &) -> adodb::ResultSet {
                          embedded::sql::exec(ctx.db, QStringLiteral("UPDATE PASSWORD.tbHospitalInfo2 SET Specialty = 9"));
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
    { embedded::Store create(folder); }

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
            QSqlQuery q = embedded::sql::exec(db, QStringLiteral("PRAGMA %1.integrity_check").arg(QLatin1String(schema)));
            ASSERT_TRUE(q.next());
            EXPECT_EQ(q.value(0).toString(), QStringLiteral("ok")) << schema;
        }
        const qint64 rows = scalar(db, QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbMedNewDOHReportLog"));
        const qint64 counter = scalar(db, QStringLiteral("SELECT Specialty FROM PASSWORD.tbHospitalInfo2"));
        EXPECT_GE(counter, 1);
        EXPECT_EQ(rows, 250 * counter) << "a transaction spanning both files was applied in part";
        embedded::sql::exec(db, QStringLiteral("DELETE FROM Patient_Data.tbMedNewDOHReportLog"));
        embedded::sql::exec(db, QStringLiteral("UPDATE PASSWORD.tbHospitalInfo2 SET Specialty = 0"));
    }
}
