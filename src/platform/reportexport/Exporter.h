#pragma once

#include "ExportDocument.h"

#include <QString>

#include <memory>

class QIODevice;

namespace reportexport {

// The report engine's format numbers.
constexpr int kFormatExcel8 = 29;
constexpr int kFormatRichText = 4;

// One export format (Excel 97-2003 workbook, Rich Text Format): writes a
// filled and paginated report to a device. Failures throw com::ComError.
class Exporter
{
public:
    virtual ~Exporter() = default;
    virtual QString shortName() const = 0;  // "xls", "rtf"
    virtual QString nameFilter() const = 0; // for a file dialog
    virtual void write(const ExportDocument &document, QIODevice &device) const = 0;
};

// The exporter of a format number, or nullptr for a format not offered.
std::unique_ptr<Exporter> exporterForFormat(int formatType);

// Writes the document to path through QSaveFile: on any failure no file (and
// no half-written file) is left, and a ComError with a clear description is thrown.
void exportToFile(const ExportDocument &document, int formatType, const QString &path);

// Writes several reports as one Excel 97-2003 workbook, a worksheet each, in
// the same way.
void exportWorkbookToFile(const QList<ExportDocument> &documents, const QString &path);

} // namespace reportexport
