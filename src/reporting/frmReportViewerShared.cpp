#include "frmReportViewerShared.h"

#include "CheckBeforeExport.h"
#include "ExportRecord.h"
#include "modCrystal.h"

#include "com/ComError.h"
#include "forms/ErrorTrap.h"
#include "forms/MsgBox.h"
#include "forms/Twips.h"
#include "reportengine/ReportEngine.h"
#include "reportviewer/CRViewer.h"

#include <algorithm>

#include <QCloseEvent>
#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace {

// The panel's 40 x 40 pictures, drawn rather than shipped as files.
QPixmap picture(const QString &kind)
{
    QPixmap pixmap(40, 40);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (kind == u"print") {
        p.setPen(QPen(QColor(60, 60, 60), 1.5));
        p.setBrush(Qt::white);
        p.drawRect(11, 4, 18, 14);
        p.setBrush(QColor(150, 150, 160));
        p.drawRoundedRect(4, 16, 32, 14, 3, 3);
        p.setBrush(Qt::white);
        p.drawRect(11, 26, 18, 10);
        p.drawLine(14, 30, 26, 30);
        p.drawLine(14, 33, 24, 33);
    } else {
        const QColor colour = kind == u"xls"   ? QColor(33, 115, 70)
                              : kind == u"rtf" ? QColor(43, 87, 154)
                                               : QColor(180, 30, 35);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawRoundedRect(3, 3, 34, 34, 4, 4);
        p.setPen(Qt::white);
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setPixelSize(11);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(3, 3, 34, 34), Qt::AlignCenter, kind.toUpper());
    }
    return pixmap;
}

QLabel *caption(const QString &text, QWidget *parent, int left, int top)
{
    auto *label = new QLabel(text, parent);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(8.25);
    label->setFont(font);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    forms::PlaceTwips(label, left, top, 2265, 510);
    return label;
}

} // namespace

void PictureButton::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        forms::Guarded([this] { click(); });
}

frmReportViewerShared::frmReportViewerShared(QWidget *parent)
    : QDialog(parent)
{
    setWindowFlags(Qt::Window | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    resize(1024, 740);

    CRViewer1 = new reportviewer::CRViewer(this);
    CRViewer1->setObjectName(QStringLiteral("CRViewer1"));

    cmdPrint = new QPushButton(QStringLiteral("&Print"), this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    forms::PlaceTwips(cmdPrint, 900, 450, 960, 330);
    cmdPrint->hide();
    cmdMore = new QPushButton(QStringLiteral("&More"), this);
    cmdMore->setObjectName(QStringLiteral("cmdMore"));
    forms::PlaceTwips(cmdMore, 1860, 450, 960, 330);
    cmdMore->hide();
    // Enter typed in the viewer's boxes must not press either of them.
    cmdPrint->setAutoDefault(false);
    cmdMore->setAutoDefault(false);

    pctMore = new QFrame(this);
    pctMore->setObjectName(QStringLiteral("pctMore"));
    pctMore->setFrameShape(QFrame::Box);
    pctMore->setAutoFillBackground(true);
    QPalette palette = pctMore->palette();
    palette.setColor(QPalette::Window, Qt::white);
    pctMore->setPalette(palette);
    // Four rows: print, then the Excel, Rich Text and PDF exports.
    forms::PlaceTwips(pctMore, 1890, 810, 3435, 2940);
    pctMore->hide();

    imgPrint = new PictureButton(pctMore);
    imgPrint->setPixmap(picture(QStringLiteral("print")));
    forms::PlaceTwips(imgPrint, 90, 90, 600, 600);
    Label1 = caption(QStringLiteral("Print report without closing the report window"), pctMore, 765, 180);
    imgExcel = new PictureButton(pctMore);
    imgExcel->setPixmap(picture(QStringLiteral("xls")));
    forms::PlaceTwips(imgExcel, 90, 765, 600, 600);
    Label2 = caption(QStringLiteral("Export Report to Microsoft Excel Document"), pctMore, 765, 855);
    imgRTF = new PictureButton(pctMore);
    imgRTF->setPixmap(picture(QStringLiteral("rtf")));
    forms::PlaceTwips(imgRTF, 90, 1440, 600, 600);
    Label3 = caption(QStringLiteral("Export Report to Rich Text Format"), pctMore, 780, 1530);
    imgPDF = new PictureButton(pctMore);
    imgPDF->setPixmap(picture(QStringLiteral("pdf")));
    forms::PlaceTwips(imgPDF, 90, 2115, 600, 600);
    Label4 = caption(QStringLiteral("Export Report to Portable Document Format"), pctMore, 780, 2205);

    // The viewer lies beneath everything else.
    CRViewer1->lower();
    // The pages begin under the two buttons, so no text is ever under them.
    CRViewer1->setReservedTop(std::max(cmdPrint->geometry().bottom(), cmdMore->geometry().bottom()) + 3);
    cmdPrint->raise();
    cmdMore->raise();
    pctMore->raise();

    connect(cmdPrint, &QPushButton::clicked, this, [this] { forms::Guarded([this] { cmdPrint_Click(); }); });
    connect(cmdMore, &QPushButton::clicked, this, [this] { forms::Guarded([this] { cmdMore_Click(); }); });
    imgPrint->onClick = [this] { imgPrint_Click(); };
    imgExcel->onClick = [this] { imgExcel_Click(); };
    imgRTF->onClick = [this] { imgRTF_Click(); };
    imgPDF->onClick = [this] { imgPDF_Click(); };
}

frmReportViewerShared::~frmReportViewerShared()
{
    if (m_loaded)
        Form_Unload();
}

void frmReportViewerShared::Show(bool modal)
{
    Form_Load();
    Form_Resize();
    if (modal) {
        setModal(true);
        exec();
    } else {
        show();
    }
}

void frmReportViewerShared::Form_Load()
{
    m_loaded = true;
    cmdPrint->setVisible(true);
    cmdMore->setVisible(true);
    CRViewer1->setReportSource(modCrystal::pobjReport);
    CRViewer1->Zoom(1); // open fitted to the page width
    CRViewer1->setDisplayGroupTree(pbShowGroupTree);
    CRViewer1->setEnableGroupTree(pbShowGroupTree);
    if (pbDirectPrint)
        CRViewer1->PrintReport();
    else
        CRViewer1->ViewReport();
}

void frmReportViewerShared::Form_Resize()
{
    // The viewer fills the client area; the buttons and panel keep their places over it.
    CRViewer1->setGeometry(0, 0, width(), height());
}

void frmReportViewerShared::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

void frmReportViewerShared::cmdPrint_Click()
{
    CRViewer1->PrintReport();
    close();
}

void frmReportViewerShared::imgPrint_Click()
{
    CRViewer1->PrintReport();
}

void frmReportViewerShared::cmdMore_Click()
{
    pctMore->setVisible(!pctMore->isVisible());
}

void frmReportViewerShared::imgExcel_Click()
{
    ExportReport(QStringLiteral("Microsoft Excel (*.xls)|*.xls"), reportengine::crEFTExcel80);
}

void frmReportViewerShared::imgRTF_Click()
{
    ExportReport(QStringLiteral("Rich Text Format (*.rtf)|*.rtf"), reportengine::crEFTRichText);
}

void frmReportViewerShared::imgPDF_Click()
{
    ExportReport(QStringLiteral("Portable Document Format (*.pdf)|*.pdf"), reportengine::crEFTPortableDocFormat);
}

void frmReportViewerShared::ExportReport(const QString &filter, int formatType)
{
    try {
        dlgOpen.Filter = filter;
        // The dialog proposes the section and its period as the file's name.
        if (modCrystal::pobjReport)
            dlgOpen.FileName = reporting::ProposedFileName(
                reporting::DocumentName(modCrystal::pobjReport->ReportTitle(), modCrystal::pobjReport->periodName()),
                filter);
        // A cancelled Save As ends the export: nothing is written anywhere.
        if (!dlgOpen.ShowSave(this))
            return;
        if (!modCrystal::pobjReport)
            throw com::ComError(91, QStringLiteral("Object variable or With block variable not set"),
                                QStringLiteral("prjVelmora.frmReportViewerShared"));
        reporting::SayFindingsBeforeExport(*modCrystal::pobjReport);
        reportengine::ExportOptions &options = modCrystal::pobjReport->ExportOptions();
        options.DestinationType = reportengine::crEDTDiskFile;
        options.FormatType = formatType;
        options.DiskFileName = dlgOpen.FileName;
        modCrystal::pobjReport->Export(false);
        reporting::RecordExport(*modCrystal::pobjReport, formatType, dlgOpen.FileName);
        forms::MsgBox(QStringLiteral("Export Successful"), forms::vbInformation + forms::vbOKOnly);
    } catch (const std::exception &e) {
        forms::MsgBox(com::describe(e), forms::vbOKOnly);
    }
}

void frmReportViewerShared::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    CRViewer1->setReportSource(nullptr);
    modCrystal::pobjReport.reset();
}

void frmReportViewerShared::closeEvent(QCloseEvent *event)
{
    QDialog::closeEvent(event);
    if (event->isAccepted())
        Form_Unload();
}

void frmReportViewerShared::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}
