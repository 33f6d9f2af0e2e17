#include "CheckBeforeExport.h"

#include "catalogue/ReportCatalogue.h"
#include "checks/Check.h"
#include "forms/MsgBox.h"
#include "reportengine/ReportEngine.h"
#include "startup/modSysConstants.h"

namespace reporting {

namespace {

// The report's period: its FromDate and ToDate, or the whole of its Year.
bool PeriodOf(reportengine::Report &report, QString &first, QString &last)
{
    const QString format = QStringLiteral("MM/dd/yyyy");
    for (reportengine::ParameterFieldDefinition &field : report.ParameterFields()) {
        const com::Variant value = field.effectiveValue();
        if (field.Name().compare(QLatin1String("FromDate"), Qt::CaseInsensitive) == 0)
            first = value.toDateTime().date().toString(format);
        else if (field.Name().compare(QLatin1String("ToDate"), Qt::CaseInsensitive) == 0)
            last = value.toDateTime().date().toString(format);
        else if (field.Name().compare(QLatin1String("Year"), Qt::CaseInsensitive) == 0)
            first = QStringLiteral("01/01/") + value.toText(), last = QStringLiteral("12/31/") + value.toText();
    }
    return !first.isEmpty() && !last.isEmpty();
}

} // namespace

void SayFindingsBeforeExport(reportengine::Report &report)
{
    const QString title = report.ReportTitle();
    const auto &user = modSysConstants::pobjCurrentUser;
    if (!catalogue::FindReportItem(title) || !user)
        return;
    int findings = 0;
    try {
        QString first, last;
        const adodb::ConnectionPtr connection = user->sqlconnection();
        if (!connection || !PeriodOf(report, first, last))
            return;
        findings = checks::RunCheck(*connection, {first, last, modSysConstants::pstrHospitalName}).concerning(title);
    } catch (const std::exception &) {
        return; // the export is what the user asked for
    }
    if (findings > 0)
        forms::MsgBox(QStringLiteral("Check finds %1 finding(s) concerning %2 for this period. The export goes on; "
                                     "Check in the reports window lists them.")
                          .arg(findings)
                          .arg(title),
                      forms::vbExclamation + forms::vbOKOnly, QStringLiteral("Notification"));
}

} // namespace reporting
