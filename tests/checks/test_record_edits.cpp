// The edits on one patient record: the code ranges at their boundaries, the
// dates and the completeness edits, with the texts a finding shows.
#include "checks/CodeRanges.h"
#include "checks/RecordEdits.h"

#include <gtest/gtest.h>

namespace {

using checks::PatientRecord;
using checks::RecordKind;

const QDate kVisit(2026, 3, 14);

struct EditCase
{
    const char *name;
    const char *code;
    const char *sex;
    int ageYears;     // whole years at the visit
    int extraDays;    // days past that birthday (or days old when ageYears is 0)
    const char *rule; // the one rule expected, or nullptr for none
};

class CodeRangeEdits : public ::testing::TestWithParam<EditCase>
{
};

TEST_P(CodeRangeEdits, FlagTheCodeOnlyOutsideItsRange)
{
    const EditCase &c = GetParam();
    PatientRecord r;
    r.kind = RecordKind::OutpatientVisit;
    r.id = 7;
    r.patient = 9;
    r.start = {kVisit, 0};
    r.sex = QString::fromLatin1(c.sex);
    r.birth = kVisit.addYears(-c.ageYears).addDays(-c.extraDays);
    r.code = QString::fromLatin1(c.code);
    QList<checks::Finding> findings;
    checks::EditRecord(r, kVisit, findings);
    if (!c.rule) {
        EXPECT_TRUE(findings.isEmpty()) << findings.value(0).figures.toStdString();
        return;
    }
    ASSERT_EQ(findings.size(), 1);
    EXPECT_EQ(findings.first().rule, QString::fromLatin1(c.rule));
    EXPECT_TRUE(findings.first().figures.startsWith(QStringLiteral("Outpatient visit 7, patient 9, 03/14/2026: ")));
}

INSTANTIATE_TEST_SUITE_P(Boundaries, CodeRangeEdits,
                         ::testing::Values(EditCase{"O00ForAMale", "O00", "M", 30, 0, "sex-female-code"},
                                           EditCase{"O99ForAMale", "o99.8", "M", 30, 0, "sex-female-code"},
                                           EditCase{"O99ForAWoman", "O99.8", "F", 30, 0, nullptr},
                                           EditCase{"Z36ForAMale", "Z36.9", "M", 30, 0, "sex-female-code"},
                                           EditCase{"Z37ForAMale", "Z37.0", "M", 30, 0, nullptr},
                                           EditCase{"N69ForAMale", "N69", "M", 30, 0, nullptr},
                                           EditCase{"N70ForAMale", "N70.1", "M", 30, 0, "sex-female-code"},
                                           EditCase{"N39ForAWoman", "N39.0", "F", 30, 0, nullptr},
                                           EditCase{"N40ForAWoman", "N40", "F", 30, 0, "sex-male-code"},
                                           EditCase{"N51ForAWoman", "N51.8", "F", 30, 0, "sex-male-code"},
                                           EditCase{"N52ForAWoman", "N52", "F", 30, 0, nullptr},
                                           EditCase{"P96OnDay27", "P96.8", "F", 0, 27, nullptr},
                                           EditCase{"P96OnDay28", "P96.8", "F", 0, 28, "newborn-code"},
                                           EditCase{"P00AtAge3", "P00", "M", 3, 0, "newborn-code"},
                                           EditCase{"PregnancyAtAge9", "O80.0", "F", 9, 364, "pregnancy-age"},
                                           EditCase{"PregnancyAtAge10", "O80.0", "F", 10, 0, nullptr},
                                           EditCase{"PregnancyAtAge55", "Z34.0", "F", 55, 364, nullptr},
                                           EditCase{"PregnancyAtAge56", "Z34.0", "F", 56, 0, "pregnancy-age"}),
                         [](const auto &info) { return std::string(info.param.name); });

// An admission as the records procedure gives it; each case changes it.
PatientRecord Stay()
{
    PatientRecord r;
    r.kind = RecordKind::Admission;
    r.id = 1234;
    r.patient = 567;
    r.start = {QDate(2026, 3, 5), 9 * 3600};
    r.end = {QDate(2026, 3, 8), 14 * 3600};
    r.sex = QStringLiteral("F");
    r.birth = QDate(1980, 1, 2);
    r.service = QStringLiteral("10");
    r.code = QStringLiteral("J18.9");
    r.condition = QStringLiteral("R");
    return r;
}

struct StayCase
{
    const char *name;
    void (*change)(PatientRecord &);
    QString figures; // the one finding, or empty for none
};

class StayEdits : public ::testing::TestWithParam<StayCase>
{
};

TEST_P(StayEdits, NameTheRecordAndWhatIsWrong)
{
    PatientRecord r = Stay();
    GetParam().change(r);
    QList<checks::Finding> findings;
    checks::EditRecord(r, QDate(2026, 3, 31), findings);
    QStringList lines;
    for (const checks::Finding &f : findings)
        lines.append(f.rule + QStringLiteral(": ") + f.figures);
    EXPECT_EQ(lines, GetParam().figures.isEmpty() ? QStringList() : QStringList{GetParam().figures});
}

const QString kName = QStringLiteral("Admission 1234, patient 567, admitted 03/05/2026: ");

INSTANTIATE_TEST_SUITE_P(
    Records, StayEdits,
    ::testing::Values(
        StayCase{"Clean", [](PatientRecord &) {}, QString()},
        StayCase{"SameDayStay",
                 [](PatientRecord &r) {
                     r.end = {r.start.date, r.start.seconds + 60};
                 },
                 QString()},
        StayCase{"DischargedBeforeAdmitted",
                 [](PatientRecord &r) {
                     r.end = {QDate(2026, 3, 5), 8 * 3600};
                 },
                 QStringLiteral("discharge-before-admission: ") + kName +
                     QStringLiteral("discharged 03/05/2026, before the admission")},
        StayCase{"BornAfterTheAdmission", [](PatientRecord &r) { r.birth = QDate(2026, 3, 6); },
                 QStringLiteral("birth-after-event: ") + kName +
                     QStringLiteral("born 03/06/2026, after the admission on 03/05/2026")},
        StayCase{"NoFinalDiagnosis", [](PatientRecord &r) { r.code.clear(); },
                 QStringLiteral("no-final-diagnosis: ") + kName +
                     QStringLiteral("discharged 03/08/2026 without a final diagnosis")},
        StayCase{"StillInWithoutDiagnosis",
                 [](PatientRecord &r) {
                     r.code.clear();
                     r.end = {};
                 },
                 QString()},
        StayCase{"DeathWithoutCause", [](PatientRecord &r) { r.condition = QStringLiteral("D"); },
                 QStringLiteral("death-without-cause: ") + kName +
                     QStringLiteral("died 03/08/2026 without an underlying cause")},
        StayCase{"DeathWithCause",
                 [](PatientRecord &r) {
                     r.condition = QStringLiteral("D");
                     r.cause = QStringLiteral("I21.9");
                 },
                 QString()},
        StayCase{"UnknownService", [](PatientRecord &r) { r.serviceKnown = false; },
                 QStringLiteral("unknown-service: ") + kName +
                     QStringLiteral("service 10 is not in the service table")},
        StayCase{"UnknownCause",
                 [](PatientRecord &r) {
                     r.cause = QStringLiteral("U07.1");
                     r.causeKnown = false;
                 },
                 QStringLiteral("unknown-code: ") + kName +
                     QStringLiteral("cause U07.1 is not in the ICD-10 code table")},
        StayCase{"CauseOfOneSexChecked",
                 [](PatientRecord &r) {
                     r.sex = QStringLiteral("M");
                     r.condition = QStringLiteral("D");
                     r.cause = QStringLiteral("O72.1");
                 },
                 QStringLiteral("sex-female-code: ") + kName +
                     QStringLiteral("O72.1 pregnancy and childbirth (O00\u2013O99) for a male patient")},
        StayCase{"OpenForAYear",
                 [](PatientRecord &r) {
                     r.start = {QDate(2025, 3, 31), 0};
                     r.end = {};
                 },
                 QString()},
        StayCase{"OpenForAYearAndADay",
                 [](PatientRecord &r) {
                     r.start = {QDate(2025, 3, 30), 0};
                     r.end = {QDate(2026, 4, 2), 0}; // discharged after the period: open at its end
                 },
                 QStringLiteral("open-over-a-year: Admission 1234, patient 567, admitted 03/30/2025: still in on "
                                "03/31/2026, 366 days after the admission")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CodeRanges, CategoryIgnoresCaseDotsAndBlanks)
{
    EXPECT_EQ(checks::Category(QStringLiteral(" o80.0 ")), QStringLiteral("O80"));
    EXPECT_EQ(checks::Category(QStringLiteral("N40")), QStringLiteral("N40"));
    EXPECT_TRUE(checks::RangesOf(QStringLiteral("O")).isEmpty());
}

} // namespace
