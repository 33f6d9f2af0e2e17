#include "hospitalinfo/HospitalInfoValues.h"

#include "com/ComError.h"

#include <gtest/gtest.h>

using com::Variant;

namespace {

struct ConversionCase
{
    const char *name;
    QString (*convert)(const Variant &);
    Variant stored;
    const char *shown;
    long failure = 0; // the runtime error when the value cannot be shown
};

QString XFlag(const Variant &v)
{
    return QString::number(hospitalinfo::XFlagValue(v));
}
QString Number(const Variant &v)
{
    return QString::number(hospitalinfo::NumberValue(v));
}
QString Truth(const Variant &v)
{
    return QString::number(hospitalinfo::TruthValue(v));
}
QString Text(const Variant &v)
{
    return hospitalinfo::TextValue(v);
}

class Conversions : public ::testing::TestWithParam<ConversionCase>
{
};

TEST_P(Conversions, TurnTheStoredValueIntoTheControlValue)
{
    const ConversionCase &c = GetParam();
    try {
        EXPECT_EQ(c.convert(c.stored), QString::fromUtf8(c.shown));
        EXPECT_EQ(c.failure, 0);
    } catch (const com::ComError &e) {
        EXPECT_EQ(e.number(), c.failure);
    }
}

INSTANTIATE_TEST_SUITE_P(
    HospitalInfo, Conversions,
    ::testing::Values(
        ConversionCase{"XFlagCapitalX", XFlag, Variant(u"X"), "1"},
        ConversionCase{"XFlagWithBlanks", XFlag, Variant(u"  X "), "1"},
        ConversionCase{"XFlagSmallX", XFlag, Variant(u"x"), "0"},
        ConversionCase{"XFlagOtherText", XFlag, Variant(u"XX"), "0"},
        ConversionCase{"XFlagEmpty", XFlag, Variant(u""), "0"}, ConversionCase{"XFlagNull", XFlag, Variant(), "0"},
        ConversionCase{"NumberNullIsZero", Number, Variant(), "0"},
        ConversionCase{"NumberInteger", Number, Variant(109), "109"},
        ConversionCase{"NumberNumeral", Number, Variant(u" 12 "), "12"},
        ConversionCase{"NumberLargest", Number, Variant(qint64(2147483647)), "2147483647"},
        ConversionCase{"NumberBeyond32Bits", Number, Variant(qint64(2147483648)), "", 6},
        ConversionCase{"NumberWord", Number, Variant(u"abc"), "", 13},
        ConversionCase{"TruthTrue", Truth, Variant(true), "1"},
        ConversionCase{"TruthFalse", Truth, Variant(false), "0"}, ConversionCase{"TruthNull", Truth, Variant(), "0"},
        ConversionCase{"TruthNumeral", Truth, Variant(u"1"), "1"}, ConversionCase{"TruthZero", Truth, Variant(0), "0"},
        ConversionCase{"TextNullIsEmpty", Text, Variant(), ""},
        ConversionCase{"TextKeepsBlanks", Text, Variant(u" San José "), " San José "}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
