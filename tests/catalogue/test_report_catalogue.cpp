#include "catalogue/ReportCatalogue.h"

#include "support/StatementLog.h"

#include <gtest/gtest.h>

#include <QSet>

namespace {

using catalogue::Visibility;

struct ExpectedItem
{
    int number;
    const char16_t *title;
    Visibility visibility;
    bool fixedValue;
    const char16_t *reportID;
    const char16_t *procedure; // empty: none
    bool takesUploadOption;
};

// The catalogue as the DOH sections are published, in list order.
const ExpectedItem kExpected[] = {
    {1, u"I. Hospital General Information", Visibility::FixedFlag, true, u"I.", u"", false},
    {2, u"I.3.4 Allocation of Beds", Visibility::FixedFlag, false, u"I.3.4", u"sp_DOH_Upload_SectionI34", false},
    {3, u"I.9 Laboratory Services", Visibility::FixedFlag, false, u"I.9", u"sp_DOH_Upload_SectionI9", true},
    {4, u"II. Hospital Operations. A.Summary of Patients in the Hospital", Visibility::FixedFlag, true, u"II.",
     u"sp_DOH_Upload_SectionII1", false},
    {5, u"II. Hospital Operations. B. Discharges", Visibility::FixedFlag, true, u"II.", u"sp_DOH_Upload_SectionII21",
     false},
    {6, u"II. B.1. Average Length of Stay (ALOS)", Visibility::Always, true, u"II.", u"sp_DOH_Upload_SectionII22",
     false},
    {7, u"II. B.2. Top 10 Leading Causes of Morbidity", Visibility::FixedFlag, true, u"II.",
     u"sp_DOH_Upload_SectionII3", false},
    {8, u"II. B.3 Total Number of Deliveries and B.4 Outpatient Visits", Visibility::Always, true, u"II.",
     u"sp_DOH_Upload_DeliveriesAndOutpatientVisits", false},
    {9, u"II. B.4 Emergency Visits, Testing, Other Services and Diseases Seen", Visibility::Always, true, u"II.",
     u"sp_DOH_Upload_ERTestingAndOthers", false},
    {10, u"II. C. Deaths", Visibility::FixedFlag, true, u"II.", u"sp_DOH_Upload_SectionIII", false},
    {11, u"II. C. Deaths 3.Top 10 Leading Causes of Mortality", Visibility::FixedFlag, true, u"II.",
     u"sp_DOH_Upload_SectionII7", false},
    {12, u"II.8 Surgical Operations", Visibility::FixedFlag, false, u"II.8", u"sp_DOH_Upload_SectionII8", true},
    {13, u"II.9.1 10 Leading Major Operations", Visibility::FixedFlag, false, u"II.9.1", u"sp_DOH_Upload_SectionII91",
     false},
    {14, u"II.9.2 10 Leading Minor Operations", Visibility::FixedFlag, false, u"II.9.2", u"sp_DOH_Upload_SectionII92",
     false},
    {15, u"II. D. Health Associated Infections", Visibility::Always, true, u"II.", u"sp_DOH_Upload_HealthAssociatedInf",
     false},
    {16, u"II. E. Surgical Operations", Visibility::Always, true, u"II.", u"sp_DOH_Upload_SurgicalProcedure", false},
    {17, u"III.11.4 Leading Causes of Consultation (OPD)(OLD)", Visibility::AllowConsultationCauses, false,
     u"III.11.4", u"sp_DOH_Upload_SectionIII114", true},
    {18, u"II.9.3 10 Leading Causes of Emergency Cases(OLD)", Visibility::AllowERCases, false, u"II.9.3",
     u"sp_DOH_Upload_SectionII103", true},
};

class CatalogueItem : public ::testing::TestWithParam<ExpectedItem>
{
};

TEST_P(CatalogueItem, HoldsTitleRuleReportIdAndUpload)
{
    const ExpectedItem &expected = GetParam();
    const auto &items = catalogue::ReportCatalogue();
    ASSERT_EQ(items.size(), 18);
    const catalogue::ReportItem &item = items.at(expected.number - 1);
    EXPECT_EQ(item.number, expected.number);
    EXPECT_EQ(item.title, QString::fromUtf16(expected.title));
    EXPECT_EQ(item.visibility, expected.visibility);
    if (expected.visibility == Visibility::FixedFlag) {
        EXPECT_EQ(item.fixedFlagValue, expected.fixedValue);
    }
    EXPECT_EQ(catalogue::GetReportID(item.title), QString::fromUtf16(expected.reportID));
    EXPECT_EQ(item.uploadProcedure, QString::fromUtf16(expected.procedure));
    if (!item.uploadProcedure.isEmpty()) {
        EXPECT_EQ(item.takesUploadOption, expected.takesUploadOption);
    } else {
        EXPECT_FALSE(item.takesUploadOption);
    }
    EXPECT_EQ(catalogue::FindReportItem(item.title), &item);
}

INSTANTIATE_TEST_SUITE_P(InListOrder, CatalogueItem, ::testing::ValuesIn(kExpected),
                         [](const auto &info) { return "Item" + std::to_string(info.param.number); });

TEST(ReportCatalogue, TitlesAreUniqueAndEachHasABlank)
{
    QSet<QString> seen;
    for (const auto &item : catalogue::ReportCatalogue()) {
        EXPECT_FALSE(seen.contains(item.title)) << item.title.toStdString();
        seen.insert(item.title);
        EXPECT_TRUE(item.title.contains(QLatin1Char(' ')));
    }
}

TEST(ReportCatalogue, FourUploadsTakeTheUploadOption)
{
    QStringList taking;
    for (const auto &item : catalogue::ReportCatalogue()) {
        if (item.takesUploadOption)
            taking.append(item.uploadProcedure);
    }
    EXPECT_EQ(taking, (QStringList{QStringLiteral("sp_DOH_Upload_SectionI9"), QStringLiteral("sp_DOH_Upload_SectionII8"),
                                   QStringLiteral("sp_DOH_Upload_SectionIII114"),
                                   QStringLiteral("sp_DOH_Upload_SectionII103")}));
}

TEST(ReportCatalogue, TitlesMatchExactlyAndCaseSensitively)
{
    EXPECT_EQ(catalogue::FindReportItem(QStringLiteral("II. c. Deaths")), nullptr);
    EXPECT_EQ(catalogue::FindReportItem(QStringLiteral("II. C. Deaths ")), nullptr);
    EXPECT_EQ(catalogue::FindReportItem(QString()), nullptr);
    ASSERT_NE(catalogue::FindReportItem(QStringLiteral("II. C. Deaths")), nullptr);
    EXPECT_EQ(catalogue::FindReportItem(QStringLiteral("II. C. Deaths"))->number, 10);
}

TEST(GetReportID, IsTheTextBeforeTheFirstBlank)
{
    EXPECT_EQ(catalogue::GetReportID(QStringLiteral("I.3.4 Allocation of Beds")), QStringLiteral("I.3.4"));
    EXPECT_EQ(catalogue::GetReportID(QStringLiteral("II. B.2. Top 10 Leading Causes of Morbidity")),
              QStringLiteral("II."));
    EXPECT_EQ(catalogue::GetReportID(QStringLiteral("III.11.4 Leading Causes of Consultation (OPD)(OLD)")),
              QStringLiteral("III.11.4"));
    EXPECT_EQ(catalogue::GetReportID(QStringLiteral(" leading blank")), QString());
}

} // namespace
