#pragma once

#include "Exporter.h"

#include <QByteArray>

namespace reportexport {

// Excel 97-2003 workbook (format 29): a compound file whose "Workbook"
// stream holds a worksheet per report with its lines, one row per printed
// line, in the report's fonts and alignment, printed one page wide;
// numbers stay numbers, texts go to the shared string table.
class XlsExporter : public Exporter
{
public:
    QString shortName() const override { return QStringLiteral("xls"); }
    QString nameFilter() const override { return QStringLiteral("Microsoft Excel (*.xls)"); }
    void write(const ExportDocument &document, QIODevice &device) const override;

    // The whole file in memory.
    static QByteArray workbook(const ExportDocument &document);
    // One workbook, a worksheet per document in the order given; sheet names
    // that would repeat get " (2)", " (3)", ...
    static QByteArray workbook(const QList<ExportDocument> &documents);
};

// Excel cannot hold a cell text longer than this; longer texts are cut and
// end with kXlsCutNote (the whole cell is then exactly kXlsMaxCellText long).
constexpr qsizetype kXlsMaxCellText = 32767;
inline const QString kXlsCutNote = QStringLiteral(" [cut at Excel's 32,767-character limit]");

// The worksheet name Excel accepts: no []:*?/\, no leading or trailing
// apostrophe, at most 31 characters; "Report" when nothing is left.
QString excelSheetName(const QString &name);

} // namespace reportexport
