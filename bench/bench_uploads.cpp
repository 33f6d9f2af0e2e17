// Times the seventeen upload procedures on the demo hospital, against one
// plain pass over the same period's rows (a COUNT(*) of each source table
// over the date range), for a month and a year, at scale 1 and 10, and the
// same month on a store of one year and of four.
//
// One iteration of Uploads/... is one generation from nothing, each upload
// in a transaction of its own as generation runs it: the uploads share
// their readings of the period's records, and each iteration checks that the
// one before it left none behind, so that every reading is made again inside
// the timed iteration. The connection is the window's, kept from one
// generation to the next, with the statements it has prepared.
// Its counters: x_plain, the median iteration over the median plain pass of
// the same store and period (plain_ms), measured in the same run; on scale
// 10, x_scale1, that ratio over scale 1's (the median of its repetitions)
// for the same period; commit_ms, the median time an iteration spends
// committing its sections (on a disk, mostly its waits).
//
// Run: bench_uploads --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// The stores are made in the temporary folder (TMPDIR): on a disk, each
// upload's commit waits for it (synchronous=FULL); TMPDIR=/dev/shm times the
// same work without the disk.

#include "adodb/Connection.h"
#include "embedded/DemoHospital.h"
#include "embedded/EmbeddedBackend.h"
#include "embedded/Store.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct DemoStore
{
    QTemporaryDir dir;
    QString folder;
};

// scale, full years -> a store, created once per run.
const QString &demoStore(int scale, int fullYears)
{
    static std::map<std::pair<int, int>, std::unique_ptr<DemoStore>> stores;
    auto &slot = stores[{scale, fullYears}];
    if (!slot) {
        slot = std::make_unique<DemoStore>();
        slot->folder = slot->dir.path() + QStringLiteral("/store");
        QElapsedTimer timer;
        timer.start();
        embedded::Store store(slot->folder);
        embedded::DemoHospital::Options options;
        options.seed = 20261208;
        options.referenceDate = QDate(2027, 1, 1); // the store ends with 2026
        options.scale = scale;
        options.fullYears = fullYears;
        embedded::DemoHospital::fill(store, options);
        store.writeTransaction([&] {
            embedded::sql::exec(store.database(),
                                QStringLiteral("INSERT INTO Patient_Data.tbMedNewDOHReportSetup (SetupID, PediaAge, "
                                               "NewbornCode, SurgeryCode, UpdatedDate) VALUES (1, 13, '13', '23', "
                                               "'2026-01-01 00:00:00.000')"));
        });
        QSqlQuery rows = embedded::sql::exec(
            store.database(),
            QStringLiteral("SELECT (SELECT COUNT(*) FROM Patient_Data.tbAdmission) + (SELECT COUNT(*) "
                           "FROM Patient_Data.tbOutpatientVisit) + (SELECT COUNT(*) FROM "
                           "Patient_Data.tbEmergencyVisit) + (SELECT COUNT(*) FROM Patient_Data.tbPatient)"));
        rows.next();
        std::fprintf(stderr, "demo store scale %d, %d years: %lld main rows, created in %.1f s\n", scale, fullYears,
                     rows.value(0).toLongLong(), double(timer.elapsed()) / 1000.0);
    }
    return slot->folder;
}

struct Period
{
    const char *from; // as the program sends it
    const char *to;
    const char *fromStored;
    const char *toNext;
};

const Period kMonth = {"06/01/2026", "06/30/2026", "2026-06-01", "2026-07-01"};
const Period kYear = {"01/01/2026", "12/31/2026", "2026-01-01", "2027-01-01"};

const char *const kUploads[][2] = {
    {"sp_DOH_Upload_SectionI34", ""},
    {"sp_DOH_Upload_SectionI9", ",2"},
    {"sp_DOH_Upload_SectionII1", ""},
    {"sp_DOH_Upload_SectionII21", ""},
    {"sp_DOH_Upload_SectionII22", ""},
    {"sp_DOH_Upload_SectionII3", ""},
    {"sp_DOH_Upload_DeliveriesAndOutpatientVisits", ""},
    {"sp_DOH_Upload_ERTestingAndOthers", ""},
    {"sp_DOH_Upload_SectionIII", ""},
    {"sp_DOH_Upload_SectionII7", ""},
    {"sp_DOH_Upload_SectionII8", ",2"},
    {"sp_DOH_Upload_SectionII91", ""},
    {"sp_DOH_Upload_SectionII92", ""},
    {"sp_DOH_Upload_HealthAssociatedInf", ""},
    {"sp_DOH_Upload_SurgicalProcedure", ""},
    {"sp_DOH_Upload_SectionIII114", ",2"},
    {"sp_DOH_Upload_SectionII103", ",2"},
};

const QStringList kPlainCounts = {
    QStringLiteral(
        "SELECT COUNT(*) FROM Patient_Data.tbAdmission WHERE AdmissionDateTime >= ? AND AdmissionDateTime < ?"),
    QStringLiteral(
        "SELECT COUNT(*) FROM Patient_Data.tbAdmission WHERE DischargeDateTime >= ? AND DischargeDateTime < ?"),
    QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbDelivery WHERE DeliveryDateTime >= ? AND DeliveryDateTime < ?"),
    QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbOutpatientVisit WHERE VisitDate >= ? AND VisitDate < ?"),
    QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbEmergencyVisit WHERE VisitDateTime >= ? AND VisitDateTime < ?"),
    QStringLiteral(
        "SELECT COUNT(*) FROM Patient_Data.tbOperation WHERE OperationDateTime >= ? AND OperationDateTime < ?"),
    QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbInfection WHERE InfectionDate >= ? AND InfectionDate < ?"),
    QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbDeviceDay WHERE CensusDate >= ? AND CensusDate < ?"),
    QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbLabExamination WHERE ExamDate >= ? AND ExamDate < ?"),
};

// The plain pass: one COUNT(*) of each source table over the period, in one
// read transaction; gives the rows counted.
qint64 countPeriod(embedded::Store &store, const Period &period)
{
    const QString from = QString::fromLatin1(period.fromStored);
    const QString toNext = QString::fromLatin1(period.toNext);
    qint64 total = 0;
    store.readTransaction([&] {
        for (const QString &c : kPlainCounts) {
            QSqlQuery q = embedded::sql::exec(store.database(), c, {from, toNext});
            q.next();
            total += q.value(0).toLongLong();
        }
    });
    return total;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

double elapsedMs(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

// The plain pass's median in milliseconds, over enough runs (a tenth of a
// second at least) that a moment's stall of the machine does not move it.
double plainPassMs(int scale, int fullYears, const Period &period)
{
    embedded::Store store(demoStore(scale, fullYears), embedded::Store::OpenMode::MustExist);
    countPeriod(store, period); // its pages read once, as the uploads' are
    std::vector<double> runs;
    for (double spent = 0; runs.size() < 21 || spent < 100; spent += runs.back()) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(countPeriod(store, period));
        runs.push_back(elapsedMs(start));
    }
    return median(runs);
}

// Readings of an earlier generation the connection still holds.
qint64 sharedReadingsLeft(adodb::Connection &connection)
{
    QSqlQuery q(static_cast<embedded::EmbeddedBackend *>(connection.backend())->store().database());
    if (!q.exec(QStringLiteral("SELECT COUNT(*) FROM temp.tbSharedReading")) || !q.next())
        return 0; // none made yet on this connection
    return q.value(0).toLongLong();
}

// The ratios of each scale 1 case's repetitions, by period, for the scale 10
// ones: each of these is taken over their median, not over whichever
// repetition came last.
std::map<std::string, std::vector<double>> &ratiosAtScale1()
{
    static std::map<std::string, std::vector<double>> ratios;
    return ratios;
}

void allUploads(benchmark::State &state, int scale, int fullYears, const Period &period)
{
    adodb::Connection connection(std::make_unique<embedded::EmbeddedBackend>(demoStore(scale, fullYears)));
    QStringList statements;
    for (const auto &u : kUploads)
        statements.append(QStringLiteral("Patient_Data..%1 '%2','%3'%4")
                              .arg(QString::fromLatin1(u[0]), QString::fromLatin1(period.from),
                                   QString::fromLatin1(period.to), QString::fromLatin1(u[1])));
    std::vector<double> iterations;
    std::vector<double> commits;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (sharedReadingsLeft(connection) != 0) {
            state.SkipWithError("a generation left shared readings behind: the next would not read afresh");
            break;
        }
        // Each section in a transaction of its own, as generation sends it.
        double committing = 0;
        for (const QString &s : statements) {
            connection.BeginTrans();
            connection.Execute(s);
            const auto commit = std::chrono::steady_clock::now();
            connection.CommitTrans();
            committing += elapsedMs(commit);
        }
        iterations.push_back(elapsedMs(start));
        commits.push_back(committing);
    }
    if (iterations.empty())
        return;
    const double plain = plainPassMs(scale, fullYears, period);
    const double ratio = median(iterations) / plain;
    state.counters["plain_ms"] = plain;
    state.counters["commit_ms"] = median(commits);
    state.counters["x_plain"] = ratio;
    const std::string key = std::to_string(fullYears) + period.from + period.to;
    if (scale == 1)
        ratiosAtScale1()[key].push_back(ratio);
    else if (ratiosAtScale1().count(key))
        state.counters["x_scale1"] = ratio / median(ratiosAtScale1()[key]);
}

// One generation on a new connection, as the command line makes it: every
// statement is prepared in the timed iteration (Uploads/... keeps the
// connection, as the window does).
void firstGeneration(benchmark::State &state, int scale, const Period &period)
{
    const QString folder = demoStore(scale, 4);
    for (auto _ : state) {
        state.PauseTiming();
        auto connection = std::make_unique<adodb::Connection>(std::make_unique<embedded::EmbeddedBackend>(folder));
        state.ResumeTiming();
        for (const auto &u : kUploads) {
            connection->BeginTrans();
            connection->Execute(QStringLiteral("Patient_Data..%1 '%2','%3'%4")
                                    .arg(QString::fromLatin1(u[0]), QString::fromLatin1(period.from),
                                         QString::fromLatin1(period.to), QString::fromLatin1(u[1])));
            connection->CommitTrans();
        }
        state.PauseTiming();
        connection.reset();
        state.ResumeTiming();
    }
}

// The plain pass on its own.
void plainPass(benchmark::State &state, int scale, int fullYears, const Period &period)
{
    embedded::Store store(demoStore(scale, fullYears), embedded::Store::OpenMode::MustExist);
    for (auto _ : state) {
        const qint64 total = countPeriod(store, period);
        benchmark::DoNotOptimize(total);
        state.counters["rows"] = double(total);
    }
}

// One upload generated alone, to see where a period's time goes: each
// iteration on a new connection, so that it reads everything it needs itself.
void oneUpload(benchmark::State &state, int index, int scale, const Period &period)
{
    const QString statement = QStringLiteral("Patient_Data..%1 '%2','%3'%4")
                                  .arg(QString::fromLatin1(kUploads[index][0]), QString::fromLatin1(period.from),
                                       QString::fromLatin1(period.to), QString::fromLatin1(kUploads[index][1]));
    for (auto _ : state) {
        state.PauseTiming();
        auto connection =
            std::make_unique<adodb::Connection>(std::make_unique<embedded::EmbeddedBackend>(demoStore(scale, 4)));
        state.ResumeTiming();
        connection->Execute(statement);
        state.PauseTiming();
        connection.reset();
        state.ResumeTiming();
    }
}

void registerAll()
{
    struct Case
    {
        const char *name;
        int scale;
        int fullYears;
        const Period *period;
    };
    static const Case cases[] = {
        // Stores of 2023 to 2026 (the reference date is 1 January 2027).
        {"scale1/month", 1, 4, &kMonth},
        {"scale1/year", 1, 4, &kYear},
        {"scale10/month", 10, 4, &kMonth},
        {"scale10/year", 10, 4, &kYear},
        // The same month on a store holding only its own year.
        {"scale10_1year_store/month", 10, 1, &kMonth},
    };
    for (const Case &c : cases) {
        benchmark::RegisterBenchmark((std::string("Uploads/") + c.name).c_str(),
                                     [c](benchmark::State &s) { allUploads(s, c.scale, c.fullYears, *c.period); })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(1.0);
        benchmark::RegisterBenchmark((std::string("PlainPass/") + c.name).c_str(),
                                     [c](benchmark::State &s) { plainPass(s, c.scale, c.fullYears, *c.period); })
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.5);
    }
    for (int scale : {1, 10})
        benchmark::RegisterBenchmark((std::string("FirstGeneration/scale") + std::to_string(scale) + "/month").c_str(),
                                     [scale](benchmark::State &s) { firstGeneration(s, scale, kMonth); })
            ->Unit(benchmark::kMillisecond)
            ->Iterations(20);
    for (int scale : {1, 10}) {
        for (int i = 0; i < int(std::size(kUploads)); ++i)
            benchmark::RegisterBenchmark(
                (std::string("OneUpload/scale") + std::to_string(scale) + "/year/" + kUploads[i][0]).c_str(),
                [i, scale](benchmark::State &s) { oneUpload(s, i, scale, kYear); })
                ->Unit(benchmark::kMillisecond)
                ->Iterations(5);
    }
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
