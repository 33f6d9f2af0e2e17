// Export speed of a 10,000-row report to the Excel 97-2003 and Rich Text
// formats, in memory and through exportToFile (target: under 200 ms each),
// and of the annual report of a year at scale 10 in one PDF: every
// section's report opened and filled, a contents page, every page painted,
// the bookmarks added (target: under 2 s).
#include "fixtures/DemoReports.h"
#include "fixtures/ExportData.h"

#include "catalogue/ReportFiles.h"
#include "reportengine/Painter.h"
#include "reportengine/ReportEngine.h"
#include "reportexport/Exporter.h"
#include "reporting/modCrystal.h"

#include "WidgetBenchmarkMain.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <QBuffer>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace reportexport;

namespace {

// A report the size of a year's discharge listing: the header block, a
// header row and 10,000 rows of a name, a diagnosis and four numbers.
const ExportDocument &report()
{
    static const ExportDocument doc = [] {
        ExportDocument d;
        d.title = QStringLiteral("Discharges");
        d.sheetName = QStringLiteral("Discharges");
        d.landscape = true;
        for (const char *line : {"Hospital Niño Jesús", "12 Rizal Avenue", "Discharges by Service",
                                 "January 01, 2024 to December 31, 2024"})
            d.blocks.append(testdata::paragraph(QString::fromUtf8(line), true, 10, ExportParagraph::Align::Center));
        ExportTable table;
        table.columnWidthsPt = {150, 150, 60, 60, 60, 60};
        ExportRow header;
        for (const char *caption : {"Patient", "Diagnosis", "Days", "Charges", "Paid", "Rate"})
            header.cells.append(testdata::text(QString::fromLatin1(caption), true));
        table.headerRows.append(header);
        for (int i = 0; i < 10000; ++i)
            table.rows.append(testdata::row({testdata::text(QStringLiteral("Patient %1 Peña").arg(i)),
                                             testdata::text(QStringLiteral("Diagnosis %1 São").arg(i % 250)),
                                             testdata::number(i % 31, QStringLiteral("#,##0")),
                                             testdata::number(i * 17.5, QStringLiteral("#,##0.00")),
                                             testdata::number(i * 11.25, QStringLiteral("#,##0.00")),
                                             testdata::number((i % 100) / 100.0, QStringLiteral("0.00"))}));
        d.blocks.append(table);
        return d;
    }();
    return doc;
}

void exportToMemory(benchmark::State &state, int format)
{
    const auto exporter = exporterForFormat(format);
    const ExportDocument &doc = report();
    qint64 bytes = 0;
    for (auto _ : state) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        exporter->write(doc, buffer);
        bytes = buffer.size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = double(bytes);
}

void exportFile(benchmark::State &state, int format)
{
    const ExportDocument &doc = report();
    QTemporaryDir dir;
    const QString path = dir.filePath(format == kFormatExcel8 ? QStringLiteral("r.xls") : QStringLiteral("r.rtf"));
    for (auto _ : state)
        exportToFile(doc, format, path);
}

void BM_ExportXls(benchmark::State &state)
{
    exportToMemory(state, kFormatExcel8);
}
void BM_ExportRtf(benchmark::State &state)
{
    exportToMemory(state, kFormatRichText);
}
void BM_ExportXlsFile(benchmark::State &state)
{
    exportFile(state, kFormatExcel8);
}
void BM_ExportRtfFile(benchmark::State &state)
{
    exportFile(state, kFormatRichText);
}

void BM_AnnualPdfAtScale10(benchmark::State &state)
{
    static const std::unique_ptr<testdata::DemoReports> demo = [] {
        QElapsedTimer timer;
        timer.start();
        auto made = std::make_unique<testdata::DemoReports>(10);
        made->generate(QDate(2025, 1, 1), QDate(2025, 12, 31));
        std::fprintf(stderr, "scale 10 demo hospital with 2025 generated in %.1f s\n",
                     double(timer.elapsed()) / 1000.0);
        return made;
    }();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("annual.pdf"));
    int pages = 0;
    for (auto _ : state) {
        reportengine::PdfBook book;
        book.title = QStringLiteral("DOH Hospital Statistical Report \u2013 Year 2025");
        book.heading = {QStringLiteral("Hospital"), QStringLiteral("DOH Hospital Statistical Report"),
                        QStringLiteral("Year 2025")};
        book.contentsCaption = QStringLiteral("Contents");
        book.pageCaption = QStringLiteral("Page");
        for (const catalogue::ReportFile &entry : catalogue::ReportFiles()) {
            demo->open(entry, QDate(2025, 1, 1), QDate(2025, 12, 31));
            book.parts.append({entry.title, modCrystal::pobjReport->sharedDocument(), QString()});
            modCrystal::pobjReport.reset();
        }
        pages = reportengine::writePdfBook(book, path);
    }
    state.counters["pages"] = pages;
    state.counters["bytes"] = double(QFileInfo(path).size());
}

} // namespace

BENCHMARK(BM_AnnualPdfAtScale10)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_ExportXls)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_ExportRtf)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_ExportXlsFile)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);
BENCHMARK(BM_ExportRtfFile)->Unit(benchmark::kMillisecond)->Repetitions(7)->ReportAggregatesOnly(true);

int main(int argc, char **argv)
{
    return RunWidgetBenchmarks(argc, argv);
}
