#include "Exporter.h"

#include "RtfExporter.h"
#include "XlsExporter.h"

#include "com/ComError.h"

#include <QDir>
#include <QSaveFile>

#include <functional>

namespace reportexport {

namespace {
constexpr long kPathFileAccessError = 75; // the runtime's "Path/File access error"
}

std::unique_ptr<Exporter> exporterForFormat(int formatType)
{
    switch (formatType) {
    case kFormatExcel8:
        return std::make_unique<XlsExporter>();
    case kFormatRichText:
        return std::make_unique<RtfExporter>();
    default:
        return nullptr;
    }
}

namespace {

void writeThroughSaveFile(const QString &path, const std::function<void(QIODevice &)> &write)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (path.isEmpty())
        throw com::ComError(kPathFileAccessError, QStringLiteral("No file name was given for the export."));

    // QSaveFile writes beside the target and renames only on commit; an
    // exception or a failed commit discards the temporary file, so neither a
    // half-written file nor a stray one is left behind.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw com::ComError(kPathFileAccessError,
                            QStringLiteral("The file %1 could not be written: %2").arg(shown, file.errorString()));
    try {
        write(file);
    } catch (const com::ComError &e) {
        file.cancelWriting();
        throw com::ComError(
            e.number(), QStringLiteral("The file %1 could not be written: %2").arg(shown, e.description()), e.source());
    }
    if (!file.commit())
        throw com::ComError(kPathFileAccessError,
                            QStringLiteral("The file %1 could not be written: %2").arg(shown, file.errorString()));
}

} // namespace

void exportToFile(const ExportDocument &document, int formatType, const QString &path)
{
    const std::unique_ptr<Exporter> exporter = exporterForFormat(formatType);
    if (!exporter)
        throw com::ComError(com::errors::InvalidProcedureCall,
                            QStringLiteral("The export format %1 is not offered.").arg(formatType));
    writeThroughSaveFile(path, [&](QIODevice &device) { exporter->write(document, device); });
}

void exportWorkbookToFile(const QList<ExportDocument> &documents, const QString &path)
{
    writeThroughSaveFile(path, [&](QIODevice &device) {
        const QByteArray bytes = XlsExporter::workbook(documents);
        if (device.write(bytes) != bytes.size())
            throw com::ComError(kPathFileAccessError,
                                QStringLiteral("The workbook could not be written: %1").arg(device.errorString()));
    });
}

} // namespace reportexport
