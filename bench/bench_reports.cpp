// Times what a records officer waits for with the largest DOH report: the
// emergency visits, tests, other services and diseases of a whole year at
// scale 10 (a large tertiary hospital). First the report alone (open the
// file, bind, fill, paginate), then a whole preview from Print in the
// build-file window to the viewer's first page painted.
//
// Run: bench_reports --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "fixtures/DemoReports.h"

#include "buildfile/frmNewDOHBuildFile.h"
#include "catalogue/ReportFiles.h"
#include "reportengine/ReportEngine.h"
#include "reporting/frmReportViewerShared.h"
#include "reporting/modCrystal.h"
#include "reportviewer/CRViewer.h"

#include "WidgetBenchmarkMain.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTimer>
#include <QTreeWidget>

#include <cstdio>
#include <memory>

namespace {

const QString kEmergency = QStringLiteral("II. B.4 Emergency Visits, Testing, Other Services and Diseases Seen");
const QDate kFirst(2025, 1, 1);
const QDate kLast(2025, 12, 31);

// The scale-10 demo hospital with the year generated, made once per run.
testdata::DemoReports &demo()
{
    static std::unique_ptr<testdata::DemoReports> store = [] {
        QElapsedTimer timer;
        timer.start();
        auto made = std::make_unique<testdata::DemoReports>(10);
        made->generate(kFirst, kLast);
        std::fprintf(stderr, "scale 10 demo hospital with 2025 generated in %.1f s\n",
                     double(timer.elapsed()) / 1000.0);
        return made;
    }();
    return *store;
}

void BM_EmergencyReportOfAYear(benchmark::State &state)
{
    testdata::DemoReports &store = demo();
    const catalogue::ReportFile *entry = catalogue::FindReportFile(kEmergency);
    int pages = 0;
    for (auto _ : state) {
        store.open(*entry, kFirst, kLast);
        pages = modCrystal::pobjReport->document().pageCount();
        benchmark::DoNotOptimize(pages);
    }
    state.counters["pages"] = pages;
    modCrystal::pobjReport.reset();
}
BENCHMARK(BM_EmergencyReportOfAYear)->Unit(benchmark::kMillisecond);

// Print in the window, the viewer opening, its first page painted.
void BM_PreviewFromPrintToFirstPage(benchmark::State &state)
{
    testdata::DemoReports &store = demo();
    frmNewDOHBuildFile window;
    window.setTodayProvider([] { return QDate(2026, 3, 15); });
    window.InitializeForm(store.connection());
    window.PrepareForm();
    window.cboYear->setCurrentIndex(window.cboYear->findText(QStringLiteral("2025")));
    window.cboMonth->setCurrentIndex(0);
    for (int i = 0; i < window.lvwReport->topLevelItemCount(); ++i)
        if (window.lvwReport->topLevelItem(i)->text(0) == kEmergency)
            window.lvwReport->setCurrentItem(window.lvwReport->topLevelItem(i));

    for (auto _ : state) {
        QElapsedTimer timer;
        double seconds = 0;
        QTimer watch;
        watch.setInterval(0);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto *viewer = dynamic_cast<frmReportViewerShared *>(QApplication::activeModalWidget());
            if (!viewer)
                return;
            viewer->CRViewer1->grab(); // the first page, painted
            seconds = double(timer.nsecsElapsed()) / 1e9;
            watch.stop();
            viewer->close();
        });
        watch.start();
        timer.start();
        window.cmdPrint_Click();
        state.SetIterationTime(seconds);
    }
}
BENCHMARK(BM_PreviewFromPrintToFirstPage)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace

int main(int argc, char **argv)
{
    return RunWidgetBenchmarks(argc, argv);
}
