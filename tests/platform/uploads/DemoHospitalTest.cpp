// The demo hospital: deterministic, plausible, and its uploaded figures pass
// the consistency checks the DOH figures must pass.

#include "HandMadeHospital.h"

#include "embedded/DemoHospital.h"
#include "embedded/Store.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>

#include <QSqlQuery>

using namespace uploads_test;

namespace {

embedded::DemoHospital::Options pinned()
{
    embedded::DemoHospital::Options options;
    options.seed = 20261208;
    options.referenceDate = QDate(2026, 12, 8);
    options.scale = 1;
    return options;
}

// One store for the whole suite: the demo hospital takes a few seconds.
class DemoHospital : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_temp = new testing_support::TempStore;
        s_planted = embedded::DemoHospital::fill(s_temp->store(), pinned());
        saveSetup(s_temp->store());
        for (const QString &period :
             {QStringLiteral("'01/01/2026','01/31/2026'"), QStringLiteral("'02/01/2026','02/28/2026'"),
              QStringLiteral("'03/01/2026','03/31/2026'"), QStringLiteral("'01/01/2026','03/31/2026'"),
              QStringLiteral("'01/01/2025','12/31/2025'")}) {
            const QStringList parts = period.split(QLatin1Char(','));
            for (const QString &statement : uploadStatements(parts[0].mid(1, 10), parts[1].mid(1, 10)))
                send(*s_temp, statement);
        }
    }
    static void TearDownTestSuite()
    {
        delete s_temp;
        s_temp = nullptr;
    }

    static qint64 value(const QString &query) { return scalar(s_temp->store(), query); }
    static QVariantMap row(const QString &table, const QString &from, const QString &to, int rowOrder = -1)
    {
        return reportRow(s_temp->store(), table, from, to, rowOrder);
    }

    // The ids of the records of a kind ("Admission", "Outpatient visit") the
    // demo wrote wrong on purpose for Check, as a list for NOT IN.
    static QString planted(const QString &kind)
    {
        QStringList ids = {QStringLiteral("0")};
        for (const auto &fault : s_planted)
            if (fault.record.startsWith(kind + QLatin1Char(' ')))
                ids.append(fault.record.section(QLatin1Char(' '), -1));
        return ids.join(QStringLiteral(", "));
    }

    static testing_support::TempStore *s_temp;
    static inline QList<embedded::DemoHospital::PlantedFault> s_planted;
};

testing_support::TempStore *DemoHospital::s_temp = nullptr;

qint64 n(const QVariantMap &row, const char *column)
{
    return row.value(QString::fromLatin1(column)).toLongLong();
}

const QString kYearFrom = QStringLiteral("2025-01-01");
const QString kYearTo = QStringLiteral("2025-12-31");

} // namespace

TEST_F(DemoHospital, CoversThreeFullYearsAndTheYearToDate)
{
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbAdmission WHERE (AdmissionDateTime < "
                                   "'2023-01-01' OR AdmissionDateTime >= '2026-12-08') AND AdmissionID NOT IN (%1)")
                        .arg(planted(QStringLiteral("Admission")))),
              0);
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbAdmission WHERE DischargeDateTime >= "
                                   "'2026-12-08'")),
              0);
    EXPECT_GT(value(QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbAdmission WHERE AdmissionDateTime < "
                                   "'2023-01-02'")),
              0);
    EXPECT_GT(value(QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbOutpatientVisit WHERE VisitDate = "
                                   "'2026-12-07'")),
              0);
    // Patients still in at the reference date, and none with a discharge but no condition.
    EXPECT_GT(value(QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbAdmission WHERE DischargeDateTime IS NULL")),
              0);
    // The hospital records, but no report setup: the first run asks for it.
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbDOHSectionI WHERE AuthorizedBed = 100")), 1);
    EXPECT_EQ(value(QStringLiteral("SELECT SUM(AuthorizedBeds) FROM Patient_Data.tbBedAllocation")), 100);
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbDOHSetup WHERE IsAllowERCases = 1 AND "
                                   "IsAllowConsultationCauses = 1")),
              1);
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM PASSWORD.tbHospitalInfo2 WHERE TraumaCapability = 2")), 1);
}

TEST_F(DemoHospital, EveryVisitAndStayCarriesItsPatientsSexAndBirthDate)
{
    for (const char *table : {"tbAdmission", "tbOutpatientVisit", "tbEmergencyVisit"}) {
        EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM Patient_Data.%1 e JOIN Patient_Data.tbPatient p ON "
                                       "p.PatientID = e.PatientID WHERE e.PatientSex IS NOT p.Sex OR "
                                       "e.PatientBirthDate IS NOT p.BirthDate")
                            .arg(QLatin1String(table))),
                  0)
            << table;
        EXPECT_GT(value(QStringLiteral("SELECT COUNT(*) FROM Patient_Data.%1").arg(QLatin1String(table))), 0);
    }
}

TEST_F(DemoHospital, SameSeedAndDateGiveTheSameStoreAnotherSeedAnother)
{
    const QString fingerprint = QStringLiteral(
        "SELECT (SELECT COUNT(*) FROM Patient_Data.tbAdmission) * 1000003 + (SELECT SUM(StayDays) FROM "
        "Patient_Data.tbAdmission) * 7919 + (SELECT COUNT(*) FROM Patient_Data.tbOutpatientVisit) * 31 + "
        "(SELECT SUM(ExamCount) FROM Patient_Data.tbLabExamination) + (SELECT SUM(unicode(ServiceCode) * "
        "length(AdmissionDateTime) + AdmissionID % 7) FROM Patient_Data.tbAdmission)");
    testing_support::TempStore again;
    embedded::DemoHospital::fill(again.store(), pinned());
    EXPECT_EQ(scalar(again.store(), fingerprint), value(fingerprint));

    testing_support::TempStore other;
    embedded::DemoHospital::Options options = pinned();
    options.seed = 7;
    embedded::DemoHospital::fill(other.store(), options);
    EXPECT_NE(scalar(other.store(), fingerprint), value(fingerprint));
}

TEST_F(DemoHospital, LooksLikeAHundredBedLevelTwoHospital)
{
    const QVariantMap year = row(QStringLiteral("tbDOHRptSectionII1"), kYearFrom, kYearTo);
    const double bor = year.value(QStringLiteral("BOR")).toDouble();
    EXPECT_GT(bor, 60.0);
    EXPECT_LT(bor, 110.0);
    const double alos = year.value(QStringLiteral("ALOS")).toDouble();
    EXPECT_GT(alos, 2.5);
    EXPECT_LT(alos, 7.0);
    const QVariantMap deliveries = row(QStringLiteral("tbDOHRptDeliveriesAndOutpatientVisits"), kYearFrom, kYearTo);
    EXPECT_GT(n(deliveries, "TotalDeliveries"), 800);
    EXPECT_GT(n(deliveries, "LiveBirths"), n(deliveries, "TotalDeliveries") - n(deliveries, "FetalDeaths")); // twins
    const double caesarean = deliveries.value(QStringLiteral("CaesareanRate")).toDouble();
    EXPECT_GT(caesarean, 15.0);
    EXPECT_LT(caesarean, 35.0);
    EXPECT_GT(n(deliveries, "TotalOutpatientVisits"), 10000);
    const QVariantMap deaths = row(QStringLiteral("tbDOHRptSectionIII"), kYearFrom, kYearTo);
    EXPECT_GT(n(deaths, "DeathsUnder48h"), 0);
    EXPECT_GT(n(deaths, "Deaths48hOrMore"), 0);
    EXPECT_GT(n(deaths, "DeadOnArrival"), 0);
    EXPECT_GT(n(deaths, "FetalDeaths"), 0);
    // Ten leading causes in every list.
    for (const QString &table : {QStringLiteral("tbDOHRptSectionII3"), QStringLiteral("tbDOHRptSectionIII114"),
                                 QStringLiteral("tbDOHRptSectionII103"), QStringLiteral("tbDOHRptSectionII91")})
        EXPECT_EQ(reportRows(s_temp->store(), table, kYearFrom, kYearTo).size(), 10) << table.toStdString();
    // The rainy months fill the wards more than the dry ones.
    EXPECT_GT(value(QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbAdmission WHERE AdmissionDateTime >= "
                                   "'2025-08-01' AND AdmissionDateTime < '2025-09-01'")),
              value(QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbAdmission WHERE AdmissionDateTime >= "
                                   "'2025-02-01' AND AdmissionDateTime < '2025-03-01'")));
}

struct Period
{
    const char *from;
    const char *to;
};

class DemoConsistency : public DemoHospital, public ::testing::WithParamInterface<Period>
{
};

TEST_P(DemoConsistency, RowsColumnsAndSectionsAgree)
{
    const QString from = QString::fromLatin1(GetParam().from);
    const QString to = QString::fromLatin1(GetParam().to);
    const QVariantMap summary = row(QStringLiteral("tbDOHRptSectionII1"), from, to);
    EXPECT_EQ(n(summary, "InpatientsAtEnd"), n(summary, "InpatientsAtStart") + n(summary, "Admissions") -
                                                 n(summary, "DischargesAlive") - n(summary, "Deaths"));

    const QList<QVariantMap> discharges = reportRows(s_temp->store(), QStringLiteral("tbDOHRptSectionII21"), from, to);
    QVariantMap sum;
    const QStringList summed = {QStringLiteral("TotalLengthOfStay"), QStringLiteral("TotalDischarges"),
                                QStringLiteral("TotalDeaths"),       QStringLiteral("DeathsUnder48h"),
                                QStringLiteral("RecoveredImproved"), QStringLiteral("PhilHealthPay")};
    QVariantMap total;
    for (const QVariantMap &r : discharges) {
        const qint64 payers = n(r, "NonPhilHealthPay") + n(r, "NonPhilHealthService") + n(r, "PhilHealthPay") +
                              n(r, "PhilHealthService") + n(r, "HMO") + n(r, "OWWA");
        const qint64 conditions = n(r, "RecoveredImproved") + n(r, "Transferred") + n(r, "HomeAgainstAdvice") +
                                  n(r, "Absconded") + n(r, "Unimproved");
        EXPECT_EQ(payers, n(r, "TotalDischarges"));
        EXPECT_EQ(conditions + n(r, "TotalDeaths"), n(r, "TotalDischarges"));
        EXPECT_EQ(n(r, "DeathsUnder48h") + n(r, "Deaths48hOrMore"), n(r, "TotalDeaths"));
        const QString type = r.value(QStringLiteral("RowType")).toString();
        if (type == QLatin1String("SERVICE"))
            for (const QString &c : summed)
                sum[c] = sum.value(c).toLongLong() + r.value(c).toLongLong();
        else if (type == QLatin1String("TOTAL"))
            total = r;
    }
    for (const QString &c : summed)
        EXPECT_EQ(sum.value(c).toLongLong(), total.value(c).toLongLong()) << c.toStdString();
    EXPECT_EQ(n(total, "TotalDischarges"), n(summary, "Discharges"));
    EXPECT_EQ(n(total, "TotalLengthOfStay"), n(summary, "TotalLengthOfStay"));

    const QVariantMap deaths = row(QStringLiteral("tbDOHRptSectionIII"), from, to);
    EXPECT_EQ(n(deaths, "InpatientDeaths"), n(total, "TotalDeaths"));
    EXPECT_EQ(n(deaths, "DeathsUnder48h"), n(total, "DeathsUnder48h"));
    EXPECT_EQ(n(deaths, "InpatientDeaths"), n(summary, "Deaths"));

    const QVariantMap beds = row(QStringLiteral("tbDOHRptSectionI34"), from, to, 900);
    EXPECT_EQ(n(beds, "ServiceDays"), n(summary, "ServiceDays"));
    EXPECT_EQ(beds.value(QStringLiteral("BOR")), summary.value(QStringLiteral("BOR")));

    const QVariantMap operations = row(QStringLiteral("tbDOHRptSectionII8"), from, to, 3);
    const QVariantMap surgical = row(QStringLiteral("tbDOHRptSurgicalProcedure"), from, to, 900);
    EXPECT_EQ(n(operations, "Total"), n(surgical, "Total"));
    EXPECT_EQ(n(operations, "Total"), n(operations, "PhilHealth") + n(operations, "NonPhilHealth"));
    EXPECT_EQ(n(row(QStringLiteral("tbDOHRptSectionII8"), from, to, 1), "Total") +
                  n(row(QStringLiteral("tbDOHRptSectionII8"), from, to, 2), "Total"),
              n(operations, "Total"));

    const QVariantMap visits = row(QStringLiteral("tbDOHRptERTestingAndOthers"), from, to, 1);
    qint64 byDisposition = 0;
    for (int i = 2; i <= 7; ++i)
        byDisposition += n(row(QStringLiteral("tbDOHRptERTestingAndOthers"), from, to, i), "Total");
    EXPECT_EQ(byDisposition, n(visits, "Total"));
}

INSTANTIATE_TEST_SUITE_P(Periods, DemoConsistency,
                         ::testing::Values(Period{"2026-03-01", "2026-03-31"}, Period{"2026-01-01", "2026-03-31"},
                                           Period{"2025-01-01", "2025-12-31"}),
                         [](const ::testing::TestParamInfo<Period> &info) {
                             return std::string(info.param.from).substr(0, 4) + "_" +
                                    std::string(info.param.from).substr(5, 2) + "_" +
                                    std::string(info.param.to).substr(5, 2);
                         });

TEST_F(DemoHospital, AQuarterIsTheSumOfItsMonthsForEveryCount)
{
    const QString quarterFrom = QStringLiteral("2026-01-01");
    const QString quarterTo = QStringLiteral("2026-03-31");
    const std::pair<QString, QString> months[] = {{QStringLiteral("2026-01-01"), QStringLiteral("2026-01-31")},
                                                  {QStringLiteral("2026-02-01"), QStringLiteral("2026-02-28")},
                                                  {QStringLiteral("2026-03-01"), QStringLiteral("2026-03-31")}};
    // Flows only: stocks (patients in at the start or end, beds, distinct
    // patients) and the ranked lists do not add up.
    const std::vector<std::pair<QString, QStringList>> flows = {
        {QStringLiteral("tbDOHRptSectionII1"),
         {QStringLiteral("Admissions"), QStringLiteral("TransfersIn"), QStringLiteral("DischargesAlive"),
          QStringLiteral("Deaths"), QStringLiteral("AdmittedDischargedSameDay"), QStringLiteral("NewbornsBornHere"),
          QStringLiteral("ServiceDays"), QStringLiteral("Discharges"), QStringLiteral("TotalLengthOfStay"),
          QStringLiteral("DaysInPeriod")}},
        {QStringLiteral("tbDOHRptSectionI34"), {QStringLiteral("ServiceDays")}},
        {QStringLiteral("tbDOHRptSectionI9"), {QStringLiteral("Inpatient"), QStringLiteral("Outpatient")}},
        {QStringLiteral("tbDOHRptSectionII21"),
         {QStringLiteral("TotalDischarges"), QStringLiteral("TotalLengthOfStay"), QStringLiteral("HMO"),
          QStringLiteral("DeathsUnder48h"), QStringLiteral("Absconded")}},
        {QStringLiteral("tbDOHRptSectionII22"), {QStringLiteral("Discharges"), QStringLiteral("TotalLengthOfStay")}},
        {QStringLiteral("tbDOHRptDeliveriesAndOutpatientVisits"),
         {QStringLiteral("CaesareanDeliveries"), QStringLiteral("TotalDeliveries"), QStringLiteral("LiveBirths"),
          QStringLiteral("FetalDeaths"), QStringLiteral("NewPedia"), QStringLiteral("RevisitAdult"),
          QStringLiteral("TotalOutpatientVisits")}},
        {QStringLiteral("tbDOHRptSectionIII"),
         {QStringLiteral("InpatientDeaths"), QStringLiteral("DeathsUnder48h"), QStringLiteral("EmergencyRoomDeaths"),
          QStringLiteral("DeadOnArrival"), QStringLiteral("NeonatalDeaths"), QStringLiteral("NewbornDischarges")}},
        {QStringLiteral("tbDOHRptSectionII8"), {QStringLiteral("PhilHealth"), QStringLiteral("NonPhilHealth")}},
        {QStringLiteral("tbDOHRptHealthAssociatedInf"), {QStringLiteral("Infections"), QStringLiteral("Denominator")}},
    };
    for (const auto &[table, columns] : flows) {
        // Compare the totals over all rows, so services present in one month only still count.
        for (const QString &column : columns) {
            const QString total = QStringLiteral("SELECT SUM(%1) FROM Patient_Data.%2 WHERE FromDate = '%3' AND "
                                                 "ToDate = '%4'%5");
            const QString onlyTotals = table == QLatin1String("tbDOHRptSectionI34") ||
                                               table == QLatin1String("tbDOHRptSectionII21") ||
                                               table == QLatin1String("tbDOHRptSectionII22")
                                           ? QStringLiteral(" AND RowType <> 'TOTAL'")
                                           : QString();
            qint64 monthly = 0;
            for (const auto &[from, to] : months)
                monthly += value(total.arg(column, table, from, to, onlyTotals));
            EXPECT_EQ(value(total.arg(column, table, quarterFrom, quarterTo, onlyTotals)), monthly)
                << table.toStdString() << "." << column.toStdString();
            EXPECT_GT(monthly, 0) << table.toStdString() << "." << column.toStdString();
        }
    }
}

TEST_F(DemoHospital, EveryCodeItWritesHasItsCodeTableRowAndEveryListItsTitles)
{
    const auto texts = [](const QString &query) {
        QString found;
        s_temp->store().readTransaction([&] {
            QSqlQuery q = embedded::sql::exec(s_temp->store().database(), query);
            found = q.next() ? q.value(0).toString() : QString();
        });
        return found;
    };
    const std::pair<const char *, const char *> checks[] = {
        {"categories without a title",
         "SELECT Code FROM (SELECT FinalCategory AS Code FROM Patient_Data.tbAdmission UNION SELECT DeathCategory "
         "FROM Patient_Data.tbAdmission UNION SELECT DiagnosisCategory FROM Patient_Data.tbOutpatientVisit UNION "
         "SELECT DiagnosisCategory FROM Patient_Data.tbEmergencyVisit) WHERE Code IS NOT NULL AND Code NOT IN "
         "(SELECT CategoryCode FROM BUILD_FILE.tbCoICD10Category)"},
        {"procedures without a title or of another kind",
         "SELECT o.ProcedureCode FROM Patient_Data.tbOperation o LEFT JOIN BUILD_FILE.tbCoProcedure c ON "
         "c.ProcedureCode = o.ProcedureCode WHERE c.ProcedureCode IS NULL OR (c.IsMajor <> 0) <> (o.IsMajor <> 0)"},
        {"services not in the service table",
         "SELECT ServiceCode FROM (SELECT ServiceCode FROM Patient_Data.tbAdmission UNION SELECT ServiceCode FROM "
         "Patient_Data.tbOperation UNION SELECT ServiceCode FROM Patient_Data.tbBedAllocation) WHERE ServiceCode "
         "IS NOT NULL AND ServiceCode NOT IN (SELECT ServiceCode FROM BUILD_FILE.tbCoService)"},
        {"leading causes and operations shown by their code",
         "SELECT ICDCode FROM Patient_Data.tbDOHRptSectionII3 WHERE Title = ICDCode UNION SELECT ICDCode FROM "
         "Patient_Data.tbDOHRptSectionII7 WHERE Title = ICDCode UNION SELECT ICDCode FROM "
         "Patient_Data.tbDOHRptSectionIII114 WHERE Title = ICDCode UNION SELECT ICDCode FROM "
         "Patient_Data.tbDOHRptSectionII103 WHERE Title = ICDCode UNION SELECT Code FROM "
         "Patient_Data.tbDOHRptERTestingAndOthers WHERE RowGroup = 'DISEASE' AND Item = Code UNION SELECT "
         "ProcedureCode FROM Patient_Data.tbDOHRptSectionII91 WHERE Title = ProcedureCode UNION SELECT "
         "ProcedureCode FROM Patient_Data.tbDOHRptSectionII92 WHERE Title = ProcedureCode"},
    };
    // But for the records planted for Check (an unknown service, an unknown code).
    for (const auto &[what, query] : checks)
        EXPECT_EQ(texts(QStringLiteral("WITH x (c) AS (%1) SELECT COALESCE(group_concat(c, ' '), '') FROM x")
                            .arg(QString::fromLatin1(query))
                            .replace(QStringLiteral("FROM Patient_Data.tbAdmission"),
                                     QStringLiteral("FROM Patient_Data.tbAdmission WHERE AdmissionID NOT IN (%1)")
                                         .arg(planted(QStringLiteral("Admission"))))
                            .replace(QStringLiteral("FROM Patient_Data.tbOutpatientVisit"),
                                     QStringLiteral("FROM Patient_Data.tbOutpatientVisit WHERE OutpatientVisitID NOT "
                                                    "IN (%1)")
                                         .arg(planted(QStringLiteral("Outpatient visit"))))),
                  QString())
            << what;
}

TEST_F(DemoHospital, ASetupCodeTypedWithTrailingBlanksGivesTheSameReportsALeadingBlankCounts)
{
    const QString from = QStringLiteral("11/01/2025");
    const QString to = QStringLiteral("11/30/2025");
    const auto save = [](const QString &newborn, const QString &surgery) {
        send(*s_temp,
             QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 13,'%1','%2'").arg(newborn, surgery));
    };
    save(QStringLiteral("13"), QStringLiteral("23"));
    const QMap<QString, QList<QVariantMap>> typed = uploadAll(s_temp->store(), from, to);
    ASSERT_EQ(typed.size(), 17);
    // The codes decide rows here: the newborns' row, and the surgery row,
    // which the month's first operation (recorded without a service) names.
    EXPECT_EQ(typed[QStringLiteral("tbDOHRptSectionII21")].last().value(QStringLiteral("RowType")),
              QStringLiteral("NEWBORN"));
    ASSERT_EQ(value(QStringLiteral("SELECT ServiceCode IS NULL FROM Patient_Data.tbOperation WHERE OperationDateTime "
                                   ">= '2025-11-01' ORDER BY OperationDateTime LIMIT 1")),
              1);

    save(QStringLiteral("13 "), QStringLiteral("23 "));
    EXPECT_EQ(value(QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbMedNewDOHReportSetup WHERE NewbornCode = "
                                   "'13 ' AND SurgeryCode = '23 ' AND length(NewbornCode) = 3")),
              1); // kept as sent
    const QMap<QString, QList<QVariantMap>> padded = uploadAll(s_temp->store(), from, to);
    for (auto it = typed.cbegin(); it != typed.cend(); ++it)
        EXPECT_EQ(padded.value(it.key()), it.value()) << it.key().toStdString();

    // As on the server, " 13" is not service 13 (the setup's look-up finds no
    // service and the dialog refuses it): newborns count as other patients.
    save(QStringLiteral(" 13"), QStringLiteral(" 23"));
    const QMap<QString, QList<QVariantMap>> leading = uploadAll(s_temp->store(), from, to);
    const qint64 newborns = value(QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbAdmission WHERE ServiceCode = "
                                                 "'13' AND AdmissionDateTime >= '2025-11-01' AND "
                                                 "AdmissionDateTime < '2025-12-01'"));
    EXPECT_GT(newborns, 0);
    const auto admissions = [](const QMap<QString, QList<QVariantMap>> &tables) {
        return n(tables.value(QStringLiteral("tbDOHRptSectionII1")).value(0), "Admissions");
    };
    EXPECT_EQ(admissions(leading), admissions(typed) + newborns);
    EXPECT_NE(leading[QStringLiteral("tbDOHRptSectionII21")].last().value(QStringLiteral("RowType")),
              QStringLiteral("NEWBORN"));
    save(QStringLiteral("13"), QStringLiteral("23"));
}
