#pragma once

#include "Document.h"

#include <QList>
#include <QRectF>

class QPainter;

namespace reportengine {

// Paints one page of the display list so that the paper fills target (in
// the painter's coordinates). The screen, the printer and PDF all use it.
// highlights (in points) are drawn behind the text, as find marks its hit.
void paintPage(QPainter &painter, const Document &document, int pageIndex, const QRectF &target,
               const QList<QRectF> &highlights = {});

// Writes all pages as a PDF file through QSaveFile; fails with a ComError.
void writePdf(const Document &document, const QString &path);

// The height a wrapped text takes at a width, in points.
double measureTextHeight(const FontDef &font, const QString &text, double width, Align align);

} // namespace reportengine
