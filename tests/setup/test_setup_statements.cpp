#include "setup/SetupStatements.h"

#include "support/StatementLog.h"

#include <gtest/gtest.h>

namespace {

struct AgeCase
{
    const char16_t *typed;
    const char16_t *sent; // nullptr: refused
};

class AgeArgumentTest : public ::testing::TestWithParam<AgeCase>
{
};

TEST_P(AgeArgumentTest, SendsThePlainDecimalOfWhatTheNumericTestAccepts)
{
    const AgeCase &c = GetParam();
    const std::optional<QString> sent = setup::AgeArgument(QString::fromUtf16(c.typed));
    if (c.sent == nullptr) {
        EXPECT_FALSE(sent.has_value()) << "sent " << sent.value_or(QString()).toStdString();
    } else {
        ASSERT_TRUE(sent.has_value());
        EXPECT_EQ(*sent, QString::fromUtf16(c.sent));
    }
}

INSTANTIATE_TEST_SUITE_P(Ages, AgeArgumentTest,
                         ::testing::Values(AgeCase{u"13", u"13"}, AgeCase{u" 13 ", u"13"}, AgeCase{u"13.", u"13"},
                                           AgeCase{u"1,000", u"1000"}, AgeCase{u"+13", u"13"},
                                           AgeCase{u"13-", u"-13"}, AgeCase{u"-0", u"0"},
                                           AgeCase{u"13.50", u"13.5"}, AgeCase{u".5", u"0.5"},
                                           AgeCase{u"1e1", u"10"}, AgeCase{u"1.2E+2", u"120"},
                                           AgeCase{u"&H0D", u"13"}, AgeCase{u"&O15", u"13"},
                                           AgeCase{u"1e25", u"10000000000000000905969664"},
                                           AgeCase{u"", nullptr}, AgeCase{u"   ", nullptr},
                                           AgeCase{u"abc", nullptr}, AgeCase{u"13 yrs", nullptr},
                                           AgeCase{u"1e400", nullptr}, AgeCase{u"1 3", nullptr},
                                           AgeCase{u"13\t", nullptr}, AgeCase{u"$13", nullptr}));

TEST(SetupStatements, SaveOfTheDefaults)
{
    EXPECT_EQ(setup::SaveSetupStatement(QStringLiteral("13"), QStringLiteral("13"), QStringLiteral("23")),
              QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 13,'13','23'"));
}

TEST(SetupStatements, CodesKeepTheirBlanksAndQuotesAreDoubled)
{
    EXPECT_EQ(setup::SaveSetupStatement(QStringLiteral("7"), QStringLiteral(" 13 "), QStringLiteral("O'B")),
              QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 7,' 13 ','O''B'"));
    EXPECT_EQ(setup::ServiceLookupStatement(QStringLiteral(" 13 ")),
              QStringLiteral("BUILD_FILE..sp_Bui_Common_Load_tbCoService ' 13 '"));
    EXPECT_EQ(setup::ServiceLookupStatement(QStringLiteral("'; drop")),
              QStringLiteral("BUILD_FILE..sp_Bui_Common_Load_tbCoService '''; drop'"));
}

} // namespace
