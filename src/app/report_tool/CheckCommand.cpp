#include "Commands.h"

#include "Arguments.h"
#include "Console.h"

#include "checks/Check.h"
#include "startup/modSysConstants.h"

namespace reporttool {

// One line per finding, the rules that could not be applied, then the
// findings counted by rule. Exit 0 when nothing was found, 1 when something was.
int check(adodb::Connection &connection, const Arguments &args)
{
    const Period period = periodOf(args.year, args.period);
    const checks::CheckResult result =
        checks::RunCheck(connection, {period.firstDate, period.lastDate, modSysConstants::pstrHospitalName});
    out() << "Check of " << period.name << " (" << period.firstDate << " to " << period.lastDate << ")" << Qt::endl;
    for (const checks::Finding &finding : result.findings)
        out() << checks::FindingLine(finding) << Qt::endl;
    for (const QString &note : result.notes)
        out() << "Note: " << note << Qt::endl;
    if (result.findings.isEmpty()) {
        out() << "No findings." << Qt::endl;
        return kSucceeded;
    }
    out() << "Findings by rule:" << Qt::endl;
    for (const auto &[rule, count] : result.countsByRule())
        out() << "  " << rule << '\t' << count << Qt::endl;
    out() << result.findings.size() << " finding(s)." << Qt::endl;
    return kWorkFailed;
}

} // namespace reporttool
