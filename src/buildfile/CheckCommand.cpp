// The Check command: the chosen period's findings, shown as a report in the
// viewer, so that they print and export like any section.
#include "buildfile/CheckReport.h"
#include "buildfile/frmNewDOHBuildFile.h"

#include "catalogue/ReportFiles.h"
#include "checks/Check.h"
#include "forms/MousePointer.h"
#include "reportengine/ReportEngine.h"
#include "reporting/modCrystal.h"
#include "startup/modSysConstants.h"

namespace buildfile {

checks::CheckResult OpenCheckReport(adodb::Connection &connection, const QString &firstDate, const QString &lastDate)
{
    checks::CheckResult result = checks::RunCheck(connection, {firstDate, lastDate, modSysConstants::pstrHospitalName});
    modCrystal::OpenReportFile(catalogue::ReportFolder() + QLatin1Char('/') + kCheckReportFile, {firstDate, lastDate});
    modCrystal::OpenSubReport(catalogue::kReportHeaderName,
                              {modSysConstants::pstrHospitalName, modSysConstants::pstrHospitalAddress1,
                               modSysConstants::pstrHospitalAddress2});
    for (reportengine::DatabaseTable &table : modCrystal::pobjReport->Database().Tables())
        table.SetDataSource(table.Name() == u"n" ? checks::NoteRows(result) : checks::FindingRows(result));
    return result;
}

} // namespace buildfile

void frmNewDOHBuildFile::cmdCheck_Click()
{
    forms::SetMousePointer(this, forms::MousePointer::Hourglass);
    try {
        buildfile::OpenCheckReport(*m_connection, GetPeriodStartDate(), GetPeriodEndDate());
    } catch (...) {
        forms::SetMousePointer(this, forms::MousePointer::Default);
        throw;
    }
    forms::SetMousePointer(this, forms::MousePointer::Default);
    modCrystal::ShowReportViewer(false, QStringLiteral("Check"), false, true);
}
