#include "Fill.h"

#include "DataConnection.h"
#include "EngineErrors.h"
#include "FillWatch.h"
#include "Painter.h"
#include "ReportEngine.h"

#include "com/ComError.h"
#include "com/Runtime.h"

#include <QDate>
#include <QHash>
#include <QLocale>

#include <cmath>
#include <map>

namespace reportengine {

QString formatNumber(double value, const QString &format)
{
    if (!std::isfinite(value))
        return QString();
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    if (format.isEmpty()) {
        if (value == std::floor(value) && std::fabs(value) < 1e15)
            return QString::number(qint64(value));
        return QString::number(value, 'g', 15);
    }
    const bool percent = format.endsWith(QLatin1Char('%'));
    const int point = format.indexOf(QLatin1Char('.'));
    int decimals = 0;
    if (point >= 0)
        for (int i = point + 1; i < format.size() && (format[i] == u'0' || format[i] == u'#'); ++i)
            ++decimals;
    QLocale locale = english;
    if (!format.contains(QLatin1Char(',')))
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
    const double shown = percent ? value * 100 : value;
    QString text = locale.toString(shown, 'f', decimals);
    if (text.startsWith(QLatin1Char('-')) &&
        text.count(QLatin1Char('0')) + text.count(QLatin1Char(',')) + text.count(QLatin1Char('.')) == text.size() - 1)
        text.remove(0, 1); // no "-0.00"
    return percent ? text + QLatin1Char('%') : text;
}

namespace {

QString formatDate(const QDate &date, const QString &format)
{
    static const QLocale english(QLocale::English, QLocale::UnitedStates);
    return english.toString(date, format.isEmpty() ? QStringLiteral("MM/dd/yyyy") : format);
}

// A value as a field element shows it, and the number it holds if any.
std::pair<QString, std::optional<double>> showValue(const com::Variant &value, const ElementDef &e)
{
    using T = com::Variant::Type;
    switch (value.type()) {
    case T::Null:
        return {QString(), std::nullopt};
    case T::Integer:
    case T::Double:
        return {formatNumber(value.toDouble(), e.numberFormat), value.toDouble()};
    case T::Boolean:
        return {value.toBool() ? QStringLiteral("True") : QStringLiteral("False"), std::nullopt};
    case T::DateTime:
        return {formatDate(value.toDateTime().date(), e.dateFormat), std::nullopt};
    case T::Text: {
        const QString text = value.toString();
        if (!e.dateFormat.isEmpty())
            if (const auto parsed = com::ParseDate(text))
                return {formatDate(parsed->date(), e.dateFormat), std::nullopt};
        if (!e.numberFormat.isEmpty() && com::IsNumeric(text)) {
            const double n = com::NumericValue(text);
            return {formatNumber(n, e.numberFormat), n};
        }
        return {text, std::nullopt};
    }
    }
    return {QString(), std::nullopt};
}

// A reporting period in words: "January 1, 2025 to March 31, 2025", or
// "Year 2025" for the whole of one year.
QString periodText(const QDate &from, const QDate &to)
{
    if (from.isValid() && from == QDate(from.year(), 1, 1) && to == QDate(from.year(), 12, 31))
        return QStringLiteral("Year ") + QString::number(from.year());
    return formatDate(from, QStringLiteral("MMMM d, yyyy")) + QStringLiteral(" to ") +
           formatDate(to, QStringLiteral("MMMM d, yyyy"));
}

} // namespace

QString periodName(const QDate &from, const QDate &to)
{
    const int year = from.year();
    const bool sameYear =
        from.isValid() && to.isValid() && to.year() == year && from.day() == 1 && to.day() == to.daysInMonth();
    if (sameYear) {
        const int first = from.month(), last = to.month();
        const QString y = QString::number(year);
        static const QStringList ordinals = {QStringLiteral("First"), QStringLiteral("Second"), QStringLiteral("Third"),
                                             QStringLiteral("Fourth")};
        if (first == 1 && last == 12)
            return QStringLiteral("Year ") + y;
        if (first == last)
            return QLocale::c().standaloneMonthName(first) + QLatin1Char(' ') + y;
        if (last == first + 2 && first % 3 == 1)
            return ordinals.at((first - 1) / 3) + QStringLiteral(" Quarter ") + y;
        if (last == first + 5 && first % 6 == 1)
            return ordinals.at((first - 1) / 6) + QStringLiteral(" SemiAnnual ") + y;
    }
    return formatDate(from, QStringLiteral("MMMM d, yyyy")) + QStringLiteral(" to ") +
           formatDate(to, QStringLiteral("MMMM d, yyyy"));
}

namespace {

std::optional<double> numericOf(const com::Variant &value)
{
    using T = com::Variant::Type;
    if (value.type() == T::Integer || value.type() == T::Double)
        return value.toDouble();
    if (value.type() == T::Boolean)
        return value.toBool() ? 1.0 : 0.0;
    if (value.type() == T::Text && com::IsNumeric(value.toString()))
        return com::NumericValue(value.toString());
    return std::nullopt;
}

bool sameValue(const com::Variant &a, const com::Variant &b)
{
    if (a.isNull() || b.isNull())
        return a.isNull() && b.isNull();
    const auto na = numericOf(a), nb = numericOf(b);
    if (a.type() != com::Variant::Type::Text && b.type() != com::Variant::Type::Text && na && nb)
        return *na == *nb;
    return a.toText() == b.toText();
}

QString queryPlace(const ReportDef &def, const QueryDef &q)
{
    return QStringLiteral("Error in report file '%1' at line %2: the query '%3' ")
        .arg(def.filePath)
        .arg(q.line)
        .arg(q.name);
}

[[noreturn]] void queryError(const ReportDef &def, const QueryDef &q, const QString &message,
                             long number = errors::QueryInvalid)
{
    throw com::ComError(number, queryPlace(def, q) + message, kEngineSource);
}

// Runs a query's statement; its failure names the report file and the query.
// A refusal of the data connection continues the sentence; the database's
// own failure follows "failed:"; a fill that was stopped says so itself.
template <typename Run> decltype(auto) runNamed(const ReportDef &def, const QueryDef &q, Run &&run)
{
    try {
        return run();
    } catch (const QueryRefusal &refusal) {
        queryError(def, q, refusal.reason(), refusal.number());
    } catch (const com::ComError &e) {
        if (e.number() == errors::FillCancelled || e.number() == errors::FillTimedOut)
            throw;
        throw com::ComError(e.number(), queryPlace(def, q) + QStringLiteral("failed: ") + e.description(), e.source());
    }
}

// Points the data connection at the fill's watch while a query runs.
class WatchScope
{
public:
    WatchScope(DataConnection &connection, FillWatch &watch)
        : m_connection(connection)
    {
        m_connection.setWatch(&watch);
    }
    ~WatchScope() { m_connection.setWatch(nullptr); }
    WatchScope(const WatchScope &) = delete;
    WatchScope &operator=(const WatchScope &) = delete;

private:
    DataConnection &m_connection;
};

// The fill of one report or subreport: its queries' results (each run once)
// and the bands it prints.
class Filler
{
public:
    Filler(Report &report, Document &document, QHash<const Report *, std::shared_ptr<Filler>> &subFills,
           const QDateTime &printTime, FillWatch &watch)
        : m_report(report)
        , m_def(report.definition())
        , m_doc(document)
        , m_subFills(subFills)
        , m_printTime(printTime)
        , m_watch(watch)
    {}

    // The main report: every band in fill order into the document.
    void fillMain()
    {
        prepareData();
        for (const SectionDef *s : m_def.sectionsOf(SectionKind::ReportHeader))
            m_doc.bands.append(makeBand(*s, -1));
        for (const SectionDef *s : m_def.sectionsOf(SectionKind::PageHeader))
            m_doc.bands.append(makeBand(*s, -1));
        for (const SectionDef *s : m_def.sectionsOf(SectionKind::PageFooter))
            m_doc.bands.append(makeBand(*s, -1));
        body(m_doc.bands);
        for (const SectionDef *s : m_def.sectionsOf(SectionKind::ReportFooter))
            m_doc.bands.append(makeBand(*s, -1));
    }

    // A subreport: its header, body and footer stacked into one block, at
    // most once per fill whatever the number of places it is shown.
    const QList<BandItem> &block(double &height, qsizetype &characters)
    {
        if (!m_blockDone) {
            prepareData();
            QList<Band> bands;
            for (const SectionDef *s : m_def.sectionsOf(SectionKind::ReportHeader))
                bands.append(makeBand(*s, -1));
            body(bands);
            for (const SectionDef *s : m_def.sectionsOf(SectionKind::ReportFooter))
                bands.append(makeBand(*s, -1));
            double y = 0;
            for (const Band &b : bands) {
                for (BandItem item : b.items) {
                    item.item.rect.translate(0, y);
                    item.column = 0; // a subreport's texts are header lines, not grid cells
                    m_blockCharacters += item.item.text.size();
                    m_block.append(item);
                }
                y += b.height;
            }
            m_blockHeight = y;
            m_blockDone = true;
        }
        height = m_blockHeight;
        characters = m_blockCharacters;
        return m_block;
    }

private:
    // A query cut into plain text, table names and parameter placeholders.
    struct Piece
    {
        enum { Text, Table, Parameter } kind;
        QString text;
    };

    // The procedure a query calls, or nullptr for a plain query. A call is
    // "EXEC {alias}" followed by parameters separated by commas, nothing else.
    const DatabaseTable *procedureOf(const QueryDef &q, const QList<Piece> &pieces)
    {
        const DatabaseTable *procedure = nullptr;
        for (const Piece &p : pieces)
            if (p.kind == Piece::Table && table(p.text)->isProcedure())
                procedure = table(p.text);
        if (!procedure)
            return nullptr;
        const auto badCall = [&] {
            queryError(m_def, q,
                       QStringLiteral("must call its procedure as EXEC {%1} {?Parameter}, ...").arg(procedure->Name()));
        };
        qsizetype index = 0;
        if (pieces.value(0).kind == Piece::Text) {
            if (pieces[0].text.trimmed().compare(QLatin1String("EXEC"), Qt::CaseInsensitive) != 0)
                badCall();
            index = 1;
        }
        if (index >= pieces.size() || pieces[index].kind != Piece::Table || table(pieces[index].text) != procedure)
            badCall();
        enum { Start, AfterArgument, NeedArgument } state = Start;
        for (++index; index < pieces.size(); ++index) {
            const Piece &p = pieces[index];
            const QString text = p.text.trimmed();
            if (p.kind == Piece::Parameter && state != AfterArgument)
                state = AfterArgument;
            else if (p.kind == Piece::Text && text.isEmpty())
                continue;
            else if (p.kind == Piece::Text && text == u"," && state == AfterArgument)
                state = NeedArgument;
            else
                badCall();
        }
        if (state == NeedArgument)
            badCall();
        return procedure;
    }

    // The rows the program gave a table the query reads, or nullptr when it
    // reads none such; such a query is "SELECT * FROM {alias}" and no more.
    const adodb::ResultSet *givenRows(const QueryDef &q, const QList<Piece> &pieces)
    {
        const DatabaseTable *given = nullptr;
        for (const Piece &p : pieces)
            if (p.kind == Piece::Table && table(p.text) && table(p.text)->dataSource())
                given = table(p.text);
        if (!given)
            return nullptr;
        if (pieces.size() != 2 || pieces[0].kind != Piece::Text ||
            pieces[0].text.simplified().compare(QLatin1String("SELECT * FROM"), Qt::CaseInsensitive) != 0 ||
            pieces[1].kind != Piece::Table)
            queryError(m_def, q,
                       QStringLiteral("reads the rows the program gave the table '%1': it must be SELECT * FROM {%1}.")
                           .arg(given->Name()));
        return &*given->dataSource();
    }

    // Runs (once) the data query and works out where groups start and end.
    void prepareData()
    {
        if (m_prepared)
            return;
        m_prepared = true;
        if (m_def.dataQuery.isEmpty()) {
            m_rowCount = 1; // no data: the detail prints once
            m_hasData = false;
        } else {
            m_data = &result(m_def.dataQuery);
            m_rowCount = int(m_data->rows.size());
            m_hasData = true;
        }
        const int levels = int(m_def.groups.size());
        m_groupColumn.resize(levels);
        for (int g = 0; g < levels; ++g)
            m_groupColumn[g] = m_hasData ? columnOf(*m_data, m_def.groups[g].field, m_def.dataQuery) : -1;
        // startLevel[i]: the outermost group level that starts at row i
        // (all inner levels start too); levels + 1 when none does.
        m_startLevel.assign(m_rowCount, levels + 1);
        for (int i = 0; i < m_rowCount; ++i) {
            if (i == 0) {
                m_startLevel[i] = 1;
                continue;
            }
            for (int g = 0; g < levels; ++g) {
                if (!sameValue(cell(i, m_groupColumn[g]), cell(i - 1, m_groupColumn[g]))) {
                    m_startLevel[i] = g + 1;
                    break;
                }
            }
        }
        // The range [start, end) of each row's group per level.
        m_rangeStart.assign(levels, std::vector<int>(m_rowCount));
        m_rangeEnd.assign(levels, std::vector<int>(m_rowCount));
        for (int g = 0; g < levels; ++g) {
            int start = 0;
            for (int i = 0; i <= m_rowCount; ++i) {
                if (i == m_rowCount || (i > 0 && m_startLevel[i] <= g + 1)) {
                    for (int k = start; k < i; ++k) {
                        m_rangeStart[g][k] = start;
                        m_rangeEnd[g][k] = i;
                    }
                    start = i;
                }
            }
        }
    }

    com::Variant cell(int row, int column) const
    {
        if (!m_hasData || column < 0 || row < 0 || row >= m_rowCount)
            return com::Variant();
        return m_data->rows[row][column];
    }

    int columnOf(const adodb::ResultSet &rs, const QString &name, const QString &queryName) const
    {
        for (int c = 0; c < rs.columns.size(); ++c)
            if (rs.columns[c].compare(name, Qt::CaseInsensitive) == 0)
                return c;
        throw com::ComError(errors::QueryInvalid,
                            QStringLiteral("The report '%1' shows the field '%2', which the query '%3' does not give.")
                                .arg(m_def.filePath, name, queryName),
                            kEngineSource);
    }

    ParameterFieldDefinition *parameter(const QString &name)
    {
        for (ParameterFieldDefinition &p : m_report.ParameterFields())
            if (p.Name().compare(name, Qt::CaseInsensitive) == 0)
                return &p;
        return nullptr;
    }

    DatabaseTable *table(const QString &alias)
    {
        for (DatabaseTable &t : m_report.Database().Tables())
            if (t.Name().compare(alias, Qt::CaseInsensitive) == 0)
                return &t;
        return nullptr;
    }

    // The value a query binds for a parameter field, typed as the field is.
    QVariant boundValue(const QueryDef &q, const QString &name)
    {
        ParameterFieldDefinition *field = parameter(name);
        if (!field)
            queryError(m_def, q, QStringLiteral("names the parameter '%1', which the report does not have.").arg(name));
        const com::Variant v = field->effectiveValue();
        switch (field->ValueType()) {
        case ParameterType::Text:
            return v.toString();
        case ParameterType::Number:
            return v.toDouble();
        case ParameterType::Date:
            return v.toDateTime().date();
        }
        return {};
    }

    // Binds a query: "{alias}" becomes the table's current location in the
    // data connection's dialect, "{?Name}" a placeholder with the parameter's
    // value bound to it. Quoted texts and names are left alone.
    const adodb::ResultSet &result(const QString &queryName)
    {
        const QString key = queryName.toLower();
        auto found = m_results.find(key);
        if (found != m_results.end())
            return found.value();
        const QueryDef *q = m_def.findQuery(queryName);
        if (!q)
            throw com::ComError(
                errors::QueryInvalid,
                QStringLiteral("The report '%1' has no query named '%2'.").arg(m_def.filePath, queryName),
                kEngineSource);
        QList<Piece> pieces;
        const QString &sql = q->sql;
        QString plain;
        for (int i = 0; i < sql.size(); ++i) {
            const QChar c = sql[i];
            if (c == u'\'' || c == u'"' || c == u'[') {
                const QChar close = c == u'[' ? QChar(u']') : c;
                int j = i + 1;
                while (j < sql.size()) {
                    if (sql[j] == close) {
                        if (j + 1 < sql.size() && sql[j + 1] == close && close != u']') {
                            j += 2;
                            continue;
                        }
                        break;
                    }
                    ++j;
                }
                if (j >= sql.size())
                    queryError(m_def, *q, QStringLiteral("has an unclosed %1.").arg(c));
                plain += QStringView(sql).mid(i, j - i + 1);
                i = j;
                continue;
            }
            if (c == u'{') {
                const int close = sql.indexOf(QLatin1Char('}'), i);
                if (close < 0)
                    queryError(m_def, *q, QStringLiteral("has a '{' without '}'."));
                if (!plain.isEmpty())
                    pieces.append({Piece::Text, std::exchange(plain, QString())});
                const QString inner = sql.mid(i + 1, close - i - 1).trimmed();
                if (inner.startsWith(QLatin1Char('?')))
                    pieces.append({Piece::Parameter, inner.mid(1).trimmed()});
                else
                    pieces.append({Piece::Table, inner});
                i = close;
                continue;
            }
            plain += c;
        }
        if (!plain.isEmpty())
            pieces.append({Piece::Text, plain});

        if (const adodb::ResultSet *given = givenRows(*q, pieces)) {
            m_report.root()->countQueryRun();
            return m_results.insert(key, *given).value();
        }
        const LogOnInfo *logOn = nullptr;
        for (const Piece &p : pieces) {
            if (p.kind != Piece::Table)
                continue;
            DatabaseTable *t = table(p.text);
            if (!t)
                queryError(m_def, *q,
                           QStringLiteral("names the table '%1', which the report does not have.").arg(p.text));
            if (!t->hasLogOn())
                throw com::ComError(errors::LogOnMissing,
                                    QStringLiteral("The table '%1' of report '%2' has no logon information.")
                                        .arg(t->Name(), m_def.filePath),
                                    kEngineSource);
            if (!logOn)
                logOn = &*t->logOnInfo();
            else if (!(*logOn == *t->logOnInfo()))
                queryError(m_def, *q, QStringLiteral("joins tables that log on to different servers."));
        }
        if (!logOn)
            queryError(m_def, *q, QStringLiteral("names no table of the report."));

        m_watch.check();
        const std::shared_ptr<DataConnection> connection =
            runNamed(m_def, *q, [&] { return m_report.connectionFor(*logOn); });
        // A table the database may lack: without it the fallback's rows stand.
        for (const Piece &p : pieces) {
            const DatabaseTable *t = p.kind == Piece::Table ? table(p.text) : nullptr;
            if (!t || !t->isOptional() ||
                runNamed(m_def, *q, [&] { return connection->hasObject(t->Location(), t->isProcedure()); }))
                continue;
            if (q->fallback.isEmpty())
                queryError(m_def, *q,
                           QStringLiteral("names the table '%1', which the database lacks, and has no fallback.")
                               .arg(t->Name()));
            const adodb::ResultSet rows = result(q->fallback);
            return m_results.insert(key, rows).value();
        }
        if (const DatabaseTable *procedure = procedureOf(*q, pieces)) {
            QVariantList arguments;
            for (const Piece &p : pieces)
                if (p.kind == Piece::Parameter)
                    arguments.append(boundValue(*q, p.text));
            m_report.root()->countQueryRun();
            const WatchScope watching(*connection, m_watch);
            return m_results
                .insert(key, runNamed(m_def, *q,
                                      [&] { return connection->callProcedure(procedure->Location(), arguments); }))
                .value();
        }
        PreparedQuery prepared;
        for (const Piece &p : pieces) {
            switch (p.kind) {
            case Piece::Text:
                prepared.text += p.text;
                break;
            case Piece::Table:
                prepared.text += connection->tableName(table(p.text)->Location());
                break;
            case Piece::Parameter:
                prepared.text += connection->placeholder(int(prepared.values.size()));
                prepared.values.append(boundValue(*q, p.text));
                break;
            }
        }
        const WatchScope watching(*connection, m_watch);
        runNamed(m_def, *q, [&] { connection->checkReadOnly(prepared.text); });
        m_report.root()->countQueryRun();
        return m_results.insert(key, runNamed(m_def, *q, [&] { return connection->select(prepared); })).value();
    }

    // Group headers, details and group footers for every row.
    void body(QList<Band> &out)
    {
        const int levels = int(m_def.groups.size());
        const auto details = m_def.sectionsOf(SectionKind::Detail);
        std::vector<int> headerIndex(levels + 1, -1);
        for (int i = 0; i < m_rowCount; ++i) {
            m_watch.check();
            const int row = m_hasData ? i : -1;
            QList<std::pair<int, QString>> starts;
            for (int g = m_startLevel[i]; g <= levels; ++g) {
                ElementDef labelDef;
                labelDef.dateFormat = QStringLiteral("MM/dd/yyyy");
                starts.append({g, showValue(cell(i, m_groupColumn[g - 1]), labelDef).first});
                headerIndex[g] = int(out.size());
                for (const SectionDef *s : m_def.sectionsOf(SectionKind::GroupHeader, g)) {
                    if (!sectionPrints(*s, row))
                        continue;
                    out.append(makeBand(*s, row));
                    out.last().groupStarts = std::exchange(starts, {});
                }
            }
            for (const SectionDef *s : details) {
                if (!sectionPrints(*s, row))
                    continue;
                out.append(makeBand(*s, row));
                if (!starts.isEmpty())
                    out.last().groupStarts = std::exchange(starts, {});
            }
            // Footers of the groups ending here, innermost first.
            for (int g = levels; g >= 1; --g) {
                if (m_rangeEnd[g - 1][i] != i + 1)
                    break;
                for (const SectionDef *s : m_def.sectionsOf(SectionKind::GroupFooter, g))
                    if (sectionPrints(*s, row))
                        out.append(makeBand(*s, row));
                for (int b = headerIndex[g]; b >= 0 && b < out.size(); ++b) {
                    if (out[b].kind != SectionKind::GroupHeader || out[b].group != g)
                        break;
                    out[b].groupEnd = int(out.size()) - 1;
                }
            }
        }
    }

    double aggregate(const ElementDef &e, int row, const QString &column)
    {
        if (!m_hasData)
            throw com::ComError(
                errors::ReportFileInvalid,
                QStringLiteral("Error in report file '%1' at line %2: the formula has no rows to work on: the report "
                               "has no data query")
                    .arg(m_def.filePath)
                    .arg(e.line),
                kEngineSource);
        int from = 0, to = m_rowCount;
        if (e.scope == FormulaScope::Group && row >= 0) {
            from = m_rangeStart[e.groupLevel - 1][row];
            to = m_rangeEnd[e.groupLevel - 1][row];
        }
        if (e.formula == FormulaKind::Count && column.isEmpty())
            return to - from;
        const int c = columnOf(*m_data, column, m_def.dataQuery);
        double sum = 0;
        int count = 0;
        for (int i = from; i < to; ++i) {
            const com::Variant &v = m_data->rows[i][c];
            if (v.isNull())
                continue;
            ++count;
            if (const auto n = numericOf(v))
                sum += *n;
        }
        return e.formula == FormulaKind::Count ? count : sum;
    }

    int fontIndex(const FontDef &font)
    {
        const auto key = std::make_tuple(font.family, font.sizePt, font.bold, font.italic);
        const auto found = m_fontIndex.find(key);
        if (found != m_fontIndex.end())
            return found->second;
        m_doc.fonts.append(font);
        const int index = int(m_doc.fonts.size()) - 1;
        m_fontIndex.emplace(key, index);
        return index;
    }

    QString expandTemplate(const QString &text)
    {
        if (!text.contains(QLatin1String("{?")))
            return text;
        QString out;
        int i = 0;
        while (i < text.size()) {
            const int open = text.indexOf(QLatin1String("{?"), i);
            const int close = open < 0 ? -1 : text.indexOf(QLatin1Char('}'), open);
            if (open < 0 || close < 0) {
                out += QStringView(text).mid(i);
                break;
            }
            out += QStringView(text).mid(i, open - i);
            const QString name = text.mid(open + 2, close - open - 2).trimmed();
            ParameterFieldDefinition *p = parameter(name);
            if (!p)
                throw com::ComError(errors::ReportFileInvalid,
                                    QStringLiteral("The report '%1' shows the unknown parameter '%2' in a text.")
                                        .arg(m_def.filePath, name),
                                    kEngineSource);
            out += p->displayText();
            i = close + 1;
        }
        return out;
    }

    // Whether a detail or group section prints for this row.
    bool sectionPrints(const SectionDef &s, int row)
    {
        if (s.whenField.isEmpty())
            return true;
        const com::Variant v = m_hasData ? cell(row, columnOf(*m_data, s.whenField, m_def.dataQuery)) : com::Variant();
        const bool equal = !v.isNull() && v.toText() == s.whenValue;
        return equal == s.whenEquals;
    }

    // Whether an element prints in this fill: some print only when a query
    // gives rows ("no cases in the period" when it gives none).
    bool printsNow(const ElementDef &e)
    {
        if (e.printWhen == PrintWhen::Always)
            return true;
        const bool rows = e.whenQuery.isEmpty() ? m_hasData && m_rowCount > 0 : !result(e.whenQuery).rows.isEmpty();
        return rows == (e.printWhen == PrintWhen::Rows);
    }

    Band makeBand(const SectionDef &section, int row)
    {
        Band band;
        band.kind = section.kind;
        band.group = section.group;
        band.height = section.height;
        band.items.reserve(section.elements.size());
        for (const ElementDef &e : section.elements) {
            if (!printsNow(e))
                continue;
            BandItem item;
            item.item.rect = e.rect;
            item.item.align = e.align;
            item.item.pen = e.penWidth;
            item.column = e.column;
            item.span = e.span;
            item.numberFormat = e.numberFormat;
            switch (e.kind) {
            case ElementKind::Line:
                item.item.kind = DisplayItem::Kind::Line;
                break;
            case ElementKind::Box:
                item.item.kind = DisplayItem::Kind::Box;
                break;
            case ElementKind::Text:
                item.item.text = expandTemplate(e.text);
                break;
            case ElementKind::Field: {
                com::Variant v;
                if (e.query.isEmpty()) {
                    if (m_hasData && row >= 0)
                        v = cell(row, columnOf(*m_data, e.name, m_def.dataQuery));
                    else if (m_hasData)
                        columnOf(*m_data, e.name, m_def.dataQuery);
                } else {
                    const adodb::ResultSet &rs = result(e.query);
                    const int c = columnOf(rs, e.name, e.query);
                    if (!rs.rows.isEmpty())
                        v = rs.rows.first()[c];
                }
                std::tie(item.item.text, item.number) = showValue(v, e);
                if (v.isNull())
                    item.item.text = e.nullText;
                break;
            }
            case ElementKind::Parameter: {
                ParameterFieldDefinition *p = parameter(e.name);
                const com::Variant v = p->effectiveValue();
                if (p->ValueType() == ParameterType::Date) {
                    item.item.text = formatDate(v.toDateTime().date(), e.dateFormat);
                } else if (p->ValueType() == ParameterType::Number) {
                    item.item.text = formatNumber(v.toDouble(), e.numberFormat);
                    item.number = v.toDouble();
                } else {
                    item.item.text = v.toText();
                }
                break;
            }
            case ElementKind::SummaryProperty:
                item.item.text = e.name == u"title"     ? m_report.ReportTitle()
                                 : e.name == u"subject" ? m_report.ReportSubject()
                                 : e.name == u"author"  ? m_report.ReportAuthor()
                                                        : m_report.ReportComments();
                break;
            case ElementKind::Formula: {
                double value = 0;
                bool shown = true;
                if (e.formula == FormulaKind::Ratio) {
                    const double below = aggregate(e, row, e.divisor);
                    if (below == 0)
                        shown = false; // no rate without a base: left blank, not a division by zero
                    else
                        value = aggregate(e, row, e.name) / below * e.scale;
                } else {
                    value = aggregate(e, row, e.name);
                }
                if (shown) {
                    item.item.text = formatNumber(value, e.numberFormat);
                    item.number = value;
                } else {
                    item.item.text = e.nullText;
                }
                break;
            }
            case ElementKind::Special:
                if (e.special == SpecialKind::PrintDate) {
                    item.item.text = formatDate(m_printTime.date(), e.dateFormat);
                } else if (e.special == SpecialKind::Period) {
                    item.item.text = periodText(parameter(e.fromParameter)->effectiveValue().toDateTime().date(),
                                                parameter(e.toParameter)->effectiveValue().toDateTime().date());
                } else {
                    item.pageDependent = true;
                    item.special = e.special;
                }
                break;
            case ElementKind::Subreport: {
                Report *child = m_report.OpenSubreport(e.name).get();
                std::shared_ptr<Filler> fill = m_subFills.value(child);
                if (!fill) {
                    fill = std::make_shared<Filler>(*child, m_doc, m_subFills, m_printTime, m_watch);
                    m_subFills.insert(child, fill);
                }
                double height = 0;
                qsizetype characters = 0;
                const QList<BandItem> &block = fill->block(height, characters);
                // Each place a subreport is shown copies its block: counted
                // before the copy, so that subreports shown twice in each
                // other stop here instead of doubling the memory.
                m_watch.count(block.size(), characters);
                for (BandItem sub : block) {
                    sub.item.rect.translate(e.rect.topLeft());
                    band.items.append(sub);
                }
                band.height = std::max(band.height, e.rect.top() + height);
                continue;
            }
            }
            item.item.font = fontIndex(e.font);
            if (item.item.kind == DisplayItem::Kind::Text) {
                item.item.wrap = e.canGrow;
                if (e.canGrow && !item.item.text.isEmpty()) {
                    const double needed = measureTextHeight(e.font, item.item.text, e.rect.width(), e.align);
                    if (needed > item.item.rect.height()) {
                        // The room the box leaves under its first line stays
                        // under the last one.
                        const double line = measureTextHeight(e.font, QStringLiteral("X"), e.rect.width(), e.align);
                        item.item.rect.setHeight(std::max(needed, e.rect.height() + needed - line));
                    }
                }
            }
            // A text that grew pushes the section's bottom down by as much,
            // keeping the space the section leaves under it: a wrapped name
            // stays as far from the next row as a one-line one.
            if (item.item.kind != DisplayItem::Kind::Line)
                band.height =
                    std::max(band.height, item.item.rect.bottom() + std::max(0.0, section.height - e.rect.bottom()));
            m_watch.count(1, item.item.text.size());
            band.items.append(std::move(item));
        }
        m_watch.count(1, 0);
        return band;
    }

    Report &m_report;
    const ReportDef &m_def;
    Document &m_doc;
    QHash<const Report *, std::shared_ptr<Filler>> &m_subFills;
    QDateTime m_printTime;
    FillWatch &m_watch;
    QHash<QString, adodb::ResultSet> m_results;
    std::map<std::tuple<QString, double, bool, bool>, int> m_fontIndex;
    const adodb::ResultSet *m_data = nullptr;
    bool m_prepared = false;
    bool m_hasData = false;
    int m_rowCount = 0;
    std::vector<int> m_groupColumn;
    std::vector<int> m_startLevel;
    std::vector<std::vector<int>> m_rangeStart, m_rangeEnd;
    bool m_blockDone = false;
    QList<BandItem> m_block;
    double m_blockHeight = 0;
    qsizetype m_blockCharacters = 0;
};

} // namespace

std::unique_ptr<Document> fillAndPaginate(Report &report)
{
    auto document = std::make_unique<Document>();
    const ReportDef &def = report.definition();
    document->paperSize = def.paperSize();
    document->margins = def.margins;
    document->title = report.ReportTitle();
    document->author = report.ReportAuthor();
    document->subject = report.ReportSubject();
    QHash<const Report *, std::shared_ptr<Filler>> subFills;
    FillWatch watch(report.fillLimits(), report.fillMonitor(), def.filePath);
    Filler(report, *document, subFills, QDateTime::currentDateTime(), watch).fillMain();
    watch.check();

    for (const SectionDef *s : def.sectionsOf(SectionKind::Detail))
        for (const ElementDef &e : s->elements)
            if (e.column > 0) {
                while (document->columnWidths.size() < e.column + e.span - 1)
                    document->columnWidths.append(0);
                const double each = e.rect.width() / e.span;
                for (int k = 0; k < e.span; ++k)
                    document->columnWidths[e.column - 1 + k] = each;
            }
    paginate(*document, def);
    return document;
}

} // namespace reportengine
