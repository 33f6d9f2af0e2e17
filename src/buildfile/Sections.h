#pragma once

#include "adodb/Connection.h"

#include <QDate>
#include <QDateTime>
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

// What is known of one section's figures for a period.
struct SectionGeneration
{
    enum class Source {
        None,   // not generated for the period
        Record, // the program's own record of the section
        // Only the report log's entry for the section's report ID: a
        // generation that kept no record (an earlier version of the program,
        // or a database without the record) came last.
        Log,
    };
    Source source = Source::None;
    QDateTime generated;
    QString user;            // Record
    bool periodEnded = true; // Record: the period had ended when generated
    QDate countedTo;         // Record: the last day the figures count
    bool sharedLog = false;  // Log: the entry stands for several sections
    bool isGenerated() const { return source != Source::None; }
};

// Every catalogue section's generation for a period, by title. A section's
// own record holds unless the report log's entry for its report ID is later
// than every record of that ID for the period; then the log's entry is all
// that is known, for each section of the ID. A database without the record
// reads the log alone, as the list always did.
QHash<QString, SectionGeneration> SectionGenerations(adodb::Connection &connection, const QString &firstDate,
                                                     const QString &lastDate);
// The "Last Updated" text of a generation ("March 05, 2026 | 14:02:11"),
// empty when the section was not generated.
QString LastUpdatedText(const SectionGeneration &generation);

// A period as its messages name it ("December 2026", "First Quarter 2026").
QString PeriodName(const QString &year, int position);
// Where a period stands on the day it would be generated.
enum class PeriodProgress { Ended, InProgress, NotBegun };
PeriodProgress ProgressOn(const QString &firstDate, const QString &lastDate, const QDate &today);
// "December 2026 has not ended: its figures will count up to today, December 9, 2026."
QString InProgressMessage(const QString &periodName, const QDate &today);
// "January 2027 has not begun: nothing can be generated for it before January 1, 2027."
QString NotBegunMessage(const QString &periodName, const QString &firstDate);
// A date as the messages and reports write it: "December 9, 2026".
QString DateInWords(const QDate &date);

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
// (none for "I. Hospital General Information") and the program's own record
// of the section (title, period, signed-in user), all inside one
// transaction of the connection that is committed only when every step of
// the section succeeded. A section that fails anywhere, or whose steps before this call
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
