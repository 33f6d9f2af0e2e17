#include "Painter.h"

#include "EngineErrors.h"
#include "PdfInfo.h"

#include "com/ComError.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDateTime>
#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace reportengine {

namespace {

// A font whose pixel size equals its size in points on a device of dpi
// dots per inch, so that one painter unit is one point.
QFont qtFont(const FontDef &def, double dpi)
{
    QFont font(def.family.isEmpty() ? QStringLiteral("DejaVu Sans") : def.family);
    font.setPointSizeF(std::max(1.0, def.sizePt) * 72.0 / dpi);
    font.setBold(def.bold);
    font.setItalic(def.italic);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

int alignFlags(Align align)
{
    switch (align) {
    case Align::Center:
        return Qt::AlignHCenter;
    case Align::Right:
        return Qt::AlignRight;
    case Align::Left:
        break;
    }
    return Qt::AlignLeft;
}

// Measurement happens on a 72 dpi image: there a point is a pixel.
const QImage &measureDevice()
{
    static const QImage image = [] {
        QImage i(1, 1, QImage::Format_ARGB32);
        i.setDotsPerMeterX(2835);
        i.setDotsPerMeterY(2835);
        return i;
    }();
    return image;
}

} // namespace

double measureTextHeight(const FontDef &font, const QString &text, double width, Align align)
{
    const QImage &device = measureDevice();
    const QFontMetricsF metrics(qtFont(font, device.logicalDpiY()), &device);
    const QRectF bounds =
        metrics.boundingRect(QRectF(0, 0, std::max(1.0, width), 1e6), Qt::TextWordWrap | alignFlags(align), text);
    return bounds.height();
}

double measureTextWidth(const FontDef &font, const QString &text)
{
    const QImage &device = measureDevice();
    return QFontMetricsF(qtFont(font, device.logicalDpiY()), &device).horizontalAdvance(text);
}

void paintPage(QPainter &painter, const Document &document, int pageIndex, const QRectF &target,
               const QList<QRectF> &highlights)
{
    if (pageIndex < 0 || pageIndex >= document.pageCount())
        return;
    const double scale = target.width() / document.paperSize.width();
    const double dpi = painter.device() ? painter.device()->logicalDpiY() : 72.0;
    QList<QFont> fonts;
    for (const FontDef &f : document.fonts)
        fonts.append(qtFont(f, dpi));

    painter.save();
    painter.translate(target.topLeft());
    painter.scale(scale, scale);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.fillRect(QRectF(QPointF(0, 0), document.paperSize), Qt::white);
    for (const QRectF &h : highlights)
        painter.fillRect(h.adjusted(-1, -1, 1, 1), QColor(255, 230, 0));
    painter.setBrush(Qt::NoBrush);
    for (const DisplayItem &item : document.pages[pageIndex].items) {
        switch (item.kind) {
        case DisplayItem::Kind::Text:
            if (item.text.isEmpty())
                break;
            painter.setPen(Qt::black);
            painter.setFont(fonts.value(item.font));
            painter.drawText(item.rect, alignFlags(item.align) | Qt::AlignTop | (item.wrap ? Qt::TextWordWrap : 0),
                             item.text);
            break;
        case DisplayItem::Kind::Line:
            painter.setPen(QPen(Qt::black, item.pen));
            painter.drawLine(item.rect.topLeft(), item.rect.bottomRight());
            break;
        case DisplayItem::Kind::Box:
            painter.setPen(QPen(Qt::black, item.pen));
            painter.drawRect(item.rect);
            break;
        }
    }
    painter.restore();
}

namespace {

// The page layout of a paper size in points, landscape when wider than tall.
QPageLayout layoutOf(const QSizeF &paper)
{
    const bool landscape = paper.width() > paper.height();
    const QSizeF portrait = landscape ? paper.transposed() : paper;
    return QPageLayout(QPageSize(portrait, QPageSize::Point, QString(), QPageSize::ExactMatch),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Point);
}

// Paints the pages given, each at its own paper size, into a PDF in memory
// and writes it with the document information and the bookmarks through
// QSaveFile.
void writePdfPages(const QList<std::pair<const Document *, int>> &pages, const QString &path, const PdfInfo &info,
                   const QList<PdfBookmark> &bookmarks)
{
    const auto cannotWrite = [&path](const QString &why) {
        return com::ComError(errors::ExportInvalid,
                             QStringLiteral("The file '%1' cannot be written: %2").arg(path, why), kEngineSource);
    };
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw cannotWrite(file.errorString());
    // Painted into memory first: the document information is appended to
    // what the writer produced before the file is written.
    QBuffer painted;
    painted.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&painted);
        writer.setResolution(600);
        if (!pages.isEmpty())
            writer.setPageLayout(layoutOf(pages.first().first->paperSize));
        writer.setTitle(info.title);
        QPainter painter(&writer);
        for (qsizetype i = 0; i < pages.size(); ++i) {
            const auto &[document, index] = pages.at(i);
            if (i > 0) {
                writer.setPageLayout(layoutOf(document->paperSize));
                writer.newPage();
            }
            paintPage(painter, *document, index, QRectF(0, 0, writer.width(), writer.height()));
        }
    }
    const QByteArray updated = appendPdfInfo(painted.data(), info, bookmarks);
    if (updated.isEmpty() && !bookmarks.isEmpty())
        throw cannotWrite(QStringLiteral("its bookmarks could not be added to what Qt's PDF writer wrote."));
    const QByteArray &bytes = updated.isEmpty() ? painted.data() : updated;
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw cannotWrite(file.errorString());
}

// The contents page of a book as a display list: the heading, then one line
// per part with the page it starts on or its note.
Document contentsPage(const PdfBook &book, const QList<int> &firstPages)
{
    Document page;
    page.paperSize = QSizeF(612, 792);
    const QString family = QStringLiteral("DejaVu Sans");
    page.fonts = {FontDef{family, 14, true, false}, FontDef{family, 11, false, false}, FontDef{family, 10, true, false},
                  FontDef{family, 10, false, false}, FontDef{family, 10, false, true}};
    page.pages.append(DisplayPage());
    QList<DisplayItem> &items = page.pages.first().items;
    const double left = 54, width = 612 - 2 * 54;
    double y = 54;
    const auto text = [&](const QString &t, int font, double x, double w, Align align, double height) {
        DisplayItem item;
        item.text = t;
        item.font = font;
        item.align = align;
        item.rect = QRectF(x, y, w, height);
        items.append(item);
    };
    for (qsizetype i = 0; i < book.heading.size(); ++i) {
        text(book.heading.at(i), i == 0 ? 0 : 1, left, width, Align::Center, i == 0 ? 18 : 15);
        y += i == 0 ? 20 : 15;
    }
    y += 18;
    text(book.contentsCaption, 2, left, width - 60, Align::Left, 14);
    text(book.pageCaption, 2, left + width - 120, 120, Align::Right, 14);
    y += 16;
    DisplayItem rule;
    rule.kind = DisplayItem::Kind::Line;
    rule.rect = QRectF(QPointF(left, y), QPointF(left + width, y));
    items.append(rule);
    y += 6;
    for (qsizetype i = 0; i < book.parts.size(); ++i) {
        const PdfPart &part = book.parts.at(i);
        const double height = measureTextHeight(page.fonts[3], part.title, width - 130, Align::Left);
        text(part.title, 3, left, width - 130, Align::Left, height);
        items.last().wrap = true;
        if (part.document)
            text(QString::number(firstPages.at(i) + 1), 3, left + width - 120, 120, Align::Right, 13);
        else
            text(part.note, 4, left + width - 120, 120, Align::Right, 13);
        y += std::max(15.0, height + 3);
    }
    return page;
}

} // namespace

void writePdf(const Document &document, const QString &path, const QString &title, const QString &subject)
{
    QList<std::pair<const Document *, int>> pages;
    for (int i = 0; i < document.pageCount(); ++i)
        pages.append({&document, i});
    writePdfPages(pages, path,
                  {title, document.author, subject, QCoreApplication::applicationName(), QDateTime::currentDateTime()},
                  {});
}

int writePdfBook(const PdfBook &book, const QString &path)
{
    QList<int> firstPages;
    int next = 1; // after the contents page
    for (const PdfPart &part : book.parts) {
        firstPages.append(next);
        if (part.document)
            next += part.document->pageCount();
    }
    const Document contents = contentsPage(book, firstPages);
    QList<std::pair<const Document *, int>> pages{{&contents, 0}};
    QList<PdfBookmark> bookmarks;
    for (qsizetype i = 0; i < book.parts.size(); ++i) {
        const PdfPart &part = book.parts.at(i);
        if (!part.document || part.document->pageCount() == 0)
            continue;
        bookmarks.append({part.title, firstPages.at(i)});
        for (int p = 0; p < part.document->pageCount(); ++p)
            pages.append({part.document.get(), p});
    }
    writePdfPages(
        pages, path,
        {book.title, book.author, book.subject, QCoreApplication::applicationName(), QDateTime::currentDateTime()},
        bookmarks);
    return int(pages.size());
}

} // namespace reportengine
