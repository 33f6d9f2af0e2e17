#include "buildfile/frmNewDOHBuildFile.h"

#include "com/Runtime.h"
#include "buildfile/ReportRowDelegate.h"
#include "forms/ErrorTrap.h"
#include "forms/Twips.h"
#include "setup/frmDOHSetup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTreeWidget>
#include <QWindow>

namespace {

QFont DesignFont(const QString &family, double points, bool bold)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QPushButton *HiddenButton(QWidget *parent, const QString &caption, double left, double width)
{
    auto *button = new QPushButton(caption, parent);
    forms::PlaceTwips(button, left, 7830, width, 435);
    button->setVisible(false);
    return button;
}

} // namespace

frmNewDOHBuildFile::frmNewDOHBuildFile(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(com::App::Title() + QStringLiteral(" Version ") + QString::number(com::App::Major())
                   + QLatin1Char('.') + QString::number(com::App::Minor()) + QLatin1Char('.')
                   + QString::number(com::App::Revision()));
    CreateControls();
    ConnectCommands();
}

frmNewDOHBuildFile::~frmNewDOHBuildFile() = default;

void frmNewDOHBuildFile::InitializeForm(const adodb::ConnectionPtr &pobjConnection)
{
    m_connection = pobjConnection;
}

void frmNewDOHBuildFile::LoadForm()
{
    PrepareForm();
    exec();
    // The window lets go of the shared connection when it unloads; the
    // connection itself stays open for whoever opened the window.
    m_connection.reset();
}

void frmNewDOHBuildFile::CreateControls()
{
    setObjectName(QStringLiteral("frmNewDOHBuildFile"));
    setAutoFillBackground(true);
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, Qt::white);
    setPalette(windowPalette);
    setFont(DesignFont(QStringLiteral("Arial"), 8.25, true));
    resize(forms::TwipsToPixels(11280), forms::TwipsToPixels(7920));

    FraHead = new QFrame(this);
    FraHead->setObjectName(QStringLiteral("FraHead"));
    FraHead->setFrameShape(QFrame::NoFrame);
    FraHead->setAutoFillBackground(true);
    QPalette headPalette = FraHead->palette();
    headPalette.setColor(QPalette::Window, QColor(16, 97, 156));
    headPalette.setColor(QPalette::WindowText, palette().color(QPalette::Base));
    FraHead->setPalette(headPalette);
    forms::PlaceTwips(FraHead, 0, 0, 12045, 1065);

    lblTitle = new QLabel(QStringLiteral("DEPARTMENT OF HEALTH REPORTS"), FraHead);
    lblTitle->setFont(DesignFont(QStringLiteral("Times New Roman"), 15.75, true));
    forms::PlaceTwips(lblTitle, 210, 210, 6405, 555);

    lblYear = new QLabel(QStringLiteral("Year"), this);
    lblYear->setFont(DesignFont(QStringLiteral("Verdana"), 9, true));
    forms::PlaceTwips(lblYear, 210, 2190, 1065, 225);

    cboYear = new QComboBox(this);
    cboYear->setObjectName(QStringLiteral("cboYear"));
    cboYear->setFont(DesignFont(QStringLiteral("Verdana"), 8.25, false));
    forms::PlaceTwips(cboYear, 810, 2130, 2775, 315);

    lblMonth = new QLabel(QStringLiteral("Month"), this);
    lblMonth->setFont(DesignFont(QStringLiteral("Verdana"), 9, true));
    forms::PlaceTwips(lblMonth, 4410, 2190, 1065, 225);

    cboMonth = new QComboBox(this);
    cboMonth->setObjectName(QStringLiteral("cboMonth"));
    cboMonth->setFont(DesignFont(QStringLiteral("Verdana"), 8.25, false));
    forms::PlaceTwips(cboMonth, 5190, 2130, 2775, 315);

    lvwReport = new QTreeWidget(this);
    lvwReport->setObjectName(QStringLiteral("lvwReport"));
    lvwReport->setFont(DesignFont(QStringLiteral("Lucida Console"), 9, false));
    lvwReport->setRootIsDecorated(false);
    lvwReport->setUniformRowHeights(true);
    lvwReport->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwReport->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvwReport->setColumnCount(3);
    lvwReport->setHeaderLabels({QStringLiteral("Report Name"), QStringLiteral("Last Updated"), QString()});
    forms::PlaceTwips(lvwReport, 60, 2610, 11340, 3855);
    lvwReport->setColumnWidth(kNameColumn, lvwReport->width() / 3 * 2);
    lvwReport->setColumnWidth(kLastUpdatedColumn, lvwReport->width() / 3);
    lvwReport->setColumnWidth(kMarkColumn, 0);
    lvwReport->setColumnHidden(kMarkColumn, true);
    lvwReport->setItemDelegate(new ReportRowDelegate(lvwReport));
    lvwReport->installEventFilter(this);

    chkAll = new QCheckBox(QStringLiteral("Select All"), this);
    chkAll->setObjectName(QStringLiteral("chkAll"));
    chkAll->setFont(DesignFont(QStringLiteral("Verdana"), 9, true));
    forms::PlaceTwips(chkAll, 90, 6480, 1755, 465);

    // Plain stand-ins for the picture buttons, at their design places.
    PicGenerate = new QPushButton(QStringLiteral("Generate"), this);
    PicGenerate->setObjectName(QStringLiteral("PicGenerate"));
    forms::PlaceTwips(PicGenerate, 7590, 6810, 1845, 405);
    PicCancel = new QPushButton(QStringLiteral("Cancel"), this);
    PicCancel->setObjectName(QStringLiteral("PicCancel"));
    PicCancel->setAutoDefault(false);
    PicGenerate->setAutoDefault(false);
    forms::PlaceTwips(PicCancel, 9450, 6810, 1845, 405);

    pbMain = new QProgressBar(this);
    pbMain->setObjectName(QStringLiteral("pbMain"));
    pbMain->setTextVisible(false);
    pbMain->setMinimum(0);
    forms::PlaceTwips(pbMain, 60, 6900, 5295, 240);
    pbMain->setVisible(false);

    lblProgress = new QLabel(this);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    lblProgress->setFont(DesignFont(QStringLiteral("Tahoma"), 8.25, false));
    QPalette progressPalette = lblProgress->palette();
    progressPalette.setColor(QPalette::WindowText, QColor(192, 0, 0));
    lblProgress->setPalette(progressPalette);
    forms::PlaceTwips(lblProgress, 60, 7140, 5310, 300);
    lblProgress->setVisible(false);

    sbrMain = new QStatusBar(this);
    sbrMain->setObjectName(QStringLiteral("sbrMain"));
    sbrMain->setSizeGripEnabled(false);
    forms::PlaceTwips(sbrMain, 0, 7635, 11280, 285);

    cmdEditHospitalInfo = HiddenButton(this, QStringLiteral("&Hospital Info"), 2580, 1665);
    cmdEditHospitalInfo->setFont(DesignFont(QStringLiteral("Verdana"), 8.25, false));
    cmdSetup = HiddenButton(this, QStringLiteral("&Setup"), 4260, 1665);
    cmdPrint = HiddenButton(this, QStringLiteral("&Print"), 6570, 1545);
    cmdGenerate = HiddenButton(this, QStringLiteral("Gene&rate"), 8130, 1545);
    cmdCancel = HiddenButton(this, QStringLiteral("&Cancel"), 9690, 1545);
    for (QPushButton *button : {cmdEditHospitalInfo, cmdSetup, cmdPrint, cmdGenerate, cmdCancel})
        button->setAutoDefault(false);
}

void frmNewDOHBuildFile::ConnectCommands()
{
    auto guarded = [this](void (frmNewDOHBuildFile::*handler)()) {
        return [this, handler] { forms::Guarded([this, handler] { (this->*handler)(); }); };
    };
    connect(cmdGenerate, &QPushButton::clicked, this, guarded(&frmNewDOHBuildFile::cmdGenerate_Click));
    connect(PicGenerate, &QPushButton::clicked, this, guarded(&frmNewDOHBuildFile::cmdGenerate_Click));
    connect(cmdPrint, &QPushButton::clicked, this, guarded(&frmNewDOHBuildFile::cmdPrint_Click));
    connect(cmdEditHospitalInfo, &QPushButton::clicked, this,
            guarded(&frmNewDOHBuildFile::cmdEditHospitalInfo_Click));
    connect(cmdSetup, &QPushButton::clicked, this, guarded(&frmNewDOHBuildFile::cmdSetup_Click));
    connect(cmdCancel, &QPushButton::clicked, this, guarded(&frmNewDOHBuildFile::cmdCancel_Click));
    connect(PicCancel, &QPushButton::clicked, this, guarded(&frmNewDOHBuildFile::cmdCancel_Click));

    connect(cboYear, &QComboBox::currentIndexChanged, this, guarded(&frmNewDOHBuildFile::cboYear_Click));
    connect(cboMonth, &QComboBox::currentIndexChanged, this, guarded(&frmNewDOHBuildFile::cboMonth_Click));
    // toggled, not clicked: a change made from code reaches the handler too,
    // which is what the suppress flag guards against.
    connect(chkAll, &QCheckBox::toggled, this, guarded(&frmNewDOHBuildFile::chkAll_Click));
    connect(lvwReport, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem *item, int column) {
        forms::Guarded([&] { OnItemChanged(item, column); });
    });
    connect(lvwReport, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item, int) {
        forms::Guarded([&] { lvwReport_ItemClick(item); });
    });
    connect(lvwReport, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *, int) { forms::Guarded([&] { lvwReport_DblClick(); }); });
}

void frmNewDOHBuildFile::cmdGenerate_Click()
{
    GenerateMonthlyData();
}

void frmNewDOHBuildFile::cmdSetup_Click()
{
    frmDOHSetup &setup = frmDOHSetup::instance();
    setup.InitializeForm(m_connection);
    setup.LoadForm();
}

void frmNewDOHBuildFile::cmdCancel_Click()
{
    accept();
}

bool frmNewDOHBuildFile::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate && !m_activatedOnce) {
        m_activatedOnce = true;
        GiveOwnTaskbarEntry();
    }
    return QDialog::event(e);
}

void frmNewDOHBuildFile::GiveOwnTaskbarEntry()
{
    // A dialog window may be kept off the taskbar by the window manager; as
    // the program's main window it is made an ordinary top-level window. The
    // native window takes the new type while shown, so the modal run goes on.
    ++m_taskbarEntrySetups;
    if (QWindow *native = windowHandle()) {
        const Qt::WindowFlags flags = native->flags();
        if ((flags & Qt::WindowType_Mask) != Qt::Window)
            native->setFlags((flags & ~Qt::WindowType_Mask) | Qt::Window);
    }
}

bool frmNewDOHBuildFile::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == lvwReport) {
        if (e->type() == QEvent::FocusIn)
            forms::Guarded([this] { lvwReport_GotFocus(); });
        else if (e->type() == QEvent::FocusOut)
            forms::Guarded([this] { lvwReport_LostFocus(); });
    }
    return QDialog::eventFilter(watched, e);
}

QDate frmNewDOHBuildFile::Today() const
{
    return m_today ? m_today() : QDate::currentDate();
}
