#include "PdfInfo.h"

#include <QHash>
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

// Where each object of the file's last cross-reference table starts.
QHash<int, qint64> objectOffsets(const QByteArray &pdf, qint64 xrefAt)
{
    QHash<int, qint64> offsets;
    if (!pdf.mid(xrefAt, 4).startsWith("xref"))
        return offsets;
    qsizetype at = pdf.indexOf('\n', xrefAt) + 1;
    static const QRegularExpression subsection(QStringLiteral("^(\\d+)\\s+(\\d+)\\s*$"));
    while (at > 0 && at < pdf.size()) {
        const qsizetype end = pdf.indexOf('\n', at);
        if (end < 0)
            break;
        const auto header = subsection.match(QString::fromLatin1(pdf.mid(at, end - at)));
        if (!header.hasMatch())
            break; // the trailer
        const int first = header.captured(1).toInt();
        const int count = header.captured(2).toInt();
        at = end + 1;
        // Each entry is exactly 20 bytes: offset, generation, n or f.
        for (int i = 0; i < count && at + 20 <= pdf.size(); ++i, at += 20)
            if (pdf.at(at + 17) == 'n')
                offsets.insert(first + i, pdf.mid(at, 10).toLongLong());
    }
    return offsets;
}

// The dictionary of an object ("<< ... >>" without the brackets).
QByteArray objectDictionary(const QByteArray &pdf, const QHash<int, qint64> &offsets, int object)
{
    const auto found = offsets.constFind(object);
    if (found == offsets.cend() || *found <= 0 || *found >= pdf.size())
        return {};
    const qsizetype end = pdf.indexOf("endobj", *found);
    const qsizetype open = pdf.indexOf("<<", *found);
    const qsizetype close = pdf.lastIndexOf(">>", end);
    if (end < 0 || open < 0 || close < open || open > end)
        return {};
    return pdf.mid(open + 2, close - open - 2);
}

// The page objects in reading order, through the page tree from the root.
bool collectPages(const QByteArray &pdf, const QHash<int, qint64> &offsets, int node, QList<int> &pages, int depth)
{
    if (depth > 32)
        return false;
    const QString dict = QString::fromLatin1(objectDictionary(pdf, offsets, node));
    if (dict.isEmpty())
        return false;
    static const QRegularExpression pagesType(QStringLiteral("/Type\\s*/Pages\\b"));
    if (!pagesType.match(dict).hasMatch()) {
        pages.append(node);
        return true;
    }
    static const QRegularExpression kids(QStringLiteral("/Kids\\s*\\[([^\\]]*)\\]"));
    static const QRegularExpression reference(QStringLiteral("(\\d+)\\s+0\\s+R"));
    const auto list = kids.match(dict);
    if (!list.hasMatch())
        return false;
    for (auto it = reference.globalMatch(list.captured(1)); it.hasNext();)
        if (!collectPages(pdf, offsets, it.next().captured(1).toInt(), pages, depth + 1))
            return false;
    return true;
}

QByteArray xrefEntry(qint64 offset)
{
    return QByteArray::number(offset).rightJustified(10, '0') + " 00000 n\r\n";
}

} // namespace

QByteArray appendPdfInfo(const QByteArray &pdf, const PdfInfo &info)
{
    return appendPdfInfo(pdf, info, {});
}

QByteArray appendPdfInfo(const QByteArray &pdf, const PdfInfo &info, const QList<PdfBookmark> &bookmarks)
{
    const Trailer trailer = lastTrailer(pdf);
    if (trailer.size <= 0 || trailer.xref < 0 || trailer.xref >= pdf.size())
        return {};

    // With bookmarks: the catalogue and the page objects they point at.
    int catalogue = 0;
    QByteArray catalogueEntries;
    QList<int> pages;
    if (!bookmarks.isEmpty()) {
        const QHash<int, qint64> offsets = objectOffsets(pdf, trailer.xref);
        catalogue = trailer.root.split(' ').value(0).toInt();
        catalogueEntries = objectDictionary(pdf, offsets, catalogue);
        static const QRegularExpression pagesRoot(QStringLiteral("/Pages\\s+(\\d+)\\s+0\\s+R"));
        const auto root = pagesRoot.match(QString::fromLatin1(catalogueEntries));
        if (catalogueEntries.isEmpty() || !root.hasMatch() ||
            !collectPages(pdf, offsets, root.captured(1).toInt(), pages, 0))
            return {};
        for (const PdfBookmark &b : bookmarks)
            if (b.page < 0 || b.page >= pages.size())
                return {};
    }

    QByteArray out = pdf;
    if (!out.endsWith('\n'))
        out += '\n';
    const int object = trailer.size;
    QList<qint64> newObjects; // where objects object, object + 1, ... start
    newObjects.append(out.size());
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

    qint64 catalogueAt = -1;
    if (!bookmarks.isEmpty()) {
        // The outline: its root, then one item per bookmark, linked both ways.
        const int outline = object + 1;
        const int firstItem = object + 2;
        const int lastItem = firstItem + int(bookmarks.size()) - 1;
        const auto ref = [](int n) { return QByteArray::number(n) + " 0 R"; };
        newObjects.append(out.size());
        out += QByteArray::number(outline) + " 0 obj\n<<\n/Type /Outlines\n/First " + ref(firstItem) + "\n/Last " +
               ref(lastItem) + "\n/Count " + QByteArray::number(bookmarks.size()) + "\n>>\nendobj\n";
        for (qsizetype i = 0; i < bookmarks.size(); ++i) {
            const int item = firstItem + int(i);
            newObjects.append(out.size());
            out += QByteArray::number(item) + " 0 obj\n<<\n/Title " + pdfText(bookmarks[i].title) + "\n/Parent " +
                   ref(outline) + '\n';
            if (item > firstItem)
                out += "/Prev " + ref(item - 1) + '\n';
            if (item < lastItem)
                out += "/Next " + ref(item + 1) + '\n';
            out += "/Dest [" + ref(pages[bookmarks[i].page]) + " /Fit]\n>>\nendobj\n";
        }
        // A new version of the catalogue, naming the outline.
        catalogueAt = out.size();
        out += QByteArray::number(catalogue) + " 0 obj\n<<" + catalogueEntries + "\n/Outlines " + ref(outline) +
               "\n/PageMode /UseOutlines\n>>\nendobj\n";
    }

    // Each cross-reference entry is exactly 20 bytes, its end of line
    // included.
    const qsizetype xrefAt = out.size();
    out += "xref\n";
    if (catalogueAt >= 0)
        out += QByteArray::number(catalogue) + " 1\n" + xrefEntry(catalogueAt);
    out += QByteArray::number(object) + ' ' + QByteArray::number(newObjects.size()) + '\n';
    for (qint64 at : newObjects)
        out += xrefEntry(at);
    out += "trailer\n<<\n/Size " + QByteArray::number(object + newObjects.size()) + "\n/Root " + trailer.root +
           "\n/Info " + QByteArray::number(object) + " 0 R\n/Prev " + QByteArray::number(trailer.xref) + "\n>>\n";
    out += "startxref\n" + QByteArray::number(xrefAt) + "\n%%EOF\n";
    return out;
}

} // namespace reportengine
