#include "com/ComError.h"
#include "com/CreateObject.h"
#include "com/Runtime.h"

#include <gtest/gtest.h>

using namespace com;

TEST(Trim, RemovesBlanksOnlyAndKeepsTabsAndLineBreaks)
{
    EXPECT_EQ(Trim(QStringLiteral("  13  ")), QStringLiteral("13"));
    EXPECT_EQ(Trim(QStringLiteral("\t13\n")), QStringLiteral("\t13\n"));
    EXPECT_EQ(Trim(QStringLiteral(" \t x \t ")), QStringLiteral("\t x \t"));
    EXPECT_EQ(Trim(QStringLiteral("    ")), QString());
}

struct NumericCase
{
    const char *text;
    bool numeric;
    double value;
};

class IsNumericTest : public ::testing::TestWithParam<NumericCase>
{
};

TEST_P(IsNumericTest, AcceptsWhatTheRuntimeAccepts)
{
    const NumericCase c = GetParam();
    const QString text = QString::fromUtf8(c.text);
    EXPECT_EQ(IsNumeric(text), c.numeric) << c.text;
    if (c.numeric)
        EXPECT_DOUBLE_EQ(NumericValue(text), c.value) << c.text;
}

INSTANTIATE_TEST_SUITE_P(Texts, IsNumericTest,
                         ::testing::Values(NumericCase{"13", true, 13}, NumericCase{" 13 ", true, 13},
                                           NumericCase{"1,000", true, 1000}, NumericCase{"13.", true, 13},
                                           NumericCase{".5", true, 0.5}, NumericCase{"-2", true, -2},
                                           NumericCase{"2-", true, -2}, NumericCase{"+7", true, 7},
                                           NumericCase{"1e3", true, 1000}, NumericCase{"&H1F", true, 31},
                                           NumericCase{"&O17", true, 15}, NumericCase{"", false, 0},
                                           NumericCase{"   ", false, 0}, NumericCase{"abc", false, 0},
                                           NumericCase{"1.2.3", false, 0}, NumericCase{"12abc", false, 0},
                                           NumericCase{"-", false, 0}, NumericCase{".", false, 0},
                                           NumericCase{"1e999", false, 0}, NumericCase{"e3", false, 0},
                                           NumericCase{"\t13", false, 0}));

TEST(Format, DatePatternsUseEnglishMonthsAndTheDayClock)
{
    const QDateTime dt(QDate(2026, 12, 7), QTime(15, 30, 57));
    EXPECT_EQ(Format(dt, QStringLiteral("mmmm dd, yyyy | hh:mm:ss")), QStringLiteral("December 07, 2026 | 15:30:57"));
    EXPECT_EQ(Format(dt, QStringLiteral("mm/dd/yyyy")), QStringLiteral("12/07/2026"));
    EXPECT_EQ(Format(dt, QStringLiteral("yyyy")), QStringLiteral("2026"));
    const QDateTime morning(QDate(2024, 3, 5), QTime(4, 5, 6));
    EXPECT_EQ(Format(morning, QStringLiteral("mmmm dd, yyyy | hh:mm:ss")), QStringLiteral("March 05, 2024 | 04:05:06"));
}

TEST(Format, ZeroPaddingOfNumbersAndNumberTexts)
{
    EXPECT_EQ(Format(qint64(3), QStringLiteral("00")), QStringLiteral("03"));
    EXPECT_EQ(Format(qint64(12), QStringLiteral("00")), QStringLiteral("12"));
    EXPECT_EQ(Format(QStringLiteral("26"), QStringLiteral("0000")), QStringLiteral("0026"));
    EXPECT_EQ(Format(QStringLiteral("2026"), QStringLiteral("0000")), QStringLiteral("2026"));
    EXPECT_EQ(Format(QStringLiteral("abc"), QStringLiteral("0000")), QStringLiteral("abc"));
}

TEST(DateAdd, MonthsKeepTheDayOrTakeTheMonthsLastDay)
{
    EXPECT_EQ(DateAddMonths(QDate(2024, 1, 31), 1), QDate(2024, 2, 29));
    EXPECT_EQ(DateAddMonths(QDate(2023, 1, 31), 1), QDate(2023, 2, 28));
    EXPECT_EQ(DateAddMonths(QDate(2024, 12, 1), 1), QDate(2025, 1, 1));
    // One month on, then back by the day of month: the month's last day.
    EXPECT_EQ(DateAddDays(DateAddMonths(QDate(2024, 12, 1), 1), -1), QDate(2024, 12, 31));
    EXPECT_EQ(DateAddDays(DateAddMonths(QDate(2024, 2, 1), 1), -1), QDate(2024, 2, 29));
}

TEST(ParseDate, ReadsTheFormsTheProgramBuilds)
{
    EXPECT_EQ(ParseDate(QStringLiteral("03/01/2024"))->date(), QDate(2024, 3, 1));
    EXPECT_EQ(ParseDate(QStringLiteral("3 01, 2024"))->date(), QDate(2024, 3, 1));
    EXPECT_EQ(ParseDate(QStringLiteral("March 01, 2024"))->date(), QDate(2024, 3, 1));
    EXPECT_EQ(*ParseDate(QStringLiteral("2026-12-07 15:30:57.250")),
              QDateTime(QDate(2026, 12, 7), QTime(15, 30, 57, 250)));
    EXPECT_FALSE(ParseDate(QStringLiteral("02/30/2024")));
    EXPECT_FALSE(ParseDate(QStringLiteral("13/01/2024")));
    EXPECT_FALSE(ParseDate(QStringLiteral("yesterday")));
}

TEST(CreateObject, UnknownProgIdFailsAsTheRuntimeDoes)
{
    try {
        CreateObject(QStringLiteral("No.SuchComponent"));
        FAIL() << "expected a failure";
    } catch (const ComError &e) {
        EXPECT_EQ(e.number(), 429);
        EXPECT_EQ(e.description(), QStringLiteral("ActiveX component can't create object"));
        EXPECT_EQ(e.source(), QStringLiteral("No.SuchComponent"));
    }
}

namespace {
struct Widget : ComObject
{
    int id = 0;
};
} // namespace

TEST(CreateObject, RegisteredFactoriesAreFoundCaseInsensitivelyAndCanBeReplaced)
{
    RegisterProgID(QStringLiteral("Test.Widget"), [] {
        auto w = std::make_shared<Widget>();
        w->id = 1;
        return w;
    });
    EXPECT_EQ(CreateObjectAs<Widget>(QStringLiteral("test.widget"))->id, 1);
    RegisterProgID(QStringLiteral("TEST.WIDGET"), [] {
        auto w = std::make_shared<Widget>();
        w->id = 2;
        return w;
    });
    EXPECT_EQ(CreateObjectAs<Widget>(QStringLiteral("Test.Widget"))->id, 2);
    UnregisterProgID(QStringLiteral("Test.Widget"));
    EXPECT_THROW(CreateObject(QStringLiteral("Test.Widget")), ComError);
}

TEST(App, VersionComesFromTheProject)
{
    EXPECT_EQ(QStringLiteral("%1.%2.%3").arg(App::Major()).arg(App::Minor()).arg(App::Revision()),
              QStringLiteral("1.0.0"));
    EXPECT_EQ(App::Title(), QStringLiteral("ORVANT DOH"));
}
