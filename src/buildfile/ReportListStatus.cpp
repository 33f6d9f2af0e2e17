// Filling the window and the "Last Updated" column from the report log.
#include "buildfile/frmNewDOHBuildFile.h"

#include "buildfile/Sections.h"
#include "catalogue/ReportCatalogue.h"
#include "catalogue/ReportingPeriods.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTreeWidget>

void frmNewDOHBuildFile::PrepareForm()
{
    if (!HasReportSetup())
        cmdSetup_Click();

    m_loading = true;
    FillYearChoices();
    FillPeriodChoices();
    AddListedRows();
    RefreshLastUpdated();
    m_loading = false;
}

void frmNewDOHBuildFile::FillYearChoices()
{
    cboYear->clear();
    cboYear->addItems(catalogue::YearChoices(Today().year()));
    cboYear->setCurrentIndex(0);
}

void frmNewDOHBuildFile::FillPeriodChoices()
{
    cboMonth->clear();
    cboMonth->addItems(catalogue::PeriodChoices());
    cboMonth->setCurrentIndex(Today().month());
}

void frmNewDOHBuildFile::AddListedRows()
{
    ++m_rowUpdates;
    lvwReport->clear();
    for (const catalogue::ReportItem *item : buildfile::ListedSections()) {
        auto *row = new QTreeWidgetItem(lvwReport);
        row->setText(kNameColumn, item->title);
        row->setText(kMarkColumn, QStringLiteral("0"));
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(kNameColumn, Qt::Unchecked);
    }
    --m_rowUpdates;
}

bool frmNewDOHBuildFile::HasReportSetup()
{
    return buildfile::ReportSetupExists(*m_connection);
}

void frmNewDOHBuildFile::ClearReportMarks()
{
    ++m_rowUpdates;
    for (int i = 0; i < lvwReport->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = lvwReport->topLevelItem(i);
        row->setCheckState(kNameColumn, Qt::Unchecked);
        row->setText(kLastUpdatedColumn, QString());
    }
    --m_rowUpdates;
}

void frmNewDOHBuildFile::SetAllChecked(bool value)
{
    ++m_rowUpdates;
    for (int i = 0; i < lvwReport->topLevelItemCount(); ++i)
        lvwReport->topLevelItem(i)->setCheckState(kNameColumn, value ? Qt::Checked : Qt::Unchecked);
    --m_rowUpdates;
}

void frmNewDOHBuildFile::RefreshLastUpdated()
{
    ClearReportMarks();
    const QString firstDate = GetPeriodStartDate();
    const QString lastDate = GetPeriodEndDate();

    // Each section by its own record: the report log's one "II." entry stands
    // for all "II." sections only where no record says which one it was.
    const QHash<QString, buildfile::SectionGeneration> generations =
        buildfile::SectionGenerations(*m_connection, firstDate, lastDate);
    ++m_rowUpdates;
    for (int i = 0; i < lvwReport->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = lvwReport->topLevelItem(i);
        row->setText(kLastUpdatedColumn, buildfile::LastUpdatedText(generations.value(row->text(kNameColumn))));
    }
    --m_rowUpdates;

    ResetRowsColor();
    chkAll->setChecked(false);
    m_suppressSelectAll = false;
}

QString frmNewDOHBuildFile::GetReportID(const QString &title) const
{
    return catalogue::GetReportID(title);
}

QString frmNewDOHBuildFile::GetPeriodStartDate() const
{
    return catalogue::PeriodStartDate(cboYear->currentText(), cboMonth->currentIndex());
}

QString frmNewDOHBuildFile::GetPeriodEndDate() const
{
    return catalogue::PeriodEndDate(cboYear->currentText(), cboMonth->currentIndex());
}

void frmNewDOHBuildFile::cboYear_Click()
{
    if (!m_loading)
        RefreshLastUpdated();
}

void frmNewDOHBuildFile::cboMonth_Click()
{
    if (!m_loading)
        RefreshLastUpdated();
}
