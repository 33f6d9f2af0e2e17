#include "PdfInfo.h"

#include <QRegularExpression>

namespace reportengine {

namespace {

// A text string as UTF-16BE with its byte-order mark, written in hex so
// that no character of the text needs escaping.
QByteArray pdfText(const QString &text)
{
    QByteArray hex = "<FEFF";
    for (const QChar c : text)
        hex += QByteArray::number(c.unicode() + 0x10000, 16).right(4).toUpper();
    return hex + '>';
}

// The trailer keys an update repeats: the object count and the catalogue.
struct Trailer
{
    int size = 0;
    QByteArray root;
    qint64 xref = -1;
};

Trailer lastTrailer(const QByteArray &pdf)
{
    Trailer found;
    const qsizetype at = pdf.lastIndexOf("trailer");
    if (at < 0)
        return found;
    const QString tail = QString::fromLatin1(pdf.mid(at));
    static const QRegularExpression size(QStringLiteral("/Size\\s+(\\d+)"));
    static const QRegularExpression root(QStringLiteral("/Root\\s+(\\d+\\s+\\d+\\s+R)"));
    static const QRegularExpression xref(QStringLiteral("startxref\\s+(\\d+)\\s+%%EOF\\s*$"));
    const auto s = size.match(tail), r = root.match(tail), x = xref.match(tail);
    if (!s.hasMatch() || !r.hasMatch() || !x.hasMatch())
        return found;
    found.size = s.captured(1).toInt();
    found.root = r.captured(1).toLatin1();
    found.xref = x.captured(1).toLongLong();
    return found;
}

} // namespace

QByteArray appendPdfInfo(const QByteArray &pdf, const PdfInfo &info)
{
    const Trailer trailer = lastTrailer(pdf);
    if (trailer.size <= 0 || trailer.xref < 0 || trailer.xref >= pdf.size())
        return {};

    QByteArray out = pdf;
    if (!out.endsWith('\n'))
        out += '\n';
    const int object = trailer.size;
    const qsizetype objectAt = out.size();
    out += QByteArray::number(object) + " 0 obj\n<<\n";
    const auto entry = [&out](const char *key, const QString &value) {
        if (!value.isEmpty())
            out += QByteArray("/") + key + ' ' + pdfText(value) + '\n';
    };
    entry("Title", info.title);
    entry("Author", info.author);
    entry("Subject", info.subject);
    entry("Creator", info.creator);
    entry("Producer", QStringLiteral("Qt ") + QString::fromLatin1(qVersion()));
    if (info.created.isValid())
        out +=
            "/CreationDate (D:" + info.created.toUTC().toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + "Z)\n";
    out += ">>\nendobj\n";

    // Each cross-reference entry is exactly 20 bytes, its end of line
    // included.
    const qsizetype xrefAt = out.size();
    out += "xref\n" + QByteArray::number(object) + " 1\n";
    out += QByteArray::number(objectAt).rightJustified(10, '0') + " 00000 n\r\n";
    out += "trailer\n<<\n/Size " + QByteArray::number(object + 1) + "\n/Root " + trailer.root + "\n/Info " +
           QByteArray::number(object) + " 0 R\n/Prev " + QByteArray::number(trailer.xref) + "\n>>\n";
    out += "startxref\n" + QByteArray::number(xrefAt) + "\n%%EOF\n";
    return out;
}

} // namespace reportengine
