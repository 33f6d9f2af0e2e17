#include "Commands.h"

#include "Arguments.h"
#include "Console.h"

#include "buildfile/Sections.h"
#include "catalogue/ReportCatalogue.h"
#include "catalogue/ReportFiles.h"
#include "reporting/ExportRecord.h"
#include "reporting/modCrystal.h"

#include "reportengine/ReportEngine.h"

#include <QFileInfo>

namespace reporttool {

namespace {

int formatType(const QString &name)
{
    if (name == u"xls")
        return reportengine::crEFTExcel80;
    if (name == u"rtf")
        return reportengine::crEFTRichText;
    return reportengine::crEFTPortableDocFormat;
}

} // namespace

int exportReport(adodb::Connection &connection, const Arguments &args)
{
    const catalogue::ReportItem *item = namedSections(args.sections).first();
    const Period period = periodOf(args.year, args.period);
    const catalogue::ReportFile *entry = catalogue::FindReportFile(item->title);
    if (!entry)
        throw Stop{kWorkFailed, QStringLiteral("The report item '%1' has no report file.").arg(item->title)};
    // As Print does: a section other than the list's first needs its data.
    const bool firstListed = buildfile::ListedSections().constFirst() == item;
    if (!firstListed &&
        !buildfile::SectionGenerations(connection, period.firstDate, period.lastDate).value(item->title).isGenerated())
        throw Stop{
            kWorkFailed,
            QStringLiteral("Generate data first for the specified year/month before a report can be generated.")};

    const QString target = QFileInfo(args.output).absoluteFilePath();
    buildfile::OpenSectionReport(*entry, args.year, period.firstDate, period.lastDate);
    reportengine::ExportOptions &options = modCrystal::pobjReport->ExportOptions();
    options.DestinationType = reportengine::crEDTDiskFile;
    options.FormatType = formatType(args.format);
    options.DiskFileName = target;
    modCrystal::pobjReport->Export(false);
    reporting::RecordExport(*modCrystal::pobjReport, options.FormatType, target);
    const int pages = modCrystal::pobjReport->pageCount();
    modCrystal::pobjReport.reset();
    out() << QStringLiteral("Wrote %1: %2 for %3, %4 page(s).").arg(target, item->title, period.name).arg(pages)
          << Qt::endl;
    return kSucceeded;
}

} // namespace reporttool
