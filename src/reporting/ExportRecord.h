#pragma once

#include <QString>

#include <exception>

namespace reportengine {
class Report;
}

// The program's own history of exports (the viewer's and the command
// line's), kept beside the suite's databases in Patient_Data.
namespace reporting {

// Records a report just written to fileName in formatType (the engine's
// export format): its title and period, the format, the file and the
// signed-in user, with the store's time. A database that keeps no such
// history (a site's server without the program's procedures) records
// nothing; any other failure is raised with a description that says the
// file was written.
void RecordExport(reportengine::Report &report, int formatType, const QString &fileName);
// The same for a section and period named by the caller (one section of a
// document that holds several).
void RecordExport(const QString &title, const QString &firstDate, const QString &lastDate, int formatType,
                  const QString &fileName);

// Whether a failure is the database's "Could not find stored procedure":
// how a site's server without the program's own procedures answers.
bool IsMissingProcedure(const std::exception &failure);

} // namespace reporting
