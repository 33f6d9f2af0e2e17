#include "ExportTestSupport.h"

#include "reportexport/NumberText.h"
#include "reportexport/RtfExporter.h"

#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextDocumentFragment>

#include <gtest/gtest.h>

#include <cmath>

using namespace reportexport;
using namespace exporttest;

namespace {

QString plain(const QString &html)
{
    return QTextDocumentFragment::fromHtml(html).toPlainText().trimmed();
}

// unrtf's reading of a document: the table cells' texts in order, the
// number of table rows, and all text as plain text.
struct Reading
{
    QString html;
    QStringList cells;
    int tableRows = 0;
    QString text;
};

Reading exportAndRead(const ExportDocument &doc, const QString &dir)
{
    Reading r;
    r.html = unrtfHtml(writeFile(dir, QStringLiteral("r.rtf"), RtfExporter::document(doc)));
    static const QRegularExpression cell(QStringLiteral("<td>(.*?)</td>"),
                                         QRegularExpression::DotMatchesEverythingOption);
    for (auto it = cell.globalMatch(r.html); it.hasNext();)
        r.cells.append(plain(it.next().captured(1)));
    r.tableRows = int(r.html.count(QStringLiteral("<tr>")));
    r.text = plain(r.html);
    return r;
}

class RtfExport : public ::testing::Test
{
protected:
    QTemporaryDir dir;
};

} // namespace

TEST_F(RtfExport, SampleReportReadsBack)
{
    const Reading r = exportAndRead(sampleReport(), dir.path());
    // The header block, in order, with its accents intact.
    const QStringList lines{
        QStringLiteral("Hospital Niño Jesús de São Paulo"), QStringLiteral("12 Rizal Avenue, Quezon City"),
        QStringLiteral("Leading Causes of Morbidity"), QStringLiteral("January 01, 2024 to March 31, 2024")};
    qsizetype at = 0;
    for (const QString &line : lines) {
        const qsizetype found = r.text.indexOf(line, at);
        EXPECT_GE(found, 0) << line.toStdString();
        at = std::max(at, found);
    }
    EXPECT_TRUE(r.text.contains(QStringLiteral("Prepared by: Records Section")));
    // The summary properties, as a word processor shows the file's properties.
    EXPECT_TRUE(r.html.contains(QStringLiteral("<title>I.3.4 Leading Causes of Morbidity</title>")));
    EXPECT_TRUE(r.html.contains(QStringLiteral("<meta name=\"author\" content=\"Records Section, East Wing\">")))
        << r.html.left(600).toStdString();

    // unrtf 0.21 shows text after a table inside the table's last row (it
    // never ends a table), so only the first four rows are the table's.
    EXPECT_GE(r.tableRows, 4);
    const QStringList expected{QStringLiteral("Cause"),
                               QStringLiteral("Cases"),
                               QStringLiteral("Rate"),
                               QStringLiteral("Pneumonia"),
                               QStringLiteral("1,234"),
                               QStringLiteral("12.50"),
                               QStringLiteral("Hypertension {stage 2} \\ other"),
                               QStringLiteral("87"),
                               QStringLiteral("0.88"),
                               QStringLiteral("Total"),
                               QStringLiteral("1321.25")};
    EXPECT_EQ(r.cells.mid(0, expected.size()), expected);
    // Numbers are right-aligned, headers bold.
    EXPECT_TRUE(r.html.contains(QRegularExpression(QStringLiteral("align=\"right\">\\s*1,234"))));
    EXPECT_TRUE(r.html.contains(QStringLiteral("<b>Cause</b>")));
}

// The page of the report: portrait Letter with half-inch margins, or the
// same paper turned for landscape (and marked so for the section too).
TEST_F(RtfExport, PageSizeOrientationAndMargins)
{
    ExportDocument doc = sampleReport();
    const QByteArray portrait = RtfExporter::document(doc);
    EXPECT_TRUE(portrait.contains("\\paperw12240\\paperh15840\\margl720\\margr720\\margt720\\margb720\n"));
    EXPECT_TRUE(portrait.contains("\\sectd\\pgwsxn12240\\pghsxn15840"));
    EXPECT_FALSE(portrait.contains("\\landscape"));
    EXPECT_FALSE(portrait.contains("\\lndscpsxn"));

    doc.landscape = true;
    doc.pageSizePt = QSizeF(612, 1008); // Legal
    doc.marginPt = 18;
    const QByteArray landscape = RtfExporter::document(doc);
    EXPECT_TRUE(landscape.contains("\\paperw20160\\paperh12240\\margl360\\margr360\\margt360\\margb360"
                                   "\\landscape\n\\sectd\\lndscpsxn\\pgwsxn20160\\pghsxn12240"));
}

// Header rows carry \trhdr so that they repeat at the top of every page;
// body rows do not. Cell edges follow the column widths in twips, a
// spanning cell ends at its last column's edge.
TEST_F(RtfExport, TableRowsAndHeaderRepeat)
{
    const QByteArray rtf = RtfExporter::document(sampleReport());
    EXPECT_EQ(rtf.count("\\trowd"), 4);
    EXPECT_EQ(rtf.count("\\trhdr"), 1);
    EXPECT_TRUE(rtf.contains("\\trowd\\trgaph40\\trleft-40\\trhdr"));
    EXPECT_EQ(rtf.count("\\cellx3600"), 3);
    EXPECT_EQ(rtf.count("\\cellx5040"), 4); // the "Total" cell spans two columns
    EXPECT_EQ(rtf.count("\\cellx6480"), 4);
    EXPECT_TRUE(rtf.contains("\\pard\\intbl\\qc\\b Total\\b0\\cell"));
    EXPECT_TRUE(rtf.contains("\\qr 1,234\\cell"));
}

TEST_F(RtfExport, ThreeThousandRows)
{
    const Reading r = exportAndRead(longReport(3000), dir.path());
    EXPECT_EQ(r.tableRows, 3001);
    ASSERT_EQ(r.cells.size(), 3001 * 3);
    for (int i : {0, 1, 1499, 2999}) {
        EXPECT_EQ(r.cells[(i + 1) * 3], QStringLiteral("Patient %1 Peña").arg(i));
        EXPECT_EQ(r.cells[(i + 1) * 3 + 1], formatNumber(i * 3, QStringLiteral("#,##0")));
        EXPECT_EQ(r.cells[(i + 1) * 3 + 2], QString::number(i * 1.25, 'f', 2));
    }
}

// Escapes as unrtf reads them back: braces and backslashes, tabs, line
// breaks, accents and characters outside code page 1252.
TEST_F(RtfExport, EscapedTextsReadBack)
{
    ExportDocument doc;
    doc.blocks.append(paragraph(QStringLiteral("a\\b {c} d")));
    doc.blocks.append(paragraph(QStringLiteral("Niño and São, “quoted” – 王")));
    doc.blocks.append(paragraph(QStringLiteral("first\r\nsecond")));
    const Reading r = exportAndRead(doc, dir.path());
    EXPECT_TRUE(r.text.contains(QStringLiteral("a\\b {c} d"))) << r.text.toStdString();
    EXPECT_TRUE(r.text.contains(QStringLiteral("Niño and São, “quoted” – 王"))) << r.text.toStdString();
    EXPECT_TRUE(r.text.contains(QStringLiteral("first\nsecond"))) << r.text.toStdString();
}

struct EscapeCase
{
    const char16_t *text;
    const char *rtf;
};

class RtfEscape : public ::testing::TestWithParam<EscapeCase>
{
};

TEST_P(RtfEscape, WritesRtf)
{
    EXPECT_EQ(rtfText(QString::fromUtf16(GetParam().text)), QByteArray(GetParam().rtf));
}

INSTANTIATE_TEST_SUITE_P(Texts, RtfEscape,
                         ::testing::Values(EscapeCase{u"plain text", "plain text"}, EscapeCase{u"a\\b", "a\\\\b"},
                                           EscapeCase{u"{x}", "\\{x\\}"}, EscapeCase{u"Niño", "Ni\\u241\\'f1o"},
                                           EscapeCase{u"€5 “q”", "\\u8364\\'805 \\u8220\\'93q\\u8221\\'94"},
                                           EscapeCase{u"王", "\\u29579\\'3f"}, EscapeCase{u"\uFFFD", "\\u-3\\'3f"},
                                           EscapeCase{u"😀", "\\u-10179\\'3f\\u-8704\\'3f"},
                                           EscapeCase{u"a\tb", "a\\tab b"},
                                           EscapeCase{u"a\r\nb\nc\rd", "a\\line b\\line c\\line d"},
                                           EscapeCase{u"bell\u0007", "bell"}));

struct NumberCase
{
    double value;
    const char *format;
    const char *text;
};

class RtfNumber : public ::testing::TestWithParam<NumberCase>
{
};

TEST_P(RtfNumber, PrintsAsTheReport)
{
    EXPECT_EQ(formatNumber(GetParam().value, QLatin1String(GetParam().format)), QLatin1String(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(Formats, RtfNumber,
                         ::testing::Values(NumberCase{1234567, "#,##0", "1,234,567"}, NumberCase{999, "#,##0", "999"},
                                           NumberCase{-1234.5, "#,##0.00", "-1,234.50"},
                                           NumberCase{12.346, "0.00", "12.35"}, NumberCase{7, "0", "7"},
                                           NumberCase{-0.001, "0.00", "0.00"}, NumberCase{0.256, "0%", "26%"},
                                           NumberCase{0.25, "0.00%", "25.00%"}, NumberCase{42, "", "42"},
                                           NumberCase{2.5, "", "2.5"}, NumberCase{1.0 / 3, "", "0.333333333333333"},
                                           NumberCase{5, "mm/dd/yyyy", "5"}, NumberCase{NAN, "#,##0", ""}));

// An empty line inside a table still is a valid row (one empty cell across
// the table), so readers keep the rows after it.
TEST_F(RtfExport, EmptyTableLineKeepsTheRowsAfterIt)
{
    ExportDocument doc;
    ExportTable table;
    table.columnWidthsPt = {100, 50};
    table.rows.append(row({text(QStringLiteral("before")), number(1)}));
    table.rows.append(ExportRow{});
    table.rows.append(row({text(QStringLiteral("after")), number(2)}));
    doc.blocks.append(table);
    const QByteArray rtf = RtfExporter::document(doc);
    EXPECT_TRUE(rtf.contains("\\cellx3000\n\\pard\\intbl\\cell\n\\row\n"));
    const Reading r = exportAndRead(doc, dir.path());
    // unrtf opens a row at its first text, so the empty row shows only its end.
    EXPECT_EQ(r.html.count(QStringLiteral("</tr>")), 3);
    EXPECT_EQ(r.cells, (QStringList{QStringLiteral("before"), QStringLiteral("1"), QString(), QStringLiteral("after"),
                                    QStringLiteral("2")}));
}
