#pragma once

#include "buildfile/PictureBox.h"
#include "buildfile/frmNewDOHBuildFile.h"

#include "support/ScriptedMessageBox.h"
#include "support/StatementLog.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QComboBox>
#include <QDate>
#include <QTreeWidget>

#include <memory>

namespace buildfile_tests {

// A build-file window on a fresh store whose report setup exists, filled as
// LoadForm fills it, with a fixed "today" and the start-up flags of a store
// without tbDOHSetup rows.
class BuildFileFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Fills the window (everything LoadForm does before showing it) and
    // forgets the statements sent so far.
    // By default today is the last day of March 2026, the month chosen: it has ended.
    void Open(const QDate &today = QDate(2026, 3, 31));
    void SaveReportSetup();
    void SetStoreTime(const QDateTime &now);

    QTreeWidgetItem *Row(const QString &title) const;
    QStringList Titles() const;
    // Chooses a period the way the user does: the box's selection changes.
    void Choose(const QString &year, const QString &period);
    // Toggles a row's check box as the user does.
    void Check(const QString &title, bool checked = true);

    bool Checked(const QString &title) const;
    QString Mark(const QString &title) const;
    // Whether the row has the marked colours (orange, white text) on both
    // visible columns; false when it has the unmarked ones; fails otherwise.
    bool PaintedMarked(const QString &title) const;

    testing_support::TempStore m_store;
    adodb::ConnectionPtr m_connection;
    testing_support::ScopedMessageBox m_box;
    std::unique_ptr<frmNewDOHBuildFile> m_form;
};

inline const QString kHint = QStringLiteral(
    "Check a report item then click Generate to process data or highlight then click Print to load the report.");
inline const QString kSurgical = QStringLiteral("II. E. Surgical Operations");
inline const QString kGeneralInfo = QStringLiteral("I. Hospital General Information");
inline const QString kDischarges = QStringLiteral("II. Hospital Operations. B. Discharges");
inline const QString kDeaths = QStringLiteral("II. C. Deaths");
inline const QString kInfections = QStringLiteral("II. D. Health Associated Infections");
inline const QString kERCasesOld = QStringLiteral("II.9.3 10 Leading Causes of Emergency Cases(OLD)");
inline const QString kConsultationOld = QStringLiteral("III.11.4 Leading Causes of Consultation (OPD)(OLD)");
inline const QString kRecordStatement =
    QStringLiteral("Patient_Data..sp_Velmora_Save_SectionGeneration '%1','%2','%3',''");
inline const QString kRecordQuery = QStringLiteral("Patient_Data..sp_Velmora_Search_SectionGeneration '%1','%2'");

} // namespace buildfile_tests
