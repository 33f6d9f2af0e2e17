#include "ScriptedComponents.h"

#include "startup/modSysConstants.h"

#include "catalogue/ReportCatalogue.h"
#include "com/ComError.h"
#include "embedded/Store.h"
#include "support/StatementLog.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>

namespace {

using namespace startup_tests;
using testing_support::SentExactly;
using testing_support::TempStore;
namespace sys = modSysConstants;

// LoadDOHSetupFlags against a temporary store's tbDOHSetup.
class SetupFlags : public ::testing::Test
{
protected:
    void SetUp() override
    {
        connection = store.connect();
        sys::pobjCurrentUser = std::make_shared<ScriptedSession>(connection, com::Variant(true));
        sys::IsAllowERCases = true; // whatever a previous run left
        sys::IsAllowConsultationCauses = true;
    }
    void TearDown() override { sys::pobjCurrentUser.reset(); }

    void addRow(int id, const QVariant &er, const QVariant &consultation)
    {
        embedded::sql::exec(store.store().database(),
                            QStringLiteral("INSERT INTO Patient_Data.tbDOHSetup (SetupID, IsAllowERCases, "
                                           "IsAllowConsultationCauses) VALUES (?, ?, ?)"),
                            {id, er, consultation});
    }

    QStringList listedTitles() const
    {
        QStringList titles;
        for (const auto &item : catalogue::ReportCatalogue()) {
            if (sys::IsReportItemListed(item.title))
                titles.append(item.title);
        }
        return titles;
    }

    TempStore store;
    adodb::ConnectionPtr connection;
};

TEST_F(SetupFlags, NoSetupRowListsTheElevenCurrentItems)
{
    sys::LoadDOHSetupFlags();
    EXPECT_TRUE(SentExactly(connection, {QStringLiteral("Select * From Patient_Data..tbDOHSetup")}));
    EXPECT_FALSE(sys::IsAllowERCases);
    EXPECT_FALSE(sys::IsAllowConsultationCauses);
    QStringList numbers;
    for (const auto &item : catalogue::ReportCatalogue()) {
        if (sys::IsReportItemListed(item.title))
            numbers.append(QString::number(item.number));
    }
    EXPECT_EQ(numbers.join(QLatin1Char(',')), QStringLiteral("1,4,5,6,7,8,9,10,11,15,16"));
}

TEST_F(SetupFlags, OnlyEmergencyCasesListsItem18LastAndNotItem17)
{
    addRow(1, 1, 0);
    sys::LoadDOHSetupFlags();
    EXPECT_TRUE(sys::IsAllowERCases);
    EXPECT_FALSE(sys::IsAllowConsultationCauses);
    const QStringList titles = listedTitles();
    ASSERT_EQ(titles.size(), 12);
    EXPECT_EQ(titles.last(), QStringLiteral("II.9.3 10 Leading Causes of Emergency Cases(OLD)"));
    EXPECT_FALSE(titles.contains(QStringLiteral("III.11.4 Leading Causes of Consultation (OPD)(OLD)")));
}

struct FlagRow
{
    QVariant er;
    QVariant consultation;
    bool expectedER;
    bool expectedConsultation;
};

class OneSetupRow : public SetupFlags, public ::testing::WithParamInterface<FlagRow>
{
};

TEST_P(OneSetupRow, GivesBothFlagsWithNullAsFalse)
{
    addRow(1, GetParam().er, GetParam().consultation);
    sys::LoadDOHSetupFlags();
    EXPECT_EQ(sys::IsAllowERCases, GetParam().expectedER);
    EXPECT_EQ(sys::IsAllowConsultationCauses, GetParam().expectedConsultation);
    EXPECT_EQ(sys::IsReportItemListed(QStringLiteral("III.11.4 Leading Causes of Consultation (OPD)(OLD)")),
              GetParam().expectedConsultation);
}

const QVariant kNull(QMetaType::fromType<int>());
INSTANTIATE_TEST_SUITE_P(Values, OneSetupRow,
                         ::testing::Values(FlagRow{1, 1, true, true}, FlagRow{0, 1, false, true},
                                           FlagRow{0, 0, false, false}, FlagRow{kNull, 1, false, true},
                                           FlagRow{1, kNull, true, false}));

TEST_F(SetupFlags, SeveralRowsOnlyTheFirstCounts)
{
    addRow(1, 0, 1);
    addRow(2, 1, 0);
    addRow(3, 1, 0);
    sys::LoadDOHSetupFlags();
    EXPECT_FALSE(sys::IsAllowERCases);
    EXPECT_TRUE(sys::IsAllowConsultationCauses);
}

TEST_F(SetupFlags, FixedFlagsKeepTheirValuesWhateverTheSetup)
{
    addRow(1, 1, 1);
    sys::LoadDOHSetupFlags();
    for (const auto &item : catalogue::ReportCatalogue()) {
        const bool expected = item.visibility == catalogue::Visibility::FixedFlag ? item.fixedFlagValue : true;
        EXPECT_EQ(sys::IsReportItemListed(item.title), expected) << item.title.toStdString();
    }
    EXPECT_FALSE(sys::IsReportItemListed(QStringLiteral("II.8 Surgical Operations")));
    EXPECT_FALSE(sys::IsReportItemListed(QStringLiteral("No such report")));
}

TEST_F(SetupFlags, AFailingReadIsTheDatabaseMessage)
{
    connection->setInterceptor([](const QString &) {
        throw adodb::BackendError(QStringLiteral("Invalid object name 'Patient_Data..tbDOHSetup'."));
    });
    try {
        sys::LoadDOHSetupFlags();
        FAIL() << "no failure";
    } catch (const com::ComError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("Invalid object name 'Patient_Data..tbDOHSetup'."));
    }
}

} // namespace
