#pragma once

namespace reportengine {
class Report;
}

namespace reporting {

// Before a section's report is exported: when Check finds something that
// concerns the section for the report's period, says how many findings in a
// "Notification" box; the export goes on whatever it finds. Nothing is said
// for a report that is no section, without a session connection, or when
// Check itself cannot run.
void SayFindingsBeforeExport(reportengine::Report &report);

} // namespace reporting
