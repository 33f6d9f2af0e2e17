#pragma once

#include "Document.h"

#include <QList>
#include <QRectF>
#include <QStringList>

#include <memory>

class QPainter;

namespace reportengine {

// Paints one page of the display list so that the paper fills target (in
// the painter's coordinates). The screen, the printer and PDF all use it.
// highlights (in points) are drawn behind the text, as find marks its hit.
void paintPage(QPainter &painter, const Document &document, int pageIndex, const QRectF &target,
               const QList<QRectF> &highlights = {});

// Writes all pages as a PDF file through QSaveFile; fails with a ComError.
// The file's properties carry the title and subject given (the report's
// own with its period), the author of the document.
void writePdf(const Document &document, const QString &path, const QString &title, const QString &subject);

// Several reports in one PDF: a contents page first, then each part's pages
// in order, each part with its bookmark. A part without pages (a section not
// generated for the period) is listed on the contents page with its note and
// has no bookmark.
struct PdfPart
{
    QString title;                            // the contents line and the bookmark
    std::shared_ptr<const Document> document; // nullptr: not in the file
    QString note;                             // what the contents page says of a part not in the file
};

struct PdfBook
{
    QString title, author, subject; // the file's properties
    QStringList heading;            // the contents page's lines above the list, the first in bold
    QString contentsCaption;        // the list's caption ("Contents")
    QString pageCaption;            // the page column's caption ("Page")
    QList<PdfPart> parts;
};

// Writes the book through QSaveFile; fails with a ComError. Answers the
// number of pages written.
int writePdfBook(const PdfBook &book, const QString &path);

// The height a wrapped text takes at a width, in points.
double measureTextHeight(const FontDef &font, const QString &text, double width, Align align);
// The width of one line of text, in points.
double measureTextWidth(const FontDef &font, const QString &text);

} // namespace reportengine
