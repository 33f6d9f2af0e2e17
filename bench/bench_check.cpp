// Times Check of a whole year on the demo hospital at scale 10 (a large
// tertiary hospital): every section generated, then the rules between the
// sections and the edits on the year's patient records. Target: under 2 s.
// The records procedure alone and the edits alone are timed beside it.
//
// Run: bench_check --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "adodb/Connection.h"
#include "buildfile/Sections.h"
#include "catalogue/ReportCatalogue.h"
#include "checks/Check.h"
#include "embedded/DemoHospital.h"
#include "embedded/EmbeddedBackend.h"
#include "embedded/Store.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

const QString kFirst = QStringLiteral("01/01/2026");
const QString kLast = QStringLiteral("12/31/2026");

// A scale-10 store with 2026 generated, made once per run.
struct YearStore
{
    QTemporaryDir dir;
    QString folder = dir.path() + QStringLiteral("/store");
    std::shared_ptr<adodb::Connection> connection;

    YearStore()
    {
        {
            embedded::Store store(folder);
            embedded::DemoHospital::Options options;
            options.referenceDate = QDate(2027, 1, 1);
            options.scale = 10;
            options.fullYears = 1;
            embedded::DemoHospital::fill(store, options);
        }
        connection = std::make_shared<adodb::Connection>(std::make_unique<embedded::EmbeddedBackend>(folder));
        connection->Execute(QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 13,'13','23'"));
        for (const catalogue::ReportItem &item : catalogue::ReportCatalogue()) {
            buildfile::KeptFailures steps;
            buildfile::GenerateSection(*connection, {item.title, kFirst, kLast}, steps);
        }
    }
};

YearStore &yearStore()
{
    static YearStore store;
    return store;
}

void CheckOfAYearAtScale10(benchmark::State &state)
{
    YearStore &store = yearStore();
    qsizetype findings = 0;
    for (auto _ : state) {
        const checks::CheckResult result = checks::RunCheck(
            *store.connection, {kFirst, kLast, QStringLiteral("Santa Niña General Hospital"), QDate(2027, 1, 1)});
        findings = result.findings.size();
        store.connection->statementLog().clear();
    }
    state.counters["findings"] = double(findings);
}
BENCHMARK(CheckOfAYearAtScale10)->Unit(benchmark::kMillisecond)->Iterations(3);

void RecordsProcedureOfAYear(benchmark::State &state)
{
    YearStore &store = yearStore();
    qsizetype rows = 0;
    for (auto _ : state) {
        rows = store.connection
                   ->run(checks::kRecordsProcedure +
                         QStringLiteral(" '%1','%2','O00-O99,Z32-Z36,N70-N98,C51-C58,N40-N51,C60-C63,P00-P96,Z38-Z38'")
                             .arg(kFirst, kLast))
                   .rows.size();
        store.connection->statementLog().clear();
    }
    state.counters["records"] = double(rows);
}
BENCHMARK(RecordsProcedureOfAYear)->Unit(benchmark::kMillisecond)->Iterations(3);

// Every record of the year, as a server without the ranges sends them.
void EveryRecordOfAYear(benchmark::State &state)
{
    YearStore &store = yearStore();
    qsizetype rows = 0;
    for (auto _ : state) {
        rows = store.connection->run(checks::kRecordsProcedure + QStringLiteral(" '%1','%2'").arg(kFirst, kLast))
                   .rows.size();
        store.connection->statementLog().clear();
    }
    state.counters["records"] = double(rows);
}
BENCHMARK(EveryRecordOfAYear)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
