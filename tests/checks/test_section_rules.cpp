// The rules between sections on a small hand-made store whose March 2026
// sections are all generated: each rule passes on the figures as generated
// (and arranged) and fails once one figure is changed, naming both figures.
#include "uploads/HandMadeHospital.h"

#include "checks/Check.h"

#include "adodb/Connection.h"
#include "embedded/EmbeddedBackend.h"
#include "embedded/Store.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace {

const QString kFirst = QStringLiteral("03/01/2026");
const QString kLast = QStringLiteral("03/31/2026");
const QString kName = QStringLiteral("Hand-Made Hospital");

// Three sections of the period in the program's record of generated sections.
const char kTwoSections[] =
    "INSERT INTO Patient_Data.tbVelmoraSectionGeneration (ReportTitle, FromDate, ToDate, ReportID, GeneratedDate, "
    "UserName, PediaAge, NewbornCode, SurgeryCode, PeriodEnded, CountedTo) VALUES "
    "('II. C. Deaths', '2026-03-01', '2026-03-31', 'II.', '2999-01-01 00:00:00.000', 'records', 13, '13', '23', 1, "
    "'2026-03-31'), "
    "('II. Hospital Operations. B. Discharges', '2026-03-01', '2026-03-31', 'II.', '2999-01-01 00:00:00.000', "
    "'records', 13, '13 ', '23', 1, '2026-03-31'), "
    "('II. Hospital Operations. A.Summary of Patients in the Hospital', '2026-03-01', '2026-03-31', 'II.', "
    "'2999-01-01 00:00:00.000', 'records', 13, '13', '23 ', 1, '2026-03-31')";

class SectionRules : public ::testing::Test
{
protected:
    void SetUp() override
    {
        uploads_test::fillHandMadeHospital(m_temp.store());
        uploads_test::saveSetup(m_temp.store());
        sql(QStringLiteral("INSERT INTO Patient_Data.tbDOHSectionI (SectionID, HealthFacilityName, AuthorizedBed) "
                           "VALUES (1, 'Hand-Made Hospital', 1)"));
        uploads_test::uploadAll(m_temp.store(), kFirst, kLast);
        m_connection = m_temp.connect();
    }

    void sql(const QString &statement)
    {
        m_temp.store().writeTransaction([&] { embedded::sql::exec(m_temp.store().database(), statement); });
    }

    checks::CheckResult check() { return checks::RunCheck(*m_connection, {kFirst, kLast, kName, QDate(2026, 12, 1)}); }

    static QStringList figuresOf(const checks::CheckResult &result, const QString &rule)
    {
        QStringList figures;
        for (const checks::Finding &f : result.findings)
            if (f.rule == rule)
                figures.append(f.figures);
        return figures;
    }

    testing_support::TempStore m_temp;
    adodb::ConnectionPtr m_connection;
};

struct RuleCase
{
    const char *rule;
    QStringList arrange; // before the passing case
    QString change;      // the one figure changed for the failing case
    QString figures;     // the start of the failing case's finding
};

class EachRule : public SectionRules, public ::testing::WithParamInterface<RuleCase>
{
};

TEST_P(EachRule, PassesAsGeneratedAndFailsOnAChangedFigure)
{
    const RuleCase &c = GetParam();
    for (const QString &statement : c.arrange)
        sql(statement);
    EXPECT_EQ(figuresOf(check(), QString::fromLatin1(c.rule)), QStringList());
    sql(c.change);
    const QStringList figures = figuresOf(check(), QString::fromLatin1(c.rule));
    ASSERT_EQ(figures.size(), 1) << figures.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(figures.first().startsWith(c.figures)) << figures.first().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    HandMade, EachRule,
    ::testing::Values(
        RuleCase{"II.A-balance",
                 {},
                 QStringLiteral("UPDATE Patient_Data.tbDOHRptSectionII1 SET InpatientsAtEnd = InpatientsAtEnd + 1"),
                 QStringLiteral("II. A. inpatients at the end ")},
        RuleCase{"II.A-II.B-discharges",
                 {},
                 QStringLiteral("UPDATE Patient_Data.tbDOHRptSectionII21 SET TotalDischarges = TotalDischarges + 1, "
                                "Transferred = Transferred + 1 WHERE RowType = 'TOTAL'"),
                 QStringLiteral("II. A. discharges ")},
        RuleCase{"II.A-II.C-deaths",
                 {},
                 QStringLiteral("UPDATE Patient_Data.tbDOHRptSectionIII SET InpatientDeaths = InpatientDeaths + 1"),
                 QStringLiteral("II. A. deaths ")},
        RuleCase{"II.B-row",
                 {},
                 QStringLiteral("UPDATE Patient_Data.tbDOHRptSectionII21 SET Absconded = Absconded + 1 WHERE "
                                "RowType = 'NEWBORN'"),
                 QStringLiteral("II. B. Newborn: conditions on discharge ")},
        RuleCase{"II.B-II.C-48h",
                 {},
                 QStringLiteral("UPDATE Patient_Data.tbDOHRptSectionIII SET DeathsUnder48h = DeathsUnder48h + 1"),
                 QStringLiteral("II. B. deaths under 48 h ")},
        RuleCase{"II.A-I.3.4-service-days",
                 {},
                 QStringLiteral("UPDATE Patient_Data.tbDOHRptSectionI34 SET ServiceDays = ServiceDays + 1 WHERE "
                                "RowType = 'TOTAL'"),
                 QStringLiteral("II. A. inpatient service days ")},
        RuleCase{"I-authorized-beds",
                 {},
                 QStringLiteral("UPDATE Patient_Data.tbDOHSectionI SET AuthorizedBed = 120"),
                 QStringLiteral("Section I authorized beds 120 \u2260 the bed allocation of the BOR (II. A.) 1")},
        RuleCase{"I-facility-name",
                 {},
                 QStringLiteral("UPDATE Patient_Data.tbDOHSectionI SET HealthFacilityName = 'Hand Made General'"),
                 QStringLiteral("Section I facility name \"Hand Made General\" \u2260 report headings \"Hand-Made "
                                "Hospital\"")},
        RuleCase{"top-10-within-source",
                 {},
                 QStringLiteral("UPDATE Patient_Data.tbDOHRptSectionII3 SET Total = Total + 100 WHERE RowOrder = 1"),
                 QStringLiteral("II. B.2 ten leading causes ")},
        RuleCase{"caesareans-within-deliveries",
                 {},
                 QStringLiteral("UPDATE Patient_Data.tbDOHRptDeliveriesAndOutpatientVisits SET CaesareanDeliveries = "
                                "TotalDeliveries + 1"),
                 QStringLiteral("II. B.3 caesarean deliveries ")},
        RuleCase{"HAI-denominators",
                 {},
                 QStringLiteral("UPDATE Patient_Data.tbDOHRptHealthAssociatedInf SET Denominator = Denominator + 1 "
                                "WHERE InfectionType = 'SSI'"),
                 QStringLiteral("II. D. operations ")},
        RuleCase{"same-setup",
                 {QString::fromLatin1(kTwoSections)},
                 QStringLiteral("UPDATE Patient_Data.tbVelmoraSectionGeneration SET PediaAge = 12 WHERE ReportTitle = "
                                "'II. C. Deaths'"),
                 QStringLiteral("II. C. Deaths generated with paediatric age 12, newborn service 13, surgery service "
                                "23 \u2260 2 other section(s) with paediatric age 13")},
        RuleCase{"stale-section",
                 {QString::fromLatin1(kTwoSections)},
                 QStringLiteral("UPDATE Patient_Data.tbVelmoraSectionGeneration SET GeneratedDate = "
                                "'2001-02-03 04:05:06.000' WHERE ReportTitle = 'II. C. Deaths'"),
                 QStringLiteral("II. C. Deaths generated February 03, 2001 | 04:05:06 < a patient record of the "
                                "period changed ")}),
    [](const auto &info) {
        return QString::fromLatin1(info.param.rule)
            .remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")))
            .toStdString();
    });

// Without the program's record of generated sections (a site's server that
// has not installed it) the setup rule is named as not checked, and
// staleness falls back on the report log.
TEST_F(SectionRules, SaysWhatItCouldNotCheckAndReadsOnly)
{
    m_connection->setInterceptor([](const QString &text) {
        if (text.endsWith(QStringLiteral("FROM Patient_Data..tbVelmoraSectionGeneration")))
            throw adodb::BackendError(QStringLiteral("Invalid object name 'Patient_Data..tbVelmoraSectionGeneration'."),
                                      208);
    });
    m_connection->statementLog().clear();
    const checks::CheckResult result = check();
    QStringList sectionFindings;
    for (const checks::Finding &f : result.findings)
        if (checks::RuleById(f.rule).kind == checks::RuleKind::BetweenSections)
            sectionFindings.append(checks::FindingLine(f));
    EXPECT_EQ(sectionFindings, QStringList());
    EXPECT_TRUE(result.notes.contains(QStringLiteral(
        "same-setup not checked: the database keeps no record of the setup each section was generated with "
        "(tbVelmoraSectionGeneration); stale sections are judged by the report log.")));
    const QStringList &sent = m_connection->statementLog().statements();
    for (const QString &statement :
         {QStringLiteral("SELECT FromDate, ToDate, InpatientsAtStart, Admissions, DischargesAlive, Deaths, "
                         "InpatientsAtEnd, ServiceDays, AuthorizedBeds, BOR, Discharges FROM "
                         "Patient_Data..tbDOHRptSectionII1"),
          QStringLiteral("Patient_Data..sp_DOH_Report_Section1"),
          QStringLiteral("SELECT ReportTitle, FromDate, ToDate, GeneratedDate, PediaAge, NewbornCode, SurgeryCode "
                         "FROM Patient_Data..tbVelmoraSectionGeneration"),
          QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportLog '03/01/2026','03/31/2026'"),
          QStringLiteral("Patient_Data..sp_Velmora_Check_LatestChange '03/01/2026','03/31/2026'"),
          QStringLiteral("Patient_Data..sp_Velmora_Check_PatientRecords '03/01/2026','03/31/2026','O00-O99,Z32-Z36,"
                         "N70-N98,C51-C58,N40-N51,C60-C63,P00-P96,Z38-Z38'")})
        EXPECT_EQ(sent.count(statement), 1) << statement.toStdString();
    EXPECT_EQ(sent.filter(QStringLiteral("SELECT")).size(), 15) << "each report table read once";
}

// A site's SQL Server has none of the program's own procedures: their rules
// are named as not checked, and the rest still run.
TEST_F(SectionRules, AServerWithoutTheProceduresGetsNotesNotFailures)
{
    m_connection->setInterceptor([](const QString &text) {
        if (text.startsWith(QStringLiteral("Patient_Data..sp_Velmora_Check_")))
            throw adodb::BackendError(
                QStringLiteral("Could not find stored procedure '%1'.").arg(text.section(QLatin1Char(' '), 0, 0)),
                2812);
    });
    sql(QStringLiteral("UPDATE Patient_Data.tbDOHSectionI SET AuthorizedBed = 2"));
    const checks::CheckResult result = check();
    EXPECT_EQ(result.findings.size(), 1);
    EXPECT_TRUE(result.notes.contains(QStringLiteral(
        "The edits on patient records were not run: the database has no procedure "
        "Patient_Data..sp_Velmora_Check_PatientRecords (packaging/sqlserver/velmora-check.sql adds it).")));
    EXPECT_TRUE(result.notes.contains(QStringLiteral("stale-section not checked: the database does not tell when a "
                                                     "patient record last changed "
                                                     "(Patient_Data..sp_Velmora_Check_LatestChange).")));
}

} // namespace
