#include "Fill.h"
#include "Painter.h"
#include "ReportEngine.h"

#include "reportexport/ExportDocument.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <map>

namespace reportengine {

namespace {

using reportexport::ExportCell;
using reportexport::ExportParagraph;
using reportexport::ExportRow;
using reportexport::ExportTable;

// An office program draws a cell's text with metrics of its own and pads the
// cell on both sides; a column measured at the report's font gets this much
// more, so that no figure shows as "###" and no heading word breaks.
constexpr double kWidthSafety = 1.12;
constexpr double kCellPaddingPt = 6;
// The line height an office program gives a font size.
constexpr double kLineHeight = 1.3;

ExportCell textCell(const QString &text)
{
    ExportCell cell;
    cell.value = text;
    return cell;
}

ExportCell::Align cellAlign(Align align)
{
    switch (align) {
    case Align::Center:
        return ExportCell::Align::Center;
    case Align::Right:
        return ExportCell::Align::Right;
    case Align::Left:
        break;
    }
    return ExportCell::Align::Left;
}

// A band's printed texts as lines, by their top, each left to right: a line
// holds grid items (with a column) and free texts (without one).
struct Line
{
    QList<const BandItem *> grid;
    QList<const BandItem *> free;
};

QList<Line> linesOf(const Band &band)
{
    std::map<long, Line> byTop;
    for (const BandItem &item : band.items) {
        if (item.item.kind != DisplayItem::Kind::Text || item.pageDependent)
            continue;
        if (item.column == 0 && item.item.text.trimmed().isEmpty())
            continue;
        Line &line = byTop[std::lround(item.item.rect.top() * 2)];
        (item.column > 0 ? line.grid : line.free).append(&item);
    }
    const auto leftToRight = [](const BandItem *a, const BandItem *b) {
        return a->item.rect.left() < b->item.rect.left();
    };
    QList<Line> lines;
    for (auto &[top, line] : byTop) {
        std::stable_sort(line.grid.begin(), line.grid.end(), leftToRight);
        std::stable_sort(line.free.begin(), line.free.end(), leftToRight);
        lines.append(line);
    }
    return lines;
}

ExportParagraph paragraphOf(const QList<const BandItem *> &line, const Document &doc)
{
    ExportParagraph p;
    QStringList texts;
    bool bold = true;
    bool italic = true;
    for (const BandItem *item : line) {
        texts << item->item.text;
        bold = bold && doc.fonts.value(item->item.font).bold;
        italic = italic && doc.fonts.value(item->item.font).italic;
    }
    p.text = texts.join(QStringLiteral("  "));
    p.bold = bold;
    p.italic = italic;
    p.fontSizePt = doc.fonts.value(line.first()->item.font).sizePt;
    p.wrap = line.size() == 1 && line.first()->item.wrap;
    if (line.size() == 1)
        p.align = line.first()->item.align == Align::Center  ? ExportParagraph::Align::Center
                  : line.first()->item.align == Align::Right ? ExportParagraph::Align::Right
                                                             : ExportParagraph::Align::Left;
    return p;
}

ExportCell cellOf(const BandItem &item, const Document &doc, bool forceBold)
{
    ExportCell cell;
    if (item.number)
        cell.value = *item.number;
    else
        cell.value = item.item.text;
    cell.numberFormat = item.number ? item.numberFormat : QString();
    const FontDef font = doc.fonts.value(item.item.font);
    cell.bold = forceBold || font.bold;
    cell.italic = font.italic;
    cell.fontSizePt = font.sizePt;
    cell.align = cellAlign(item.item.align);
    cell.wrap = item.item.wrap;
    return cell;
}

// A line of the grid as a row: each grid item in its column; a free text on
// the line (a value printed beside its caption, as "Provincial" after
// "Local:") joins the cell on its left, or takes the blank cell it stands in.
ExportRow rowOf(const Line &line, const Document &doc, int columns, bool forceBold)
{
    QList<ExportCell> cells(columns, textCell(QString()));
    QList<bool> covered(columns, false); // inside a wider cell
    QList<int> owner(columns, -1);       // the column whose cell covers this one
    for (const BandItem *item : line.grid) {
        const int c = item->column - 1;
        if (c >= columns || covered[c])
            continue; // overlaps a cell already placed
        cells[c] = cellOf(*item, doc, forceBold);
        cells[c].columnSpan = std::max(1, std::min(item->span, columns - c));
        for (int k = c; k < c + cells[c].columnSpan; ++k) {
            covered[k] = true;
            owner[k] = c;
        }
    }
    for (const BandItem *item : line.free) {
        const BandItem *left = nullptr;
        for (const BandItem *g : line.grid)
            if (g->item.rect.left() <= item->item.rect.left() && g->column - 1 < columns && owner[g->column - 1] >= 0)
                left = g;
        const int c = left ? owner[left->column - 1] : -1;
        if (c >= 0 && !cells[c].isNumber()) {
            QString &text = std::get<QString>(cells[c].value);
            text = text.isEmpty() ? item->item.text : text + QLatin1Char(' ') + item->item.text;
            continue;
        }
        const int free = int(std::find(covered.begin() + std::max(0, c + 1), covered.end(), false) - covered.begin());
        if (free < columns) {
            cells[free] = cellOf(*item, doc, forceBold);
            covered[free] = true;
            owner[free] = free;
        }
    }
    ExportRow row;
    for (int c = 0; c < columns;) {
        row.cells.append(cells[c]);
        c += covered[c] && owner[c] == c ? cells[c].columnSpan : 1;
    }
    return row;
}

// A row of its own for a caption between grid lines (a group's name, a
// note), across the table.
ExportRow captionRow(const Line &line, const Document &doc, int columns)
{
    const ExportParagraph p = paragraphOf(line.free, doc);
    ExportCell cell = textCell(p.text);
    cell.bold = p.bold;
    cell.italic = p.italic;
    cell.fontSizePt = p.fontSizePt;
    cell.align = p.align == ExportParagraph::Align::Center  ? ExportCell::Align::Center
                 : p.align == ExportParagraph::Align::Right ? ExportCell::Align::Right
                                                            : ExportCell::Align::Left;
    cell.wrap = line.free.size() == 1 && line.free.first()->item.wrap;
    cell.columnSpan = std::max(1, columns);
    ExportRow row;
    row.cells.append(cell);
    return row;
}

const Band *firstPageHeader(const Document &doc)
{
    for (const Band &b : doc.bands)
        if (b.kind == SectionKind::PageHeader)
            return &b;
    return nullptr;
}

// What a cell needs across: its whole text, or for a wrapping text (or,
// with words, any text) its longest word, at the cell's font.
double neededWidth(const ExportCell &cell, const QString &family, bool words)
{
    const QString shown =
        cell.isNumber() ? formatNumber(std::get<double>(cell.value), cell.numberFormat) : std::get<QString>(cell.value);
    if (shown.trimmed().isEmpty())
        return 0;
    const FontDef font{family, cell.fontSizePt > 0 ? cell.fontSizePt : 9, cell.bold, cell.italic};
    double widest = 0;
    if (cell.wrap || (words && !cell.isNumber())) {
        static const QRegularExpression blanks(QStringLiteral("\\s+"));
        for (const QString &word : shown.split(blanks, Qt::SkipEmptyParts))
            widest = std::max(widest, measureTextWidth(font, word));
    } else {
        for (const QString &part : shown.split(QLatin1Char('\n')))
            widest = std::max(widest, measureTextWidth(font, part));
    }
    return widest * kWidthSafety + kCellPaddingPt;
}

// Widens the columns so that every value and every heading word fits: one
// column's cells first, then the cells across several columns, which share
// what they still lack among their columns. The least widths are found the
// same way with every text wrapped at its words.
void fitColumns(ExportTable &table, const QString &family)
{
    const int columns = int(table.columnWidthsPt.size());
    table.minimumWidthsPt = QList<double>(columns, 0);
    for (QList<double> *widths : {&table.columnWidthsPt, &table.minimumWidthsPt}) {
        const bool words = widths == &table.minimumWidthsPt;
        QList<std::tuple<int, int, double>> wide; // first column, span, width
        for (const QList<ExportRow> *rows : {&table.headerRows, &table.rows})
            for (const ExportRow &row : *rows) {
                int c = 0;
                for (const ExportCell &cell : row.cells) {
                    const int span = std::max(1, cell.columnSpan);
                    if (c >= columns)
                        break;
                    const double needed = neededWidth(cell, family, words);
                    if (span == 1)
                        (*widths)[c] = std::max((*widths)[c], needed);
                    else if (span < columns) // a caption across the table wraps there
                        wide.append({c, std::min(span, columns - c), needed});
                    c += span;
                }
            }
        for (const auto &[first, span, needed] : wide) {
            double has = 0;
            for (int k = first; k < first + span; ++k)
                has += (*widths)[k];
            if (has < needed)
                for (int k = first; k < first + span; ++k)
                    (*widths)[k] += (needed - has) / span;
        }
    }
    for (int c = 0; c < columns; ++c)
        table.minimumWidthsPt[c] = std::min(table.minimumWidthsPt[c], table.columnWidthsPt[c]);
}

// The lines a wrapping text takes in a cell of that width: its height over
// one line's (a text of n lines is a little more than n lines high).
int wrappedLines(const FontDef &font, const QString &text, double width)
{
    const double usable = std::max(1.0, width - kCellPaddingPt);
    return std::max(1, int(std::lround(measureTextHeight(font, text, usable, Align::Left) /
                                       measureTextHeight(font, QStringLiteral("X"), usable, Align::Left))));
}

// A paragraph is as high as its lines across the sheet's width (one unless
// it wraps), with the room under them that a row of cells has.
void fitParagraphHeights(QList<std::variant<ExportParagraph, ExportTable>> &blocks, double width,
                         const QString &family)
{
    for (auto &block : blocks)
        if (auto *p = std::get_if<ExportParagraph>(&block); p && !p->text.isEmpty()) {
            const FontDef font{family, p->fontSizePt > 0 ? p->fontSizePt : 9, p->bold, p->italic};
            const int lines = p->wrap ? wrappedLines(font, p->text, width) : 1;
            p->heightPt = std::ceil(lines * font.sizePt * kLineHeight + 2);
        }
}

// The height a row needs in an office program: its tallest cell, a wrapping
// text as many lines as it takes at its columns' width.
void fitRowHeights(ExportTable &table, const QString &family)
{
    for (QList<ExportRow> *rows : {&table.headerRows, &table.rows})
        for (ExportRow &row : *rows) {
            double height = 0;
            int c = 0;
            for (const ExportCell &cell : row.cells) {
                const int span = std::max(1, cell.columnSpan);
                double width = 0;
                for (int k = c; k < c + span && k < table.columnWidthsPt.size(); ++k)
                    width += table.columnWidthsPt[k];
                c += span;
                const double size = cell.fontSizePt > 0 ? cell.fontSizePt : 9;
                const int lines = cell.wrap && !cell.isNumber()
                                      ? wrappedLines(FontDef{family, size, cell.bold, cell.italic},
                                                     std::get<QString>(cell.value), width)
                                      : 1;
                height = std::max(height, lines * size * kLineHeight + 2);
            }
            row.heightPt = std::ceil(height);
        }
}

QString reportFamily(const Document &doc)
{
    for (const FontDef &f : doc.fonts)
        if (!f.family.isEmpty())
            return f.family;
    return QStringLiteral("DejaVu Sans");
}

} // namespace

reportexport::ExportDocument buildExportDocument(const Document &doc, Report &report)
{
    const ReportDef &def = report.definition();
    reportexport::ExportDocument out;
    out.title = report.ReportTitle();
    out.author = report.ReportAuthor();
    out.subject = report.ReportSubject();
    QString sheet = (out.title.isEmpty() ? def.name : out.title);
    sheet.remove(QRegularExpression(QStringLiteral("[\\[\\]:*?/\\\\]")));
    sheet = sheet.trimmed().left(31).trimmed();
    out.sheetName = sheet.isEmpty() ? QStringLiteral("Report") : sheet;
    out.pageSizePt = def.pageSize;
    out.landscape = def.landscape;
    out.marginPt = def.margins.left();
    out.fontFamily = reportFamily(doc);
    out.fontSizePt = def.font.sizePt;

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

    for (const Band &band : doc.bands) {
        if (band.kind == SectionKind::PageFooter)
            continue;
        const QList<Line> lines = linesOf(band);
        if (columns == 0) {
            // A report without grid columns exports as text lines.
            if (band.kind != SectionKind::PageHeader || &band == firstPageHeader(doc))
                for (const Line &line : lines)
                    out.blocks.append(paragraphOf(line.free, doc));
            continue;
        }
        const bool hasGrid = std::any_of(lines.cbegin(), lines.cend(), [](const Line &l) { return !l.grid.isEmpty(); });
        if (band.kind == SectionKind::ReportFooter && !hasGrid) {
            for (const Line &line : lines)
                after.append(paragraphOf(line.free, doc));
            continue;
        }
        // Lines in their order on the page: before the table starts a free
        // line is a heading paragraph (the header block: title, hospital,
        // period), inside it a row of its own.
        for (const Line &line : lines) {
            if (band.kind == SectionKind::PageHeader) {
                if (!line.grid.isEmpty())
                    table.headerRows.append(rowOf(line, doc, columns, true));
                else
                    out.blocks.append(paragraphOf(line.free, doc));
            } else if (!line.grid.isEmpty()) {
                tableStarted = true;
                table.rows.append(rowOf(line, doc, columns, false));
            } else if (!tableStarted && band.kind == SectionKind::ReportHeader) {
                out.blocks.append(paragraphOf(line.free, doc));
            } else {
                tableStarted = true;
                table.rows.append(captionRow(line, doc, columns));
            }
        }
    }
    if (columns > 0 && (!table.rows.isEmpty() || !table.headerRows.isEmpty())) {
        fitColumns(table, out.fontFamily);
        fitRowHeights(table, out.fontFamily);
        out.blocks.append(table);
    }
    for (const ExportParagraph &p : after)
        out.blocks.append(p);
    double width = 0;
    for (const double w : table.columnWidthsPt)
        width += w;
    if (width <= 0) // text lines only: the page's width inside its margins
        width = (def.landscape ? def.pageSize.height() : def.pageSize.width()) - 2 * out.marginPt;
    fitParagraphHeights(out.blocks, width, out.fontFamily);
    return out;
}

} // namespace reportengine
