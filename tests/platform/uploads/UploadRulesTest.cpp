// What every upload procedure does alike: replaces its own period only,
// fails clearly and changes nothing on bad input, and gives zeros (and no
// rate) for a period without data.

#include "HandMadeHospital.h"

#include "com/ComError.h"
#include "embedded/Store.h"
#include "support/StatementLog.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>

using namespace uploads_test;

namespace {

class EachUpload : public ::testing::TestWithParam<int>
{
protected:
    QString statement(const QString &from, const QString &to) const
    {
        return uploadStatements(from, to).at(GetParam());
    }
    QString table() const { return reportTables().at(GetParam()); }
    qint64 rowsFor(const QString &from, const QString &to)
    {
        return scalar(m_temp.store(), QStringLiteral("SELECT COUNT(*) FROM Patient_Data.%1 WHERE FromDate = '%2' "
                                                     "AND ToDate = '%3'")
                                          .arg(table(), from, to));
    }
    QString failureOf(const QString &text)
    {
        try {
            send(m_temp, text);
        } catch (const com::ComError &e) {
            return e.description();
        }
        return QStringLiteral("(no failure)");
    }

    testing_support::TempStore m_temp;
};

const QString kMarch = QStringLiteral("2026-03-01");
const QString kMarchEnd = QStringLiteral("2026-03-31");

} // namespace

TEST_P(EachUpload, RerunReplacesItsOwnPeriodOnly)
{
    fillHandMadeHospital(m_temp.store());
    saveSetup(m_temp.store());
    send(m_temp, statement(QStringLiteral("02/01/2026"), QStringLiteral("02/28/2026")));
    send(m_temp, statement(QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")));
    const QList<QVariantMap> february =
        reportRows(m_temp.store(), table(), QStringLiteral("2026-02-01"), QStringLiteral("2026-02-28"));
    const qint64 march = rowsFor(kMarch, kMarchEnd);
    ASSERT_GT(march, 0);

    // A rerun of March neither doubles March's rows nor touches February's.
    send(m_temp, statement(QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")));
    EXPECT_EQ(rowsFor(kMarch, kMarchEnd), march);
    EXPECT_EQ(reportRows(m_temp.store(), table(), QStringLiteral("2026-02-01"), QStringLiteral("2026-02-28")),
              february);
    // A period of the same first date but another last date is its own period.
    send(m_temp, statement(QStringLiteral("03/01/2026"), QStringLiteral("03/15/2026")));
    EXPECT_EQ(rowsFor(kMarch, kMarchEnd), march);
    EXPECT_GT(rowsFor(kMarch, QStringLiteral("2026-03-15")), 0);
}

TEST_P(EachUpload, FailsWithoutReportSetupAndChangesNothing)
{
    fillHandMadeHospital(m_temp.store());
    EXPECT_EQ(failureOf(statement(QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026"))),
              QStringLiteral("No DOH report setup exists: save the report setup (paediatric age, newborn and "
                             "surgery service codes) before generating the reports."));
    EXPECT_EQ(rowsFor(kMarch, kMarchEnd), 0);
}

TEST_P(EachUpload, ReversedOrInvalidDatesFailAndKeepTheStoredPeriod)
{
    fillHandMadeHospital(m_temp.store());
    saveSetup(m_temp.store());
    send(m_temp, statement(QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")));
    const QList<QVariantMap> before = reportRows(m_temp.store(), table(), kMarch, kMarchEnd);

    EXPECT_EQ(failureOf(statement(QStringLiteral("03/31/2026"), QStringLiteral("03/01/2026"))),
              QStringLiteral("The last date of the period (03/01/2026) is before its first date (03/31/2026)."));
    EXPECT_EQ(failureOf(statement(QStringLiteral("02/30/2026"), QStringLiteral("03/31/2026"))),
              QStringLiteral("Conversion failed when converting date and/or time from character string."));
    EXPECT_EQ(failureOf(statement(QStringLiteral("03/01/2026"), QStringLiteral("March"))),
              QStringLiteral("Conversion failed when converting date and/or time from character string."));
    EXPECT_EQ(reportRows(m_temp.store(), table(), kMarch, kMarchEnd), before);
    EXPECT_EQ(scalar(m_temp.store(),
                     QStringLiteral("SELECT COUNT(*) FROM Patient_Data.%1 WHERE FromDate = '2026-03-31'").arg(table())),
              0);
}

TEST_P(EachUpload, EmptyPeriodGivesZerosAndNoRates)
{
    fillHandMadeHospital(m_temp.store());
    saveSetup(m_temp.store());
    send(m_temp, statement(QStringLiteral("01/01/2020"), QStringLiteral("01/31/2020")));
    // Every count column is zero; every rate column but BOR is null ("-" on the report).
    static const QStringList rates = {QStringLiteral("ALOS"),
                                      QStringLiteral("CaesareanRate"), QStringLiteral("GrossDeathRate"),
                                      QStringLiteral("NetDeathRate"), QStringLiteral("MaternalDeathRate"),
                                      QStringLiteral("NewbornDeathRate"), QStringLiteral("Rate"),
                                      QStringLiteral("SurgicalSiteInfectionRate")};
    static const QStringList fixed = {QStringLiteral("FromDate"), QStringLiteral("ToDate"), QStringLiteral("RowOrder"),
                                      QStringLiteral("DaysInPeriod"), QStringLiteral("AuthorizedBeds"),
                                      QStringLiteral("ImplementingBeds"), QStringLiteral("RatePer")};
    for (const QVariantMap &row : reportRows(m_temp.store(), table(), QStringLiteral("2020-01-01"),
                                             QStringLiteral("2020-01-31"))) {
        for (auto it = row.cbegin(); it != row.cend(); ++it) {
            if (it.key() == QLatin1String("BOR") || it.key() == QLatin1String("BORImplementing")) {
                // Beds make a denominator even without patients: 0.00, not "-".
                const bool noBeds = row.value(it.key() == QLatin1String("BOR") ? QStringLiteral("AuthorizedBeds")
                                                                              : QStringLiteral("ImplementingBeds"))
                                        .toLongLong() == 0;
                EXPECT_EQ(it.value().isNull(), noBeds) << it.key().toStdString();
                if (!noBeds)
                    EXPECT_DOUBLE_EQ(it.value().toDouble(), 0.0);
            } else if (rates.contains(it.key())) {
                EXPECT_TRUE(it.value().isNull()) << it.key().toStdString();
            }
            else if (!fixed.contains(it.key()) && it.value().typeId() == QMetaType::LongLong)
                EXPECT_EQ(it.value().toLongLong(), 0) << it.key().toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Uploads, EachUpload, ::testing::Range(0, 17),
                         [](const ::testing::TestParamInfo<int> &info) {
                             return reportTables().at(info.param).mid(8).toStdString();
                         });

TEST(UploadOption, TheFourTakeTwoOrNothingAndRefuseOtherValues)
{
    testing_support::TempStore temp;
    saveSetup(temp.store());
    for (const char *procedure : {"sp_DOH_Upload_SectionI9", "sp_DOH_Upload_SectionII8", "sp_DOH_Upload_SectionIII114",
                                  "sp_DOH_Upload_SectionII103"}) {
        const QString name = QString::fromLatin1(procedure);
        adodb::ConnectionPtr connection = temp.connect();
        connection->Execute(QStringLiteral("Patient_Data..%1 '03/01/2026','03/31/2026',2").arg(name));
        connection->Execute(QStringLiteral("Patient_Data..%1 '03/01/2026','03/31/2026'").arg(name));
        try {
            connection->Execute(QStringLiteral("Patient_Data..%1 '03/01/2026','03/31/2026',3").arg(name));
            ADD_FAILURE() << procedure << " took option 3";
        } catch (const com::ComError &e) {
            EXPECT_EQ(e.description(), QStringLiteral("The upload option 3 is not supported; the only option is 2."));
        }
    }
    // The others take no option at all.
    try {
        temp.connect()->Execute(QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII1 '03/01/2026','03/31/2026',2"));
        ADD_FAILURE() << "sp_DOH_Upload_SectionII1 took a third argument";
    } catch (const com::ComError &e) {
        EXPECT_EQ(e.description(),
                  QStringLiteral("Procedure or function sp_DOH_Upload_SectionII1 has too many arguments specified."));
    }
}

TEST(UploadOption, ACallIsLoggedAsSent)
{
    testing_support::TempStore temp;
    saveSetup(temp.store());
    adodb::ConnectionPtr connection = temp.connect();
    const QString text = QStringLiteral("Patient_Data..sp_DOH_Upload_SurgicalProcedure '03/01/2026','03/31/2026'");
    connection->Execute(text);
    EXPECT_TRUE(testing_support::SentExactly(connection, {text}));
    EXPECT_EQ(scalar(temp.store(), QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbDOHRptSurgicalProcedure")), 1);
}
