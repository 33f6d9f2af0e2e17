#include "PatientSchema.h"

#include "../Schema.h"
#include "../Store.h"

#include <QSqlQuery>

#include <algorithm>

// The patient data the upload procedures summarise, the code tables they
// name codes from, and one report table per section. Date-times are stored
// as "yyyy-MM-dd HH:mm:ss" and dates as "yyyy-MM-dd", so that a period's
// rows are one index range and text order is time order.
namespace embedded::patient {

namespace {

const char *const kPatientTables[] = {
    R"(CREATE TABLE IF NOT EXISTS Patient_Data.tbPatient (
        PatientID INTEGER PRIMARY KEY,
        Sex TEXT NOT NULL CHECK (Sex IN ('M', 'F')),
        BirthDate TEXT NOT NULL))",
    // One mother's delivery: twins are one delivery with two births.
    R"(CREATE TABLE IF NOT EXISTS Patient_Data.tbDelivery (
        DeliveryID INTEGER PRIMARY KEY,
        AdmissionID INTEGER NOT NULL REFERENCES tbAdmission (AdmissionID),
        DeliveryDateTime TEXT NOT NULL,
        DeliveryType TEXT NOT NULL CHECK (DeliveryType IN ('NSD', 'OVD', 'CS')),
        LiveBirths INTEGER NOT NULL CHECK (LiveBirths >= 0),
        FetalDeaths INTEGER NOT NULL DEFAULT 0 CHECK (FetalDeaths >= 0)))",
    R"(CREATE TABLE IF NOT EXISTS Patient_Data.tbInfection (
        InfectionID INTEGER PRIMARY KEY,
        PatientID INTEGER NOT NULL REFERENCES tbPatient (PatientID),
        InfectionType TEXT NOT NULL CHECK (InfectionType IN ('VAP', 'CLABSI', 'CAUTI', 'SSI', 'OTHER')),
        InfectionDate TEXT NOT NULL,
        AdmissionID INTEGER REFERENCES tbAdmission (AdmissionID),
        OperationID INTEGER REFERENCES tbOperation (OperationID)))",
    // Patients with the device on each day: the device-days of the rates.
    R"(CREATE TABLE IF NOT EXISTS Patient_Data.tbDeviceDay (
        CensusDate TEXT NOT NULL,
        Device TEXT NOT NULL CHECK (Device IN ('VENTILATOR', 'CENTRAL_LINE', 'URINARY_CATHETER')),
        PatientCount INTEGER NOT NULL CHECK (PatientCount >= 0),
        PRIMARY KEY (CensusDate, Device)))",
    // Laboratory examinations done per day, section and patient kind.
    R"(CREATE TABLE IF NOT EXISTS Patient_Data.tbLabExamination (
        ExamDate TEXT NOT NULL,
        Section TEXT NOT NULL CHECK (Section IN ('HEMATOLOGY', 'CLINICAL_MICROSCOPY', 'CLINICAL_CHEMISTRY',
                                                 'MICROBIOLOGY', 'BLOOD_BANK', 'OTHERS')),
        IsInpatient BIT NOT NULL,
        ExamCount INTEGER NOT NULL CHECK (ExamCount >= 0),
        PRIMARY KEY (ExamDate, Section, IsInpatient)))",
};

// The tables holding codes (and the emergency services' names, which the
// uploads group by), laid out so that an earlier store's are remade with
// their codes compared the server's way.
const schema::Layout kCodedTables[] = {
    // Tests and other services given during an emergency visit.
    {QStringLiteral("Patient_Data"), QStringLiteral("tbEmergencyService"),
     QStringLiteral("EmergencyServiceID INTEGER PRIMARY KEY, EmergencyVisitID INTEGER NOT NULL REFERENCES "
                    "tbEmergencyVisit (EmergencyVisitID), ServiceType TEXT NOT NULL CHECK (ServiceType IN ('TEST', "
                    "'OTHER')), ServiceName " VELMORA_CODE " NOT NULL, Quantity INTEGER NOT NULL DEFAULT 1 "
                    "CHECK (Quantity >= 0)")},
    // An operation; ServiceCode null means the report setup's surgery service.
    {QStringLiteral("Patient_Data"), QStringLiteral("tbOperation"),
     QStringLiteral("OperationID INTEGER PRIMARY KEY, PatientID INTEGER NOT NULL REFERENCES tbPatient (PatientID), "
                    "AdmissionID INTEGER REFERENCES tbAdmission (AdmissionID), OperationDateTime TEXT NOT NULL, "
                    "ProcedureCode " VELMORA_CODE " NOT NULL, IsMajor BIT NOT NULL, PayerClass TEXT NOT NULL "
                    "CHECK (PayerClass IN ('NPP', 'NPS', 'PP', 'PS', 'HMO', 'OWWA')), ServiceCode " VELMORA_CODE)},
    {QStringLiteral("Patient_Data"), QStringLiteral("tbBedAllocation"),
     QStringLiteral("ServiceCode " VELMORA_CODE " PRIMARY KEY, AuthorizedBeds INTEGER NOT NULL CHECK "
                    "(AuthorizedBeds >= 0), ImplementingBeds INTEGER NOT NULL CHECK (ImplementingBeds >= 0)")},
    {QStringLiteral("BUILD_FILE"), QStringLiteral("tbCoICD10Category"),
     QStringLiteral("CategoryCode " VELMORA_CODE " PRIMARY KEY, Title TEXT NOT NULL")},
    {QStringLiteral("BUILD_FILE"), QStringLiteral("tbCoProcedure"),
     QStringLiteral("ProcedureCode " VELMORA_CODE " PRIMARY KEY, Title TEXT NOT NULL, IsMajor BIT NOT NULL")},
};

// The facts the uploads group by are kept on each visit and stay, in plain
// columns that triggers keep true (see patientFactTriggers): the patient's sex
// and birth date, the age at the event, the diagnosis category, the length of
// stay. Written once with the row and held in the covering indexes, they let
// a period's figures come from one index range, with no look-up of the
// patient and no date arithmetic per row. (Generated columns would keep them
// too, but an index holding one is never read as covering.)
//
// In the expressions, {r} stands for the row and {p} for its patient.
struct Fact
{
    const char *column;
    const char *type;
    QString expression;
};

// Whole years between the patient's birth date and an event.
QString ageAt(const char *eventColumn)
{
    return QStringLiteral("CAST(substr({r}%1, 1, 4) AS INTEGER) - CAST(substr({p}BirthDate, 1, 4) AS INTEGER) "
                          "- (substr({r}%1, 6, 5) < substr({p}BirthDate, 6, 5))")
        .arg(QLatin1String(eventColumn));
}

// The ICD-10 three-character category of a diagnosis code ("j18.9" -> "J18").
QString categoryOf(const QString &diagnosis)
{
    return QStringLiteral("upper(substr(replace(trim(%1), '.', ''), 1, 3))").arg(diagnosis);
}

QString daysBetween(const QString &from, const QString &to)
{
    return QStringLiteral("CAST(julianday(%2) - julianday(%1) AS INTEGER)").arg(from, to);
}

struct EventTable
{
    const char *name;
    const char *key;
    QString columns;     // the writers' columns and constraints
    QStringList sources; // the writers' columns the facts are worked out from
    QList<Fact> facts;
};

QList<EventTable> eventTables()
{
    const Fact sex = {"PatientSex", "TEXT", QStringLiteral("{p}Sex")};
    const Fact birth = {"PatientBirthDate", "TEXT", QStringLiteral("{p}BirthDate")};
    const QString admitted = QStringLiteral("substr({r}AdmissionDateTime, 1, 10)");
    const QString discharged = QStringLiteral("substr({r}DischargeDateTime, 1, 10)");
    return {
        // One hospital stay. Discharge date-time and condition are both null
        // while the patient is still in.
        {"tbAdmission",
         "AdmissionID",
         QStringLiteral(
             "AdmissionID INTEGER PRIMARY KEY, PatientID INTEGER NOT NULL REFERENCES tbPatient (PatientID), "
             "AdmissionDateTime TEXT NOT NULL, DischargeDateTime TEXT, ServiceCode " VELMORA_CODE " NOT NULL, "
             "PayerClass TEXT NOT NULL CHECK (PayerClass IN ('NPP', 'NPS', 'PP', 'PS', 'HMO', 'OWWA')), "
             "DischargeCondition TEXT CHECK (DischargeCondition IN ('R', 'T', 'H', 'A', 'U', 'D')), "
             "IsTransferIn BIT NOT NULL DEFAULT 0, FinalDiagnosis " VELMORA_CODE ", UnderlyingCause " VELMORA_CODE ", "
             "IsMaternalDeath BIT NOT NULL DEFAULT 0, "
             "CHECK (DischargeDateTime IS NULL OR DischargeDateTime >= AdmissionDateTime), "
             "CHECK ((DischargeDateTime IS NULL) = (DischargeCondition IS NULL))"),
         {QStringLiteral("PatientID"), QStringLiteral("AdmissionDateTime"), QStringLiteral("DischargeDateTime"),
          QStringLiteral("FinalDiagnosis"), QStringLiteral("UnderlyingCause")},
         {sex,
          birth,
          // Whole days between the two dates: bounds how far back a period's
          // stays can start.
          {"StayDays", "INTEGER", daysBetween(admitted, discharged)},
          // Length of stay: a same-day stay is one day.
          {"LengthOfStay", "INTEGER", QStringLiteral("MAX(1, %1)").arg(daysBetween(admitted, discharged))},
          {"Under48h", "INTEGER",
           QStringLiteral("(CAST(strftime('%s', {r}DischargeDateTime) AS INTEGER) "
                          "- CAST(strftime('%s', {r}AdmissionDateTime) AS INTEGER)) < 172800")},
          {"DischargeDate", "TEXT", discharged},
          {"AgeAtAdmission", "INTEGER", ageAt("AdmissionDateTime")},
          {"AgeAtDischarge", "INTEGER", ageAt("DischargeDateTime")},
          {"DaysOldAtDischarge", "INTEGER", daysBetween(QStringLiteral("{p}BirthDate"), discharged)},
          {"FinalCategory", VELMORA_CODE, categoryOf(QStringLiteral("{r}FinalDiagnosis"))},
          // A death's cause: the underlying cause, or the final diagnosis
          // when none was recorded.
          {"DeathCategory", VELMORA_CODE,
           categoryOf(QStringLiteral("COALESCE(NULLIF(trim({r}UnderlyingCause), ''), {r}FinalDiagnosis)"))}}},
        {"tbOutpatientVisit",
         "OutpatientVisitID",
         QStringLiteral("OutpatientVisitID INTEGER PRIMARY KEY, PatientID INTEGER NOT NULL REFERENCES tbPatient "
                        "(PatientID), VisitDate TEXT NOT NULL, IsNewPatient BIT NOT NULL, Diagnosis " VELMORA_CODE),
         {QStringLiteral("PatientID"), QStringLiteral("VisitDate"), QStringLiteral("Diagnosis")},
         {sex,
          birth,
          {"DiagnosisCategory", VELMORA_CODE, categoryOf(QStringLiteral("{r}Diagnosis"))},
          {"Age", "INTEGER", ageAt("VisitDate")}}},
        {"tbEmergencyVisit",
         "EmergencyVisitID",
         QStringLiteral("EmergencyVisitID INTEGER PRIMARY KEY, PatientID INTEGER NOT NULL REFERENCES tbPatient "
                        "(PatientID), VisitDateTime TEXT NOT NULL, Disposition TEXT NOT NULL "
                        "CHECK (Disposition IN ('HOME', 'ADMITTED', 'TRANSFERRED', 'HAMA', 'DIED', 'DOA')), "
                        "Diagnosis " VELMORA_CODE),
         {QStringLiteral("PatientID"), QStringLiteral("VisitDateTime"), QStringLiteral("Diagnosis")},
         {sex,
          birth,
          {"VisitDate", "TEXT", QStringLiteral("substr({r}VisitDateTime, 1, 10)")},
          {"DiagnosisCategory", VELMORA_CODE, categoryOf(QStringLiteral("{r}Diagnosis"))},
          {"Age", "INTEGER", ageAt("VisitDateTime")}}},
    };
}

QString factColumns(const EventTable &t)
{
    QStringList names;
    for (const Fact &f : t.facts)
        names.append(QLatin1String(f.column));
    return names.join(QStringLiteral(", "));
}

// A fact worked out for a row; row is "NEW." or "table.", the patient p.
QString factValue(const Fact &f, const QString &row)
{
    return QString(f.expression)
        .replace(QStringLiteral("{r}"), row)
        .replace(QStringLiteral("{p}"), QStringLiteral("p."));
}

QString factValues(const EventTable &t, const QString &row)
{
    QStringList values;
    for (const Fact &f : t.facts)
        values.append(factValue(f, row));
    return values.join(QStringLiteral(", "));
}

QString tableDefinition(const EventTable &t)
{
    QString columns = t.columns;
    const qsizetype checks = columns.indexOf(QStringLiteral(", CHECK ("));
    QStringList facts;
    for (const Fact &f : t.facts)
        facts.append(QStringLiteral("%1 %2").arg(QLatin1String(f.column), QLatin1String(f.type)));
    columns.insert(checks < 0 ? columns.size() : checks, QStringLiteral(", ") + facts.join(QStringLiteral(", ")));
    return columns;
}

// Writes a table's facts: for the rows of one patient, or every row. schema
// is empty inside a trigger (its own schema) and "Patient_Data." outside.
QString refreshFacts(const EventTable &t, const QString &schema, const QString &where)
{
    const QString table = QLatin1String(t.name);
    return QStringLiteral("UPDATE %5%1 SET (%2) = (SELECT %3 FROM %5tbPatient p WHERE p.PatientID = %1.PatientID)%4")
        .arg(table, factColumns(t), factValues(t, table + QLatin1Char('.')), where, schema);
}

// Indexes an earlier layout had and this one replaces.
const char *const kReplacedIndexes[] = {"ixOutpatientVisitCover", "ixEmergencyVisitCover", "ixEmergencyServiceVisit",
                                        "ixAdmissionDischargeCover"};

// An index on every date the uploads filter on. The covering indexes lead
// with a period's date, so that a period's rows are read from the index
// alone.
const char *const kIndexes[] = {
    "ixAdmissionDate ON tbAdmission (AdmissionDateTime)",
    "ixAdmissionDischarge ON tbAdmission (DischargeDateTime)",
    "ixAdmissionStay ON tbAdmission (StayDays)",
    "ixAdmissionPatient ON tbAdmission (PatientID)",
    "ixAdmissionOpen ON tbAdmission (AdmissionDateTime) WHERE DischargeDateTime IS NULL",
    // Every fact of a discharge the sections count, for the shared reading
    // of a period's stays.
    "ixAdmissionDischargeFacts ON tbAdmission (DischargeDateTime, AdmissionDateTime, ServiceCode, "
    "DischargeCondition, PayerClass, PatientID, IsMaternalDeath, LengthOfStay, Under48h, StayDays, IsTransferIn, "
    "FinalCategory, DeathCategory, PatientSex, AgeAtAdmission, AgeAtDischarge, DaysOldAtDischarge)",
    "ixAdmissionDateCover ON tbAdmission (AdmissionDateTime, DischargeDateTime, ServiceCode, DischargeCondition, "
    "IsTransferIn, PatientID)",
    "ixAdmissionDischargeCause ON tbAdmission (DischargeDate, FinalCategory, ServiceCode, PatientSex, AgeAtAdmission)",
    "ixAdmissionDeath ON tbAdmission (DischargeDate, DeathCategory, PatientSex, AgeAtDischarge, DaysOldAtDischarge, "
    "ServiceCode, IsMaternalDeath) WHERE DischargeCondition = 'D'",
    "ixDeliveryDate ON tbDelivery (DeliveryDateTime)",
    "ixDeliveryCover ON tbDelivery (DeliveryDateTime, DeliveryType, LiveBirths, FetalDeaths)",
    "ixOutpatientVisitDate ON tbOutpatientVisit (VisitDate)",
    "ixOutpatientVisitPatient ON tbOutpatientVisit (PatientID)",
    "ixOutpatientVisitCause ON tbOutpatientVisit (VisitDate, DiagnosisCategory, PatientSex, Age, IsNewPatient)",
    "ixEmergencyVisitDate ON tbEmergencyVisit (VisitDateTime)",
    "ixEmergencyVisitPatient ON tbEmergencyVisit (PatientID)",
    "ixEmergencyVisitCause ON tbEmergencyVisit (VisitDate, DiagnosisCategory, PatientSex, Age, Disposition)",
    "ixEmergencyServiceVisitCover ON tbEmergencyService (EmergencyVisitID, ServiceType, ServiceName, Quantity)",
    "ixOperationDate ON tbOperation (OperationDateTime)",
    "ixOperationCover ON tbOperation (OperationDateTime, IsMajor, PayerClass, ProcedureCode, ServiceCode)",
    "ixInfectionDate ON tbInfection (InfectionDate)",
    "ixDeviceDayCover ON tbDeviceDay (CensusDate, Device, PatientCount)",
    "ixLabExaminationCover ON tbLabExamination (ExamDate, Section, IsInpatient, ExamCount)",
};

// A row's facts are worked out again after an insert or an update of what
// they come from, and when its patient's sex or birth date is corrected. A
// row whose facts are already right costs no second write; wrong ones a
// writer supplies are replaced.
QStringList patientFactTriggers()
{
    QStringList triggers;
    QString followPatient;
    for (const EventTable &t : eventTables()) {
        const QString table = QLatin1String(t.name);
        QStringList same;
        for (const Fact &f : t.facts)
            same.append(
                QStringLiteral("NEW.%1 IS (%2)").arg(QLatin1String(f.column), factValue(f, QStringLiteral("NEW."))));
        const QString stale = QStringLiteral("WHEN NOT EXISTS (SELECT 1 FROM tbPatient p WHERE p.PatientID = "
                                             "NEW.PatientID AND %1)")
                                  .arg(same.join(QStringLiteral(" AND ")));
        const QString update =
            QStringLiteral("UPDATE %1 SET (%2) = (SELECT %3 FROM tbPatient p WHERE p.PatientID = "
                           "NEW.PatientID) WHERE %4 = NEW.%4;")
                .arg(table, factColumns(t), factValues(t, QStringLiteral("NEW.")), QLatin1String(t.key));
        QStringList watched = t.sources;
        for (const Fact &f : t.facts)
            watched.append(QLatin1String(f.column));
        triggers.append(QStringLiteral("CREATE TRIGGER IF NOT EXISTS Patient_Data.tr%1Insert AFTER INSERT ON %1 "
                                       "%2 BEGIN %3 END")
                            .arg(table, stale, update));
        triggers.append(QStringLiteral("CREATE TRIGGER IF NOT EXISTS Patient_Data.tr%1Facts AFTER UPDATE OF %2 ON %1 "
                                       "%3 BEGIN %4 END")
                            .arg(table, watched.join(QStringLiteral(", ")), stale, update));
        followPatient +=
            QLatin1Char(' ') + refreshFacts(t, QString(), QStringLiteral(" WHERE PatientID = NEW.PatientID;"));
    }
    triggers.append(QStringLiteral("CREATE TRIGGER IF NOT EXISTS Patient_Data.trPatientChanged AFTER UPDATE OF Sex, "
                                   "BirthDate ON tbPatient BEGIN%1 END")
                        .arg(followPatient));
    return triggers;
}

// The tables the uploads' shared readings are read from. Every change to
// their rows, by any connection, moves the store's change counter, so that a
// reading made before it is never used after it.
const char *const kCountedTables[] = {"tbAdmission",       "tbDelivery",       "tbOperation",
                                      "tbOutpatientVisit", "tbEmergencyVisit", "tbEmergencyService"};

void createChangeCounter(const QSqlDatabase &db)
{
    sql::exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS Patient_Data.tbPatientDataVersion (Version INTEGER NOT "
                                 "NULL)"));
    sql::exec(db, QStringLiteral("INSERT INTO Patient_Data.tbPatientDataVersion (Version) SELECT 0 WHERE NOT EXISTS "
                                 "(SELECT 1 FROM Patient_Data.tbPatientDataVersion)"));
    for (const char *table : kCountedTables)
        for (const char *change : {"Insert", "Update", "Delete"})
            sql::exec(db, QStringLiteral("CREATE TRIGGER IF NOT EXISTS Patient_Data.trCount%1%2 AFTER %3 ON %4 BEGIN "
                                         "UPDATE tbPatientDataVersion SET Version = Version + 1; END")
                              .arg(QLatin1String(table + 2), QLatin1String(change),
                                   QString::fromLatin1(change).toUpper(), QLatin1String(table)));
}

schema::Layout layoutOf(const EventTable &t)
{
    return {QStringLiteral("Patient_Data"), QLatin1String(t.name), tableDefinition(t)};
}

// True when a table exists but lacks a fact column, has one the database
// generates, or declares a code column otherwise (an earlier layout).
bool isOlderLayout(const QSqlDatabase &db, const EventTable &t)
{
    const QList<schema::Column> have = schema::columnsOf(db, QStringLiteral("Patient_Data"), QLatin1String(t.name));
    if (have.isEmpty())
        return false;
    for (const Fact &f : t.facts) {
        const auto found = std::find_if(have.begin(), have.end(),
                                        [&](const schema::Column &c) { return c.name == QLatin1String(f.column); });
        if (found == have.end() || found->generated)
            return true;
    }
    return schema::hasOlderCodeColumns(db, layoutOf(t));
}

// The ten leading causes share one shape.
#define VELMORA_TOP_TEN(name)                                                                                          \
    "CREATE TABLE IF NOT EXISTS Patient_Data." name " ("                                                               \
    "FromDate TEXT NOT NULL, ToDate TEXT NOT NULL, RowOrder INTEGER NOT NULL, ICDCode TEXT NOT NULL, "                 \
    "Title TEXT NOT NULL, Male INTEGER NOT NULL, Female INTEGER NOT NULL, AgeUnder1 INTEGER NOT NULL, "                \
    "Age1To4 INTEGER NOT NULL, Age5To9 INTEGER NOT NULL, Age10To14 INTEGER NOT NULL, Age15To19 INTEGER NOT NULL, "     \
    "Age20To44 INTEGER NOT NULL, Age45To64 INTEGER NOT NULL, Age65AndOver INTEGER NOT NULL, "                          \
    "Total INTEGER NOT NULL, PRIMARY KEY (FromDate, ToDate, RowOrder))"

#define VELMORA_TOP_OPERATIONS(name)                                                                                   \
    "CREATE TABLE IF NOT EXISTS Patient_Data." name " ("                                                               \
    "FromDate TEXT NOT NULL, ToDate TEXT NOT NULL, RowOrder INTEGER NOT NULL, ProcedureCode TEXT NOT NULL, "           \
    "Title TEXT NOT NULL, Operations INTEGER NOT NULL, PRIMARY KEY (FromDate, ToDate, RowOrder))"

// Service rows of the discharges and ALOS sections: RowType SERVICE, then
// TOTAL (all but newborns), then NEWBORN.
#define VELMORA_BY_SERVICE_KEY                                                                                         \
    "FromDate TEXT NOT NULL, ToDate TEXT NOT NULL, RowOrder INTEGER NOT NULL, "                                        \
    "RowType TEXT NOT NULL CHECK (RowType IN ('SERVICE', 'TOTAL', 'NEWBORN')), ServiceCode TEXT, Service TEXT NOT "    \
    "NULL, "

const char *const kReportTables[] = {
    "CREATE TABLE IF NOT EXISTS Patient_Data.tbDOHRptSectionI34 (" VELMORA_BY_SERVICE_KEY
    "AuthorizedBeds INTEGER NOT NULL, ImplementingBeds INTEGER NOT NULL, DaysInPeriod INTEGER NOT NULL, "
    "ServiceDays INTEGER NOT NULL, BOR REAL, BORImplementing REAL, PRIMARY KEY (FromDate, ToDate, RowOrder))",
    "CREATE TABLE IF NOT EXISTS Patient_Data.tbDOHRptSectionI9 (FromDate TEXT NOT NULL, ToDate TEXT NOT NULL, "
    "RowOrder INTEGER NOT NULL, Section TEXT NOT NULL, Inpatient INTEGER NOT NULL, Outpatient INTEGER NOT NULL, "
    "Total INTEGER NOT NULL, PRIMARY KEY (FromDate, ToDate, RowOrder))",
    "CREATE TABLE IF NOT EXISTS Patient_Data.tbDOHRptSectionII1 (FromDate TEXT NOT NULL, ToDate TEXT NOT NULL, "
    "InpatientsAtStart INTEGER NOT NULL, Admissions INTEGER NOT NULL, TransfersIn INTEGER NOT NULL, "
    "DischargesAlive INTEGER NOT NULL, Deaths INTEGER NOT NULL, InpatientsAtEnd INTEGER NOT NULL, "
    "AdmittedDischargedSameDay INTEGER NOT NULL, NewbornsBornHere INTEGER NOT NULL, ServiceDays INTEGER NOT NULL, "
    "DaysInPeriod INTEGER NOT NULL, AuthorizedBeds INTEGER NOT NULL, ImplementingBeds INTEGER NOT NULL, BOR REAL, "
    "BORImplementing REAL, Discharges INTEGER NOT NULL, TotalLengthOfStay INTEGER NOT NULL, ALOS REAL, "
    "PRIMARY KEY (FromDate, ToDate))",
    "CREATE TABLE IF NOT EXISTS Patient_Data.tbDOHRptSectionII21 (" VELMORA_BY_SERVICE_KEY
    "Patients INTEGER NOT NULL, TotalLengthOfStay INTEGER NOT NULL, NonPhilHealthPay INTEGER NOT NULL, "
    "NonPhilHealthService INTEGER NOT NULL, PhilHealthPay INTEGER NOT NULL, PhilHealthService INTEGER NOT NULL, "
    "HMO INTEGER NOT NULL, OWWA INTEGER NOT NULL, RecoveredImproved INTEGER NOT NULL, Transferred INTEGER NOT NULL, "
    "HomeAgainstAdvice INTEGER NOT NULL, Absconded INTEGER NOT NULL, Unimproved INTEGER NOT NULL, "
    "DeathsUnder48h INTEGER NOT NULL, Deaths48hOrMore INTEGER NOT NULL, TotalDeaths INTEGER NOT NULL, "
    "TotalDischarges INTEGER NOT NULL, PRIMARY KEY (FromDate, ToDate, RowOrder))",
    "CREATE TABLE IF NOT EXISTS Patient_Data.tbDOHRptSectionII22 (" VELMORA_BY_SERVICE_KEY
    "Discharges INTEGER NOT NULL, TotalLengthOfStay INTEGER NOT NULL, ALOS REAL, "
    "PRIMARY KEY (FromDate, ToDate, RowOrder))",
    VELMORA_TOP_TEN("tbDOHRptSectionII3"),
    "CREATE TABLE IF NOT EXISTS Patient_Data.tbDOHRptDeliveriesAndOutpatientVisits (FromDate TEXT NOT NULL, "
    "ToDate TEXT NOT NULL, NormalDeliveries INTEGER NOT NULL, OperativeVaginalDeliveries INTEGER NOT NULL, "
    "CaesareanDeliveries INTEGER NOT NULL, TotalDeliveries INTEGER NOT NULL, LiveBirths INTEGER NOT NULL, "
    "FetalDeaths INTEGER NOT NULL, CaesareanRate REAL, NewAdult INTEGER NOT NULL, NewPedia INTEGER NOT NULL, "
    "RevisitAdult INTEGER NOT NULL, RevisitPedia INTEGER NOT NULL, TotalNew INTEGER NOT NULL, "
    "TotalRevisit INTEGER NOT NULL, TotalAdult INTEGER NOT NULL, TotalPedia INTEGER NOT NULL, "
    "TotalOutpatientVisits INTEGER NOT NULL, PRIMARY KEY (FromDate, ToDate))",
    // Four groups of rows: VISITS (total, then each disposition), TEST and
    // OTHER (services by name), DISEASE (the ten leading diagnoses).
    "CREATE TABLE IF NOT EXISTS Patient_Data.tbDOHRptERTestingAndOthers (FromDate TEXT NOT NULL, "
    "ToDate TEXT NOT NULL, RowOrder INTEGER NOT NULL, RowGroup TEXT NOT NULL CHECK (RowGroup IN ('VISITS', 'TEST', "
    "'OTHER', 'DISEASE')), Code TEXT, Item TEXT NOT NULL, Adult INTEGER NOT NULL, Pedia INTEGER NOT NULL, "
    "Total INTEGER NOT NULL, PRIMARY KEY (FromDate, ToDate, RowOrder))",
    "CREATE TABLE IF NOT EXISTS Patient_Data.tbDOHRptSectionIII (FromDate TEXT NOT NULL, ToDate TEXT NOT NULL, "
    "InpatientDeaths INTEGER NOT NULL, DeathsUnder48h INTEGER NOT NULL, Deaths48hOrMore INTEGER NOT NULL, "
    "EmergencyRoomDeaths INTEGER NOT NULL, DeadOnArrival INTEGER NOT NULL, FetalDeaths INTEGER NOT NULL, "
    "NeonatalDeaths INTEGER NOT NULL, MaternalDeaths INTEGER NOT NULL, NewbornDeaths INTEGER NOT NULL, "
    "Discharges INTEGER NOT NULL, ObstetricDischarges INTEGER NOT NULL, NewbornDischarges INTEGER NOT NULL, "
    "GrossDeathRate REAL, NetDeathRate REAL, MaternalDeathRate REAL, NewbornDeathRate REAL, "
    "PRIMARY KEY (FromDate, ToDate))",
    VELMORA_TOP_TEN("tbDOHRptSectionII7"),
    // Rows MAJOR, MINOR, TOTAL.
    "CREATE TABLE IF NOT EXISTS Patient_Data.tbDOHRptSectionII8 (FromDate TEXT NOT NULL, ToDate TEXT NOT NULL, "
    "RowOrder INTEGER NOT NULL, OperationType TEXT NOT NULL, PhilHealth INTEGER NOT NULL, "
    "NonPhilHealth INTEGER NOT NULL, Total INTEGER NOT NULL, PRIMARY KEY (FromDate, ToDate, RowOrder))",
    VELMORA_TOP_OPERATIONS("tbDOHRptSectionII91"),
    VELMORA_TOP_OPERATIONS("tbDOHRptSectionII92"),
    "CREATE TABLE IF NOT EXISTS Patient_Data.tbDOHRptHealthAssociatedInf (FromDate TEXT NOT NULL, "
    "ToDate TEXT NOT NULL, RowOrder INTEGER NOT NULL, InfectionType TEXT NOT NULL, Description TEXT NOT NULL, "
    "Infections INTEGER NOT NULL, Denominator INTEGER NOT NULL, DenominatorName TEXT NOT NULL, "
    "RatePer INTEGER NOT NULL, Rate REAL, PRIMARY KEY (FromDate, ToDate, RowOrder))",
    "CREATE TABLE IF NOT EXISTS Patient_Data.tbDOHRptSurgicalProcedure (FromDate TEXT NOT NULL, "
    "ToDate TEXT NOT NULL, RowOrder INTEGER NOT NULL, RowType TEXT NOT NULL CHECK (RowType IN ('SERVICE', 'TOTAL')), "
    "ServiceCode TEXT, Service TEXT NOT NULL, Major INTEGER NOT NULL, Minor INTEGER NOT NULL, Total INTEGER NOT NULL, "
    "SurgicalSiteInfections INTEGER NOT NULL, SurgicalSiteInfectionRate REAL, "
    "PRIMARY KEY (FromDate, ToDate, RowOrder))",
    VELMORA_TOP_TEN("tbDOHRptSectionIII114"),
    VELMORA_TOP_TEN("tbDOHRptSectionII103"),
};

#undef VELMORA_TOP_TEN
#undef VELMORA_TOP_OPERATIONS
#undef VELMORA_BY_SERVICE_KEY

// The common causes of admission, death and consultation in the country,
// by ICD-10 three-character category.
const char *const kCategories[][2] = {
    {"A01", "Typhoid and paratyphoid fevers"},
    {"A09", "Other gastroenteritis and colitis of infectious and unspecified origin"},
    {"A15", "Respiratory tuberculosis, bacteriologically and histologically confirmed"},
    {"A16", "Respiratory tuberculosis, not confirmed bacteriologically or histologically"},
    {"A27", "Leptospirosis"},
    {"A41", "Other sepsis"},
    {"A90", "Dengue fever [classical dengue]"},
    {"A91", "Dengue haemorrhagic fever"},
    {"B05", "Measles"},
    {"B34", "Viral infection of unspecified site"},
    {"C34", "Malignant neoplasm of bronchus and lung"},
    {"C50", "Malignant neoplasm of breast"},
    {"D25", "Leiomyoma of uterus"},
    {"E11", "Type 2 diabetes mellitus"},
    {"E86", "Volume depletion"},
    {"F20", "Schizophrenia"},
    {"H25", "Senile cataract"},
    {"I10", "Essential (primary) hypertension"},
    {"I21", "Acute myocardial infarction"},
    {"I50", "Heart failure"},
    {"I61", "Intracerebral haemorrhage"},
    {"I63", "Cerebral infarction"},
    {"J06", "Acute upper respiratory infections of multiple and unspecified sites"},
    {"J18", "Pneumonia, organism unspecified"},
    {"J20", "Acute bronchitis"},
    {"J35", "Chronic diseases of tonsils and adenoids"},
    {"J44", "Other chronic obstructive pulmonary disease"},
    {"J45", "Asthma"},
    {"K29", "Gastritis and duodenitis"},
    {"K35", "Acute appendicitis"},
    {"K40", "Inguinal hernia"},
    {"K80", "Cholelithiasis"},
    {"K92", "Other diseases of digestive system"},
    {"L03", "Cellulitis"},
    {"N18", "Chronic kidney disease"},
    {"N39", "Other disorders of urinary system"},
    {"N40", "Hyperplasia of prostate"},
    {"O03", "Spontaneous abortion"},
    {"O14", "Gestational [pregnancy-induced] hypertension with significant proteinuria"},
    {"O72", "Postpartum haemorrhage"},
    {"O80", "Single spontaneous delivery"},
    {"O81", "Single delivery by forceps and vacuum extractor"},
    {"O82", "Single delivery by caesarean section"},
    {"O84", "Multiple delivery"},
    {"P07", "Disorders related to short gestation and low birth weight, not elsewhere classified"},
    {"P21", "Birth asphyxia"},
    {"P22", "Respiratory distress of newborn"},
    {"P36", "Bacterial sepsis of newborn"},
    {"P59", "Neonatal jaundice from other and unspecified causes"},
    {"R10", "Abdominal and pelvic pain"},
    {"R50", "Fever of other and unknown origin"},
    {"S01", "Open wound of head"},
    {"S06", "Intracranial injury"},
    {"S52", "Fracture of forearm"},
    {"S61", "Open wound of wrist and hand"},
    {"S72", "Fracture of femur"},
    {"T14", "Injury of unspecified body region"},
    {"W54", "Bitten or struck by dog"},
    {"Z00", "General examination and investigation of persons without complaint and reported diagnosis"},
    {"Z34", "Supervision of normal pregnancy"},
    {"Z38", "Liveborn infants according to place of birth"},
};

// Procedures the demo hospital performs, with ICD-9-CM procedure codes.
struct ProcedureCode
{
    const char *code;
    const char *title;
    bool major;
};
const ProcedureCode kProcedures[] = {
    {"74.1", "Low cervical caesarean section", true},
    {"47.09", "Appendectomy", true},
    {"51.23", "Laparoscopic cholecystectomy", true},
    {"51.22", "Open cholecystectomy", true},
    {"53.00", "Unilateral repair of inguinal hernia", true},
    {"68.49", "Total abdominal hysterectomy", true},
    {"66.39", "Bilateral tubal ligation", true},
    {"65.29", "Ovarian cystectomy", true},
    {"79.35", "Open reduction of femur fracture with internal fixation", true},
    {"79.32", "Open reduction of forearm fracture with internal fixation", true},
    {"81.54", "Total knee replacement", true},
    {"60.29", "Transurethral prostatectomy", true},
    {"28.3", "Tonsillectomy with adenoidectomy", true},
    {"13.41", "Phacoemulsification of cataract", true},
    {"85.41", "Unilateral simple mastectomy", true},
    {"45.73", "Right hemicolectomy", true},
    {"86.59", "Suture of skin and subcutaneous tissue", false},
    {"86.04", "Incision and drainage of skin", false},
    {"86.22", "Excisional debridement of wound", false},
    {"69.09", "Dilation and curettage of uterus", false},
    {"69.52", "Aspiration curettage following delivery or abortion", false},
    {"73.6", "Episiotomy", false},
    {"64.0", "Circumcision", false},
    {"86.3", "Local excision of lesion of skin", false},
    {"79.01", "Closed reduction of humerus fracture", false},
    {"21.01", "Control of epistaxis by anterior packing", false},
    {"98.11", "Removal of foreign body from ear", false},
    {"57.94", "Insertion of indwelling urinary catheter", false},
};

} // namespace

void createTables(const QSqlDatabase &db)
{
    for (const char *ddl : kPatientTables)
        sql::exec(db, QString::fromUtf8(ddl));
    for (const schema::Layout &t : kCodedTables)
        sql::exec(db, schema::createStatement(t));
    for (const EventTable &t : eventTables())
        sql::exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS Patient_Data.%1 (%2)")
                          .arg(QLatin1String(t.name), tableDefinition(t)));
    for (const char *name : kReplacedIndexes)
        sql::exec(db, QStringLiteral("DROP INDEX IF EXISTS Patient_Data.%1").arg(QLatin1String(name)));
    for (const QString &trigger : patientFactTriggers())
        sql::exec(db, trigger);
    createChangeCounter(db);
    for (const char *index : kIndexes)
        sql::exec(db, QStringLiteral("CREATE INDEX IF NOT EXISTS Patient_Data.") + QLatin1String(index));
    for (const char *ddl : kReportTables)
        sql::exec(db, QString::fromUtf8(ddl));

    // Every seeded category and procedure the store lacks is added: a store
    // of an earlier version gets the codes seeded since. A code the store
    // already holds keeps its own title.
    QSqlQuery category = sql::prepare(db, QStringLiteral("INSERT INTO BUILD_FILE.tbCoICD10Category (CategoryCode, "
                                                         "Title) VALUES (?, ?) ON CONFLICT DO NOTHING"));
    for (const auto &c : kCategories) {
        category.bindValue(0, QString::fromUtf8(c[0]));
        category.bindValue(1, QString::fromUtf8(c[1]));
        sql::exec(category);
    }
    QSqlQuery procedure = sql::prepare(db, QStringLiteral("INSERT INTO BUILD_FILE.tbCoProcedure (ProcedureCode, "
                                                          "Title, IsMajor) VALUES (?, ?, ?) ON CONFLICT DO NOTHING"));
    for (const ProcedureCode &p : kProcedures) {
        procedure.bindValue(0, QString::fromUtf8(p.code));
        procedure.bindValue(1, QString::fromUtf8(p.title));
        procedure.bindValue(2, p.major ? 1 : 0);
        sql::exec(procedure);
    }
}

QList<schema::Remake> olderTables(const QSqlDatabase &db)
{
    QList<schema::Remake> older;
    for (const schema::Layout &t : kCodedTables)
        if (schema::hasOlderCodeColumns(db, t))
            older.append({t, {}, {}, {}});
    // An event table's facts are worked out again from its rows; the
    // patient's trigger names the table, and createTables makes it again.
    for (const EventTable &t : eventTables()) {
        if (!isOlderLayout(db, t))
            continue;
        QStringList facts;
        for (const Fact &f : t.facts)
            facts.append(QLatin1String(f.column));
        older.append({layoutOf(t),
                      facts,
                      refreshFacts(t, QStringLiteral("Patient_Data."), QString()),
                      {QStringLiteral("DROP TRIGGER IF EXISTS Patient_Data.trPatientChanged")}});
    }
    return older;
}

} // namespace embedded::patient
