#include "XlsExporter.h"

#include "CompoundFile.h"
#include "LittleEndian.h"

#include "com/ComError.h"

#include <QHash>
#include <QIODevice>

#include <algorithm>
#include <cmath>

namespace reportexport {

namespace {

// Record numbers of the BIFF8 records we write.
enum Record : unsigned {
    kBof = 0x0809,
    kEof = 0x000A,
    kCodePage = 0x0042,
    kWindow1 = 0x003D,
    kDateMode = 0x0022,
    kFont = 0x0031,
    kFormat = 0x041E,
    kXf = 0x00E0,
    kStyle = 0x0293,
    kBoundSheet = 0x0085,
    kSst = 0x00FC,
    kContinue = 0x003C,
    kExtSst = 0x00FF,
    kLeftMargin = 0x0026,
    kRightMargin = 0x0027,
    kTopMargin = 0x0028,
    kBottomMargin = 0x0029,
    kSetup = 0x00A1,
    kColInfo = 0x007D,
    kDimensions = 0x0200,
    kRow = 0x0208,
    kLabelSst = 0x00FD,
    kNumber = 0x0203,
    kBlank = 0x0201,
    kWindow2 = 0x023E,
    kMergedCells = 0x00E5,
    kWsBool = 0x0081,
};

constexpr qsizetype kMaxRecordData = 8224; // a record's data never exceeds this
constexpr int kMaxRows = 65536;
constexpr int kMaxColumns = 256;
constexpr int kDefaultFontTwips = 200; // 10 pt
constexpr int kFirstCellXf = 15;       // XFs 0-14 are the built-in style XFs
constexpr int kFirstCustomFormat = 164;

void record(QByteArray &out, unsigned type, const QByteArray &data)
{
    le::u16(out, type);
    le::u16(out, unsigned(data.size()));
    out.append(data);
}

enum class Align { General = 0, Left = 1, Center = 2, Right = 3 };

struct Font
{
    QString family = QStringLiteral("Arial");
    int heightTwips = kDefaultFontTwips;
    bool bold = false;
    bool italic = false;
    bool operator==(const Font &) const = default;
};

struct Style
{
    int font = 0; // font index as XFs count them (4 is skipped)
    int format = 0;
    Align align = Align::General;
    bool wrap = false;
    bool operator==(const Style &) const = default;
};

size_t qHash(const Style &s, size_t seed = 0)
{
    return ::qHash(s.font * 1000003 + s.format * 16 + int(s.align) * 2 + int(s.wrap), seed);
}

struct Cell
{
    enum class Kind { Text, Number, Blank } kind = Kind::Blank;
    int column = 0;
    int xf = kFirstCellXf;
    quint32 sst = 0;
    double number = 0;
};

struct Row
{
    QList<Cell> cells;
    int heightTwips = 0; // 0: the default height
};

struct Merge
{
    int firstRow, lastRow, firstColumn, lastColumn;
};

// What the workbook's sheets share: fonts, number formats, cell XFs and the
// shared string table, collected while the sheets are laid out.
class WorkbookTables
{
public:
    QList<Font> fonts{Font{}, Font{}, Font{}, Font{}};
    QList<std::pair<int, QString>> customFormats;
    QList<Style> xfs;
    QList<QString> strings;
    quint32 stringReferences = 0;

    int fontIndex(const QString &family, double sizePt, bool bold, bool italic);
    int formatIndex(const QString &numberFormat);
    int xfIndex(const Style &style);
    quint32 stringIndex(const QString &text);

private:
    QHash<QString, int> m_formats;
    QHash<Style, int> m_xfs;
    QHash<QString, quint32> m_strings;
};

// One worksheet in the shape the records need: the report's blocks laid out
// row by row, with the merged ranges and the column widths.
class SheetBuilder
{
public:
    SheetBuilder(const ExportDocument &document, WorkbookTables &tables);

    const ExportDocument &document;
    QList<Row> rows;
    QList<Merge> merges;
    QList<double> columnWidthsPt;
    int columnCount = 1;

private:
    void addParagraph(const ExportParagraph &paragraph);
    void addCell(Row &row, int column, const ExportCell &cell, bool bold, int span);
    Row &newRow();

    WorkbookTables &m_tables;
};

int tableColumns(const ExportTable &table)
{
    int columns = int(table.columnWidthsPt.size());
    auto count = [&](const QList<ExportRow> &rows) {
        for (const ExportRow &row : rows) {
            int n = 0;
            for (const ExportCell &cell : row.cells)
                n += std::max(1, cell.columnSpan);
            columns = std::max(columns, n);
        }
    };
    count(table.headerRows);
    count(table.rows);
    return columns;
}

Align alignOf(ExportParagraph::Align align)
{
    return align == ExportParagraph::Align::Center  ? Align::Center
           : align == ExportParagraph::Align::Right ? Align::Right
                                                    : Align::Left;
}

// A cell's alignment as the report gives it; without one a merged cell is
// centred and the rest take Excel's general alignment.
Align alignOf(const ExportCell &cell, int span)
{
    switch (cell.align) {
    case ExportCell::Align::Left:
        return Align::Left;
    case ExportCell::Align::Center:
        return Align::Center;
    case ExportCell::Align::Right:
        return Align::Right;
    case ExportCell::Align::General:
        break;
    }
    return span > 1 ? Align::Center : Align::General;
}

SheetBuilder::SheetBuilder(const ExportDocument &doc, WorkbookTables &tables)
    : document(doc)
    , m_tables(tables)
{
    for (const auto &block : document.blocks) {
        if (const auto *table = std::get_if<ExportTable>(&block)) {
            columnCount = std::max(columnCount, tableColumns(*table));
            for (qsizetype i = 0; i < table->columnWidthsPt.size(); ++i) {
                if (columnWidthsPt.size() <= i)
                    columnWidthsPt.append(0);
                columnWidthsPt[i] = std::max(columnWidthsPt[i], table->columnWidthsPt[i]);
            }
        }
    }
    columnCount = std::min(columnCount, kMaxColumns);

    for (const auto &block : document.blocks) {
        if (const auto *paragraph = std::get_if<ExportParagraph>(&block)) {
            addParagraph(*paragraph);
            continue;
        }
        const auto &table = std::get<ExportTable>(block);
        auto addRows = [&](const QList<ExportRow> &source, bool header) {
            for (const ExportRow &line : source) {
                Row &row = newRow();
                if (line.heightPt > 0)
                    row.heightTwips = int(std::lround(std::clamp(line.heightPt, 2.0, 409.0) * 20));
                int column = 0;
                for (const ExportCell &cell : line.cells) {
                    const int span = std::max(1, cell.columnSpan);
                    if (column >= kMaxColumns)
                        break;
                    addCell(row, column, cell, header || cell.bold, span);
                    column += span;
                }
            }
        };
        addRows(table.headerRows, true);
        addRows(table.rows, false);
    }
}

// A header line spans the report's width so that a centred title sits over
// the table, as on the printed page.
void SheetBuilder::addParagraph(const ExportParagraph &paragraph)
{
    Row &row = newRow();
    const int font = m_tables.fontIndex(document.fontFamily, paragraph.fontSizePt, paragraph.bold, paragraph.italic);
    if (paragraph.heightPt > 0)
        row.heightTwips = int(std::lround(std::clamp(paragraph.heightPt, 2.0, 409.0) * 20));
    else if (std::fabs(paragraph.fontSizePt - 10) > 0.5)
        row.heightTwips = int(std::lround(std::clamp(paragraph.fontSizePt * 1.3, 2.0, 409.0) * 20));
    if (paragraph.text.isEmpty())
        return;
    Cell cell;
    cell.kind = Cell::Kind::Text;
    cell.xf = m_tables.xfIndex(Style{font, 0, alignOf(paragraph.align), paragraph.wrap});
    cell.sst = m_tables.stringIndex(paragraph.text);
    row.cells.append(cell);
    if (columnCount > 1) {
        const int r = int(rows.size()) - 1;
        merges.append(Merge{r, r, 0, columnCount - 1});
        for (int c = 1; c < columnCount; ++c) {
            Cell blank;
            blank.column = c;
            blank.xf = cell.xf;
            row.cells.append(blank);
        }
    }
}

Row &SheetBuilder::newRow()
{
    if (rows.size() >= kMaxRows)
        throw com::ComError(com::errors::InvalidProcedureCall,
                            QStringLiteral("The report has more than %1 lines, more than an "
                                           "Excel 97-2003 worksheet holds.")
                                .arg(kMaxRows));
    rows.append(Row{});
    return rows.last();
}

void SheetBuilder::addCell(Row &row, int column, const ExportCell &source, bool bold, int span)
{
    span = std::min(span, kMaxColumns - column);
    Cell cell;
    cell.column = column;
    const double size = source.fontSizePt > 0 ? source.fontSizePt : document.fontSizePt;
    Style style{m_tables.fontIndex(document.fontFamily, size, bold, source.italic), 0, alignOf(source, span),
                source.wrap && !source.isNumber()};
    if (source.isNumber()) {
        cell.number = std::get<double>(source.value);
        cell.kind = std::isfinite(cell.number) ? Cell::Kind::Number : Cell::Kind::Blank;
        style.format = m_tables.formatIndex(source.numberFormat);
    } else {
        QString text = std::get<QString>(source.value);
        if (!text.isEmpty()) {
            if (text.size() > kXlsMaxCellText) {
                qsizetype keep = kXlsMaxCellText - kXlsCutNote.size();
                if (text.at(keep - 1).isHighSurrogate())
                    --keep; // never leave half a character
                text = text.left(keep) + kXlsCutNote;
            }
            cell.kind = Cell::Kind::Text;
            cell.sst = m_tables.stringIndex(text);
        }
    }
    cell.xf = m_tables.xfIndex(style);
    row.cells.append(cell);
    if (span > 1) {
        const int r = int(rows.size()) - 1;
        merges.append(Merge{r, r, column, column + span - 1});
        for (int c = column + 1; c < column + span; ++c) {
            Cell blank;
            blank.column = c;
            blank.xf = cell.xf;
            row.cells.append(blank);
        }
    }
}

int WorkbookTables::fontIndex(const QString &family, double sizePt, bool bold, bool italic)
{
    const Font font{family.isEmpty() ? QStringLiteral("Arial") : family.left(255),
                    int(std::lround(std::clamp(sizePt, 1.0, 409.0) * 20)), bold, italic};
    qsizetype at = fonts.indexOf(font);
    if (at < 0) {
        fonts.append(font);
        at = fonts.size() - 1;
    }
    return at < 4 ? int(at) : int(at) + 1; // font index 4 does not exist
}

int WorkbookTables::formatIndex(const QString &numberFormat)
{
    // Formats Excel knows by number need no FORMAT record.
    static const QHash<QString, int> builtIn{{QStringLiteral("0"), 1},      {QStringLiteral("0.00"), 2},
                                             {QStringLiteral("#,##0"), 3},  {QStringLiteral("#,##0.00"), 4},
                                             {QStringLiteral("0%"), 9},     {QStringLiteral("0.00%"), 10},
                                             {QStringLiteral("General"), 0}};
    if (numberFormat.isEmpty())
        return 0;
    if (const auto it = builtIn.constFind(numberFormat); it != builtIn.cend())
        return *it;
    if (const auto it = m_formats.constFind(numberFormat); it != m_formats.cend())
        return *it;
    const int id = kFirstCustomFormat + int(customFormats.size());
    customFormats.append({id, numberFormat});
    m_formats.insert(numberFormat, id);
    return id;
}

int WorkbookTables::xfIndex(const Style &style)
{
    if (style == Style{})
        return kFirstCellXf;
    if (const auto it = m_xfs.constFind(style); it != m_xfs.cend())
        return *it;
    const int index = kFirstCellXf + 1 + int(xfs.size());
    xfs.append(style);
    m_xfs.insert(style, index);
    return index;
}

quint32 WorkbookTables::stringIndex(const QString &text)
{
    ++stringReferences;
    const auto it = m_strings.constFind(text);
    if (it != m_strings.cend())
        return *it;
    const auto index = quint32(strings.size());
    strings.append(text);
    m_strings.insert(text, index);
    return index;
}

bool fitsLatin1(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 256; });
}

// Characters of a string in BIFF8's two encodings: one byte each when every
// character is below 256 (the high-byte flag clear), else UTF-16LE.
void appendChars(QByteArray &out, const QString &text, qsizetype from, qsizetype count, bool wide)
{
    for (qsizetype i = from; i < from + count; ++i) {
        const char16_t c = text.at(i).unicode();
        if (wide)
            le::u16(out, c);
        else
            out.append(char(c));
    }
}

// ShortXLUnicodeString: 8-bit length, high-byte flag, characters.
void appendShortString(QByteArray &out, const QString &text)
{
    const bool wide = !fitsLatin1(text);
    le::u8(out, unsigned(text.size()));
    le::u8(out, wide ? 1 : 0);
    appendChars(out, text, 0, text.size(), wide);
}

// XLUnicodeString: 16-bit length, high-byte flag, characters.
void appendString(QByteArray &out, const QString &text)
{
    const bool wide = !fitsLatin1(text);
    le::u16(out, unsigned(text.size()));
    le::u8(out, wide ? 1 : 0);
    appendChars(out, text, 0, text.size(), wide);
}

// XF: font, number format, protection/type/parent, alignment, the "used
// attribute" flags, no borders, no fill (pattern colours 64/65 = automatic).
QByteArray xfData(int font, int format, unsigned typeFlags, Align align, unsigned usedFlags, bool wrap = false)
{
    QByteArray d;
    le::u16(d, unsigned(font));
    le::u16(d, unsigned(format));
    le::u16(d, typeFlags);
    // Vertical alignment: the cells at the top, as the report prints its
    // texts, so that the figures of a row stand level with a caption that
    // wraps; the style XFs at the bottom.
    const bool cell = typeFlags == 0x0001;
    le::u8(d, unsigned(align) | (wrap ? 0x08 : 0) | (cell ? 0x00 : 0x20));
    le::u8(d, 0); // no rotation
    le::u16(d, usedFlags);
    le::u32(d, 0);
    le::u32(d, 0);
    le::u16(d, 64 | (65 << 7));
    return d;
}

// SST: every distinct text once, split into CONTINUE records at the record
// size limit. A string's length and flags never split; its characters may,
// but never inside a character, and the continuation restarts with the
// high-byte flag. Bucket positions for EXTSST are noted on the way.
void appendSst(QByteArray &out, const WorkbookTables &sheet, int perBucket,
               QList<std::pair<quint32, unsigned>> &buckets)
{
    qsizetype recordStart = out.size();
    auto startRecord = [&](unsigned type) {
        recordStart = out.size();
        le::u16(out, type);
        le::u16(out, 0);
    };
    auto finishRecord = [&] { le::put16(out, recordStart + 2, unsigned(out.size() - recordStart - 4)); };
    auto room = [&] { return kMaxRecordData - (out.size() - recordStart - 4); };

    startRecord(kSst);
    le::u32(out, sheet.stringReferences);
    le::u32(out, quint32(sheet.strings.size()));
    for (qsizetype i = 0; i < sheet.strings.size(); ++i) {
        const QString &text = sheet.strings.at(i);
        const bool wide = !fitsLatin1(text);
        const int charSize = wide ? 2 : 1;
        if (room() < 3 + (text.isEmpty() ? 0 : charSize)) {
            finishRecord();
            startRecord(kContinue);
        }
        if (i % perBucket == 0)
            buckets.append({quint32(out.size()), unsigned(out.size() - recordStart)});
        le::u16(out, unsigned(text.size()));
        le::u8(out, wide ? 1 : 0);
        qsizetype done = 0;
        while (done < text.size()) {
            qsizetype n = std::min<qsizetype>(text.size() - done, room() / charSize);
            // Keep a surrogate pair together: readers decode each part alone.
            if (n > 0 && done + n < text.size() && text.at(done + n - 1).isHighSurrogate())
                --n;
            if (n == 0) {
                finishRecord();
                startRecord(kContinue);
                le::u8(out, wide ? 1 : 0);
                continue;
            }
            appendChars(out, text, done, n, wide);
            done += n;
        }
    }
    finishRecord();
}

QByteArray bofData(unsigned kind)
{
    QByteArray d;
    le::u16(d, 0x0600); // BIFF8
    le::u16(d, kind);   // 0x0005 workbook globals, 0x0010 worksheet
    le::u16(d, 0x0DBB); // build
    le::u16(d, 0x07CC); // year
    le::u32(d, 0);
    le::u32(d, 0x00000006); // lowest BIFF version able to read the file
    return d;
}

QByteArray doubleData(double value)
{
    QByteArray d;
    le::f64(d, value);
    return d;
}

// The paper size code of the report's page: Letter, Legal or A4 (others as Letter).
unsigned paperSize(const QSizeF &portraitPt)
{
    const double w = std::min(portraitPt.width(), portraitPt.height());
    const double h = std::max(portraitPt.width(), portraitPt.height());
    auto near = [&](double a, double b) { return std::fabs(w - a) < 3 && std::fabs(h - b) < 3; };
    if (near(612, 1008))
        return 5;
    if (near(595, 842))
        return 9;
    return 1;
}

QByteArray worksheet(const SheetBuilder &sheet, bool first)
{
    const ExportDocument &document = sheet.document;
    QByteArray out;
    record(out, kBof, bofData(0x0010));

    // WSBOOL: automatic page breaks shown, outline symbols as Excel's
    // default, and the print scaled to fit a number of pages (SETUP).
    {
        QByteArray d;
        le::u16(d, 0x04C1 | 0x0100);
        record(out, kWsBool, d);
    }

    // Page setup: margins in inches, paper size and orientation.
    const double marginInches = std::max(0.0, document.marginPt) / 72.0;
    for (unsigned type : {kLeftMargin, kRightMargin, kTopMargin, kBottomMargin})
        record(out, type, doubleData(marginInches));
    {
        QByteArray d;
        le::u16(d, paperSize(document.pageSizePt));
        le::u16(d, 100);                                  // scale
        le::u16(d, 1);                                    // first page number
        le::u16(d, 1);                                    // one page wide
        le::u16(d, 0);                                    // as many pages tall as it takes
        le::u16(d, document.landscape ? 0x0000 : 0x0002); // portrait flag; settings valid
        le::u16(d, 600);
        le::u16(d, 600);
        le::f64(d, 0.5); // header margin
        le::f64(d, 0.5); // footer margin
        le::u16(d, 1);   // copies
        record(out, kSetup, d);
    }

    // Column widths in 1/256 of a digit's width (7 px of 96 per inch),
    // less the cell padding Excel adds.
    for (qsizetype c = 0; c < sheet.columnWidthsPt.size() && c < kMaxColumns; ++c) {
        const double pt = sheet.columnWidthsPt.at(c);
        if (pt <= 0)
            continue;
        const double px = pt * 96.0 / 72.0;
        const int width = int(std::clamp(std::lround((px - 5.0) / 7.0 * 256.0), 256L, 65280L));
        QByteArray d;
        le::u16s(d, {unsigned(c), unsigned(c), unsigned(width), kFirstCellXf, 0, 0});
        record(out, kColInfo, d);
    }

    // DIMENSIONS: first row, last row + 1, first column, last column + 1.
    {
        QByteArray d;
        const bool empty = sheet.rows.isEmpty();
        le::u32(d, 0);
        le::u32(d, empty ? 0 : quint32(sheet.rows.size()));
        le::u16(d, 0);
        le::u16(d, empty ? 0 : unsigned(sheet.columnCount));
        le::u16(d, 0);
        record(out, kDimensions, d);
    }

    // Rows in blocks of 32: the blocks' ROW records, then their cells.
    for (qsizetype first = 0; first < sheet.rows.size(); first += 32) {
        const qsizetype last = std::min(first + 32, sheet.rows.size());
        for (qsizetype r = first; r < last; ++r) {
            const Row &row = sheet.rows.at(r);
            int lastColumn = 0;
            for (const Cell &cell : row.cells)
                lastColumn = std::max(lastColumn, cell.column + 1);
            const unsigned height = row.heightTwips ? unsigned(row.heightTwips) : 255u;
            QByteArray d;
            le::u16s(d, {unsigned(r), 0, unsigned(lastColumn), height, 0, 0});
            // Bit 8 is always set; bit 6 marks a height of its own.
            le::u32(d, 0x0100 | (row.heightTwips ? 0x0040 : 0) | (kFirstCellXf << 16));
            record(out, kRow, d);
        }
        for (qsizetype r = first; r < last; ++r) {
            for (const Cell &cell : sheet.rows.at(r).cells) {
                QByteArray d;
                le::u16s(d, {unsigned(r), unsigned(cell.column), unsigned(cell.xf)});
                switch (cell.kind) {
                case Cell::Kind::Text:
                    le::u32(d, cell.sst);
                    record(out, kLabelSst, d);
                    break;
                case Cell::Kind::Number:
                    le::f64(d, cell.number);
                    record(out, kNumber, d);
                    break;
                case Cell::Kind::Blank:
                    record(out, kBlank, d);
                    break;
                }
            }
        }
    }

    // WINDOW2: gridlines, headings, zeros, automatic grid colour, guts;
    // the sheet selected and shown.
    {
        QByteArray d;
        le::u16s(d, {first ? 0x06B6u : 0x00B6u, 0, 0, 64, 0, 0, 0}); // only the first sheet selected
        le::u32(d, 0);
        record(out, kWindow2, d);
    }

    // MERGEDCELLS: at most 1026 ranges per record.
    for (qsizetype first = 0; first < sheet.merges.size(); first += 1026) {
        const qsizetype last = std::min(first + 1026, sheet.merges.size());
        QByteArray d;
        le::u16(d, unsigned(last - first));
        for (qsizetype i = first; i < last; ++i) {
            const Merge &m = sheet.merges.at(i);
            le::u16s(d, {unsigned(m.firstRow), unsigned(m.lastRow), unsigned(m.firstColumn), unsigned(m.lastColumn)});
        }
        record(out, kMergedCells, d);
    }

    record(out, kEof, {});
    return out;
}

} // namespace

QString excelSheetName(const QString &name)
{
    QString result;
    for (QChar c : name) {
        if (QStringLiteral("[]:*?/\\").contains(c) || c.unicode() < 0x20)
            continue;
        result.append(c);
    }
    result = result.trimmed();
    while (result.startsWith(u'\''))
        result.remove(0, 1);
    if (result.size() > 31)
        result.truncate(result.at(30).isHighSurrogate() ? 30 : 31);
    while (result.endsWith(u'\''))
        result.chop(1);
    result = result.trimmed();
    return result.isEmpty() ? QStringLiteral("Report") : result;
}

QByteArray XlsExporter::workbook(const ExportDocument &document)
{
    return workbook(QList<ExportDocument>{document});
}

QByteArray XlsExporter::workbook(const QList<ExportDocument> &documents)
{
    WorkbookTables tables;
    std::vector<SheetBuilder> sheets;
    sheets.reserve(std::size_t(documents.size()));
    for (const ExportDocument &document : documents)
        sheets.emplace_back(document, tables);
    const WorkbookTables &sheet = tables;
    QByteArray out;

    record(out, kBof, bofData(0x0005));
    {
        QByteArray d;
        le::u16(d, 1200); // texts are Unicode
        record(out, kCodePage, d);
    }
    {
        // WINDOW1: the workbook window; the first sheet active and selected.
        QByteArray d;
        le::u16s(d, {0, 0, 0x3A5C, 0x23BE, 0x0038, 0, 0, 1, 600});
        record(out, kWindow1, d);
    }
    {
        QByteArray d;
        le::u16(d, 0); // dates count from 1900
        record(out, kDateMode, d);
    }

    // FONT: height, attributes, automatic colour, weight, Arial.
    for (const Font &font : sheet.fonts) {
        QByteArray d;
        le::u16(d, unsigned(font.heightTwips));
        le::u16(d, (font.bold ? 0x0001 : 0) | (font.italic ? 0x0002 : 0)); // older readers take bold from here
        le::u16(d, 0x7FFF);
        le::u16(d, font.bold ? 700 : 400);
        le::u16(d, 0);
        le::u8(d, 0);
        le::u8(d, 2); // swiss family
        le::u8(d, 0);
        le::u8(d, 0);
        appendShortString(d, font.family);
        record(out, kFont, d);
    }

    // FORMAT: the report's own number formats (built-in ones need none).
    for (const auto &[id, code] : sheet.customFormats) {
        QByteArray d;
        le::u16(d, unsigned(id));
        appendString(d, code);
        record(out, kFormat, d);
    }

    // XF: the 15 built-in style XFs (Normal first), the default cell XF,
    // then one cell XF per font/format/alignment the sheet uses.
    record(out, kXf, xfData(0, 0, 0xFFF5, Align::General, 0));
    for (int i = 1; i < kFirstCellXf; ++i)
        record(out, kXf, xfData(0, 0, 0xFFF5, Align::General, 0xF400));
    record(out, kXf, xfData(0, 0, 0x0001, Align::General, 0));
    for (const Style &style : sheet.xfs) {
        const unsigned used =
            (style.format ? 0x0400 : 0) | (style.font ? 0x0800 : 0) | (style.align != Align::General ? 0x1000 : 0);
        record(out, kXf,
               xfData(style.font, style.format, 0x0001, style.align, used | (style.wrap ? 0x1000 : 0), style.wrap));
    }

    // STYLE: the built-in Normal style on XF 0.
    {
        QByteArray d;
        le::u16(d, 0x8000);
        le::u8(d, 0);
        le::u8(d, 0xFF);
        record(out, kStyle, d);
    }

    // BOUNDSHEET: each worksheet's name, unique in the workbook, and where
    // its BOF starts (patched below).
    QList<qsizetype> sheetOffsetsAt;
    QStringList names;
    for (const SheetBuilder &builder : sheets) {
        const QString name = excelSheetName(builder.document.sheetName);
        QString unique = name;
        for (int n = 2; names.contains(unique, Qt::CaseInsensitive); ++n) {
            const QString suffix = QStringLiteral(" (%1)").arg(n);
            unique = excelSheetName(name.left(31 - suffix.size())) + suffix;
        }
        names.append(unique);
        sheetOffsetsAt.append(out.size() + 4);
        QByteArray d;
        le::u32(d, 0);
        le::u8(d, 0); // visible
        le::u8(d, 0); // worksheet
        appendShortString(d, unique);
        record(out, kBoundSheet, d);
    }

    const int perBucket = std::max(8, int((sheet.strings.size() + 127) / 128)); // at most 128 buckets
    QList<std::pair<quint32, unsigned>> buckets;
    appendSst(out, sheet, perBucket, buckets);

    // EXTSST: where every perBucket-th string starts, for quick look-up.
    {
        QByteArray d;
        le::u16(d, unsigned(perBucket));
        for (const auto &[streamPos, recordOffset] : buckets) {
            le::u32(d, streamPos);
            le::u16(d, recordOffset);
            le::u16(d, 0);
        }
        record(out, kExtSst, d);
    }
    record(out, kEof, {});

    for (std::size_t i = 0; i < sheets.size(); ++i) {
        le::put32(out, sheetOffsetsAt.at(qsizetype(i)), quint32(out.size()));
        out.append(worksheet(sheets[i], i == 0));
    }

    // Short workbooks are padded so that the stream needs no mini stream.
    if (out.size() < kCompoundMinStreamSize)
        out.append(kCompoundMinStreamSize - out.size(), '\0');
    return compoundFileWithStream(QStringLiteral("Workbook"), out);
}

void XlsExporter::write(const ExportDocument &document, QIODevice &device) const
{
    const QByteArray bytes = workbook(document);
    if (device.write(bytes) != bytes.size())
        throw com::ComError(75, QStringLiteral("The workbook could not be written: %1").arg(device.errorString()));
}

} // namespace reportexport
