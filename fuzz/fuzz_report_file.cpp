// A report file made of any bytes: reading it gives a report or fails with a
// ComError naming the file, never anything else. A file that opens is filled
// (it reaches no database: a query fails for want of a logon), paginated and
// made into the export model, within small fill limits so that each input
// ends quickly.
#include "com/ComError.h"
#include "reportengine/ReportEngine.h"
#include "reportexport/ExportDocument.h"

#include <QGuiApplication>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Filling measures texts, which needs fonts and so an application.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_report_file";
    static char *argv[] = {name, nullptr};
    static QGuiApplication app(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray text = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    std::shared_ptr<reportengine::ReportDef> def;
    try {
        def = reportengine::readReportText(text, QStringLiteral("fuzz.rpt"));
    } catch (const com::ComError &) {
        return 0;
    }
    reportengine::FillLimits limits;
    limits.maxPrintedItems = 20000;
    limits.maxPrintedCharacters = 1000000;
    limits.timeLimitMs = 2000;
    try {
        auto report = std::make_shared<reportengine::Report>(def, nullptr);
        report->setFillLimits(limits);
        report->document();
        report->exportDocument();
    } catch (const com::ComError &) {
    }
    return 0;
}
