// The reading procedures of Check and the record of when patient records
// last changed.
#include "Procedures.h"
#include "RecordChanges.h"

#include <QRegularExpression>
#include <QSqlQuery>

namespace embedded {

namespace schema {

namespace {

// Each table a section counts, with the span of event dates one of its rows
// touches (OLD. or NEW. in place of "$.").
struct Watched
{
    const char *table;
    const char *first;
    const char *last;
};

const Watched kWatched[] = {
    {"tbAdmission",
     "min(substr($.AdmissionDateTime, 1, 10), COALESCE(substr($.DischargeDateTime, 1, 10), '9999-12-31'))",
     "max(substr($.AdmissionDateTime, 1, 10), COALESCE(substr($.DischargeDateTime, 1, 10), '9999-12-31'))"},
    {"tbDelivery", "substr($.DeliveryDateTime, 1, 10)", "substr($.DeliveryDateTime, 1, 10)"},
    {"tbOutpatientVisit", "$.VisitDate", "$.VisitDate"},
    {"tbEmergencyVisit", "substr($.VisitDateTime, 1, 10)", "substr($.VisitDateTime, 1, 10)"},
    {"tbEmergencyService",
     "COALESCE((SELECT substr(VisitDateTime, 1, 10) FROM tbEmergencyVisit WHERE EmergencyVisitID = "
     "$.EmergencyVisitID), '0001-01-01')",
     "COALESCE((SELECT substr(VisitDateTime, 1, 10) FROM tbEmergencyVisit WHERE EmergencyVisitID = "
     "$.EmergencyVisitID), '9999-12-31')"},
    {"tbOperation", "substr($.OperationDateTime, 1, 10)", "substr($.OperationDateTime, 1, 10)"},
    {"tbInfection", "$.InfectionDate", "$.InfectionDate"},
    {"tbDeviceDay", "$.CensusDate", "$.CensusDate"},
    {"tbLabExamination", "$.ExamDate", "$.ExamDate"},
    // The beds count in every period.
    {"tbBedAllocation", "'0001-01-01'", "'9999-12-31'"},
};

const char *const kOperations[] = {"Insert", "Update", "Delete"};

QString upsert(const Watched &w, const QString &row)
{
    return QStringLiteral("INSERT INTO tbVelmoraRecordChange (FirstDate, LastDate, ChangedAt) VALUES (%1, %2, "
                          "strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime')) ON CONFLICT (FirstDate, LastDate) "
                          "DO UPDATE SET ChangedAt = excluded.ChangedAt;")
        .arg(QString::fromLatin1(w.first).replace(QStringLiteral("$."), row),
             QString::fromLatin1(w.last).replace(QStringLiteral("$."), row));
}

} // namespace

void createRecordChanges(const QSqlDatabase &db)
{
    sql::exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS Patient_Data.tbVelmoraRecordChange (FirstDate TEXT NOT "
                                 "NULL, LastDate TEXT NOT NULL, ChangedAt TEXT NOT NULL, PRIMARY KEY (FirstDate, "
                                 "LastDate)) WITHOUT ROWID"));
    for (const Watched &w : kWatched) {
        const QString table = QString::fromLatin1(w.table);
        const QString name = QStringLiteral("Patient_Data.trVelmoraChange%1").arg(table.mid(2));
        sql::exec(db, QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1Insert AFTER INSERT ON %2 BEGIN %3 END")
                          .arg(name, table, upsert(w, QStringLiteral("NEW."))));
        sql::exec(db, QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1Update AFTER UPDATE ON %2 BEGIN %3 %4 END")
                          .arg(name, table, upsert(w, QStringLiteral("OLD.")), upsert(w, QStringLiteral("NEW."))));
        sql::exec(db, QStringLiteral("CREATE TRIGGER IF NOT EXISTS %1Delete AFTER DELETE ON %2 BEGIN %3 END")
                          .arg(name, table, upsert(w, QStringLiteral("OLD."))));
    }
}

void dropRecordChangeTriggers(const QSqlDatabase &db)
{
    for (const Watched &w : kWatched)
        for (const char *operation : kOperations)
            sql::exec(db, QStringLiteral("DROP TRIGGER IF EXISTS Patient_Data.trVelmoraChange%1%2")
                              .arg(QString::fromLatin1(w.table).mid(2), QString::fromLatin1(operation)));
}

void recordChange(const QSqlDatabase &db, const QString &first, const QString &last)
{
    sql::exec(db,
              QStringLiteral("INSERT INTO Patient_Data.tbVelmoraRecordChange (FirstDate, LastDate, ChangedAt) VALUES "
                             "(?, ?, strftime('%Y-%m-%d %H:%M:%f', 'now', 'localtime')) ON CONFLICT (FirstDate, "
                             "LastDate) DO UPDATE SET ChangedAt = excluded.ChangedAt"),
              {first, last});
}

} // namespace schema

namespace {

using adodb::ResultSet;

// The first date and the day after the last, as the records' texts compare.
std::pair<QString, QString> Span(const Arguments &args)
{
    const QDate first = args.date(0);
    const QDate last = args.date(1);
    if (last < first)
        throw adodb::BackendError(
            QStringLiteral("The last date of the period (%1) is before its first date (%2).")
                .arg(last.toString(QStringLiteral("MM/dd/yyyy")), first.toString(QStringLiteral("MM/dd/yyyy"))),
            50000);
    return {first.toString(Qt::ISODate), last.addDays(1).toString(Qt::ISODate)};
}

// The admissions, visits and operations of the period with what the edits
// need: stays admitted, discharged or still in during the period (each
// once), visits and operations by their date. With code ranges given
// (?3: a JSON list of "A00-B99"), only the records an edit may find
// anything on: a code in a range, a code or service missing from its table,
// no diagnosis or cause where one is due, a birth after the event, a stay
// open at the period's end or ending before it began.
const char kRecords[] = R"(
WITH span AS (SELECT COALESCE(MAX(StayDays), 0) AS days FROM Patient_Data.tbAdmission),
r AS (SELECT substr(value, 1, 3) AS f, substr(value, 5, 3) AS l FROM json_each(?3)),
stays AS (
  SELECT * FROM Patient_Data.tbAdmission WHERE AdmissionDateTime >= ?1 AND AdmissionDateTime < ?2
  UNION ALL
  SELECT * FROM Patient_Data.tbAdmission WHERE DischargeDateTime >= ?1 AND DischargeDateTime < ?2
    AND NOT (AdmissionDateTime >= ?1 AND AdmissionDateTime < ?2)
  UNION ALL
  SELECT * FROM Patient_Data.tbAdmission WHERE DischargeDateTime IS NULL AND AdmissionDateTime < ?1
  UNION ALL
  SELECT * FROM Patient_Data.tbAdmission WHERE AdmissionDateTime < ?1 AND DischargeDateTime >= ?2
    AND AdmissionDateTime >= date(?1, '-' || (SELECT days FROM span) || ' days'))
SELECT 'A' AS Kind, a.AdmissionID AS RecordID, a.PatientID, a.AdmissionDateTime AS StartTime,
  a.DischargeDateTime AS EndTime, a.PatientSex AS Sex, a.PatientBirthDate AS BirthDate, a.ServiceCode,
  s.ServiceCode IS NOT NULL AS ServiceKnown, a.FinalDiagnosis AS Code,
  a.FinalDiagnosis IS NULL OR c.CategoryCode IS NOT NULL AS CodeKnown, a.UnderlyingCause AS Cause,
  a.UnderlyingCause IS NULL OR u.CategoryCode IS NOT NULL AS CauseKnown, a.DischargeCondition AS Condition
FROM stays a
LEFT JOIN BUILD_FILE.tbCoService s ON s.ServiceCode = a.ServiceCode
LEFT JOIN BUILD_FILE.tbCoICD10Category c ON c.CategoryCode = a.FinalCategory
LEFT JOIN BUILD_FILE.tbCoICD10Category u
  ON u.CategoryCode = substr(replace(upper(trim(a.UnderlyingCause)), '.', ''), 1, 3)
WHERE ?3 IS NULL OR s.ServiceCode IS NULL OR c.CategoryCode IS NULL
  OR (a.UnderlyingCause IS NOT NULL AND u.CategoryCode IS NULL)
  OR (a.DischargeCondition = 'D' AND a.UnderlyingCause IS NULL)
  OR a.DischargeDateTime IS NULL OR a.DischargeDateTime >= ?2 OR a.DischargeDateTime < a.AdmissionDateTime
  OR a.PatientBirthDate > a.AdmissionDateTime
  OR EXISTS (SELECT 1 FROM r WHERE a.FinalCategory BETWEEN r.f AND r.l OR u.CategoryCode BETWEEN r.f AND r.l)
UNION ALL
SELECT 'O', v.OutpatientVisitID, v.PatientID, v.VisitDate, NULL, v.PatientSex, v.PatientBirthDate, NULL, 1,
  v.Diagnosis, v.Diagnosis IS NULL OR c.CategoryCode IS NOT NULL, NULL, 1, NULL
FROM Patient_Data.tbOutpatientVisit v
LEFT JOIN BUILD_FILE.tbCoICD10Category c ON c.CategoryCode = v.DiagnosisCategory
WHERE v.VisitDate >= ?1 AND v.VisitDate < ?2
  AND (?3 IS NULL OR (v.Diagnosis IS NOT NULL AND c.CategoryCode IS NULL) OR v.PatientBirthDate > v.VisitDate
    OR EXISTS (SELECT 1 FROM r WHERE v.DiagnosisCategory BETWEEN r.f AND r.l))
UNION ALL
SELECT 'E', e.EmergencyVisitID, e.PatientID, e.VisitDateTime, NULL, e.PatientSex, e.PatientBirthDate, NULL, 1,
  e.Diagnosis, e.Diagnosis IS NULL OR c.CategoryCode IS NOT NULL, NULL, 1, NULL
FROM Patient_Data.tbEmergencyVisit e
LEFT JOIN BUILD_FILE.tbCoICD10Category c ON c.CategoryCode = e.DiagnosisCategory
WHERE e.VisitDate >= ?1 AND e.VisitDate < ?2
  AND (?3 IS NULL OR (e.Diagnosis IS NOT NULL AND c.CategoryCode IS NULL) OR e.PatientBirthDate > e.VisitDate
    OR EXISTS (SELECT 1 FROM r WHERE e.DiagnosisCategory BETWEEN r.f AND r.l))
UNION ALL
SELECT 'S', o.OperationID, o.PatientID, o.OperationDateTime, NULL, NULL, NULL, o.ServiceCode,
  o.ServiceCode IS NULL OR s.ServiceCode IS NOT NULL, o.ProcedureCode, p.ProcedureCode IS NOT NULL, NULL, 1, NULL
FROM Patient_Data.tbOperation o
LEFT JOIN BUILD_FILE.tbCoService s ON s.ServiceCode = o.ServiceCode
LEFT JOIN BUILD_FILE.tbCoProcedure p ON p.ProcedureCode = o.ProcedureCode
WHERE o.OperationDateTime >= ?1 AND o.OperationDateTime < ?2
  AND (?3 IS NULL OR (o.ServiceCode IS NOT NULL AND s.ServiceCode IS NULL) OR p.ProcedureCode IS NULL)
)";

ResultSet patientRecords(ProcedureContext &ctx, const Arguments &args)
{
    const auto [first, after] = Span(args);
    // "O00-O99,Z32-Z36": each range checked, then as the JSON list json_each reads.
    QVariant ranges;
    if (args.count() > 2 && !args.text(2).trimmed().isEmpty()) {
        static const QRegularExpression range(QStringLiteral("^[A-Z][0-9]{2}-[A-Z][0-9]{2}$"));
        QStringList quoted;
        for (const QString &part : args.text(2).split(QLatin1Char(','))) {
            if (!range.match(part.trimmed()).hasMatch())
                throw adodb::BackendError(
                    QStringLiteral("The code range '%1' is not of the form A00-B99.").arg(part.trimmed()), 50000);
            quoted.append(QLatin1Char('"') + part.trimmed() + QLatin1Char('"'));
        }
        ranges = QString(QLatin1Char('[') + quoted.join(QLatin1Char(',')) + QLatin1Char(']'));
    }
    // Each "?N" becomes a plain "?" bound in order, as the uploads bind theirs.
    static const QRegularExpression numbered(QStringLiteral("\\?([123])"));
    static const QString query = QString::fromLatin1(kRecords);
    QString text;
    QVariantList binds;
    qsizetype done = 0;
    for (const QRegularExpressionMatch &m : numbered.globalMatch(query)) {
        text += QStringView(query).mid(done, m.capturedStart() - done);
        text += QLatin1Char('?');
        binds.append(m.captured(1) == u"1" ? QVariant(first) : m.captured(1) == u"2" ? QVariant(after) : ranges);
        done = m.capturedEnd();
    }
    text += QStringView(query).mid(done);
    QSqlQuery q = sql::exec(ctx.db, text, binds);
    return sql::toResultSet(q);
}

ResultSet latestChange(ProcedureContext &ctx, const Arguments &args)
{
    const auto [first, after] = Span(args);
    QSqlQuery q =
        sql::exec(ctx.db,
                  QStringLiteral("SELECT MAX(ChangedAt) AS LatestChange FROM Patient_Data.tbVelmoraRecordChange "
                                 "WHERE FirstDate < ? AND LastDate >= ?"),
                  {after, first});
    return sql::toResultSet(q, {QStringLiteral("LatestChange")});
}

} // namespace

void registerCheckProcedures(ProcedureRegistry &registry)
{
    const QString patientData = QStringLiteral("Patient_Data");
    const QStringList dates = {QStringLiteral("@FromDate"), QStringLiteral("@ToDate")};
    registry.add({patientData,
                  QStringLiteral("sp_Velmora_Check_PatientRecords"),
                  {QStringLiteral("@FromDate"), QStringLiteral("@ToDate"), QStringLiteral("@CodeRanges")},
                  2,
                  Access::Read,
                  patientRecords});
    registry.add({patientData, QStringLiteral("sp_Velmora_Check_LatestChange"), dates, -1, Access::Read, latestChange});
}

} // namespace embedded
