// Marking rows of the report list: check boxes, clicks, "Select All", the
// hidden mark column kept in step, the orange paint of marked rows and the
// status-bar hint.
#include "buildfile/frmNewDOHBuildFile.h"

#include "buildfile/PictureBox.h"

#include <QCheckBox>
#include <QStatusBar>
#include <QTimer>
#include <QTreeWidget>

namespace {

const QColor kMarkedBackground(255, 128, 0);
const QColor kMarkedText(255, 255, 255);
const QColor kUnmarkedBackground(255, 255, 255);
const QColor kUnmarkedText(0, 0, 0);

} // namespace

QString frmNewDOHBuildFile::Mark(const QTreeWidgetItem *item)
{
    return item->text(kMarkColumn);
}

void frmNewDOHBuildFile::SetMark(QTreeWidgetItem *item, bool marked)
{
    ++m_rowUpdates;
    item->setText(kMarkColumn, marked ? QStringLiteral("1") : QStringLiteral("0"));
    --m_rowUpdates;
}

void frmNewDOHBuildFile::SetChecked(QTreeWidgetItem *item, bool checked)
{
    ++m_rowUpdates;
    item->setCheckState(kNameColumn, checked ? Qt::Checked : Qt::Unchecked);
    --m_rowUpdates;
}

void frmNewDOHBuildFile::PaintRow(QTreeWidgetItem *item, bool marked)
{
    ++m_rowUpdates;
    for (int column = 0; column < lvwReport->columnCount(); ++column) {
        item->setBackground(column, marked ? kMarkedBackground : kUnmarkedBackground);
        item->setForeground(column, marked ? kMarkedText : kUnmarkedText);
    }
    --m_rowUpdates;
}

void frmNewDOHBuildFile::RowColor()
{
    for (int i = 0; i < lvwReport->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = lvwReport->topLevelItem(i);
        PaintRow(row, Mark(row).toInt() == 1);
    }
    PicCancel[0]->setFocus(Qt::OtherFocusReason);
}

void frmNewDOHBuildFile::ResetRowsColor()
{
    for (int i = 0; i < lvwReport->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = lvwReport->topLevelItem(i);
        SetMark(row, false);
        SetChecked(row, false);
        PaintRow(row, false);
    }
}

void frmNewDOHBuildFile::chkAll_Click()
{
    if (m_suppressSelectAll)
        return;
    SetAllChecked(chkAll->isChecked());
    for (int i = 0; i < lvwReport->topLevelItemCount(); ++i) {
        QTreeWidgetItem *row = lvwReport->topLevelItem(i);
        SetMark(row, row->checkState(kNameColumn) == Qt::Checked);
    }
    RowColor();
}

void frmNewDOHBuildFile::OnItemChanged(QTreeWidgetItem *item, int column)
{
    // Text, colour and code-made check changes also arrive here; only a
    // check box the user toggled differs from its row's mark.
    if (m_rowUpdates > 0 || column != kNameColumn)
        return;
    const bool checked = item->checkState(kNameColumn) == Qt::Checked;
    if (checked == (Mark(item) == QStringLiteral("1")))
        return;
    m_checkToggledByUser = true;
    QTimer::singleShot(0, this, [this] { m_checkToggledByUser = false; });
    lvwReport_ItemCheck(item);
}

void frmNewDOHBuildFile::lvwReport_ItemCheck(QTreeWidgetItem *item)
{
    const bool checked = item->checkState(kNameColumn) == Qt::Checked;
    if (!checked) {
        m_suppressSelectAll = true;
        chkAll->setChecked(false);
        m_suppressSelectAll = false;
    }
    SetMark(item, checked);
    RowColor();
}

void frmNewDOHBuildFile::lvwReport_ItemClick(QTreeWidgetItem *item)
{
    if (m_checkToggledByUser) {
        m_checkToggledByUser = false;
        return;
    }
    // The highlight is drawn only while the list has the focus.
    lvwReport->setProperty("hideSelection", true);
    QTreeWidgetItem *highlighted = lvwReport->currentItem();
    if (highlighted && Mark(highlighted).toInt() == 0 && highlighted->isSelected()) {
        SetMark(highlighted, true);
        SetChecked(highlighted, true);
    }
    PicCancel[0]->setFocus(Qt::OtherFocusReason);
    if (item)
        SetMark(item, item->checkState(kNameColumn) == Qt::Checked);
    RowColor();
}

void frmNewDOHBuildFile::lvwReport_DblClick()
{
    QTreeWidgetItem *highlighted = lvwReport->currentItem();
    if (highlighted) {
        const bool mark = Mark(highlighted).toInt() == 0 && highlighted->isSelected();
        SetMark(highlighted, mark);
        SetChecked(highlighted, mark);
    }
    RowColor();
}

void frmNewDOHBuildFile::lvwReport_GotFocus()
{
    sbrMain->showMessage(QStringLiteral("Check a report item then click Generate to process data or highlight then "
                                        "click Print to load the report."));
    lvwReport->viewport()->update();
}

void frmNewDOHBuildFile::lvwReport_LostFocus()
{
    sbrMain->clearMessage();
    lvwReport->viewport()->update();
}
