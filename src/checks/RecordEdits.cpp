// The edits on the period's patient records: the records come from a reading
// procedure of the database; the code ranges and the rules are applied here.
#include "checks/RecordEdits.h"

#include "checks/CheckParts.h"
#include "checks/CodeRanges.h"

#include "adodb/Connection.h"
#include "com/ComError.h"

namespace checks {

namespace {

const QString kSummary = QStringLiteral("II. Hospital Operations. A.Summary of Patients in the Hospital");

// The sections a record of each kind is counted in.
QStringList SectionsOf(RecordKind kind)
{
    switch (kind) {
    case RecordKind::Admission:
        return {QStringLiteral("I.3.4 Allocation of Beds"),
                kSummary,
                QStringLiteral("II. Hospital Operations. B. Discharges"),
                QStringLiteral("II. B.1. Average Length of Stay (ALOS)"),
                QStringLiteral("II. B.2. Top 10 Leading Causes of Morbidity"),
                QStringLiteral("II. C. Deaths"),
                QStringLiteral("II. C. Deaths 3.Top 10 Leading Causes of Mortality")};
    case RecordKind::OutpatientVisit:
        return {QStringLiteral("II. B.3 Total Number of Deliveries and B.4 Outpatient Visits"),
                QStringLiteral("III.11.4 Leading Causes of Consultation (OPD)(OLD)")};
    case RecordKind::EmergencyVisit:
        return {QStringLiteral("II. B.4 Emergency Visits, Testing, Other Services and Diseases Seen"),
                QStringLiteral("II. C. Deaths"), QStringLiteral("II.9.3 10 Leading Causes of Emergency Cases(OLD)")};
    case RecordKind::Operation:
        return {QStringLiteral("II.8 Surgical Operations"), QStringLiteral("II.9.1 10 Leading Major Operations"),
                QStringLiteral("II.9.2 10 Leading Minor Operations"),
                QStringLiteral("II. D. Health Associated Infections"), QStringLiteral("II. E. Surgical Operations")};
    }
    return {};
}

QString DateText(const QDate &date)
{
    return date.toString(QStringLiteral("MM/dd/yyyy"));
}

// Whole years from birth to the day.
int AgeOn(const QDate &birth, const QDate &day)
{
    int years = day.year() - birth.year();
    if (day.month() < birth.month() || (day.month() == birth.month() && day.day() < birth.day()))
        --years;
    return years;
}

class Edits
{
public:
    Edits(const PatientRecord &record, const QDate &countedTo, QList<Finding> &findings)
        : r(record)
        , m_countedTo(countedTo)
        , m_findings(findings)
        , m_name(RecordName(record))
    {}

    void find(const char *rule, const QString &what)
    {
        m_findings.append({QString::fromLatin1(rule), m_name + QStringLiteral(": ") + what, SectionsOf(r.kind)});
    }

    // The ranges of one ICD-10 code against the patient's sex and age.
    void codeRanges(const QString &code)
    {
        const bool birthKnown = r.birth.isValid() && r.start.isValid() && !(r.start.date < r.birth);
        for (const CodeRange *range : RangesOf(code)) {
            const QString what = QStringLiteral("%1 %2 (%3)").arg(code.trimmed(), range->name, RangeText(*range));
            switch (range->limit) {
            case CodeLimit::FemaleOnly:
                if (r.sex == u"M")
                    find("sex-female-code", what + QStringLiteral(" for a male patient"));
                break;
            case CodeLimit::MaleOnly:
                if (r.sex == u"F")
                    find("sex-male-code", what + QStringLiteral(" for a female patient"));
                break;
            case CodeLimit::FirstDaysOfLife:
                if (birthKnown && r.birth.daysTo(r.start.date) >= kNewbornDays) {
                    const qint64 days = r.birth.daysTo(r.start.date);
                    find("newborn-code",
                         what + (days < 365 ? QStringLiteral(" at %1 days old").arg(days)
                                            : QStringLiteral(" at age %1").arg(AgeOn(r.birth, r.start.date))));
                }
                break;
            case CodeLimit::PregnancyAges:
                if (birthKnown) {
                    const int age = AgeOn(r.birth, r.start.date);
                    if (age < kPregnancyMinAge || age > kPregnancyMaxAge)
                        find("pregnancy-age", what + QStringLiteral(" at age %1").arg(age));
                }
                break;
            }
        }
    }

    void run()
    {
        const bool icd = r.kind != RecordKind::Operation;
        if (icd && !r.code.trimmed().isEmpty())
            codeRanges(r.code);
        if (icd && !r.cause.trimmed().isEmpty() && Category(r.cause) != Category(r.code))
            codeRanges(r.cause);
        if (r.birth.isValid() && r.start.isValid() && r.start.date < r.birth)
            find("birth-after-event",
                 QStringLiteral("born %1, after the %2 on %3")
                     .arg(DateText(r.birth),
                          r.kind == RecordKind::Admission ? QStringLiteral("admission") : QStringLiteral("visit"),
                          DateText(r.start.date)));
        if (r.kind == RecordKind::Admission)
            stay();
        if (!r.service.trimmed().isEmpty() && !r.serviceKnown)
            find("unknown-service", QStringLiteral("service %1 is not in the service table").arg(r.service.trimmed()));
        if (!r.code.trimmed().isEmpty() && !r.codeKnown)
            find("unknown-code",
                 QStringLiteral("%1 is not in the %2 code table")
                     .arg(r.code.trimmed(), icd ? QStringLiteral("ICD-10") : QStringLiteral("procedure")));
        if (!r.cause.trimmed().isEmpty() && !r.causeKnown)
            find("unknown-code", QStringLiteral("cause %1 is not in the ICD-10 code table").arg(r.cause.trimmed()));
    }

    void stay()
    {
        const bool discharged = r.end.isValid() && r.end.date <= m_countedTo;
        if (r.end.isValid() && r.end < r.start)
            find("discharge-before-admission",
                 QStringLiteral("discharged %1, before the admission").arg(DateText(r.end.date)));
        if (discharged && r.code.trimmed().isEmpty())
            find("no-final-diagnosis",
                 QStringLiteral("discharged %1 without a final diagnosis").arg(DateText(r.end.date)));
        if (discharged && r.condition.trimmed() == u"D" && r.cause.trimmed().isEmpty())
            find("death-without-cause",
                 QStringLiteral("died %1 without an underlying cause").arg(DateText(r.end.date)));
        if (r.service.trimmed().isEmpty())
            find("unknown-service", QStringLiteral("no service"));
        if (!discharged && r.start.isValid() && r.start.date.addYears(1) < m_countedTo)
            find("open-over-a-year", QStringLiteral("still in on %1, %2 days after the admission")
                                         .arg(DateText(m_countedTo))
                                         .arg(r.start.date.daysTo(m_countedTo)));
    }

private:
    const PatientRecord &r;
    QDate m_countedTo;
    QList<Finding> &m_findings;
    QString m_name;
};

// "yyyy-MM-dd[ HH:mm:ss[.zzz]]" read without Qt's general parser (a year's
// records are many), or a date-time value of a server.
Moment MomentOf(const com::Variant &value)
{
    if (value.isNull())
        return {};
    if (value.type() == com::Variant::Type::DateTime) {
        const QDateTime dt = value.toDateTime();
        return {dt.date(), dt.time().msecsSinceStartOfDay() / 1000};
    }
    const QString text = value.toString();
    const auto digits = [&](int from, int count) {
        int n = 0;
        for (int i = from; i < from + count; ++i) {
            if (i >= text.size() || !text.at(i).isDigit())
                return -1;
            n = n * 10 + text.at(i).digitValue();
        }
        return n;
    };
    const QDate date(digits(0, 4), digits(5, 2), digits(8, 2));
    if (!date.isValid())
        return {};
    const int h = digits(11, 2), m = digits(14, 2), s = digits(17, 2);
    return {date, h < 0 || m < 0 || s < 0 ? 0 : h * 3600 + m * 60 + s};
}

RecordKind KindOf(const QString &letter)
{
    if (letter == u"O")
        return RecordKind::OutpatientVisit;
    if (letter == u"E")
        return RecordKind::EmergencyVisit;
    if (letter == u"S")
        return RecordKind::Operation;
    return RecordKind::Admission;
}

} // namespace

QString RecordName(const PatientRecord &record)
{
    switch (record.kind) {
    case RecordKind::Admission:
        return QStringLiteral("Admission %1, patient %2, admitted %3")
            .arg(record.id)
            .arg(record.patient)
            .arg(DateText(record.start.date));
    case RecordKind::OutpatientVisit:
        return QStringLiteral("Outpatient visit %1, patient %2, %3")
            .arg(record.id)
            .arg(record.patient)
            .arg(DateText(record.start.date));
    case RecordKind::EmergencyVisit:
        return QStringLiteral("Emergency visit %1, patient %2, %3")
            .arg(record.id)
            .arg(record.patient)
            .arg(DateText(record.start.date));
    case RecordKind::Operation:
        return QStringLiteral("Operation %1, patient %2, %3")
            .arg(record.id)
            .arg(record.patient)
            .arg(DateText(record.start.date));
    }
    return QString();
}

void EditRecord(const PatientRecord &record, const QDate &countedTo, QList<Finding> &findings)
{
    Edits(record, countedTo, findings).run();
}

namespace detail {

void CheckRecords(adodb::Connection &connection, const Dates &dates, CheckResult &result)
{
    adodb::ResultSet rs;
    try {
        // The ranges let the database send only the records an edit may find
        // something on; the edits themselves are applied here.
        QStringList ranges;
        for (const CodeRange &range : CodeRanges())
            if (!ranges.contains(range.first + QLatin1Char('-') + range.last))
                ranges.append(range.first + QLatin1Char('-') + range.last);
        rs =
            connection.run(QStringLiteral("%1 '%2','%3','%4'")
                               .arg(kRecordsProcedure, dates.firstText, dates.lastText, ranges.join(QLatin1Char(','))));
    } catch (const com::ComError &e) {
        if (!IsMissingObject(e))
            throw;
        result.notes.append(QStringLiteral("The edits on patient records were not run: the database has no "
                                           "procedure %1 (packaging/sqlserver/velmora-check.sql adds it).")
                                .arg(kRecordsProcedure));
        return;
    }
    QHash<QString, int> column;
    for (int c = 0; c < rs.columns.size(); ++c)
        column.insert(rs.columns.at(c).toLower(), c);
    const auto at = [&](const QList<com::Variant> &row, const char *name) -> const com::Variant & {
        static const com::Variant null;
        const int c = column.value(QString::fromLatin1(name), -1);
        return c < 0 || c >= row.size() ? null : row.at(c);
    };
    const auto known = [&](const QList<com::Variant> &row, const char *name) {
        const com::Variant &v = at(row, name);
        return v.isNull() || v.toDouble() != 0;
    };
    for (const QList<com::Variant> &row : rs.rows) {
        PatientRecord r;
        r.kind = KindOf(at(row, "kind").toText().trimmed());
        r.id = at(row, "recordid").isNull() ? 0 : at(row, "recordid").toLong();
        r.patient = at(row, "patientid").isNull() ? 0 : at(row, "patientid").toLong();
        r.start = MomentOf(at(row, "starttime"));
        r.end = MomentOf(at(row, "endtime"));
        r.sex = at(row, "sex").toText().trimmed();
        r.birth = MomentOf(at(row, "birthdate")).date;
        r.service = at(row, "servicecode").toText();
        r.serviceKnown = known(row, "serviceknown");
        r.code = at(row, "code").toText();
        r.codeKnown = known(row, "codeknown");
        r.cause = at(row, "cause").toText();
        r.causeKnown = known(row, "causeknown");
        r.condition = at(row, "condition").toText();
        EditRecord(r, dates.countedTo, result.findings);
    }
}

} // namespace detail

} // namespace checks
