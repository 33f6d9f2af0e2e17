#pragma once

#include "Document.h"
#include "ReportDefinition.h"

#include "EngineErrors.h"

#include "adodb/Backend.h"
#include "com/ComError.h"
#include "com/Variant.h"

#include <QDate>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

namespace reportexport {
struct ExportDocument;
}

namespace reportengine {

class Report;
class DataConnection;

// The server, database and login a table's data is read with.
struct LogOnInfo
{
    QString server;
    QString database;
    QString user;
    QString password;
    bool operator==(const LogOnInfo &) const = default;
    bool operator<(const LogOnInfo &o) const
    {
        return std::tie(server, database, user, password) < std::tie(o.server, o.database, o.user, o.password);
    }
};

// One database table of a report: where it is (Location) and how to reach
// it (SetLogOnInfo). Changing either makes the next fill read again.
class DatabaseTable
{
public:
    DatabaseTable(Report *report, TableDef def)
        : m_report(report)
        , m_def(std::move(def))
        , m_location(m_def.location)
    {}

    QString Name() const { return m_def.alias; }
    QString Location() const { return m_location; }
    bool isProcedure() const { return m_def.procedure; }
    bool isOptional() const { return m_def.optional; }
    void setLocation(const QString &location);
    void SetLogOnInfo(const QString &server, const QString &database, const QString &user, const QString &password);

    bool hasLogOn() const { return m_logOn.has_value(); }
    const std::optional<LogOnInfo> &logOnInfo() const { return m_logOn; }

    // Rows the program gives the table instead of a database's: a query of
    // the report reads them as "SELECT * FROM {alias}", in the order given,
    // with no logon (findings that exist only in memory print so).
    void SetDataSource(adodb::ResultSet rows);
    const std::optional<adodb::ResultSet> &dataSource() const { return m_rows; }

private:
    Report *m_report;
    TableDef m_def;
    QString m_location;
    std::optional<LogOnInfo> m_logOn;
    std::optional<adodb::ResultSet> m_rows;
};

// The engine's collections: Count and Item(1-based), iterated in file order.
template <typename T> class Collection
{
public:
    int Count() const { return int(m_items.size()); }
    T &Item(int index);
    auto begin() { return Iterator{m_items.begin()}; }
    auto end() { return Iterator{m_items.end()}; }
    void add(std::unique_ptr<T> item) { m_items.push_back(std::move(item)); }
    const std::vector<std::unique_ptr<T>> &items() const { return m_items; }

private:
    struct Iterator
    {
        typename std::vector<std::unique_ptr<T>>::iterator it;
        T &operator*() const { return **it; }
        Iterator &operator++()
        {
            ++it;
            return *this;
        }
        bool operator!=(const Iterator &o) const { return it != o.it; }
    };
    std::vector<std::unique_ptr<T>> m_items;
};

using DatabaseTables = Collection<DatabaseTable>;

class Database
{
public:
    DatabaseTables &Tables() { return m_tables; }

private:
    DatabaseTables m_tables;
};

// A parameter field: its values arrive by AddCurrentValue; a field that
// gets none uses the file's default.
class ParameterFieldDefinition
{
public:
    ParameterFieldDefinition(Report *report, ParameterDef def)
        : m_report(report)
        , m_def(std::move(def))
    {}

    QString Name() const { return m_def.name; }
    QString Prompt() const { return m_def.prompt; }
    ParameterType ValueType() const { return m_def.type; }

    // Takes a value; one the field's type cannot hold fails and leaves the
    // field as it was. The first value given is the one the report uses.
    void AddCurrentValue(const com::Variant &value);
    bool HasCurrentValue() const { return m_value.has_value(); }
    // The value as given (Null when none was).
    com::Variant CurrentValue() const { return m_given; }

    // The value the report uses: the given one or the file's default.
    // Fails when there is neither.
    com::Variant effectiveValue() const;
    QString displayText() const;

private:
    com::Variant convert(const com::Variant &value, const QString &origin) const;

    Report *m_report;
    ParameterDef m_def;
    std::optional<com::Variant> m_value; // converted: Text, Double or DateTime
    com::Variant m_given;
};

using ParameterFieldDefinitions = Collection<ParameterFieldDefinition>;

// Where and how Export writes: DestinationType 1 = a disk file; FormatType
// 29 = Excel 97-2003, 4 = Rich Text Format, 31 = PDF.
struct ExportOptions
{
    int DestinationType = 0;
    int FormatType = 0;
    QString DiskFileName;
};

constexpr int crEDTDiskFile = 1;
constexpr int crEFTExcel80 = 29;
constexpr int crEFTRichText = 4;
constexpr int crEFTPortableDocFormat = 31;

// How far one fill may go. The bounds lie far above any real report (a DOH
// report of a large hospital's year is a page or two; 10,000 rows make 167
// pages): a report that asks for more stops with a message naming it instead
// of running on or taking the program's memory.
struct FillLimits
{
    qsizetype maxRowsPerQuery = 100000;
    qsizetype maxPrintedItems = 1000000; // sections and elements printed, subreports' included
    qsizetype maxPrintedCharacters = 50000000;
    qint64 timeLimitMs = 300000;
    // The memory a fill may take on the embedded store: the rows it keeps
    // from its queries and the database's working memory of the one running.
    qint64 maxMemoryBytes = 128LL * 1024 * 1024;
};

// An open report (or a subreport inside one). Its tables, parameter fields
// and summary properties are set first; the report fills (each query runs
// once), paginates and is then painted or exported from the display list.
class Report : public std::enable_shared_from_this<Report>
{
public:
    Report(std::shared_ptr<const ReportDef> def, Report *parent);
    ~Report();

    QString ReportTitle() const { return m_title; }
    void setReportTitle(const QString &text);
    QString ReportSubject() const { return m_subject; }
    void setReportSubject(const QString &text);
    QString ReportAuthor() const { return m_author; }
    void setReportAuthor(const QString &text);
    QString ReportComments() const { return m_comments; }
    void setReportComments(const QString &text);

    reportengine::Database &Database() { return m_database; }
    reportengine::ParameterFieldDefinitions &ParameterFields() { return m_parameters; }
    // The embedded subreport of that name (case-insensitive); the same
    // object on every call. An unknown name fails.
    std::shared_ptr<Report> OpenSubreport(const QString &name);

    reportengine::ExportOptions &ExportOptions() { return m_exportOptions; }
    // Writes the filled report as ExportOptions say. Prompting is not offered:
    // the options must name the destination.
    void Export(bool promptUser = true);

    // The reporting period the report's values name, as file names and the
    // document's properties carry it: "March 2026", "First Quarter 2026",
    // "Year 2026" (two date parameter fields, or a Year field), or "" when
    // its fields name none.
    QString periodName();

    // Engine side.
    const ReportDef &definition() const { return *m_def; }
    bool isSubreport() const { return m_parent != nullptr; }
    Report *root();
    // Fills and paginates when anything changed since the last time.
    const Document &document();
    // The same, shared: a viewer keeps the pages it shows even when a later
    // change makes the report fill anew.
    std::shared_ptr<const Document> sharedDocument();
    int pageCount() { return document().pageCount(); }
    void invalidate();
    // The export model of the filled report (no query runs again).
    reportexport::ExportDocument exportDocument();
    // Subreports in file order.
    const std::vector<std::shared_ptr<Report>> &subreports() const { return m_subreports; }
    // The data connections opened for the tables' logons (one per logon).
    std::vector<std::shared_ptr<DataConnection>> dataConnections() const;
    // The connection for a logon, opened on first use.
    std::shared_ptr<DataConnection> connectionFor(const LogOnInfo &logOn);
    // How many times queries ran (tests check the caching).
    int queryRuns() const { return m_queryRuns; }
    void countQueryRun() { ++m_queryRuns; }

    // The bounds every fill of the report keeps (kept by the main report).
    void setFillLimits(const FillLimits &limits) { root()->m_fillLimits = limits; }
    const FillLimits &fillLimits() { return root()->m_fillLimits; }
    // Asked now and then while the report fills (a viewer lets its window
    // answer the user meanwhile); answering false stops the fill with a
    // ComError numbered errors::FillCancelled.
    using FillMonitor = std::function<bool()>;
    void setFillMonitor(FillMonitor monitor) { root()->m_fillMonitor = std::move(monitor); }
    const FillMonitor &fillMonitor() { return root()->m_fillMonitor; }

private:
    QString periodOfFields();

    std::shared_ptr<const ReportDef> m_def;
    Report *m_parent;
    QString m_title, m_subject, m_author, m_comments;
    reportengine::Database m_database;
    reportengine::ParameterFieldDefinitions m_parameters;
    reportengine::ExportOptions m_exportOptions;
    std::vector<std::shared_ptr<Report>> m_subreports;
    std::map<LogOnInfo, std::shared_ptr<DataConnection>> m_connections; // root only
    std::shared_ptr<Document> m_document;
    int m_queryRuns = 0;
    FillLimits m_fillLimits;   // root only
    FillMonitor m_fillMonitor; // root only
};

// A period in the words of the period box: a month ("March 2026"), a
// quarter ("First Quarter 2026"), a half year ("First SemiAnnual 2026"), a
// whole year ("Year 2026"); any other span as "March 1, 2026 to March 15, 2026".
QString periodName(const QDate &from, const QDate &to);

// The engine's Application: opens report files.
class Application
{
public:
    // Opens the report file at path. Every open reads the file afresh (open
    // method 1 asks for a temporary copy), so nothing carries over.
    std::shared_ptr<Report> OpenReport(const QString &path, int openMethod = 0);
};

} // namespace reportengine

template <typename T> T &reportengine::Collection<T>::Item(int index)
{
    if (index < 1 || index > Count())
        throw com::ComError(errors::IndexOutOfRange, QStringLiteral("Subscript out of range"), kEngineSource);
    return *m_items[std::size_t(index - 1)];
}
