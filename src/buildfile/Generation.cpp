// Generation: for every checked row, the report-log entry and the section's
// upload procedure for the chosen period's dates.
#include "buildfile/frmNewDOHBuildFile.h"

#include "catalogue/ReportCatalogue.h"
#include "forms/ErrorTrap.h"
#include "forms/MousePointer.h"
#include "forms/MsgBox.h"
#include "startup/modSysConstants.h"

#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QTreeWidget>

namespace {

bool IsChecked(const QTreeWidget *list, int row)
{
    return list->topLevelItem(row)->checkState(frmNewDOHBuildFile::kNameColumn) == Qt::Checked;
}

} // namespace

QString frmNewDOHBuildFile::PartialSaveMessage(const QStringList &failedUploads, const QStringList &failedLogs)
{
    QString message = QStringLiteral("Summarized Monthly Data was not completely saved.");
    if (!failedUploads.isEmpty())
        message += QStringLiteral("\r\nThe upload failed for:\r\n") + failedUploads.join(QStringLiteral("\r\n"));
    if (!failedLogs.isEmpty())
        message += QStringLiteral("\r\nThe report log was not updated for:\r\n")
            + failedLogs.join(QStringLiteral("\r\n"));
    return message;
}

void frmNewDOHBuildFile::GenerateMonthlyData()
{
    forms::NumberedSteps steps(QStringLiteral("frmNewDOHBuildFile"), QStringLiteral("GenerateMonthlyData"));
    int rowCount = 0;
    int checkedCount = 0;
    QString procedureName;
    bool saved = false;
    // A section counts as failed when one of its own steps failed; a failed
    // refresh afterwards does not undo what was saved.
    QStringList failedUploads;
    QStringList failedLogs;
    bool sectionStepFailed = false;

    auto failedDuring = [&steps](int line, const std::function<void()> &body) {
        const qsizetype before = steps.failedLines().size();
        steps.step(line, body);
        return steps.failedLines().size() > before;
    };

    steps.step(100, [&] { forms::SetMousePointer(this, forms::MousePointer::Hourglass); });
    steps.step(102, [&] { chkAll->setEnabled(false); });
    steps.step(104, [&] { rowCount = lvwReport->topLevelItemCount(); });
    steps.step(106, [&] {
        for (int i = 0; i < rowCount; ++i)
            if (IsChecked(lvwReport, i))
                ++checkedCount;
    });
    if (steps.test(114, [&] { return checkedCount > 0; })) {
        steps.step(116, [&] {
            pbMain->setMaximum(checkedCount + 1);
            pbMain->setValue(1);
            pbMain->setVisible(true);
        });
        steps.step(124, [&] {
            lblProgress->setText(QString());
            lblProgress->repaint();
            lblProgress->setVisible(true);
        });
    }

    for (int i = 0; i < rowCount; ++i) {
        if (!steps.test(132, [&] { return IsChecked(lvwReport, i); }))
            continue;
        QString title;
        bool failedHere = false;
        failedHere |= failedDuring(134, [&] {
            procedureName.clear();
            pbMain->setValue(1);
            title = lvwReport->topLevelItem(i)->text(kNameColumn);
        });
        steps.step(142, [&] { saved = true; });
        const bool logFailed = failedDuring(144, [&] {
            m_connection->Execute(QStringLiteral("Patient_Data..sp_DOH_Update_tbMedNewDOHReportLog '")
                                  + GetReportID(title) + QStringLiteral("','") + GetPeriodStartDate()
                                  + QStringLiteral("','") + GetPeriodEndDate() + QStringLiteral("'"));
        });
        if (logFailed)
            failedLogs.append(title);
        failedHere |= logFailed;
        failedHere |= failedDuring(146, [&] {
            lblProgress->setText(QStringLiteral("Processing ") + title + QStringLiteral("..."));
            lblProgress->repaint();
        });
        const catalogue::ReportItem *item = nullptr;
        failedHere |= failedDuring(150, [&] {
            item = catalogue::FindReportItem(title);
            if (item && !item->uploadProcedure.isEmpty()) {
                procedureName = item->uploadProcedure;
                pbMain->setValue(pbMain->maximum());
            }
        });
        if (steps.test(266, [&] { return !procedureName.isEmpty(); }) && !procedureName.isEmpty()) {
            const QString dates = QStringLiteral(" '") + GetPeriodStartDate() + QStringLiteral("','")
                + GetPeriodEndDate() + QStringLiteral("'");
            const bool withOption = item && item->takesUploadOption;
            const bool uploadFailed = withOption
                ? failedDuring(270, [&] {
                      m_connection->Execute(QStringLiteral("Patient_Data..") + procedureName + dates
                                            + QLatin1Char(',') + QString::number(modSysConstants::plngUploadOption));
                  })
                : failedDuring(274,
                               [&] { m_connection->Execute(QStringLiteral("Patient_Data..") + procedureName + dates); });
            if (uploadFailed)
                failedUploads.append(title);
            failedHere |= uploadFailed;
        }
        sectionStepFailed |= failedHere;
    }

    steps.step(278, [&] {
        pbMain->setVisible(false);
        lblProgress->setVisible(false);
        forms::SetMousePointer(this, forms::MousePointer::Default);
    });
    if (steps.test(284, [&] { return saved; })) {
        steps.step(286, [&] { RefreshLastUpdated(); });
        steps.step(288, [&] {
            if (sectionStepFailed)
                forms::MsgBox(PartialSaveMessage(failedUploads, failedLogs), forms::vbExclamation,
                              QStringLiteral("Notification"));
            else
                forms::MsgBox(QStringLiteral("Summarized Monthly Data was saved."), forms::vbInformation,
                              QStringLiteral("Notification"));
        });
    }
    steps.step(290, [&] {
        chkAll->setVisible(true);
        chkAll->setEnabled(true);
    });
}
