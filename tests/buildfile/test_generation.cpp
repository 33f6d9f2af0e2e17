// Generation: the statements each checked section sends, the progress shown
// while they run, the failure reports and the closing message.
#include "BuildFileFixture.h"

#include "com/ComError.h"
#include "embedded/DemoHospital.h"
#include "embedded/Store.h"
#include "forms/MousePointer.h"
#include "setup/frmDOHSetup.h"
#include "startup/modSysConstants.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTimer>

using namespace buildfile_tests;
using testing_support::SentExactly;

namespace {

const QString kSaved = QStringLiteral("Summarized Monthly Data was saved.");
// Generation first makes sure the uploads have their report setup.
const QString kSetupQuery = QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportSetup");

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
    const bool needsSetup = !c.expected.isEmpty() && c.checked != QStringList{kGeneralInfo};
    const QString records = kRecordQuery.arg(m_form->GetPeriodStartDate(), m_form->GetPeriodEndDate());
    EXPECT_TRUE(SentExactly(m_connection, (needsSetup ? QStringList{kSetupQuery} : QStringList()) + c.expected +
                                              (c.expected.isEmpty() ? QStringList() : QStringList{records})));
    EXPECT_EQ(m_box->prompts(), c.expected.isEmpty() ? QStringList() : QStringList{kSaved});
}

INSTANTIATE_TEST_SUITE_P(
    Sections, GenerationStatements,
    ::testing::Values(
        StatementCase{"MarchSurgical",
                      "2026",
                      "March",
                      {kSurgical},
                      false,
                      false,
                      {LogStatement(QStringLiteral("II."), QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")),
                       QStringLiteral("Patient_Data..sp_DOH_Upload_SurgicalProcedure '03/01/2026','03/31/2026'"),
                       kRecordStatement.arg(kSurgical, QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")),
                       LogQuery(QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026"))}},
        StatementCase{"GeneralInformationOnlyLogs",
                      "2026",
                      "March",
                      {kGeneralInfo},
                      false,
                      false,
                      {LogStatement(QStringLiteral("I."), QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")),
                       kRecordStatement.arg(kGeneralInfo, QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")),
                       LogQuery(QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026"))}},
        StatementCase{"TwoSectionsOfOneReportId",
                      "2025",
                      "April",
                      {kDeaths, kDischarges},
                      false,
                      false,
                      {LogStatement(QStringLiteral("II."), QStringLiteral("04/01/2025"), QStringLiteral("04/30/2025")),
                       QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII21 '04/01/2025','04/30/2025'"),
                       kRecordStatement.arg(kDischarges, QStringLiteral("04/01/2025"), QStringLiteral("04/30/2025")),
                       LogStatement(QStringLiteral("II."), QStringLiteral("04/01/2025"), QStringLiteral("04/30/2025")),
                       QStringLiteral("Patient_Data..sp_DOH_Upload_SectionIII '04/01/2025','04/30/2025'"),
                       kRecordStatement.arg(kDeaths, QStringLiteral("04/01/2025"), QStringLiteral("04/30/2025")),
                       LogQuery(QStringLiteral("04/01/2025"), QStringLiteral("04/30/2025"))}},
        StatementCase{
            "OldEmergencyCasesYearlyTakesTheOption",
            "2025",
            "Yearly",
            {kERCasesOld},
            true,
            false,
            {LogStatement(QStringLiteral("II.9.3"), QStringLiteral("01/01/2025"), QStringLiteral("12/31/2025")),
             QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII103 '01/01/2025','12/31/2025',2"),
             kRecordStatement.arg(kERCasesOld, QStringLiteral("01/01/2025"), QStringLiteral("12/31/2025")),
             LogQuery(QStringLiteral("01/01/2025"), QStringLiteral("12/31/2025"))}},
        StatementCase{
            "OldConsultationCausesTakesTheOption",
            "2024",
            "First Quarter",
            {kConsultationOld},
            false,
            true,
            {LogStatement(QStringLiteral("III.11.4"), QStringLiteral("01/01/2024"), QStringLiteral("03/31/2024")),
             QStringLiteral("Patient_Data..sp_DOH_Upload_SectionIII114 '01/01/2024','03/31/2024',2"),
             kRecordStatement.arg(kConsultationOld, QStringLiteral("01/01/2024"), QStringLiteral("03/31/2024")),
             LogQuery(QStringLiteral("01/01/2024"), QStringLiteral("03/31/2024"))}},
        StatementCase{"SecondSemiAnnual",
                      "2025",
                      "Second SemiAnnual",
                      {kInfections},
                      false,
                      false,
                      {LogStatement(QStringLiteral("II."), QStringLiteral("07/01/2025"), QStringLiteral("12/31/2025")),
                       QStringLiteral("Patient_Data..sp_DOH_Upload_HealthAssociatedInf '07/01/2025','12/31/2025'"),
                       kRecordStatement.arg(kInfections, QStringLiteral("07/01/2025"), QStringLiteral("12/31/2025")),
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
    // The other "II." rows share the log entry, but not the section's record.
    EXPECT_EQ(Row(kDischarges)->text(1), QString());
    EXPECT_EQ(Row(kDeaths)->text(1), QString());
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
    // The setup query, three logs, two uploads, three records, the refresh.
    ASSERT_EQ(seen.size(), 11);
    EXPECT_EQ(seen[0].statement, kSetupQuery);
    for (int i = 1; i < 9; ++i) {
        EXPECT_EQ(seen[i].maximum, 4);
        EXPECT_TRUE(seen[i].barVisible);
        EXPECT_TRUE(seen[i].labelVisible);
        EXPECT_FALSE(seen[i].selectAllEnabled);
        EXPECT_EQ(seen[i].pointer, forms::MousePointer::Hourglass);
    }
    // Log first, at the section's start; its upload with the bar full and the label naming it.
    EXPECT_TRUE(seen[1].statement.contains(QStringLiteral("ReportLog 'I.'")));
    EXPECT_EQ(seen[1].value, 1);
    EXPECT_EQ(seen[1].label, QString());
    EXPECT_TRUE(seen[3].statement.contains(QStringLiteral("ReportLog 'II.'")));
    EXPECT_EQ(seen[3].value, 1);
    EXPECT_TRUE(seen[4].statement.contains(QStringLiteral("SectionII21")));
    EXPECT_EQ(seen[4].value, 4);
    EXPECT_EQ(seen[4].label, QStringLiteral("Processing II. Hospital Operations. B. Discharges..."));
    EXPECT_EQ(seen[6].value, 1);
    EXPECT_TRUE(seen[7].statement.contains(QStringLiteral("SurgicalProcedure")));
    EXPECT_EQ(seen[7].value, 4);
    EXPECT_EQ(seen[7].label, QStringLiteral("Processing II. E. Surgical Operations..."));
    EXPECT_FALSE(seen[9].barVisible);
}

namespace {

struct FailedUploadCase
{
    const char *name;
    const char *earlierTime; // the log entry of an earlier run; nullptr: none
    const char *shown;       // the "Last Updated" column afterwards
};

class FailedUpload : public BuildFileFixture, public ::testing::WithParamInterface<FailedUploadCase>
{
protected:
    // The report log's stored times for March 2026, by report ID.
    QMap<QString, QString> LoggedTimes()
    {
        QSqlQuery q = embedded::sql::exec(m_store.store().database(),
                                          QStringLiteral("SELECT ReportID, LastUpdatedDate FROM "
                                                         "Patient_Data.tbMedNewDOHReportLog WHERE FromDate = "
                                                         "'2026-03-01' AND ToDate = '2026-03-31'"));
        QMap<QString, QString> times;
        while (q.next())
            times.insert(q.value(0).toString(), q.value(1).toString());
        return times;
    }
};

} // namespace

// The failed section's log entry goes back with its upload; the sections
// around it are generated and logged, and the statements are those of a run
// without the failure.
TEST_P(FailedUpload, LeavesItsLogEntryAsItWasAndTheOthersAreGenerated)
{
    const FailedUploadCase &c = GetParam();
    if (c.earlierTime)
        embedded::sql::exec(m_store.store().database(),
                            QStringLiteral("INSERT INTO Patient_Data.tbMedNewDOHReportLog VALUES ('II.9.3', "
                                           "'2026-03-01', '2026-03-31', ?)"),
                            {QString::fromLatin1(c.earlierTime)});
    modSysConstants::IsAllowERCases = true;
    Open();
    Check(kGeneralInfo);
    Check(kSurgical);
    Check(kERCasesOld);
    m_connection->setInterceptor([](const QString &text) {
        if (text.startsWith(QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII103")))
            throw com::ComError(50000, QStringLiteral("Emergency summary failed"));
    });
    m_form->GenerateMonthlyData();

    EXPECT_TRUE(SentExactly(
        m_connection,
        {kSetupQuery, LogStatement(QStringLiteral("I."), QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")),
         kRecordStatement.arg(kGeneralInfo, QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")),
         LogStatement(QStringLiteral("II."), QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")),
         QStringLiteral("Patient_Data..sp_DOH_Upload_SurgicalProcedure '03/01/2026','03/31/2026'"),
         kRecordStatement.arg(kSurgical, QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")),
         LogStatement(QStringLiteral("II.9.3"), QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")),
         QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII103 '03/01/2026','03/31/2026',2"),
         LogQuery(QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")),
         kRecordQuery.arg(QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026"))}));
    ASSERT_EQ(m_box->shown().size(), 2);
    EXPECT_EQ(
        m_box->shown().at(0).prompt,
        QStringLiteral("Emergency summary failed\r\nin prjVelmora.frmNewDOHBuildFile.GenerateMonthlyData at line 270"));
    EXPECT_EQ(m_box->shown().at(0).title, QStringLiteral("Application Error"));
    EXPECT_EQ(m_box->shown().at(1).prompt,
              QStringLiteral("Summarized Monthly Data was not completely saved.\r\nThe upload failed for:\r\n") +
                  kERCasesOld);
    EXPECT_EQ(m_box->shown().at(1).title, QStringLiteral("Notification"));
    EXPECT_EQ(m_box->shown().at(1).icon(), forms::vbExclamation);

    const QMap<QString, QString> logged = LoggedTimes();
    EXPECT_EQ(logged.keys(), c.earlierTime
                                 ? (QStringList{QStringLiteral("I."), QStringLiteral("II."), QStringLiteral("II.9.3")})
                                 : (QStringList{QStringLiteral("I."), QStringLiteral("II.")}));
    if (c.earlierTime)
        EXPECT_EQ(logged.value(QStringLiteral("II.9.3")), QString::fromLatin1(c.earlierTime));
    EXPECT_EQ(Row(kERCasesOld)->text(1), QString::fromLatin1(c.shown));
    EXPECT_FALSE(Row(kSurgical)->text(1).isEmpty());
    EXPECT_FALSE(Checked(kERCasesOld));
    EXPECT_TRUE(m_form->chkAll->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(EarlierRuns, FailedUpload,
                         ::testing::Values(FailedUploadCase{"NeverGeneratedBefore", nullptr, ""},
                                           FailedUploadCase{"GeneratedBefore", "2026-03-02 08:15:30.000",
                                                            "March 02, 2026 | 08:15:30"}),
                         [](const auto &info) { return std::string(info.param.name); });

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
    EXPECT_TRUE(
        m_box->shown().at(0).prompt.endsWith(QStringLiteral("at line 274"))); // Surgical comes first in the list
    EXPECT_TRUE(m_box->shown().at(1).prompt.endsWith(QStringLiteral("at line 270")));
    EXPECT_EQ(m_box->shown().at(2).prompt,
              QStringLiteral("Summarized Monthly Data was not completely saved.\r\nThe upload failed for:\r\n"
                             "II. E. Surgical Operations\r\nII.9.3 10 Leading Causes of Emergency Cases(OLD)"));
}

TEST_F(GenerationTest, FailingLogSendsNoUpload)
{
    Open();
    Check(kSurgical);
    m_connection->setInterceptor([](const QString &text) {
        if (text.contains(QStringLiteral("sp_DOH_Update_tbMedNewDOHReportLog")))
            throw com::ComError(50000, QStringLiteral("Log is locked"));
    });
    m_form->GenerateMonthlyData();
    const QStringList sent = m_connection->statementLog().statements();
    // The section cannot commit: neither its upload nor its record is sent.
    EXPECT_EQ(sent.size(), 4);
    EXPECT_TRUE(sent.filter(QStringLiteral("sp_DOH_Upload_")).isEmpty());
    EXPECT_TRUE(sent.filter(QStringLiteral("sp_Velmora_Save_SectionGeneration")).isEmpty());
    ASSERT_EQ(m_box->shown().size(), 2);
    EXPECT_EQ(m_box->shown().at(0).prompt,
              QStringLiteral("Log is locked\r\nin prjVelmora.frmNewDOHBuildFile.GenerateMonthlyData at line 144"));
    EXPECT_EQ(m_box->shown().at(1).prompt,
              QStringLiteral("Summarized Monthly Data was not completely saved.\r\nThe report log was not updated "
                             "for:\r\nII. E. Surgical Operations"));
    // A transaction that cannot begin keeps nothing: named under the upload's heading.
    m_connection->setInterceptor({});
    m_box->clear();
    Check(kSurgical);
    m_connection->BeginTrans();
    m_form->GenerateMonthlyData();
    EXPECT_EQ(m_box->prompts().value(1), QStringLiteral("Summarized Monthly Data was not completely saved.\r\nThe "
                                                        "upload failed for:\r\n") +
                                             kSurgical);
}

namespace {

struct BoxWhileLockedCase
{
    const char *name;
    const char *failing; // the start of the statement that fails
    const char *line;
};

class FailureBoxes : public BuildFileFixture, public ::testing::WithParamInterface<BoxWhileLockedCase>
{
};

// Whether another program of the store could begin writing at once.
bool AnotherProgramCanWrite(const QString &folder)
{
    bool can = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other-program"));
        db.setDatabaseName(folder + QStringLiteral("/Patient_Data.sqlite"));
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=0"));
        QSqlQuery q(db);
        can = db.open() && q.exec(QStringLiteral("BEGIN IMMEDIATE"));
        q.exec(QStringLiteral("ROLLBACK"));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("other-program"));
    return can;
}

} // namespace

// A box waits for the user: the failed section's transaction has ended by
// then, so that the store's other programs are not kept waiting on the box.
TEST_P(FailureBoxes, ComeOnceTheSectionsTransactionHasEnded)
{
    const BoxWhileLockedCase &c = GetParam();
    Open();
    Check(kSurgical);
    m_connection->setInterceptor([&](const QString &text) {
        if (text.startsWith(QLatin1String(c.failing)))
            throw com::ComError(50000, QStringLiteral("Failed"));
    });
    struct Recorder : forms::MessageBoxService
    {
        QString folder;
        QList<std::pair<QString, bool>> shown;
        forms::MsgBoxResult show(const forms::MessageBoxRequest &request) override
        {
            shown.append({request.prompt, AnotherProgramCanWrite(folder)});
            return forms::vbOK;
        }
    };
    auto recorder = std::make_shared<Recorder>();
    recorder->folder = m_store.folder();
    const auto previous = forms::setMessageBoxService(recorder);
    m_form->GenerateMonthlyData();
    forms::setMessageBoxService(previous);

    ASSERT_EQ(recorder->shown.size(), 2);
    EXPECT_TRUE(recorder->shown[0].first.endsWith(QLatin1String(c.line)));
    for (const auto &[prompt, canWrite] : recorder->shown)
        EXPECT_TRUE(canWrite) << prompt.toStdString();
    EXPECT_FALSE(m_connection->inTransaction());
}

INSTANTIATE_TEST_SUITE_P(
    FailingStep, FailureBoxes,
    ::testing::Values(BoxWhileLockedCase{"Log", "Patient_Data..sp_DOH_Update_tbMedNewDOHReportLog", "at line 144"},
                      BoxWhileLockedCase{"Upload", "Patient_Data..sp_DOH_Upload_SurgicalProcedure", "at line 274"}),
    [](const auto &info) { return std::string(info.param.name); });

// A failure in one of the window's own steps leaves the section out too,
// and the closing message names it.
TEST_F(GenerationTest, FailingWindowStepNamesTheSection)
{
    Open();
    m_form->cboMonth->setCurrentIndex(-1); // no period: its dates cannot be worked out
    Check(kGeneralInfo);
    m_box->clear();
    m_form->GenerateMonthlyData();
    ASSERT_GE(m_box->shown().size(), 2);
    EXPECT_EQ(m_box->shown().at(0).prompt,
              QStringLiteral("Invalid procedure call or argument\r\nin prjVelmora.frmNewDOHBuildFile."
                             "GenerateMonthlyData at line 134"));
    EXPECT_EQ(m_box->shown().constLast().prompt,
              QStringLiteral("Summarized Monthly Data was not completely saved.\r\nThe report log was not updated "
                             "for:\r\nI. Hospital General Information"));
    QSqlQuery log = embedded::sql::exec(m_store.store().database(),
                                        QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbMedNewDOHReportLog"));
    ASSERT_TRUE(log.next());
    EXPECT_EQ(log.value(0).toInt(), 0);
}

namespace {

struct NoSetupCase
{
    const char *name;
    bool saveInTheDialog;
    QStringList prompts;
};

class NoReportSetup : public BuildFileFixture, public ::testing::WithParamInterface<NoSetupCase>
{
};

} // namespace

// Without a report setup the user is told once and sent to the setup
// dialog; only a setup saved there lets generation go on.
TEST_P(NoReportSetup, AsksForTheSetupOnceThenGeneratesOnlyWithIt)
{
    const NoSetupCase &c = GetParam();
    Open();
    embedded::sql::exec(m_store.store().database(), QStringLiteral("DELETE FROM Patient_Data.tbMedNewDOHReportSetup"));
    m_form->chkAll->setChecked(true);
    m_box->clear();
    int dialogs = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto *setup = qobject_cast<frmDOHSetup *>(QApplication::activeModalWidget())) {
            ++dialogs;
            if (c.saveInTheDialog)
                setup->cmdSave->click();
            else
                setup->reject();
        }
    });
    poll.start(10);
    m_form->GenerateMonthlyData();
    poll.stop();

    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(m_box->prompts(), c.prompts);
    ASSERT_FALSE(m_box->shown().isEmpty());
    EXPECT_EQ(m_box->shown().at(0).title, QStringLiteral("Notification"));
    const QStringList logUpdates =
        m_connection->statementLog().statements().filter(QStringLiteral("sp_DOH_Update_tbMedNewDOHReportLog"));
    EXPECT_EQ(logUpdates.size(), c.saveInTheDialog ? Titles().size() : 0);
    EXPECT_EQ(Row(kSurgical)->text(1).isEmpty(), !c.saveInTheDialog);
    EXPECT_TRUE(m_form->chkAll->isEnabled());
    EXPECT_EQ(forms::GetMousePointer(m_form.get()), forms::MousePointer::Default);
}

INSTANTIATE_TEST_SUITE_P(
    SetupDialog, NoReportSetup,
    ::testing::Values(
        NoSetupCase{"Declined", false, {QStringLiteral("The DOH report setup must be saved before generating.")}},
        NoSetupCase{"Saved",
                    true,
                    {QStringLiteral("The DOH report setup must be saved before generating."),
                     QStringLiteral("Setting was updated."), kSaved}}),
    [](const auto &info) { return std::string(info.param.name); });

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
            throw com::ComError(2812,
                                QStringLiteral("Could not find stored procedure 'sp_DOH_Upload_SurgicalProcedure'."));
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
    EXPECT_EQ(m_connection->statementLog().statements().value(0), // no setup needed
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
    QSqlQuery surgery =
        embedded::sql::exec(db, QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbDOHRptSurgicalProcedure "
                                               "WHERE FromDate = '2026-10-01'"));
    ASSERT_TRUE(surgery.next());
    EXPECT_GT(surgery.value(0).toInt(), 0);
    EXPECT_FALSE(Row(kSurgical)->text(1).isEmpty());
}
