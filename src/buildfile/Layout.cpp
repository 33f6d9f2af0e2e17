// The build-file window's layout: whenever the window is resized the controls
// keep their sizes and move in proportion to the client area, the header band,
// list and status bar take the full width, the command strip hangs from the
// "Setup" link and the list's columns are rebuilt for its new width.
#include "buildfile/frmNewDOHBuildFile.h"

#include "buildfile/PictureBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QResizeEvent>
#include <QStatusBar>
#include <QTreeWidget>

#include <cmath>
#include <optional>

namespace {

// A place scaled from the stored client size to the current one; none when
// there is no stored size to scale from, and the control then stays.
std::optional<int> Scaled(int place, int from, int to)
{
    if (from == 0)
        return std::nullopt;
    return int(std::lround(double(place) / double(from) * double(to)));
}

void SetLeft(QWidget *control, double left)
{
    control->move(int(std::lround(left)), control->y());
}

void SetWidth(QWidget *control, int width)
{
    control->resize(width, control->height());
}

} // namespace

void frmNewDOHBuildFile::ResizeControls()
{
    const int scaleWidth = width();
    const int scaleHeight = height();

    // The first call, at load, records the design size; so does every call
    // after the client area had no width.
    if (m_scaleWidth == 0) {
        m_scaleWidth = scaleWidth;
        m_scaleHeight = scaleHeight;
        return;
    }

    // Every control moves in proportion; the scaling is cumulative, from the
    // size of the previous call.
    for (QWidget *control : std::as_const(m_layoutControls))
        control->move(Scaled(control->x(), m_scaleWidth, scaleWidth).value_or(control->x()),
                      Scaled(control->y(), m_scaleHeight, scaleHeight).value_or(control->y()));
    m_scaleWidth = scaleWidth;
    m_scaleHeight = scaleHeight;

    // The band and the status bar run to the window's outer edge. The list
    // keeps as much room on the right as on the left, so its border and scroll
    // bar stay in view.
    const int outerWidth = frameGeometry().width();
    SetWidth(FraHead, outerWidth);
    SetWidth(lvwReport, scaleWidth - 2 * lvwReport->x());
    SetWidth(sbrMain, outerWidth);

    // The header links and the command strip hang from the "Setup" link, each
    // directly left of its neighbour.
    for (QLabel *info : {lblInfo[1], lblInfo[0]})
        SetLeft(info, lblSetup[1]->x() - lblSetup[1]->width());
    for (QLabel *check : {lblCheck[1], lblCheck[0]})
        SetLeft(check, lblInfo[1]->x() - lblCheck[1]->width() - lblSetup[1]->width() / 3);
    for (PictureBox *cancel : {PicCancel[1], PicCancel[0]})
        SetLeft(cancel, lblSetup[1]->x() - 2 * lblSetup[1]->width());
    for (PictureBox *generate : {PicGenerate[1], PicGenerate[0]})
        SetLeft(generate, PicCancel[1]->x() - PicCancel[1]->width());
    for (PictureBox *print : {PicPrint[1], PicPrint[0]})
        SetLeft(print, PicGenerate[1]->x() - PicGenerate[1]->width());

    // The period boxes and their labels keep their spacing.
    SetLeft(cboYear, lblYear->x() + lblYear->width() * 2.0 / 3.0);
    SetLeft(cboMonth, cboYear->x() + 2 * cboYear->width());
    SetLeft(lblMonth, cboMonth->x() - lblYear->width() * 2.0 / 3.0);
    SetLeft(pbMain, chkAll->x());

    // The columns are rebuilt: two thirds of the list's width, the rest, and
    // the hidden mark column. "The rest" is the third left inside the list's
    // border and scroll bar, which the header keeps filled, so the columns
    // never bring up a horizontal scroll bar.
    lvwReport->setHeaderLabels({QStringLiteral("Report Name"), QStringLiteral("Last Updated"), QString()});
    lvwReport->setColumnWidth(kNameColumn, int(std::lround(lvwReport->width() / 3.0 * 2.0)));
    lvwReport->setColumnWidth(kMarkColumn, 0);
    lvwReport->setColumnHidden(kMarkColumn, true);
}

void frmNewDOHBuildFile::resizeEvent(QResizeEvent *e)
{
    QDialog::resizeEvent(e);
    // Minimized, the window keeps its layout and its stored size, so the
    // restore scales from the size before.
    if (!isMinimized())
        ResizeControls();
}
