#pragma once

#include "adodb/Connection.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace catalogue {
struct ReportFile;
struct ReportItem;
} // namespace catalogue

// What the build-file window does with one report section, as functions that
// the window and the velmora-report command both call: the sections listed,
// their last-generated times for a period, generating one section, opening
// one section's report.
namespace buildfile {

// One section for a period: the item's title and the period's first and last
// date as the statements carry them ("mm/dd/yyyy").
struct SectionPeriod
{
    QString title;
    QString firstDate;
    QString lastDate;
};

// The catalogue items the window lists, in list order.
QList<const catalogue::ReportItem *> ListedSections();

// Whether a DOH report setup exists.
bool ReportSetupExists(adodb::Connection &connection);

// The report log of a period: each report ID's last-generated time as the
// "Last Updated" column shows it ("March 05, 2026 | 14:02:11").
QHash<QString, QString> LastUpdatedTimes(adodb::Connection &connection, const QString &firstDate,
                                         const QString &lastDate);

// How the steps of one section are run. The window runs each as its numbered
// step, which reports a failure in its own box and shows the progress between
// them; the command line keeps the failure's description.
class SectionSteps
{
public:
    virtual ~SectionSteps() = default;
    // Runs body as step `line`; false when it failed (and was reported).
    virtual bool run(int line, const std::function<void()> &body) = 0;
    // Step 146: the log entry was sent; the section's upload comes next.
    virtual void uploadStarting(const QString &title) {}
    // Step 150: the section's upload procedure was chosen.
    virtual void procedureChosen(const QString &procedure) {}
};

// Runs each step as it comes and keeps the descriptions of the failures,
// once each: how the command line and the demo hospital's tests run a
// section, with no window to report in.
class KeptFailures : public SectionSteps
{
public:
    bool run(int line, const std::function<void()> &body) override;
    QStringList failures;
};

// Generates one section: its report-log entry, then its upload procedure
// (none for "I. Hospital General Information"), both inside one transaction
// of the connection that is committed only when every step of the section
// succeeded. A section that fails anywhere, or whose steps before this call
// failed (prepared false), keeps its report log and tables as they were.
// The failures of the steps inside the transaction reach steps.run only once
// it has ended, so that no report waits for the user with the lock held.
// Once a step has failed the upload is not sent, as it could not be kept.
// Answers whether the section was generated; figuresLost tells whether the
// failure was the section's own figures (its transaction's start, its
// upload or its commit) rather than a step before its upload.
bool GenerateSection(adodb::Connection &connection, const SectionPeriod &section, SectionSteps &steps,
                     bool prepared = true, bool *figuresLost = nullptr);

// Opens a section's report for a period as the current report
// (modCrystal::pobjReport), with the values and the header the window's
// preview gives it: the year alone, the hospital and the dates, or the dates
// and the hospital header subreport.
void OpenSectionReport(const catalogue::ReportFile &entry, const QString &year, const QString &firstDate,
                       const QString &lastDate);

} // namespace buildfile
