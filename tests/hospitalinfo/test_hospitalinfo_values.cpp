#include "hospitalinfo/HospitalInfoValues.h"

#include "com/ComError.h"

#include <gtest/gtest.h>

#include <functional>

using com::Variant;

namespace {

enum class Conversion { XFlag, Number, Truth, Text };

struct ConversionCase
{
    const char *name;
    Conversion conversion;
    Variant stored;
    QString shown;    // the control value, as text
    long failure = 0; // the runtime error, when the value cannot be shown
};

QString Show(Conversion conversion, const Variant &value)
{
    switch (conversion) {
    case Conversion::XFlag:
        return QString::number(hospitalinfo::XFlagValue(value));
    case Conversion::Number:
        return QString::number(hospitalinfo::NumberValue(value));
    case Conversion::Truth:
        return QString::number(hospitalinfo::TruthValue(value));
    case Conversion::Text:
        return hospitalinfo::TextValue(value);
    }
    return QString();
}

class Conversions : public ::testing::TestWithParam<ConversionCase>
{
};

TEST_P(Conversions, TurnTheStoredValueIntoTheControlValue)
{
    const ConversionCase &c = GetParam();
    if (c.failure) {
        try {
            Show(c.conversion, c.stored);
            ADD_FAILURE() << "no failure";
        } catch (const com::ComError &e) {
            EXPECT_EQ(e.number(), c.failure);
        }
        return;
    }
    EXPECT_EQ(Show(c.conversion, c.stored), c.shown);
}

INSTANTIATE_TEST_SUITE_P(
    HospitalInfo, Conversions,
    ::testing::Values(
        ConversionCase{"XFlagCapitalX", Conversion::XFlag, Variant(QStringLiteral("X")), QStringLiteral("1")},
        ConversionCase{"XFlagWithBlanks", Conversion::XFlag, Variant(QStringLiteral("  X ")), QStringLiteral("1")},
        ConversionCase{"XFlagSmallX", Conversion::XFlag, Variant(QStringLiteral("x")), QStringLiteral("0")},
        ConversionCase{"XFlagOtherLetter", Conversion::XFlag, Variant(QStringLiteral("Y")), QStringLiteral("0")},
        ConversionCase{"XFlagTwoX", Conversion::XFlag, Variant(QStringLiteral("XX")), QStringLiteral("0")},
        ConversionCase{"XFlagEmpty", Conversion::XFlag, Variant(QString()), QStringLiteral("0")},
        ConversionCase{"XFlagNull", Conversion::XFlag, Variant(), QStringLiteral("0")},
        ConversionCase{"NumberNullIsZero", Conversion::Number, Variant(), QStringLiteral("0")},
        ConversionCase{"NumberInteger", Conversion::Number, Variant(109), QStringLiteral("109")},
        ConversionCase{"NumberNumeral", Conversion::Number, Variant(QStringLiteral(" 12 ")), QStringLiteral("12")},
        ConversionCase{"NumberLargest", Conversion::Number, Variant(qint64(2147483647)), QStringLiteral("2147483647")},
        ConversionCase{"NumberBeyond32Bits", Conversion::Number, Variant(qint64(2147483648)), QString(), 6},
        ConversionCase{"NumberWord", Conversion::Number, Variant(QStringLiteral("abc")), QString(), 13},
        ConversionCase{"TruthTrue", Conversion::Truth, Variant(true), QStringLiteral("1")},
        ConversionCase{"TruthFalse", Conversion::Truth, Variant(false), QStringLiteral("0")},
        ConversionCase{"TruthNull", Conversion::Truth, Variant(), QStringLiteral("0")},
        ConversionCase{"TruthOne", Conversion::Truth, Variant(1), QStringLiteral("1")},
        ConversionCase{"TruthZero", Conversion::Truth, Variant(0), QStringLiteral("0")},
        ConversionCase{"TruthNumeral", Conversion::Truth, Variant(QStringLiteral("1")), QStringLiteral("1")},
        ConversionCase{"TextNullIsEmpty", Conversion::Text, Variant(), QString()},
        ConversionCase{"TextKeepsBlanks", Conversion::Text, Variant(QStringLiteral(" San José ")),
                       QStringLiteral(" San José ")}),
    [](const ::testing::TestParamInfo<ConversionCase> &info) { return std::string(info.param.name); });

} // namespace
