// Every figure of the hand-made hospital's March 2026, worked out by hand
// from the records in HandMadeHospital.cpp (A = admission, O = operation...).

#include "HandMadeHospital.h"

#include "embedded/Store.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>

using namespace uploads_test;

namespace {

const QString kFrom = QStringLiteral("2026-03-01");
const QString kTo = QStringLiteral("2026-03-31");

class HandMadeUploads : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fillHandMadeHospital(m_temp.store());
        saveSetup(m_temp.store());
    }

    void upload(const QString &procedure, bool option = false)
    {
        send(m_temp, QStringLiteral("Patient_Data..%1 '03/01/2026','03/31/2026'%2")
                         .arg(procedure, option ? QStringLiteral(",2") : QString()));
    }
    QVariantMap row(const QString &table, int rowOrder = -1)
    {
        return reportRow(m_temp.store(), table, kFrom, kTo, rowOrder);
    }
    QList<QVariantMap> rows(const QString &table) { return reportRows(m_temp.store(), table, kFrom, kTo); }

    testing_support::TempStore m_temp;
};

// Compares the named integer columns of a row.
void expectCounts(const QVariantMap &row, const std::vector<std::pair<const char *, qint64>> &expected)
{
    ASSERT_FALSE(row.isEmpty());
    for (const auto &[column, value] : expected) {
        const QVariant v = row.value(QString::fromLatin1(column));
        EXPECT_FALSE(v.isNull()) << column;
        EXPECT_EQ(v.toLongLong(), value) << column;
    }
}

void expectRate(const QVariantMap &row, const char *column, double expected)
{
    const QVariant v = row.value(QString::fromLatin1(column));
    ASSERT_FALSE(v.isNull()) << column;
    EXPECT_DOUBLE_EQ(v.toDouble(), expected) << column;
}

void expectNull(const QVariantMap &row, const char *column)
{
    EXPECT_TRUE(row.contains(QString::fromLatin1(column))) << column;
    EXPECT_TRUE(row.value(QString::fromLatin1(column)).isNull()) << column;
}

} // namespace

TEST_F(HandMadeUploads, SummaryOfPatientsCountsStaysByIntervalAndLeavesNewbornsOut)
{
    upload(QStringLiteral("sp_DOH_Upload_SectionII1"));
    const QVariantMap r = row(QStringLiteral("tbDOHRptSectionII1"));
    expectCounts(r, {
                        {"InpatientsAtStart", 2},  // A1 (since 02-27), A11 (since 01-15)
                        {"Admissions", 8},         // A2 A3 A4 A5 A6 A9 A12 A13 (A7, A8 newborns)
                        {"TransfersIn", 1},        // A5
                        {"DischargesAlive", 4},    // A1 A2 A6 A13
                        {"Deaths", 2},             // A3 A4 (A8 a newborn)
                        {"InpatientsAtEnd", 4},    // A5 A9 A11 A12 = 2 + 8 - 4 - 2
                        {"AdmittedDischargedSameDay", 1}, // A2
                        {"NewbornsBornHere", 2},   // live births: twins 2 + stillbirth 0
                        // A1 2 + A2 1 + A3 2 + A4 2 + A5 7 + A6 3 + A9 2 + A11 31 + A12 1 + A13 1
                        {"ServiceDays", 52},
                        {"DaysInPeriod", 31},
                        {"AuthorizedBeds", 1},
                        {"ImplementingBeds", 2},
                        {"Discharges", 6},
                        {"TotalLengthOfStay", 13}, // A1 4 + A2 1 + A3 2 + A4 2 + A6 3 + A13 1
                    });
    expectRate(r, "BOR", 167.74);            // 52 * 100 / (1 * 31) = 167.741...: over 100 %, not capped
    expectRate(r, "BORImplementing", 83.87); // 5200 / 62 = 83.870...
    expectRate(r, "ALOS", 2.17);             // 13 / 6 = 2.1666...
}

TEST_F(HandMadeUploads, BedAllocationListsServicesWithBedsOrPatients)
{
    upload(QStringLiteral("sp_DOH_Upload_SectionI34"));
    const QList<QVariantMap> r = rows(QStringLiteral("tbDOHRptSectionI34"));
    ASSERT_EQ(r.size(), 4);
    EXPECT_EQ(r[0].value(QStringLiteral("Service")).toString(), QStringLiteral("Medicine"));
    // A1 2 + A2 1 + A3 2 + A4 2 + A11 31 = 38; 3800 / 31 = 122.58; 3800 / 62 = 61.29
    expectCounts(r[0], {{"RowOrder", 1}, {"AuthorizedBeds", 1}, {"ImplementingBeds", 2}, {"ServiceDays", 38}});
    expectRate(r[0], "BOR", 122.58);
    expectRate(r[0], "BORImplementing", 61.29);
    // Obstetrics: A6 3 + A13 1, no beds: no rate.
    EXPECT_EQ(r[1].value(QStringLiteral("ServiceCode")).toString(), QStringLiteral("11"));
    expectCounts(r[1], {{"AuthorizedBeds", 0}, {"ServiceDays", 4}});
    expectNull(r[1], "BOR");
    // Surgery: A5 7 + A9 2 + A12 1.
    EXPECT_EQ(r[2].value(QStringLiteral("Service")).toString(), QStringLiteral("Surgery"));
    expectCounts(r[2], {{"ServiceDays", 10}});
    EXPECT_EQ(r[3].value(QStringLiteral("RowType")).toString(), QStringLiteral("TOTAL"));
    expectCounts(r[3], {{"RowOrder", 900}, {"AuthorizedBeds", 1}, {"ImplementingBeds", 2}, {"ServiceDays", 52}});
    expectRate(r[3], "BOR", 167.74);
}

TEST_F(HandMadeUploads, DischargesByServiceSplitDeathsAtExactly48Hours)
{
    upload(QStringLiteral("sp_DOH_Upload_SectionII21"));
    const QList<QVariantMap> r = rows(QStringLiteral("tbDOHRptSectionII21"));
    // 14 services besides Newborn, the total and the newborn row.
    ASSERT_EQ(r.size(), 16);
    const QVariantMap medicine = r[0];
    EXPECT_EQ(medicine.value(QStringLiteral("ServiceCode")).toString(), QStringLiteral("10"));
    // A1 (PP, R, 4 days), A2 (NPP, R, 1), A3 (PS, died 47:59:59), A4 (HMO, died at 48:00:00); patients 1, 2, 7
    expectCounts(medicine, {{"Patients", 3},          {"TotalLengthOfStay", 9}, {"NonPhilHealthPay", 1},
                            {"NonPhilHealthService", 0}, {"PhilHealthPay", 1},  {"PhilHealthService", 1},
                            {"HMO", 1},               {"OWWA", 0},              {"RecoveredImproved", 2},
                            {"HomeAgainstAdvice", 0}, {"DeathsUnder48h", 1},    {"Deaths48hOrMore", 1},
                            {"TotalDeaths", 2},       {"TotalDischarges", 4}});
    // A6 (PP, 3 days), A13 (PS, 1 day)
    expectCounts(r[1], {{"Patients", 2}, {"TotalLengthOfStay", 4}, {"PhilHealthPay", 1}, {"PhilHealthService", 1},
                        {"RecoveredImproved", 2}, {"TotalDischarges", 2}});
    // Surgery: A9 leaves in April, A5 and A12 are still in.
    EXPECT_EQ(r[8].value(QStringLiteral("ServiceCode")).toString(), QStringLiteral("23"));
    expectCounts(r[8], {{"TotalDischarges", 0}, {"HomeAgainstAdvice", 0}, {"TotalLengthOfStay", 0}});
    const QVariantMap total = r[14];
    EXPECT_EQ(total.value(QStringLiteral("RowType")).toString(), QStringLiteral("TOTAL"));
    expectCounts(total, {{"RowOrder", 900},       {"Patients", 5},  {"TotalLengthOfStay", 13}, {"NonPhilHealthPay", 1},
                         {"PhilHealthPay", 2},    {"PhilHealthService", 2}, {"HMO", 1},         {"RecoveredImproved", 4},
                         {"DeathsUnder48h", 1},   {"Deaths48hOrMore", 1},   {"TotalDeaths", 2}, {"TotalDischarges", 6}});
    // The twins: A7 (2 days), A8 (died the day of birth, a 1-day stay).
    const QVariantMap newborn = r[15];
    EXPECT_EQ(newborn.value(QStringLiteral("RowType")).toString(), QStringLiteral("NEWBORN"));
    expectCounts(newborn, {{"RowOrder", 901},      {"Patients", 2},       {"TotalLengthOfStay", 3}, {"PhilHealthPay", 2},
                           {"RecoveredImproved", 1}, {"DeathsUnder48h", 1}, {"TotalDischarges", 2}});
}

TEST_F(HandMadeUploads, AverageLengthOfStayPerServiceWithNewbornsApart)
{
    upload(QStringLiteral("sp_DOH_Upload_SectionII22"));
    expectCounts(row(QStringLiteral("tbDOHRptSectionII22"), 1), {{"Discharges", 4}, {"TotalLengthOfStay", 9}});
    expectRate(row(QStringLiteral("tbDOHRptSectionII22"), 1), "ALOS", 2.25); // 9 / 4
    expectRate(row(QStringLiteral("tbDOHRptSectionII22"), 2), "ALOS", 2.00); // 4 / 2
    expectNull(row(QStringLiteral("tbDOHRptSectionII22"), 3), "ALOS");       // Gynecology: no discharge
    expectRate(row(QStringLiteral("tbDOHRptSectionII22"), 900), "ALOS", 2.17); // 13 / 6
    expectRate(row(QStringLiteral("tbDOHRptSectionII22"), 901), "ALOS", 1.50); // 3 / 2
}

TEST_F(HandMadeUploads, DeathsAndTheirRates)
{
    upload(QStringLiteral("sp_DOH_Upload_SectionIII"));
    const QVariantMap r = row(QStringLiteral("tbDOHRptSectionIII"));
    expectCounts(r, {{"InpatientDeaths", 2},    // A3, A4
                     {"DeathsUnder48h", 1},     // A3
                     {"Deaths48hOrMore", 1},    // A4
                     {"EmergencyRoomDeaths", 1}, {"DeadOnArrival", 1}, // ER visits 5 and 4
                     {"FetalDeaths", 1},        // the stillbirth
                     {"NeonatalDeaths", 1},     // A8, 0 days old
                     {"MaternalDeaths", 0},     {"NewbornDeaths", 1},
                     {"Discharges", 6},         {"ObstetricDischarges", 2}, {"NewbornDischarges", 2}});
    expectRate(r, "GrossDeathRate", 33.33);   // 2 * 100 / 6
    expectRate(r, "NetDeathRate", 20.00);     // (2 - 1) * 100 / (6 - 1)
    expectRate(r, "MaternalDeathRate", 0.00); // 0 / 2: a rate, not "-"
    expectRate(r, "NewbornDeathRate", 50.00); // 1 * 100 / 2
}

TEST_F(HandMadeUploads, DeliveriesCountMothersAndBirthsApart)
{
    upload(QStringLiteral("sp_DOH_Upload_DeliveriesAndOutpatientVisits"));
    const QVariantMap r = row(QStringLiteral("tbDOHRptDeliveriesAndOutpatientVisits"));
    // Twins by caesarean: one delivery, two live births; a stillbirth by NSD.
    expectCounts(r, {{"NormalDeliveries", 1}, {"OperativeVaginalDeliveries", 0}, {"CaesareanDeliveries", 1},
                     {"TotalDeliveries", 2}, {"LiveBirths", 2}, {"FetalDeaths", 1},
                     // visits 3 (new, adult), 1 (new, 12), 4 and 7 (revisits, adults), 2 (revisit, 13)
                     {"NewAdult", 1}, {"NewPedia", 1}, {"RevisitAdult", 2}, {"RevisitPedia", 1}, {"TotalNew", 2},
                     {"TotalRevisit", 3}, {"TotalAdult", 3}, {"TotalPedia", 2}, {"TotalOutpatientVisits", 5}});
    expectRate(r, "CaesareanRate", 50.00); // 1 * 100 / 2
}

TEST_F(HandMadeUploads, PaediatricAgeLimitComesFromTheSetup)
{
    // At 12 the visit of the patient who turned 13 on 03-20 becomes an adult's.
    saveSetup(m_temp.store(), 12);
    upload(QStringLiteral("sp_DOH_Upload_DeliveriesAndOutpatientVisits"));
    expectCounts(row(QStringLiteral("tbDOHRptDeliveriesAndOutpatientVisits")),
                 {{"NewPedia", 1}, {"RevisitAdult", 3}, {"RevisitPedia", 0}, {"TotalAdult", 4}, {"TotalPedia", 1}});
    // ER visit 1 was that patient's too, on 03-25.
    upload(QStringLiteral("sp_DOH_Upload_ERTestingAndOthers"));
    expectCounts(row(QStringLiteral("tbDOHRptERTestingAndOthers"), 1), {{"Adult", 4}, {"Pedia", 1}, {"Total", 5}});
}

TEST_F(HandMadeUploads, EmergencyVisitsTestsServicesAndDiseases)
{
    upload(QStringLiteral("sp_DOH_Upload_ERTestingAndOthers"));
    const QList<QVariantMap> r = rows(QStringLiteral("tbDOHRptERTestingAndOthers"));
    ASSERT_EQ(r.size(), 7 + 3 + 1 + 5);
    // Visits 1 (13, admitted), 2 (admitted), 3 (home), 4 (dead on arrival), 5 (5 years, died).
    const std::vector<std::tuple<QString, qint64, qint64>> visits = {
        {QStringLiteral("Total emergency visits"), 3, 2}, {QStringLiteral("Sent home"), 1, 0},
        {QStringLiteral("Admitted"), 1, 1},               {QStringLiteral("Transferred"), 0, 0},
        {QStringLiteral("Home against medical advice"), 0, 0}, {QStringLiteral("Died in the emergency room"), 0, 1},
        {QStringLiteral("Dead on arrival"), 1, 0}};
    for (std::size_t i = 0; i < visits.size(); ++i) {
        const auto &[item, adult, pedia] = visits[i];
        EXPECT_EQ(r[int(i)].value(QStringLiteral("RowGroup")).toString(), QStringLiteral("VISITS"));
        EXPECT_EQ(r[int(i)].value(QStringLiteral("Item")).toString(), item);
        expectCounts(r[int(i)], {{"RowOrder", qint64(i) + 1}, {"Adult", adult}, {"Pedia", pedia}, {"Total", adult + pedia}});
    }
    // Tests by name; the complete blood counts: 1 for visit 1 (13 years), 2 for visit 3.
    EXPECT_EQ(r[7].value(QStringLiteral("Item")).toString(), QStringLiteral("CT scan"));
    expectCounts(r[7], {{"RowOrder", 1001}, {"Adult", 1}, {"Pedia", 0}, {"Total", 1}});
    EXPECT_EQ(r[8].value(QStringLiteral("Item")).toString(), QStringLiteral("Complete blood count"));
    expectCounts(r[8], {{"Adult", 2}, {"Pedia", 1}, {"Total", 3}});
    EXPECT_EQ(r[9].value(QStringLiteral("Item")).toString(), QStringLiteral("X-ray"));
    expectCounts(r[9], {{"Pedia", 1}, {"Total", 1}}); // the April X-rays are not March's
    EXPECT_EQ(r[10].value(QStringLiteral("RowGroup")).toString(), QStringLiteral("OTHER"));
    expectCounts(r[10], {{"RowOrder", 2001}, {"Adult", 1}});
    // Five diseases seen once each: ties in code order.
    QStringList codes;
    for (int i = 11; i < r.size(); ++i)
        codes.append(r[i].value(QStringLiteral("Code")).toString());
    EXPECT_EQ(codes, (QStringList{QStringLiteral("A41"), QStringLiteral("I10"), QStringLiteral("I21"),
                                  QStringLiteral("K35"), QStringLiteral("S06")}));
    EXPECT_EQ(r[11].value(QStringLiteral("Item")).toString(), QStringLiteral("Other sepsis"));
}

TEST_F(HandMadeUploads, MorbidityRanksByCountThenCode)
{
    upload(QStringLiteral("sp_DOH_Upload_SectionII3"));
    const QList<QVariantMap> r = rows(QStringLiteral("tbDOHRptSectionII3"));
    // Discharges A1, A4 (J18, men of 65), A2 (A09, 25), A3 (I63, 75), A13 (O80, 30), A6 (O84, 36).
    ASSERT_EQ(r.size(), 5);
    EXPECT_EQ(r[0].value(QStringLiteral("ICDCode")).toString(), QStringLiteral("J18"));
    EXPECT_EQ(r[0].value(QStringLiteral("Title")).toString(), QStringLiteral("Pneumonia, organism unspecified"));
    expectCounts(r[0], {{"RowOrder", 1}, {"Male", 2}, {"Female", 0}, {"Age65AndOver", 2}, {"Age45To64", 0},
                        {"Total", 2}});
    QStringList rest;
    for (int i = 1; i < r.size(); ++i)
        rest.append(r[i].value(QStringLiteral("ICDCode")).toString());
    EXPECT_EQ(rest, (QStringList{QStringLiteral("A09"), QStringLiteral("I63"), QStringLiteral("O80"),
                                 QStringLiteral("O84")}));
    expectCounts(r[1], {{"Female", 1}, {"Age20To44", 1}, {"Total", 1}});
}

TEST_F(HandMadeUploads, MortalityByUnderlyingCauseIncludesNewbornDeaths)
{
    upload(QStringLiteral("sp_DOH_Upload_SectionII7"));
    const QList<QVariantMap> r = rows(QStringLiteral("tbDOHRptSectionII7"));
    // A4 (I21, man of 65: the final diagnosis J18 is not the cause), A3 (I63, 75), A8 (P22, girl of 0).
    ASSERT_EQ(r.size(), 3);
    EXPECT_EQ(r[0].value(QStringLiteral("ICDCode")).toString(), QStringLiteral("I21"));
    expectCounts(r[0], {{"Male", 1}, {"Age65AndOver", 1}});
    EXPECT_EQ(r[2].value(QStringLiteral("ICDCode")).toString(), QStringLiteral("P22"));
    expectCounts(r[2], {{"Female", 1}, {"AgeUnder1", 1}, {"Total", 1}});
}

TEST_F(HandMadeUploads, OutpatientAndEmergencyLeadingCausesWithAgeGroups)
{
    upload(QStringLiteral("sp_DOH_Upload_SectionIII114"), true);
    const QList<QVariantMap> opd = rows(QStringLiteral("tbDOHRptSectionIII114"));
    ASSERT_EQ(opd.size(), 2);
    // I10: visit 3 (woman of 25), 4 (man of 65), 7 (man of 45); J06: visits 1 and 2 (a boy of 12, then 13).
    EXPECT_EQ(opd[0].value(QStringLiteral("ICDCode")).toString(), QStringLiteral("I10"));
    expectCounts(opd[0], {{"Male", 2}, {"Female", 1}, {"Age20To44", 1}, {"Age45To64", 1}, {"Age65AndOver", 1},
                          {"Total", 3}});
    expectCounts(opd[1], {{"Male", 2}, {"Age10To14", 2}, {"Total", 2}});

    send(m_temp, QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII103 '03/01/2026','03/31/2026'"));
    const QList<QVariantMap> er = rows(QStringLiteral("tbDOHRptSectionII103"));
    ASSERT_EQ(er.size(), 5);
    expectCounts(er[0], {{"Female", 1}, {"Age5To9", 1}}); // A41, the girl of 5
    expectCounts(er[2], {{"Male", 1}, {"Age45To64", 1}}); // I21, the man of 56
}

TEST_F(HandMadeUploads, OperationsByPayerAndTheLeadingProcedures)
{
    upload(QStringLiteral("sp_DOH_Upload_SectionII8"), true);
    // Major: O1 (NPS), O2 (PP), O5 (OWWA); minor: O3 (NPP), O4 (PS); O6 is April's.
    expectCounts(row(QStringLiteral("tbDOHRptSectionII8"), 1), {{"PhilHealth", 1}, {"NonPhilHealth", 2}, {"Total", 3}});
    expectCounts(row(QStringLiteral("tbDOHRptSectionII8"), 2), {{"PhilHealth", 1}, {"NonPhilHealth", 1}, {"Total", 2}});
    expectCounts(row(QStringLiteral("tbDOHRptSectionII8"), 3), {{"PhilHealth", 2}, {"NonPhilHealth", 3}, {"Total", 5}});

    upload(QStringLiteral("sp_DOH_Upload_SectionII91"));
    const QList<QVariantMap> major = rows(QStringLiteral("tbDOHRptSectionII91"));
    ASSERT_EQ(major.size(), 3);
    EXPECT_EQ(major[0].value(QStringLiteral("Title")).toString(), QStringLiteral("Appendectomy"));
    EXPECT_EQ(major[2].value(QStringLiteral("ProcedureCode")).toString(), QStringLiteral("74.1"));

    upload(QStringLiteral("sp_DOH_Upload_SectionII92"));
    const QList<QVariantMap> minor = rows(QStringLiteral("tbDOHRptSectionII92"));
    ASSERT_EQ(minor.size(), 1);
    EXPECT_EQ(minor[0].value(QStringLiteral("Title")).toString(), QStringLiteral("Suture of skin and subcutaneous tissue"));
    expectCounts(minor[0], {{"Operations", 2}});
}

TEST_F(HandMadeUploads, SurgicalOperationsByServiceWithSiteInfectionRate)
{
    upload(QStringLiteral("sp_DOH_Upload_SurgicalProcedure"));
    const QList<QVariantMap> r = rows(QStringLiteral("tbDOHRptSurgicalProcedure"));
    ASSERT_EQ(r.size(), 3);
    // Obstetrics: O2. Surgery: O1, O5 major; O3 (no service: the setup's surgery) and O4 minor; the SSI after O1.
    expectCounts(r[0], {{"Major", 1}, {"Minor", 0}, {"Total", 1}, {"SurgicalSiteInfections", 0}});
    expectRate(r[0], "SurgicalSiteInfectionRate", 0.00);
    EXPECT_EQ(r[1].value(QStringLiteral("ServiceCode")).toString(), QStringLiteral("23"));
    expectCounts(r[1], {{"Major", 2}, {"Minor", 2}, {"Total", 4}, {"SurgicalSiteInfections", 1}});
    expectRate(r[1], "SurgicalSiteInfectionRate", 25.00); // 1 * 100 / 4
    expectCounts(r[2], {{"RowOrder", 900}, {"Major", 3}, {"Minor", 2}, {"Total", 5}, {"SurgicalSiteInfections", 1}});
    expectRate(r[2], "SurgicalSiteInfectionRate", 20.00); // 1 * 100 / 5
}

TEST_F(HandMadeUploads, HealthAssociatedInfectionRates)
{
    upload(QStringLiteral("sp_DOH_Upload_HealthAssociatedInf"));
    const QList<QVariantMap> r = rows(QStringLiteral("tbDOHRptHealthAssociatedInf"));
    ASSERT_EQ(r.size(), 6);
    // VAP: 1 in March over 10 + 15 ventilator days: 1000 / 25.
    expectCounts(r[0], {{"Infections", 1}, {"Denominator", 25}, {"RatePer", 1000}});
    expectRate(r[0], "Rate", 40.00);
    expectCounts(r[1], {{"Infections", 0}, {"Denominator", 0}});
    expectNull(r[1], "Rate"); // no central line days
    expectRate(r[2], "Rate", 25.00);  // CAUTI 1 * 1000 / 40
    expectRate(r[3], "Rate", 20.00);  // SSI 1 * 100 / 5 operations
    // Other and all: per 100 discharges, newborns included: 6 + 2.
    expectCounts(r[4], {{"Infections", 1}, {"Denominator", 8}});
    expectRate(r[4], "Rate", 12.50);
    expectCounts(r[5], {{"Infections", 4}, {"Denominator", 8}});
    expectRate(r[5], "Rate", 50.00);
}

TEST_F(HandMadeUploads, LaboratoryExaminationsBySection)
{
    upload(QStringLiteral("sp_DOH_Upload_SectionI9"), true);
    const QList<QVariantMap> r = rows(QStringLiteral("tbDOHRptSectionI9"));
    ASSERT_EQ(r.size(), 7);
    EXPECT_EQ(r[0].value(QStringLiteral("Section")).toString(), QStringLiteral("Hematology"));
    expectCounts(r[0], {{"Inpatient", 10}, {"Outpatient", 5}, {"Total", 15}});
    expectCounts(r[4], {{"Inpatient", 3}, {"Outpatient", 0}, {"Total", 3}}); // blood bank
    expectCounts(r[5], {{"Total", 0}});                                      // February's 7 are not March's
    expectCounts(r[6], {{"Inpatient", 13}, {"Outpatient", 5}, {"Total", 18}});
}
