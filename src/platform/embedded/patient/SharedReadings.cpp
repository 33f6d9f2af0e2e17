#include "GroupedSums.h"
#include "UploadPeriod.h"
#include "Uploads.h"

#include "adodb/Backend.h"

#include <sqlite3.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

// The readings the uploads share. Several sections count the same records
// of a period (the stays, the deliveries, the operations, the outpatient and
// the emergency visits): instead of each reading them again, one pass over
// the period's rows of each kind sums them, by every fact a section groups
// by, into small working tables of the connection (TEMP tables, in memory),
// which the sections then read. A generation reads each kind once; an upload
// called alone reads what it needs itself, with the same result.
//
// A working table holds the rows' sums grouped by the exact values of the
// facts (finer than any section's own grouping, which compares codes
// without their trailing blanks): a section groups the sums again as it
// grouped the rows, so every figure is the one its rows give. Each fact a
// section tests (a payer class, an age at most PediaAge, ...) is a value of
// the group, so the test holds for all of its rows alike; a count of rows
// becomes a sum of the groups' counts, n.
//
// A reading is current for one period, report setup, day of generation and
// state of the patient data (the store's change counter, which triggers move
// on every change to the records read, whichever connection makes it); any
// other, and the next upload reads afresh. The working tables change inside
// the upload's own transaction, so a failed upload takes its reading back
// with everything else. Once every upload that reads it has used it, a
// reading is let go.
namespace embedded::patient {

namespace {

using adodb::BackendError;

// ---------------------------------------------------------------- readings

// A column of a reading's pass: its name, as summaries name it, and what the
// pass selects for it.
struct Column
{
    const char *name;
    QString expression;
};

using grouped::Aggregate;
using grouped::Key;
using grouped::Kind;
using grouped::Summary;

// One pass over a period's rows: its statement and the names of the columns
// it selects. A pass that follows another reads the rows belonging to the
// first one's: their first column is looked up among the first pass's
// values of `linkKey`, and the row takes that row's value of `linkValue` as
// a last column of its own; ?11 and ?12 are the lowest and the highest of
// those values.
struct Pass
{
    QString statement;
    QList<const char *> names;
    QList<Summary> summaries;
    const char *linkKey = nullptr;
    const char *linkValue = nullptr;
    bool follows = false;
};

struct ReadingDefinition
{
    Reading reading;
    const char *name;
    QList<Pass> passes;
    QStringList readers; // the uploads that read it
};

// The columns a stay gives, in one of the three ranges that make up the
// period's stays: discharged in the period; in the hospital at its end (open,
// or discharged after it); open since before the earliest admission date a
// closed stay overlapping the period can have. The facts of a discharge are
// those of the first range only. A date-time compares with a date (?1) as
// its date does.
QList<Column> stayColumns(bool isDischarge, const QString &inCensus)
{
    auto discharge = [&](const char *column) {
        return isDischarge ? QStringLiteral("a.%1").arg(QLatin1String(column)) : QStringLiteral("NULL");
    };
    return {
        {"ServiceCode", QStringLiteral("a.ServiceCode")},
        {"PatientID", QStringLiteral("a.PatientID")},
        {"DischargeCondition", QStringLiteral("a.DischargeCondition")},
        {"IsTransferIn", QStringLiteral("a.IsTransferIn")},
        {"PayerClass", discharge("PayerClass")},
        {"IsMaternalDeath", discharge("IsMaternalDeath")},
        {"Under48h", discharge("Under48h")},
        {"Los", discharge("LengthOfStay")},
        {"FinalCategory", discharge("FinalCategory")},
        {"DeathCategory", discharge("DeathCategory")},
        {"PatientSex", discharge("PatientSex")},
        {"AgeAtAdmission", discharge("AgeAtAdmission")},
        {"AgeAtDischarge", discharge("AgeAtDischarge")},
        {"Discharged", isDischarge ? QStringLiteral("1") : QStringLiteral("0")},
        {"InCensus", inCensus},
        {"NotNewborn", QStringLiteral("a.ServiceCode <> ?5")},
        {"Died", QStringLiteral("a.DischargeCondition = 'D'")},
        // Each only ever summed: a CASE leaves the rest of the test out for the
        // rows it cannot hold for (an AND would work it out too).
        {"Neonatal", isDischarge
                         ? QStringLiteral("CASE WHEN a.DischargeCondition = 'D' THEN a.DaysOldAtDischarge < 28 END")
                         : QStringLiteral("NULL")},
        // The census: a stay of the period was in at its start or admitted
        // in it. A same-day stay, admitted and discharged on one day of the
        // period, has a StayDays of 0 (null only for dates that are none).
        {"AtStart", QStringLiteral("a.AdmissionDateTime < ?1")},
        {"SameDay", isDischarge
                        ? QStringLiteral("CASE WHEN a.StayDays = 0 OR a.StayDays IS NULL THEN"
                                         " substr(a.AdmissionDateTime, 1, 10) = substr(a.DischargeDateTime, 1, 10)"
                                         " AND a.AdmissionDateTime >= ?1 ELSE 0 END")
                        : QStringLiteral("0")},
        {"ServiceDays", fragment::serviceDays(QStringLiteral("a.AdmissionDateTime"),
                                              QStringLiteral("a.DischargeDateTime"), discharge("StayDays"))},
    };
}

QString selectList(const QList<Column> &columns)
{
    QStringList parts;
    for (const Column &c : columns)
        parts.append(QStringLiteral("%1 AS %2").arg(c.expression, QLatin1String(c.name)));
    return parts.join(QStringLiteral(", "));
}

QList<const char *> namesOf(const QList<Column> &columns)
{
    QList<const char *> names;
    for (const Column &c : columns)
        names.append(c.name);
    return names;
}

Pass pass(const QList<Column> &columns, const QString &from, const QList<Summary> &summaries)
{
    return {QStringLiteral("SELECT %1 %2").arg(selectList(columns), from), namesOf(columns), summaries};
}

// The period's stays in one statement of three index ranges. Every stay
// discharged in the period comes from the discharges' range, whatever its
// admission; the census (the stays overlapping the period: admitted from
// the earliest date one can have, and open ones admitted before it) takes
// those of them admitted in that range and the stays still in at the end.
QString staysStatement()
{
    return QStringLiteral("SELECT %1 FROM Patient_Data.tbAdmission a"
                          " WHERE a.DischargeDateTime >= ?1 AND a.DischargeDateTime < ?2 "
                          "UNION ALL SELECT %2 FROM Patient_Data.tbAdmission a"
                          " WHERE a.AdmissionDateTime >= ?8 AND a.AdmissionDateTime < ?2"
                          " AND (a.DischargeDateTime IS NULL OR a.DischargeDateTime >= ?2) "
                          "UNION ALL SELECT %3 FROM Patient_Data.tbAdmission a"
                          " WHERE a.DischargeDateTime IS NULL AND a.AdmissionDateTime < ?8")
        .arg(selectList(stayColumns(true, QStringLiteral("a.AdmissionDateTime >= ?8 AND a.AdmissionDateTime < ?2"))),
             selectList(stayColumns(false, QStringLiteral("1"))), selectList(stayColumns(false, QStringLiteral("1"))));
}

const Aggregate kRows = {Kind::Count, nullptr, "n"};

// Ages are kept by the ranges the sections count them in: the leading
// causes' age groups, paediatric (at most PediaAge) or not.
const grouped::Ranges kCauseAges = {{std::begin(kCauseAgeGroups), std::end(kCauseAgeGroups)}, false};
const grouped::Ranges kPaediatric = {{}, true};
const grouped::Ranges kCauseAgesAndPaediatric = {{std::begin(kCauseAgeGroups), std::end(kCauseAgeGroups)}, true};

QList<ReadingDefinition> definitions()
{
    // The census by service, and by what tells a stay's place in it: in at
    // the start (or admitted), discharged in the period (or still in at its
    // end) and how, transferred in; its service days, its same-day stays and
    // the days of stay of its discharges.
    Pass stays{staysStatement(), namesOf(stayColumns(false, QString())), {}};
    stays.summaries = {
        {"tbSharedCensus",
         {"InCensus"},
         {{"ServiceCode", true}, {"Discharged"}, {"DischargeCondition"}, {"AtStart"}, {"IsTransferIn"}},
         {kRows,
          {Kind::Sum, "ServiceDays", "ServiceDays"},
          {Kind::Sum, "SameDay", "SameDay"},
          {Kind::Sum, "Los", "Los"}}},
        {"tbSharedDischarges",
         {"Discharged"},
         {{"ServiceCode", true}, {"PayerClass"}, {"DischargeCondition"}, {"IsMaternalDeath"}, {"Under48h"}},
         {kRows, {Kind::Sum, "Los", "Los"}, {Kind::Sum, "Neonatal", "Neonatal"}}},
        // Distinct patients by service as codes compare, and of all but
        // newborns: one patient may have left from two services.
        {"tbSharedPatients",
         {"Discharged"},
         {{"ServiceCode", true, true}},
         {{Kind::CountDistinct, "PatientID", "Patients"}}},
        {"tbSharedPatientsInTotal", {"Discharged", "NotNewborn"}, {}, {{Kind::CountDistinct, "PatientID", "Patients"}}},
        {"tbSharedMorbidity",
         {"Discharged", "NotNewborn"},
         {{"FinalCategory", true}, {"PatientSex"}, {"AgeAtAdmission", false, false, &kCauseAges}},
         {kRows}},
        {"tbSharedMortality",
         {"Discharged", "Died"},
         {{"DeathCategory", true}, {"PatientSex"}, {"AgeAtDischarge", false, false, &kCauseAges}},
         {kRows}},
    };

    Pass deliveries =
        pass({{"DeliveryType", QStringLiteral("DeliveryType")},
              {"LiveBirths", QStringLiteral("LiveBirths")},
              {"FetalDeaths", QStringLiteral("FetalDeaths")}},
             QStringLiteral("FROM Patient_Data.tbDelivery WHERE DeliveryDateTime >= ?1 AND DeliveryDateTime < ?2"),
             {{"tbSharedDeliveries",
               {},
               {{"DeliveryType"}},
               {kRows, {Kind::Sum, "LiveBirths", "LiveBirths"}, {Kind::Sum, "FetalDeaths", "FetalDeaths"}}}});

    // An operation without a service counts under the setup's surgery service.
    Pass operations = pass(
        {{"Major", QStringLiteral("IsMajor <> 0")},
         {"PhilHealth", QStringLiteral("PayerClass IN ('PP', 'PS')")},
         {"ProcedureCode", QStringLiteral("ProcedureCode")},
         {"Svc", QStringLiteral("COALESCE(ServiceCode, ?6)")}},
        QStringLiteral("FROM Patient_Data.tbOperation WHERE OperationDateTime >= ?1 AND OperationDateTime < ?2"),
        {{"tbSharedOperations", {}, {{"Major"}, {"PhilHealth"}, {"ProcedureCode", true}, {"Svc", true}}, {kRows}}});

    Pass outpatients =
        pass({{"DiagnosisCategory", QStringLiteral("DiagnosisCategory")},
              {"PatientSex", QStringLiteral("PatientSex")},
              {"Age", QStringLiteral("Age")},
              {"IsNewPatient", QStringLiteral("IsNewPatient")}},
             QStringLiteral("FROM Patient_Data.tbOutpatientVisit WHERE VisitDate >= ?1 AND VisitDate < ?2"),
             {{"tbSharedOutpatientCauses",
               {},
               {{"DiagnosisCategory", true}, {"PatientSex"}, {"Age", false, false, &kCauseAges}},
               {kRows}},
              {"tbSharedOutpatientKinds", {}, {{"IsNewPatient"}, {"Age", false, false, &kPaediatric}}, {kRows}}});

    // The tests and services given in the period's emergency visits: those
    // of the visits read just before, whose ages they take.
    Pass emergencies =
        pass({{"EmergencyVisitID", QStringLiteral("EmergencyVisitID")},
              {"Disposition", QStringLiteral("Disposition")},
              {"DiagnosisCategory", QStringLiteral("DiagnosisCategory")},
              {"PatientSex", QStringLiteral("PatientSex")},
              {"Age", QStringLiteral("Age")},
              {"IsPedia", QStringLiteral("Age <= ?4")}},
             QStringLiteral("FROM Patient_Data.tbEmergencyVisit WHERE VisitDate >= ?1 AND VisitDate < ?2"),
             {{"tbSharedEmergencyDispositions", {}, {{"Disposition"}, {"Age", false, false, &kPaediatric}}, {kRows}},
              {"tbSharedEmergencyCauses",
               {},
               {{"DiagnosisCategory", true}, {"PatientSex"}, {"Age", false, false, &kCauseAgesAndPaediatric}},
               {kRows}}});
    emergencies.linkKey = "EmergencyVisitID";
    emergencies.linkValue = "IsPedia";
    Pass services =
        pass({{"EmergencyVisitID", QStringLiteral("EmergencyVisitID")},
              {"ServiceType", QStringLiteral("ServiceType")},
              {"ServiceName", QStringLiteral("ServiceName")},
              {"Quantity", QStringLiteral("Quantity")}},
             QStringLiteral("FROM Patient_Data.tbEmergencyService WHERE EmergencyVisitID BETWEEN ?11 AND ?12"),
             {{"tbSharedEmergencyServices",
               {},
               {{"ServiceType"}, {"ServiceName", true}, {"IsPedia"}},
               {{Kind::Sum, "Quantity", "Quantity"}}}});
    services.names.append("IsPedia");
    services.follows = true;

    return {
        {Reading::Stays,
         "stays",
         {stays},
         {QStringLiteral("sp_DOH_Upload_SectionI34"), QStringLiteral("sp_DOH_Upload_SectionII1"),
          QStringLiteral("sp_DOH_Upload_SectionII21"), QStringLiteral("sp_DOH_Upload_SectionII22"),
          QStringLiteral("sp_DOH_Upload_SectionII3"), QStringLiteral("sp_DOH_Upload_SectionIII"),
          QStringLiteral("sp_DOH_Upload_SectionII7"), QStringLiteral("sp_DOH_Upload_HealthAssociatedInf")}},
        {Reading::Deliveries,
         "deliveries",
         {deliveries},
         {QStringLiteral("sp_DOH_Upload_SectionII1"), QStringLiteral("sp_DOH_Upload_DeliveriesAndOutpatientVisits"),
          QStringLiteral("sp_DOH_Upload_SectionIII")}},
        {Reading::Operations,
         "operations",
         {operations},
         {QStringLiteral("sp_DOH_Upload_SectionII8"), QStringLiteral("sp_DOH_Upload_SectionII91"),
          QStringLiteral("sp_DOH_Upload_SectionII92"), QStringLiteral("sp_DOH_Upload_HealthAssociatedInf"),
          QStringLiteral("sp_DOH_Upload_SurgicalProcedure")}},
        {Reading::OutpatientVisits,
         "outpatient visits",
         {outpatients},
         {QStringLiteral("sp_DOH_Upload_DeliveriesAndOutpatientVisits"),
          QStringLiteral("sp_DOH_Upload_SectionIII114")}},
        {Reading::EmergencyVisits,
         "emergency visits",
         {emergencies, services},
         {QStringLiteral("sp_DOH_Upload_ERTestingAndOthers"), QStringLiteral("sp_DOH_Upload_SectionIII"),
          QStringLiteral("sp_DOH_Upload_SectionII103")}},
    };
}

const ReadingDefinition &definitionOf(Reading reading)
{
    static const QList<ReadingDefinition> all = definitions();
    for (const ReadingDefinition &d : all)
        if (d.reading == reading)
            return d;
    throw BackendError(QStringLiteral("The store knows no such shared reading."));
}

using grouped::Statement;

// The values a first pass's rows give the rows of the pass after it, by key:
// a table of every key from the lowest to the highest when they are close
// together (a period's visits are numbered in the order they came), sorted
// keys otherwise.
class Links
{
public:
    void add(sqlite3_int64 key, grouped::Value value) { m_pairs.push_back({key, value}); }
    // Called once every key is in.
    void index()
    {
        if (m_pairs.empty())
            return;
        std::sort(m_pairs.begin(), m_pairs.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        m_lowest = m_pairs.front().first;
        m_highest = m_pairs.back().first;
        const quint64 span = quint64(m_highest) - quint64(m_lowest);
        if (span < 4 * quint64(m_pairs.size()) + 1024) {
            m_dense.assign(std::size_t(span) + 1, nullptr);
            for (const auto &[key, value] : m_pairs)
                m_dense[std::size_t(quint64(key) - quint64(m_lowest))] = &value;
        }
    }
    bool empty() const { return m_pairs.empty(); }
    sqlite3_int64 lowest() const { return m_lowest; }
    sqlite3_int64 highest() const { return m_highest; }
    const grouped::Value *find(sqlite3_int64 key) const
    {
        if (key < m_lowest || key > m_highest)
            return nullptr;
        if (!m_dense.empty())
            return m_dense[std::size_t(quint64(key) - quint64(m_lowest))];
        const auto found = std::lower_bound(m_pairs.begin(), m_pairs.end(), key,
                                            [](const auto &pair, sqlite3_int64 k) { return pair.first < k; });
        return found != m_pairs.end() && found->first == key ? &found->second : nullptr;
    }

private:
    std::vector<std::pair<sqlite3_int64, grouped::Value>> m_pairs;
    std::vector<const grouped::Value *> m_dense;
    sqlite3_int64 m_lowest = 0;
    sqlite3_int64 m_highest = -1;
};

// Reads the period's rows of a reading into its working tables, emptied first.
void readAfresh(const UploadPeriod &period, PreparedStatements &db, const ReadingDefinition &definition)
{
    Links links;
    for (const Pass &pass : definition.passes) {
        for (const Summary &s : pass.summaries) {
            db.run(grouped::createStatement(s));
            db.run(QStringLiteral("DELETE FROM temp.%1").arg(QLatin1String(s.table)));
        }
        if (pass.follows && links.empty())
            continue;
        grouped::Summing summing(pass.summaries, pass.names, pass.follows ? int(pass.names.size()) - 1 : -1,
                                 period.pediaAge());
        const UploadPeriod::Bound b =
            period.bound(pass.statement, {QVariant(links.lowest()), QVariant(links.highest())});
        Statement statement(db, b.text, b.values);
        const int linkKey = pass.linkKey ? grouped::columnOf(pass.names, pass.linkKey) : -1;
        const int linkValue = pass.linkValue ? grouped::columnOf(pass.names, pass.linkValue) : -1;
        Links next;
        while (statement.next()) {
            sqlite3_stmt *row = statement.get();
            if (pass.follows) {
                // A row belongs to the period when its key is one of the
                // first pass's; it takes that row's value along.
                const grouped::Value *linked =
                    sqlite3_column_type(row, 0) == SQLITE_INTEGER ? links.find(sqlite3_column_int64(row, 0)) : nullptr;
                if (linked)
                    summing.add(row, linked);
                continue;
            }
            if (linkKey >= 0)
                next.add(sqlite3_column_int64(row, linkKey), grouped::integerOf(row, linkValue));
            summing.add(row);
        }
        summing.write(db);
        if (linkKey >= 0) {
            links = std::move(next);
            links.index();
        }
    }
}

QString readingsTable()
{
    return QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS tbSharedReading (Reading TEXT PRIMARY KEY, FromDate TEXT, "
                          "ToDate TEXT, CountedTo TEXT, PediaAge INTEGER, NewbornCode TEXT, SurgeryCode TEXT, "
                          "DataVersion INTEGER, ReadBy INTEGER NOT NULL)");
}

// What a reading is current for, beside its name: ?11 to ?17.
QVariantList keyOf(const UploadPeriod &period, const ReadingDefinition &definition)
{
    return {QString::fromLatin1(definition.name),
            sql::storedDate(period.from()),
            sql::storedDate(period.to()),
            sql::storedDate(period.countedTo()),
            period.pediaAge(),
            period.newbornCode(),
            period.surgeryCode()};
}

int readerBit(const UploadPeriod &period, const ReadingDefinition &definition)
{
    for (qsizetype i = 0; i < definition.readers.size(); ++i)
        if (definition.readers.at(i).compare(period.upload(), Qt::CaseInsensitive) == 0)
            return 1 << i;
    throw BackendError(QStringLiteral("The upload %1 is not a reader of the shared %2.")
                           .arg(period.upload(), QLatin1String(definition.name)));
}

} // namespace

void UploadPeriod::share(Reading reading) const
{
    const ReadingDefinition &definition = definitionOf(reading);
    PreparedStatements &db = statements();
    const int bit = readerBit(*this, definition);
    db.run(readingsTable());
    const QVariantList key = keyOf(*this, definition) + QVariantList{bit};
    std::optional<int> readBy;
    {
        // The reading there is, if it is current, now read by this upload too.
        const Bound current = bound(
            QStringLiteral("UPDATE temp.tbSharedReading SET ReadBy = ReadBy | ?18 WHERE Reading = ?11 AND FromDate IS "
                           "?12 AND ToDate IS ?13 AND CountedTo IS ?14 AND PediaAge IS ?15 AND NewbornCode IS ?16 AND "
                           "SurgeryCode IS ?17 AND DataVersion = (SELECT Version FROM "
                           "Patient_Data.tbPatientDataVersion) RETURNING ReadBy"),
            key);
        Statement mark(db, current.text, current.values);
        if (mark.next())
            readBy = sqlite3_column_int(mark.get(), 0);
        while (mark.next()) {
        }
    }
    if (!readBy) {
        readAfresh(*this, db, definition);
        const Bound made = bound(
            QStringLiteral("INSERT OR REPLACE INTO temp.tbSharedReading VALUES (?11, ?12, ?13, ?14, ?15, ?16, ?17, "
                           "(SELECT Version FROM Patient_Data.tbPatientDataVersion), ?18)"),
            key);
        db.run(made.text, made.values);
        readBy = bit;
    }
    for (auto &[shared, by] : m_shared)
        if (shared == reading) {
            by = *readBy;
            return;
        }
    m_shared.append({reading, *readBy});
}

void UploadPeriod::finish() const
{
    for (const auto &[reading, readBy] : m_shared) {
        const ReadingDefinition &definition = definitionOf(reading);
        if (readBy != (1 << definition.readers.size()) - 1)
            continue;
        PreparedStatements &db = statements();
        for (const Pass &pass : definition.passes)
            for (const Summary &s : pass.summaries)
                db.run(QStringLiteral("DELETE FROM temp.%1").arg(QLatin1String(s.table)));
        db.run(QStringLiteral("DELETE FROM temp.tbSharedReading WHERE Reading = ?"),
               {QString::fromLatin1(definition.name)});
    }
    m_shared.clear();
}

} // namespace embedded::patient
