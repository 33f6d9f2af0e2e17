#pragma once

#include "Document.h"

#include "com/Variant.h"

#include <memory>

namespace reportexport {
struct ExportDocument;
}

namespace reportengine {

class Report;

// Binds and fills a report (each query runs once), then paginates its
// bands into pages. Failures (a table without logon, a parameter without a
// value, a database error) throw ComError.
std::unique_ptr<Document> fillAndPaginate(Report &report);

// Lays filled bands out on pages: page header and footer on every page, the
// report header on the first, keep-together and repeated group headers,
// "Page N of M" set once the count is known.
void paginate(Document &document, const ReportDef &def);

// The export model of a filled document: header paragraphs, the grid.
reportexport::ExportDocument buildExportDocument(const Document &document, Report &report);

// A number as a format such as "#,##0", "0.00" or "0.0%" shows it;
// an empty format gives the general form.
QString formatNumber(double value, const QString &format);

} // namespace reportengine
