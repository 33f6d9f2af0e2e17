#pragma once

#include "com/Variant.h"

#include <QList>
#include <QString>

#include <memory>

namespace reportengine {
class Report;
}

// The one place the program talks to the report engine: opens a report file
// as the current report, opens its header subreport, and shows the viewer
// window on it. Every table is pointed at Patient_Data and logged on with the
// session's server, user and password; the callers' values go to the
// parameter fields by position.
namespace modCrystal {

// The current report: set by OpenReportFile, released by the viewer window.
extern std::shared_ptr<reportengine::Report> pobjReport;

// Opens the report file at path (a fresh copy) and makes it the current
// report; the hospital name goes to its Author summary property.
void OpenReportFile(const QString &path, const QList<com::Variant> &values);
// Opens the named subreport of the current report and binds it likewise.
void OpenSubReport(const QString &name, const QList<com::Variant> &values);
// Creates a viewer window on the current report and shows it.
void ShowReportViewer(bool showGroupTree, const QString &caption, bool directPrint, bool modal);

} // namespace modCrystal
