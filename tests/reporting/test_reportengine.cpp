// The report engine: reading report files, binding, fill, pagination, the
// export model.
#include "ReportTestSupport.h"

#include "com/ComError.h"
#include "embedded/Store.h"
#include "reportengine/DataConnection.h"
#include "reportengine/Fill.h"
#include "reportengine/Painter.h"
#include "reportengine/PdfInfo.h"
#include "reportengine/ReportEngine.h"
#include "reportexport/ExportDocument.h"
#include "support/StatementLog.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>

using namespace reportengine;
using testing_support::TempStore;

namespace {

class ReportEngineTest : public ::testing::Test
{
protected:
    std::shared_ptr<Report> open(const QString &xml, const QString &name = QStringLiteral("rpt.rpt"))
    {
        const QString path = testing_support::writeReportFile(m_dir, name, xml);
        return Application().OpenReport(path, 1);
    }
    void logOn(Report &report)
    {
        for (DatabaseTable &t : report.Database().Tables())
            t.SetLogOnInfo(m_store.folder(), QStringLiteral("Patient_Data"), QStringLiteral("u"), QStringLiteral("p"));
    }
    std::shared_ptr<Report> visits(int rows, const QString &groupAttributes = QString())
    {
        testing_support::createVisits(m_store, rows);
        auto report = open(
            testing_support::visitsReportXml(QStringLiteral("Patient_Data.dbo.tbVisits"), QString(), groupAttributes));
        logOn(*report);
        report->ParameterFields().Item(1).AddCurrentValue(QStringLiteral("03/01/2024"));
        report->ParameterFields().Item(2).AddCurrentValue(QStringLiteral("03/31/2024"));
        return report;
    }
    static QStringList pageTexts(const Document &doc, int page)
    {
        QStringList texts;
        for (const DisplayItem &item : doc.pages[page].items)
            if (item.kind == DisplayItem::Kind::Text)
                texts << item.text;
        return texts;
    }

    QTemporaryDir m_dir;
    TempStore m_store;
};

struct MalformedCase
{
    const char *name;
    const char *xml;
    int line;
    const char *message;
};

class MalformedReportFile : public ReportEngineTest, public ::testing::WithParamInterface<MalformedCase>
{
};

TEST_P(MalformedReportFile, FailsNamingFileLineAndColumn)
{
    const MalformedCase &c = GetParam();
    const QString path = testing_support::writeReportFile(m_dir, QStringLiteral("bad.rpt"), QString::fromUtf8(c.xml));
    try {
        Application().OpenReport(path, 1);
        FAIL() << "no failure";
    } catch (const com::ComError &e) {
        const QString d = e.description();
        EXPECT_TRUE(d.startsWith(QStringLiteral("Error in report file '%1' at line %2, column ").arg(path).arg(c.line)))
            << d.toStdString();
        EXPECT_TRUE(d.contains(QString::fromUtf8(c.message))) << d.toStdString();
        EXPECT_EQ(e.number(), errors::ReportFileInvalid);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedReportFile,
    ::testing::Values(
        MalformedCase{"unclosed", "<report name=\"r\">\n  <sections>\n  </report>\n", 3,
                      "Opening and ending tag mismatch"},
        MalformedCase{"unknownElement", "<report name=\"r\">\n  <chart/>\n</report>\n", 2, "unknown element <chart>"},
        MalformedCase{"badNumber",
                      "<report>\n<sections>\n<section kind=\"detail\" height=\"ten\"/>\n</sections>\n</report>\n", 3,
                      "the attribute 'height' must be a number, not 'ten'"},
        MalformedCase{"badKind", "<report>\n<sections>\n<section kind=\"middle\"/>\n</sections>\n</report>\n", 3,
                      "the attribute 'kind' must be one of"},
        MalformedCase{"wrongRoot", "<layout/>\n", 1, "root element must be <report>"},
        MalformedCase{"missingSubreport",
                      "<report>\n<sections>\n<section kind=\"report-header\">\n<subreport name=\"Hdr.rpt\"/>\n"
                      "</section>\n</sections>\n</report>\n",
                      7, "the subreport 'Hdr.rpt' placed at line 4 is not embedded"},
        MalformedCase{"rowConditionOnAPageHeader",
                      "<report>\n<sections>\n<section kind=\"page-header\" when-field=\"A\" when-equals=\"1\"/>\n"
                      "</sections>\n</report>\n",
                      3, "only detail and group sections can be printed for some rows"},
        MalformedCase{"periodOfTextParameters",
                      "<report>\n<parameters><parameter name=\"A\"/><parameter name=\"B\"/></parameters>\n"
                      "<sections>\n<section kind=\"detail\">\n<special kind=\"period\" from=\"A\" to=\"B\"/>\n"
                      "</section>\n</sections>\n</report>\n",
                      8, "the period at line 5 needs date parameters; 'A' is not one"},
        MalformedCase{"rowsWithoutAQuery",
                      "<report>\n<sections>\n<section kind=\"detail\">\n<text when=\"no-rows\">None</text>\n"
                      "</section>\n</sections>\n</report>\n",
                      7, "the element at line 4 prints by rows but the report has no data query"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ReportEngineTest, MissingFileFailsNamingIt)
{
    const QString path = m_dir.filePath(QStringLiteral("nowhere.rpt"));
    try {
        Application().OpenReport(path, 1);
        FAIL();
    } catch (const com::ComError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("File not found: the report file '%1' does not exist.").arg(path));
    }
}

TEST_F(ReportEngineTest, EachOpenIsAFreshCopy)
{
    auto first = visits(3);
    first->setReportTitle(QStringLiteral("Changed"));
    auto second = Application().OpenReport(m_dir.filePath(QStringLiteral("rpt.rpt")), 1);
    EXPECT_EQ(second->ReportTitle(), QStringLiteral("Visits by Service"));
    EXPECT_FALSE(second->ParameterFields().Item(1).HasCurrentValue());
    EXPECT_FALSE(second->Database().Tables().Item(1).hasLogOn());
}

TEST_F(ReportEngineTest, ParametersAreBoundNeverPastedIntoTheQuery)
{
    auto report = visits(30);
    const Document &doc = report->document();
    ASSERT_GT(doc.pageCount(), 0);
    auto connections = report->dataConnections();
    ASSERT_EQ(connections.size(), 1u);
    EXPECT_TRUE(connections[0]->isEmbedded());
    const QStringList sent = connections[0]->connection()->statementLog().statements();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0],
              QStringLiteral("SELECT Service, Patient, Visits, Days, VisitDate FROM \"Patient_Data\".\"tbVisits\"\n"
                             "      WHERE VisitDate BETWEEN ? AND ? ORDER BY Service, Id"));
    EXPECT_TRUE(pageTexts(doc, 0).contains(QStringLiteral("From 03/01/2024 to 03/31/2024")));
}

TEST_F(ReportEngineTest, QuoteInATextParameterReachesTheDatabaseAsData)
{
    testing_support::createVisits(m_store, 3);
    auto report = open(QStringLiteral(R"(<report>
  <parameters><parameter name="Who" type="text"/></parameters>
  <tables><table alias="v" location="Patient_Data.dbo.tbVisits"/></tables>
  <queries><query name="q">SELECT {?Who} AS Echo, COUNT(*) AS N FROM {v} WHERE Patient = {?Who}</query></queries>
  <data query="q"/>
  <sections><section kind="detail" height="12"><field name="Echo" x="0" y="0" w="200" h="12"/>
  <field name="N" x="200" y="0" w="50" h="12"/></section></sections></report>)"));
    logOn(*report);
    report->ParameterFields().Item(1).AddCurrentValue(QStringLiteral("O'Brien'; DROP TABLE x --"));
    const Document &doc = report->document();
    EXPECT_EQ(pageTexts(doc, 0), (QStringList{QStringLiteral("O'Brien'; DROP TABLE x --"), QStringLiteral("0")}));
}

TEST_F(ReportEngineTest, ParameterWithoutValueUsesDefaultOrFailsClearly)
{
    const QString xml = QStringLiteral(R"(<report>
  <parameters><parameter name="Year" type="number" default="2024"/><parameter name="Name" type="text"/></parameters>
  <sections><section kind="detail" height="12"><parameter-field name="Year" x="0" y="0" w="100" h="12"/>
  </section></sections></report>)");
    auto report = open(xml);
    report->ParameterFields().Item(2).AddCurrentValue(QStringLiteral("x"));
    EXPECT_EQ(pageTexts(report->document(), 0), QStringList{QStringLiteral("2024")});

    // A field without value that nothing shows or binds does not stop the fill.
    auto unused = open(xml, QStringLiteral("unused.rpt"));
    EXPECT_NO_THROW(unused->document());
}

TEST_F(ReportEngineTest, ShownParameterWithoutValueOrDefaultFailsWhenFilled)
{
    auto report = open(QStringLiteral(R"(<report>
  <parameters><parameter name="Name" type="text"/></parameters>
  <sections><section kind="detail" height="12"><parameter-field name="Name" x="0" y="0" w="100" h="12"/>
  </section></sections></report>)"));
    try {
        report->document();
        FAIL();
    } catch (const com::ComError &e) {
        EXPECT_EQ(e.description(),
                  QStringLiteral("The parameter field 'Name' of report '%1' has no value and no default.")
                      .arg(m_dir.filePath(QStringLiteral("rpt.rpt"))));
    }
}

TEST_F(ReportEngineTest, FieldRejectsAValueOfTheWrongType)
{
    auto report = open(QStringLiteral(R"(<report><parameters><parameter name="N" type="number"/>
      <parameter name="D" type="date"/></parameters></report>)"));
    EXPECT_THROW(report->ParameterFields().Item(1).AddCurrentValue(QStringLiteral("ten")), com::ComError);
    EXPECT_THROW(report->ParameterFields().Item(2).AddCurrentValue(QStringLiteral("13/45/2024")), com::ComError);
    EXPECT_THROW(report->ParameterFields().Item(1).AddCurrentValue(com::Variant()), com::ComError);
    EXPECT_FALSE(report->ParameterFields().Item(1).HasCurrentValue());
    report->ParameterFields().Item(1).AddCurrentValue(QStringLiteral(" 1,000 "));
    EXPECT_EQ(report->ParameterFields().Item(1).effectiveValue().toDouble(), 1000.0);
}

TEST_F(ReportEngineTest, TableWithoutLogOnFailsWhenFilled)
{
    testing_support::createVisits(m_store, 3);
    auto report = open(testing_support::visitsReportXml(QStringLiteral("Patient_Data.dbo.tbVisits")));
    report->ParameterFields().Item(1).AddCurrentValue(QStringLiteral("03/01/2024"));
    report->ParameterFields().Item(2).AddCurrentValue(QStringLiteral("03/31/2024"));
    try {
        report->document();
        FAIL();
    } catch (const com::ComError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("The table 'v' of report '%1' has no logon information.")
                                       .arg(m_dir.filePath(QStringLiteral("rpt.rpt"))));
    }
}

TEST_F(ReportEngineTest, DatabaseErrorNamesTheFileAndTheQuery)
{
    testing_support::createVisits(m_store, 3);
    auto report = open(testing_support::visitsReportXml(QStringLiteral("Patient_Data.dbo.tbMissing")));
    logOn(*report);
    report->ParameterFields().Item(1).AddCurrentValue(QStringLiteral("03/01/2024"));
    report->ParameterFields().Item(2).AddCurrentValue(QStringLiteral("03/31/2024"));
    try {
        report->document();
        FAIL();
    } catch (const com::ComError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("Error in report file '%1' at line 13: the query 'main' failed: no "
                                                  "such table: Patient_Data.tbMissing")
                                       .arg(m_dir.filePath(QStringLiteral("rpt.rpt"))));
        EXPECT_EQ(e.number(), com::errors::ProviderError);
    }
}

TEST_F(ReportEngineTest, TwoThousandRowsPaginateWithRepeatedHeadersAndPageNOfM)
{
    auto report = visits(2000, QStringLiteral("repeat-header=\"true\""));
    const Document &doc = report->document();
    const int pages = doc.pageCount();
    ASSERT_GT(pages, 20);
    // Letter, 36 pt margins: 720 pt minus header 18 and footer 16 leaves 686.
    EXPECT_LT(pages, 2000 * 12 / 600);
    QStringList patients;
    for (int p = 0; p < pages; ++p) {
        const QStringList texts = pageTexts(doc, p);
        EXPECT_TRUE(texts.contains(QStringLiteral("Page %1 of %2").arg(p + 1).arg(pages))) << p;
        EXPECT_EQ(texts.count(QStringLiteral("Patient")), 1) << "column header on page " << p + 1;
        if (p > 0) {
            // The group running on at the top of the page repeats its header.
            const QString firstPatientService = texts.at(texts.indexOf(QStringLiteral("Patient")) + 4);
            EXPECT_TRUE(firstPatientService == u"Medicine" || firstPatientService == u"Pediatrics" ||
                        firstPatientService == u"Surgery")
                << firstPatientService.toStdString() << " on page " << p + 1;
        }
        for (const QString &t : texts)
            if (t.startsWith(QLatin1String("Patient ")))
                patients << t;
        for (const DisplayItem &item : doc.pages[p].items) {
            if (item.kind == DisplayItem::Kind::Text && item.text.startsWith(QLatin1String("Patient "))) {
                EXPECT_LE(item.rect.bottom(), 792 - 36 - 16 + 0.01) << "detail runs into the footer";
            }
        }
    }
    ASSERT_EQ(patients.size(), 2000);
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(patients[i], QStringLiteral("Patient %1").arg(i + 1, 5, 10, QLatin1Char('0')));
    EXPECT_EQ(report->queryRuns(), 1);
    report->document();
    EXPECT_EQ(report->queryRuns(), 1) << "laid out once";
}

TEST_F(ReportEngineTest, GroupTotalsCountsAndRatio)
{
    auto report = visits(9);
    const Document &doc = report->document();
    ASSERT_EQ(doc.pageCount(), 1);
    const QStringList t = pageTexts(doc, 0);
    // Rows 0-2 Medicine (visits 1,2,3), 3-5 Pediatrics (4,5,6), 6-8 Surgery (7,1,2).
    const auto totalAfter = [&](int occurrence) {
        int at = -1;
        for (int k = 0; k <= occurrence; ++k)
            at = t.indexOf(QStringLiteral("Service total"), at + 1);
        return t.mid(at + 1, 2);
    };
    EXPECT_EQ(totalAfter(0), (QStringList{QStringLiteral("6"), QStringLiteral("3")}));
    EXPECT_EQ(totalAfter(1), (QStringList{QStringLiteral("15"), QStringLiteral("3")}));
    EXPECT_EQ(totalAfter(2), (QStringList{QStringLiteral("10"), QStringLiteral("3")}));
    const int grand = t.indexOf(QStringLiteral("Grand total"));
    ASSERT_GE(grand, 0);
    EXPECT_EQ(t.at(grand + 1), QStringLiteral("31"));
    // Days 0,1,2 repeating: 9 rows sum to 9; 9 / 31 * 100.
    EXPECT_EQ(t.at(grand + 2), QStringLiteral("29.03"));
    ASSERT_EQ(doc.groups.size(), 3);
    EXPECT_EQ(doc.groups[1].label, QStringLiteral("Pediatrics"));
    EXPECT_EQ(doc.groups[1].page, 0);
}

TEST_F(ReportEngineTest, KeepTogetherMovesAGroupThatFitsAPageToTheNext)
{
    auto report = visits(150, QStringLiteral("keep-together=\"true\""));
    const Document &doc = report->document();
    // 50 rows a group: 16 + 50 * 12 + 16 = 632 pt each; two never share a page.
    ASSERT_EQ(doc.pageCount(), 3);
    for (int p = 0; p < 3; ++p) {
        const QStringList t = pageTexts(doc, p);
        EXPECT_EQ(t.count(QStringLiteral("Service total")), 1) << p;
        EXPECT_EQ(doc.groups[p].page, p);
    }
}

TEST_F(ReportEngineTest, CanGrowTextPushesTheBandDown)
{
    auto report = open(QStringLiteral(R"(<report>
  <sections>
    <section kind="report-header" height="14">
      <text x="0" y="0" w="60" h="12" can-grow="true">a long text that cannot fit on one short line at all</text>
    </section>
    <section kind="report-footer" height="12"><text x="0" y="0" w="100" h="12">after</text></section>
  </sections></report>)"));
    const Document &doc = report->document();
    const auto &items = doc.pages[0].items;
    ASSERT_EQ(items.size(), 2);
    EXPECT_GT(items[0].rect.height(), 30);
    EXPECT_TRUE(items[0].wrap);
    // The box's room under a line of text stays under the last line.
    const FontDef font = doc.fonts[items[0].font];
    const double line = measureTextHeight(font, QStringLiteral("X"), 60, Align::Left);
    EXPECT_NEAR(items[0].rect.height(), 12 + measureTextHeight(font, items[0].text, 60, Align::Left) - line, 0.01);
    // The 2 points the section leaves under the text stay under it.
    EXPECT_NEAR(items[1].rect.top(), items[0].rect.bottom() + 2, 0.01);
}

TEST_F(ReportEngineTest, SubreportPrintsInsideItsSectionWithItsOwnParameters)
{
    auto report = open(QStringLiteral(R"(<report>
  <sections>
    <section kind="report-header" height="10">
      <subreport name="OrvantReportHeader.rpt" x="0" y="0" w="540" h="10"/>
    </section>
    <section kind="report-footer" height="12"><text x="0" y="0" w="100" h="12">after</text></section>
  </sections>
  <subreports>
    <report name="OrvantReportHeader.rpt">
      <parameters><parameter name="Hospital" type="text"/><parameter name="Address1" type="text"/></parameters>
      <sections><section kind="report-header" height="30">
        <parameter-field name="Hospital" x="0" y="0" w="540" h="14" bold="true"/>
        <parameter-field name="Address1" x="0" y="14" w="540" h="14"/>
      </section></sections>
    </report>
  </subreports></report>)"));
    auto header = report->OpenSubreport(QStringLiteral("orvantreportheader.rpt"));
    EXPECT_EQ(header, report->OpenSubreport(QStringLiteral("OrvantReportHeader.rpt")));
    header->ParameterFields().Item(1).AddCurrentValue(QStringLiteral("St. Luke's"));
    header->ParameterFields().Item(2).AddCurrentValue(QStringLiteral("Quezon City"));
    const Document &doc = report->document();
    EXPECT_EQ(pageTexts(doc, 0),
              (QStringList{QStringLiteral("St. Luke's"), QStringLiteral("Quezon City"), QStringLiteral("after")}));
    EXPECT_DOUBLE_EQ(doc.pages[0].items[2].rect.top(), 36 + 30);
    EXPECT_THROW(report->OpenSubreport(QStringLiteral("Other.rpt")), com::ComError);
}

TEST_F(ReportEngineTest, ExportModelHasHeaderParagraphsBoldColumnHeadsAndNumbers)
{
    auto report = visits(6);
    const reportexport::ExportDocument d = report->exportDocument();
    EXPECT_EQ(d.title, QStringLiteral("Visits by Service"));
    EXPECT_EQ(d.sheetName, QStringLiteral("Visits by Service"));
    ASSERT_EQ(d.blocks.size(), 3);
    for (int b = 0; b < 3; ++b)
        ASSERT_EQ(d.blocks[b].index(), b < 2 ? 0u : 1u) << "block " << b;
    const auto &title = std::get<reportexport::ExportParagraph>(d.blocks[0]);
    EXPECT_EQ(title.text, QStringLiteral("Visits by Service"));
    EXPECT_TRUE(title.bold);
    EXPECT_EQ(title.align, reportexport::ExportParagraph::Align::Center);
    EXPECT_EQ(std::get<reportexport::ExportParagraph>(d.blocks[1]).text,
              QStringLiteral("From 03/01/2024 to 03/31/2024"));
    const auto &table = std::get<reportexport::ExportTable>(d.blocks[2]);
    EXPECT_EQ(table.columnWidthsPt, (QList<double>{200, 100, 100, 140}));
    ASSERT_EQ(table.headerRows.size(), 1);
    ASSERT_EQ(table.headerRows[0].cells.size(), 4);
    EXPECT_EQ(std::get<QString>(table.headerRows[0].cells[1].value), QStringLiteral("Visits"));
    EXPECT_TRUE(table.headerRows[0].cells[3].bold);
    // Medicine caption, 2 rows, total; Pediatrics caption, 2 rows, total; Surgery ...; grand total.
    ASSERT_EQ(table.rows.size(), 3 * 4 + 1);
    EXPECT_EQ(std::get<QString>(table.rows[0].cells[0].value), QStringLiteral("Medicine"));
    EXPECT_EQ(table.rows[0].cells[0].columnSpan, 4);
    EXPECT_TRUE(table.rows[0].cells[0].bold);
    const auto &detail = table.rows[1].cells;
    EXPECT_EQ(std::get<QString>(detail[0].value), QStringLiteral("Patient 00001"));
    ASSERT_TRUE(detail[1].isNumber());
    EXPECT_EQ(std::get<double>(detail[1].value), 1.0);
    EXPECT_EQ(detail[1].numberFormat, QStringLiteral("#,##0"));
    EXPECT_EQ(std::get<QString>(detail[3].value), QStringLiteral("03/01/2024"));
    const auto &total = table.rows[3].cells;
    EXPECT_EQ(std::get<QString>(total[0].value), QStringLiteral("Service total"));
    EXPECT_EQ(std::get<double>(total[1].value), 3.0);
    EXPECT_TRUE(total[1].bold);
    const auto &grand = table.rows.last().cells;
    EXPECT_EQ(std::get<double>(grand[1].value), 1 + 2 + 3 + 4 + 5 + 6.0);
    EXPECT_EQ(report->queryRuns(), 1) << "export reads the filled report";
}

TEST_F(ReportEngineTest, OneDataConnectionPerLogOn)
{
    testing_support::createVisits(m_store, 4);
    auto report = open(QStringLiteral(R"(<report>
  <tables><table alias="a" location="Patient_Data.dbo.tbVisits"/><table alias="b" location="Patient_Data.tbVisits"/></tables>
  <queries><query name="q">SELECT COUNT(*) AS N FROM {a} x JOIN {b} y ON x.Id = y.Id</query>
    <query name="r">SELECT MAX(Visits) AS M FROM {b}</query></queries>
  <sections><section kind="detail" height="12"><field query="q" name="N" x="0" y="0" w="50" h="12"/>
    <field query="r" name="M" x="60" y="0" w="50" h="12"/><field query="q" name="N" x="120" y="0" w="50" h="12"/>
  </section></sections></report>)"));
    logOn(*report);
    EXPECT_EQ(pageTexts(report->document(), 0),
              (QStringList{QStringLiteral("4"), QStringLiteral("4"), QStringLiteral("4")}));
    EXPECT_EQ(report->dataConnections().size(), 1u);
    EXPECT_EQ(report->queryRuns(), 2);
}

TEST_F(ReportEngineTest, ExportWithoutDiskDestinationOrUnknownFormatFails)
{
    auto report = visits(3);
    report->ExportOptions().DestinationType = 2;
    report->ExportOptions().DiskFileName = m_dir.filePath(QStringLiteral("x.xls"));
    report->ExportOptions().FormatType = crEFTExcel80;
    EXPECT_THROW(report->Export(false), com::ComError);
    report->ExportOptions().DestinationType = crEDTDiskFile;
    report->ExportOptions().FormatType = 77;
    EXPECT_THROW(report->Export(false), com::ComError);
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("x.xls"))));
}

TEST_F(ReportEngineTest, PdfExportReadsBack)
{
    auto report = visits(300);
    report->ExportOptions().DestinationType = crEDTDiskFile;
    report->ExportOptions().FormatType = crEFTPortableDocFormat;
    report->ExportOptions().DiskFileName = m_dir.filePath(QStringLiteral("out.pdf"));
    report->Export(false);
    const QString text = testing_support::pdfText(m_dir.filePath(QStringLiteral("out.pdf")));
    const int pages = report->pageCount();
    EXPECT_TRUE(text.contains(QStringLiteral("Page %1 of %1").arg(pages))) << text.left(400).toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Patient 00300")));
}

// The summary properties reach the file's document information exactly,
// whatever they hold, and the appended update leaves a file a strict
// reader opens without repairing it.
TEST_F(ReportEngineTest, PdfExportCarriesTheSummaryProperties)
{
    auto report = visits(300);
    report->setReportTitle(QStringLiteral("II. C. Deaths (new) \\ 100%"));
    report->setReportAuthor(QStringLiteral("Santa Niña General Hospital, São José <Main>"));
    report->setReportSubject(QStringLiteral("Ward \U0001D538 ) ("));
    report->ExportOptions().DestinationType = crEDTDiskFile;
    report->ExportOptions().FormatType = crEFTPortableDocFormat;
    report->ExportOptions().DiskFileName = m_dir.filePath(QStringLiteral("out.pdf"));
    report->Export(false);
    QProcess info;
    info.start(QStringLiteral("pdfinfo"),
               {QStringLiteral("-enc"), QStringLiteral("UTF-8"), report->ExportOptions().DiskFileName});
    ASSERT_TRUE(info.waitForFinished(30000));
    EXPECT_EQ(QString::fromUtf8(info.readAllStandardError()), QString());
    const QStringList lines = QString::fromUtf8(info.readAllStandardOutput()).split(QLatin1Char('\n'));
    const auto property = [&lines](const QString &name) {
        for (const QString &line : lines)
            if (line.startsWith(name + QLatin1Char(':')))
                return line.mid(name.size() + 1).trimmed();
        return QStringLiteral("(absent)");
    };
    // Title and subject name the period of the report's dates.
    EXPECT_EQ(property(QStringLiteral("Title")), report->ReportTitle() + QStringLiteral(" \u2013 March 2024"));
    EXPECT_EQ(property(QStringLiteral("Author")), report->ReportAuthor());
    EXPECT_EQ(property(QStringLiteral("Subject")), report->ReportSubject() + QStringLiteral(" \u2013 March 2024"));
    EXPECT_EQ(property(QStringLiteral("Pages")), QString::number(report->pageCount()));
    EXPECT_TRUE(testing_support::pdfText(report->ExportOptions().DiskFileName).contains(u"Patient 00300"));
}

TEST(PdfInfo, AFileWithoutAReadableTrailerIsLeftToTheCaller)
{
    const PdfInfo info{QStringLiteral("T"), QStringLiteral("A"), {}, {}, {}};
    EXPECT_TRUE(appendPdfInfo(QByteArray(), info).isEmpty());
    EXPECT_TRUE(appendPdfInfo("%PDF-1.4\ntrailer\n<< /Size 3 /Root 1 0 R >>\n", info).isEmpty());
    EXPECT_TRUE(
        appendPdfInfo("%PDF-1.4\ntrailer\n<< /Size 3 /Root 1 0 R >>\nstartxref\n9999\n%%EOF\n", info).isEmpty());
    const QByteArray pdf = "%PDF-1.4\nxref\ntrailer\n<< /Size 3 /Root 1 0 R >>\nstartxref\n9\n%%EOF\n";
    // Bookmarks need the catalogue and the pages, which this file lacks.
    EXPECT_TRUE(appendPdfInfo(pdf, info, {{QStringLiteral("Deaths"), 0}}).isEmpty());
    const QByteArray updated = appendPdfInfo(pdf, info);
    ASSERT_TRUE(updated.startsWith(pdf));
    EXPECT_TRUE(updated.contains("3 0 obj\n<<\n/Title <FEFF0054>\n/Author <FEFF0041>\n"));
    EXPECT_TRUE(updated.contains("/Size 4\n/Root 1 0 R\n/Info 3 0 R\n/Prev 9\n"));
}

TEST(NumberFormat, Patterns)
{
    EXPECT_EQ(formatNumber(1234567.891, QStringLiteral("#,##0")), QStringLiteral("1,234,568"));
    EXPECT_EQ(formatNumber(1234.5, QStringLiteral("#,##0.00")), QStringLiteral("1,234.50"));
    EXPECT_EQ(formatNumber(1234.5, QStringLiteral("0.0")), QStringLiteral("1234.5"));
    EXPECT_EQ(formatNumber(0.256, QStringLiteral("0.0%")), QStringLiteral("25.6%"));
    EXPECT_EQ(formatNumber(-0.001, QStringLiteral("0.00")), QStringLiteral("0.00"));
    EXPECT_EQ(formatNumber(-12.5, QStringLiteral("0.0")), QStringLiteral("-12.5"));
    EXPECT_EQ(formatNumber(42, QString()), QStringLiteral("42"));
}

} // namespace

// What DOH reports lean on: rows printed apart by a field's value, a text
// for a missing value, lines printed only when a query has rows or none.
TEST_F(ReportEngineTest, RowsApartEmptyValuesAndLinesPrintedByRows)
{
    testing_support::createVisits(m_store, 6);
    auto report = open(QStringLiteral(R"(<report>
  <parameters><parameter name="FromDate" type="date"/><parameter name="ToDate" type="date"/></parameters>
  <tables><table alias="v" location="Patient_Data.dbo.tbVisits"/></tables>
  <queries><query name="main">SELECT Service, Visits, CASE WHEN Visits > 3 THEN NULL ELSE Visits * 1.5 END AS Rate
      FROM {v} ORDER BY Id</query>
    <query name="none">SELECT Service FROM {v} WHERE Visits > 1000</query></queries>
  <data query="main"/>
  <sections>
    <section kind="report-header" height="12"><special kind="period" from="FromDate" to="ToDate" x="0" y="0" w="300" h="12"/></section>
    <section kind="detail" height="12" when-field="Visits" when-not-equals="2">
      <field name="Visits" x="0" y="0" w="50" h="12"/><field name="Rate" format="0.00" null-text="-" x="60" y="0" w="50" h="12"/></section>
    <section kind="detail" height="12" when-field="Visits" when-equals="2">
      <text x="0" y="0" w="50" h="12" bold="true">Two</text></section>
    <section kind="report-footer" height="12">
      <text when="rows" x="0" y="0" w="80" h="12">Rows</text><text when="no-rows" x="0" y="0" w="80" h="12">No rows</text>
      <text when="no-rows" when-query="none" x="100" y="0" w="80" h="12">None big</text>
      <text when="rows" when-query="none" x="200" y="0" w="80" h="12">Some big</text></section>
  </sections></report>)"));
    logOn(*report);
    report->ParameterFields().Item(1).AddCurrentValue(QStringLiteral("01/01/2025"));
    report->ParameterFields().Item(2).AddCurrentValue(QStringLiteral("12/31/2025"));
    EXPECT_EQ(pageTexts(report->document(), 0),
              (QStringList{QStringLiteral("Year 2025"), QStringLiteral("1"), QStringLiteral("1.50"),
                           QStringLiteral("Two"), QStringLiteral("3"), QStringLiteral("4.50"), QStringLiteral("4"),
                           QStringLiteral("-"), QStringLiteral("5"), QStringLiteral("-"), QStringLiteral("6"),
                           QStringLiteral("-"), QStringLiteral("Rows"), QStringLiteral("None big")}));

    auto later = Application().OpenReport(m_dir.filePath(QStringLiteral("rpt.rpt")), 1);
    logOn(*later);
    later->ParameterFields().Item(1).AddCurrentValue(QStringLiteral("02/01/2024"));
    later->ParameterFields().Item(2).AddCurrentValue(QStringLiteral("02/29/2024"));
    EXPECT_EQ(pageTexts(later->document(), 0).first(), QStringLiteral("February 1, 2024 to February 29, 2024"));
}

// A stored procedure read as a table: called as the program's own statements
// are sent to the store, its arguments quoted; any other use is refused.
TEST_F(ReportEngineTest, ProcedureTableIsCalledWithItsParameters)
{
    const auto procedureReport = [this](const QString &query) {
        auto report = open(QStringLiteral(R"(<report>
  <parameters><parameter name="Year"/><parameter name="Other"/></parameters>
  <tables><table alias="p" kind="procedure" location="BUILD_FILE.dbo.sp_DOH_Report_HospitalGeneralInformation"/></tables>
  <queries><query name="main">%1</query></queries>
  <data query="main"/>
  <sections><section kind="detail" height="12"><field name="Year" x="0" y="0" w="50" h="12"/></section></sections>
</report>)")
                               .arg(query));
        for (DatabaseTable &t : report->Database().Tables()) {
            t.setLocation(QStringLiteral("Patient_Data.dbo.sp_DOH_Report_HospitalGeneralInformation"));
            t.SetLogOnInfo(m_store.folder(), QStringLiteral("Patient_Data"), QStringLiteral("u"), QStringLiteral("p"));
        }
        return report;
    };
    auto report = procedureReport(QStringLiteral("EXEC {p} {?Year}"));
    report->ParameterFields().Item(1).AddCurrentValue(QStringLiteral("2026"));
    EXPECT_EQ(pageTexts(report->document(), 0), QStringList{QStringLiteral("2026")});
    EXPECT_EQ(report->dataConnections()[0]->connection()->statementLog().statements(),
              QStringList{QStringLiteral("Patient_Data..sp_DOH_Report_HospitalGeneralInformation '2026'")});

    auto quoted = procedureReport(QStringLiteral("EXEC {p} {?Year}"));
    quoted->ParameterFields().Item(1).AddCurrentValue(QStringLiteral("20'26"));
    try {
        quoted->document();
        FAIL() << "a year with a quote was taken";
    } catch (const com::ComError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("Error in report file '%1' at line 4: the query 'main' failed: The "
                                                  "year '20'26' is not a four-digit year.")
                                       .arg(m_dir.filePath(QStringLiteral("rpt.rpt"))));
    }

    for (const char *bad : {"SELECT * FROM {p}", "EXEC {p} {?Year} {?Other}", "EXEC {p} {?Year},", "EXEC {p} 2026"}) {
        auto wrong = procedureReport(QString::fromUtf8(bad));
        wrong->ParameterFields().Item(1).AddCurrentValue(QStringLiteral("2026"));
        wrong->ParameterFields().Item(2).AddCurrentValue(QStringLiteral("x"));
        try {
            wrong->document();
            ADD_FAILURE() << bad << " was run";
        } catch (const com::ComError &e) {
            EXPECT_TRUE(
                e.description().endsWith(QStringLiteral("must call its procedure as EXEC {p} {?Parameter}, ...")))
                << bad << ": " << e.description().toStdString();
        }
    }
}

// No report reads the sign-in's accounts, whatever the query's words.
TEST_F(ReportEngineTest, TheUsersTableIsNoReportsData)
{
    for (const char *query : {"SELECT UserName, PasswordHash FROM {u}", "SELECT COUNT(*) AS N FROM {u}",
                              "SELECT (SELECT MAX(PasswordHash) FROM PASSWORD.tbVelmoraUser) AS N FROM {u}"}) {
        auto report = open(QStringLiteral(R"(<report>
  <tables><table alias="u" location="PASSWORD.dbo.tbVelmoraUser"/></tables>
  <queries><query name="main">%1</query></queries>
  <data query="main"/>
  <sections><section kind="detail" height="12"><text x="0" y="0" w="50" h="12">row</text></section></sections>
</report>)")
                               .arg(QString::fromUtf8(query)));
        logOn(*report);
        try {
            report->document();
            ADD_FAILURE() << query << " read the accounts";
        } catch (const com::ComError &e) {
            // SQLite says "prohibited" for a column, "not authorized" for COUNT(*).
            EXPECT_TRUE(e.description().contains(QStringLiteral("prohibited")) ||
                        e.description().endsWith(QStringLiteral("not authorized")))
                << query << ": " << e.description().toStdString();
        }
    }
}
