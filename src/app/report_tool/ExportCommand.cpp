#include "Commands.h"

#include "Arguments.h"
#include "Console.h"

#include "buildfile/Sections.h"
#include "catalogue/ReportCatalogue.h"
#include "catalogue/ReportFiles.h"
#include "reporting/modCrystal.h"
#include "startup/modSysConstants.h"

#include "reportengine/ReportEngine.h"

#include <QDir>
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

// A path with its links resolved, as far as it exists: a file not written
// yet is named from its nearest existing folder, a link to one by its target.
QString resolvedPath(const QString &path, int links = 0)
{
    QFileInfo info(QFileInfo(path).absoluteFilePath());
    QString rest;
    while (!info.exists() && !info.isRoot()) {
        if (info.isSymLink() && links < 40)
            return resolvedPath(info.symLinkTarget() + rest, links + 1);
        rest = QLatin1Char('/') + info.fileName() + rest;
        info.setFile(info.absolutePath());
    }
    return QDir::cleanPath(info.canonicalFilePath() + rest);
}

// An export written into the store's own folder could replace one of its
// databases or journals: it is refused, through whatever links the path takes.
void refuseOutputInsideStore(const Arguments &args, const QString &target)
{
    if (!args.server.isEmpty() || !modSysConstants::pobjCurrentUser)
        return;
    const QString store = resolvedPath(modSysConstants::pobjCurrentUser->ServerName());
    const QString file = resolvedPath(target);
    if (file == store || file.startsWith(store + QLatin1Char('/')))
        throw Stop{kBadArguments, QStringLiteral("The file '%1' is inside the store folder '%2': write the export "
                                                 "to a file outside it.")
                                      .arg(target, store)};
}

} // namespace

int exportReport(adodb::Connection &connection, const Arguments &args)
{
    const catalogue::ReportItem *item = namedSections(args.sections).first();
    const Period period = periodOf(args.year, args.period);
    refuseOutputInsideStore(args, QFileInfo(args.output).absoluteFilePath());
    const catalogue::ReportFile *entry = catalogue::FindReportFile(item->title);
    if (!entry)
        throw Stop{kWorkFailed, QStringLiteral("The report item '%1' has no report file.").arg(item->title)};
    // As Print does: a section other than the list's first needs its data.
    const bool firstListed = buildfile::ListedSections().constFirst() == item;
    if (!firstListed && !buildfile::LastUpdatedTimes(connection, period.firstDate, period.lastDate)
                             .contains(catalogue::GetReportID(item->title)))
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
    const int pages = modCrystal::pobjReport->pageCount();
    modCrystal::pobjReport.reset();
    out() << QStringLiteral("Wrote %1: %2 for %3, %4 page(s).").arg(target, item->title, period.name).arg(pages)
          << Qt::endl;
    return kSucceeded;
}

} // namespace reporttool
