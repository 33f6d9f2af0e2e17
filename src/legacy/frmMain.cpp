#include "legacy/frmMain.h"

#include "buildfile/frmNewDOHBuildFile.h"
#include "forms/ErrorTrap.h"
#include "forms/Twips.h"
#include "hospitalinfo/frmHospitalInfo.h"
#include "legacy/frmReportParameters.h"
#include "startup/modSysConstants.h"

#include <QPushButton>

const QString frmMain::kCaption = QStringLiteral("New Velmora Reports");

frmMain::frmMain(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kCaption);
    QFont verdana(QStringLiteral("Verdana"));
    verdana.setPointSizeF(8.25);
    setFont(verdana);
    setFixedSize(forms::TwipsToPixels(2895), forms::TwipsToPixels(2580));

    const auto button = [this](const QString &name, const QString &caption, double top) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        forms::PlaceTwips(b, 270, top, 2355, 420);
        return b;
    };
    cmdEditHospitalInfo = button(QStringLiteral("cmdEditHospitalInfo"), QStringLiteral("Edit Hospital Info"), 765);
    cmdGenerateData = button(QStringLiteral("cmdGenerateData"), QStringLiteral("Generate Monthly Data"), 1260);
    cmdReports = button(QStringLiteral("cmdReports"), QStringLiteral("Reports"), 1755);

    connect(cmdEditHospitalInfo, &QPushButton::clicked, this,
            [this] { forms::Guarded([this] { cmdEditHospitalInfo_Click(); }); });
    connect(cmdGenerateData, &QPushButton::clicked, this,
            [this] { forms::Guarded([this] { cmdGenerateData_Click(); }); });
    connect(cmdReports, &QPushButton::clicked, this, [this] { forms::Guarded([this] { cmdReports_Click(); }); });
}

frmMain::~frmMain() = default;

void frmMain::InitializeForm(const adodb::ConnectionPtr &pobjConnection, const QString &pstrHospitalName,
                             const QString &pstrHospitalAddress1, const QString &pstrHospitalAddress2)
{
    m_connection = pobjConnection;
    m_hospitalName = pstrHospitalName;
    m_hospitalAddress1 = pstrHospitalAddress1;
    m_hospitalAddress2 = pstrHospitalAddress2;
}

void frmMain::LoadForm()
{
    exec();
}

void frmMain::cmdEditHospitalInfo_Click()
{
    frmHospitalInfo &form = frmHospitalInfo::instance();
    form.InitializeForm(m_connection);
    form.LoadForm();
}

void frmMain::cmdGenerateData_Click()
{
    frmNewDOHBuildFile form;
    form.InitializeForm(m_connection);
    form.LoadForm();
}

void frmMain::cmdReports_Click()
{
    frmReportParameters dialog(this);
    dialog.InitializeForm(m_connection, m_hospitalName, m_hospitalAddress1, m_hospitalAddress2);
    dialog.LoadForm();
}

void frmMain::done(int result)
{
    m_connection.reset();
    QDialog::done(result);
}

namespace legacy {

void OpenLauncher(const adodb::ConnectionPtr &pobjConnection)
{
    frmMain form;
    form.InitializeForm(pobjConnection, modSysConstants::pstrHospitalName, modSysConstants::pstrHospitalAddress1,
                        modSysConstants::pstrHospitalAddress2);
    form.LoadForm();
}

} // namespace legacy
