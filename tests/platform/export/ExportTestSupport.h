#pragma once

#include "reportexport/ExportDocument.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// Helpers of the exporter tests: building export documents and reading the
// exported files back with independent readers (xlrd, unrtf).
namespace exporttest {

reportexport::ExportCell text(const QString &value, bool bold = false, int span = 1);
reportexport::ExportCell number(double value, const QString &format = QString());
reportexport::ExportRow row(std::initializer_list<reportexport::ExportCell> cells);
reportexport::ExportParagraph
paragraph(const QString &text, bool bold = false, double sizePt = 10,
          reportexport::ExportParagraph::Align align = reportexport::ExportParagraph::Align::Left);

// A small report as the engine hands it over: the header block (hospital
// name, address, title, period) and one table with a header row.
reportexport::ExportDocument sampleReport();

// A report of `rows` body rows: a text, two numbers (grouped, two decimals).
reportexport::ExportDocument longReport(int rows);

// Writes bytes to a file in dir and returns its path.
QString writeFile(const QString &dir, const QString &name, const QByteArray &bytes);

// xlrd's reading of a workbook (see read_xls.py); throws with the reader's
// message when it cannot read the file.
QJsonObject readXls(const QString &path);
// xlrd's size and MD5 of one compound-file stream.
QJsonObject readStream(const QString &path, const QString &stream);
// The check of the workbook's EXTSST buckets against its shared strings:
// {"buckets", "perBucket", "problems": [...]}.
QJsonObject readExtSst(const QString &path);
// unrtf's HTML of an RTF file; throws when unrtf fails.
QString unrtfHtml(const QString &path);

} // namespace exporttest
