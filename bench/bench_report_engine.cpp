// Fill and paginate a 10,000-row report from the embedded store, then paint
// its first page: the work between pressing Print and seeing the report.
#include "com/ComError.h"
#include "embedded/Store.h"
#include "fixtures/VisitsData.h"
#include "reportengine/Painter.h"
#include "reportengine/ReportEngine.h"

#include "WidgetBenchmarkMain.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <sys/resource.h>

namespace {

const char kReport[] = R"(<report name="rptBench" font="DejaVu Sans" font-size="8">
  <summary title="Visits by Service"/>
  <parameters><parameter name="FromDate" type="date"/><parameter name="ToDate" type="date"/></parameters>
  <tables><table alias="v" location="Patient_Data.dbo.tbVisits"/></tables>
  <queries><query name="main">SELECT Service, Patient, Visits, Days, VisitDate FROM {v}
    WHERE VisitDate BETWEEN {?FromDate} AND {?ToDate} ORDER BY Service, Id</query></queries>
  <data query="main"/>
  <groups><group field="Service" repeat-header="true"/></groups>
  <sections>
    <section kind="report-header" height="40">
      <summary-field name="title" x="0" y="0" w="540" h="16" font-size="14" bold="true" align="center"/>
      <text x="0" y="20" w="540" h="14" align="center">From {?FromDate} to {?ToDate}</text>
    </section>
    <section kind="page-header" height="18">
      <text x="0" y="2" w="200" h="14" bold="true" column="1">Patient</text>
      <text x="200" y="2" w="100" h="14" bold="true" column="2" align="right">Visits</text>
      <text x="300" y="2" w="100" h="14" bold="true" column="3" align="right">Days</text>
      <text x="400" y="2" w="140" h="14" bold="true" column="4">Date</text>
    </section>
    <section kind="group-header" group="1" height="16"><field name="Service" x="0" y="1" w="300" h="14" bold="true"/></section>
    <section kind="detail" height="11">
      <field name="Patient" x="0" y="0" w="200" h="11" column="1"/>
      <field name="Visits" x="200" y="0" w="100" h="11" column="2" align="right" format="#,##0"/>
      <field name="Days" x="300" y="0" w="100" h="11" column="3" align="right"/>
      <field name="VisitDate" x="400" y="0" w="140" h="11" column="4" date-format="MM/dd/yyyy"/>
    </section>
    <section kind="group-footer" group="1" height="16">
      <formula kind="sum" field="Visits" x="200" y="1" w="100" h="14" column="2" align="right" format="#,##0"/>
    </section>
    <section kind="page-footer" height="16"><special kind="page-n-of-m" x="340" y="2" w="200" h="12" align="right"/></section>
  </sections>
</report>)";

// A recursive query without end as the inner table of a join: SQLite keeps
// every row it makes. The argument is the bytes of padding each row carries.
QString endlessQuery(int padding)
{
    return QStringLiteral("WITH RECURSIVE c(x, pad) AS (SELECT 1, hex(zeroblob(%1)) UNION ALL SELECT x + 1, pad "
                          "FROM c) SELECT v.Id FROM {v} v CROSS JOIN c WHERE c.x = v.Id")
        .arg(padding / 2);
}

struct Fixture
{
    QTemporaryDir dir;
    QString storeFolder = dir.filePath(QStringLiteral("store"));
    QString reportPath;

    explicit Fixture(int rows)
    {
        embedded::Store store(storeFolder);
        testdata::createVisits(store, rows);
        reportPath = testdata::writeReportFile(dir, QStringLiteral("bench.rpt"), QString::fromUtf8(kReport));
    }
};

void BM_FillPaginatePaintFirstPage(benchmark::State &state)
{
    const int rows = int(state.range(0));
    Fixture fixture(rows);
    QImage image(816, 1056, QImage::Format_ARGB32_Premultiplied);
    int pages = 0;
    for (auto _ : state) {
        auto report = reportengine::Application().OpenReport(fixture.reportPath, 1);
        for (reportengine::DatabaseTable &t : report->Database().Tables())
            t.SetLogOnInfo(fixture.storeFolder, QStringLiteral("Patient_Data"), QString(), QString());
        report->ParameterFields().Item(1).AddCurrentValue(QStringLiteral("03/01/2024"));
        report->ParameterFields().Item(2).AddCurrentValue(QStringLiteral("03/31/2024"));
        const reportengine::Document &doc = report->document();
        QPainter painter(&image);
        reportengine::paintPage(painter, doc, 0, QRectF(0, 0, 816, 1056));
        painter.end();
        pages = doc.pageCount();
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["pages"] = pages;
    state.counters["rows"] = rows;
}
BENCHMARK(BM_FillPaginatePaintFirstPage)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A report query that never ends and keeps what it works through (a
// recursive query without end, joined in FROM): the fill's memory bound
// stops it. Reported: the time to the failure and the process's peak memory
// (ru_maxrss), which the fill's default bound keeps far below 300 MB.
const char kEndlessReport[] = R"(<report>
  <tables><table alias="v" location="Patient_Data.dbo.tbVisits"/></tables>
  <queries><query name="main">%1</query></queries>
  <data query="main"/>
  <sections><section kind="detail" height="12"><field name="Id" x="0" y="0" w="50" h="12"/></section></sections>
</report>)";

void BM_EndlessQueryStopsAtTheFillsMemoryBound(benchmark::State &state)
{
    Fixture fixture(2);
    const QString path = testdata::writeReportFile(
        fixture.dir, QStringLiteral("endless.rpt"),
        QString::fromUtf8(kEndlessReport).arg(endlessQuery(int(state.range(0))).toHtmlEscaped()));
    bool stoppedByTheBound = false;
    for (auto _ : state) {
        auto report = reportengine::Application().OpenReport(path, 1);
        for (reportengine::DatabaseTable &t : report->Database().Tables())
            t.SetLogOnInfo(fixture.storeFolder, QStringLiteral("Patient_Data"), QString(), QString());
        try {
            report->document();
        } catch (const com::ComError &e) {
            stoppedByTheBound = e.description().contains(QStringLiteral("of memory"));
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;
    state.counters["stopped_by_the_bound"] = stoppedByTheBound ? 1 : 0;
}
BENCHMARK(BM_EndlessQueryStopsAtTheFillsMemoryBound)->Arg(0)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return RunWidgetBenchmarks(argc, argv);
}
