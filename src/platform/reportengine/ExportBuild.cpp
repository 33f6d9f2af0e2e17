#include "Fill.h"
#include "ReportEngine.h"

#include "reportexport/ExportDocument.h"

#include <QRegularExpression>

#include <algorithm>
#include <map>

namespace reportengine {

namespace {

using reportexport::ExportCell;
using reportexport::ExportParagraph;
using reportexport::ExportRow;
using reportexport::ExportTable;

ExportCell textCell(const QString &text)
{
    ExportCell cell;
    cell.value = text;
    return cell;
}

// Items of a band grouped into lines by their top, each line left to right.
QList<QList<const BandItem *>> linesOf(const Band &band, bool gridItems)
{
    std::map<long, QList<const BandItem *>> byTop;
    for (const BandItem &item : band.items) {
        if (item.item.kind != DisplayItem::Kind::Text || item.pageDependent)
            continue;
        if ((item.column > 0) != gridItems)
            continue;
        if (!gridItems && item.item.text.trimmed().isEmpty())
            continue;
        byTop[std::lround(item.item.rect.top() * 2)].append(&item);
    }
    QList<QList<const BandItem *>> lines;
    for (auto &[top, items] : byTop) {
        std::stable_sort(items.begin(), items.end(), [](const BandItem *a, const BandItem *b) {
            return a->item.rect.left() < b->item.rect.left();
        });
        lines.append(items);
    }
    return lines;
}

ExportParagraph paragraphOf(const QList<const BandItem *> &line, const Document &doc)
{
    ExportParagraph p;
    QStringList texts;
    bool bold = true;
    for (const BandItem *item : line) {
        texts << item->item.text;
        bold = bold && doc.fonts.value(item->item.font).bold;
    }
    p.text = texts.join(QStringLiteral("  "));
    p.bold = bold;
    p.fontSizePt = doc.fonts.value(line.first()->item.font).sizePt;
    if (line.size() == 1)
        p.align = line.first()->item.align == Align::Center  ? ExportParagraph::Align::Center
                  : line.first()->item.align == Align::Right ? ExportParagraph::Align::Right
                                                             : ExportParagraph::Align::Left;
    return p;
}

ExportRow rowOf(const QList<const BandItem *> &line, const Document &doc, int columns, bool forceBold)
{
    ExportRow row;
    int next = 1;
    for (const BandItem *item : line) {
        if (item->column < next)
            continue; // overlaps a cell already placed
        while (next < item->column) {
            row.cells.append(textCell(QString()));
            ++next;
        }
        ExportCell cell;
        if (item->number)
            cell.value = *item->number;
        else
            cell.value = item->item.text;
        cell.numberFormat = item->number ? item->numberFormat : QString();
        cell.bold = forceBold || doc.fonts.value(item->item.font).bold;
        cell.columnSpan = std::max(1, std::min(item->span, columns - next + 1));
        next += cell.columnSpan;
        row.cells.append(cell);
    }
    while (next <= columns) {
        row.cells.append(textCell(QString()));
        ++next;
    }
    return row;
}

const Band *firstPageHeader(const Document &doc)
{
    for (const Band &b : doc.bands)
        if (b.kind == SectionKind::PageHeader)
            return &b;
    return nullptr;
}

} // namespace

reportexport::ExportDocument buildExportDocument(const Document &doc, Report &report)
{
    const ReportDef &def = report.definition();
    reportexport::ExportDocument out;
    out.title = report.ReportTitle();
    out.author = report.ReportAuthor();
    QString sheet = (out.title.isEmpty() ? def.name : out.title);
    sheet.remove(QRegularExpression(QStringLiteral("[\\[\\]:*?/\\\\]")));
    sheet = sheet.trimmed().left(31).trimmed();
    out.sheetName = sheet.isEmpty() ? QStringLiteral("Report") : sheet;
    out.pageSizePt = def.pageSize;
    out.landscape = def.landscape;
    out.marginPt = def.margins.left();

    int columns = 0;
    for (const Band &band : doc.bands)
        for (const BandItem &item : band.items)
            if (item.column > 0)
                columns = std::max(columns, item.column + item.span - 1);

    ExportTable table;
    for (int c = 0; c < columns; ++c)
        table.columnWidthsPt.append(c < doc.columnWidths.size() && doc.columnWidths[c] > 0 ? doc.columnWidths[c] : 72);
    bool tableStarted = false;
    QList<ExportParagraph> after;
    const auto startTable = [&] { tableStarted = true; };

    for (const Band &band : doc.bands) {
        if (band.kind == SectionKind::PageFooter)
            continue;
        const auto gridLines = linesOf(band, true);
        const auto textLines = linesOf(band, false);
        if (columns == 0) {
            // A report without grid columns exports as text lines.
            if (band.kind != SectionKind::PageHeader || &band == firstPageHeader(doc))
                for (const auto &line : textLines)
                    out.blocks.append(paragraphOf(line, doc));
            continue;
        }
        if (band.kind == SectionKind::PageHeader) {
            for (const auto &line : textLines)
                out.blocks.append(paragraphOf(line, doc));
            for (const auto &line : gridLines)
                table.headerRows.append(rowOf(line, doc, columns, true));
            continue;
        }
        if (band.kind == SectionKind::ReportHeader && !tableStarted) {
            // The header block: title, hospital, period.
            for (const auto &line : textLines)
                out.blocks.append(paragraphOf(line, doc));
            for (const auto &line : gridLines) {
                startTable();
                table.rows.append(rowOf(line, doc, columns, false));
            }
            continue;
        }
        if (band.kind == SectionKind::ReportFooter && (gridLines.isEmpty() || columns == 0)) {
            for (const auto &line : textLines)
                after.append(paragraphOf(line, doc));
            continue;
        }
        startTable();
        // A caption between grid lines (a group's name) becomes a row of its own.
        for (const auto &line : textLines) {
            ExportRow row;
            const ExportParagraph p = paragraphOf(line, doc);
            ExportCell cell = textCell(p.text);
            cell.bold = p.bold;
            cell.columnSpan = std::max(1, columns);
            row.cells.append(cell);
            table.rows.append(row);
        }
        for (const auto &line : gridLines)
            table.rows.append(rowOf(line, doc, columns, false));
    }
    if (columns > 0 && (!table.rows.isEmpty() || !table.headerRows.isEmpty()))
        out.blocks.append(table);
    for (const ExportParagraph &p : after)
        out.blocks.append(p);
    return out;
}

} // namespace reportengine
