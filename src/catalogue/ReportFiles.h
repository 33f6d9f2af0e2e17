#pragma once

#include <QList>
#include <QString>

// Which report file shows a report item, which values its parameter fields
// take, and whether it carries the hospital header subreport. The one table
// that the build-file window's Print and the report parameters dialog read.
namespace catalogue {

// The values a report's parameter fields take, in order.
enum class ReportValues {
    Year,             // the year text
    Dates,            // first date, last date
    HospitalAndDates, // hospital name, address 1, address 2, first date, last date
};

struct ReportFile
{
    QString title; // the report item, compared exactly
    QString file;  // in the program's folder
    ReportValues values;
    bool header; // opens "OrvantReportHeader.rpt" with the hospital's name and address
};

inline const QString kReportHeaderName = QStringLiteral("OrvantReportHeader.rpt");

// The eighteen report items of the build-file window, top to bottom.
const QList<ReportFile> &ReportFiles();

// The first entry whose title is exactly this text, or nullptr.
const ReportFile *FindReportFile(const QString &title);

// The report items of the older report parameters dialog, in its list order:
// thirteen of the entries above and "II.6 Death", which only that dialog
// offers (the older deaths report, dates and the header).
const QList<const ReportFile *> &ReportParameterFiles();

// The dialog's entry whose title is exactly this text, or nullptr.
const ReportFile *FindReportParameterFile(const QString &title);

// The folder report files are read from: the running program's own, where
// the build and the installation put them. A test may point it elsewhere
// (an empty folder: the program's own again).
QString ReportFolder();
void SetReportFolder(const QString &folder);

} // namespace catalogue
