#include "ExportRecord.h"

#include "adodb/Connection.h"
#include "adodb/SqlText.h"
#include "com/ComError.h"
#include "com/Runtime.h"
#include "reportengine/ReportEngine.h"
#include "startup/modSysConstants.h"

namespace reporting {

namespace {

QString formatName(int formatType)
{
    switch (formatType) {
    case reportengine::crEFTExcel80:
        return QStringLiteral("xls");
    case reportengine::crEFTRichText:
        return QStringLiteral("rtf");
    default:
        return QStringLiteral("pdf");
    }
}

com::Variant valueOf(reportengine::Report &report, const QString &name)
{
    for (reportengine::ParameterFieldDefinition &field : report.ParameterFields())
        if (field.Name().compare(name, Qt::CaseInsensitive) == 0)
            return field.effectiveValue();
    return com::Variant();
}

// The report's period as the statements carry it: its first and last date,
// or the whole of the year a yearly report is for.
std::pair<QString, QString> periodOf(reportengine::Report &report)
{
    const com::Variant from = valueOf(report, QStringLiteral("FromDate"));
    const com::Variant to = valueOf(report, QStringLiteral("ToDate"));
    const QString pattern = QStringLiteral("mm/dd/yyyy");
    if (!from.isNull() && !to.isNull())
        return {com::Format(from.toDateTime(), pattern), com::Format(to.toDateTime(), pattern)};
    const com::Variant year = valueOf(report, QStringLiteral("Year"));
    if (!year.isNull())
        return {QStringLiteral("01/01/") + year.toText(), QStringLiteral("12/31/") + year.toText()};
    return {};
}

} // namespace

bool IsMissingProcedure(const std::exception &failure)
{
    return com::describe(failure).contains(QLatin1String("Could not find stored procedure"), Qt::CaseInsensitive);
}

void RecordExport(reportengine::Report &report, int formatType, const QString &fileName)
{
    const auto [firstDate, lastDate] = periodOf(report);
    RecordExport(report.ReportTitle(), firstDate, lastDate, formatType, fileName);
}

void RecordExport(const QString &title, const QString &firstDate, const QString &lastDate, int formatType,
                  const QString &fileName)
{
    const auto &user = modSysConstants::pobjCurrentUser;
    const adodb::ConnectionPtr connection = user ? user->sqlconnection() : nullptr;
    if (!connection || firstDate.isEmpty())
        return;
    try {
        connection->Execute(QStringLiteral("Patient_Data..sp_Velmora_Save_Export ") + adodb::SqlText(title) +
                            QLatin1Char(',') + adodb::SqlText(firstDate) + QLatin1Char(',') + adodb::SqlText(lastDate) +
                            QLatin1Char(',') + adodb::SqlText(formatName(formatType)) + QLatin1Char(',') +
                            adodb::SqlText(fileName) + QLatin1Char(',') + adodb::SqlText(user->UserID()));
    } catch (const std::exception &e) {
        if (IsMissingProcedure(e))
            return;
        throw com::ComError(com::errors::ProviderError,
                            QStringLiteral("The report was written to %1, but the export could not be recorded: %2")
                                .arg(fileName, com::describe(e)),
                            QStringLiteral("prjVelmora"));
    }
}

} // namespace reporting
