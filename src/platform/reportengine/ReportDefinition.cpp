#include "ReportDefinition.h"

#include "EngineErrors.h"

#include "com/ComError.h"

#include <QFile>
#include <QXmlStreamReader>

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
        auto def = readReport(FontDef{QStringLiteral("DejaVu Sans"), 9, false, false});
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

    double number(const char *name, double fallback) const
    {
        if (!has(name))
            return fallback;
        bool ok = false;
        const double value = attr(name).trimmed().toDouble(&ok);
        if (!ok)
            fail(QStringLiteral("the attribute '%1' must be a number, not '%2'").arg(QLatin1String(name), attr(name)));
        return value;
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
        f.sizePt = number("font-size", base.sizePt);
        f.bold = flag("bold", base.bold);
        f.italic = flag("italic", base.italic);
        return f;
    }

    std::shared_ptr<ReportDef> readReport(const FontDef &baseFont)
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
                while (m_xml.readNextStartElement()) {
                    if (m_xml.name() != u"parameter")
                        unknownElement();
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
                while (m_xml.readNextStartElement()) {
                    if (m_xml.name() != u"table")
                        unknownElement();
                    TableDef table{required("alias"), required("location")};
                    table.procedure = choice<bool>("kind", {{u"table", false}, {u"procedure", true}}, false);
                    def->tables.append(table);
                    m_xml.skipCurrentElement();
                }
            } else if (n == u"queries") {
                while (m_xml.readNextStartElement()) {
                    if (m_xml.name() != u"query")
                        unknownElement();
                    QueryDef q;
                    q.name = required("name");
                    q.line = int(m_xml.lineNumber());
                    q.sql = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement).trimmed();
                    checkXml();
                    def->queries.append(q);
                }
            } else if (n == u"data") {
                def->dataQuery = required("query");
                m_xml.skipCurrentElement();
            } else if (n == u"groups") {
                while (m_xml.readNextStartElement()) {
                    if (m_xml.name() != u"group")
                        unknownElement();
                    def->groups.append(GroupDef{required("field"), flag("keep-together"), flag("repeat-header")});
                    m_xml.skipCurrentElement();
                }
            } else if (n == u"sections") {
                while (m_xml.readNextStartElement()) {
                    if (m_xml.name() != u"section")
                        unknownElement();
                    def->sections.append(readSection(*def));
                }
            } else if (n == u"subreports") {
                while (m_xml.readNextStartElement()) {
                    if (m_xml.name() != u"report")
                        unknownElement();
                    if (!has("name"))
                        required("name");
                    def->subreports.append(readReport(def->font));
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
            if (!okW || !okH || def.pageSize.width() < 72 || def.pageSize.height() < 72)
                fail(QStringLiteral("the page size must be letter, legal, a4 or WIDTHxHEIGHT in points, not '%1'")
                         .arg(attr("size")));
        }
        def.landscape = choice<bool>("orientation", {{u"portrait", false}, {u"landscape", true}}, false);
        const double all = number("margins", 36);
        def.margins = QMarginsF(number("margin-left", all), number("margin-top", all), number("margin-right", all),
                                number("margin-bottom", all));
    }

    SectionDef readSection(const ReportDef &def)
    {
        SectionDef s;
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
            s.group = int(number("group", 0));
            if (s.group < 1 || s.group > def.groups.size())
                fail(QStringLiteral("the section's group must be between 1 and %1").arg(def.groups.size()));
        }
        s.height = number("height", 0);
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
        while (m_xml.readNextStartElement())
            s.elements.append(readElement(def, s));
        return s;
    }

    void readBox(ElementDef &e) const
    {
        e.rect = QRectF(number("x", 0), number("y", 0), number("w", 0), number("h", 0));
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
        e.column = int(number("column", 0));
        e.span = int(number("span", 1));
        if (e.column < 0 || e.span < 1)
            fail(QStringLiteral("column must be 1 or more and span at least 1"));
        e.numberFormat = attr("format");
        e.dateFormat = attr("date-format");
        e.penWidth = number("pen", 0.5);
        e.nullText = attr("null-text");
        e.printWhen = choice<PrintWhen>(
            "when", {{u"always", PrintWhen::Always}, {u"rows", PrintWhen::Rows}, {u"no-rows", PrintWhen::NoRows}},
            PrintWhen::Always);
        e.whenQuery = attr("when-query");
        const auto n = m_xml.name();
        if (n == u"line") {
            e.kind = ElementKind::Line;
            e.rect = QRectF(QPointF(number("x1", 0), number("y1", 0)), QPointF(number("x2", 0), number("y2", 0)));
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
            e.scale = number("scale", 1);
            e.scope = choice<FormulaScope>("over", {{u"group", FormulaScope::Group}, {u"report", FormulaScope::Report}},
                                           section.group > 0 ? FormulaScope::Group : FormulaScope::Report);
            e.groupLevel = int(number("group", 0));
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
        for (const SectionDef &s : def.sections)
            for (const ElementDef &e : s.elements) {
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

    QXmlStreamReader &m_xml;
    QString m_path;
};

} // namespace

std::shared_ptr<ReportDef> readReportText(const QByteArray &text, const QString &path)
{
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
    return readReportText(file.readAll(), path);
}

} // namespace reportengine
