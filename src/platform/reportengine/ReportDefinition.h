#pragma once

#include <QList>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>

namespace reportengine {

// A report file as read: its layout, parameter fields, tables, queries and
// embedded subreports. Lengths are in points (1/72 inch). Nothing here holds
// data or state of a run; see Report for that.

enum class SectionKind { ReportHeader, PageHeader, GroupHeader, Detail, GroupFooter, ReportFooter, PageFooter };
enum class ElementKind { Text, Field, Parameter, SummaryProperty, Formula, Special, Line, Box, Subreport };
enum class FormulaKind { Sum, Count, Ratio };
enum class FormulaScope { Group, Report };
enum class SpecialKind { PageNOfM, PageNumber, TotalPages, PrintDate, Period };
// When an element prints: always, or only when a query gives rows / none.
enum class PrintWhen { Always, Rows, NoRows };
enum class ParameterType { Text, Number, Date };
enum class Align { Left, Center, Right };

struct FontDef
{
    QString family;
    double sizePt = 9;
    bool bold = false;
    bool italic = false;
    bool operator==(const FontDef &) const = default;
};

struct ElementDef
{
    ElementKind kind = ElementKind::Text;
    QRectF rect;   // within its section
    QString text;  // Text: the text, where "{?Name}" shows a parameter's value
    QString name;  // field column, parameter, summary property or subreport name
    QString query; // Field: the query it reads (empty: the report's data query)
    FormulaKind formula = FormulaKind::Sum;
    QString divisor;  // Ratio: the column summed below the line
    double scale = 1; // Ratio: multiplier (100 gives a percentage)
    FormulaScope scope = FormulaScope::Report;
    int groupLevel = 0; // Group scope: 1-based group; 0 = the section's own group
    SpecialKind special = SpecialKind::PageNOfM;
    QString numberFormat; // "#,##0", "0.00", "0.0%"
    QString dateFormat;   // Qt date pattern, e.g. "MM/dd/yyyy"
    FontDef font;
    Align align = Align::Left;
    bool canGrow = false;
    int column = 0; // > 0: the grid column (1-based) this element fills in exports
    int span = 1;   // grid columns it covers
    double penWidth = 0.5;
    QString nullText; // Field, Formula: shown for a Null value (a rate without a base)
    PrintWhen printWhen = PrintWhen::Always;
    QString whenQuery;                  // the query printWhen looks at (empty: the data query)
    QString fromParameter, toParameter; // Special Period: the two date parameters
    int line = 0;                       // where it stands in the file
};

struct SectionDef
{
    SectionKind kind = SectionKind::Detail;
    int group = 0; // group sections: 1-based group
    double height = 0;
    // Detail and group sections: printed only for rows whose field shows
    // (or, with whenEquals false, does not show) this value; a total row can
    // so have a look of its own.
    QString whenField;
    QString whenValue;
    bool whenEquals = true;
    QList<ElementDef> elements;
    int line = 0; // where it stands in the file
};

struct GroupDef
{
    QString field;
    bool keepTogether = false;
    bool repeatHeader = false; // repeat the group header on a new page
    int line = 0;
};

struct ParameterDef
{
    QString name;
    ParameterType type = ParameterType::Text;
    QString prompt;
    std::optional<QString> defaultValue;
};

struct TableDef
{
    QString alias;
    QString location; // database.owner.table (or .procedure)
    // A stored procedure whose result is read as a table: its query is
    // "EXEC {alias} {?P}, ..." with parameters as the only arguments.
    bool procedure = false;
    // A table or procedure the database may lack (a site's server that has
    // not installed it): a query naming it then gives its fallback's rows.
    bool optional = false;
};

struct QueryDef
{
    QString name;
    QString sql; // "{alias}" names a table, "{?Name}" a parameter
    // The query run in its place when the database lacks an optional table
    // it names.
    QString fallback;
    int line = 0;
};

struct ReportDef
{
    QString filePath; // the file it was read from
    QString name;     // the report's own name (a subreport's name)
    QString title, subject, author, comments;
    QSizeF pageSize = QSizeF(612, 792); // portrait width x height
    bool landscape = false;
    QMarginsF margins = QMarginsF(36, 36, 36, 36);
    FontDef font; // the default font of elements
    QList<ParameterDef> parameters;
    QList<TableDef> tables;
    QList<QueryDef> queries;
    QString dataQuery; // the query whose rows feed the detail section
    QList<GroupDef> groups;
    QList<SectionDef> sections;
    QList<std::shared_ptr<ReportDef>> subreports;

    QSizeF paperSize() const { return landscape ? pageSize.transposed() : pageSize; }
    const QueryDef *findQuery(const QString &name) const;
    const ParameterDef *findParameter(const QString &name) const;
    QList<const SectionDef *> sectionsOf(SectionKind kind, int group = 0) const;
};

// What one report file may hold. Every bound lies far above the DOH reports
// (at most 11 sections, 52 elements in a section, 148 in a file, 18 export
// columns, one level of subreport), so that a damaged or hostile file fails
// when it is opened instead of taking the program's stack or memory.
namespace limits {
constexpr qint64 kMaxFileBytes = 8 * 1024 * 1024;
constexpr int kMaxSubreportDepth = 8; // a subreport inside a subreport ... inside the report
constexpr int kMaxSubreports = 200;   // embedded reports in one file, at every depth
constexpr int kMaxSections = 100;     // per report
constexpr int kMaxElementsPerSection = 1000;
constexpr int kMaxElements = 20000; // in one file
constexpr int kMaxGroups = 16;
constexpr int kMaxDefinitions = 200; // parameters, tables and queries, each, per report
constexpr int kMaxColumns = 256;     // the columns of an Excel 97-2003 sheet
constexpr double kMaxLength = 14400; // points: 200 inches, the largest page PDF knows
constexpr double kMinPageSide = 72;
constexpr double kMaxFontSize = 720;
constexpr double kMaxPen = 72;
constexpr double kMaxScale = 1e9;
constexpr int kMaxFormatLength = 64; // "format" and "date-format"
} // namespace limits

// Reads a report file. A missing or unreadable file, malformed XML or an
// unknown element fails with a ComError naming the file, line and column.
std::shared_ptr<ReportDef> readReportFile(const QString &path);
// The same from text in memory; path names it in errors.
std::shared_ptr<ReportDef> readReportText(const QByteArray &text, const QString &path);

} // namespace reportengine
