#pragma once

#include "Exporter.h"

#include <QByteArray>

namespace reportexport {

// Rich Text Format document (format 4): the report's page, its header lines
// as paragraphs and each table as table rows, the header rows repeated at
// the top of every page.
class RtfExporter : public Exporter
{
public:
    QString shortName() const override { return QStringLiteral("rtf"); }
    QString nameFilter() const override { return QStringLiteral("Rich Text Format (*.rtf)"); }
    void write(const ExportDocument &document, QIODevice &device) const override;

    // The whole document in memory.
    static QByteArray document(const ExportDocument &document);
};

// A text as RTF: \ { } escaped, tabs and line breaks as \tab and \line,
// everything beyond ASCII as \uN with its code page 1252 fallback
// (\'hh, \'3f = "?" when there is none); surrogate pairs as two \uN.
QByteArray rtfText(const QString &text);
void appendRtfText(QByteArray &out, const QString &text);

} // namespace reportexport
