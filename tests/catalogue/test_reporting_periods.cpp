#include "catalogue/ReportingPeriods.h"

#include "com/ComError.h"
#include "support/StatementLog.h"

#include <gtest/gtest.h>

namespace {

struct PeriodCase
{
    int position;
    const char16_t *choice;
    const char16_t *year;
    const char16_t *first;
    const char16_t *last;
};

const PeriodCase kLeapYear[] = {
    {0, u"Yearly", u"2024", u"01/01/2024", u"12/31/2024"},
    {1, u"January", u"2024", u"01/01/2024", u"01/31/2024"},
    {2, u"February", u"2024", u"02/01/2024", u"02/29/2024"},
    {3, u"March", u"2024", u"03/01/2024", u"03/31/2024"},
    {4, u"April", u"2024", u"04/01/2024", u"04/30/2024"},
    {5, u"May", u"2024", u"05/01/2024", u"05/31/2024"},
    {6, u"June", u"2024", u"06/01/2024", u"06/30/2024"},
    {7, u"July", u"2024", u"07/01/2024", u"07/31/2024"},
    {8, u"August", u"2024", u"08/01/2024", u"08/31/2024"},
    {9, u"September", u"2024", u"09/01/2024", u"09/30/2024"},
    {10, u"October", u"2024", u"10/01/2024", u"10/31/2024"},
    {11, u"November", u"2024", u"11/01/2024", u"11/30/2024"},
    {12, u"December", u"2024", u"12/01/2024", u"12/31/2024"},
    {13, u"First Quarter", u"2024", u"01/01/2024", u"03/31/2024"},
    {14, u"Second Quarter", u"2024", u"04/01/2024", u"06/30/2024"},
    {15, u"Third Quarter", u"2024", u"07/01/2024", u"09/30/2024"},
    {16, u"Fourth Quarter", u"2024", u"10/01/2024", u"12/31/2024"},
    {17, u"First SemiAnnual", u"2024", u"01/01/2024", u"06/30/2024"},
    {18, u"Second SemiAnnual", u"2024", u"07/01/2024", u"12/31/2024"},
};

const PeriodCase kCommonYear[] = {
    {0, u"Yearly", u"2023", u"01/01/2023", u"12/31/2023"},
    {1, u"January", u"2023", u"01/01/2023", u"01/31/2023"},
    {2, u"February", u"2023", u"02/01/2023", u"02/28/2023"},
    {3, u"March", u"2023", u"03/01/2023", u"03/31/2023"},
    {4, u"April", u"2023", u"04/01/2023", u"04/30/2023"},
    {5, u"May", u"2023", u"05/01/2023", u"05/31/2023"},
    {6, u"June", u"2023", u"06/01/2023", u"06/30/2023"},
    {7, u"July", u"2023", u"07/01/2023", u"07/31/2023"},
    {8, u"August", u"2023", u"08/01/2023", u"08/31/2023"},
    {9, u"September", u"2023", u"09/01/2023", u"09/30/2023"},
    {10, u"October", u"2023", u"10/01/2023", u"10/31/2023"},
    {11, u"November", u"2023", u"11/01/2023", u"11/30/2023"},
    {12, u"December", u"2023", u"12/01/2023", u"12/31/2023"},
    {13, u"First Quarter", u"2023", u"01/01/2023", u"03/31/2023"},
    {14, u"Second Quarter", u"2023", u"04/01/2023", u"06/30/2023"},
    {15, u"Third Quarter", u"2023", u"07/01/2023", u"09/30/2023"},
    {16, u"Fourth Quarter", u"2023", u"10/01/2023", u"12/31/2023"},
    {17, u"First SemiAnnual", u"2023", u"01/01/2023", u"06/30/2023"},
    {18, u"Second SemiAnnual", u"2023", u"07/01/2023", u"12/31/2023"},
    // Centuries: 1900 is not a leap year, 2000 is.
    {2, u"February", u"1900", u"02/01/1900", u"02/28/1900"},
    {2, u"February", u"2000", u"02/01/2000", u"02/29/2000"},
    {12, u"December", u"1950", u"12/01/1950", u"12/31/1950"},
};

class PeriodDates : public ::testing::TestWithParam<PeriodCase>
{
};

TEST_P(PeriodDates, ResolveToFirstAndLastDate)
{
    const PeriodCase &c = GetParam();
    EXPECT_EQ(catalogue::PeriodChoices().at(c.position), QString::fromUtf16(c.choice));
    const QString year = QString::fromUtf16(c.year);
    EXPECT_EQ(catalogue::PeriodStartDate(year, c.position), QString::fromUtf16(c.first));
    EXPECT_EQ(catalogue::PeriodEndDate(year, c.position), QString::fromUtf16(c.last));
}

auto caseName = [](const auto &info) {
    return std::string("Year") + QString::fromUtf16(info.param.year).toStdString() + "Position"
           + std::to_string(info.param.position);
};
INSTANTIATE_TEST_SUITE_P(LeapYear, PeriodDates, ::testing::ValuesIn(kLeapYear), caseName);
INSTANTIATE_TEST_SUITE_P(CommonYear, PeriodDates, ::testing::ValuesIn(kCommonYear), caseName);

TEST(PeriodChoices, AreTheNineteenChoicesInOrder)
{
    EXPECT_EQ(catalogue::PeriodChoices().size(), 19);
    EXPECT_EQ(catalogue::PeriodChoices().first(), QStringLiteral("Yearly"));
    EXPECT_EQ(catalogue::PeriodChoices().last(), QStringLiteral("Second SemiAnnual"));
}

TEST(YearChoices, RunFromTheCurrentYearDownTo1950)
{
    const QStringList years = catalogue::YearChoices(2026);
    ASSERT_EQ(years.size(), 77);
    EXPECT_EQ(years.first(), QStringLiteral("2026"));
    EXPECT_EQ(years.at(1), QStringLiteral("2025"));
    EXPECT_EQ(years.last(), QStringLiteral("1950"));
    EXPECT_EQ(catalogue::YearChoices(1950), QStringList{QStringLiteral("1950")});
}

TEST(PeriodDefaults, AreTheCurrentYearAndMonthNeverYearly)
{
    EXPECT_EQ(catalogue::kDefaultYearPosition, 0);
    EXPECT_EQ(catalogue::DefaultPeriodPosition(QDate(2026, 1, 15)), 1);
    EXPECT_EQ(catalogue::PeriodChoices().at(catalogue::DefaultPeriodPosition(QDate(2026, 1, 1))),
              QStringLiteral("January"));
    EXPECT_EQ(catalogue::DefaultPeriodPosition(QDate(2026, 12, 31)), 12);
}

TEST(PeriodDates, YearTextIsWrittenWithFourDigits)
{
    EXPECT_EQ(catalogue::PeriodStartDate(QStringLiteral("999"), 0), QStringLiteral("01/01/0999"));
    EXPECT_EQ(catalogue::PeriodEndDate(QStringLiteral("999"), 4), QStringLiteral("04/30/0999"));
}

TEST(PeriodDates, APositionOutsideTheChoicesFails)
{
    for (int position : {-1, 19}) {
        EXPECT_THROW(catalogue::PeriodStartDate(QStringLiteral("2024"), position), com::ComError);
        EXPECT_THROW(catalogue::PeriodEndDate(QStringLiteral("2024"), position), com::ComError);
    }
}

} // namespace
