#pragma once

#include <QByteArray>
#include <QString>

namespace reportexport {

// The container of an Excel 97-2003 workbook: a version 3 compound file
// (512-byte sectors) holding one stream under the root storage. The stream
// must be at least 4096 bytes long so that it lives in regular sectors and
// no mini stream is needed; callers pad shorter streams.
constexpr qsizetype kCompoundMinStreamSize = 4096;

QByteArray compoundFileWithStream(const QString &streamName, const QByteArray &stream);

} // namespace reportexport
