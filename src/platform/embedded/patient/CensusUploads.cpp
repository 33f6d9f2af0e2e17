#include "UploadPeriod.h"
#include "Uploads.h"

// The uploads built on inpatient stays: beds, summary of patients,
// discharges, ALOS and deaths.
namespace embedded::patient {

using fragment::rate;

namespace {

// A period's discharges (deaths included) with length of stay (a same-day
// stay is one day) and whether a death came under 48 hours.
const QString kDischargeRows =
    QStringLiteral("SELECT a.PatientID, a.ServiceCode, a.PayerClass, a.DischargeCondition, a.IsMaternalDeath,"
                   " a.LengthOfStay AS Los, a.Under48h AS Under48"
                   " FROM Patient_Data.tbAdmission a WHERE a.DischargeDateTime >= ?1 AND a.DischargeDateTime < ?2");
const QString kDischarges = QStringLiteral("d AS (") + kDischargeRows + QStringLiteral(")");

// The bed occupancy rate: service days over beds times days in the period.
QString bedOccupancy(const char *beds)
{
    return rate(QStringLiteral("ServiceDays"), QStringLiteral("%1 * ?7").arg(QLatin1String(beds)),
                QStringLiteral("100"));
}

struct Aggregate
{
    const char *column;
    const char *expression;
};

// Columns of the discharges section, aggregated over rows of d.
const Aggregate kDischargeColumns[] = {
    {"Patients", "COUNT(DISTINCT PatientID)"},
    {"TotalLengthOfStay", "SUM(Los)"},
    {"NonPhilHealthPay", "SUM(PayerClass = 'NPP')"},
    {"NonPhilHealthService", "SUM(PayerClass = 'NPS')"},
    {"PhilHealthPay", "SUM(PayerClass = 'PP')"},
    {"PhilHealthService", "SUM(PayerClass = 'PS')"},
    {"HMO", "SUM(PayerClass = 'HMO')"},
    {"OWWA", "SUM(PayerClass = 'OWWA')"},
    {"RecoveredImproved", "SUM(DischargeCondition = 'R')"},
    {"Transferred", "SUM(DischargeCondition = 'T')"},
    {"HomeAgainstAdvice", "SUM(DischargeCondition = 'H')"},
    {"Absconded", "SUM(DischargeCondition = 'A')"},
    {"Unimproved", "SUM(DischargeCondition = 'U')"},
    {"DeathsUnder48h", "SUM(DischargeCondition = 'D' AND Under48)"},
    {"Deaths48hOrMore", "SUM(DischargeCondition = 'D' AND NOT Under48)"},
    {"TotalDeaths", "SUM(DischargeCondition = 'D')"},
    {"TotalDischarges", "COUNT(*)"},
};

const Aggregate kAlosColumns[] = {
    {"Discharges", "COUNT(*)"},
    {"TotalLengthOfStay", "SUM(Los)"},
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
    // patients: one patient may have left from two services.
    QStringList totals;
    for (const Aggregate &a : columns) {
        const QLatin1String expression(a.expression);
        totals.append(expression.startsWith(QLatin1String("COUNT(DISTINCT"))
                          ? QStringLiteral("(WITH %1 SELECT %2 FROM d WHERE ServiceCode <> ?5) AS %3")
                                .arg(kDischarges, expression, QLatin1String(a.column))
                          : QStringLiteral("COALESCE(SUM(%1), 0) AS %1").arg(QLatin1String(a.column)));
    }
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
    period.clear(table);
    // Services with beds allocated or with patients in the period (newborns,
    // in bassinets, apart).
    period.run(
        QStringLiteral(
            "WITH %1, "
            "days AS (SELECT ServiceCode, SUM(ServiceDays) AS ServiceDays FROM census"
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
            " AuthorizedBeds, ImplementingBeds, ?7, ServiceDays, %2, %3 FROM z")
            .arg(fragment::censusCtes(), bedOccupancy("AuthorizedBeds"), bedOccupancy("ImplementingBeds")));
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
    period.clear(QStringLiteral("tbDOHRptSectionII1"));
    // Newborns are reported apart: every figure but the births leaves them out.
    period.run(
        QStringLiteral(
            "WITH %1, "
            "t AS (SELECT COALESCE(SUM(AdmDate < ?1), 0) AS InpatientsAtStart,"
            " COALESCE(SUM(AdmDate >= ?1), 0) AS Admissions,"
            " COALESCE(SUM(AdmDate >= ?1 AND IsTransferIn <> 0), 0) AS TransfersIn,"
            " COALESCE(SUM(DisDate < ?2 AND DischargeCondition <> 'D'), 0) AS DischargesAlive,"
            " COALESCE(SUM(DisDate < ?2 AND DischargeCondition = 'D'), 0) AS Deaths,"
            " COALESCE(SUM(DisDate IS NULL OR DisDate >= ?2), 0) AS InpatientsAtEnd,"
            " COALESCE(SUM(AdmDate = DisDate AND AdmDate >= ?1), 0) AS SameDay,"
            " COALESCE(SUM(ServiceDays), 0) AS ServiceDays,"
            " COALESCE(SUM(CASE WHEN DisDate < ?2 THEN MAX(1, CAST(julianday(DisDate) - julianday(AdmDate)"
            " AS INTEGER)) END), 0) AS TotalLengthOfStay"
            " FROM census WHERE ServiceCode <> ?5), "
            "beds AS (SELECT COALESCE(SUM(AuthorizedBeds), 0) AS AuthorizedBeds,"
            " COALESCE(SUM(ImplementingBeds), 0) AS ImplementingBeds"
            " FROM Patient_Data.tbBedAllocation WHERE ServiceCode <> ?5), "
            "born AS (SELECT COALESCE(SUM(LiveBirths), 0) AS LiveBirths FROM Patient_Data.tbDelivery"
            " WHERE DeliveryDateTime >= ?1 AND DeliveryDateTime < ?2) "
            "INSERT INTO Patient_Data.tbDOHRptSectionII1 (FromDate, ToDate, InpatientsAtStart, Admissions, "
            "TransfersIn, DischargesAlive, Deaths, InpatientsAtEnd, AdmittedDischargedSameDay, NewbornsBornHere, "
            "ServiceDays, DaysInPeriod, AuthorizedBeds, ImplementingBeds, BOR, BORImplementing, Discharges, "
            "TotalLengthOfStay, ALOS) "
            "SELECT ?1, ?3, InpatientsAtStart, Admissions, TransfersIn, DischargesAlive, Deaths, InpatientsAtEnd,"
            " SameDay, LiveBirths, ServiceDays, ?7, AuthorizedBeds, ImplementingBeds, %2, %3,"
            " DischargesAlive + Deaths, TotalLengthOfStay, %4 FROM t, beds, born")
            .arg(fragment::censusCtes(), bedOccupancy("AuthorizedBeds"), bedOccupancy("ImplementingBeds"),
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
    period.clear(QStringLiteral("tbDOHRptSectionIII"));
    // Inpatient deaths and their rates leave newborns out, as the discharges
    // do; newborn deaths have their own rate. Neonatal deaths are inpatients
    // who died before their 28th day, whatever the service.
    period.run(
        QStringLiteral(
            "WITH %1, "
            "t AS (SELECT COALESCE(SUM(d.ServiceCode <> ?5 AND d.DischargeCondition = 'D'), 0) AS Deaths,"
            " COALESCE(SUM(d.ServiceCode <> ?5 AND d.DischargeCondition = 'D' AND d.Under48), 0) AS Under48,"
            " COALESCE(SUM(d.DischargeCondition = 'D' AND d.IsMaternalDeath <> 0), 0) AS Maternal,"
            " COALESCE(SUM(d.ServiceCode = ?5 AND d.DischargeCondition = 'D'), 0) AS NewbornDeaths,"
            " COALESCE(SUM(d.ServiceCode <> ?5), 0) AS Discharges,"
            " COALESCE(SUM(d.ServiceCode = '%2'), 0) AS Obstetric,"
            " COALESCE(SUM(d.ServiceCode = ?5), 0) AS NewbornDischarges"
            " FROM d), "
            "nd AS (SELECT COUNT(*) AS Neonatal FROM Patient_Data.tbAdmission WHERE DischargeDate >= ?1"
            " AND DischargeDate < ?2 AND DischargeCondition = 'D' AND DaysOldAtDischarge < 28), "
            "er AS (SELECT COALESCE(SUM(Disposition = 'DIED'), 0) AS ErDeaths,"
            " COALESCE(SUM(Disposition = 'DOA'), 0) AS Doa FROM Patient_Data.tbEmergencyVisit"
            " WHERE VisitDate >= ?1 AND VisitDate < ?2), "
            "fd AS (SELECT COALESCE(SUM(FetalDeaths), 0) AS FetalDeaths FROM Patient_Data.tbDelivery"
            " WHERE DeliveryDateTime >= ?1 AND DeliveryDateTime < ?2) "
            "INSERT INTO Patient_Data.tbDOHRptSectionIII (FromDate, ToDate, InpatientDeaths, DeathsUnder48h, "
            "Deaths48hOrMore, EmergencyRoomDeaths, DeadOnArrival, FetalDeaths, NeonatalDeaths, MaternalDeaths, "
            "NewbornDeaths, Discharges, ObstetricDischarges, NewbornDischarges, GrossDeathRate, NetDeathRate, "
            "MaternalDeathRate, NewbornDeathRate) "
            "SELECT ?1, ?3, Deaths, Under48, Deaths - Under48, ErDeaths, Doa, FetalDeaths, Neonatal, Maternal,"
            " NewbornDeaths, Discharges, Obstetric, NewbornDischarges, %3, %4, %5, %6 FROM t, nd, er, fd")
            .arg(
                kDischarges, QLatin1String(kObstetricsServiceCode),
                rate(QStringLiteral("Deaths"), QStringLiteral("Discharges"), QStringLiteral("100")),
                rate(QStringLiteral("Deaths - Under48"), QStringLiteral("Discharges - Under48"), QStringLiteral("100")),
                rate(QStringLiteral("Maternal"), QStringLiteral("Obstetric"), QStringLiteral("100")),
                rate(QStringLiteral("NewbornDeaths"), QStringLiteral("NewbornDischarges"), QStringLiteral("100"))));
}

} // namespace embedded::patient
