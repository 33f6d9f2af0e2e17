#pragma once

#include "checks/Rules.h"

#include <QString>

namespace adodb {
class Connection;
}

namespace buildfile {

// The Check report's file, beside the other report files.
inline const QString kCheckReportFile = QStringLiteral("rptVelmoraCheck.rpt");

// Runs Check for the period ("mm/dd/yyyy") and opens its findings as the
// current report (modCrystal::pobjReport), with the dates and the hospital
// header as every section's report has them. Answers what Check found.
checks::CheckResult OpenCheckReport(adodb::Connection &connection, const QString &firstDate, const QString &lastDate);

} // namespace buildfile
