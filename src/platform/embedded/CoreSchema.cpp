#include "Schema.h"
#include "Store.h"

namespace embedded::schema {

namespace {

const char *const kCoreTables[] = {
    // The hospital's name and address, read at start-up.
    R"(CREATE TABLE IF NOT EXISTS Patient_Data.tbHospitalInfo (
        HospitalID INTEGER PRIMARY KEY,
        Company TEXT,
        Address1 TEXT,
        Address2 TEXT))",
    // Which of the older report items the hospital uses.
    R"(CREATE TABLE IF NOT EXISTS Patient_Data.tbDOHSetup (
        SetupID INTEGER PRIMARY KEY,
        IsAllowERCases BIT,
        IsAllowConsultationCauses BIT))",
    // The one report setup record.
    R"(CREATE TABLE IF NOT EXISTS Patient_Data.tbMedNewDOHReportSetup (
        SetupID INTEGER PRIMARY KEY CHECK (SetupID = 1),
        PediaAge INTEGER NOT NULL,
        NewbornCode TEXT NOT NULL,
        SurgeryCode TEXT NOT NULL,
        UpdatedDate DATETIME NOT NULL))",
    // Section I of the DOH report: the hospital's general information.
    R"(CREATE TABLE IF NOT EXISTS Patient_Data.tbDOHSectionI (
        SectionID INTEGER PRIMARY KEY CHECK (SectionID = 1),
        HealthFacilityName TEXT, CompleteAddress TEXT, Region TEXT, ContactNo TEXT, FaxNo TEXT,
        EmailAddress TEXT,
        IsBirthingHome BIT, IsInfirmary BIT, IsAcuteChronic BIT, IsCustodialPsychiatric BIT,
        IsFirstLevel BIT, IsSecondLevel BIT, IsThirdLevel BIT, IsSpecial BIT,
        SpecialSpecify TEXT, NatureOfOwnership INTEGER, OtherAgencySpecify TEXT,
        IsCertifiedISO BIT, CertifiedISOSpecify TEXT, IsPCAHO BIT, IsOtherCertifying BIT,
        OtherCertifyingSpecify TEXT, CertifiedISOValidity TEXT, PCAHOValidity TEXT,
        OtherCertifyingValidity TEXT,
        AuthorizedBed INTEGER, ActualBed INTEGER, AdditionalBed INTEGER,
        StreetAddress TEXT, Municipality TEXT, Province TEXT))",
    // The newer hospital items; the program only ever updates its one row.
    R"(CREATE TABLE IF NOT EXISTS PASSWORD.tbHospitalInfo2 (
        HospitalInfoID INTEGER PRIMARY KEY,
        Specialty INTEGER, TraumaCapability INTEGER, LocalParticular TEXT,
        OwnershipGovOthers TEXT, OwnershipPrivateOthers TEXT,
        QMISOCertified BIT, QMISOCertifiedValPeriod TEXT,
        QMIntlAccreditation BIT, QMIntlAccreditationValPeriod TEXT,
        QMPhicAccreditation BIT, QMPhicAccreditationValPeriod TEXT,
        QMPCAHO BIT, QMPCAHOValPeriod TEXT,
        PhilhealthAccreditationParticular TEXT))",
};

// The tables whose keys are codes, so that an earlier store is remade with
// them when its codes compared exactly.
const schema::Layout kReportLog = {
    // When each report ID was last generated for a date pair.
    QStringLiteral("Patient_Data"), QStringLiteral("tbMedNewDOHReportLog"),
    QStringLiteral("ReportID " VELMORA_CODE " NOT NULL, FromDate TEXT NOT NULL, ToDate TEXT NOT NULL, "
                   "LastUpdatedDate DATETIME NOT NULL, PRIMARY KEY (ReportID, FromDate, ToDate)")};
const schema::Layout kServiceTable = {
    // The hospital's services.
    QStringLiteral("BUILD_FILE"), QStringLiteral("tbCoService"),
    QStringLiteral("ServiceCode " VELMORA_CODE " PRIMARY KEY, Service TEXT")};

// The usual services of a general hospital; Newborn is 13 and Surgery 23,
// the report setup's first-time defaults.
const char *const kServices[][2] = {
    {"10", "Medicine"},        {"11", "Obstetrics"},    {"12", "Gynecology"},
    {"13", "Newborn"},         {"14", "Pediatrics"},    {"15", "Pedia - Newborn Pathologic"},
    {"20", "Family Medicine"}, {"21", "Ophthalmology"}, {"22", "ENT"},
    {"23", "Surgery"},         {"24", "Orthopedics"},   {"25", "Urology"},
    {"30", "Psychiatry"},      {"31", "Dental"},        {"40", "Intensive Care"},
};

} // namespace

void createCoreTables(const QSqlDatabase &db)
{
    for (const char *ddl : kCoreTables)
        sql::exec(db, QString::fromUtf8(ddl));
    for (const Layout *t : {&kReportLog, &kServiceTable})
        sql::exec(db, createStatement(*t));
    sql::exec(db, QStringLiteral("CREATE INDEX IF NOT EXISTS Patient_Data.ixReportLogPeriod "
                                 "ON tbMedNewDOHReportLog (FromDate, ToDate)"));

    // A new store holds the hospital's single info 2 row and the service list.
    QSqlQuery count = sql::exec(db, QStringLiteral("SELECT COUNT(*) FROM PASSWORD.tbHospitalInfo2"));
    if (count.next() && count.value(0).toLongLong() == 0)
        sql::exec(db, QStringLiteral("INSERT INTO PASSWORD.tbHospitalInfo2 (Specialty, TraumaCapability, "
                                     "QMISOCertified, QMIntlAccreditation, QMPhicAccreditation, QMPCAHO) "
                                     "VALUES (0, 0, 0, 0, 0, 0)"));
    QSqlQuery services = sql::exec(db, QStringLiteral("SELECT COUNT(*) FROM BUILD_FILE.tbCoService"));
    if (services.next() && services.value(0).toLongLong() == 0) {
        for (const auto &service : kServices)
            sql::exec(db, QStringLiteral("INSERT INTO BUILD_FILE.tbCoService (ServiceCode, Service) VALUES (?, ?)"),
                      {QString::fromUtf8(service[0]), QString::fromUtf8(service[1])});
    }
}

QList<Remake> olderCoreTables(const QSqlDatabase &db)
{
    QList<Remake> older;
    for (const Layout *t : {&kReportLog, &kServiceTable})
        if (hasOlderCodeColumns(db, *t))
            older.append({*t, {}, {}, {}});
    return older;
}

} // namespace embedded::schema
