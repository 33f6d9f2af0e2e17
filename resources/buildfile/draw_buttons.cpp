// Draws the build-file window's picture-button images: for Print, Generate
// and Cancel a normal and a highlighted 120 x 24 image, each also at twice the
// size for screens scaled above 100 %. The captions are not drawn here; the
// window lays its own caption labels across the pictures.
//
// The PNG files beside this program are its output and are what the build
// uses; run it again only to change the pictures:
//   g++ -std=c++20 -fPIC resources/buildfile/draw_buttons.cpp \
//       $(pkg-config --cflags --libs Qt6Gui) -o /tmp/draw_buttons
//   QT_QPA_PLATFORM=offscreen /tmp/draw_buttons resources/buildfile
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace {

constexpr int kWidth = 120;
constexpr int kHeight = 24;

struct Look
{
    QColor top;
    QColor bottom;
    QColor border;
    QColor glyph;
};

// Normal: a light face with the header band's blue; highlighted: the orange
// of the marked rows and of the header links under the pointer.
const Look kNormal{QColor(0xFF, 0xFF, 0xFF), QColor(0xD8, 0xE4, 0xF0), QColor(0x5E, 0x8C, 0xB8),
                   QColor(0x10, 0x61, 0x9C)};
const Look kHighlighted{QColor(0xFF, 0xD2, 0x9A), QColor(0xFF, 0x9E, 0x3A), QColor(0xFF, 0x80, 0x00),
                        QColor(0x4A, 0x24, 0x00)};

using Glyph = std::function<void(QPainter &, const QColor &)>;

// A printer: the paper behind, the body, the sheet coming out.
void PrinterGlyph(QPainter &p, const QColor &colour)
{
    p.setPen(QPen(colour, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(11.5, 5.5, 9, 5));
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(8.5, 9.5, 15, 7), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(11.5, 14.5, 9, 5));
    p.setPen(QPen(colour, 1.0));
    p.drawLine(QPointF(13, 16.5), QPointF(19, 16.5));
    p.drawLine(QPointF(13, 18), QPointF(17.5, 18));
}

// Three bars of a chart: the summaries being built.
void ChartGlyph(QPainter &p, const QColor &colour)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(9, 12, 3.5, 7), 0.8, 0.8);
    p.drawRoundedRect(QRectF(14, 8, 3.5, 11), 0.8, 0.8);
    p.drawRoundedRect(QRectF(19, 5, 3.5, 14), 0.8, 0.8);
    p.setPen(QPen(colour, 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(8, 19.8), QPointF(24, 19.8));
}

// A cross.
void CrossGlyph(QPainter &p, const QColor &colour)
{
    p.setPen(QPen(colour, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(11, 7), QPointF(21, 17));
    p.drawLine(QPointF(21, 7), QPointF(11, 17));
}

QImage Draw(const Look &look, const Glyph &glyph, int scale)
{
    QImage image(kWidth * scale, kHeight * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);

    const QRectF face(0.5, 0.5, kWidth - 1, kHeight - 1);
    QLinearGradient fill(face.topLeft(), face.bottomLeft());
    fill.setColorAt(0, look.top);
    fill.setColorAt(1, look.bottom);
    p.setPen(QPen(look.border, 1));
    p.setBrush(fill);
    p.drawRoundedRect(face, 4, 4);

    // A thin light line under the top edge gives the face some depth.
    p.setPen(QPen(QColor(255, 255, 255, 170), 1));
    p.drawLine(QPointF(4, 1.5), QPointF(kWidth - 4, 1.5));

    glyph(p, look.glyph);
    p.end();
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const struct
    {
        const char *name;
        Glyph glyph;
    } buttons[] = {{"print", PrinterGlyph}, {"generate", ChartGlyph}, {"cancel", CrossGlyph}};
    for (const auto &button : buttons) {
        for (int scale : {1, 2}) {
            const QString suffix = scale == 1 ? QStringLiteral(".png") : QStringLiteral("@2x.png");
            const QString base = folder + QLatin1Char('/') + QString::fromLatin1(button.name);
            if (!Draw(kNormal, button.glyph, scale).save(base + suffix))
                return 1;
            if (!Draw(kHighlighted, button.glyph, scale).save(base + QStringLiteral("-highlighted") + suffix))
                return 1;
        }
    }
    return 0;
}
