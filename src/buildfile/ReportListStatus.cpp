// Filling the window and the "Last Updated" column from the report log.
#include "buildfile/frmNewDOHBuildFile.h"

#include "adodb/Recordset.h"
#include "catalogue/ReportCatalogue.h"
#include "catalogue/ReportingPeriods.h"
#include "com/Runtime.h"
#include "startup/modSysConstants.h"

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
    for (const catalogue::ReportItem &item : catalogue::ReportCatalogue()) {
        if (!modSysConstants::IsReportItemListed(item.title))
            continue;
        auto *row = new QTreeWidgetItem(lvwReport);
        row->setText(kNameColumn, item.title);
        row->setText(kMarkColumn, QStringLiteral("0"));
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(kNameColumn, Qt::Unchecked);
    }
    --m_rowUpdates;
}

bool frmNewDOHBuildFile::HasReportSetup()
{
    adodb::Recordset rs;
    rs.Open(QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportSetup"), m_connection, adodb::adUseClient,
            adodb::adOpenForwardOnly, adodb::adLockReadOnly);
    const bool found = !rs.Eof();
    rs.Close();
    return found;
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

    adodb::Recordset rs;
    rs.Open(QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportLog '") + firstDate + QStringLiteral("','")
                + lastDate + QStringLiteral("'"),
            m_connection, adodb::adUseClient, adodb::adOpenForwardOnly, adodb::adLockReadOnly);
    ++m_rowUpdates;
    const long records = rs.RecordCount();
    for (long r = 0; r < records; ++r) {
        const QString reportId = rs.Fields(QStringLiteral("ReportID")).Value().toText();
        // Every row is compared: one "II." record stands for all "II." sections.
        for (int i = 0; i < lvwReport->topLevelItemCount(); ++i) {
            QTreeWidgetItem *row = lvwReport->topLevelItem(i);
            if (GetReportID(row->text(kNameColumn)) == reportId)
                row->setText(kLastUpdatedColumn,
                             com::Format(rs.Fields(QStringLiteral("LastUpdatedDate")).Value().toDateTime(),
                                         QStringLiteral("mmmm dd, yyyy | hh:mm:ss")));
        }
        rs.MoveNext();
    }
    --m_rowUpdates;
    rs.Close();

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
