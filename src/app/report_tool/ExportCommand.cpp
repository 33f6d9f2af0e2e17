#include "Commands.h"

#include "Arguments.h"
#include "Console.h"

#include "buildfile/Sections.h"
#include "catalogue/ReportCatalogue.h"
#include "catalogue/ReportFiles.h"
#include "reporting/ExportRecord.h"
#include "reporting/modCrystal.h"

#include "reporting/CommonDialog.h"
#include "startup/modSysConstants.h"

#include "com/Runtime.h"
#include "reportengine/Painter.h"
#include "reportengine/ReportEngine.h"
#include "reportexport/ExportDocument.h"
#include "reportexport/Exporter.h"

#include <QDir>
#include <QFileInfo>

#include <optional>

namespace reporttool {

namespace {

const QString kDocumentTitle = QStringLiteral("DOH Hospital Statistical Report");
const QString kNotGenerated = QStringLiteral("not generated");

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

// One section of the period's document: its report item and, when it was
// generated, its filled pages (PDF) or its worksheet (xls).
struct PeriodPart
{
    const catalogue::ReportItem *item = nullptr;
    std::shared_ptr<const reportengine::Document> pages;
    std::optional<reportexport::ExportDocument> sheet;
};

// Every listed section, in the window's order; a section is in the document
// when Print would show it (the first always, the others once generated).
QList<PeriodPart> periodParts(adodb::Connection &connection, const Arguments &args, const Period &period, bool pdf)
{
    const QHash<QString, buildfile::SectionGeneration> generations =
        buildfile::SectionGenerations(connection, period.firstDate, period.lastDate);
    const QList<const catalogue::ReportItem *> listed = buildfile::ListedSections();
    QList<PeriodPart> parts;
    for (const catalogue::ReportItem *item : listed) {
        PeriodPart part{item, nullptr, std::nullopt};
        const catalogue::ReportFile *entry = catalogue::FindReportFile(item->title);
        if (!entry)
            throw Stop{kWorkFailed, QStringLiteral("The report item '%1' has no report file.").arg(item->title)};
        if (item == listed.constFirst() || generations.value(item->title).isGenerated()) {
            buildfile::OpenSectionReport(*entry, args.year, period.firstDate, period.lastDate);
            if (pdf) {
                part.pages = modCrystal::pobjReport->sharedDocument();
            } else {
                part.sheet = modCrystal::pobjReport->exportDocument();
                part.sheet->sheetName = reporting::SectionShortName(item->title);
            }
            modCrystal::pobjReport.reset();
        }
        parts.append(part);
    }
    return parts;
}

// The workbook's first sheet: every section with its sheet, or "not
// generated".
reportexport::ExportDocument contentsSheet(const QList<PeriodPart> &parts, const QString &periodName)
{
    using reportexport::ExportCell;
    reportexport::ExportDocument contents;
    contents.sheetName = QStringLiteral("Contents");
    contents.fontFamily = QStringLiteral("DejaVu Sans");
    contents.fontSizePt = 9;
    const auto paragraph = [&](const QString &text, bool bold, double size) {
        reportexport::ExportParagraph p;
        p.text = text;
        p.bold = bold;
        p.fontSizePt = size;
        contents.blocks.append(p);
    };
    paragraph(modSysConstants::pstrHospitalName, true, 12);
    paragraph(kDocumentTitle, true, 10);
    paragraph(periodName, false, 9);
    const auto cell = [](const QString &text, bool italic = false) {
        ExportCell c;
        c.value = text;
        c.italic = italic;
        return c;
    };
    reportexport::ExportTable table;
    table.columnWidthsPt = {340, 150};
    table.headerRows.append({{cell(QStringLiteral("Section")), cell(QStringLiteral("Sheet"))}});
    for (const PeriodPart &part : parts)
        table.rows.append({{cell(part.item->title), part.sheet ? cell(reporting::SectionShortName(part.item->title))
                                                               : cell(kNotGenerated, true)}});
    contents.blocks.append(table);
    return contents;
}

// Writes every section of the period into one file: a PDF with a contents
// page and a bookmark per section, or a workbook with a sheet per section.
int exportPeriod(adodb::Connection &connection, const Arguments &args)
{
    const Period period = periodOf(args.year, args.period);
    const QString target = QFileInfo(args.output).absoluteFilePath();
    refuseOutputInsideStore(args, target);
    const bool pdf = args.format == u"pdf";
    const QList<PeriodPart> parts = periodParts(connection, args, period, pdf);
    const QString periodName =
        reportengine::periodName(com::ParseDate(period.firstDate)->date(), com::ParseDate(period.lastDate)->date());
    const QString dash = QStringLiteral(" \u2013 ");

    int pages = 0;
    if (pdf) {
        reportengine::PdfBook book;
        book.title = kDocumentTitle + dash + periodName;
        book.author = modSysConstants::pstrHospitalName;
        book.subject = QStringLiteral("DOH hospital statistical report") + dash + periodName;
        book.heading = {modSysConstants::pstrHospitalName, kDocumentTitle, periodName};
        if (!modSysConstants::pstrHospitalAddress1.trimmed().isEmpty())
            book.heading.insert(1, modSysConstants::pstrHospitalAddress1);
        book.contentsCaption = QStringLiteral("Contents");
        book.pageCaption = QStringLiteral("Page");
        for (const PeriodPart &part : parts)
            book.parts.append({part.item->title, part.pages, kNotGenerated});
        pages = reportengine::writePdfBook(book, target);
    } else {
        QList<reportexport::ExportDocument> sheets{contentsSheet(parts, periodName)};
        for (const PeriodPart &part : parts)
            if (part.sheet)
                sheets.append(*part.sheet);
        reportexport::exportWorkbookToFile(sheets, target);
    }

    QStringList missing;
    for (const PeriodPart &part : parts) {
        if (!part.pages && !part.sheet)
            missing.append(part.item->title);
        else
            reporting::RecordExport(part.item->title, period.firstDate, period.lastDate, formatType(args.format),
                                    target);
    }
    const qsizetype written = parts.size() - missing.size();
    QString line = QStringLiteral("Wrote %1: %2 of %3 sections for %4")
                       .arg(target)
                       .arg(written)
                       .arg(parts.size())
                       .arg(period.name);
    line += pdf ? QStringLiteral(", %1 page(s).").arg(pages) : QStringLiteral(", a sheet each.");
    out() << line << Qt::endl;
    for (const QString &title : missing)
        out() << QStringLiteral("Not generated for %1: %2").arg(period.name, title) << Qt::endl;
    return kSucceeded;
}

} // namespace

int exportReport(adodb::Connection &connection, const Arguments &args)
{
    if (args.all)
        return exportPeriod(connection, args);
    const catalogue::ReportItem *item = namedSections(args.sections).first();
    const Period period = periodOf(args.year, args.period);
    refuseOutputInsideStore(args, QFileInfo(args.output).absoluteFilePath());
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
