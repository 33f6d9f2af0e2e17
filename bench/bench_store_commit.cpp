// Times the store's commits: what a small write costs when every file of the
// store takes part in the transaction (BEGIN IMMEDIATE on the four attached
// files: a super-journal on every commit), when only the written file does
// (a deferred transaction that takes that file's write lock first), and when
// the written file is attached for the write alone; a write to two files in
// the first two ways; the store's own procedures through a connection (a
// report log update, the hospital information update, a section generated
// in the connection's transaction); and the refusal of an Update of 40,000
// assignments.
//
// Run: bench_store_commit --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

#include "adodb/Connection.h"
#include "com/ComError.h"
#include "embedded/DemoHospital.h"
#include "embedded/EmbeddedBackend.h"
#include "embedded/Store.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <memory>

namespace {

// A store with its report setup, created once per run; the scale-1 demo
// hospital for the section generated.
struct BenchStore
{
    QTemporaryDir dir;
    QString folder = dir.path() + QStringLiteral("/store");
};

const QString &storeFolder()
{
    static BenchStore store;
    static const bool made = [] {
        embedded::Store s(store.folder);
        embedded::DemoHospital::Options options;
        options.seed = 20261208;
        options.referenceDate = QDate(2027, 1, 1);
        options.fullYears = 1;
        embedded::DemoHospital::fill(s, options);
        s.writeTransaction([&] {
            embedded::sql::exec(s.database(),
                                QStringLiteral("INSERT INTO Patient_Data.tbMedNewDOHReportSetup (SetupID, PediaAge, "
                                               "NewbornCode, SurgeryCode, UpdatedDate) VALUES (1, 13, '13', '23', "
                                               "'2026-01-01 00:00:00.000')"));
        });
        return true;
    }();
    (void)made;
    return store.folder;
}

void run(const QSqlDatabase &db, const QString &statement)
{
    embedded::sql::exec(db, statement);
}

const QString kLogRow = QStringLiteral(
    "INSERT OR REPLACE INTO Patient_Data.tbMedNewDOHReportLog (ReportID, FromDate, ToDate, LastUpdatedDate) "
    "VALUES ('bench', '2026-03-01', '2026-03-31', strftime('%Y-%m-%d %H:%M:%f', 'now'))");
const QString kCounter = QStringLiteral("UPDATE PASSWORD.tbHospitalInfo2 SET Specialty = (Specialty + 1) % 5");

enum class Arrangement { EveryFile, WrittenFilesOnly };

void begin(const QSqlDatabase &db, Arrangement arrangement, bool twoFiles)
{
    if (arrangement == Arrangement::EveryFile) {
        run(db, QStringLiteral("BEGIN IMMEDIATE"));
        return;
    }
    // A statement that writes to a file but changes no row takes that file's
    // write lock and no other.
    run(db, QStringLiteral("BEGIN DEFERRED"));
    run(db, QStringLiteral("DELETE FROM Patient_Data.tbHospitalInfo WHERE 0"));
    if (twoFiles)
        run(db, QStringLiteral("DELETE FROM PASSWORD.tbHospitalInfo2 WHERE 0"));
}

void commitOfOneRow(benchmark::State &state, Arrangement arrangement, bool twoFiles)
{
    embedded::Store store(storeFolder(), embedded::Store::OpenMode::MustExist);
    const QSqlDatabase db = store.database();
    for (auto _ : state) {
        begin(db, arrangement, twoFiles);
        run(db, kLogRow);
        if (twoFiles)
            run(db, kCounter);
        run(db, QStringLiteral("COMMIT"));
    }
}

// A connection that holds the store's main file only and attaches the
// written file for each write.
void commitAttachedPerWrite(benchmark::State &state)
{
    const QString folder = storeFolder();
    const QString name = QStringLiteral("bench-attach-per-write");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QDir(folder).filePath(QStringLiteral("Velmora.store")));
        db.open();
        run(db, QStringLiteral("PRAGMA journal_mode=DELETE"));
        run(db, QStringLiteral("PRAGMA synchronous=FULL"));
        const QString file = QDir(folder).filePath(QStringLiteral("Patient_Data.sqlite"));
        for (auto _ : state) {
            embedded::sql::exec(db, QStringLiteral("ATTACH DATABASE ? AS Patient_Data"), {file});
            run(db, QStringLiteral("PRAGMA Patient_Data.synchronous=FULL"));
            run(db, QStringLiteral("BEGIN IMMEDIATE"));
            run(db, kLogRow);
            run(db, QStringLiteral("COMMIT"));
            run(db, QStringLiteral("DETACH DATABASE Patient_Data"));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

void procedure(benchmark::State &state, const QString &statement)
{
    adodb::Connection connection(std::make_unique<embedded::EmbeddedBackend>(storeFolder()));
    for (auto _ : state)
        connection.Execute(statement);
}

// One section as generation does it: its log entry and its upload in the
// connection's transaction.
void sectionInTransaction(benchmark::State &state)
{
    adodb::Connection connection(std::make_unique<embedded::EmbeddedBackend>(storeFolder()));
    for (auto _ : state) {
        connection.BeginTrans();
        connection.Execute(
            QStringLiteral("Patient_Data..sp_DOH_Update_tbMedNewDOHReportLog 'II.','06/01/2026','06/30/2026'"));
        connection.Execute(QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII1 '06/01/2026','06/30/2026'"));
        connection.CommitTrans();
    }
}

void refusedLongUpdate(benchmark::State &state)
{
    adodb::Connection connection(std::make_unique<embedded::EmbeddedBackend>(storeFolder()));
    QStringList assignments;
    for (int i = 0; i < 40000; ++i)
        assignments.append(QStringLiteral("A.LocalParticular = 'x%1'").arg(i));
    const QString statement = QStringLiteral("Update A Set ") + assignments.join(QLatin1Char(',')) +
                              QStringLiteral(" From PASSWORD..tbHospitalInfo2 A");
    for (auto _ : state) {
        try {
            connection.Execute(statement);
        } catch (const com::ComError &) {
        }
    }
}

const QString kHospitalInfoUpdate = QStringLiteral(
    "Update A Set A.Specialty ='1',A.TraumaCapability = '0',A.LocalParticular = '',A.OwnershipGovOthers = '',"
    "A.OwnershipPrivateOthers = '',A.QMISOCertified = '0',A.QMIntlAccreditation = '0',A.QMPhicAccreditation = '1',"
    "A.QMPCAHO = '0',A.QMISOCertifiedValPeriod = '',A.QMIntlAccreditationValPeriod = '',"
    "A.QMPhicAccreditationValPeriod = '2026-2027',A.QMPCAHOValPeriod = '',A.PhilhealthAccreditationParticular = "
    "'Level 2'From PASSWORD..tbHospitalInfo2 A");

void registerAll()
{
    using benchmark::RegisterBenchmark;
    RegisterBenchmark("Commit/one_file/every_file_in_the_transaction", [](benchmark::State &s) {
        commitOfOneRow(s, Arrangement::EveryFile, false);
    })->Unit(benchmark::kMillisecond);
    RegisterBenchmark("Commit/one_file/written_file_only", [](benchmark::State &s) {
        commitOfOneRow(s, Arrangement::WrittenFilesOnly, false);
    })->Unit(benchmark::kMillisecond);
    RegisterBenchmark("Commit/one_file/attached_per_write", commitAttachedPerWrite)->Unit(benchmark::kMillisecond);
    RegisterBenchmark("Commit/two_files/every_file_in_the_transaction", [](benchmark::State &s) {
        commitOfOneRow(s, Arrangement::EveryFile, true);
    })->Unit(benchmark::kMillisecond);
    RegisterBenchmark("Commit/two_files/written_files_only", [](benchmark::State &s) {
        commitOfOneRow(s, Arrangement::WrittenFilesOnly, true);
    })->Unit(benchmark::kMillisecond);
    RegisterBenchmark("Procedure/report_log_update", [](benchmark::State &s) {
        procedure(s,
                  QStringLiteral("Patient_Data..sp_DOH_Update_tbMedNewDOHReportLog 'II.','03/01/2026','03/31/2026'"));
    })->Unit(benchmark::kMillisecond);
    RegisterBenchmark("Procedure/hospital_info_update", [](benchmark::State &s) {
        procedure(s, kHospitalInfoUpdate);
    })->Unit(benchmark::kMillisecond);
    RegisterBenchmark("Procedure/section_in_the_connections_transaction", sectionInTransaction)
        ->Unit(benchmark::kMillisecond);
    RegisterBenchmark("Refusal/update_of_40000_assignments", refusedLongUpdate)->Unit(benchmark::kMillisecond);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
