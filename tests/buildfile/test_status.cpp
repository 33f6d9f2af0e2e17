// Opening the build-file window and the "Last Updated" column.
#include "BuildFileFixture.h"

#include "com/ComError.h"
#include "embedded/Store.h"
#include "setup/frmDOHSetup.h"
#include "startup/modSysConstants.h"

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

using namespace buildfile_tests;
using testing_support::SentExactly;

namespace {

const QStringList kDefaultRows = {
    QStringLiteral("I. Hospital General Information"),
    QStringLiteral("II. Hospital Operations. A.Summary of Patients in the Hospital"),
    QStringLiteral("II. Hospital Operations. B. Discharges"),
    QStringLiteral("II. B.1. Average Length of Stay (ALOS)"),
    QStringLiteral("II. B.2. Top 10 Leading Causes of Morbidity"),
    QStringLiteral("II. B.3 Total Number of Deliveries and B.4 Outpatient Visits"),
    QStringLiteral("II. B.4 Emergency Visits, Testing, Other Services and Diseases Seen"),
    QStringLiteral("II. C. Deaths"),
    QStringLiteral("II. C. Deaths 3.Top 10 Leading Causes of Mortality"),
    QStringLiteral("II. D. Health Associated Infections"),
    QStringLiteral("II. E. Surgical Operations"),
};

void InsertLog(embedded::Store &store, const QString &reportId, const QString &from, const QString &to,
               const QString &updated)
{
    embedded::sql::exec(
        store.database(),
        QStringLiteral("INSERT OR REPLACE INTO Patient_Data.tbMedNewDOHReportLog (ReportID, FromDate, ToDate, "
                       "LastUpdatedDate) VALUES (?, ?, ?, ?)"),
        {reportId, from, to, updated});
}

class StatusTest : public BuildFileFixture
{
};

} // namespace

TEST_F(StatusTest, TitleCarriesTheProgramVersion)
{
    frmNewDOHBuildFile form;
    EXPECT_EQ(form.windowTitle(), QStringLiteral("ORVANT DOH Version 1.0.0"));
}

TEST_F(StatusTest, CommandButtonsAreHiddenWithTheirCaptions)
{
    frmNewDOHBuildFile form;
    EXPECT_EQ(form.cmdGenerate->text(), QStringLiteral("Gene&rate"));
    EXPECT_EQ(form.cmdPrint->text(), QStringLiteral("&Print"));
    EXPECT_EQ(form.cmdEditHospitalInfo->text(), QStringLiteral("&Hospital Info"));
    EXPECT_EQ(form.cmdSetup->text(), QStringLiteral("&Setup"));
    EXPECT_EQ(form.cmdCancel->text(), QStringLiteral("&Cancel"));
    for (QPushButton *b : {form.cmdGenerate, form.cmdPrint, form.cmdEditHospitalInfo, form.cmdSetup, form.cmdCancel})
        EXPECT_TRUE(b->isHidden());
    EXPECT_EQ(form.chkAll->text(), QStringLiteral("Select All"));
    // Design positions, 15 twips to the pixel.
    EXPECT_EQ(form.lvwReport->geometry(), QRect(4, 174, 756, 257));
    EXPECT_EQ(form.cboMonth->geometry(), QRect(346, 142, 185, 21));
    EXPECT_EQ(form.PicCancel[0]->geometry(), QRect(630, 454, 123, 27));
}

TEST_F(StatusTest, LoadSendsTheSetupQueryAndOneLogQuery)
{
    SaveReportSetup();
    m_connection->statementLog().clear();
    frmNewDOHBuildFile form;
    form.setTodayProvider([] { return QDate(2026, 3, 15); });
    form.InitializeForm(m_connection);
    form.PrepareForm();
    EXPECT_TRUE(SentExactly(
        m_connection, {QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportSetup"),
                       QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportLog '03/01/2026','03/31/2026'"),
                       kRecordQuery.arg(QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026"))}));
    EXPECT_TRUE(m_box->shown().isEmpty());
}

TEST_F(StatusTest, PeriodBoxesDefaultToTodaysYearAndMonth)
{
    Open(QDate(2026, 1, 10));
    EXPECT_EQ(m_form->cboYear->count(), 77);
    EXPECT_EQ(m_form->cboYear->itemText(0), QStringLiteral("2026"));
    EXPECT_EQ(m_form->cboYear->itemText(76), QStringLiteral("1950"));
    EXPECT_EQ(m_form->cboYear->currentText(), QStringLiteral("2026"));
    EXPECT_EQ(m_form->cboMonth->count(), 19);
    EXPECT_EQ(m_form->cboMonth->currentText(), QStringLiteral("January"));
    EXPECT_EQ(m_form->GetPeriodStartDate(), QStringLiteral("01/01/2026"));
    EXPECT_EQ(m_form->GetPeriodEndDate(), QStringLiteral("01/31/2026"));
}

TEST_F(StatusTest, ListsTheListedItemsInCatalogueOrder)
{
    Open();
    EXPECT_EQ(Titles(), kDefaultRows);
    EXPECT_EQ(m_form->lvwReport->columnCount(), 3);
    EXPECT_EQ(m_form->lvwReport->headerItem()->text(0), QStringLiteral("Report Name"));
    EXPECT_EQ(m_form->lvwReport->headerItem()->text(1), QStringLiteral("Last Updated"));
    EXPECT_EQ(m_form->lvwReport->headerItem()->text(2), QString());
    EXPECT_TRUE(m_form->lvwReport->isColumnHidden(2));
    for (const QString &title : kDefaultRows) {
        EXPECT_FALSE(Checked(title));
        EXPECT_EQ(Mark(title), QStringLiteral("0"));
        EXPECT_FALSE(PaintedMarked(title));
    }
}

TEST_F(StatusTest, EmergencyCasesItemIsListedLastWhenAllowed)
{
    modSysConstants::IsAllowERCases = true;
    Open();
    QStringList expected = kDefaultRows;
    expected.append(kERCasesOld);
    EXPECT_EQ(Titles(), expected);
}

TEST_F(StatusTest, OneLogRecordUpdatesEveryRowOfItsReportId)
{
    InsertLog(m_store.store(), QStringLiteral("II."), QStringLiteral("2026-03-01"), QStringLiteral("2026-03-31"),
              QStringLiteral("2026-12-07 15:30:57.000"));
    InsertLog(m_store.store(), QStringLiteral("ZZ."), QStringLiteral("2026-03-01"), QStringLiteral("2026-03-31"),
              QStringLiteral("2026-12-07 16:00:00.000"));
    // Another period's record must not show.
    InsertLog(m_store.store(), QStringLiteral("I."), QStringLiteral("2026-02-01"), QStringLiteral("2026-02-28"),
              QStringLiteral("2026-12-01 08:00:00.000"));
    Open();
    for (const QString &title : kDefaultRows) {
        const QString expected = title.startsWith(QStringLiteral("II. ")) ? QStringLiteral("December 07, 2026 | 15:30:57")
                                                                          : QString();
        EXPECT_EQ(Row(title)->text(1), expected) << title.toStdString();
    }
}

TEST_F(StatusTest, TheLastMatchingRecordWins)
{
    InsertLog(m_store.store(), QStringLiteral("II."), QStringLiteral("2026-03-01"), QStringLiteral("2026-03-31"),
              QStringLiteral("2026-12-07 09:05:03.000"));
    InsertLog(m_store.store(), QStringLiteral("I."), QStringLiteral("2026-03-01"), QStringLiteral("2026-03-31"),
              QStringLiteral("2026-12-07 09:00:00.000"));
    Open();
    EXPECT_EQ(Row(kGeneralInfo)->text(1), QStringLiteral("December 07, 2026 | 09:00:00"));
    EXPECT_EQ(Row(kSurgical)->text(1), QStringLiteral("December 07, 2026 | 09:05:03"));
}

TEST_F(StatusTest, SwitchingMonthsUnchecksAndReloads)
{
    InsertLog(m_store.store(), QStringLiteral("II."), QStringLiteral("2026-02-01"), QStringLiteral("2026-02-28"),
              QStringLiteral("2026-03-02 10:11:12.000"));
    Open(QDate(2026, 1, 20));
    Check(kSurgical);
    m_form->chkAll->setChecked(true);
    ASSERT_TRUE(Checked(kDischarges));
    Choose(QStringLiteral("2026"), QStringLiteral("February"));
    EXPECT_TRUE(SentExactly(
        m_connection, {QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportLog '02/01/2026','02/28/2026'"),
                       kRecordQuery.arg(QStringLiteral("02/01/2026"), QStringLiteral("02/28/2026"))}));
    EXPECT_FALSE(m_form->chkAll->isChecked());
    for (const QString &title : kDefaultRows) {
        EXPECT_FALSE(Checked(title));
        EXPECT_EQ(Mark(title), QStringLiteral("0"));
        EXPECT_FALSE(PaintedMarked(title));
    }
    EXPECT_EQ(Row(kSurgical)->text(1), QStringLiteral("March 02, 2026 | 10:11:12"));
    EXPECT_EQ(Row(kGeneralInfo)->text(1), QString());

    m_connection->statementLog().clear();
    Choose(QStringLiteral("2024"), QStringLiteral("February"));
    EXPECT_TRUE(SentExactly(
        m_connection, {QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportLog '02/01/2024','02/29/2024'"),
                       kRecordQuery.arg(QStringLiteral("02/01/2024"), QStringLiteral("02/29/2024"))}));
    EXPECT_EQ(Row(kSurgical)->text(1), QString());
}

TEST_F(StatusTest, FailingLogQueryIsReportedAndTheWindowStays)
{
    Open();
    m_connection->setInterceptor([](const QString &text) {
        if (text.contains(QStringLiteral("sp_DOH_Search_tbMedNewDOHReportLog")))
            throw com::ComError(50000, QStringLiteral("Log unavailable"));
    });
    Choose(QStringLiteral("2026"), QStringLiteral("April"));
    ASSERT_EQ(m_box->shown().size(), 1);
    EXPECT_EQ(m_box->shown().at(0).prompt, QStringLiteral("Log unavailable"));
}

TEST_F(StatusTest, FirstStartOpensTheSetupDialogBeforeTheList)
{
    // No report setup in the store.
    frmNewDOHBuildFile form;
    form.setTodayProvider([] { return QDate(2026, 3, 15); });
    form.InitializeForm(m_connection);
    int rowsWhileSetupOpen = -1;
    bool setupSeen = false;
    auto *poll = new QTimer(&form);
    QObject::connect(poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *setup = qobject_cast<frmDOHSetup *>(modal)) {
            setupSeen = true;
            rowsWhileSetupOpen = form.lvwReport->topLevelItemCount();
            setup->reject();
            poll->stop();
        }
    });
    poll->start(10);
    form.PrepareForm();
    poll->stop();
    EXPECT_TRUE(setupSeen);
    EXPECT_EQ(rowsWhileSetupOpen, 0);
    EXPECT_EQ(form.lvwReport->topLevelItemCount(), kDefaultRows.size());
    const QStringList sent = m_connection->statementLog().statements();
    ASSERT_FALSE(sent.isEmpty());
    EXPECT_EQ(sent.first(), QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportSetup"));
    EXPECT_EQ(sent.last(), kRecordQuery.arg(QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")));
    EXPECT_EQ(sent.count(QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportLog '03/01/2026','03/31/2026'")),
              1);
}

TEST_F(StatusTest, WithASetupTheSetupDialogStaysClosed)
{
    SaveReportSetup();
    frmNewDOHBuildFile form;
    form.InitializeForm(m_connection);
    bool modalSeen = false;
    QTimer::singleShot(0, [&] { modalSeen = QApplication::activeModalWidget() != nullptr; });
    form.PrepareForm();
    QCoreApplication::processEvents();
    EXPECT_FALSE(modalSeen);
}

TEST_F(StatusTest, LoadFormShowsModallyUntilCancel)
{
    SaveReportSetup();
    frmNewDOHBuildFile form;
    QTemporaryDir settings;
    form.setSettingsFile(settings.filePath(QStringLiteral("velmora.ini")));
    form.InitializeForm(m_connection);
    bool wasModal = false;
    QTimer::singleShot(0, [&] {
        wasModal = form.isVisible() && form.isModal();
        form.cmdCancel->click();
    });
    form.LoadForm();
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(StatusTest, OnlyTheFirstActivationSetsUpTheTaskbarEntry)
{
    frmNewDOHBuildFile form;
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&form, &activate);
    QCoreApplication::sendEvent(&form, &activate);
    QCoreApplication::sendEvent(&form, &activate);
    EXPECT_EQ(form.taskbarEntrySetups(), 1);
}

// Each section shows its own record, not the log's one "II." entry, which
// stands for them all where no record explains it.
TEST_F(StatusTest, EachSectionShowsItsOwnGenerationWhereTheRecordIsKept)
{
    Open(QDate(2026, 12, 9));
    Choose(QStringLiteral("2026"), QStringLiteral("December"));
    const auto generateAt = [&](const QString &title, int hour) {
        SetStoreTime(QDateTime(QDate(2026, 12, 9), QTime(hour, 0)));
        Check(title);
        m_box->clear();
        m_box->answer(forms::vbOK);
        m_form->GenerateMonthlyData();
        EXPECT_EQ(m_box->prompts(), (QStringList{QStringLiteral("December 2026 has not ended: its figures will count "
                                                                "up to today, December 9, 2026."),
                                                 QStringLiteral("Summarized Monthly Data was saved.")}));
        return QStringList{Row(kDeaths)->text(1), Row(kDischarges)->text(1), Row(kSurgical)->text(1)};
    };
    const auto at = [](int hour) { return QStringLiteral("December 09, 2026 | %1:00:00").arg(hour); };
    EXPECT_EQ(generateAt(kDeaths, 10), (QStringList{at(10), QString(), QString()}));
    EXPECT_EQ(generateAt(kDischarges, 11), (QStringList{at(10), at(11), QString()}));
    // A log entry later than every record: an earlier version generated since.
    InsertLog(m_store.store(), QStringLiteral("II."), QStringLiteral("2026-12-01"), QStringLiteral("2026-12-31"),
              QStringLiteral("2026-12-09 11:30:00.000"));
    m_form->RefreshLastUpdated();
    EXPECT_EQ(Row(kSurgical)->text(1), QStringLiteral("December 09, 2026 | 11:30:00"));
    m_connection->setInterceptor([](const QString &text) {
        if (text.contains(QStringLiteral("sp_Velmora_")))
            throw com::ComError(50000, QStringLiteral("Could not find stored procedure 'sp_Velmora_'."));
    });
    EXPECT_EQ(generateAt(kSurgical, 12), QStringList(3, at(12)));
}
