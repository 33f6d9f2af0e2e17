#pragma once

#include "hospitalinfo/frmHospitalInfo.h"

#include "adodb/Backend.h"
#include "com/Variant.h"
#include "support/ScriptedMessageBox.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace hospitalinfo_tests {

inline const QString kSectionIQuery = QStringLiteral("Patient_Data..sp_DOH_Report_Section1");
inline const QString kSupplementaryQuery =
    QStringLiteral("  SELECT Specialty, TraumaCapability, LocalParticular, OwnershipGovOthers, OwnershipPrivateOthers, "
                   "QMISOCertified, QMISOCertifiedValPeriod, QMIntlAccreditation, QMIntlAccreditationValPeriod, "
                   "QMPhicAccreditation, QMPhicAccreditationValPeriod, QMPCAHO, QMPCAHOValPeriod, "
                   "PhilhealthAccreditationParticular From PASSWORD..tbHospitalInfo2 ");

// One row of a result, column by column; columns keep their order.
struct Row
{
    QStringList columns;
    QList<com::Variant> values;
    Row &set(const QString &column, const com::Variant &value);
    Row &remove(const QString &column);
    adodb::ResultSet result() const;
};

// A Section I row as the procedure returns it, every column filled.
Row SectionIRow();
// A supplementary row as the SELECT returns it, every column filled.
Row SupplementaryRow();

// Answers the two loading reads with given rows (when set) and passes every
// other statement to the embedded store: the store's tables cannot hold the
// Nulls and odd values a site's database may.
class RowsBackend : public adodb::Backend
{
public:
    explicit RowsBackend(const QString &folder);
    ~RowsBackend() override;
    adodb::ResultSet run(const QString &text) override;
    QString sourceName() const override;

    std::optional<adodb::ResultSet> sectionI;
    std::optional<adodb::ResultSet> supplementary;

private:
    std::unique_ptr<adodb::Backend> m_store;
};

// The hospital information form on a fresh embedded store.
class HospitalInfoFixture : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;

    // The connection through a RowsBackend answering with these rows.
    void Answer(const std::optional<Row> &sectionI, const std::optional<Row> &supplementary);

    // Opens the form as the Hospital Info command does and runs interaction
    // once it is up; a form the interaction leaves open fails the test.
    void Open(const std::function<void()> &interaction);

    // The store's Section I record and supplementary row, as stored.
    QHash<QString, QVariant> StoredSectionI();
    QHash<QString, QVariant> StoredSupplementary();
    void Store(const QString &sql, const QVariantList &values = {});

    testing_support::TempStore store;
    adodb::ConnectionPtr conn;
    RowsBackend *backend = nullptr; // owned by conn when Answer was called
    testing_support::ScopedMessageBox box;
    frmHospitalInfo &form = frmHospitalInfo::instance();
};

} // namespace hospitalinfo_tests
