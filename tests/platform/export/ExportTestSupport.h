#pragma once

#include "fixtures/ExportData.h"
#include "reportexport/ExportDocument.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// Helpers of the exporter tests: building export documents and reading the
// exported files back with independent readers (xlrd, unrtf).
namespace exporttest {

using testdata::number;
using testdata::paragraph;
using testdata::row;
using testdata::text;

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
