// Generation: for every checked row, the report-log entry and the section's
// upload procedure for the chosen period's dates, kept together or not at all.
#include "buildfile/frmNewDOHBuildFile.h"

#include "buildfile/Sections.h"
#include "catalogue/ReportCatalogue.h"
#include "com/ComError.h"
#include "forms/ErrorTrap.h"
#include "forms/MousePointer.h"
#include "forms/MsgBox.h"

#include <QCheckBox>
#include <QComboBox>
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
        message +=
            QStringLiteral("\r\nThe report log was not updated for:\r\n") + failedLogs.join(QStringLiteral("\r\n"));
    return message;
}

namespace {

// The window's way of running a section's steps: each a numbered step of
// GenerateMonthlyData, with the progress shown between them.
class WindowSectionSteps : public buildfile::SectionSteps
{
public:
    WindowSectionSteps(forms::NumberedSteps &steps, QLabel *label, QProgressBar *bar)
        : m_steps(steps)
        , m_label(label)
        , m_bar(bar)
    {}
    bool run(int line, const std::function<void()> &body) override
    {
        const qsizetype before = m_steps.failedLines().size();
        m_steps.step(line, body);
        return m_steps.failedLines().size() == before;
    }
    void uploadStarting(const QString &title) override
    {
        m_label->setText(QStringLiteral("Processing ") + title + QStringLiteral("..."));
        m_label->repaint();
    }
    void procedureChosen(const QString &) override { m_bar->setValue(m_bar->maximum()); }

private:
    forms::NumberedSteps &m_steps;
    QLabel *m_label;
    QProgressBar *m_bar;
};

} // namespace

void frmNewDOHBuildFile::GenerateMonthlyData()
{
    forms::NumberedSteps steps(QStringLiteral("frmNewDOHBuildFile"), QStringLiteral("GenerateMonthlyData"));
    WindowSectionSteps sectionSteps(steps, lblProgress, pbMain);
    int rowCount = 0;
    int checkedCount = 0;
    bool saved = false;
    bool refused = false; // the period or the missing setup stops the run
    // Every section that did not complete is named at the end: nothing of it
    // was kept, its log entry included.
    QStringList failedUploads;
    QStringList failedLogs;

    steps.step(100, [&] { forms::SetMousePointer(this, forms::MousePointer::Hourglass); });
    steps.step(102, [&] { chkAll->setEnabled(false); });
    steps.step(104, [&] { rowCount = lvwReport->topLevelItemCount(); });
    // Only a section with an upload needs the report setup: "I. Hospital
    // General Information" alone is generated without one.
    bool uploadChecked = false;
    steps.step(106, [&] {
        for (int i = 0; i < rowCount; ++i)
            if (IsChecked(lvwReport, i)) {
                ++checkedCount;
                if (const catalogue::ReportItem *item =
                        catalogue::FindReportItem(lvwReport->topLevelItem(i)->text(kNameColumn)))
                    uploadChecked = uploadChecked || !item->uploadProcedure.isEmpty();
            }
    });
    // The uploads need the report setup: without one the user is sent to
    // the setup dialog once, and nothing is generated unless it was saved.
    auto setupExistsOrIsSaved = [&] {
        if (buildfile::ReportSetupExists(*m_connection))
            return true;
        forms::SetMousePointer(this, forms::MousePointer::Default);
        forms::MsgBox(QStringLiteral("The DOH report setup must be saved before generating."), forms::vbInformation,
                      QStringLiteral("Notification"));
        cmdSetup_Click();
        if (!buildfile::ReportSetupExists(*m_connection))
            return false;
        forms::SetMousePointer(this, forms::MousePointer::Hourglass);
        return true;
    };
    // A period that has not begun is not generated; one that has not ended is
    // generated, once the user has been told that it counts up to today.
    auto periodMayBeGenerated = [&] {
        QString first, last;
        try {
            first = GetPeriodStartDate();
            last = GetPeriodEndDate();
        } catch (const com::ComError &) {
            return true; // each section's own steps report a period without dates
        }
        const QDate today = Today();
        const buildfile::PeriodProgress progress = buildfile::ProgressOn(first, last, today);
        if (progress == buildfile::PeriodProgress::Ended)
            return true;
        const QString period = buildfile::PeriodName(cboYear->currentText(), cboMonth->currentIndex());
        forms::SetMousePointer(this, forms::MousePointer::Default);
        if (progress == buildfile::PeriodProgress::NotBegun) {
            forms::MsgBox(buildfile::NotBegunMessage(period, first), forms::vbExclamation,
                          QStringLiteral("Notification"));
            return false;
        }
        const bool confirmed =
            forms::MsgBox(buildfile::InProgressMessage(period, today), forms::vbOKCancel + forms::vbInformation,
                          QStringLiteral("Notification")) == forms::vbOK;
        forms::SetMousePointer(this, forms::MousePointer::Hourglass);
        return confirmed;
    };
    if (steps.test(114, [&] { return checkedCount > 0; })) {
        refused = !steps.test(114, periodMayBeGenerated) || (uploadChecked && !steps.test(114, setupExistsOrIsSaved));
        if (!refused) {
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
    }

    for (int i = 0; i < rowCount && !refused; ++i) {
        if (!steps.test(132, [&] { return IsChecked(lvwReport, i); }))
            continue;
        buildfile::SectionPeriod section;
        section.title = lvwReport->topLevelItem(i)->text(kNameColumn);
        const bool prepared = sectionSteps.run(134, [&] {
            pbMain->setValue(1);
            section.firstDate = GetPeriodStartDate();
            section.lastDate = GetPeriodEndDate();
        });
        steps.step(142, [&] { saved = true; });
        bool figuresLost = false;
        if (!buildfile::GenerateSection(*m_connection, section, sectionSteps, prepared, &figuresLost))
            (figuresLost ? failedUploads : failedLogs).append(section.title);
    }

    steps.step(278, [&] {
        pbMain->setVisible(false);
        lblProgress->setVisible(false);
        forms::SetMousePointer(this, forms::MousePointer::Default);
    });
    if (steps.test(284, [&] { return saved; })) {
        steps.step(286, [&] { RefreshLastUpdated(); });
        steps.step(288, [&] {
            if (!failedUploads.isEmpty() || !failedLogs.isEmpty())
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
