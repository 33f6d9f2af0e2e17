#include "ExportTestSupport.h"

#include "reportexport/CompoundFile.h"
#include "reportexport/XlsExporter.h"

#include "com/ComError.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace reportexport;
using namespace exporttest;

namespace {

constexpr int kText = 1;
constexpr int kNumber = 2;
constexpr int kBlank = 6;

struct Sheet
{
    QJsonObject json;
    QString name() const { return json[u"name"].toString(); }
    QJsonArray rows() const { return json[u"rows"].toArray(); }
    QJsonObject cell(int r, int c) const { return rows()[r].toArray()[c].toObject(); }
    QString text(int r, int c) const { return cell(r, c)[u"value"].toString(); }
};

Sheet exportAndRead(const ExportDocument &doc, const QString &dir, const QString &name = QStringLiteral("r.xls"))
{
    const QString path = writeFile(dir, name, XlsExporter::workbook(doc));
    const QJsonObject book = readXls(path);
    const QJsonArray sheets = book[u"sheets"].toArray();
    if (sheets.size() != 1)
        throw std::runtime_error("expected one worksheet");
    return Sheet{sheets[0].toObject()};
}

class XlsExport : public ::testing::Test
{
protected:
    QTemporaryDir dir;
};

} // namespace

// Every cell of a small report as xlrd reads it: texts as shared strings,
// numbers as numbers with the report's formats, bold headers, the header
// block merged across the table's width.
TEST_F(XlsExport, SampleReportReadsBackCellByCell)
{
    const Sheet sheet = exportAndRead(sampleReport(), dir.path());
    EXPECT_EQ(sheet.name(), QStringLiteral("I.3.4 Morbidity"));
    ASSERT_EQ(sheet.rows().size(), 9);

    struct Expected
    {
        int row, column, type;
        QVariant value;
        bool bold;
        const char *format;
    };
    const QList<Expected> expected{
        {0, 0, kText, QStringLiteral("Hospital Niño Jesús de São Paulo"), true, "General"},
        {1, 0, kText, QStringLiteral("12 Rizal Avenue, Quezon City"), false, "General"},
        {2, 0, kText, QStringLiteral("Leading Causes of Morbidity"), true, "General"},
        {3, 0, kText, QStringLiteral("January 01, 2024 to March 31, 2024"), false, "General"},
        {4, 0, kText, QStringLiteral("Cause"), true, "General"},
        {4, 1, kText, QStringLiteral("Cases"), true, "General"},
        {4, 2, kText, QStringLiteral("Rate"), true, "General"},
        {5, 0, kText, QStringLiteral("Pneumonia"), false, "General"},
        {5, 1, kNumber, 1234.0, false, "#,##0"},
        {5, 2, kNumber, 12.5, false, "0.00"},
        {6, 0, kText, QStringLiteral("Hypertension {stage 2} \\ other"), false, "General"},
        {6, 1, kNumber, 87.0, false, "#,##0"},
        {6, 2, kNumber, 0.875, false, "0.00"},
        {7, 0, kText, QStringLiteral("Total"), true, "General"},
        {7, 1, kBlank, QString(), true, "General"},
        {7, 2, kNumber, 1321.25, false, "General"},
        {8, 0, kText, QStringLiteral("Prepared by: Records Section"), false, "General"},
    };
    for (const Expected &e : expected) {
        SCOPED_TRACE(testing::Message() << "row " << e.row << " column " << e.column);
        const QJsonObject cell = sheet.cell(e.row, e.column);
        EXPECT_EQ(cell[u"type"].toInt(), e.type);
        if (e.type == kNumber)
            EXPECT_DOUBLE_EQ(cell[u"value"].toDouble(), e.value.toDouble());
        else
            EXPECT_EQ(cell[u"value"].toString(), e.value.toString());
        EXPECT_EQ(cell[u"bold"].toBool(), e.bold);
        EXPECT_EQ(cell[u"format"].toString(), QLatin1String(e.format));
    }
    // The hospital name keeps its 14 pt; the title is centred.
    EXPECT_EQ(sheet.cell(0, 0)[u"height"].toInt(), 280);
    EXPECT_EQ(sheet.cell(2, 0)[u"align"].toInt(), 2);

    const QJsonArray merged = sheet.json[u"merged"].toArray();
    QList<QList<int>> ranges;
    for (const auto &m : merged) {
        QList<int> range;
        for (const auto &v : m.toArray())
            range.append(v.toInt());
        ranges.append(range);
    }
    std::sort(ranges.begin(), ranges.end());
    const QList<QList<int>> expectedRanges{{0, 1, 0, 3}, {1, 2, 0, 3}, {2, 3, 0, 3},
                                           {3, 4, 0, 3}, {7, 8, 0, 2}, {8, 9, 0, 3}};
    EXPECT_EQ(ranges, expectedRanges);

    // 180 pt = 240 px wide: (240 - 5) / 7 digits.
    const QJsonObject widths = sheet.json[u"widths"].toObject();
    EXPECT_EQ(widths[u"0"].toInt(), 8594);
    EXPECT_EQ(widths[u"1"].toInt(), 3328);
}

// Latin-1 texts are stored one byte a character, others in UTF-16; both,
// and characters beyond the BMP, come back intact.
TEST_F(XlsExport, UnicodeTextsSurvive)
{
    ExportDocument doc;
    const QStringList texts{QStringLiteral("Niño"),        QStringLiteral("São"),
                            QStringLiteral("Ñandú Ü ÿ"),   QStringLiteral("Dr. 王 – “quoted”"),
                            QStringLiteral("smile 😀 end"), QString()};
    ExportTable table;
    for (const QString &t : texts)
        table.rows.append(row({text(t)}));
    doc.blocks.append(table);
    const Sheet sheet = exportAndRead(doc, dir.path());
    ASSERT_EQ(sheet.rows().size(), texts.size());
    for (int r = 0; r < texts.size(); ++r)
        EXPECT_EQ(sheet.text(r, 0), texts[r]) << r;
    EXPECT_EQ(sheet.cell(int(texts.size()) - 1, 0)[u"type"].toInt(), kBlank);
}

// The shared strings run over many CONTINUE records: a single string far
// over 8,224 bytes in each encoding, and many short ones, with boundaries
// falling inside strings and between them.
TEST_F(XlsExport, SharedStringsCrossRecordLimits)
{
    ExportDocument doc;
    ExportTable table;
    QStringList texts;
    texts.append(QString(20000, u'a') + QStringLiteral("ñ-end"));
    for (int i = 0; i < 1500; ++i)
        texts.append(QStringLiteral("entry %1 São").arg(i));
    QString wide;
    for (int i = 0; i < 9000; ++i)
        wide.append(QChar(char16_t(0x4E00 + i % 500)));
    texts.append(wide);
    texts.append(QString(4111, u'x') + QStringLiteral("😀"));
    for (const QString &t : texts)
        table.rows.append(row({text(t), text(t)})); // repeated: shared, not duplicated
    doc.blocks.append(table);
    const Sheet sheet = exportAndRead(doc, dir.path());
    ASSERT_EQ(sheet.rows().size(), texts.size());
    for (int r = 0; r < texts.size(); ++r) {
        ASSERT_EQ(sheet.text(r, 0), texts[r]) << "row " << r;
        ASSERT_EQ(sheet.text(r, 1), texts[r]) << "row " << r;
    }
    // EXTSST: one bucket per 8 strings, each pointing at its string's start.
    const QJsonObject ext = readExtSst(dir.filePath(QStringLiteral("r.xls")));
    EXPECT_EQ(ext[u"perBucket"].toInt(), 12);
    EXPECT_EQ(ext[u"buckets"].toInt(), 126);
    EXPECT_EQ(ext[u"problems"].toArray(), QJsonArray());
}

// A character outside the BMP whose first half would be the last unit that
// fits into a record moves to the next record whole.
TEST_F(XlsExport, SurrogatePairAtRecordBoundaryStaysWhole)
{
    // First record: 8,224 - 8 (counts) - 3 (length, flags) = 4,106 units;
    // a continuation: 8,224 - 1 (flag) = 4,111 units.
    const QString first = QString(4105, QChar(char16_t(0x738B))) + QStringLiteral("😀 tail");
    const QString second =
        QString(4106 - 1, QChar(char16_t(0x738B))) + QString(4110 - 4106 + 7, u'y') + QStringLiteral("😀😀 end");
    ExportDocument doc;
    ExportTable table;
    table.rows.append(row({text(first)}));
    table.rows.append(row({text(second)}));
    doc.blocks.append(table);
    const Sheet sheet = exportAndRead(doc, dir.path());
    EXPECT_EQ(sheet.text(0, 0), first);
    EXPECT_EQ(sheet.text(1, 0), second);
}

// Excel holds at most 32,767 characters in a cell: longer texts are cut to
// exactly that length, ending with the note, never inside a character.
TEST_F(XlsExport, OverlongCellTextIsCutWithNote)
{
    ExportDocument doc;
    ExportTable table;
    const QString longText = QString(40000, u'b');
    QString surrogateAtCut = QString(kXlsMaxCellText - kXlsCutNote.size() - 1, u'c') + QStringLiteral("😀 tail");
    surrogateAtCut += QString(100, u'c');
    const QString exact = QString(kXlsMaxCellText, u'd');
    table.rows.append(row({text(longText)}));
    table.rows.append(row({text(surrogateAtCut)}));
    table.rows.append(row({text(exact)}));
    doc.blocks.append(table);
    const Sheet sheet = exportAndRead(doc, dir.path());

    EXPECT_EQ(sheet.text(0, 0).size(), kXlsMaxCellText);
    EXPECT_EQ(sheet.text(0, 0), longText.left(kXlsMaxCellText - kXlsCutNote.size()) + kXlsCutNote);
    const QString cut = sheet.text(1, 0);
    EXPECT_TRUE(cut.endsWith(kXlsCutNote));
    EXPECT_FALSE(cut.contains(QChar(char16_t(0xD83D)))); // no half of the emoji left
    EXPECT_EQ(cut.size(), kXlsMaxCellText - 1);
    EXPECT_EQ(sheet.text(2, 0), exact); // at the limit: kept whole
}

// Numbers stay numbers, including negative, fractional and large ones;
// values Excel cannot hold (not finite) leave the cell blank.
TEST_F(XlsExport, NumbersStayNumbers)
{
    ExportDocument doc;
    ExportTable table;
    const QList<double> values{0, -17.25, 1e-7, 123456789012.0, 3.0};
    for (double v : values)
        table.rows.append(row({number(v, QStringLiteral("#,##0.0"))}));
    table.rows.append(row({number(std::nan(""))}));
    doc.blocks.append(table);
    const Sheet sheet = exportAndRead(doc, dir.path());
    for (int r = 0; r < values.size(); ++r) {
        EXPECT_EQ(sheet.cell(r, 0)[u"type"].toInt(), kNumber);
        EXPECT_DOUBLE_EQ(sheet.cell(r, 0)[u"value"].toDouble(), values[r]);
        EXPECT_EQ(sheet.cell(r, 0)[u"format"].toString(), QStringLiteral("#,##0.0"));
    }
    EXPECT_EQ(sheet.cell(int(values.size()), 0)[u"type"].toInt(), kBlank);
}

TEST_F(XlsExport, ThreeThousandRows)
{
    const Sheet sheet = exportAndRead(longReport(3000), dir.path());
    ASSERT_EQ(sheet.rows().size(), 3002);
    EXPECT_EQ(sheet.text(1, 0), QStringLiteral("Patient"));
    for (int i : {0, 1, 1499, 2999}) {
        EXPECT_EQ(sheet.text(i + 2, 0), QStringLiteral("Patient %1 Peña").arg(i));
        EXPECT_DOUBLE_EQ(sheet.cell(i + 2, 1)[u"value"].toDouble(), i * 3);
        EXPECT_DOUBLE_EQ(sheet.cell(i + 2, 2)[u"value"].toDouble(), i * 1.25);
    }
}

TEST_F(XlsExport, EmptyReportIsStillAWorkbook)
{
    ExportDocument doc;
    const Sheet sheet = exportAndRead(doc, dir.path());
    EXPECT_EQ(sheet.name(), QStringLiteral("Report"));
    EXPECT_EQ(sheet.rows().size(), 0);
}

TEST_F(XlsExport, MoreLinesThanAWorksheetHoldsFail)
{
    ExportDocument doc;
    ExportTable table;
    table.rows.fill(row({number(1)}), 65537);
    doc.blocks.append(table);
    try {
        XlsExporter::workbook(doc);
        FAIL() << "no error";
    } catch (const com::ComError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("The report has more than 65536 lines, more than an "
                                                  "Excel 97-2003 worksheet holds."));
    }
}

// Large files need more FAT sectors than the header's 109 slots: the
// compound file then chains DIFAT sectors. xlrd's own compound-file reader
// must give back the stream byte for byte.
TEST_F(XlsExport, CompoundFileStreamsOfEverySize)
{
    for (qsizetype size :
         {qsizetype(4096), qsizetype(4097), qsizetype(512 * 128 * 109 + 1), qsizetype(9 * 1024 * 1024)}) {
        SCOPED_TRACE(size);
        QByteArray stream(size, '\0');
        for (qsizetype i = 0; i < size; ++i)
            stream[i] = char((i * 7919) >> 3);
        const QString path = writeFile(dir.path(), QStringLiteral("cfb.bin"),
                                       compoundFileWithStream(QStringLiteral("Workbook"), stream));
        const QJsonObject read = readStream(path, QStringLiteral("Workbook"));
        EXPECT_EQ(read[u"size"].toInteger(), size);
        EXPECT_EQ(read[u"md5"].toString(),
                  QString::fromLatin1(QCryptographicHash::hash(stream, QCryptographicHash::Md5).toHex()));
    }
}

struct SheetNameCase
{
    const char16_t *given;
    const char16_t *expected;
};

class XlsSheetName : public ::testing::TestWithParam<SheetNameCase>
{
};

TEST_P(XlsSheetName, FollowsExcelRules)
{
    EXPECT_EQ(excelSheetName(QString::fromUtf16(GetParam().given)), QString::fromUtf16(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Names, XlsSheetName,
                         ::testing::Values(SheetNameCase{u"I.3.4 Morbidity", u"I.3.4 Morbidity"},
                                           SheetNameCase{u"Deaths: [2024] a/b\\c*d?e", u"Deaths 2024 abcde"},
                                           SheetNameCase{u"A report title far longer than thirty-one characters",
                                                         u"A report title far longer than"},
                                           SheetNameCase{u"'Quoted'", u"Quoted"}, SheetNameCase{u"[]:*?/\\", u"Report"},
                                           SheetNameCase{u"", u"Report"}, SheetNameCase{u"Niño São", u"Niño São"}));

// The sheet name written is the cleaned one, as xlrd reads it.
TEST_F(XlsExport, SheetNameIsCleanedInTheFile)
{
    ExportDocument doc = sampleReport();
    doc.sheetName = QStringLiteral("Niño: São [Q1]");
    EXPECT_EQ(exportAndRead(doc, dir.path()).name(), QStringLiteral("Niño São Q1"));
}

namespace {

// A landscape report in a small font of its own: a wrapping heading, a
// merged cell aligned left, an italic note, a number right-aligned.
ExportDocument layoutReport(const QString &sheetName, bool landscape)
{
    ExportDocument doc;
    doc.sheetName = sheetName;
    doc.fontFamily = QStringLiteral("DejaVu Sans");
    doc.fontSizePt = 7;
    doc.landscape = landscape;
    doc.blocks.append(paragraph(QStringLiteral("Discharges"), true, 12, ExportParagraph::Align::Center));
    const auto cell = [](ExportCell c, ExportCell::Align align, bool wrap = false, bool italic = false,
                         double size = 0) {
        c.align = align;
        c.wrap = wrap;
        c.italic = italic;
        c.fontSizePt = size;
        return c;
    };
    using A = ExportCell::Align;
    ExportTable table;
    table.columnWidthsPt = {90, 40, 40};
    ExportRow heading = row({cell(text(QStringLiteral("Type of service")), A::Left, true, false, 6),
                             cell(text(QStringLiteral("Total length of stay")), A::Right, true, false, 6),
                             cell(text(QStringLiteral("Deaths")), A::Center, false, false, 6)});
    heading.heightPt = 25;
    table.headerRows.append(heading);
    table.rows.append(
        row({text(QStringLiteral("Medicine")), number(2333, QStringLiteral("#,##0")), cell(number(4), A::General)}));
    table.rows.append(row({cell(text(QStringLiteral("Local: Provincial"), false, 2), A::Left),
                           cell(text(QStringLiteral("note")), A::Right, false, true)}));
    doc.blocks.append(table);
    return doc;
}

} // namespace

// The workbook carries the report as it is: its font and sizes, each cell's
// alignment (a merged cell as the report aligns it, not centred), wrapping
// headings with their height, and a print setup one page wide, landscape
// where the report is. A second sheet of the same name is told apart and
// is not selected with the first.
TEST_F(XlsExport, ReportLayoutAndPrintSetupReachTheWorkbook)
{
    const QString path =
        writeFile(dir.path(), QStringLiteral("layout.xls"),
                  XlsExporter::workbook(QList<ExportDocument>{layoutReport(QStringLiteral("II.B Discharges"), true),
                                                              layoutReport(QStringLiteral("II.B Discharges"), false)}));
    const QJsonArray sheets = readXls(path)[u"sheets"].toArray();
    ASSERT_EQ(sheets.size(), 2);
    const Sheet first{sheets[0].toObject()};
    EXPECT_EQ(first.name(), QStringLiteral("II.B Discharges"));
    EXPECT_EQ(Sheet{sheets[1].toObject()}.name(), QStringLiteral("II.B Discharges (2)"));

    struct Expected
    {
        int row, column;
        int height; // twips
        int align;  // 0 general, 1 left, 2 centre, 3 right
        bool wrap, italic, bold;
    };
    const QList<Expected> expected{
        {0, 0, 240, 2, false, false, true},  {1, 0, 120, 1, true, false, true},   {1, 1, 120, 3, true, false, true},
        {1, 2, 120, 2, false, false, true},  {2, 0, 140, 0, false, false, false}, {2, 1, 140, 0, false, false, false},
        {3, 0, 140, 1, false, false, false}, {3, 2, 140, 3, false, true, false},
    };
    for (const Expected &e : expected) {
        SCOPED_TRACE(testing::Message() << "row " << e.row << " column " << e.column);
        const QJsonObject cell = first.cell(e.row, e.column);
        EXPECT_EQ(cell[u"font"].toString(), QStringLiteral("DejaVu Sans"));
        EXPECT_EQ(cell[u"height"].toInt(), e.height);
        EXPECT_EQ(cell[u"align"].toInt(), e.align);
        EXPECT_EQ(cell[u"wrap"].toBool(), e.wrap);
        EXPECT_EQ(cell[u"italic"].toBool(), e.italic);
        EXPECT_EQ(cell[u"bold"].toBool(), e.bold);
    }
    EXPECT_EQ(first.json[u"rowHeights"].toObject()[u"1"].toInt(), 500);

    for (int s = 0; s < 2; ++s) {
        SCOPED_TRACE(testing::Message() << "sheet " << s);
        const QJsonObject setup = sheets[s].toObject()[u"setup"].toObject();
        EXPECT_TRUE(setup[u"fitToPage"].toBool());
        EXPECT_EQ(setup[u"fitWidth"].toInt(), 1);
        EXPECT_EQ(setup[u"fitHeight"].toInt(), 0);
        EXPECT_EQ(setup[u"landscape"].toBool(), s == 0);
        EXPECT_EQ(setup[u"selected"].toBool(), s == 0);
    }
}
