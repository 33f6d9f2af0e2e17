#include "buildfile/frmNewDOHBuildFile.h"

#include "buildfile/PictureBox.h"
#include "buildfile/ReportRowDelegate.h"
#include "com/Runtime.h"
#include "forms/ErrorTrap.h"
#include "forms/Twips.h"
#include "setup/frmDOHSetup.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QStatusBar>
#include <QTreeWidget>
#include <QWindow>

#include <memory>

namespace {

const QString kPlacementKey = QStringLiteral("frmNewDOHBuildFile/Geometry");

QFont DesignFont(const QString &family, double points, bool bold)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

std::unique_ptr<QSettings> OpenSettings(const QString &file)
{
    if (file.isEmpty())
        return std::make_unique<QSettings>();
    return std::make_unique<QSettings>(file, QSettings::IniFormat);
}

} // namespace

frmNewDOHBuildFile::frmNewDOHBuildFile(QWidget *parent)
    : QDialog(parent)
{
    // The program's main window: minimize, maximize and close in its title
    // bar, as the layout serves every size and a minimized window alike.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(com::App::Title() + QStringLiteral(" Version ") + QString::number(com::App::Major()) +
                   QLatin1Char('.') + QString::number(com::App::Minor()) + QLatin1Char('.') +
                   QString::number(com::App::Revision()));
    CreateControls();
    ConnectCommands();
    Form_Load();
}

frmNewDOHBuildFile::~frmNewDOHBuildFile() = default;

void frmNewDOHBuildFile::InitializeForm(const adodb::ConnectionPtr &pobjConnection)
{
    m_connection = pobjConnection;
}

void frmNewDOHBuildFile::LoadForm()
{
    PrepareForm();
    RestoreWindowPlacement();
    exec();
    SaveWindowPlacement();
}

void frmNewDOHBuildFile::Form_Load()
{
    ResizeControls();
}

void frmNewDOHBuildFile::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

void frmNewDOHBuildFile::Form_Unload()
{
    // The window lets go of the shared connection; the connection itself
    // stays open for whoever opened the window.
    m_connection.reset();
}

void frmNewDOHBuildFile::RestoreWindowPlacement()
{
    const QByteArray placement = OpenSettings(m_settingsFile)->value(kPlacementKey).toByteArray();
    if (!placement.isEmpty())
        restoreGeometry(placement);
}

void frmNewDOHBuildFile::SaveWindowPlacement() const
{
    OpenSettings(m_settingsFile)->setValue(kPlacementKey, saveGeometry());
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
    // Smaller, the fixed-size controls the layout moves would run into each
    // other and off the edge.
    setMinimumSize(size());
    // Moves over the window's own background clear the hover looks.
    setMouseTracking(true);

    auto place = [this](QWidget *control, double left, double top, double width, double height) {
        forms::PlaceTwips(control, left, top, width, height);
        m_layoutControls.append(control);
    };

    FraHead = new QFrame(this);
    FraHead->setObjectName(QStringLiteral("FraHead"));
    FraHead->setFrameShape(QFrame::NoFrame);
    FraHead->setAutoFillBackground(true);
    QPalette headPalette = FraHead->palette();
    headPalette.setColor(QPalette::Window, QColor(16, 97, 156));
    headPalette.setColor(QPalette::WindowText, QApplication::palette("QMenu").color(QPalette::Window));
    FraHead->setPalette(headPalette);
    place(FraHead, 0, 0, 12045, 1065);

    lblTitle = new QLabel(QStringLiteral("DEPARTMENT OF HEALTH REPORTS"), FraHead);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    lblTitle->setFont(DesignFont(QStringLiteral("Times New Roman"), 15.75, true));
    place(lblTitle, 210, 210, 6405, 555);

    CreateHeaderLink(lblInfo, QStringLiteral("lblInfo"), QStringLiteral("Info"), QStringLiteral("Hospital Info"), 9840,
                     270, 375, 345, 255);
    CreateHeaderLink(lblSetup, QStringLiteral("lblSetup"), QStringLiteral("Setup"), QStringLiteral("Setup"), 10440, 270,
                     585, 555, 285);
    CreateHeaderLink(lblCheck, QStringLiteral("lblCheck"), QStringLiteral("Check"),
                     QStringLiteral("Check the period's figures and records before sending"), 9090, 270, 600, 600, 285);

    lblYear = new QLabel(QStringLiteral("Year"), this);
    lblYear->setObjectName(QStringLiteral("lblYear"));
    lblYear->setFont(DesignFont(QStringLiteral("Verdana"), 9, true));
    place(lblYear, 210, 2190, 1065, 225);

    cboYear = new QComboBox(this);
    cboYear->setObjectName(QStringLiteral("cboYear"));
    cboYear->setFont(DesignFont(QStringLiteral("Verdana"), 8.25, false));
    place(cboYear, 810, 2130, 2775, 315);

    lblMonth = new QLabel(QStringLiteral("Month"), this);
    lblMonth->setObjectName(QStringLiteral("lblMonth"));
    lblMonth->setFont(DesignFont(QStringLiteral("Verdana"), 9, true));
    place(lblMonth, 4410, 2190, 1065, 225);

    cboMonth = new QComboBox(this);
    cboMonth->setObjectName(QStringLiteral("cboMonth"));
    cboMonth->setFont(DesignFont(QStringLiteral("Verdana"), 8.25, false));
    place(cboMonth, 5190, 2130, 2775, 315);

    lvwReport = new QTreeWidget(this);
    lvwReport->setObjectName(QStringLiteral("lvwReport"));
    lvwReport->setFont(DesignFont(QStringLiteral("Lucida Console"), 9, false));
    lvwReport->setRootIsDecorated(false);
    lvwReport->setUniformRowHeights(true);
    lvwReport->setSelectionMode(QAbstractItemView::SingleSelection);
    lvwReport->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lvwReport->setColumnCount(3);
    lvwReport->setHeaderLabels({QStringLiteral("Report Name"), QStringLiteral("Last Updated"), QString()});
    place(lvwReport, 60, 2610, 11340, 3855);
    lvwReport->setColumnWidth(kNameColumn, lvwReport->width() / 3 * 2);
    // "Last Updated" takes what the first column leaves inside the list's
    // border and scroll bar.
    lvwReport->header()->setStretchLastSection(false);
    lvwReport->header()->setSectionResizeMode(kLastUpdatedColumn, QHeaderView::Stretch);
    lvwReport->setColumnWidth(kMarkColumn, 0);
    lvwReport->setColumnHidden(kMarkColumn, true);
    lvwReport->setItemDelegate(new ReportRowDelegate(lvwReport));
    lvwReport->installEventFilter(this);

    chkAll = new QCheckBox(QStringLiteral("Select All"), this);
    chkAll->setObjectName(QStringLiteral("chkAll"));
    chkAll->setFont(DesignFont(QStringLiteral("Verdana"), 9, true));
    QPalette checkPalette = chkAll->palette();
    checkPalette.setColor(QPalette::Window, Qt::white);
    chkAll->setPalette(checkPalette);
    place(chkAll, 90, 6480, 1755, 465);

    CreatePictureButton(PicPrint, lblPrint, QStringLiteral("Print"), 5730);
    CreatePictureButton(PicGenerate, lblGenerate, QStringLiteral("Generate"), 7590);
    CreatePictureButton(PicCancel, lblCancel, QStringLiteral("Cancel"), 9450);
    // Cancel shows its highlighted look until the pointer first crosses the background.
    PicPrint[1]->hide();
    PicGenerate[1]->hide();

    pbMain = new QProgressBar(this);
    pbMain->setObjectName(QStringLiteral("pbMain"));
    pbMain->setTextVisible(false);
    pbMain->setMinimum(0);
    place(pbMain, 60, 6900, 5295, 240);
    pbMain->setVisible(false);

    lblProgress = new QLabel(this);
    lblProgress->setObjectName(QStringLiteral("lblProgress"));
    lblProgress->setFont(DesignFont(QStringLiteral("Tahoma"), 8.25, false));
    QPalette progressPalette = lblProgress->palette();
    progressPalette.setColor(QPalette::WindowText, QColor(192, 0, 0));
    lblProgress->setPalette(progressPalette);
    place(lblProgress, 60, 7140, 5310, 300);
    lblProgress->setVisible(false);

    sbrMain = new QStatusBar(this);
    sbrMain->setObjectName(QStringLiteral("sbrMain"));
    sbrMain->setSizeGripEnabled(false);
    place(sbrMain, 0, 7635, 11280, 285);

    auto hiddenButton = [&](const QString &name, const QString &caption, double left, double width) {
        auto *button = new QPushButton(caption, this);
        button->setObjectName(name);
        button->setAutoDefault(false);
        place(button, left, 7830, width, 435);
        button->setVisible(false);
        return button;
    };
    cmdEditHospitalInfo =
        hiddenButton(QStringLiteral("cmdEditHospitalInfo"), QStringLiteral("&Hospital Info"), 2580, 1665);
    cmdEditHospitalInfo->setFont(DesignFont(QStringLiteral("Verdana"), 8.25, false));
    cmdSetup = hiddenButton(QStringLiteral("cmdSetup"), QStringLiteral("&Setup"), 4260, 1665);
    cmdPrint = hiddenButton(QStringLiteral("cmdPrint"), QStringLiteral("&Print"), 6570, 1545);
    cmdGenerate = hiddenButton(QStringLiteral("cmdGenerate"), QStringLiteral("Gene&rate"), 8130, 1545);
    cmdCancel = hiddenButton(QStringLiteral("cmdCancel"), QStringLiteral("&Cancel"), 9690, 1545);

    // Labels write from their top left corner, and keep their design size
    // unless their text needs more, as it may with another font in place of a
    // missing design font, or at another scaling.
    for (QLabel *label :
         {lblTitle, lblInfo[0], lblInfo[1], lblSetup[0], lblSetup[1], lblCheck[0], lblCheck[1], lblYear, lblMonth}) {
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->resize(label->size().expandedTo(label->sizeHint()));
    }
    lblProgress->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void frmNewDOHBuildFile::RunCommand(Command command)
{
    forms::Guarded([this, command] { (this->*command)(); });
}

void frmNewDOHBuildFile::ConnectCommands()
{
    const struct
    {
        QPushButton *button;
        Command command;
    } hiddenButtons[] = {
        {cmdEditHospitalInfo, &frmNewDOHBuildFile::cmdEditHospitalInfo_Click},
        {cmdSetup, &frmNewDOHBuildFile::cmdSetup_Click},
        {cmdPrint, &frmNewDOHBuildFile::cmdPrint_Click},
        {cmdGenerate, &frmNewDOHBuildFile::cmdGenerate_Click},
        {cmdCancel, &frmNewDOHBuildFile::cmdCancel_Click},
    };
    for (const auto &[button, command] : hiddenButtons) {
        connect(button, &QPushButton::clicked, this, [this, command = command] { RunCommand(command); });
        // A hidden button's access key does nothing by itself; the window
        // answers the same key by clicking it.
        auto *shortcut = new QShortcut(QKeySequence::mnemonic(button->text()), this);
        connect(shortcut, &QShortcut::activated, button, &QPushButton::click);
    }
    ControlEvents *printHighlighted = ConnectPictureButton(PicPrint, lblPrint, &frmNewDOHBuildFile::cmdPrint_Click);
    connect(printHighlighted, &ControlEvents::focusLost, PicPrint[1], &QWidget::hide);
    ConnectPictureButton(PicGenerate, lblGenerate, &frmNewDOHBuildFile::cmdGenerate_Click);
    ConnectPictureButton(PicCancel, lblCancel, &frmNewDOHBuildFile::cmdCancel_Click);
    ConnectHeaderLink(lblInfo, &frmNewDOHBuildFile::cmdEditHospitalInfo_Click);
    ConnectHeaderLink(lblSetup, &frmNewDOHBuildFile::cmdSetup_Click);
    ConnectHeaderLink(lblCheck, &frmNewDOHBuildFile::cmdCheck_Click);

    auto guarded = [this](void (frmNewDOHBuildFile::*handler)()) { return [this, handler] { RunCommand(handler); }; };
    connect(cboYear, &QComboBox::currentIndexChanged, this, guarded(&frmNewDOHBuildFile::cboYear_Click));
    connect(cboMonth, &QComboBox::currentIndexChanged, this, guarded(&frmNewDOHBuildFile::cboMonth_Click));
    // toggled, not clicked: a change made from code reaches the handler too,
    // which is what the suppress flag guards against.
    connect(chkAll, &QCheckBox::toggled, this, guarded(&frmNewDOHBuildFile::chkAll_Click));
    connect(lvwReport, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem *item, int column) { forms::Guarded([&] { OnItemChanged(item, column); }); });
    connect(lvwReport, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *item, int) { forms::Guarded([&] { lvwReport_ItemClick(item); }); });
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
