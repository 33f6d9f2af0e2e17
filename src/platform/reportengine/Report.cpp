#include "ReportEngine.h"

#include "DataConnection.h"
#include "EngineErrors.h"
#include "Fill.h"
#include "Painter.h"

#include "com/ComError.h"
#include "com/Runtime.h"
#include "reportexport/ExportDocument.h"
#ifdef VELMORA_HAVE_REPORTEXPORT
#include "reportexport/Exporter.h"
#endif

#include <QSaveFile>

namespace reportengine {

// ---- DatabaseTable --------------------------------------------------------

void DatabaseTable::setLocation(const QString &location)
{
    m_location = location;
    m_report->invalidate();
}

void DatabaseTable::SetLogOnInfo(const QString &server, const QString &database, const QString &user,
                                 const QString &password)
{
    m_logOn = LogOnInfo{server, database, user, password};
    m_report->invalidate();
}

void DatabaseTable::SetDataSource(adodb::ResultSet rows)
{
    m_rows = std::move(rows);
    m_report->invalidate();
}

// ---- ParameterFieldDefinition ----------------------------------------------

com::Variant ParameterFieldDefinition::convert(const com::Variant &value, const QString &origin) const
{
    const auto rejected = [&](const QString &why) {
        return com::ComError(errors::ParameterValueInvalid,
                             QStringLiteral("The value %1 is not valid for the parameter field '%2' of report '%3': %4")
                                 .arg(origin, m_def.name, m_report->definition().filePath, why),
                             kEngineSource);
    };
    if (value.isNull())
        throw rejected(QStringLiteral("a parameter field needs a value, not Null."));
    switch (m_def.type) {
    case ParameterType::Text:
        return com::Variant(value.toString());
    case ParameterType::Number:
        if (value.type() == com::Variant::Type::Integer || value.type() == com::Variant::Type::Double)
            return com::Variant(value.toDouble());
        if (value.type() == com::Variant::Type::Text && com::IsNumeric(value.toString()))
            return com::Variant(com::NumericValue(value.toString()));
        throw rejected(QStringLiteral("the field takes a number."));
    case ParameterType::Date:
        if (value.type() == com::Variant::Type::DateTime)
            return value;
        if (value.type() == com::Variant::Type::Text) {
            if (const auto parsed = com::ParseDate(value.toString()))
                return com::Variant(*parsed);
        }
        throw rejected(QStringLiteral("the field takes a date."));
    }
    return value;
}

void ParameterFieldDefinition::AddCurrentValue(const com::Variant &value)
{
    com::Variant converted = convert(value, QLatin1Char('\'') + value.toText() + QLatin1Char('\''));
    if (m_value)
        return;
    m_value = std::move(converted);
    m_given = value;
    m_report->invalidate();
}

com::Variant ParameterFieldDefinition::effectiveValue() const
{
    if (m_value)
        return *m_value;
    if (m_def.defaultValue)
        return convert(com::Variant(*m_def.defaultValue),
                       QStringLiteral("'%1' (the file's default)").arg(*m_def.defaultValue));
    throw com::ComError(errors::ParameterValueMissing,
                        QStringLiteral("The parameter field '%1' of report '%2' has no value and no default.")
                            .arg(m_def.name, m_report->definition().filePath),
                        kEngineSource);
}

QString ParameterFieldDefinition::displayText() const
{
    const com::Variant v = effectiveValue();
    switch (m_def.type) {
    case ParameterType::Number:
        return formatNumber(v.toDouble(), QString());
    case ParameterType::Date:
        return v.toDateTime().date().toString(QStringLiteral("MM/dd/yyyy"));
    case ParameterType::Text:
        break;
    }
    return v.toText();
}

// ---- Report -----------------------------------------------------------------

Report::Report(std::shared_ptr<const ReportDef> def, Report *parent)
    : m_def(std::move(def))
    , m_parent(parent)
    , m_title(m_def->title)
    , m_subject(m_def->subject)
    , m_author(m_def->author)
    , m_comments(m_def->comments)
{
    for (const TableDef &t : m_def->tables)
        m_database.Tables().add(std::make_unique<DatabaseTable>(this, t));
    for (const ParameterDef &p : m_def->parameters)
        m_parameters.add(std::make_unique<ParameterFieldDefinition>(this, p));
    for (const auto &sub : m_def->subreports)
        m_subreports.push_back(std::make_shared<Report>(sub, this));
}

Report::~Report() = default;

void Report::setReportTitle(const QString &text)
{
    m_title = text;
    invalidate();
}
void Report::setReportSubject(const QString &text)
{
    m_subject = text;
    invalidate();
}
void Report::setReportAuthor(const QString &text)
{
    m_author = text;
    invalidate();
}
void Report::setReportComments(const QString &text)
{
    m_comments = text;
    invalidate();
}

Report *Report::root()
{
    Report *r = this;
    while (r->m_parent)
        r = r->m_parent;
    return r;
}

void Report::invalidate()
{
    root()->m_document.reset();
}

std::shared_ptr<Report> Report::OpenSubreport(const QString &name)
{
    for (const auto &sub : m_subreports)
        if (sub->definition().name.compare(name, Qt::CaseInsensitive) == 0)
            return sub;
    throw com::ComError(errors::SubreportNotFound,
                        QStringLiteral("Invalid subreport name: the report '%1' holds no subreport named '%2'.")
                            .arg(m_def->filePath, name),
                        kEngineSource);
}

const Document &Report::document()
{
    return *sharedDocument();
}

std::shared_ptr<const Document> Report::sharedDocument()
{
    Report *top = root();
    if (top != this)
        return top->sharedDocument();
    if (!m_document)
        m_document = fillAndPaginate(*this);
    return m_document;
}

std::shared_ptr<DataConnection> Report::connectionFor(const LogOnInfo &logOn)
{
    Report *top = root();
    auto found = top->m_connections.find(logOn);
    if (found != top->m_connections.end())
        return found->second;
    auto connection = std::make_shared<DataConnection>(logOn);
    top->m_connections.emplace(logOn, connection);
    return connection;
}

std::vector<std::shared_ptr<DataConnection>> Report::dataConnections() const
{
    const Report *top = this;
    while (top->m_parent)
        top = top->m_parent;
    std::vector<std::shared_ptr<DataConnection>> list;
    for (const auto &[logOn, connection] : top->m_connections)
        list.push_back(connection);
    return list;
}

QString Report::periodName()
{
    // A field without a value names no period; the report's fill reports it.
    try {
        return periodOfFields();
    } catch (const com::ComError &) {
        return QString();
    }
}

QString Report::periodOfFields()
{
    QList<QDate> dates;
    for (ParameterFieldDefinition &field : ParameterFields()) {
        if (field.ValueType() == ParameterType::Date && dates.size() < 2)
            dates.append(field.effectiveValue().toDateTime().date());
        else if (field.Name().compare(QStringLiteral("Year"), Qt::CaseInsensitive) == 0) {
            const QString year = field.effectiveValue().toText().trimmed();
            if (year.size() == 4 && year.toInt() > 0)
                return QStringLiteral("Year ") + year;
        }
    }
    return dates.size() == 2 ? reportengine::periodName(dates[0], dates[1]) : QString();
}

namespace {

// A document's title or subject with the period it covers, so that March's
// file and the year's do not carry the same properties.
QString withPeriod(const QString &text, const QString &period)
{
    if (period.isEmpty())
        return text;
    return text.isEmpty() ? period : text + QStringLiteral(" \u2013 ") + period;
}

} // namespace

reportexport::ExportDocument Report::exportDocument()
{
    return buildExportDocument(document(), *root());
}

void Report::Export(bool)
{
    const reportengine::ExportOptions options = m_exportOptions;
    if (options.DestinationType != crEDTDiskFile)
        throw com::ComError(errors::ExportInvalid,
                            QStringLiteral("The export destination %1 is not offered; only a disk file (1) is.")
                                .arg(options.DestinationType),
                            kEngineSource);
    if (options.DiskFileName.trimmed().isEmpty())
        throw com::ComError(errors::ExportInvalid, QStringLiteral("No file name was given for the export."),
                            kEngineSource);
    if (options.FormatType == crEFTPortableDocFormat) {
        const QString period = root()->periodName();
        writePdf(document(), options.DiskFileName, withPeriod(m_title, period), withPeriod(m_subject, period));
        return;
    }
    if (options.FormatType != crEFTExcel80 && options.FormatType != crEFTRichText)
        throw com::ComError(errors::ExportInvalid,
                            QStringLiteral("The export format %1 is not offered.").arg(options.FormatType),
                            kEngineSource);
#ifdef VELMORA_HAVE_REPORTEXPORT
    reportexport::ExportDocument model = exportDocument();
    const QString period = root()->periodName();
    model.title = withPeriod(model.title, period);
    model.subject = withPeriod(model.subject, period);
    reportexport::exportToFile(model, options.FormatType, options.DiskFileName);
#else
    throw com::ComError(errors::ExportInvalid,
                        QStringLiteral("The export format %1 is not available in this build.").arg(options.FormatType),
                        kEngineSource);
#endif
}

// ---- Application --------------------------------------------------------------

std::shared_ptr<Report> Application::OpenReport(const QString &path, int)
{
    // Every open reads the file again: a fresh copy whatever the method.
    return std::make_shared<Report>(readReportFile(path), nullptr);
}

} // namespace reportengine
