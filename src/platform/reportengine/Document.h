#pragma once

#include "ReportDefinition.h"

#include <QList>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <optional>

namespace reportengine {

// One thing drawn on a page, in points from the paper's top left corner.
struct DisplayItem
{
    enum class Kind { Text, Line, Box };
    Kind kind = Kind::Text;
    QRectF rect; // Line: from topLeft to bottomRight, as given
    QString text;
    int font = 0; // index into Document::fonts
    Align align = Align::Left;
    bool wrap = false;
    double pen = 0.5;
};

struct DisplayPage
{
    QList<DisplayItem> items;
};

// An item of a filled band, with what an export needs beside the drawing.
struct BandItem
{
    DisplayItem item;              // rect relative to the band's top
    std::optional<double> number;  // the value when it is a number
    QString numberFormat;
    int column = 0; // grid column (1-based), 0 = not in the grid
    int span = 1;
    bool pageDependent = false;    // "Page N of M" and the like: text set per page
    SpecialKind special = SpecialKind::PageNOfM;
};

// A section printed once: the report header, one detail row, a group footer.
struct Band
{
    SectionKind kind = SectionKind::Detail;
    int group = 0;
    double height = 0;
    QList<BandItem> items;
    int groupEnd = -1; // group header: index of the last band of its group (keep-together)
    // Groups that start at this band: level and value, for the group tree.
    QList<std::pair<int, QString>> groupStarts;
};

// An entry of the group tree: a group value and the page it starts on.
struct GroupEntry
{
    QString label;
    int level = 1;  // 1 = outermost group
    int page = 0;   // 0-based page index
};

// A report after fill and pagination: the display list every painter and
// exporter reads. Laid out once; the page count is known.
struct Document
{
    QSizeF paperSize;
    QMarginsF margins;
    QList<FontDef> fonts;
    QList<DisplayPage> pages;
    QList<GroupEntry> groups;
    // Fill order, for exports: the report header, the page header and footer
    // once each, then the body bands, then the report footer.
    QList<Band> bands;
    QList<double> columnWidths; // grid columns, from the detail section
    QString title, author, subject; // the report's summary properties

    int pageCount() const { return int(pages.size()); }
};

} // namespace reportengine
