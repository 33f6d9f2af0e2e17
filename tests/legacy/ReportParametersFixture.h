#pragma once

#include "legacy/frmReportParameters.h"

#include "fixtures/ReportSession.h"
#include "support/ScriptedMessageBox.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>

#include <QDate>
#include <QStringList>

#include <memory>

namespace legacy_tests {

inline const QString kHospital = QStringLiteral("Santa Niña General Hospital");
inline const QString kAddress = QStringLiteral("123 Rizal Avenue, San José, Nueva Ecija");
inline const QString kGeneralInfo = QStringLiteral("I. Hospital General Information");
inline const QString kBeds = QStringLiteral("I.3.4 Allocation of Beds");
inline const QString kLaboratory = QStringLiteral("I.9 Laboratory Services");
inline const QString kDischarges = QStringLiteral("II. Hospital Operations. B. Discharges");

// A fresh store, the session reports log on with, and the dialog filled as
// LoadForm fills it on 15 March 2026 (without showing it).
class ReportParametersFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // Fills the dialog and forgets the statements sent so far.
    void Open();
    // A report-log row of the report ID for that month, generated on 15 March 2026 at 10:00.
    void Log(const QString &reportId, int year, int month);
    // Picks as the user does: the month, then the report name.
    void Pick(const QString &name, int month);
    // The log search of one month, as the dialog sends it.
    static QString Search(int year, int month);

    testing_support::TempStore m_store;
    adodb::ConnectionPtr m_connection;
    testing_support::ScopedMessageBox m_box;
    std::shared_ptr<testdata::FakeCurrentUser> m_user;
    std::unique_ptr<frmReportParameters> m_dialog;
};

} // namespace legacy_tests
