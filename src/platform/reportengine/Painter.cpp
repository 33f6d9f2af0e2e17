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

void writePdf(const Document &document, const QString &path)
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
        writer.setPageSize(QPageSize(document.paperSize, QPageSize::Point));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setTitle(document.title);
        QPainter painter(&writer);
        const QRectF target(0, 0, writer.width(), writer.height());
        for (int i = 0; i < document.pageCount(); ++i) {
            if (i > 0)
                writer.newPage();
            paintPage(painter, document, i, target);
        }
    }
    const QByteArray withInfo =
        appendPdfInfo(painted.data(), {document.title, document.author, document.subject,
                                       QCoreApplication::applicationName(), QDateTime::currentDateTime()});
    const QByteArray &bytes = withInfo.isEmpty() ? painted.data() : withInfo;
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw cannotWrite(file.errorString());
}

} // namespace reportengine
