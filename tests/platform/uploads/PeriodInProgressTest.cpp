// A period that has not ended when it is generated is counted up to the day
// of generation; one that has not begun is refused. The stored service days
// and bed occupancy are checked against the rule worked out here, day by
// day, from the demo hospital's stays.

#include "HandMadeHospital.h"

#include "com/ComError.h"
#include "embedded/DemoHospital.h"
#include "embedded/EmbeddedBackend.h"
#include "embedded/Store.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>

#include <QSqlQuery>

#include <cmath>

using namespace uploads_test;

namespace {

// The demo hospital holds patients up to the day before its reference date,
// some still admitted: that date is the day of generation here.
const QDate kToday(2026, 12, 8);

class PeriodInProgress : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_temp = new testing_support::TempStore;
        embedded::DemoHospital::Options options;
        options.referenceDate = kToday;
        options.fullYears = 1;
        embedded::DemoHospital::fill(s_temp->store(), options);
        saveSetup(s_temp->store());
    }
    static void TearDownTestSuite()
    {
        delete s_temp;
        s_temp = nullptr;
    }

    // A connection whose store takes kToday, at ten in the morning, as now.
    static adodb::ConnectionPtr connectToday()
    {
        auto connection =
            std::make_shared<adodb::Connection>(std::make_unique<embedded::EmbeddedBackend>(s_temp->folder()));
        static_cast<embedded::EmbeddedBackend *>(connection->backend())->store().setClock([] {
            return QDateTime(kToday, QTime(10, 0));
        });
        return connection;
    }

    // Inpatient service days of the period by the rule, newborns apart: each
    // day d from the first date to the last day counted on which the patient
    // was in at midnight (admitted on or before d, discharged after d), and
    // one for a stay that began and ended on the same counted day. A stay
    // still open ends on the day after the period or, while the period runs,
    // on the day of generation.
    static qint64 serviceDays(const QDate &first, const QDate &last)
    {
        const QDate counted = std::min(last, kToday);
        const QDate openEnd = last > kToday ? kToday : last.addDays(1);
        QSqlQuery q = embedded::sql::exec(s_temp->store().database(),
                                          QStringLiteral("SELECT substr(AdmissionDateTime, 1, 10), "
                                                         "substr(DischargeDateTime, 1, 10) FROM "
                                                         "Patient_Data.tbAdmission WHERE ServiceCode <> '13'"));
        qint64 days = 0;
        while (q.next()) {
            const QDate admitted = QDate::fromString(q.value(0).toString(), Qt::ISODate);
            const QDate ended = q.value(1).isNull() ? openEnd : QDate::fromString(q.value(1).toString(), Qt::ISODate);
            for (QDate d = std::max(first, admitted); d <= counted && d < ended; d = d.addDays(1))
                ++days;
            if (admitted == ended && admitted >= first && admitted <= counted)
                ++days;
        }
        return days;
    }

    static testing_support::TempStore *s_temp;
};

testing_support::TempStore *PeriodInProgress::s_temp = nullptr;

struct PeriodCase
{
    const char *name;
    QDate first, last;
    qint64 daysInPeriod; // the first date to the last day counted
};

class CountedPeriods : public PeriodInProgress, public ::testing::WithParamInterface<PeriodCase>
{
};

} // namespace

TEST_P(CountedPeriods, CountServiceDaysAndDaysUpToTheDayOfGeneration)
{
    const PeriodCase &c = GetParam();
    const QString dates =
        QStringLiteral(" '%1','%2'")
            .arg(c.first.toString(QStringLiteral("MM/dd/yyyy")), c.last.toString(QStringLiteral("MM/dd/yyyy")));
    const adodb::ConnectionPtr connection = connectToday();
    connection->Execute(QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII1") + dates);
    connection->Execute(QStringLiteral("Patient_Data..sp_DOH_Upload_SectionI34") + dates);

    const QString from = c.first.toString(Qt::ISODate);
    const QString to = c.last.toString(Qt::ISODate);
    const qint64 expectedDays = serviceDays(c.first, c.last);
    const qint64 beds =
        scalar(s_temp->store(), QStringLiteral("SELECT SUM(AuthorizedBeds) FROM "
                                               "Patient_Data.tbBedAllocation WHERE ServiceCode <> '13'"));
    const double expectedBor = std::round(expectedDays * 100.0 / double(beds * c.daysInPeriod) * 100.0) / 100.0;
    ASSERT_GT(expectedDays, 0);
    // The summary of patients and the bed allocation's total count alike.
    for (const QVariantMap &row : {reportRow(s_temp->store(), QStringLiteral("tbDOHRptSectionII1"), from, to),
                                   reportRow(s_temp->store(), QStringLiteral("tbDOHRptSectionI34"), from, to, 900)}) {
        EXPECT_EQ(row.value(QStringLiteral("ServiceDays")).toLongLong(), expectedDays);
        EXPECT_EQ(row.value(QStringLiteral("DaysInPeriod")).toLongLong(), c.daysInPeriod);
        EXPECT_DOUBLE_EQ(row.value(QStringLiteral("BOR")).toDouble(), expectedBor);
    }
}

INSTANTIATE_TEST_SUITE_P(
    DemoHospital, CountedPeriods,
    ::testing::Values(PeriodCase{"MonthInProgress", QDate(2026, 12, 1), QDate(2026, 12, 31), 8},
                      PeriodCase{"QuarterInProgress", QDate(2026, 10, 1), QDate(2026, 12, 31), 69},
                      PeriodCase{"MonthEnded", QDate(2026, 11, 1), QDate(2026, 11, 30), 30},
                      // Ending on the day of generation is ending: its open stays count to its end.
                      PeriodCase{"EndingToday", QDate(2026, 11, 9), QDate(2026, 12, 8), 30}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(PeriodInProgress, APeriodNotBegunIsRefusedAndNothingIsStored)
{
    const adodb::ConnectionPtr connection = connectToday();
    for (const QString &statement : uploadStatements(QStringLiteral("12/09/2026"), QStringLiteral("12/31/2026"))) {
        try {
            connection->Execute(statement);
            ADD_FAILURE() << statement.toStdString() << " was run";
        } catch (const com::ComError &e) {
            EXPECT_EQ(e.description(), QStringLiteral("The period 12/09/2026 to 12/31/2026 has not begun: it cannot "
                                                      "be generated before 12/09/2026."));
        }
    }
    for (const QString &table : reportTables())
        EXPECT_EQ(
            scalar(s_temp->store(),
                   QStringLiteral("SELECT COUNT(*) FROM Patient_Data.%1 WHERE FromDate = '2026-12-09'").arg(table)),
            0)
            << table.toStdString();
}
