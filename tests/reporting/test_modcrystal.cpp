// modCrystal: opening a report file and its header, re-pointing and logging
// on every table, handing values to parameter fields by position.
#include "ReportTestSupport.h"

#include "com/ComError.h"
#include "reporting/modCrystal.h"
#include "reportengine/DataConnection.h"
#include "reportengine/ReportEngine.h"
#include "startup/modSysConstants.h"

#include <gtest/gtest.h>

using namespace reportengine;
using modCrystal::pobjReport;

namespace {

QString tablesReport(const QStringList &locations, int parameterCount, bool withHeader)
{
    QString tables, parameters, shown, header;
    for (int i = 0; i < locations.size(); ++i)
        tables += QStringLiteral("<table alias=\"t%1\" location=\"%2\"/>").arg(i + 1).arg(locations[i]);
    for (int i = 1; i <= parameterCount; ++i) {
        parameters += QStringLiteral("<parameter name=\"P%1\" type=\"text\" default=\"file %1\"/>").arg(i);
        shown += QStringLiteral("<parameter-field name=\"P%1\" x=\"0\" y=\"%2\" w=\"300\" h=\"12\"/>").arg(i).arg(i * 12);
    }
    if (withHeader)
        header = QStringLiteral(R"(<subreports><report name="OrvantReportHeader.rpt">
      <parameters><parameter name="Name" type="text"/><parameter name="Address1" type="text"/><parameter name="Address2" type="text"/></parameters>
      <tables><table alias="h" location="PASSWORD.dbo.tbHospitalInfo2"/></tables>
      <sections><section kind="report-header" height="36">
        <parameter-field name="Name" x="0" y="0" w="300" h="12"/>
        <parameter-field name="Address1" x="0" y="12" w="300" h="12"/>
      </section></sections></report></subreports>)");
    return QStringLiteral("<report name=\"r\"><summary title=\"T\"/><parameters>%1</parameters><tables>%2</tables>"
                          "<sections><section kind=\"report-header\" height=\"40\">%3%4</section></sections>%5</report>")
        .arg(parameters, tables, shown,
             withHeader ? QStringLiteral("<subreport name=\"OrvantReportHeader.rpt\" x=\"0\" y=\"0\" w=\"300\" h=\"10\"/>")
                        : QString(),
             header);
}

class ModCrystalTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_user = std::make_shared<testing_support::FakeCurrentUser>();
        m_user->server = m_store.folder();
        modSysConstants::pobjCurrentUser = m_user;
        modSysConstants::pstrHospitalName = QStringLiteral("Orvant General Hospital");
        pobjReport.reset();
    }
    void TearDown() override
    {
        pobjReport.reset();
        modSysConstants::pobjCurrentUser.reset();
    }
    QString file(const QString &name, const QString &xml) { return testing_support::writeReportFile(m_dir, name, xml); }
    static QList<com::Variant> values(std::initializer_list<const char16_t *> texts)
    {
        QList<com::Variant> list;
        for (const char16_t *t : texts)
            list << com::Variant(QString::fromUtf16(t));
        return list;
    }

    QTemporaryDir m_dir;
    testing_support::TempStore m_store;
    std::shared_ptr<testing_support::FakeCurrentUser> m_user;
};

struct LocationCase
{
    const char *name;
    const char16_t *before;
    const char16_t *after;
};

class LocationRewrite : public ModCrystalTest, public ::testing::WithParamInterface<LocationCase>
{
};

TEST_P(LocationRewrite, DatabasePartBecomesPatientData)
{
    const QString path = file(QStringLiteral("r.rpt"), tablesReport({QString::fromUtf16(GetParam().before)}, 0, false));
    modCrystal::OpenReportFile(path, {});
    EXPECT_EQ(pobjReport->Database().Tables().Item(1).Location(), QString::fromUtf16(GetParam().after));
}

INSTANTIATE_TEST_SUITE_P(Cases, LocationRewrite,
                         ::testing::Values(LocationCase{"PatientData", u"Patient_Data.dbo.tbX", u"Patient_Data.dbo.tbX"},
                                           LocationCase{"BuildFile", u"BUILD_FILE.dbo.tbX", u"Patient_Data.dbo.tbX"},
                                           LocationCase{"Password", u"PASSWORD.dbo.tbY", u"Patient_Data.dbo.tbY"},
                                           LocationCase{"TwoParts", u"BUILD_FILE.tbZ", u"Patient_Data.tbZ"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ModCrystalTest, LocationWithoutDotFailsWithEarlierTablesDoneAndTheReportCurrent)
{
    const QString path = file(QStringLiteral("r.rpt"), tablesReport({QStringLiteral("BUILD_FILE.dbo.tbA"),
                                                                     QStringLiteral("tbB"), QStringLiteral("PASSWORD.dbo.tbC")},
                                                                    1, false));
    try {
        modCrystal::OpenReportFile(path, values({u"value"}));
        FAIL();
    } catch (const com::ComError &e) {
        EXPECT_EQ(e.number(), 5);
        EXPECT_EQ(e.description(), QStringLiteral("Invalid procedure call or argument"));
    }
    ASSERT_TRUE(pobjReport);
    auto &tables = pobjReport->Database().Tables();
    EXPECT_EQ(tables.Item(1).Location(), QStringLiteral("Patient_Data.dbo.tbA"));
    EXPECT_TRUE(tables.Item(1).hasLogOn());
    EXPECT_EQ(tables.Item(2).Location(), QStringLiteral("tbB"));
    EXPECT_FALSE(tables.Item(2).hasLogOn());
    EXPECT_EQ(tables.Item(3).Location(), QStringLiteral("PASSWORD.dbo.tbC"));
    EXPECT_FALSE(pobjReport->ParameterFields().Item(1).HasCurrentValue()) << "values come after the tables";
    EXPECT_EQ(pobjReport->ReportAuthor(), QStringLiteral("Orvant General Hospital"));
}

TEST_F(ModCrystalTest, ValuesGoToParameterFieldsByPosition)
{
    // Three fields, two values: the third keeps the file's default.
    modCrystal::OpenReportFile(file(QStringLiteral("three.rpt"), tablesReport({}, 3, false)),
                               values({u"03/01/2024", u"03/31/2024"}));
    auto &three = pobjReport->ParameterFields();
    EXPECT_EQ(three.Item(1).CurrentValue().toText(), QStringLiteral("03/01/2024"));
    EXPECT_EQ(three.Item(2).CurrentValue().toText(), QStringLiteral("03/31/2024"));
    EXPECT_FALSE(three.Item(3).HasCurrentValue());
    EXPECT_EQ(three.Item(3).displayText(), QStringLiteral("file 3"));

    // Two fields, five values: the first two are used.
    modCrystal::OpenReportFile(file(QStringLiteral("two.rpt"), tablesReport({}, 2, false)),
                               values({u"a", u"b", u"c", u"d", u"e"}));
    auto &two = pobjReport->ParameterFields();
    ASSERT_EQ(two.Count(), 2);
    EXPECT_EQ(two.Item(1).CurrentValue().toText(), QStringLiteral("a"));
    EXPECT_EQ(two.Item(2).CurrentValue().toText(), QStringLiteral("b"));

    // No fields: the values are ignored.
    EXPECT_NO_THROW(modCrystal::OpenReportFile(file(QStringLiteral("none.rpt"), tablesReport({}, 0, false)),
                                               values({u"x", u"y"})));
    EXPECT_EQ(pobjReport->ParameterFields().Count(), 0);
    EXPECT_NO_THROW(pobjReport->document());

    // An empty list leaves every field to its default.
    modCrystal::OpenReportFile(file(QStringLiteral("three.rpt"), tablesReport({}, 3, false)), {});
    EXPECT_FALSE(pobjReport->ParameterFields().Item(1).HasCurrentValue());
}

TEST_F(ModCrystalTest, EveryTableOfReportAndHeaderGetsTheSessionsLogOn)
{
    testing_support::createVisits(m_store, 5);
    const QString path = file(QStringLiteral("r.rpt"),
                              tablesReport({QStringLiteral("BUILD_FILE.dbo.tbVisits"), QStringLiteral("PASSWORD.dbo.tbVisits")},
                                           0, true));
    modCrystal::OpenReportFile(path, {});
    modCrystal::OpenSubReport(QStringLiteral("OrvantReportHeader.rpt"),
                              values({u"Orvant General Hospital", u"12 Rizal Ave.", u""}));
    const LogOnInfo expected{m_store.folder(), QStringLiteral("Patient_Data"), QStringLiteral("records"),
                             QStringLiteral("s3cret")};
    int tables = 0;
    for (DatabaseTable &t : pobjReport->Database().Tables()) {
        EXPECT_EQ(t.logOnInfo(), expected);
        ++tables;
    }
    auto header = pobjReport->OpenSubreport(QStringLiteral("OrvantReportHeader.rpt"));
    for (DatabaseTable &t : header->Database().Tables()) {
        EXPECT_EQ(t.logOnInfo(), expected);
        EXPECT_EQ(t.Location(), QStringLiteral("Patient_Data.dbo.tbHospitalInfo2"));
        ++tables;
    }
    EXPECT_EQ(tables, 3);
    EXPECT_EQ(header->ParameterFields().Item(1).CurrentValue().toText(), QStringLiteral("Orvant General Hospital"));
    EXPECT_EQ(header->ParameterFields().Item(3).CurrentValue().toText(), QString());
    EXPECT_EQ(header->ReportAuthor(), QString()) << "the header's properties are not touched";
    EXPECT_EQ(pobjReport->definition().name, QStringLiteral("r")) << "the main report stays current";
}

TEST_F(ModCrystalTest, LogOnOpensTheEmbeddedStoreTheSessionNames)
{
    testing_support::createVisits(m_store, 12);
    const QString path = testing_support::writeReportFile(
        m_dir, QStringLiteral("v.rpt"), testing_support::visitsReportXml(QStringLiteral("BUILD_FILE.dbo.tbVisits")));
    modCrystal::OpenReportFile(path, values({u"03/01/2024", u"03/31/2024"}));
    const Document &doc = pobjReport->document();
    ASSERT_EQ(doc.pageCount(), 1);
    ASSERT_EQ(pobjReport->dataConnections().size(), 1u);
    EXPECT_TRUE(pobjReport->dataConnections()[0]->isEmbedded());
    EXPECT_TRUE(pobjReport->dataConnections()[0]->connection()->statementLog().statements().value(0).contains(
        QStringLiteral("FROM \"Patient_Data\".\"tbVisits\"")));
}

TEST_F(ModCrystalTest, UnknownSubreportFailsAndTheMainReportStaysCurrent)
{
    modCrystal::OpenReportFile(file(QStringLiteral("r.rpt"), tablesReport({}, 0, true)), {});
    const auto main = pobjReport;
    try {
        modCrystal::OpenSubReport(QStringLiteral("NoSuchHeader.rpt"), values({u"x"}));
        FAIL();
    } catch (const com::ComError &e) {
        EXPECT_EQ(e.description(),
                  QStringLiteral("Invalid subreport name: the report '%1' holds no subreport named 'NoSuchHeader.rpt'.")
                      .arg(m_dir.filePath(QStringLiteral("r.rpt"))));
    }
    EXPECT_EQ(pobjReport, main);
}

TEST_F(ModCrystalTest, SubreportWithoutCurrentReportFails)
{
    EXPECT_THROW(modCrystal::OpenSubReport(QStringLiteral("OrvantReportHeader.rpt"), {}), com::ComError);
}

TEST_F(ModCrystalTest, FailedOpenKeepsThePreviousReportCurrent)
{
    modCrystal::OpenReportFile(file(QStringLiteral("r.rpt"), tablesReport({}, 0, false)), {});
    auto previous = pobjReport;
    EXPECT_THROW(modCrystal::OpenReportFile(m_dir.filePath(QStringLiteral("missing.rpt")), {}), com::ComError);
    EXPECT_EQ(pobjReport, previous);
    // A new file replaces and releases the previous report.
    std::weak_ptr<Report> old = previous;
    previous.reset();
    modCrystal::OpenReportFile(file(QStringLiteral("s.rpt"), tablesReport({}, 0, false)), {});
    EXPECT_TRUE(old.expired());
}

TEST_F(ModCrystalTest, ValueTheFieldRejectsIsRaisedWithEarlierValuesKept)
{
    const QString path = file(QStringLiteral("n.rpt"),
                              QStringLiteral("<report><parameters><parameter name=\"A\" type=\"text\"/>"
                                             "<parameter name=\"B\" type=\"number\"/></parameters></report>"));
    EXPECT_THROW(modCrystal::OpenReportFile(path, values({u"first", u"not a number"})), com::ComError);
    ASSERT_TRUE(pobjReport);
    EXPECT_TRUE(pobjReport->ParameterFields().Item(1).HasCurrentValue());
    EXPECT_FALSE(pobjReport->ParameterFields().Item(2).HasCurrentValue());
}

} // namespace

namespace {

TEST_F(ModCrystalTest, SampleReportOpensWithItsHeaderAndFills)
{
    testing_support::createVisits(m_store, 90);
    const QString path = QStringLiteral(QT_TESTCASE_SOURCEDIR "/../../reports/rptSample.rpt");
    modCrystal::OpenReportFile(path, values({u"03/01/2024", u"03/31/2024"}));
    modCrystal::OpenSubReport(QStringLiteral("OrvantReportHeader.rpt"),
                              values({u"Orvant General Hospital", u"12 Rizal Avenue", u""}));
    EXPECT_EQ(pobjReport->Database().Tables().Item(1).Location(), QStringLiteral("Patient_Data.dbo.tbVisits"));
    const Document &doc = pobjReport->document();
    ASSERT_GE(doc.pageCount(), 2);
    QStringList first;
    for (const DisplayItem &item : doc.pages[0].items)
        if (item.kind == DisplayItem::Kind::Text)
            first << item.text;
    EXPECT_EQ(first.mid(0, 4), (QStringList{QStringLiteral("Orvant General Hospital"), QStringLiteral("12 Rizal Avenue"),
                                            QString(), QStringLiteral("Sample: Visits by Service")}));
    EXPECT_TRUE(first.contains(QStringLiteral("From 03/01/2024 to 03/31/2024")));
    EXPECT_TRUE(first.contains(QStringLiteral("Page 1 of %1").arg(doc.pageCount())));
}

} // namespace
