// Every section's .xls and .rtf export of a demo month and a demo year, as a
// recipient sees them: opened in LibreOffice (headless, one start for all the
// files) and printed to PDF, then read with pdftotext. No cell shows "###",
// no figure and no word is broken across lines or cut off, every sheet prints
// one page wide and a landscape report prints landscape.
#include "fixtures/DemoReports.h"

#include "reportengine/ReportEngine.h"
#include "reportexport/ExportDocument.h"
#include "reportexport/NumberText.h"
#include "reporting/modCrystal.h"
#include "startup/modSysConstants.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

using testdata::DemoReports;

namespace {

// One exported file and what must be read whole in its PDF.
struct ExportedFile
{
    QString name;          // without the extension
    QStringList figures;   // every number as the report prints it
    QStringList words;     // every word of the headings, captions and notes
    QStringList firstPage; // words that must all be on page 1: the title, the last column's heading
    bool landscape = false;
};

QString run(const QString &program, const QStringList &args, int timeoutMs = 120000)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(timeoutMs) || process.exitCode() != 0)
        throw std::runtime_error((program + QLatin1Char(' ') + args.join(QLatin1Char(' '))).toStdString() +
                                 " failed: " + process.readAllStandardError().toStdString());
    return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList wordsOf(const QString &text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return text.split(blanks, Qt::SkipEmptyParts);
}

// What a file's model says must come through: its figures, its heading
// words, and for page 1 the hospital's name and the last column's heading.
ExportedFile expectations(const reportexport::ExportDocument &doc, const QString &name)
{
    ExportedFile file{name, {}, {}, {}, doc.landscape};
    for (const auto &block : doc.blocks) {
        const auto *table = std::get_if<reportexport::ExportTable>(&block);
        if (!table) {
            const QStringList words = wordsOf(std::get<reportexport::ExportParagraph>(block).text);
            if (file.firstPage.isEmpty())
                file.firstPage = words;
            file.words += words; // a note too long for one line wraps, never runs off the sheet
            continue;
        }
        for (const reportexport::ExportRow &row : table->headerRows) {
            for (const reportexport::ExportCell &cell : row.cells)
                if (!cell.isNumber())
                    file.words += wordsOf(std::get<QString>(cell.value));
            if (!row.cells.isEmpty() && !row.cells.last().isNumber())
                file.firstPage += wordsOf(std::get<QString>(row.cells.last().value));
        }
        for (const reportexport::ExportRow &row : table->rows)
            for (const reportexport::ExportCell &cell : row.cells)
                if (cell.isNumber())
                    file.figures.append(reportexport::formatNumber(std::get<double>(cell.value), cell.numberFormat));
                else
                    file.words += wordsOf(std::get<QString>(cell.value));
    }
    return file;
}

// Every section of the window for a demo month and a demo year, exported
// to both formats, then converted by one start of LibreOffice, with a
// profile of its own.
QList<ExportedFile> exportAndConvert(DemoReports &demo, const QTemporaryDir &dir)
{
    QList<ExportedFile> files;
    QStringList paths;
    for (const auto &[first, last] :
         {std::pair{QDate(2026, 3, 1), QDate(2026, 3, 31)}, std::pair{QDate(2025, 1, 1), QDate(2025, 12, 31)}}) {
        demo.generate(first, last);
        for (const catalogue::ReportFile &entry : catalogue::ReportFiles()) {
            demo.open(entry, first, last);
            const reportexport::ExportDocument doc = modCrystal::pobjReport->exportDocument();
            for (const auto &[format, type] : {std::pair{QStringLiteral("xls"), reportengine::crEFTExcel80},
                                               std::pair{QStringLiteral("rtf"), reportengine::crEFTRichText}}) {
                const QString name = QStringLiteral("%1-%2-%3")
                                         .arg(QFileInfo(entry.file).completeBaseName())
                                         .arg(first.month() == last.month() ? u"month" : u"year")
                                         .arg(format);
                const QString path = dir.filePath(name + QLatin1Char('.') + format);
                modCrystal::pobjReport->ExportOptions() = {reportengine::crEDTDiskFile, type, path};
                modCrystal::pobjReport->Export(false);
                paths.append(path);
                files.append(expectations(doc, name));
            }
            modCrystal::pobjReport.reset();
        }
    }
    const QStringList args{QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profile")),
                           QStringLiteral("--headless"),
                           QStringLiteral("--convert-to"),
                           QStringLiteral("pdf"),
                           QStringLiteral("--outdir"),
                           dir.filePath(QStringLiteral("pdf"))};
    run(QStringLiteral("soffice"), args + paths, 170000);
    return files;
}

} // namespace

// One table of files, walked in one test: the conversion is done once.
TEST(OfficeRoundTrip, EveryExportReadsWholeAndPrintsOnePageWide)
{
    QTemporaryDir dir;
    DemoReports demo;
    const QList<ExportedFile> files = exportAndConvert(demo, dir);
    ASSERT_EQ(files.size(), catalogue::ReportFiles().size() * 2 * 2);
    for (const ExportedFile &file : files) {
        SCOPED_TRACE(file.name.toStdString());
        const QString pdf = dir.filePath(QStringLiteral("pdf/") + file.name + QStringLiteral(".pdf"));
        ASSERT_TRUE(QFileInfo::exists(pdf)) << "LibreOffice did not convert the file";
        const QString text = run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
        const QStringList tokens = wordsOf(text);
        const QSet<QString> present(tokens.cbegin(), tokens.cend());
        EXPECT_FALSE(text.contains(QStringLiteral("###")));
        const auto notWhole = [&present](const QStringList &expected) {
            QStringList missing;
            for (const QString &word : expected)
                if (!present.contains(word))
                    missing.append(word);
            return missing.join(QStringLiteral(", ")).toStdString();
        };
        EXPECT_EQ(notWhole(file.figures), "") << "figures not read whole";
        EXPECT_EQ(notWhole(file.words), "") << "words not read whole";

        // Page 1 holds the whole title line and the last column: the sheet is not
        // cut into pages side by side.
        const QStringList first = wordsOf(
            run(QStringLiteral("pdftotext"), {QStringLiteral("-l"), QStringLiteral("1"), pdf, QStringLiteral("-")}));
        for (const QString &word : file.firstPage)
            EXPECT_TRUE(first.contains(word)) << word.toStdString() << " is not on page 1";
        const QRegularExpressionMatch size = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)"))
                                                 .match(run(QStringLiteral("pdfinfo"), {pdf}));
        ASSERT_TRUE(size.hasMatch());
        EXPECT_EQ(size.captured(1).toDouble() > size.captured(2).toDouble(), file.landscape);
    }
}
