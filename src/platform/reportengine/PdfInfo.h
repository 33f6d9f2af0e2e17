#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace reportengine {

// The document information a PDF reader shows as the file's properties.
struct PdfInfo
{
    QString title, author, subject, creator;
    QDateTime created;
};

// A bookmark of the reader's outline: its title and the page (0-based) it
// opens at.
struct PdfBookmark
{
    QString title;
    int page = 0;
};

// Appends an incremental update to a PDF that carries `info` as its
// document information dictionary: a new Info object, one cross-reference
// section for it and a trailer pointing back at the file's own. Qt's PDF
// writer offers a title but no author, so the report's summary properties
// reach the file this way. The bytes written before are left as they are.
// Returns an empty array when the file's last trailer cannot be read, so
// the caller keeps the file as it was written.
QByteArray appendPdfInfo(const QByteArray &pdf, const PdfInfo &info);

// The same update with an outline: one bookmark per entry, in order, and a
// new version of the catalogue that names the outline and opens the reader
// with it shown. Qt's writer writes no outline. Empty when the file's
// trailer, catalogue or page tree cannot be read, or a bookmark names a
// page the file does not have.
QByteArray appendPdfInfo(const QByteArray &pdf, const PdfInfo &info, const QList<PdfBookmark> &bookmarks);

} // namespace reportengine
