#include "ReportDefinition.h"

#include "EngineErrors.h"

#include "com/ComError.h"

#include <QFile>
#include <QXmlStreamReader>

#include <cmath>

namespace reportengine {

const QueryDef *ReportDef::findQuery(const QString &queryName) const
{
    for (const QueryDef &q : queries)
        if (q.name.compare(queryName, Qt::CaseInsensitive) == 0)
            return &q;
    return nullptr;
}

const ParameterDef *ReportDef::findParameter(const QString &parameterName) const
{
    for (const ParameterDef &p : parameters)
        if (p.name.compare(parameterName, Qt::CaseInsensitive) == 0)
            return &p;
    return nullptr;
}

QList<const SectionDef *> ReportDef::sectionsOf(SectionKind kind, int group) const
{
    QList<const SectionDef *> found;
    for (const SectionDef &s : sections)
        if (s.kind == kind && s.group == group)
            found.append(&s);
    return found;
}

namespace {

// Reads one report element (and, recursively, its subreports) with the
// reader's position at hand for every complaint.
class Parser
{
public:
    Parser(QXmlStreamReader &reader, QString path)
        : m_xml(reader)
        , m_path(std::move(path))
    {}

    [[noreturn]] void fail(const QString &message) const
    {
        throw com::ComError(errors::ReportFileInvalid,
                            QStringLiteral("Error in report file '%1' at line %2, column %3: %4")
                                .arg(m_path)
                                .arg(m_xml.lineNumber())
                                .arg(m_xml.columnNumber())
                                .arg(message),
                            kEngineSource);
    }

    void checkXml() const
    {
        if (m_xml.hasError())
            fail(m_xml.errorString());
    }

    std::shared_ptr<ReportDef> readDocument()
    {
        if (!m_xml.readNextStartElement()) {
            checkXml();
            fail(QStringLiteral("the file holds no report"));
        }
        if (m_xml.name() != u"report")
            fail(QStringLiteral("the file's root element must be <report>, not <%1>").arg(m_xml.name()));
        auto def = readReport(FontDef{QStringLiteral("DejaVu Sans"), 9, false, false}, 0);
        while (!m_xml.atEnd())
            m_xml.readNext();
        checkXml();
        return def;
    }

private:
    QString attr(const char *name) const { return m_xml.attributes().value(QLatin1String(name)).toString(); }
    bool has(const char *name) const { return m_xml.attributes().hasAttribute(QLatin1String(name)); }

    QString required(const char *name) const
    {
        if (!has(name))
            fail(QStringLiteral("<%1> needs the attribute '%2'").arg(m_xml.name(), QLatin1String(name)));
        return attr(name);
    }

    // A number attribute within [min, max]: "inf", "nan" and values past
    // the bounds are refused, so nothing later meets a length it cannot lay out.
    double number(const char *name, double fallback, double min, double max) const
    {
        if (!has(name))
            return fallback;
        bool ok = false;
        const double value = attr(name).trimmed().toDouble(&ok);
        if (!ok)
            fail(QStringLiteral("the attribute '%1' must be a number, not '%2'").arg(QLatin1String(name), attr(name)));
        if (!std::isfinite(value) || value < min || value > max)
            fail(QStringLiteral("the attribute '%1' must be a number from %2 to %3, not '%4'")
                     .arg(QLatin1String(name))
                     .arg(min)
                     .arg(max)
                     .arg(attr(name)));
        return value;
    }

    int whole(const char *name, int fallback, int min, int max) const
    {
        const double value = number(name, fallback, min, max);
        if (value != std::floor(value))
            fail(QStringLiteral("the attribute '%1' must be a whole number from %2 to %3, not '%4'")
                     .arg(QLatin1String(name))
                     .arg(min)
                     .arg(max)
                     .arg(attr(name)));
        return int(value);
    }

    QString format(const char *name) const
    {
        const QString value = attr(name);
        if (value.size() > limits::kMaxFormatLength)
            fail(QStringLiteral("the attribute '%1' may be at most %2 characters long")
                     .arg(QLatin1String(name))
                     .arg(limits::kMaxFormatLength));
        return value;
    }

    void countUp(int &count, int most, const QString &what) const
    {
        if (++count > most)
            fail(what.arg(most));
    }

    bool flag(const char *name, bool fallback = false) const
    {
        if (!has(name))
            return fallback;
        const QString v = attr(name).trimmed().toLower();
        if (v == u"true" || v == u"yes" || v == u"1")
            return true;
        if (v == u"false" || v == u"no" || v == u"0")
            return false;
        fail(QStringLiteral("the attribute '%1' must be true or false, not '%2'").arg(QLatin1String(name), attr(name)));
    }

    template <typename T>
    T choice(const char *name, std::initializer_list<std::pair<const char16_t *, T>> options, T fallback) const
    {
        if (!has(name))
            return fallback;
        const QString v = attr(name).trimmed().toLower();
        QStringList names;
        for (const auto &[text, value] : options) {
            if (v == QStringView(text))
                return value;
            names.append(QString::fromUtf16(text));
        }
        fail(QStringLiteral("the attribute '%1' must be one of %2, not '%3'")
                 .arg(QLatin1String(name), names.join(QStringLiteral(", ")), attr(name)));
    }

    [[noreturn]] void unknownElement() const { fail(QStringLiteral("unknown element <%1>").arg(m_xml.name())); }

    FontDef readFont(const FontDef &base) const
    {
        FontDef f = base;
        if (has("font"))
            f.family = attr("font");
        f.sizePt = number("font-size", base.sizePt, 1, limits::kMaxFontSize);
        f.bold = flag("bold", base.bold);
        f.italic = flag("italic", base.italic);
        return f;
    }

    std::shared_ptr<ReportDef> readReport(const FontDef &baseFont, int depth)
    {
        auto def = std::make_shared<ReportDef>();
        def->filePath = m_path;
        def->name = attr("name");
        def->font = readFont(baseFont);
        while (m_xml.readNextStartElement()) {
            const auto n = m_xml.name();
            if (n == u"summary") {
                def->title = attr("title");
                def->subject = attr("subject");
                def->author = attr("author");
                def->comments = attr("comments");
                m_xml.skipCurrentElement();
            } else if (n == u"page") {
                readPage(*def);
                m_xml.skipCurrentElement();
            } else if (n == u"parameters") {
                int parameters = int(def->parameters.size());
                while (m_xml.readNextStartElement()) {
                    if (m_xml.name() != u"parameter")
                        unknownElement();
                    countUp(parameters, limits::kMaxDefinitions,
                            QStringLiteral("a report may hold at most %1 parameter fields"));
                    ParameterDef p;
                    p.name = required("name");
                    p.type = choice<ParameterType>("type",
                                                   {{u"text", ParameterType::Text},
                                                    {u"number", ParameterType::Number},
                                                    {u"date", ParameterType::Date}},
                                                   ParameterType::Text);
                    p.prompt = attr("prompt");
                    if (has("default"))
                        p.defaultValue = attr("default");
                    def->parameters.append(p);
                    m_xml.skipCurrentElement();
                }
            } else if (n == u"tables") {
                int tables = int(def->tables.size());
                while (m_xml.readNextStartElement()) {
                    if (m_xml.name() != u"table")
                        unknownElement();
                    countUp(tables, limits::kMaxDefinitions, QStringLiteral("a report may hold at most %1 tables"));
                    TableDef table{required("alias"), required("location")};
                    table.procedure = choice<bool>("kind", {{u"table", false}, {u"procedure", true}}, false);
                    table.optional = flag("optional");
                    def->tables.append(table);
                    m_xml.skipCurrentElement();
                }
            } else if (n == u"queries") {
                int queries = int(def->queries.size());
                while (m_xml.readNextStartElement()) {
                    if (m_xml.name() != u"query")
                        unknownElement();
                    countUp(queries, limits::kMaxDefinitions, QStringLiteral("a report may hold at most %1 queries"));
                    QueryDef q;
                    q.name = required("name");
                    q.fallback = attr("fallback");
                    q.line = int(m_xml.lineNumber());
                    q.sql = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement).trimmed();
                    checkXml();
                    def->queries.append(q);
                }
            } else if (n == u"data") {
                def->dataQuery = required("query");
                m_xml.skipCurrentElement();
            } else if (n == u"groups") {
                int groups = int(def->groups.size());
                while (m_xml.readNextStartElement()) {
                    if (m_xml.name() != u"group")
                        unknownElement();
                    countUp(groups, limits::kMaxGroups, QStringLiteral("a report may hold at most %1 groups"));
                    def->groups.append(GroupDef{required("field"), flag("keep-together"), flag("repeat-header"),
                                                int(m_xml.lineNumber())});
                    m_xml.skipCurrentElement();
                }
            } else if (n == u"sections") {
                while (m_xml.readNextStartElement()) {
                    if (m_xml.name() != u"section")
                        unknownElement();
                    if (def->sections.size() >= limits::kMaxSections)
                        fail(QStringLiteral("a report may hold at most %1 sections").arg(limits::kMaxSections));
                    def->sections.append(readSection(*def));
                }
            } else if (n == u"subreports") {
                while (m_xml.readNextStartElement()) {
                    if (m_xml.name() != u"report")
                        unknownElement();
                    if (!has("name"))
                        required("name");
                    // Each level of subreport is one level of the parser's
                    // (and the fill's) recursion.
                    if (depth + 1 > limits::kMaxSubreportDepth)
                        fail(
                            QStringLiteral("subreports may be nested at most %1 deep").arg(limits::kMaxSubreportDepth));
                    countUp(m_subreports, limits::kMaxSubreports,
                            QStringLiteral("a report file may hold at most %1 subreports"));
                    def->subreports.append(readReport(def->font, depth + 1));
                }
            } else {
                unknownElement();
            }
        }
        checkXml();
        validate(*def);
        return def;
    }

    void readPage(ReportDef &def) const
    {
        const QString size = attr("size").trimmed().toLower();
        if (size.isEmpty() || size == u"letter")
            def.pageSize = QSizeF(612, 792);
        else if (size == u"legal")
            def.pageSize = QSizeF(612, 1008);
        else if (size == u"a4")
            def.pageSize = QSizeF(595.28, 841.89);
        else {
            const QStringList parts = size.split(QLatin1Char('x'));
            bool okW = false, okH = false;
            if (parts.size() == 2)
                def.pageSize = QSizeF(parts[0].toDouble(&okW), parts[1].toDouble(&okH));
            const auto side = [](double v) {
                return std::isfinite(v) && v >= limits::kMinPageSide && v <= limits::kMaxLength;
            };
            if (!okW || !okH || !side(def.pageSize.width()) || !side(def.pageSize.height()))
                fail(QStringLiteral("the page size must be letter, legal, a4 or WIDTHxHEIGHT in points, each side "
                                    "from %1 to %2, not '%3'")
                         .arg(limits::kMinPageSide)
                         .arg(limits::kMaxLength)
                         .arg(attr("size")));
        }
        def.landscape = choice<bool>("orientation", {{u"portrait", false}, {u"landscape", true}}, false);
        const double all = number("margins", 36, 0, limits::kMaxLength);
        def.margins = QMarginsF(
            number("margin-left", all, 0, limits::kMaxLength), number("margin-top", all, 0, limits::kMaxLength),
            number("margin-right", all, 0, limits::kMaxLength), number("margin-bottom", all, 0, limits::kMaxLength));
        const QSizeF paper = def.paperSize();
        if (def.margins.left() + def.margins.right() >= paper.width() ||
            def.margins.top() + def.margins.bottom() >= paper.height())
            fail(QStringLiteral("the margins leave no room on a %1 x %2 page").arg(paper.width()).arg(paper.height()));
    }

    SectionDef readSection(const ReportDef &def)
    {
        SectionDef s;
        s.line = int(m_xml.lineNumber());
        s.kind = choice<SectionKind>("kind",
                                     {{u"report-header", SectionKind::ReportHeader},
                                      {u"page-header", SectionKind::PageHeader},
                                      {u"group-header", SectionKind::GroupHeader},
                                      {u"detail", SectionKind::Detail},
                                      {u"group-footer", SectionKind::GroupFooter},
                                      {u"report-footer", SectionKind::ReportFooter},
                                      {u"page-footer", SectionKind::PageFooter}},
                                     SectionKind::Detail);
        if (!has("kind"))
            required("kind");
        if (s.kind == SectionKind::GroupHeader || s.kind == SectionKind::GroupFooter) {
            s.group = whole("group", 0, 0, limits::kMaxGroups);
            if (s.group < 1 || s.group > def.groups.size())
                fail(QStringLiteral("the section's group must be between 1 and %1").arg(def.groups.size()));
        }
        s.height = number("height", 0, -limits::kMaxLength, limits::kMaxLength);
        if (s.height < 0)
            fail(QStringLiteral("a section's height cannot be negative"));
        if (has("when-field")) {
            if (s.kind != SectionKind::Detail && s.kind != SectionKind::GroupHeader &&
                s.kind != SectionKind::GroupFooter)
                fail(QStringLiteral("only detail and group sections can be printed for some rows"));
            if (has("when-equals") == has("when-not-equals"))
                fail(QStringLiteral("a section with when-field needs one of when-equals and when-not-equals"));
            s.whenField = attr("when-field");
            s.whenEquals = has("when-equals");
            s.whenValue = attr(s.whenEquals ? "when-equals" : "when-not-equals");
        }
        while (m_xml.readNextStartElement()) {
            if (s.elements.size() >= limits::kMaxElementsPerSection)
                fail(QStringLiteral("a section may hold at most %1 elements").arg(limits::kMaxElementsPerSection));
            countUp(m_elements, limits::kMaxElements, QStringLiteral("a report file may hold at most %1 elements"));
            s.elements.append(readElement(def, s));
        }
        return s;
    }

    double length(const char *name) const { return number(name, 0, -limits::kMaxLength, limits::kMaxLength); }

    void readBox(ElementDef &e) const
    {
        e.rect = QRectF(length("x"), length("y"), length("w"), length("h"));
        if (e.rect.width() < 0 || e.rect.height() < 0)
            fail(QStringLiteral("an element's width and height cannot be negative"));
    }

    ElementDef readElement(const ReportDef &def, const SectionDef &section)
    {
        ElementDef e;
        e.line = int(m_xml.lineNumber());
        e.font = readFont(def.font);
        e.align = choice<Align>("align", {{u"left", Align::Left}, {u"center", Align::Center}, {u"right", Align::Right}},
                                Align::Left);
        e.canGrow = flag("can-grow");
        e.column = whole("column", 0, 0, limits::kMaxColumns);
        e.span = whole("span", 1, 1, limits::kMaxColumns);
        if (e.column > 0 && e.column + e.span - 1 > limits::kMaxColumns)
            fail(QStringLiteral("an element's columns must end by column %1, the last an export sheet has")
                     .arg(limits::kMaxColumns));
        e.numberFormat = format("format");
        e.dateFormat = format("date-format");
        e.penWidth = number("pen", 0.5, 0, limits::kMaxPen);
        e.nullText = attr("null-text");
        e.printWhen = choice<PrintWhen>(
            "when", {{u"always", PrintWhen::Always}, {u"rows", PrintWhen::Rows}, {u"no-rows", PrintWhen::NoRows}},
            PrintWhen::Always);
        e.whenQuery = attr("when-query");
        const auto n = m_xml.name();
        if (n == u"line") {
            e.kind = ElementKind::Line;
            e.rect = QRectF(QPointF(length("x1"), length("y1")), QPointF(length("x2"), length("y2")));
            m_xml.skipCurrentElement();
            return e;
        }
        readBox(e);
        if (n == u"text") {
            e.kind = ElementKind::Text;
            e.text = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
            checkXml();
            return e;
        }
        if (n == u"field") {
            e.kind = ElementKind::Field;
            e.name = required("name");
            e.query = attr("query");
            if (!e.query.isEmpty() && !def.findQuery(e.query))
                fail(QStringLiteral("the field reads the unknown query '%1'").arg(e.query));
        } else if (n == u"parameter-field") {
            e.kind = ElementKind::Parameter;
            e.name = required("name");
        } else if (n == u"summary-field") {
            e.kind = ElementKind::SummaryProperty;
            e.name = required("name").toLower();
            if (e.name != u"title" && e.name != u"subject" && e.name != u"author" && e.name != u"comments")
                fail(QStringLiteral("the summary property must be title, subject, author or comments"));
        } else if (n == u"formula") {
            e.kind = ElementKind::Formula;
            e.formula = choice<FormulaKind>(
                "kind", {{u"sum", FormulaKind::Sum}, {u"count", FormulaKind::Count}, {u"ratio", FormulaKind::Ratio}},
                FormulaKind::Sum);
            e.name = attr("field");
            if (e.formula != FormulaKind::Count && e.name.isEmpty())
                required("field");
            if (e.formula == FormulaKind::Ratio)
                e.divisor = required("divisor");
            e.scale = number("scale", 1, -limits::kMaxScale, limits::kMaxScale);
            e.scope = choice<FormulaScope>("over", {{u"group", FormulaScope::Group}, {u"report", FormulaScope::Report}},
                                           section.group > 0 ? FormulaScope::Group : FormulaScope::Report);
            e.groupLevel = whole("group", 0, 0, limits::kMaxGroups);
            if (e.scope == FormulaScope::Group) {
                const int level = e.groupLevel > 0 ? e.groupLevel : section.group;
                if (level < 1 || level > def.groups.size())
                    fail(QStringLiteral("a group formula needs a group (in a group section or with group=\"N\")"));
                if (e.groupLevel == 0)
                    e.groupLevel = level;
            }
        } else if (n == u"special") {
            e.kind = ElementKind::Special;
            e.special = choice<SpecialKind>("kind",
                                            {{u"page-n-of-m", SpecialKind::PageNOfM},
                                             {u"page-number", SpecialKind::PageNumber},
                                             {u"total-pages", SpecialKind::TotalPages},
                                             {u"print-date", SpecialKind::PrintDate},
                                             {u"period", SpecialKind::Period}},
                                            SpecialKind::PageNOfM);
            if (!has("kind"))
                required("kind");
            if (e.special == SpecialKind::Period) {
                e.fromParameter = required("from");
                e.toParameter = required("to");
            }
        } else if (n == u"box") {
            e.kind = ElementKind::Box;
        } else if (n == u"subreport") {
            e.kind = ElementKind::Subreport;
            e.name = required("name");
        } else {
            unknownElement();
        }
        m_xml.skipCurrentElement();
        return e;
    }

    // Checks that need the whole report: names that must exist.
    void validate(const ReportDef &def) const
    {
        if (!def.dataQuery.isEmpty() && !def.findQuery(def.dataQuery))
            fail(QStringLiteral("the data query '%1' is not among the report's queries").arg(def.dataQuery));
        for (const QueryDef &q : def.queries) {
            const QueryDef *fallback = q.fallback.isEmpty() ? nullptr : def.findQuery(q.fallback);
            if (!q.fallback.isEmpty() && (!fallback || !fallback->fallback.isEmpty()))
                fail(QStringLiteral("the query '%1' at line %2 falls back on '%3', which is not a query of the report "
                                    "without a fallback of its own")
                         .arg(q.name)
                         .arg(q.line)
                         .arg(q.fallback));
        }
        // Without a data query there are no rows: whatever reads them is a
        // mistake of the file, said so when it opens.
        const bool rows = !def.dataQuery.isEmpty();
        if (!rows && !def.groups.isEmpty())
            fail(QStringLiteral("the group at line %1 has no rows to group: the report has no data query")
                     .arg(def.groups.first().line));
        for (const SectionDef &s : def.sections) {
            if (!rows && !s.whenField.isEmpty())
                fail(QStringLiteral("the section at line %1 prints by the field '%2', but the report has no data query")
                         .arg(s.line)
                         .arg(s.whenField));
            for (const ElementDef &e : s.elements) {
                if (!rows && e.kind == ElementKind::Field && e.query.isEmpty())
                    fail(QStringLiteral(
                             "the field '%1' at line %2 reads the data rows, but the report has no data query")
                             .arg(e.name)
                             .arg(e.line));
                if (!rows && e.kind == ElementKind::Formula)
                    fail(QStringLiteral("the formula at line %1 has no rows to work on: the report has no data query")
                             .arg(e.line));
                if (e.kind == ElementKind::Subreport) {
                    bool found = false;
                    for (const auto &sub : def.subreports)
                        found = found || sub->name.compare(e.name, Qt::CaseInsensitive) == 0;
                    if (!found)
                        fail(QStringLiteral("the subreport '%1' placed at line %2 is not embedded in the report")
                                 .arg(e.name)
                                 .arg(e.line));
                }
                if (!e.whenQuery.isEmpty() && !def.findQuery(e.whenQuery))
                    fail(QStringLiteral("the element at line %1 looks at the unknown query '%2'")
                             .arg(e.line)
                             .arg(e.whenQuery));
                if (e.printWhen != PrintWhen::Always && e.whenQuery.isEmpty() && def.dataQuery.isEmpty())
                    fail(QStringLiteral("the element at line %1 prints by rows but the report has no data query")
                             .arg(e.line));
                QStringList shown;
                if (e.kind == ElementKind::Parameter)
                    shown << e.name;
                if (e.kind == ElementKind::Special && e.special == SpecialKind::Period)
                    shown << e.fromParameter << e.toParameter;
                for (const QString &name : shown) {
                    const ParameterDef *p = def.findParameter(name);
                    if (!p)
                        fail(QStringLiteral("the parameter field '%1' shown at line %2 is not defined")
                                 .arg(name)
                                 .arg(e.line));
                    if (e.kind == ElementKind::Special && p->type != ParameterType::Date)
                        fail(QStringLiteral("the period at line %1 needs date parameters; '%2' is not one")
                                 .arg(e.line)
                                 .arg(name));
                }
            }
        }
    }

    QXmlStreamReader &m_xml;
    QString m_path;
    int m_elements = 0;   // in the whole file
    int m_subreports = 0; // in the whole file
};

} // namespace

namespace {
[[noreturn]] void tooLarge(const QString &path)
{
    throw com::ComError(errors::ReportFileInvalid,
                        QStringLiteral("The report file '%1' is larger than %2 MB, the most a report file may be.")
                            .arg(path)
                            .arg(limits::kMaxFileBytes / (1024 * 1024)),
                        kEngineSource);
}
} // namespace

std::shared_ptr<ReportDef> readReportText(const QByteArray &text, const QString &path)
{
    if (text.size() > limits::kMaxFileBytes)
        tooLarge(path);
    QXmlStreamReader reader(text);
    return Parser(reader, path).readDocument();
}

std::shared_ptr<ReportDef> readReportFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        throw com::ComError(errors::ReportFileNotFound,
                            QStringLiteral("File not found: the report file '%1' does not exist.").arg(path),
                            kEngineSource);
    if (!file.open(QIODevice::ReadOnly))
        throw com::ComError(errors::ReportFileNotFound,
                            QStringLiteral("The report file '%1' cannot be opened: %2").arg(path, file.errorString()),
                            kEngineSource);
    if (file.size() > limits::kMaxFileBytes)
        tooLarge(path);
    return readReportText(file.read(limits::kMaxFileBytes + 1), path);
}

} // namespace reportengine
