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
    int columnSpan = 1; // > 1: a merged or wide cell
    // Number format as the report prints it ("#,##0", "0.00"); empty: general.
    QString numberFormat;
    bool isNumber() const { return std::holds_alternative<double>(value); }
};

struct ExportRow
{
    QList<ExportCell> cells;
};

struct ExportTable
{
    QList<double> columnWidthsPt;   // one per column
    QList<ExportRow> headerRows;    // repeated on every page where the format allows
    QList<ExportRow> rows;
};

struct ExportParagraph
{
    QString text;
    bool bold = false;
    double fontSizePt = 10;
    enum class Align { Left, Center, Right } align = Align::Left;
};

struct ExportDocument
{
    QString title;     // the report's title summary property
    QString author;    // its author: the hospital
    QString sheetName; // a worksheet name (<= 31 characters, no []:*?/\)
    QSizeF pageSizePt = QSizeF(612, 792); // portrait size; landscape swaps on paper
    bool landscape = false;
    double marginPt = 36;
    QList<std::variant<ExportParagraph, ExportTable>> blocks;
};

} // namespace reportexport
