#pragma once

#include <QList>
#include <QSizeF>
#include <QString>

#include <variant>

namespace reportexport {

// A report's filled and paginated content in the shape the exporters write:
// the header block as paragraphs, then tables (a header row and body rows)
// and further paragraphs, in reading order. Built from the display list, so
// exporting never runs a query again.
struct ExportCell
{
    std::variant<QString, double> value; // a number stays a number
    bool bold = false;
    bool italic = false;
    int columnSpan = 1; // > 1: a merged or wide cell
    // Number format as the report prints it ("#,##0", "0.00"); empty: general.
    QString numberFormat;
    double fontSizePt = 0; // 0: the document's cell size
    // General: numbers to the right, texts to the left, a merged cell centred.
    enum class Align { General, Left, Center, Right } align = Align::General;
    bool wrap = false; // the report wraps the text at word boundaries in its box
    bool isNumber() const { return std::holds_alternative<double>(value); }
};

struct ExportRow
{
    QList<ExportCell> cells;
    double heightPt = 0; // what its tallest cell needs; 0: the default height
};

struct ExportTable
{
    // One per column: wide enough for the column's widest value and the
    // longest word of its headings at their fonts.
    QList<double> columnWidthsPt;
    // One per column, or none: the least a column can be given where the page
    // is narrower than the table (its texts then wrap at their words), which
    // still holds its widest number and its longest word.
    QList<double> minimumWidthsPt;
    QList<ExportRow> headerRows; // repeated on every page where the format allows
    QList<ExportRow> rows;
};

struct ExportParagraph
{
    QString text;
    bool bold = false;
    bool italic = false;
    double fontSizePt = 10;
    enum class Align { Left, Center, Right } align = Align::Left;
    // A note that grows on the page wraps across the sheet's width instead
    // of running off it; heightPt: the line's height (0: one line at its size).
    bool wrap = false;
    double heightPt = 0;
};

struct ExportDocument
{
    QString title;     // the report's title summary property
    QString author;    // its author: the hospital
    QString subject;   // its subject, with the period
    QString sheetName; // a worksheet name (<= 31 characters, no []:*?/\)
    // The report's font: every text is written in it, cells at fontSizePt
    // unless a cell names its own size.
    QString fontFamily = QStringLiteral("Arial");
    double fontSizePt = 10;
    QSizeF pageSizePt = QSizeF(612, 792); // portrait size; landscape swaps on paper
    bool landscape = false;
    double marginPt = 36;
    QList<std::variant<ExportParagraph, ExportTable>> blocks;
};

} // namespace reportexport
