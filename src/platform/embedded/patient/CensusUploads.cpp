#include "UploadPeriod.h"
#include "Uploads.h"

// The uploads built on inpatient stays: beds, summary of patients,
// discharges, ALOS and deaths.
namespace embedded::patient {

using fragment::rate;

namespace {

// The period's discharges (deaths included), summed by service, payer class,
// condition, maternal death and death under 48 hours: n discharges, Los
// their days of stay (a same-day stay is one day). Read by the shared
// reading of the period's stays.
const QString kDischarges = QStringLiteral("d AS (SELECT * FROM temp.tbSharedDischarges)");

// The bed occupancy rate: service days over beds times days in the period.
QString bedOccupancy(const char *beds)
{
    return rate(QStringLiteral("ServiceDays"), QStringLiteral("%1 * ?7").arg(QLatin1String(beds)),
                QStringLiteral("100"));
}

struct Aggregate
{
    const char *column;
    const char *expression; // over rows of d, grouped by service
    const char *total;      // for the total row: null when it sums the service rows
};

// The distinct patients are counted from the reading's own count by service
// (codes without their trailing blanks) and for all but newborns: one
// patient may have left from two services.
const char *const kPatients = "(SELECT p.Patients FROM temp.tbSharedPatients p WHERE p.ServiceCode = d.ServiceCode)";
const char *const kPatientsInTotal = "COALESCE((SELECT Patients FROM temp.tbSharedPatientsInTotal), 0)";

// Columns of the discharges section.
const Aggregate kDischargeColumns[] = {
    {"Patients", kPatients, kPatientsInTotal},
    {"TotalLengthOfStay", "SUM(Los)", nullptr},
    {"NonPhilHealthPay", "SUM((PayerClass = 'NPP') * n)", nullptr},
    {"NonPhilHealthService", "SUM((PayerClass = 'NPS') * n)", nullptr},
    {"PhilHealthPay", "SUM((PayerClass = 'PP') * n)", nullptr},
    {"PhilHealthService", "SUM((PayerClass = 'PS') * n)", nullptr},
    {"HMO", "SUM((PayerClass = 'HMO') * n)", nullptr},
    {"OWWA", "SUM((PayerClass = 'OWWA') * n)", nullptr},
    {"RecoveredImproved", "SUM((DischargeCondition = 'R') * n)", nullptr},
    {"Transferred", "SUM((DischargeCondition = 'T') * n)", nullptr},
    {"HomeAgainstAdvice", "SUM((DischargeCondition = 'H') * n)", nullptr},
    {"Absconded", "SUM((DischargeCondition = 'A') * n)", nullptr},
    {"Unimproved", "SUM((DischargeCondition = 'U') * n)", nullptr},
    {"DeathsUnder48h", "SUM((DischargeCondition = 'D' AND Under48h) * n)", nullptr},
    {"Deaths48hOrMore", "SUM((DischargeCondition = 'D' AND NOT Under48h) * n)", nullptr},
    {"TotalDeaths", "SUM((DischargeCondition = 'D') * n)", nullptr},
    {"TotalDischarges", "SUM(n)", nullptr},
};

const Aggregate kAlosColumns[] = {
    {"Discharges", "SUM(n)", nullptr},
    {"TotalLengthOfStay", "SUM(Los)", nullptr},
};

template <std::size_t N> QString aggregateList(const Aggregate (&columns)[N], bool withNames)
{
    QStringList parts;
    for (const Aggregate &a : columns)
        parts.append(withNames ? QStringLiteral("%1 AS %2").arg(QLatin1String(a.expression), QLatin1String(a.column))
                               : QLatin1String(a.column));
    return parts.join(QStringLiteral(", "));
}

template <std::size_t N> QString zeroed(const Aggregate (&columns)[N], const QString &alias)
{
    QStringList parts;
    for (const Aggregate &a : columns)
        parts.append(QStringLiteral("COALESCE(%1.%2, 0) AS %2").arg(alias, QLatin1String(a.column)));
    return parts.join(QStringLiteral(", "));
}

// Rows per service (every service of the service table and any other code
// discharged from), the total of all but newborns (900) and the newborn row
// (901); extra columns computed from the aggregated ones follow.
template <std::size_t N>
void uploadByService(const UploadPeriod &period, const QString &table, const Aggregate (&columns)[N],
                     const QString &extraNames, const QString &extraValues)
{
    period.share(Reading::Stays);
    period.clear(table);
    const QString names = aggregateList(columns, false);
    const QString extras = extraNames.isEmpty() ? QString() : QStringLiteral(", ") + extraNames;
    const QString extraValuesOfZ =
        extraValues.isEmpty()
            ? QString()
            : QStringLiteral(", ") + QString(extraValues).replace(QStringLiteral("$."), QStringLiteral("z."));
    period.run(
        QStringLiteral("WITH %1, g AS (SELECT ServiceCode, %2 FROM d GROUP BY ServiceCode), "
                       "codes AS (SELECT ServiceCode FROM BUILD_FILE.tbCoService UNION SELECT ServiceCode FROM g), "
                       "z AS (SELECT c.ServiceCode, COALESCE(s.Service, c.ServiceCode) AS Service, %3"
                       " FROM codes c LEFT JOIN g ON g.ServiceCode = c.ServiceCode"
                       " LEFT JOIN BUILD_FILE.tbCoService s ON s.ServiceCode = c.ServiceCode) "
                       "INSERT INTO Patient_Data.%4 (FromDate, ToDate, RowOrder, RowType, ServiceCode, Service, %5%6) "
                       "SELECT ?1, ?3, CASE WHEN z.ServiceCode = ?5 THEN 901 ELSE ROW_NUMBER() OVER"
                       " (PARTITION BY z.ServiceCode = ?5 ORDER BY z.ServiceCode) END,"
                       " CASE WHEN z.ServiceCode = ?5 THEN 'NEWBORN' ELSE 'SERVICE' END, z.ServiceCode, z.Service, %5%7"
                       " FROM z")
            .arg(kDischarges, aggregateList(columns, true), zeroed(columns, QStringLiteral("g")), table, names, extras,
                 extraValuesOfZ));
    // The total row sums the service rows just written, but for the distinct
    // patients.
    QStringList totals;
    for (const Aggregate &a : columns)
        totals.append(a.total ? QStringLiteral("%1 AS %2").arg(QLatin1String(a.total), QLatin1String(a.column))
                              : QStringLiteral("COALESCE(SUM(%1), 0) AS %1").arg(QLatin1String(a.column)));
    period.run(QStringLiteral("WITH z AS (SELECT %1 FROM Patient_Data.%2 WHERE FromDate = ?1 AND ToDate = ?3"
                              " AND RowType = 'SERVICE') "
                              "INSERT INTO Patient_Data.%2 (FromDate, ToDate, RowOrder, RowType, ServiceCode, Service, "
                              "%3%4) SELECT ?1, ?3, 900, 'TOTAL', NULL, 'Total', %3%5 FROM z")
                   .arg(totals.join(QStringLiteral(", ")), table, names, extras, extraValuesOfZ));
}

} // namespace

void uploadSectionI34(const UploadPeriod &period)
{
    const QString table = QStringLiteral("tbDOHRptSectionI34");
    period.share(Reading::Stays);
    period.clear(table);
    // Services with beds allocated or with patients in the period (newborns,
    // in bassinets, apart).
    period.run(
        QStringLiteral(
            "WITH days AS (SELECT ServiceCode, SUM(ServiceDays) AS ServiceDays FROM temp.tbSharedCensus"
            " WHERE ServiceCode <> ?5 GROUP BY ServiceCode), "
            "codes AS (SELECT ServiceCode FROM Patient_Data.tbBedAllocation WHERE ServiceCode <> ?5"
            " UNION SELECT ServiceCode FROM days), "
            "z AS (SELECT c.ServiceCode, COALESCE(s.Service, c.ServiceCode) AS Service,"
            " COALESCE(b.AuthorizedBeds, 0) AS AuthorizedBeds, COALESCE(b.ImplementingBeds, 0) AS ImplementingBeds,"
            " COALESCE(d.ServiceDays, 0) AS ServiceDays FROM codes c"
            " LEFT JOIN Patient_Data.tbBedAllocation b ON b.ServiceCode = c.ServiceCode"
            " LEFT JOIN days d ON d.ServiceCode = c.ServiceCode"
            " LEFT JOIN BUILD_FILE.tbCoService s ON s.ServiceCode = c.ServiceCode) "
            "INSERT INTO Patient_Data.tbDOHRptSectionI34 (FromDate, ToDate, RowOrder, RowType, ServiceCode, "
            "Service, AuthorizedBeds, ImplementingBeds, DaysInPeriod, ServiceDays, BOR, BORImplementing) "
            "SELECT ?1, ?3, ROW_NUMBER() OVER (ORDER BY ServiceCode), 'SERVICE', ServiceCode, Service,"
            " AuthorizedBeds, ImplementingBeds, ?7, ServiceDays, %1, %2 FROM z")
            .arg(bedOccupancy("AuthorizedBeds"), bedOccupancy("ImplementingBeds")));
    period.run(
        QStringLiteral(
            "WITH z AS (SELECT COALESCE(SUM(AuthorizedBeds), 0) AS AuthorizedBeds,"
            " COALESCE(SUM(ImplementingBeds), 0) AS ImplementingBeds, COALESCE(SUM(ServiceDays), 0) AS ServiceDays"
            " FROM Patient_Data.tbDOHRptSectionI34 WHERE FromDate = ?1 AND ToDate = ?3 AND RowType = 'SERVICE') "
            "INSERT INTO Patient_Data.tbDOHRptSectionI34 (FromDate, ToDate, RowOrder, RowType, ServiceCode, "
            "Service, AuthorizedBeds, ImplementingBeds, DaysInPeriod, ServiceDays, BOR, BORImplementing) "
            "SELECT ?1, ?3, 900, 'TOTAL', NULL, 'Total', AuthorizedBeds, ImplementingBeds, ?7, ServiceDays, %1, %2"
            " FROM z")
            .arg(bedOccupancy("AuthorizedBeds"), bedOccupancy("ImplementingBeds")));
}

void uploadSectionII1(const UploadPeriod &period)
{
    period.share(Reading::Stays);
    period.share(Reading::Deliveries);
    period.clear(QStringLiteral("tbDOHRptSectionII1"));
    // The census of the period's stays by service; newborns are reported
    // apart: every figure but the births leaves them out.
    period.run(
        QStringLiteral(
            "WITH t AS (SELECT COALESCE(SUM(AtStart * n), 0) AS InpatientsAtStart,"
            " COALESCE(SUM((NOT AtStart) * n), 0) AS Admissions,"
            " COALESCE(SUM((NOT AtStart AND IsTransferIn <> 0) * n), 0) AS TransfersIn,"
            " COALESCE(SUM((Discharged AND DischargeCondition <> 'D') * n), 0) AS DischargesAlive,"
            " COALESCE(SUM((Discharged AND DischargeCondition = 'D') * n), 0) AS Deaths,"
            " COALESCE(SUM((NOT Discharged) * n), 0) AS InpatientsAtEnd, COALESCE(SUM(SameDay), 0) AS SameDay,"
            " COALESCE(SUM(ServiceDays), 0) AS ServiceDays, COALESCE(SUM(Los), 0) AS TotalLengthOfStay"
            " FROM temp.tbSharedCensus WHERE ServiceCode <> ?5), "
            "beds AS (SELECT COALESCE(SUM(AuthorizedBeds), 0) AS AuthorizedBeds,"
            " COALESCE(SUM(ImplementingBeds), 0) AS ImplementingBeds"
            " FROM Patient_Data.tbBedAllocation WHERE ServiceCode <> ?5), "
            "born AS (SELECT COALESCE(SUM(LiveBirths), 0) AS LiveBirths FROM temp.tbSharedDeliveries) "
            "INSERT INTO Patient_Data.tbDOHRptSectionII1 (FromDate, ToDate, InpatientsAtStart, Admissions, "
            "TransfersIn, DischargesAlive, Deaths, InpatientsAtEnd, AdmittedDischargedSameDay, NewbornsBornHere, "
            "ServiceDays, DaysInPeriod, AuthorizedBeds, ImplementingBeds, BOR, BORImplementing, Discharges, "
            "TotalLengthOfStay, ALOS) "
            "SELECT ?1, ?3, InpatientsAtStart, Admissions, TransfersIn, DischargesAlive, Deaths, InpatientsAtEnd,"
            " SameDay, LiveBirths, ServiceDays, ?7, AuthorizedBeds, ImplementingBeds, %1, %2,"
            " DischargesAlive + Deaths, TotalLengthOfStay, %3 FROM t, beds, born")
            .arg(bedOccupancy("AuthorizedBeds"), bedOccupancy("ImplementingBeds"),
                 rate(QStringLiteral("TotalLengthOfStay"), QStringLiteral("DischargesAlive + Deaths"),
                      QStringLiteral("1"))));
}

void uploadSectionII21(const UploadPeriod &period)
{
    uploadByService(period, QStringLiteral("tbDOHRptSectionII21"), kDischargeColumns, QString(), QString());
}

void uploadSectionII22(const UploadPeriod &period)
{
    uploadByService(period, QStringLiteral("tbDOHRptSectionII22"), kAlosColumns, QStringLiteral("ALOS"),
                    rate(QStringLiteral("COALESCE($.TotalLengthOfStay, 0)"),
                         QStringLiteral("COALESCE($.Discharges, 0)"), QStringLiteral("1")));
}

void uploadSectionIII(const UploadPeriod &period)
{
    period.share(Reading::Stays);
    period.share(Reading::EmergencyVisits);
    period.share(Reading::Deliveries);
    period.clear(QStringLiteral("tbDOHRptSectionIII"));
    // Inpatient deaths and their rates leave newborns out, as the discharges
    // do; newborn deaths have their own rate. Neonatal deaths are inpatients
    // who died before their 28th day, whatever the service.
    period.run(
        QStringLiteral(
            "WITH %1, "
            "t AS (SELECT COALESCE(SUM((d.ServiceCode <> ?5 AND d.DischargeCondition = 'D') * d.n), 0) AS Deaths,"
            " COALESCE(SUM((d.ServiceCode <> ?5 AND d.DischargeCondition = 'D' AND d.Under48h) * d.n), 0) AS Under48,"
            " COALESCE(SUM((d.DischargeCondition = 'D' AND d.IsMaternalDeath <> 0) * d.n), 0) AS Maternal,"
            " COALESCE(SUM((d.ServiceCode = ?5 AND d.DischargeCondition = 'D') * d.n), 0) AS NewbornDeaths,"
            " COALESCE(SUM((d.ServiceCode <> ?5) * d.n), 0) AS Discharges,"
            " COALESCE(SUM((d.ServiceCode = '%2') * d.n), 0) AS Obstetric,"
            " COALESCE(SUM((d.ServiceCode = ?5) * d.n), 0) AS NewbornDischarges,"
            " COALESCE(SUM(d.Neonatal), 0) AS Neonatal"
            " FROM d), "
            "er AS (SELECT COALESCE(SUM((Disposition = 'DIED') * n), 0) AS ErDeaths,"
            " COALESCE(SUM((Disposition = 'DOA') * n), 0) AS Doa FROM temp.tbSharedEmergencyDispositions), "
            "fd AS (SELECT COALESCE(SUM(FetalDeaths), 0) AS FetalDeaths FROM temp.tbSharedDeliveries) "
            "INSERT INTO Patient_Data.tbDOHRptSectionIII (FromDate, ToDate, InpatientDeaths, DeathsUnder48h, "
            "Deaths48hOrMore, EmergencyRoomDeaths, DeadOnArrival, FetalDeaths, NeonatalDeaths, MaternalDeaths, "
            "NewbornDeaths, Discharges, ObstetricDischarges, NewbornDischarges, GrossDeathRate, NetDeathRate, "
            "MaternalDeathRate, NewbornDeathRate) "
            "SELECT ?1, ?3, Deaths, Under48, Deaths - Under48, ErDeaths, Doa, FetalDeaths, Neonatal, Maternal,"
            " NewbornDeaths, Discharges, Obstetric, NewbornDischarges, %3, %4, %5, %6 FROM t, er, fd")
            .arg(
                kDischarges, QLatin1String(kObstetricsServiceCode),
                rate(QStringLiteral("Deaths"), QStringLiteral("Discharges"), QStringLiteral("100")),
                rate(QStringLiteral("Deaths - Under48"), QStringLiteral("Discharges - Under48"), QStringLiteral("100")),
                rate(QStringLiteral("Maternal"), QStringLiteral("Obstetric"), QStringLiteral("100")),
                rate(QStringLiteral("NewbornDeaths"), QStringLiteral("NewbornDischarges"), QStringLiteral("100"))));
}

} // namespace embedded::patient
