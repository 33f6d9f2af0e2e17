// Generation: the statements each checked section sends, the progress shown
// while they run, the failure reports and the closing message.
#include "BuildFileFixture.h"

#include "com/ComError.h"
#include "embedded/DemoHospital.h"
#include "embedded/Store.h"
#include "forms/MousePointer.h"
#include "startup/modSysConstants.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlQuery>

using namespace buildfile_tests;
using testing_support::SentExactly;

namespace {

const QString kSaved = QStringLiteral("Summarized Monthly Data was saved.");

QString LogStatement(const QString &id, const QString &from, const QString &to)
{
    return QStringLiteral("Patient_Data..sp_DOH_Update_tbMedNewDOHReportLog '%1','%2','%3'").arg(id, from, to);
}

QString LogQuery(const QString &from, const QString &to)
{
    return QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportLog '%1','%2'").arg(from, to);
}

struct StatementCase
{
    const char *name;
    const char *year;
    const char *period;
    QStringList checked;
    bool allowERCases;
    bool allowConsultation;
    QStringList expected; // empty: nothing is sent and no message shown
};

class GenerationStatements : public BuildFileFixture, public ::testing::WithParamInterface<StatementCase>
{
};

class GenerationTest : public BuildFileFixture
{
};

} // namespace

TEST_P(GenerationStatements, SendsExactlyTheseStatements)
{
    const StatementCase &c = GetParam();
    modSysConstants::IsAllowERCases = c.allowERCases;
    modSysConstants::IsAllowConsultationCauses = c.allowConsultation;
    Open();
    Choose(QString::fromLatin1(c.year), QString::fromLatin1(c.period));
    for (const QString &title : c.checked)
        Check(title);
    m_connection->statementLog().clear();
    m_box->clear();
    m_form->GenerateMonthlyData();
    EXPECT_TRUE(SentExactly(m_connection, c.expected));
    EXPECT_EQ(m_box->prompts(), c.expected.isEmpty() ? QStringList() : QStringList{kSaved});
}

INSTANTIATE_TEST_SUITE_P(
    Sections, GenerationStatements,
    ::testing::Values(
        StatementCase{"MarchSurgical", "2026", "March", {kSurgical}, false, false,
                      {LogStatement(QStringLiteral("II."), QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")),
                       QStringLiteral("Patient_Data..sp_DOH_Upload_SurgicalProcedure '03/01/2026','03/31/2026'"),
                       LogQuery(QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026"))}},
        StatementCase{"GeneralInformationOnlyLogs", "2026", "March", {kGeneralInfo}, false, false,
                      {LogStatement(QStringLiteral("I."), QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")),
                       LogQuery(QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026"))}},
        StatementCase{"TwoSectionsOfOneReportId", "2026", "April", {kDeaths, kDischarges}, false, false,
                      {LogStatement(QStringLiteral("II."), QStringLiteral("04/01/2026"), QStringLiteral("04/30/2026")),
                       QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII21 '04/01/2026','04/30/2026'"),
                       LogStatement(QStringLiteral("II."), QStringLiteral("04/01/2026"), QStringLiteral("04/30/2026")),
                       QStringLiteral("Patient_Data..sp_DOH_Upload_SectionIII '04/01/2026','04/30/2026'"),
                       LogQuery(QStringLiteral("04/01/2026"), QStringLiteral("04/30/2026"))}},
        StatementCase{"OldEmergencyCasesYearlyTakesTheOption", "2025", "Yearly", {kERCasesOld}, true, false,
                      {LogStatement(QStringLiteral("II.9.3"), QStringLiteral("01/01/2025"), QStringLiteral("12/31/2025")),
                       QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII103 '01/01/2025','12/31/2025',2"),
                       LogQuery(QStringLiteral("01/01/2025"), QStringLiteral("12/31/2025"))}},
        StatementCase{"OldConsultationCausesTakesTheOption", "2024", "First Quarter", {kConsultationOld}, false, true,
                      {LogStatement(QStringLiteral("III.11.4"), QStringLiteral("01/01/2024"), QStringLiteral("03/31/2024")),
                       QStringLiteral("Patient_Data..sp_DOH_Upload_SectionIII114 '01/01/2024','03/31/2024',2"),
                       LogQuery(QStringLiteral("01/01/2024"), QStringLiteral("03/31/2024"))}},
        StatementCase{"SecondSemiAnnual", "2025", "Second SemiAnnual", {kInfections}, false, false,
                      {LogStatement(QStringLiteral("II."), QStringLiteral("07/01/2025"), QStringLiteral("12/31/2025")),
                       QStringLiteral("Patient_Data..sp_DOH_Upload_HealthAssociatedInf '07/01/2025','12/31/2025'"),
                       LogQuery(QStringLiteral("07/01/2025"), QStringLiteral("12/31/2025"))}},
        StatementCase{"NothingChecked", "2026", "March", {}, false, false, {}}),
    [](const ::testing::TestParamInfo<StatementCase> &info) { return std::string(info.param.name); });

TEST_F(GenerationTest, SuccessfulRunRefreshesUnmarksAndSaysSaved)
{
    Open();
    Check(kSurgical);
    Check(kGeneralInfo);
    m_form->GenerateMonthlyData();
    ASSERT_EQ(m_box->shown().size(), 1);
    EXPECT_EQ(m_box->shown().at(0).prompt, kSaved);
    EXPECT_EQ(m_box->shown().at(0).icon(), forms::vbInformation);
    EXPECT_EQ(m_box->shown().at(0).title, QStringLiteral("Notification"));

    const QRegularExpression stamp(QStringLiteral("^[A-Z][a-z]+ \\d\\d, \\d{4} \\| \\d\\d:\\d\\d:\\d\\d$"));
    const QString surgicalTime = Row(kSurgical)->text(1);
    EXPECT_TRUE(stamp.match(surgicalTime).hasMatch()) << surgicalTime.toStdString();
    EXPECT_TRUE(stamp.match(Row(kGeneralInfo)->text(1)).hasMatch());
    // Every "II." row shares the one log entry.
    EXPECT_EQ(Row(kDischarges)->text(1), surgicalTime);
    EXPECT_EQ(Row(kDeaths)->text(1), surgicalTime);
    for (const QString &title : Titles()) {
        EXPECT_FALSE(Checked(title));
        EXPECT_EQ(Mark(title), QStringLiteral("0"));
        EXPECT_FALSE(PaintedMarked(title));
    }
    EXPECT_FALSE(m_form->pbMain->isVisibleTo(m_form.get()));
    EXPECT_FALSE(m_form->lblProgress->isVisibleTo(m_form.get()));
    EXPECT_TRUE(m_form->chkAll->isEnabled());
    EXPECT_TRUE(m_form->chkAll->isVisibleTo(m_form.get()));
    EXPECT_EQ(forms::GetMousePointer(m_form.get()), forms::MousePointer::Default);
}

TEST_F(GenerationTest, ProgressShowsEachSectionWhileItsUploadRuns)
{
    Open();
    Check(kDischarges);
    Check(kSurgical);
    Check(kGeneralInfo);
    struct Seen
    {
        QString statement;
        int value, maximum;
        bool barVisible, labelVisible, selectAllEnabled;
        QString label;
        forms::MousePointer pointer;
    };
    QList<Seen> seen;
    m_connection->setInterceptor([&](const QString &text) {
        seen.append({text, m_form->pbMain->value(), m_form->pbMain->maximum(),
                     m_form->pbMain->isVisibleTo(m_form.get()), m_form->lblProgress->isVisibleTo(m_form.get()),
                     m_form->chkAll->isEnabled(), m_form->lblProgress->text(), forms::GetMousePointer(m_form.get())});
    });
    m_form->GenerateMonthlyData();
    ASSERT_EQ(seen.size(), 6); // three logs, two uploads, the refresh
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(seen[i].maximum, 4);
        EXPECT_TRUE(seen[i].barVisible);
        EXPECT_TRUE(seen[i].labelVisible);
        EXPECT_FALSE(seen[i].selectAllEnabled);
        EXPECT_EQ(seen[i].pointer, forms::MousePointer::Hourglass);
    }
    // Log first, at the section's start; its upload with the bar full and the label naming it.
    EXPECT_TRUE(seen[0].statement.contains(QStringLiteral("ReportLog 'I.'")));
    EXPECT_EQ(seen[0].value, 1);
    EXPECT_EQ(seen[0].label, QString());
    EXPECT_TRUE(seen[1].statement.contains(QStringLiteral("ReportLog 'II.'")));
    EXPECT_EQ(seen[1].value, 1);
    EXPECT_TRUE(seen[2].statement.contains(QStringLiteral("SectionII21")));
    EXPECT_EQ(seen[2].value, 4);
    EXPECT_EQ(seen[2].label, QStringLiteral("Processing II. Hospital Operations. B. Discharges..."));
    EXPECT_EQ(seen[3].value, 1);
    EXPECT_TRUE(seen[4].statement.contains(QStringLiteral("SurgicalProcedure")));
    EXPECT_EQ(seen[4].value, 4);
    EXPECT_EQ(seen[4].label, QStringLiteral("Processing II. E. Surgical Operations..."));
    EXPECT_FALSE(seen[5].barVisible);
}

TEST_F(GenerationTest, FailingUploadIsReportedAndTheRunGoesOn)
{
    Open();
    Check(kDischarges);
    Check(kSurgical);
    m_connection->setInterceptor([](const QString &text) {
        if (text.startsWith(QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII21")))
            throw com::ComError(50000, QStringLiteral("Discharge summary failed"));
    });
    m_form->GenerateMonthlyData();
    EXPECT_TRUE(SentExactly(
        m_connection,
        {LogStatement(QStringLiteral("II."), QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")),
         QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII21 '03/01/2026','03/31/2026'"),
         LogStatement(QStringLiteral("II."), QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")),
         QStringLiteral("Patient_Data..sp_DOH_Upload_SurgicalProcedure '03/01/2026','03/31/2026'"),
         LogQuery(QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026"))}));
    ASSERT_EQ(m_box->shown().size(), 2);
    EXPECT_EQ(m_box->shown().at(0).prompt,
              QStringLiteral("Discharge summary failed\r\nin prjVelmora.frmNewDOHBuildFile.GenerateMonthlyData at line 274"));
    EXPECT_EQ(m_box->shown().at(0).title, QStringLiteral("Application Error"));
    EXPECT_EQ(m_box->shown().at(0).icon(), forms::vbExclamation);
    EXPECT_EQ(m_box->shown().at(1).prompt,
              QStringLiteral("Summarized Monthly Data was not completely saved.\r\nThe upload failed for:\r\n"
                             "II. Hospital Operations. B. Discharges"));
    EXPECT_EQ(m_box->shown().at(1).title, QStringLiteral("Notification"));
    EXPECT_EQ(m_box->shown().at(1).icon(), forms::vbExclamation);
    // The log entry written before the failed upload stays: the row shows as generated.
    EXPECT_FALSE(Row(kDischarges)->text(1).isEmpty());
    EXPECT_FALSE(Checked(kDischarges));
    EXPECT_TRUE(m_form->chkAll->isEnabled());
}

TEST_F(GenerationTest, FailingOptionUploadNamesLine270)
{
    modSysConstants::IsAllowERCases = true;
    Open();
    Check(kERCasesOld);
    Check(kSurgical);
    m_connection->setInterceptor([](const QString &text) {
        if (text.contains(QStringLiteral("SectionII103")) || text.contains(QStringLiteral("SurgicalProcedure")))
            throw com::ComError(50000, QStringLiteral("No data"));
    });
    m_form->GenerateMonthlyData();
    ASSERT_EQ(m_box->shown().size(), 3);
    EXPECT_TRUE(m_box->shown().at(0).prompt.endsWith(QStringLiteral("at line 274"))); // Surgical comes first in the list
    EXPECT_TRUE(m_box->shown().at(1).prompt.endsWith(QStringLiteral("at line 270")));
    EXPECT_EQ(m_box->shown().at(2).prompt,
              QStringLiteral("Summarized Monthly Data was not completely saved.\r\nThe upload failed for:\r\n"
                             "II. E. Surgical Operations\r\nII.9.3 10 Leading Causes of Emergency Cases(OLD)"));
}

TEST_F(GenerationTest, FailingLogStillRunsTheUpload)
{
    Open();
    Check(kSurgical);
    m_connection->setInterceptor([](const QString &text) {
        if (text.contains(QStringLiteral("sp_DOH_Update_tbMedNewDOHReportLog")))
            throw com::ComError(50000, QStringLiteral("Log is locked"));
    });
    m_form->GenerateMonthlyData();
    const QStringList sent = m_connection->statementLog().statements();
    ASSERT_EQ(sent.size(), 3);
    EXPECT_EQ(sent[1], QStringLiteral("Patient_Data..sp_DOH_Upload_SurgicalProcedure '03/01/2026','03/31/2026'"));
    ASSERT_EQ(m_box->shown().size(), 2);
    EXPECT_EQ(m_box->shown().at(0).prompt,
              QStringLiteral("Log is locked\r\nin prjVelmora.frmNewDOHBuildFile.GenerateMonthlyData at line 144"));
    EXPECT_EQ(m_box->shown().at(1).prompt,
              QStringLiteral("Summarized Monthly Data was not completely saved.\r\nThe report log was not updated "
                             "for:\r\nII. E. Surgical Operations"));
}

TEST_F(GenerationTest, FailingRefreshIsReportedAndTheDataStillCountsAsSaved)
{
    Open();
    Check(kSurgical);
    m_connection->setInterceptor([](const QString &text) {
        if (text.contains(QStringLiteral("sp_DOH_Search_tbMedNewDOHReportLog")))
            throw com::ComError(50000, QStringLiteral("Timeout"));
    });
    m_form->GenerateMonthlyData();
    ASSERT_EQ(m_box->shown().size(), 2);
    EXPECT_EQ(m_box->shown().at(0).prompt,
              QStringLiteral("Timeout\r\nin prjVelmora.frmNewDOHBuildFile.GenerateMonthlyData at line 286"));
    EXPECT_EQ(m_box->shown().at(1).prompt, kSaved);
    EXPECT_TRUE(m_form->chkAll->isEnabled());
}

TEST_F(GenerationTest, MissingProcedureIsTheDatabasesMessage)
{
    Open();
    Check(kSurgical);
    m_connection->setInterceptor([](const QString &text) {
        if (text.contains(QStringLiteral("SurgicalProcedure")))
            throw com::ComError(2812, QStringLiteral("Could not find stored procedure 'sp_DOH_Upload_SurgicalProcedure'."));
    });
    m_form->GenerateMonthlyData();
    ASSERT_EQ(m_box->shown().size(), 2);
    EXPECT_TRUE(m_box->shown().at(0).prompt.startsWith(QStringLiteral("Could not find stored procedure")));
    EXPECT_NE(m_box->shown().at(1).prompt, kSaved);
}

TEST_F(GenerationTest, GenerateButtonRunsGeneration)
{
    Open();
    Check(kGeneralInfo);
    m_form->cmdGenerate->click();
    EXPECT_EQ(m_connection->statementLog().statements().value(0),
              LogStatement(QStringLiteral("I."), QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")));
    EXPECT_EQ(m_box->prompts(), QStringList{kSaved});
}

// The whole road on a demo hospital: generation fills the report tables and
// the report log, read back from the store.
TEST_F(GenerationTest, DemoHospitalGenerationFillsTheReportTables)
{
    embedded::DemoHospital::Options options;
    options.seed = 42;
    options.referenceDate = QDate(2026, 12, 1);
    embedded::DemoHospital::fill(m_store.store(), options);
    m_connection = m_store.connect(); // the real upload procedures
    Open(QDate(2026, 12, 1));
    Choose(QStringLiteral("2026"), QStringLiteral("October"));
    m_form->chkAll->setChecked(true);
    m_form->GenerateMonthlyData();
    ASSERT_EQ(m_box->prompts(), QStringList{kSaved});

    const QSqlDatabase db = m_store.store().database();
    QSqlQuery log = embedded::sql::exec(db, QStringLiteral("SELECT ReportID FROM Patient_Data.tbMedNewDOHReportLog "
                                                           "WHERE FromDate = '2026-10-01' AND ToDate = '2026-10-31' "
                                                           "ORDER BY ReportID"));
    QStringList ids;
    while (log.next())
        ids.append(log.value(0).toString());
    EXPECT_EQ(ids, (QStringList{QStringLiteral("I."), QStringLiteral("II.")}));

    QSqlQuery census = embedded::sql::exec(db, QStringLiteral("SELECT Admissions, Discharges FROM "
                                                              "Patient_Data.tbDOHRptSectionII1 WHERE FromDate = "
                                                              "'2026-10-01' AND ToDate = '2026-10-31'"));
    ASSERT_TRUE(census.next());
    EXPECT_GT(census.value(0).toInt(), 0);
    EXPECT_GT(census.value(1).toInt(), 0);
    QSqlQuery surgery = embedded::sql::exec(db, QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbDOHRptSurgicalProcedure "
                                                               "WHERE FromDate = '2026-10-01'"));
    ASSERT_TRUE(surgery.next());
    EXPECT_GT(surgery.value(0).toInt(), 0);
    EXPECT_FALSE(Row(kSurgical)->text(1).isEmpty());
}
