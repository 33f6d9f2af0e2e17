#include "UploadPeriod.h"
#include "Uploads.h"

// The uploads built on events of one date each: laboratory examinations,
// leading causes, deliveries, outpatient and emergency visits, operations
// and infections.
namespace embedded::patient {

using fragment::rate;

namespace {

// The rows of each age group of the leading causes: A0 under the first age,
// then A followed by each group's first age.
QString ageGroupSums()
{
    const int *groups = std::begin(kCauseAgeGroups);
    const std::size_t count = std::size(kCauseAgeGroups);
    QStringList sums = {QStringLiteral("SUM((Age < %1) * n) AS A0").arg(groups[0])};
    for (std::size_t i = 0; i + 1 < count; ++i)
        sums.append(QStringLiteral("SUM((Age BETWEEN %1 AND %2) * n) AS A%1").arg(groups[i]).arg(groups[i + 1] - 1));
    sums.append(QStringLiteral("SUM((Age >= %1) * n) AS A%1").arg(groups[count - 1]));
    return sums.join(QStringLiteral(", "));
}

// The ten leading causes of a shared reading's (Code, Sex, Age, n) rows, n
// of them each: ranked by count, ties by code, with the breakdown by sex and
// age group.
void uploadTopTen(const UploadPeriod &period, const QString &table, const QString &source)
{
    period.clear(table);
    period.run(QStringLiteral(
                   "WITH src AS (%1), "
                   "g AS (SELECT Code, SUM((Sex = 'M') * n) AS Male, SUM((Sex = 'F') * n) AS Female, %3,"
                   " SUM(n) AS Total FROM src WHERE Code IS NOT NULL AND Code <> '' GROUP BY Code), "
                   "r AS (SELECT g.*, ROW_NUMBER() OVER (ORDER BY Total DESC, Code) AS RowOrder FROM g) "
                   "INSERT INTO Patient_Data.%2 (FromDate, ToDate, RowOrder, ICDCode, Title, Male, Female, AgeUnder1, "
                   "Age1To4, Age5To9, Age10To14, Age15To19, Age20To44, Age45To64, Age65AndOver, Total) "
                   "SELECT ?1, ?3, r.RowOrder, r.Code, COALESCE(c.Title, r.Code), Male, Female, A0, A1, A5, A10, A15,"
                   " A20, A45, A65, Total FROM r LEFT JOIN BUILD_FILE.tbCoICD10Category c ON c.CategoryCode = r.Code"
                   " WHERE r.RowOrder <= 10")
                   .arg(source, table, ageGroupSums()));
}

// A period's outpatient or emergency visits as rows of the leading causes.
QString visitCauses(const QString &table)
{
    return QStringLiteral("SELECT DiagnosisCategory AS Code, PatientSex AS Sex, Age, n FROM temp.%1").arg(table);
}

void uploadTopOperations(const UploadPeriod &period, const QString &table, bool major)
{
    period.share(Reading::Operations);
    period.clear(table);
    period.run(QStringLiteral(
                   "WITH g AS (SELECT ProcedureCode, SUM(n) AS Operations FROM temp.tbSharedOperations"
                   " WHERE Major = %1 GROUP BY ProcedureCode), "
                   "r AS (SELECT g.*, ROW_NUMBER() OVER (ORDER BY Operations DESC, ProcedureCode) AS RowOrder FROM g) "
                   "INSERT INTO Patient_Data.%2 (FromDate, ToDate, RowOrder, ProcedureCode, Title, Operations) "
                   "SELECT ?1, ?3, r.RowOrder, r.ProcedureCode, COALESCE(c.Title, r.ProcedureCode), r.Operations"
                   " FROM r LEFT JOIN BUILD_FILE.tbCoProcedure c ON c.ProcedureCode = r.ProcedureCode"
                   " WHERE r.RowOrder <= 10")
                   .arg(major ? 1 : 0)
                   .arg(table));
}

} // namespace

void uploadSectionI9(const UploadPeriod &period)
{
    const QString table = QStringLiteral("tbDOHRptSectionI9");
    period.clear(table);
    period.run(QStringLiteral(
        "WITH l AS (SELECT Section, SUM(CASE WHEN IsInpatient <> 0 THEN ExamCount ELSE 0 END) AS Inpatient,"
        " SUM(CASE WHEN IsInpatient = 0 THEN ExamCount ELSE 0 END) AS Outpatient"
        " FROM Patient_Data.tbLabExamination WHERE ExamDate >= ?1 AND ExamDate < ?2 GROUP BY Section), "
        "items (RowOrder, Code, Name) AS (VALUES (1, 'HEMATOLOGY', 'Hematology'),"
        " (2, 'CLINICAL_MICROSCOPY', 'Clinical Microscopy'), (3, 'CLINICAL_CHEMISTRY', 'Clinical Chemistry'),"
        " (4, 'MICROBIOLOGY', 'Microbiology'), (5, 'BLOOD_BANK', 'Blood Bank'), (6, 'OTHERS', 'Others')) "
        "INSERT INTO Patient_Data.tbDOHRptSectionI9 (FromDate, ToDate, RowOrder, Section, Inpatient, Outpatient, "
        "Total) SELECT ?1, ?3, i.RowOrder, i.Name, COALESCE(l.Inpatient, 0), COALESCE(l.Outpatient, 0),"
        " COALESCE(l.Inpatient, 0) + COALESCE(l.Outpatient, 0) FROM items i LEFT JOIN l ON l.Section = i.Code"));
    period.run(QStringLiteral(
        "INSERT INTO Patient_Data.tbDOHRptSectionI9 (FromDate, ToDate, RowOrder, Section, Inpatient, Outpatient, "
        "Total) SELECT ?1, ?3, 7, 'Total', COALESCE(SUM(Inpatient), 0), COALESCE(SUM(Outpatient), 0),"
        " COALESCE(SUM(Total), 0) FROM Patient_Data.tbDOHRptSectionI9 WHERE FromDate = ?1 AND ToDate = ?3"));
}

void uploadSectionII3(const UploadPeriod &period)
{
    // Causes of discharge by final diagnosis, age at admission; healthy
    // newborns are not morbidity.
    period.share(Reading::Stays);
    uploadTopTen(period, QStringLiteral("tbDOHRptSectionII3"),
                 QStringLiteral("SELECT FinalCategory AS Code, PatientSex AS Sex, AgeAtAdmission AS Age, n"
                                " FROM temp.tbSharedMorbidity"));
}

void uploadSectionII7(const UploadPeriod &period)
{
    // Every inpatient death, by underlying cause (the final diagnosis when
    // none was recorded), age at death.
    period.share(Reading::Stays);
    uploadTopTen(period, QStringLiteral("tbDOHRptSectionII7"),
                 QStringLiteral("SELECT DeathCategory AS Code, PatientSex AS Sex, AgeAtDischarge AS Age, n"
                                " FROM temp.tbSharedMortality"));
}

void uploadSectionIII114(const UploadPeriod &period)
{
    period.share(Reading::OutpatientVisits);
    uploadTopTen(period, QStringLiteral("tbDOHRptSectionIII114"),
                 visitCauses(QStringLiteral("tbSharedOutpatientCauses")));
}

void uploadSectionII103(const UploadPeriod &period)
{
    period.share(Reading::EmergencyVisits);
    uploadTopTen(period, QStringLiteral("tbDOHRptSectionII103"),
                 visitCauses(QStringLiteral("tbSharedEmergencyCauses")));
}

void uploadDeliveriesAndOutpatientVisits(const UploadPeriod &period)
{
    period.share(Reading::Deliveries);
    period.share(Reading::OutpatientVisits);
    period.clear(QStringLiteral("tbDOHRptDeliveriesAndOutpatientVisits"));
    period.run(
        QStringLiteral(
            "WITH dl AS (SELECT COALESCE(SUM((DeliveryType = 'NSD') * n), 0) AS Nsd,"
            " COALESCE(SUM((DeliveryType = 'OVD') * n), 0) AS Ovd, COALESCE(SUM((DeliveryType = 'CS') * n), 0) AS Cs,"
            " COALESCE(SUM(n), 0) AS Deliveries, COALESCE(SUM(LiveBirths), 0) AS LiveBirths,"
            " COALESCE(SUM(FetalDeaths), 0) AS FetalDeaths FROM temp.tbSharedDeliveries), "
            "op AS (SELECT COALESCE(SUM((IsNewPatient <> 0 AND Age > ?4) * n), 0) AS NewAdult,"
            " COALESCE(SUM((IsNewPatient <> 0 AND Age <= ?4) * n), 0) AS NewPedia,"
            " COALESCE(SUM((IsNewPatient = 0 AND Age > ?4) * n), 0) AS RevisitAdult,"
            " COALESCE(SUM((IsNewPatient = 0 AND Age <= ?4) * n), 0) AS RevisitPedia"
            " FROM temp.tbSharedOutpatientKinds) "
            "INSERT INTO Patient_Data.tbDOHRptDeliveriesAndOutpatientVisits (FromDate, ToDate, NormalDeliveries, "
            "OperativeVaginalDeliveries, CaesareanDeliveries, TotalDeliveries, LiveBirths, FetalDeaths, "
            "CaesareanRate, NewAdult, NewPedia, RevisitAdult, RevisitPedia, TotalNew, TotalRevisit, TotalAdult, "
            "TotalPedia, TotalOutpatientVisits) "
            "SELECT ?1, ?3, Nsd, Ovd, Cs, Deliveries, LiveBirths, FetalDeaths, %1, NewAdult, NewPedia,"
            " RevisitAdult, RevisitPedia, NewAdult + NewPedia, RevisitAdult + RevisitPedia,"
            " NewAdult + RevisitAdult, NewPedia + RevisitPedia, NewAdult + NewPedia + RevisitAdult + RevisitPedia"
            " FROM dl, op")
            .arg(rate(QStringLiteral("Cs"), QStringLiteral("Deliveries"), QStringLiteral("100"))));
}

void uploadERTestingAndOthers(const UploadPeriod &period)
{
    period.share(Reading::EmergencyVisits);
    period.clear(QStringLiteral("tbDOHRptERTestingAndOthers"));
    // Paediatric: at most PediaAge at the visit.
    const QString insert = QStringLiteral("INSERT INTO Patient_Data.tbDOHRptERTestingAndOthers (FromDate, ToDate, "
                                          "RowOrder, RowGroup, Code, Item, Adult, Pedia, Total) ");
    period.run(
        QStringLiteral("WITH items (RowOrder, Code, Item) AS (VALUES (1, NULL, 'Total emergency visits'),"
                       " (2, 'HOME', 'Sent home'), (3, 'ADMITTED', 'Admitted'), (4, 'TRANSFERRED', 'Transferred'),"
                       " (5, 'HAMA', 'Home against medical advice'), (6, 'DIED', 'Died in the emergency room'),"
                       " (7, 'DOA', 'Dead on arrival')), "
                       "g AS (SELECT Disposition, SUM(((Age <= ?4) = 0) * n) AS Adult, SUM((Age <= ?4) * n) AS Pedia,"
                       " SUM(n) AS Total FROM temp.tbSharedEmergencyDispositions GROUP BY Disposition) "
                       "%1SELECT ?1, ?3, i.RowOrder, 'VISITS', i.Code, i.Item, COALESCE(SUM(g.Adult), 0),"
                       " COALESCE(SUM(g.Pedia), 0), COALESCE(SUM(g.Total), 0)"
                       " FROM items i LEFT JOIN g ON i.Code IS NULL OR g.Disposition = i.Code GROUP BY i.RowOrder")
            .arg(insert));
    // Services by name, tests from row 1001 and other services from 2001.
    period.run(
        QStringLiteral(
            "WITH g AS (SELECT ServiceType, ServiceName, SUM(CASE WHEN IsPedia THEN 0 ELSE Quantity END) AS Adult,"
            " SUM(CASE WHEN IsPedia THEN Quantity ELSE 0 END) AS Pedia, SUM(Quantity) AS Total"
            " FROM temp.tbSharedEmergencyServices GROUP BY ServiceType, ServiceName) "
            "%1SELECT ?1, ?3, CASE ServiceType WHEN 'TEST' THEN 1000 ELSE 2000 END"
            " + ROW_NUMBER() OVER (PARTITION BY ServiceType ORDER BY ServiceName), ServiceType, NULL, ServiceName,"
            " Adult, Pedia, Total FROM g")
            .arg(insert));
    // The ten leading diagnoses seen, from row 3001.
    period.run(QStringLiteral(
                   "WITH g AS (SELECT DiagnosisCategory AS Code, SUM(((Age <= ?4) = 0) * n) AS Adult,"
                   " SUM((Age <= ?4) * n) AS Pedia, SUM(n) AS Total FROM temp.tbSharedEmergencyCauses"
                   " WHERE DiagnosisCategory <> '' GROUP BY DiagnosisCategory), "
                   "r AS (SELECT g.*, ROW_NUMBER() OVER (ORDER BY Total DESC, Code) AS Rank FROM g) "
                   "%1SELECT ?1, ?3, 3000 + r.Rank, 'DISEASE', r.Code, COALESCE(c.Title, r.Code), Adult, Pedia, Total"
                   " FROM r LEFT JOIN BUILD_FILE.tbCoICD10Category c ON c.CategoryCode = r.Code WHERE r.Rank <= 10")
                   .arg(insert));
}

void uploadSectionII8(const UploadPeriod &period)
{
    period.share(Reading::Operations);
    period.clear(QStringLiteral("tbDOHRptSectionII8"));
    period.run(QStringLiteral(
        "WITH items (RowOrder, OperationType, Major) AS (VALUES (1, 'Major', 1), (2, 'Minor', 0), (3, 'Total', NULL)) "
        "INSERT INTO Patient_Data.tbDOHRptSectionII8 (FromDate, ToDate, RowOrder, OperationType, PhilHealth, "
        "NonPhilHealth, Total) SELECT ?1, ?3, i.RowOrder, i.OperationType, COALESCE(SUM(o.PhilHealth * o.n), 0),"
        " COALESCE(SUM((o.PhilHealth = 0) * o.n), 0), COALESCE(SUM((o.Major IS NOT NULL) * o.n), 0)"
        " FROM items i LEFT JOIN temp.tbSharedOperations o ON i.Major IS NULL OR o.Major = i.Major"
        " GROUP BY i.RowOrder"));
}

void uploadSectionII91(const UploadPeriod &period)
{
    uploadTopOperations(period, QStringLiteral("tbDOHRptSectionII91"), true);
}

void uploadSectionII92(const UploadPeriod &period)
{
    uploadTopOperations(period, QStringLiteral("tbDOHRptSectionII92"), false);
}

void uploadHealthAssociatedInf(const UploadPeriod &period)
{
    period.share(Reading::Stays);
    period.share(Reading::Operations);
    period.clear(QStringLiteral("tbDOHRptHealthAssociatedInf"));
    // Device-associated rates per 1,000 device-days; surgical site infections
    // per 100 operations; the others and the overall rate per 100 discharges
    // (newborns included: they are inpatients too).
    period.run(QStringLiteral(
                   "WITH i AS (SELECT InfectionType, COUNT(*) AS n FROM Patient_Data.tbInfection"
                   " WHERE InfectionDate >= ?1 AND InfectionDate < ?2 GROUP BY InfectionType), "
                   "dd AS (SELECT Device, SUM(PatientCount) AS n FROM Patient_Data.tbDeviceDay"
                   " WHERE CensusDate >= ?1 AND CensusDate < ?2 GROUP BY Device), "
                   "ops AS (SELECT COALESCE(SUM(n), 0) AS n FROM temp.tbSharedOperations), "
                   "dis AS (SELECT COALESCE(SUM(n), 0) AS n FROM temp.tbSharedDischarges), "
                   "items (RowOrder, InfectionType, Description, Device, DenominatorName, RatePer) AS (VALUES"
                   " (1, 'VAP', 'Ventilator-associated pneumonia', 'VENTILATOR', 'ventilator days', 1000),"
                   " (2, 'CLABSI', 'Central line-associated bloodstream infection', 'CENTRAL_LINE',"
                   " 'central line days', 1000),"
                   " (3, 'CAUTI', 'Catheter-associated urinary tract infection', 'URINARY_CATHETER',"
                   " 'urinary catheter days', 1000),"
                   " (4, 'SSI', 'Surgical site infection', NULL, 'operations', 100),"
                   " (5, 'OTHER', 'Other health-associated infections', NULL, 'discharges', 100),"
                   " (6, 'ALL', 'All health-associated infections', NULL, 'discharges', 100)), "
                   "z AS (SELECT it.*,"
                   " CASE WHEN it.InfectionType = 'ALL' THEN (SELECT COALESCE(SUM(n), 0) FROM i)"
                   " ELSE COALESCE((SELECT n FROM i WHERE i.InfectionType = it.InfectionType), 0) END AS Infections,"
                   " CASE WHEN it.Device IS NOT NULL THEN COALESCE((SELECT n FROM dd WHERE dd.Device = it.Device), 0)"
                   " WHEN it.InfectionType = 'SSI' THEN (SELECT n FROM ops) ELSE (SELECT n FROM dis) END AS Denominator"
                   " FROM items it) "
                   "INSERT INTO Patient_Data.tbDOHRptHealthAssociatedInf (FromDate, ToDate, RowOrder, InfectionType, "
                   "Description, Infections, Denominator, DenominatorName, RatePer, Rate) "
                   "SELECT ?1, ?3, RowOrder, InfectionType, Description, Infections, Denominator, DenominatorName,"
                   " RatePer, %1 FROM z")
                   .arg(rate(QStringLiteral("Infections"), QStringLiteral("Denominator"), QStringLiteral("RatePer"))));
}

void uploadSurgicalProcedure(const UploadPeriod &period)
{
    const QString table = QStringLiteral("tbDOHRptSurgicalProcedure");
    period.share(Reading::Operations);
    period.clear(table);
    // An operation or a surgical site infection without a service counts
    // under the report setup's surgery service (the shared reading's Svc).
    period.run(
        QStringLiteral(
            "WITH g AS (SELECT Svc, SUM(Major * n) AS Major, SUM((NOT Major) * n) AS Minor, SUM(n) AS Total"
            " FROM temp.tbSharedOperations GROUP BY Svc), "
            "ssi AS (SELECT %2 AS Svc, COUNT(*) AS n FROM Patient_Data.tbInfection i"
            " LEFT JOIN Patient_Data.tbOperation op ON op.OperationID = i.OperationID"
            " WHERE i.InfectionType = 'SSI' AND i.InfectionDate >= ?1 AND i.InfectionDate < ?2 GROUP BY 1), "
            "codes AS (SELECT Svc FROM g UNION SELECT Svc FROM ssi), "
            "z AS (SELECT c.Svc, COALESCE(s.Service, c.Svc) AS Service, COALESCE(g.Major, 0) AS Major,"
            " COALESCE(g.Minor, 0) AS Minor, COALESCE(g.Total, 0) AS Total, COALESCE(ssi.n, 0) AS Ssi"
            " FROM codes c LEFT JOIN g ON g.Svc = c.Svc LEFT JOIN ssi ON ssi.Svc = c.Svc"
            " LEFT JOIN BUILD_FILE.tbCoService s ON s.ServiceCode = c.Svc) "
            "INSERT INTO Patient_Data.tbDOHRptSurgicalProcedure (FromDate, ToDate, RowOrder, RowType, ServiceCode, "
            "Service, Major, Minor, Total, SurgicalSiteInfections, SurgicalSiteInfectionRate) "
            "SELECT ?1, ?3, ROW_NUMBER() OVER (ORDER BY Svc), 'SERVICE', Svc, Service, Major, Minor, Total, Ssi, %1"
            " FROM z")
            .arg(rate(QStringLiteral("Ssi"), QStringLiteral("Total"), QStringLiteral("100")),
                 fragment::code(QStringLiteral("COALESCE(op.ServiceCode, ?6)"))));
    period.run(
        QStringLiteral(
            "WITH z AS (SELECT COALESCE(SUM(Major), 0) AS Major, COALESCE(SUM(Minor), 0) AS Minor,"
            " COALESCE(SUM(Total), 0) AS Total, COALESCE(SUM(SurgicalSiteInfections), 0) AS Ssi"
            " FROM Patient_Data.tbDOHRptSurgicalProcedure WHERE FromDate = ?1 AND ToDate = ?3) "
            "INSERT INTO Patient_Data.tbDOHRptSurgicalProcedure (FromDate, ToDate, RowOrder, RowType, ServiceCode, "
            "Service, Major, Minor, Total, SurgicalSiteInfections, SurgicalSiteInfectionRate) "
            "SELECT ?1, ?3, 900, 'TOTAL', NULL, 'Total', Major, Minor, Total, Ssi, %1 FROM z")
            .arg(rate(QStringLiteral("Ssi"), QStringLiteral("Total"), QStringLiteral("100"))));
}

} // namespace embedded::patient
