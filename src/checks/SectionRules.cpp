// The rules between the figures of the sections generated for a period. Each
// report table is read whole (report tables are small) with the statement
// form both the embedded store and a site's SQL Server accept, and the
// period's rows are picked here.
#include "checks/CheckParts.h"

#include "adodb/Connection.h"
#include "catalogue/ReportCatalogue.h"
#include "com/ComError.h"
#include "com/Runtime.h"

#include <QHash>

#include <cmath>
#include <map>
#include <optional>

namespace checks::detail {

namespace {

using Row = QHash<QString, com::Variant>; // by column name in lower case

QDate DateOf(const com::Variant &value)
{
    if (value.type() == com::Variant::Type::DateTime)
        return value.toDateTime().date();
    const QString text = value.toText().trimmed();
    const QDate iso = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
    if (iso.isValid())
        return iso;
    const std::optional<QDateTime> parsed = com::ParseDate(text);
    return parsed ? parsed->date() : QDate();
}

QDateTime TimeOf(const com::Variant &value)
{
    if (value.type() == com::Variant::Type::DateTime)
        return value.toDateTime();
    const std::optional<QDateTime> parsed = com::ParseDate(value.toText());
    return parsed ? *parsed : QDateTime();
}

std::optional<double> NumberOf(const Row &row, const QString &column)
{
    const com::Variant value = row.value(column.toLower());
    if (value.isNull())
        return std::nullopt;
    if (value.type() == com::Variant::Type::Text && !com::IsNumeric(value.toString()))
        return std::nullopt;
    return value.toDouble();
}

QString Shown(double value)
{
    return value == std::floor(value) ? QString::number(qint64(value)) : QString::number(value, 'f', 2);
}

// The rows a statement gives, each by column name.
QList<Row> RowsOf(const adodb::ResultSet &rs)
{
    QList<Row> rows;
    for (const QList<com::Variant> &values : rs.rows) {
        Row row;
        for (int c = 0; c < rs.columns.size() && c < values.size(); ++c)
            row.insert(rs.columns.at(c).toLower(), values.at(c));
        rows.append(row);
    }
    return rows;
}

// A report table's rows of the period, in RowOrder when it has one; none
// when the section was not generated for it.
struct Table
{
    QString name;
    QStringList columns;
};

const Table kSummary{QStringLiteral("tbDOHRptSectionII1"),
                     {QStringLiteral("InpatientsAtStart"), QStringLiteral("Admissions"),
                      QStringLiteral("DischargesAlive"), QStringLiteral("Deaths"), QStringLiteral("InpatientsAtEnd"),
                      QStringLiteral("ServiceDays"), QStringLiteral("AuthorizedBeds"), QStringLiteral("BOR"),
                      QStringLiteral("Discharges")}};
const Table kDischarges{QStringLiteral("tbDOHRptSectionII21"),
                        {QStringLiteral("RowOrder"), QStringLiteral("RowType"), QStringLiteral("Service"),
                         QStringLiteral("RecoveredImproved"), QStringLiteral("Transferred"),
                         QStringLiteral("HomeAgainstAdvice"), QStringLiteral("Absconded"), QStringLiteral("Unimproved"),
                         QStringLiteral("DeathsUnder48h"), QStringLiteral("Deaths48hOrMore"),
                         QStringLiteral("TotalDeaths"), QStringLiteral("TotalDischarges")}};
const Table kDeaths{QStringLiteral("tbDOHRptSectionIII"),
                    {QStringLiteral("InpatientDeaths"), QStringLiteral("DeathsUnder48h"),
                     QStringLiteral("Deaths48hOrMore"), QStringLiteral("NewbornDeaths")}};
const Table kBeds{QStringLiteral("tbDOHRptSectionI34"),
                  {QStringLiteral("RowType"), QStringLiteral("AuthorizedBeds"), QStringLiteral("ServiceDays"),
                   QStringLiteral("BOR")}};
const Table kMorbidity{QStringLiteral("tbDOHRptSectionII3"), {QStringLiteral("Total")}};
const Table kMortality{QStringLiteral("tbDOHRptSectionII7"), {QStringLiteral("Total")}};
const Table kConsultations{QStringLiteral("tbDOHRptSectionIII114"), {QStringLiteral("Total")}};
const Table kErCauses{QStringLiteral("tbDOHRptSectionII103"), {QStringLiteral("Total")}};
const Table kMajor{QStringLiteral("tbDOHRptSectionII91"), {QStringLiteral("Operations")}};
const Table kMinor{QStringLiteral("tbDOHRptSectionII92"), {QStringLiteral("Operations")}};
const Table kDeliveries{QStringLiteral("tbDOHRptDeliveriesAndOutpatientVisits"),
                        {QStringLiteral("CaesareanDeliveries"), QStringLiteral("TotalDeliveries"),
                         QStringLiteral("TotalOutpatientVisits")}};
const Table kEmergency{QStringLiteral("tbDOHRptERTestingAndOthers"),
                       {QStringLiteral("RowOrder"), QStringLiteral("RowGroup"), QStringLiteral("Total")}};
const Table kInfections{QStringLiteral("tbDOHRptHealthAssociatedInf"),
                        {QStringLiteral("RowOrder"), QStringLiteral("InfectionType"), QStringLiteral("Infections"),
                         QStringLiteral("Denominator")}};
const Table kSurgery{QStringLiteral("tbDOHRptSurgicalProcedure"),
                     {QStringLiteral("RowType"), QStringLiteral("Major"), QStringLiteral("Minor"),
                      QStringLiteral("Total"), QStringLiteral("SurgicalSiteInfections")}};

class SectionRules
{
public:
    SectionRules(adodb::Connection &connection, const Dates &dates, CheckResult &result)
        : m_connection(connection)
        , m_dates(dates)
        , m_result(result)
    {}

    // The period's rows of a report table, read once.
    const QList<Row> &rows(const Table &table)
    {
        auto found = m_tables.find(table.name);
        if (found != m_tables.end())
            return found->second;
        QList<Row> period;
        const QString statement = QStringLiteral("SELECT FromDate, ToDate, %1 FROM Patient_Data..%2")
                                      .arg(table.columns.join(QStringLiteral(", ")), table.name);
        try {
            for (const Row &row : RowsOf(m_connection.run(statement)))
                if (DateOf(row.value(QStringLiteral("fromdate"))) == m_dates.first &&
                    DateOf(row.value(QStringLiteral("todate"))) == m_dates.last)
                    period.append(row);
        } catch (const com::ComError &e) {
            if (!IsMissingObject(e))
                throw;
            note(QStringLiteral("%1 cannot be read: %2").arg(table.name, e.description()));
        }
        if (table.columns.contains(QStringLiteral("RowOrder")))
            std::stable_sort(period.begin(), period.end(), [](const Row &a, const Row &b) {
                return NumberOf(a, QStringLiteral("RowOrder")).value_or(0) <
                       NumberOf(b, QStringLiteral("RowOrder")).value_or(0);
            });
        return m_tables.emplace(table.name, period).first->second;
    }

    // The one row of a single-row section, or of the row where column = value.
    std::optional<Row> row(const Table &table, const QString &column = QString(), const QString &value = QString())
    {
        for (const Row &r : rows(table))
            if (column.isEmpty() || r.value(column.toLower()).toText().trimmed() == value)
                return r;
        return std::nullopt;
    }

    void note(const QString &text)
    {
        if (!m_result.notes.contains(text))
            m_result.notes.append(text);
    }

    void notGenerated(const QString &rule, const QStringList &sections)
    {
        note(QStringLiteral("%1 not checked: %2 not generated for the period.")
                 .arg(rule, sections.join(QStringLiteral(" or "))));
    }

    void find(const QString &rule, const QString &figures, const QStringList &sections = {})
    {
        m_result.findings.append({rule, figures, sections});
    }

    // Two figures that must be equal; a missing one is not compared.
    void equal(const QString &rule, const QString &labelA, std::optional<double> a, const QString &labelB,
               std::optional<double> b, double tolerance = 0)
    {
        if (a && b && std::fabs(*a - *b) > tolerance)
            find(rule, QStringLiteral("%1 %2 \u2260 %3 %4").arg(labelA, Shown(*a), labelB, Shown(*b)));
    }

    // A count that must not exceed the figure it is drawn from.
    void within(const QString &rule, const QString &labelA, double a, const QString &labelB, std::optional<double> b,
                const QString &section)
    {
        if (b && a > *b)
            find(rule, QStringLiteral("%1 %2 > %3 %4").arg(labelA, Shown(a), labelB, Shown(*b)), {section});
    }

    void summaryBalance()
    {
        const std::optional<Row> a = row(kSummary);
        if (!a)
            return notGenerated(QStringLiteral("II.A-balance"), {QStringLiteral("II. A.")});
        const auto v = [&](const char *c) { return NumberOf(*a, QString::fromLatin1(c)); };
        if (v("InpatientsAtStart") && v("Admissions") && v("DischargesAlive") && v("Deaths") && v("InpatientsAtEnd")) {
            const double expected = *v("InpatientsAtStart") + *v("Admissions") - *v("DischargesAlive") - *v("Deaths");
            if (expected != *v("InpatientsAtEnd"))
                find(QStringLiteral("II.A-balance"),
                     QStringLiteral("II. A. inpatients at the end %1 \u2260 %2 at the start + %3 admissions - %4 "
                                    "discharges alive - %5 deaths = %6")
                         .arg(Shown(*v("InpatientsAtEnd")), Shown(*v("InpatientsAtStart")), Shown(*v("Admissions")),
                              Shown(*v("DischargesAlive")), Shown(*v("Deaths")), Shown(expected)));
        }
    }

    void summaryAgainstOthers()
    {
        const std::optional<Row> a = row(kSummary);
        const std::optional<Row> bTotal = row(kDischarges, QStringLiteral("RowType"), QStringLiteral("TOTAL"));
        const std::optional<Row> c = row(kDeaths);
        const QString rule = QStringLiteral("II.A-II.B-discharges");
        if (!a || !bTotal) {
            notGenerated(rule, {QStringLiteral("II. A."), QStringLiteral("II. B.")});
        } else {
            const std::optional<double> discharges = NumberOf(*a, QStringLiteral("Discharges"));
            equal(rule, QStringLiteral("II. A. discharges"),
                  discharges ? discharges
                             : std::optional<double>(NumberOf(*a, QStringLiteral("DischargesAlive")).value_or(0) +
                                                     NumberOf(*a, QStringLiteral("Deaths")).value_or(0)),
                  QStringLiteral("II. B. total discharges"), NumberOf(*bTotal, QStringLiteral("TotalDischarges")));
            equal(rule, QStringLiteral("II. A. deaths"), NumberOf(*a, QStringLiteral("Deaths")),
                  QStringLiteral("II. B. total deaths"), NumberOf(*bTotal, QStringLiteral("TotalDeaths")));
        }
        if (!a || !c)
            notGenerated(QStringLiteral("II.A-II.C-deaths"), {QStringLiteral("II. A."), QStringLiteral("II. C.")});
        else
            equal(QStringLiteral("II.A-II.C-deaths"), QStringLiteral("II. A. deaths"),
                  NumberOf(*a, QStringLiteral("Deaths")), QStringLiteral("II. C. inpatient deaths"),
                  NumberOf(*c, QStringLiteral("InpatientDeaths")));
    }

    void dischargeRows()
    {
        const QString rule = QStringLiteral("II.B-row");
        if (rows(kDischarges).isEmpty())
            return notGenerated(rule, {QStringLiteral("II. B.")});
        for (const Row &r : rows(kDischarges)) {
            double conditions = 0;
            for (const char *c : {"RecoveredImproved", "Transferred", "HomeAgainstAdvice", "Absconded", "Unimproved"})
                conditions += NumberOf(r, QString::fromLatin1(c)).value_or(0);
            const double deaths = NumberOf(r, QStringLiteral("TotalDeaths")).value_or(0);
            const double discharges = NumberOf(r, QStringLiteral("TotalDischarges")).value_or(0);
            const double split = NumberOf(r, QStringLiteral("DeathsUnder48h")).value_or(0) +
                                 NumberOf(r, QStringLiteral("Deaths48hOrMore")).value_or(0);
            const QString service = r.value(QStringLiteral("service")).toText().trimmed();
            if (conditions + deaths != discharges)
                find(rule, QStringLiteral("II. B. %1: conditions on discharge %2 + deaths %3 \u2260 discharges %4")
                               .arg(service, Shown(conditions), Shown(deaths), Shown(discharges)));
            if (split != deaths)
                find(rule, QStringLiteral("II. B. %1: deaths under 48 h + 48 h or more %2 \u2260 deaths %3")
                               .arg(service, Shown(split), Shown(deaths)));
        }
    }

    void dischargesAgainstDeaths()
    {
        const std::optional<Row> b = row(kDischarges, QStringLiteral("RowType"), QStringLiteral("TOTAL"));
        const std::optional<Row> c = row(kDeaths);
        const QString rule = QStringLiteral("II.B-II.C-48h");
        if (!b || !c)
            return notGenerated(rule, {QStringLiteral("II. B."), QStringLiteral("II. C.")});
        equal(rule, QStringLiteral("II. B. deaths under 48 h"), NumberOf(*b, QStringLiteral("DeathsUnder48h")),
              QStringLiteral("II. C. deaths under 48 h"), NumberOf(*c, QStringLiteral("DeathsUnder48h")));
        equal(rule, QStringLiteral("II. B. deaths 48 h or more"), NumberOf(*b, QStringLiteral("Deaths48hOrMore")),
              QStringLiteral("II. C. deaths 48 h or more"), NumberOf(*c, QStringLiteral("Deaths48hOrMore")));
    }

    void serviceDays()
    {
        const std::optional<Row> a = row(kSummary);
        const std::optional<Row> total = row(kBeds, QStringLiteral("RowType"), QStringLiteral("TOTAL"));
        const QString rule = QStringLiteral("II.A-I.3.4-service-days");
        if (!a || !total)
            return notGenerated(rule, {QStringLiteral("II. A."), QStringLiteral("I.3.4")});
        equal(rule, QStringLiteral("II. A. inpatient service days"), NumberOf(*a, QStringLiteral("ServiceDays")),
              QStringLiteral("I.3.4 total service days"), NumberOf(*total, QStringLiteral("ServiceDays")));
        equal(rule, QStringLiteral("II. A. BOR"), NumberOf(*a, QStringLiteral("BOR")),
              QStringLiteral("I.3.4 total BOR"), NumberOf(*total, QStringLiteral("BOR")), 0.005);
    }

    // Section I's record, as its report reads it.
    std::optional<Row> sectionI()
    {
        if (!m_sectionI) {
            QList<Row> record;
            try {
                record = RowsOf(m_connection.run(QStringLiteral("Patient_Data..sp_DOH_Report_Section1")));
            } catch (const com::ComError &e) {
                if (!IsMissingObject(e))
                    throw;
                note(QStringLiteral("Section I cannot be read: %1").arg(e.description()));
            }
            m_sectionI = record.isEmpty() ? std::optional<Row>() : record.first();
        }
        return *m_sectionI;
    }

    void authorizedBeds()
    {
        const QString rule = QStringLiteral("I-authorized-beds");
        const std::optional<Row> record = sectionI();
        if (!record)
            return note(QStringLiteral("%1 not checked: Section I has not been saved in Hospital Info.").arg(rule));
        std::optional<Row> used = row(kSummary);
        QString label = QStringLiteral("the bed allocation of the BOR (II. A.)");
        if (!used) {
            used = row(kBeds, QStringLiteral("RowType"), QStringLiteral("TOTAL"));
            label = QStringLiteral("the bed allocation of the BOR (I.3.4)");
        }
        if (!used)
            return notGenerated(rule, {QStringLiteral("II. A."), QStringLiteral("I.3.4")});
        equal(rule, QStringLiteral("Section I authorized beds"), NumberOf(*record, QStringLiteral("AuthorizedBed")),
              label, NumberOf(*used, QStringLiteral("AuthorizedBeds")));
    }

    void facilityName(const QString &headingsName)
    {
        const QString rule = QStringLiteral("I-facility-name");
        const std::optional<Row> record = sectionI();
        if (!record)
            return;
        const QString typed = record->value(QStringLiteral("healthfacilityname")).toText().simplified();
        if (typed.compare(headingsName.simplified(), Qt::CaseInsensitive) != 0)
            find(rule, QStringLiteral("Section I facility name \"%1\" \u2260 report headings \"%2\"")
                           .arg(typed, headingsName.simplified()));
    }

    double sum(const Table &table, const QString &column)
    {
        double total = 0;
        for (const Row &r : rows(table))
            total += NumberOf(r, column).value_or(0);
        return total;
    }

    void leadingLists()
    {
        const QString rule = QStringLiteral("top-10-within-source");
        const auto discharges = [&]() -> std::optional<double> {
            if (const std::optional<Row> b = row(kDischarges, QStringLiteral("RowType"), QStringLiteral("TOTAL")))
                return NumberOf(*b, QStringLiteral("TotalDischarges"));
            return std::nullopt;
        };
        const auto deaths = [&]() -> std::optional<double> {
            if (const std::optional<Row> c = row(kDeaths))
                return NumberOf(*c, QStringLiteral("InpatientDeaths")).value_or(0) +
                       NumberOf(*c, QStringLiteral("NewbornDeaths")).value_or(0);
            return std::nullopt;
        };
        const auto emergencyVisits = [&]() -> std::optional<double> {
            if (const std::optional<Row> e = row(kEmergency, QStringLiteral("RowOrder"), QStringLiteral("1")))
                return NumberOf(*e, QStringLiteral("Total"));
            return std::nullopt;
        };
        const auto outpatientVisits = [&]() -> std::optional<double> {
            if (const std::optional<Row> d = row(kDeliveries))
                return NumberOf(*d, QStringLiteral("TotalOutpatientVisits"));
            return std::nullopt;
        };
        const auto surgery = [&](const char *column) -> std::optional<double> {
            if (const std::optional<Row> s = row(kSurgery, QStringLiteral("RowType"), QStringLiteral("TOTAL")))
                return NumberOf(*s, QString::fromLatin1(column));
            return std::nullopt;
        };
        double erDiseases = 0;
        for (const Row &r : rows(kEmergency))
            if (r.value(QStringLiteral("rowgroup")).toText().trimmed() == u"DISEASE")
                erDiseases += NumberOf(r, QStringLiteral("Total")).value_or(0);
        const struct
        {
            const Table &list;
            const char *listLabel;
            std::optional<double> source;
            const char *sourceLabel;
            const char *section;
        } lists[] = {
            {kMorbidity, "II. B.2 ten leading causes", discharges(), "II. B. total discharges",
             "II. B.2. Top 10 Leading Causes of Morbidity"},
            {kMortality, "II. C.3 ten leading causes", deaths(), "II. C. deaths (newborns included)",
             "II. C. Deaths 3.Top 10 Leading Causes of Mortality"},
            {kConsultations, "III.11.4 ten leading causes", outpatientVisits(), "II. B.4 outpatient visits",
             "III.11.4 Leading Causes of Consultation (OPD)(OLD)"},
            {kErCauses, "II.9.3 ten leading causes", emergencyVisits(), "II. B.4 emergency visits",
             "II.9.3 10 Leading Causes of Emergency Cases(OLD)"},
            {kMajor, "II.9.1 ten leading major operations", surgery("Major"), "II. E. major operations",
             "II.9.1 10 Leading Major Operations"},
            {kMinor, "II.9.2 ten leading minor operations", surgery("Minor"), "II. E. minor operations",
             "II.9.2 10 Leading Minor Operations"},
        };
        for (const auto &l : lists) {
            const QString column = l.list.columns.first();
            if (!rows(l.list).isEmpty())
                within(rule, QString::fromLatin1(l.listLabel), sum(l.list, column), QString::fromLatin1(l.sourceLabel),
                       l.source, QString::fromLatin1(l.section));
        }
        within(rule, QStringLiteral("II. B.4 diseases seen"), erDiseases, QStringLiteral("II. B.4 emergency visits"),
               emergencyVisits(),
               QStringLiteral("II. B.4 Emergency Visits, Testing, Other Services and Diseases Seen"));
    }

    void caesareans()
    {
        const std::optional<Row> d = row(kDeliveries);
        if (!d)
            return notGenerated(QStringLiteral("caesareans-within-deliveries"), {QStringLiteral("II. B.3")});
        const std::optional<double> caesareans = NumberOf(*d, QStringLiteral("CaesareanDeliveries"));
        if (caesareans)
            within(QStringLiteral("caesareans-within-deliveries"), QStringLiteral("II. B.3 caesarean deliveries"),
                   *caesareans, QStringLiteral("all deliveries"), NumberOf(*d, QStringLiteral("TotalDeliveries")),
                   QStringLiteral("II. B.3 Total Number of Deliveries and B.4 Outpatient Visits"));
    }

    void infections()
    {
        const QString rule = QStringLiteral("HAI-denominators");
        const std::optional<Row> all = row(kInfections, QStringLiteral("InfectionType"), QStringLiteral("ALL"));
        const std::optional<Row> ssi = row(kInfections, QStringLiteral("InfectionType"), QStringLiteral("SSI"));
        const std::optional<Row> total = row(kDischarges, QStringLiteral("RowType"), QStringLiteral("TOTAL"));
        const std::optional<Row> newborn = row(kDischarges, QStringLiteral("RowType"), QStringLiteral("NEWBORN"));
        const std::optional<Row> surgery = row(kSurgery, QStringLiteral("RowType"), QStringLiteral("TOTAL"));
        if (!all)
            return notGenerated(rule, {QStringLiteral("II. D.")});
        if (total)
            equal(rule, QStringLiteral("II. D. discharges"), NumberOf(*all, QStringLiteral("Denominator")),
                  QStringLiteral("II. B. discharges with newborns"),
                  NumberOf(*total, QStringLiteral("TotalDischarges")).value_or(0) +
                      (newborn ? NumberOf(*newborn, QStringLiteral("TotalDischarges")).value_or(0) : 0));
        else
            notGenerated(rule, {QStringLiteral("II. B.")});
        if (ssi && surgery) {
            equal(rule, QStringLiteral("II. D. operations"), NumberOf(*ssi, QStringLiteral("Denominator")),
                  QStringLiteral("II. E. operations"), NumberOf(*surgery, QStringLiteral("Total")));
            equal(rule, QStringLiteral("II. D. surgical site infections"), NumberOf(*ssi, QStringLiteral("Infections")),
                  QStringLiteral("II. E. surgical site infections"),
                  NumberOf(*surgery, QStringLiteral("SurgicalSiteInfections")));
        } else if (ssi && rows(kSurgery).isEmpty()) {
            notGenerated(rule, {QStringLiteral("II. E.")});
        }
    }

    // When each section of the period was generated and with which setup:
    // the program's own record of generated sections where the store has it,
    // else the report log (by report ID, without the setup).
    void generations()
    {
        struct Generation
        {
            QDateTime when;
            QString setup; // empty: not known
        };
        std::map<QString, Generation> generated; // by catalogue title
        bool ownRecord = true;
        try {
            const adodb::ResultSet rs = m_connection.run(
                QStringLiteral("SELECT ReportTitle, FromDate, ToDate, GeneratedDate, PediaAge, NewbornCode, "
                               "SurgeryCode FROM Patient_Data..tbVelmoraSectionGeneration"));
            for (const Row &r : RowsOf(rs)) {
                if (DateOf(r.value(QStringLiteral("fromdate"))) != m_dates.first ||
                    DateOf(r.value(QStringLiteral("todate"))) != m_dates.last)
                    continue;
                const QString setup = QStringLiteral("paediatric age %1, newborn service %2, surgery service %3")
                                          .arg(r.value(QStringLiteral("pediaage")).toText().trimmed(),
                                               r.value(QStringLiteral("newborncode")).toText().trimmed(),
                                               r.value(QStringLiteral("surgerycode")).toText().trimmed());
                generated[r.value(QStringLiteral("reporttitle")).toText()] = {
                    TimeOf(r.value(QStringLiteral("generateddate"))), setup};
            }
        } catch (const com::ComError &e) {
            if (!IsMissingObject(e))
                throw;
            ownRecord = false;
            note(QStringLiteral("same-setup not checked: the database keeps no record of the setup each section was "
                                "generated with (tbVelmoraSectionGeneration); stale sections are judged by the "
                                "report log."));
            adodb::ResultSet log =
                m_connection.run(QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportLog '%1','%2'")
                                     .arg(m_dates.firstText, m_dates.lastText));
            for (const Row &r : RowsOf(log))
                for (const catalogue::ReportItem &item : catalogue::ReportCatalogue())
                    if (catalogue::GetReportID(item.title) == r.value(QStringLiteral("reportid")).toText().trimmed())
                        generated[item.title] = {TimeOf(r.value(QStringLiteral("lastupdateddate"))), QString()};
        }
        if (ownRecord)
            sameSetup(generated);
        stale(generated);
    }

    template <typename Generated> void sameSetup(const Generated &generated)
    {
        std::map<QString, int> uses;
        for (const auto &[title, g] : generated)
            ++uses[g.setup];
        if (uses.size() < 2)
            return;
        QString usual;
        int most = 0;
        for (const auto &[setup, n] : uses)
            if (n > most)
                usual = setup, most = n;
        for (const auto &[title, g] : generated)
            if (g.setup != usual)
                find(QStringLiteral("same-setup"),
                     QStringLiteral("%1 generated with %2 \u2260 %3 other section(s) with %4")
                         .arg(title, g.setup)
                         .arg(most)
                         .arg(usual),
                     {title});
    }

    template <typename Generated> void stale(const Generated &generated)
    {
        com::Variant latest;
        try {
            const QList<Row> change = RowsOf(m_connection.run(
                QStringLiteral("%1 '%2','%3'").arg(kLatestChangeProcedure, m_dates.firstText, m_dates.lastText)));
            if (!change.isEmpty())
                latest = change.first().value(QStringLiteral("latestchange"));
        } catch (const com::ComError &e) {
            if (!IsMissingObject(e))
                throw;
            return note(QStringLiteral("stale-section not checked: the database does not tell when a patient record "
                                       "last changed (%1).")
                            .arg(kLatestChangeProcedure));
        }
        if (latest.isNull())
            return;
        const QDateTime changed = TimeOf(latest);
        const QString pattern = QStringLiteral("mmmm dd, yyyy | hh:mm:ss");
        for (const auto &[title, g] : generated) {
            const catalogue::ReportItem *item = catalogue::FindReportItem(title);
            if (!item || item->uploadProcedure.isEmpty() || !g.when.isValid() || !(g.when < changed))
                continue;
            find(QStringLiteral("stale-section"),
                 QStringLiteral("%1 generated %2 < a patient record of the period changed %3")
                     .arg(title, com::Format(g.when, pattern), com::Format(changed, pattern)),
                 {title});
        }
    }

private:
    adodb::Connection &m_connection;
    const Dates &m_dates;
    CheckResult &m_result;
    std::map<QString, QList<Row>> m_tables;
    std::optional<std::optional<Row>> m_sectionI;
};

} // namespace

void CheckSections(adodb::Connection &connection, const Dates &dates, const QString &headingsName, CheckResult &result)
{
    SectionRules rules(connection, dates, result);
    rules.summaryBalance();
    rules.summaryAgainstOthers();
    rules.dischargeRows();
    rules.dischargesAgainstDeaths();
    rules.serviceDays();
    rules.authorizedBeds();
    rules.facilityName(headingsName);
    rules.leadingLists();
    rules.caesareans();
    rules.infections();
    rules.generations();
}

} // namespace checks::detail
