#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace reportengine {

// The document information a PDF reader shows as the file's properties.
struct PdfInfo
{
    QString title, author, subject, creator;
    QDateTime created;
};

// Appends an incremental update to a PDF that carries `info` as its
// document information dictionary: a new Info object, one cross-reference
// section for it and a trailer pointing back at the file's own. Qt's PDF
// writer offers a title but no author, so the report's summary properties
// reach the file this way. The bytes written before are left as they are.
// Returns an empty array when the file's last trailer cannot be read, so
// the caller keeps the file as it was written.
QByteArray appendPdfInfo(const QByteArray &pdf, const PdfInfo &info);

} // namespace reportengine
