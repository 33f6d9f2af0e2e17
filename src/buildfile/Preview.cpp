// Report preview: the highlighted row's report, opened for the chosen period
// with its values and header and shown in the viewer window.
#include "buildfile/frmNewDOHBuildFile.h"

#include "catalogue/ReportFiles.h"
#include "catalogue/ReportingPeriods.h"
#include "com/ComError.h"
#include "com/Runtime.h"
#include "forms/ErrorTrap.h"
#include "forms/MousePointer.h"
#include "forms/MsgBox.h"
#include "reporting/modCrystal.h"
#include "startup/modSysConstants.h"

#include <QComboBox>
#include <QTreeWidget>

namespace {

const QString kNotification = QStringLiteral("Notification");
const QString kSummaryOfPatients = QStringLiteral("II. Hospital Operations. A.Summary of Patients in the Hospital");
constexpr long kFileNotFound = 53;

QList<com::Variant> HeaderValues()
{
    return {modSysConstants::pstrHospitalName, modSysConstants::pstrHospitalAddress1,
            modSysConstants::pstrHospitalAddress2};
}

} // namespace

void frmNewDOHBuildFile::cmdPrint_Click()
{
    QTreeWidgetItem *highlighted = lvwReport->currentItem();
    if (!highlighted || !highlighted->isSelected()) {
        forms::MsgBox(QStringLiteral("Highlight a report in the list, then click Print."), forms::vbExclamation,
                      kNotification);
        return;
    }
    PreviewReport(static_cast<qint16>(lvwReport->indexOfTopLevelItem(highlighted) + 1));
}

void frmNewDOHBuildFile::PreviewReport(qint16 index)
{
    // A position that names no row would read a row that is not there and
    // open some other report; nothing is opened instead.
    if (index < 1 || index > lvwReport->topLevelItemCount()) {
        forms::MsgBox(QStringLiteral("Highlight a report in the list, then click Print."), forms::vbExclamation,
                      kNotification);
        return;
    }
    QTreeWidgetItem *row = lvwReport->topLevelItem(index - 1);
    forms::NumberedSteps steps(QStringLiteral("frmNewDOHBuildFile"), QStringLiteral("PreviewReport"));
    QString firstDate;
    QString lastDate;
    QString fileName;
    const catalogue::ReportFile *entry = nullptr;
    bool opened = false;
    bool showGroupTree = true;

    if (steps.test(100, [&] { return row->text(kLastUpdatedColumn).isEmpty() && index > 1; })) {
        steps.step(102, [&] {
            forms::MsgBox(
                QStringLiteral("Generate data first for the specified year/month before a report can be generated."),
                forms::vbExclamation, kNotification);
        });
        return;
    }
    steps.step(104, [&] { forms::SetMousePointer(this, forms::MousePointer::Hourglass); });
    steps.step(106, [&] { showGroupTree = false; });

    const int position = cboMonth->currentIndex();
    const QString year = cboYear->currentText();
    if (steps.test(108, [&] { return position == 0; })) {
        steps.step(110, [&] { firstDate = QStringLiteral("01/01/") + year; });
        steps.step(112, [&] { lastDate = QStringLiteral("12/31/") + year; });
    } else if (steps.test(114, [&] { return position > 12; })) {
        steps.step(116, [&] { firstDate = GetPeriodStartDate(); });
        steps.step(118, [&] { lastDate = GetPeriodEndDate(); });
    } else {
        // A month's dates are the reporting periods' own, as generation sends them.
        steps.step(120, [&] { firstDate = catalogue::PeriodStartDate(year, position); });
        steps.step(122, [&] { lastDate = catalogue::PeriodEndDate(year, position); });
    }

    steps.step(124, [&] {
        entry = catalogue::FindReportFile(row->text(kNameColumn));
        if (!entry)
            throw com::ComError(kFileNotFound,
                                QStringLiteral("The report item '%1' has no report file.").arg(row->text(kNameColumn)),
                                QStringLiteral("prjVelmora"));
        fileName = catalogue::ReportFolder() + QLatin1Char('/') + entry->file;
    });

    // Three items open in their own way; every other one takes the dates and
    // the hospital header.
    if (entry && entry->values == catalogue::ReportValues::Year) {
        steps.step(128, [&] { modCrystal::OpenReportFile(fileName, {year}); });
        steps.step(130, [&] { opened = true; });
    } else if (entry && entry->values == catalogue::ReportValues::HospitalAndDates) {
        steps.step(140, [&] {
            QList<com::Variant> values = HeaderValues();
            values << firstDate << lastDate;
            modCrystal::OpenReportFile(fileName, values);
        });
        steps.step(142, [&] { opened = true; });
    } else if (entry && entry->title == kSummaryOfPatients) {
        steps.step(148, [&] { modCrystal::OpenReportFile(fileName, {firstDate, lastDate}); });
        steps.step(150, [&] { modCrystal::OpenSubReport(catalogue::kReportHeaderName, HeaderValues()); });
        steps.step(152, [&] { opened = true; });
    }
    if (steps.test(218, [&] { return !opened; })) {
        steps.step(220, [&] { modCrystal::OpenReportFile(fileName, {firstDate, lastDate}); });
        steps.step(222, [&] { modCrystal::OpenSubReport(catalogue::kReportHeaderName, HeaderValues()); });
    }
    steps.step(224, [&] { modCrystal::ShowReportViewer(showGroupTree, row->text(kNameColumn), false, true); });
    steps.step(226, [&] { forms::SetMousePointer(this, forms::MousePointer::Default); });
}
