#include "HandMadeHospital.h"

#include "embedded/EmbeddedBackend.h"
#include "embedded/Store.h"

#include <QDate>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>

namespace uploads_test {

namespace {

void run(embedded::Store &store, const char *const statements[], std::size_t count)
{
    store.writeTransaction([&] {
        for (std::size_t i = 0; i < count; ++i)
            embedded::sql::exec(store.database(), QString::fromUtf8(statements[i]));
    });
}

// The writers' columns: the patient tables also have columns of their own
// (copies of the patient's sex and birth date, derived facts).
#define VELMORA_ADMISSION                                                                                              \
    "INSERT INTO Patient_Data.tbAdmission (AdmissionID, PatientID, AdmissionDateTime, DischargeDateTime, "             \
    "ServiceCode, PayerClass, DischargeCondition, IsTransferIn, FinalDiagnosis, UnderlyingCause, IsMaternalDeath) "    \
    "VALUES "
#define VELMORA_OUTPATIENT_VISIT                                                                                       \
    "INSERT INTO Patient_Data.tbOutpatientVisit (OutpatientVisitID, PatientID, VisitDate, IsNewPatient, Diagnosis) "   \
    "VALUES "
#define VELMORA_EMERGENCY_VISIT                                                                                        \
    "INSERT INTO Patient_Data.tbEmergencyVisit (EmergencyVisitID, PatientID, VisitDateTime, Disposition, "             \
    "Diagnosis) VALUES "

// March 2026 has 31 days. Medicine has 1 authorized and 2 implementing beds;
// no other service has beds.
const char *const kHospital[] = {
    "INSERT INTO Patient_Data.tbBedAllocation VALUES ('10', 1, 2)",

    "INSERT INTO Patient_Data.tbPatient VALUES (1, 'M', '1960-05-10')",  // 65 in March 2026
    "INSERT INTO Patient_Data.tbPatient VALUES (2, 'F', '2000-03-15')",  // 25 until 03-15
    "INSERT INTO Patient_Data.tbPatient VALUES (3, 'M', '2013-03-20')",  // 12, then 13 from 03-20
    "INSERT INTO Patient_Data.tbPatient VALUES (4, 'F', '1990-01-01')",  // 36
    "INSERT INTO Patient_Data.tbPatient VALUES (5, 'M', '2026-03-10')",  // twin 1
    "INSERT INTO Patient_Data.tbPatient VALUES (6, 'F', '2026-03-10')",  // twin 2
    "INSERT INTO Patient_Data.tbPatient VALUES (7, 'M', '1950-12-31')",  // 75
    "INSERT INTO Patient_Data.tbPatient VALUES (8, 'F', '1945-07-01')",  // 80
    "INSERT INTO Patient_Data.tbPatient VALUES (9, 'M', '1980-06-15')",  // 45
    "INSERT INTO Patient_Data.tbPatient VALUES (10, 'F', '1995-08-20')", // 30
    "INSERT INTO Patient_Data.tbPatient VALUES (11, 'M', '1970-02-02')", // 56
    "INSERT INTO Patient_Data.tbPatient VALUES (12, 'F', '2020-06-06')", // 5

    // (AdmissionID, PatientID, admitted, discharged, service, payer, condition, transfer in, diagnosis,
    // cause, maternal)
    // A1: in since February, 2 service days in March (03-01, 03-02), stay 4 days.
    VELMORA_ADMISSION "(1, 1, '2026-02-27 10:00:00', '2026-03-03 09:00:00', '10', "
                      "'PP', 'R', 0, 'J18.9', NULL, 0)",
    // A2: same-day stay: 1 service day, stay 1 day.
    VELMORA_ADMISSION "(2, 2, '2026-03-05 08:00:00', '2026-03-05 17:00:00', '10', "
                      "'NPP', 'R', 0, 'A09', NULL, 0)",
    // A3: died after 47:59:59, under 48 hours; 2 service days.
    VELMORA_ADMISSION "(3, 7, '2026-03-10 12:00:00', '2026-03-12 11:59:59', '10', "
                      "'PS', 'D', 0, 'I63.9', 'I63.9', 0)",
    // A4: died after exactly 48 hours: 48 h or more; 2 service days.
    VELMORA_ADMISSION "(4, 1, '2026-03-20 06:00:00', '2026-03-22 06:00:00', '10', "
                      "'HMO', 'D', 0, 'J18.9', 'I21.9', 0)",
    // A5: transferred in, still in: 7 service days (03-25 .. 03-31).
    VELMORA_ADMISSION "(5, 3, '2026-03-25 10:00:00', NULL, '23', 'NPS', NULL, 1, "
                      "'K35.8', NULL, 0)",
    // A6: the twins' mother: 3 service days, stay 3 days.
    VELMORA_ADMISSION "(6, 4, '2026-03-09 22:00:00', '2026-03-12 10:00:00', '11', "
                      "'PP', 'R', 0, 'O84.0', NULL, 0)",
    // A7, A8: the twins (newborns, reported apart); A8 died the day of birth.
    VELMORA_ADMISSION "(7, 5, '2026-03-10 02:00:00', '2026-03-12 10:00:00', '13', "
                      "'PP', 'R', 0, 'Z38.3', NULL, 0)",
    VELMORA_ADMISSION "(8, 6, '2026-03-10 02:00:00', '2026-03-10 20:00:00', '13', "
                      "'PP', 'D', 0, 'P22.0', 'P22.0', 0)",
    // A9: discharged in April: 2 service days in March (03-30, 03-31).
    VELMORA_ADMISSION "(9, 2, '2026-03-30 09:00:00', '2026-04-02 09:00:00', '23', "
                      "'OWWA', 'H', 0, 'K80.2', NULL, 0)",
    // A10: February only.
    VELMORA_ADMISSION "(10, 4, '2026-02-10 08:00:00', '2026-02-12 08:00:00', '10', "
                      "'NPP', 'R', 0, 'I10', NULL, 0)",
    // A11: in since January and still in: all 31 days; older than any closed stay.
    VELMORA_ADMISSION "(11, 8, '2026-01-15 08:00:00', NULL, '10', 'NPS', NULL, 0, "
                      "'N18.5', NULL, 0)",
    // A12: admitted 03-31 23:00, out 04-01 01:00: 1 service day in March.
    VELMORA_ADMISSION "(12, 9, '2026-03-31 23:00:00', '2026-04-01 01:00:00', '23', "
                      "'NPP', 'R', 0, 'S06.0', NULL, 0)",
    // A13: a stillbirth's mother: 1 service day, stay 1 day.
    VELMORA_ADMISSION "(13, 10, '2026-03-15 06:00:00', '2026-03-16 12:00:00', '11', "
                      "'PS', 'R', 0, 'O80.0', NULL, 0)",

    "INSERT INTO Patient_Data.tbDelivery VALUES (1, 6, '2026-03-10 02:00:00', 'CS', 2, 0)",
    "INSERT INTO Patient_Data.tbDelivery VALUES (2, 13, '2026-03-15 09:00:00', 'NSD', 0, 1)",
    "INSERT INTO Patient_Data.tbDelivery VALUES (3, 10, '2026-02-11 09:00:00', 'NSD', 1, 0)",

    // (id, patient, date, new, diagnosis)
    VELMORA_OUTPATIENT_VISIT "(1, 3, '2026-03-19', 1, 'J06.9')", // 12: paediatric
    VELMORA_OUTPATIENT_VISIT "(2, 3, '2026-03-20', 0, 'J06.9')", // 13: the limit
    VELMORA_OUTPATIENT_VISIT "(3, 2, '2026-03-01', 1, 'I10')",
    VELMORA_OUTPATIENT_VISIT "(4, 1, '2026-03-31', 0, 'I10')",
    VELMORA_OUTPATIENT_VISIT "(5, 1, '2026-04-01', 0, 'I10')",
    VELMORA_OUTPATIENT_VISIT "(6, 4, '2026-02-28', 1, 'Z34.0')",
    VELMORA_OUTPATIENT_VISIT "(7, 9, '2026-03-10', 0, 'I10')",

    VELMORA_EMERGENCY_VISIT "(1, 3, '2026-03-25 08:00:00', 'ADMITTED', 'K35.8')",
    VELMORA_EMERGENCY_VISIT "(2, 9, '2026-03-31 22:00:00', 'ADMITTED', 'S06.0')",
    VELMORA_EMERGENCY_VISIT "(3, 7, '2026-03-02 10:00:00', 'HOME', 'I10')",
    VELMORA_EMERGENCY_VISIT "(4, 11, '2026-03-03 11:00:00', 'DOA', 'I21.9')",
    VELMORA_EMERGENCY_VISIT "(5, 12, '2026-03-04 15:00:00', 'DIED', 'A41.9')",
    VELMORA_EMERGENCY_VISIT "(6, 9, '2026-04-01 00:00:00', 'HOME', 'S61.9')",
    "INSERT INTO Patient_Data.tbEmergencyService VALUES (1, 1, 'TEST', 'Complete blood count', 1)",
    "INSERT INTO Patient_Data.tbEmergencyService VALUES (2, 1, 'TEST', 'X-ray', 1)",
    "INSERT INTO Patient_Data.tbEmergencyService VALUES (3, 2, 'TEST', 'CT scan', 1)",
    "INSERT INTO Patient_Data.tbEmergencyService VALUES (4, 2, 'OTHER', 'Wound dressing', 1)",
    "INSERT INTO Patient_Data.tbEmergencyService VALUES (5, 3, 'TEST', 'Complete blood count', 2)",
    "INSERT INTO Patient_Data.tbEmergencyService VALUES (6, 6, 'TEST', 'X-ray', 5)",

    // (id, patient, admission, when, procedure, major, payer, service)
    "INSERT INTO Patient_Data.tbOperation VALUES (1, 3, 5, '2026-03-25 14:00:00', '47.09', 1, 'NPS', '23')",
    "INSERT INTO Patient_Data.tbOperation VALUES (2, 4, 6, '2026-03-10 01:30:00', '74.1', 1, 'PP', '11')",
    "INSERT INTO Patient_Data.tbOperation VALUES (3, 9, NULL, '2026-03-31 22:30:00', '86.59', 0, 'NPP', NULL)",
    "INSERT INTO Patient_Data.tbOperation VALUES (4, 7, NULL, '2026-03-02 10:30:00', '86.59', 0, 'PS', '23')",
    "INSERT INTO Patient_Data.tbOperation VALUES (5, 2, 9, '2026-03-30 15:00:00', '51.23', 1, 'OWWA', '23')",
    "INSERT INTO Patient_Data.tbOperation VALUES (6, 1, NULL, '2026-04-01 08:00:00', '86.04', 0, 'PP', '23')",

    "INSERT INTO Patient_Data.tbInfection VALUES (1, 3, 'SSI', '2026-03-28', 5, 1)",
    "INSERT INTO Patient_Data.tbInfection VALUES (2, 8, 'VAP', '2026-03-15', 11, NULL)",
    "INSERT INTO Patient_Data.tbInfection VALUES (3, 8, 'CAUTI', '2026-03-20', 11, NULL)",
    "INSERT INTO Patient_Data.tbInfection VALUES (4, 1, 'OTHER', '2026-03-21', 4, NULL)",
    "INSERT INTO Patient_Data.tbInfection VALUES (5, 8, 'VAP', '2026-04-02', 11, NULL)",
    "INSERT INTO Patient_Data.tbDeviceDay VALUES ('2026-02-28', 'VENTILATOR', 50)",
    "INSERT INTO Patient_Data.tbDeviceDay VALUES ('2026-03-01', 'VENTILATOR', 10)",
    "INSERT INTO Patient_Data.tbDeviceDay VALUES ('2026-03-31', 'VENTILATOR', 15)",
    "INSERT INTO Patient_Data.tbDeviceDay VALUES ('2026-04-01', 'VENTILATOR', 100)",
    "INSERT INTO Patient_Data.tbDeviceDay VALUES ('2026-03-15', 'URINARY_CATHETER', 40)",

    "INSERT INTO Patient_Data.tbLabExamination VALUES ('2026-03-01', 'HEMATOLOGY', 1, 10)",
    "INSERT INTO Patient_Data.tbLabExamination VALUES ('2026-03-31', 'HEMATOLOGY', 0, 5)",
    "INSERT INTO Patient_Data.tbLabExamination VALUES ('2026-03-15', 'BLOOD_BANK', 1, 3)",
    "INSERT INTO Patient_Data.tbLabExamination VALUES ('2026-04-01', 'HEMATOLOGY', 1, 100)",
    "INSERT INTO Patient_Data.tbLabExamination VALUES ('2026-02-28', 'OTHERS', 0, 7)",
};

} // namespace

void fillHandMadeHospital(embedded::Store &store)
{
    run(store, kHospital, std::size(kHospital));
}

void saveSetup(embedded::Store &store, int pediaAge)
{
    store.writeTransaction([&] {
        embedded::sql::exec(store.database(),
                            QStringLiteral("INSERT INTO Patient_Data.tbMedNewDOHReportSetup (SetupID, PediaAge, "
                                           "NewbornCode, SurgeryCode, UpdatedDate) VALUES (1, ?, '13', '23', "
                                           "'2026-01-05 08:00:00.000') ON CONFLICT (SetupID) DO UPDATE SET "
                                           "PediaAge = excluded.PediaAge"),
                            {pediaAge});
    });
}

void send(testing_support::TempStore &temp, const QString &statement)
{
    temp.connect()->Execute(statement);
}

QList<QVariantMap> reportRows(embedded::Store &store, const QString &table, const QString &from, const QString &to)
{
    QList<QVariantMap> rows;
    store.readTransaction([&] {
        QSqlQuery probe =
            embedded::sql::exec(store.database(), QStringLiteral("SELECT * FROM Patient_Data.%1 LIMIT 0").arg(table));
        const bool ordered = probe.record().indexOf(QStringLiteral("RowOrder")) >= 0;
        QSqlQuery q = embedded::sql::exec(store.database(),
                                          QStringLiteral("SELECT * FROM Patient_Data.%1 WHERE FromDate = ? AND "
                                                         "ToDate = ?%2")
                                              .arg(table, ordered ? QStringLiteral(" ORDER BY RowOrder") : QString()),
                                          {from, to});
        while (q.next()) {
            QVariantMap row;
            const QSqlRecord r = q.record();
            for (int i = 0; i < r.count(); ++i)
                row.insert(r.fieldName(i), r.value(i));
            rows.append(row);
        }
    });
    return rows;
}

QVariantMap reportRow(embedded::Store &store, const QString &table, const QString &from, const QString &to,
                      int rowOrder)
{
    const QList<QVariantMap> rows = reportRows(store, table, from, to);
    for (const QVariantMap &row : rows)
        if (rowOrder < 0 || row.value(QStringLiteral("RowOrder")).toInt() == rowOrder)
            return row;
    return {};
}

qint64 scalar(embedded::Store &store, const QString &query)
{
    qint64 value = 0;
    store.readTransaction([&] {
        QSqlQuery q = embedded::sql::exec(store.database(), query);
        if (q.next())
            value = q.value(0).toLongLong();
    });
    return value;
}

QMap<QString, QList<QVariantMap>> uploadAll(embedded::Store &store, const QString &from, const QString &to,
                                            bool trimmed)
{
    adodb::Connection connection(std::make_unique<embedded::EmbeddedBackend>(store.folder()));
    for (const QString &statement : uploadStatements(from, to))
        connection.Execute(statement);
    const auto stored = [](const QString &date) {
        return QDate::fromString(date, QStringLiteral("MM/dd/yyyy")).toString(QStringLiteral("yyyy-MM-dd"));
    };
    static const QRegularExpression trailingBlanks(QStringLiteral(" +$"));
    QMap<QString, QList<QVariantMap>> tables;
    for (const QString &table : reportTables()) {
        QList<QVariantMap> rows = reportRows(store, table, stored(from), stored(to));
        for (QVariantMap &row : rows)
            for (QVariant &value : row)
                if (trimmed && value.typeId() == QMetaType::QString)
                    value = value.toString().remove(trailingBlanks);
        tables.insert(table, rows);
    }
    return tables;
}

QStringList uploadStatements(const QString &from, const QString &to)
{
    const QString dates = QStringLiteral(" '%1','%2'").arg(from, to);
    const QString withOption = dates + QStringLiteral(",2");
    return {
        QStringLiteral("Patient_Data..sp_DOH_Upload_SectionI34") + dates,
        QStringLiteral("Patient_Data..sp_DOH_Upload_SectionI9") + withOption,
        QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII1") + dates,
        QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII21") + dates,
        QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII22") + dates,
        QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII3") + dates,
        QStringLiteral("Patient_Data..sp_DOH_Upload_DeliveriesAndOutpatientVisits") + dates,
        QStringLiteral("Patient_Data..sp_DOH_Upload_ERTestingAndOthers") + dates,
        QStringLiteral("Patient_Data..sp_DOH_Upload_SectionIII") + dates,
        QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII7") + dates,
        QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII8") + withOption,
        QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII91") + dates,
        QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII92") + dates,
        QStringLiteral("Patient_Data..sp_DOH_Upload_HealthAssociatedInf") + dates,
        QStringLiteral("Patient_Data..sp_DOH_Upload_SurgicalProcedure") + dates,
        QStringLiteral("Patient_Data..sp_DOH_Upload_SectionIII114") + withOption,
        QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII103") + withOption,
    };
}

QStringList reportTables()
{
    return {
        QStringLiteral("tbDOHRptSectionI34"),
        QStringLiteral("tbDOHRptSectionI9"),
        QStringLiteral("tbDOHRptSectionII1"),
        QStringLiteral("tbDOHRptSectionII21"),
        QStringLiteral("tbDOHRptSectionII22"),
        QStringLiteral("tbDOHRptSectionII3"),
        QStringLiteral("tbDOHRptDeliveriesAndOutpatientVisits"),
        QStringLiteral("tbDOHRptERTestingAndOthers"),
        QStringLiteral("tbDOHRptSectionIII"),
        QStringLiteral("tbDOHRptSectionII7"),
        QStringLiteral("tbDOHRptSectionII8"),
        QStringLiteral("tbDOHRptSectionII91"),
        QStringLiteral("tbDOHRptSectionII92"),
        QStringLiteral("tbDOHRptHealthAssociatedInf"),
        QStringLiteral("tbDOHRptSurgicalProcedure"),
        QStringLiteral("tbDOHRptSectionIII114"),
        QStringLiteral("tbDOHRptSectionII103"),
    };
}

} // namespace uploads_test
