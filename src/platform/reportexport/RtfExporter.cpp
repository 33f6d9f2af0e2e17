#include "RtfExporter.h"

#include "NumberText.h"

#include "com/ComError.h"

#include <QIODevice>

#include <algorithm>
#include <cmath>

namespace reportexport {

namespace {

int twips(double pt)
{
    return int(std::lround(pt * 20));
}

void appendNumber(QByteArray &out, long long value)
{
    out.append(QByteArray::number(value));
}

// A whole grid border on each side of a cell.
constexpr char kCellBorders[] = "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10"
                                "\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10";

const char *alignWord(ExportParagraph::Align align)
{
    switch (align) {
    case ExportParagraph::Align::Center:
        return "\\qc";
    case ExportParagraph::Align::Right:
        return "\\qr";
    case ExportParagraph::Align::Left:
        break;
    }
    return "\\ql";
}

// A font size in RTF's half points.
long halfPoints(double sizePt)
{
    return std::lround(std::clamp(sizePt, 1.0, 1638.0) * 2);
}

void appendParagraph(QByteArray &out, const ExportParagraph &paragraph)
{
    out.append("\\pard\\plain\\f0\\fs");
    appendNumber(out, halfPoints(paragraph.fontSizePt));
    out.append(alignWord(paragraph.align));
    if (paragraph.bold)
        out.append("\\b");
    if (paragraph.italic)
        out.append("\\i");
    out.append(' ');
    appendRtfText(out, paragraph.text);
    out.append("\\par\n");
}

int columnCount(const ExportTable &table)
{
    int columns = int(table.columnWidthsPt.size());
    for (const QList<ExportRow> *rows : {&table.headerRows, &table.rows})
        for (const ExportRow &row : *rows) {
            int n = 0;
            for (const ExportCell &cell : row.cells)
                n += std::max(1, cell.columnSpan);
            columns = std::max(columns, n);
        }
    return columns;
}

// A cell's paragraph alignment: the report's, or numbers to the right and
// merged cells centred when it gives none.
const char *cellAlignWord(const ExportCell &cell)
{
    switch (cell.align) {
    case ExportCell::Align::Left:
        return "\\ql";
    case ExportCell::Align::Center:
        return "\\qc";
    case ExportCell::Align::Right:
        return "\\qr";
    case ExportCell::Align::General:
        break;
    }
    return cell.isNumber() ? "\\qr" : cell.columnSpan > 1 ? "\\qc" : "\\ql";
}

// A table wider than the page gives up room where its texts can wrap: each
// column shrinks in proportion to what it has beyond its least width, never
// below it (a page narrower than every least width leaves the table wider).
void fitToPage(QList<double> &widths, const QList<double> &minimum, double printableWidthPt)
{
    double total = 0, slack = 0;
    for (qsizetype c = 0; c < widths.size(); ++c) {
        total += widths[c];
        if (c < minimum.size())
            slack += std::max(0.0, widths[c] - minimum[c]);
    }
    if (total <= printableWidthPt || slack <= 0)
        return;
    const double keep = std::max(0.0, 1.0 - (total - printableWidthPt) / slack);
    for (qsizetype c = 0; c < widths.size() && c < minimum.size(); ++c)
        if (widths[c] > minimum[c])
            widths[c] = minimum[c] + (widths[c] - minimum[c]) * keep;
}

void appendTable(QByteArray &out, const ExportTable &table, double printableWidthPt, double fontSizePt)
{
    const int columns = columnCount(table);
    if (columns == 0)
        return;
    // Right edges of the columns in twips; columns without a width share
    // what the given widths leave of the printable width.
    double given = 0;
    int missing = 0;
    for (int c = 0; c < columns; ++c) {
        if (c < table.columnWidthsPt.size() && table.columnWidthsPt[c] > 0)
            given += table.columnWidthsPt[c];
        else
            ++missing;
    }
    const double share = missing ? std::max(36.0, (printableWidthPt - given) / missing) : 0;
    QList<double> widths;
    for (int c = 0; c < columns; ++c)
        widths.append(c < table.columnWidthsPt.size() && table.columnWidthsPt[c] > 0 ? table.columnWidthsPt[c] : share);
    fitToPage(widths, table.minimumWidthsPt, printableWidthPt);
    QList<int> edges;
    double x = 0;
    for (int c = 0; c < columns; ++c) {
        x += widths[c];
        edges.append(twips(x));
    }

    // Consecutive rows mostly share their cell layout: the row definition
    // is built once per layout.
    QByteArray definition;
    QList<int> definitionEdges;
    bool definitionHeader = false;
    QList<int> rowEdges;
    long currentSize = halfPoints(fontSizePt);
    auto appendRow = [&](const ExportRow &row, bool header) {
        rowEdges.clear();
        int column = 0;
        for (const ExportCell &cell : row.cells) {
            if (column >= columns)
                break;
            column = std::min(columns, column + std::max(1, cell.columnSpan));
            rowEdges.append(edges[column - 1]);
        }
        if (rowEdges.isEmpty())
            rowEdges.append(edges.last()); // an empty line: one empty cell across the table
        if (definition.isEmpty() || rowEdges != definitionEdges || header != definitionHeader) {
            // A narrow gap between cells: the columns were measured to hold
            // their texts with little room to spare.
            definition = "\\trowd\\trgaph40\\trleft-40";
            if (header)
                definition.append("\\trhdr");
            for (int edge : rowEdges) {
                definition.append(kCellBorders);
                definition.append("\\cellx");
                definition.append(QByteArray::number(edge));
            }
            definition.append('\n');
            definitionEdges = rowEdges;
            definitionHeader = header;
        }
        out.append(definition);
        if (row.cells.isEmpty())
            out.append("\\pard\\intbl\\cell\n");
        for (qsizetype i = 0; i < rowEdges.size() && i < row.cells.size(); ++i) {
            const ExportCell &cell = row.cells.at(i);
            const bool bold = header || cell.bold;
            out.append("\\pard\\intbl");
            out.append(cellAlignWord(cell));
            // Character formatting carries on from cell to cell: the size
            // is written where it changes.
            const long size = halfPoints(cell.fontSizePt > 0 ? cell.fontSizePt : fontSizePt);
            if (size != currentSize) {
                out.append("\\fs");
                appendNumber(out, size);
                currentSize = size;
            }
            if (bold)
                out.append("\\b");
            if (cell.italic)
                out.append("\\i");
            out.append(' ');
            if (cell.isNumber())
                out.append(formatNumber(std::get<double>(cell.value), cell.numberFormat).toLatin1());
            else
                appendRtfText(out, std::get<QString>(cell.value));
            out.append(bold ? "\\b0" : "");
            out.append(cell.italic ? "\\i0\\cell\n" : "\\cell\n");
        }
        out.append("\\row\n");
    };
    // Cells take the table's character formatting; \pard keeps it.
    out.append("\\pard\\plain\\f0\\fs");
    appendNumber(out, halfPoints(fontSizePt));
    out.append('\n');
    for (const ExportRow &row : table.headerRows)
        appendRow(row, true);
    for (const ExportRow &row : table.rows)
        appendRow(row, false);
    out.append("\\pard\\plain\n");
}

// The code page 1252 byte of a character, or '?' when it has none.
unsigned char ansiFallback(char16_t c)
{
    if (c >= 0xA0 && c <= 0xFF)
        return static_cast<unsigned char>(c);
    static const char16_t high[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    for (int i = 0; i < 32; ++i)
        if (high[i] == c)
            return static_cast<unsigned char>(0x80 + i);
    return '?';
}

} // namespace

QByteArray rtfText(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() + 8);
    appendRtfText(out, text);
    return out;
}

void appendRtfText(QByteArray &out, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        switch (c) {
        case u'\\':
            out.append("\\\\");
            break;
        case u'{':
            out.append("\\{");
            break;
        case u'}':
            out.append("\\}");
            break;
        case u'\t':
            out.append("\\tab ");
            break;
        case u'\r':
            if (i + 1 < text.size() && text.at(i + 1) == u'\n')
                ++i;
            out.append("\\line ");
            break;
        case u'\n':
            out.append("\\line ");
            break;
        default:
            if (c < 0x20)
                break; // other control characters have no place in a report text
            if (c < 0x80) {
                out.append(char(c));
            } else {
                // \uN takes a signed 16-bit number. The fallback for readers
                // without Unicode (\uc1: one character) is the character's
                // code page 1252 byte, or '?', written as \'hh: a bare '?'
                // followed by letters makes some readers drop those letters.
                out.append("\\u");
                appendNumber(out, c > 32767 ? int(c) - 65536 : int(c));
                out.append("\\'");
                out.append(QByteArray(1, char(ansiFallback(c))).toHex());
            }
        }
    }
}

QByteArray RtfExporter::document(const ExportDocument &document)
{
    QByteArray out;
    out.reserve(4096);
    out.append("{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1\n"
               "{\\fonttbl{\\f0\\fswiss\\fcharset0 ");
    appendRtfText(out, document.fontFamily.isEmpty() ? QStringLiteral("Arial") : document.fontFamily);
    out.append(";}}\n"
               "{\\colortbl;\\red0\\green0\\blue0;}\n");
    if (!document.title.isEmpty() || !document.author.isEmpty() || !document.subject.isEmpty()) {
        out.append("{\\info");
        if (!document.title.isEmpty())
            out.append("{\\title ").append(rtfText(document.title)).append('}');
        if (!document.subject.isEmpty())
            out.append("{\\subject ").append(rtfText(document.subject)).append('}');
        if (!document.author.isEmpty())
            out.append("{\\author ").append(rtfText(document.author)).append('}');
        out.append("}\n");
    }

    // The page: its portrait size turned for landscape, margins, in twips.
    const QSizeF portrait = document.pageSizePt;
    const double widthPt = document.landscape ? portrait.height() : portrait.width();
    const double heightPt = document.landscape ? portrait.width() : portrait.height();
    const int margin = twips(std::max(0.0, document.marginPt));
    QByteArray page;
    page.append("\\paperw" + QByteArray::number(twips(widthPt)));
    page.append("\\paperh" + QByteArray::number(twips(heightPt)));
    for (const char *side : {"\\margl", "\\margr", "\\margt", "\\margb"})
        page.append(side + QByteArray::number(margin));
    out.append(page);
    if (document.landscape)
        out.append("\\landscape");
    out.append("\n\\sectd");
    if (document.landscape)
        out.append("\\lndscpsxn");
    out.append("\\pgwsxn" + QByteArray::number(twips(widthPt)));
    out.append("\\pghsxn" + QByteArray::number(twips(heightPt)));
    for (const char *side : {"\\marglsxn", "\\margrsxn", "\\margtsxn", "\\margbsxn"})
        out.append(side + QByteArray::number(margin));
    out.append('\n');

    const double printableWidthPt = std::max(72.0, widthPt - 2 * std::max(0.0, document.marginPt));
    for (const auto &block : document.blocks) {
        if (const auto *paragraph = std::get_if<ExportParagraph>(&block))
            appendParagraph(out, *paragraph);
        else
            appendTable(out, std::get<ExportTable>(block), printableWidthPt, document.fontSizePt);
    }
    out.append("}\n");
    return out;
}

void RtfExporter::write(const ExportDocument &document, QIODevice &device) const
{
    const QByteArray bytes = RtfExporter::document(document);
    if (device.write(bytes) != bytes.size())
        throw com::ComError(75, QStringLiteral("The document could not be written: %1").arg(device.errorString()));
}

} // namespace reportexport
