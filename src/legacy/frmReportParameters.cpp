#include "legacy/frmReportParameters.h"

#include "adodb/Recordset.h"
#include "catalogue/ReportCatalogue.h"
#include "catalogue/ReportFiles.h"
#include "catalogue/ReportingPeriods.h"
#include "com/ComError.h"
#include "com/Runtime.h"
#include "forms/ErrorTrap.h"
#include "forms/MousePointer.h"
#include "forms/MsgBox.h"
#include "forms/Twips.h"
#include "reporting/modCrystal.h"
#include "startup/modCommon.h"

#include <QComboBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {

const QString kGeneralInformation = QStringLiteral("I. Hospital General Information");
const QString kDeath = QStringLiteral("II.6 Death");
const QString kDeathsSection = QStringLiteral("II. C. Deaths");
const QString kSource = QStringLiteral("prjVelmora");
constexpr long kFileNotFound = 53;
// The desktop's colour values: 0 black, 255 red.
const QColor kBlack(0, 0, 0);
const QColor kRed(255, 0, 0);

} // namespace

const QString frmReportParameters::kCaption = QStringLiteral("Report Parameters");
const QString frmReportParameters::kNoMonthlyData = QStringLiteral("(No monthly data generated)");
const QString frmReportParameters::kIncompleteMonthlyData = QStringLiteral("(Incomplete monthly data)");
const QString frmReportParameters::kYearMustBeFourDigits =
    QStringLiteral("The year must be four digits, for example 2024.");

QStringList frmReportParameters::MonthChoices()
{
    // The build-file window's period choices up to December.
    return catalogue::PeriodChoices().mid(0, 13);
}

frmReportParameters::frmReportParameters(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmReportParameters"));
    setWindowTitle(kCaption);
    QFont verdana(QStringLiteral("Verdana"));
    verdana.setPointSizeF(8.25);
    setFont(verdana);
    setFixedSize(forms::TwipsToPixels(7845), forms::TwipsToPixels(1680));
    setModal(true);
    CreateControls();
}

frmReportParameters::~frmReportParameters() = default;

void frmReportParameters::CreateControls()
{
    Label2 = new QLabel(QStringLiteral("Report Name"), this);
    forms::PlaceTwips(Label2, 225, 270, 1365, 210);
    cboReportName = new QComboBox(this);
    cboReportName->setObjectName(QStringLiteral("cboReportName"));
    forms::PlaceTwips(cboReportName, 1575, 225, 4290, 315);

    Label1 = new QLabel(QStringLiteral("Month"), this);
    forms::PlaceTwips(Label1, 225, 630, 1050, 210);
    cboMonth = new QComboBox(this);
    cboMonth->setObjectName(QStringLiteral("cboMonth"));
    forms::PlaceTwips(cboMonth, 1575, 585, 1725, 315);

    Label3 = new QLabel(QStringLiteral("Year"), this);
    forms::PlaceTwips(Label3, 225, 990, 1050, 210);
    txtYear = new QLineEdit(this);
    txtYear->setObjectName(QStringLiteral("txtYear"));
    forms::PlaceTwips(txtYear, 1575, 945, 1140, 330);
    txtYear->installEventFilter(this);

    lblLastUpdated = new QLabel(this);
    lblLastUpdated->setObjectName(QStringLiteral("lblLastUpdated"));
    lblLastUpdated->setWordWrap(true);
    lblLastUpdated->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    forms::PlaceTwips(lblLastUpdated, 3420, 630, 2715, 735);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    forms::PlaceTwips(cmdOK, 6255, 225, 1365, 375);
    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    forms::PlaceTwips(cmdCancel, 6255, 675, 1365, 375);
    // Enter opens the report only through the focused button, as the design has no default button.
    cmdOK->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);

    connect(cboReportName, &QComboBox::currentIndexChanged, this, [this] { cboReportName_Click(); });
    connect(cboMonth, &QComboBox::currentIndexChanged, this, [this] { cboMonth_Click(); });
    connect(txtYear, &QLineEdit::textChanged, this, [this] { txtYear_Change(); });
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void frmReportParameters::InitializeForm(const adodb::ConnectionPtr &pobjConnection, const QString &pstrHospitalName,
                                         const QString &pstrHospitalAddress1, const QString &pstrHospitalAddress2)
{
    m_connection = pobjConnection;
    m_hospitalName = pstrHospitalName;
    m_hospitalAddress1 = pstrHospitalAddress1;
    m_hospitalAddress2 = pstrHospitalAddress2;
}

void frmReportParameters::LoadForm()
{
    PrepareForm();
    exec();
}

void frmReportParameters::PrepareForm()
{
    // Filling the controls raises their change events; none of them checks
    // the status until the dialog is shown.
    m_loading = true;
    cboReportName->clear();
    for (const catalogue::ReportFile *entry : catalogue::ReportParameterFiles())
        cboReportName->addItem(entry->title);
    cboReportName->setCurrentIndex(0);
    cboMonth->clear();
    cboMonth->addItems(MonthChoices());
    cboMonth->setCurrentIndex(Today().month());
    txtYear->setText(com::Format(Today(), QStringLiteral("yyyy")));
    m_loading = false;
}

void frmReportParameters::cboReportName_Click()
{
    if (!m_loading)
        forms::Guarded([this] { CheckStatus(); });
}

void frmReportParameters::cboMonth_Click()
{
    if (!m_loading)
        forms::Guarded([this] { CheckStatus(); });
}

void frmReportParameters::txtYear_Change()
{
    // A year being typed is checked once it has all four digits.
    if (!m_loading && txtYear->text().size() == 4)
        forms::Guarded([this] { CheckStatus(); });
}

bool frmReportParameters::RequireFourDigitYear() const
{
    const QString year = txtYear->text();
    bool digits = year.size() == 4;
    for (const QChar c : year)
        digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (!digits)
        forms::MsgBox(kYearMustBeFourDigits, forms::vbExclamation, QStringLiteral("Notification"));
    return digits;
}

QString frmReportParameters::GeneratedBy(const QString &name)
{
    // "II.6 Death" prints the deaths section's figures; its own ID is never logged.
    return name == kDeath ? kDeathsSection : name;
}

bool frmReportParameters::TitleGenerated(const QString &title, const QString &firstDate, const QString &lastDate,
                                         QString *lastUpdated)
{
    // The suite's log answers by the title's report ID, which titles share.
    const QString reportId = catalogue::GetReportID(title);
    adodb::Recordset rs;
    rs.Open(QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportLog '") + firstDate + QStringLiteral("','") +
                lastDate + QStringLiteral("'"),
            m_connection, adodb::adUseClient, adodb::adOpenForwardOnly, adodb::adLockReadOnly);
    bool found = false;
    while (!rs.Eof()) {
        if (rs.Fields(QStringLiteral("ReportID")).Value().toText() == reportId) {
            found = true;
            // Only the month's own check shows the date; the year's stops at the first row.
            if (!lastUpdated)
                break;
            *lastUpdated = com::Format(rs.Fields(QStringLiteral("LastUpdatedDate")).Value().toDateTime(),
                                       QStringLiteral("mm/dd/yyyy"));
        }
        rs.MoveNext();
    }
    rs.Close();
    return found;
}

bool frmReportParameters::MonthGenerated(const QString &title, int month, QString *lastUpdated)
{
    const QString yearText = txtYear->text();
    return TitleGenerated(title, catalogue::PeriodStartDate(yearText, month), catalogue::PeriodEndDate(yearText, month),
                          lastUpdated);
}

void frmReportParameters::CheckStatus()
{
    lblLastUpdated->clear();
    // A year that is no year would only make the log search fail; what was
    // shown for the year before no longer holds, and OK waits for a year.
    if (!RequireFourDigitYear()) {
        cmdOK->setEnabled(false);
        return;
    }
    const QString name = cboReportName->currentText();
    // The general information is kept apart from the monthly data.
    if (name == kGeneralInformation) {
        ApplyStatus(Status::Generated);
        return;
    }
    const QString title = GeneratedBy(name);
    const int position = cboMonth->currentIndex();
    if (position != catalogue::kYearly) {
        QString lastUpdated;
        const bool generated = MonthGenerated(title, position, &lastUpdated);
        if (generated)
            lblLastUpdated->setText(QStringLiteral("(Last Updated: ") + lastUpdated + QStringLiteral(")"));
        ApplyStatus(generated ? Status::Generated : Status::NotGenerated);
        return;
    }
    for (int month = 1; month <= 12; ++month) {
        if (!MonthGenerated(title, month, nullptr)) {
            ApplyStatus(Status::Incomplete);
            return;
        }
    }
    ApplyStatus(Status::Generated);
}

void frmReportParameters::ApplyStatus(Status status)
{
    QPalette palette = lblLastUpdated->palette();
    palette.setColor(QPalette::WindowText, status == Status::Generated ? kBlack : kRed);
    lblLastUpdated->setPalette(palette);
    if (status == Status::NotGenerated)
        lblLastUpdated->setText(kNoMonthlyData);
    else if (status == Status::Incomplete)
        lblLastUpdated->setText(kIncompleteMonthlyData);
    cmdOK->setEnabled(status == Status::Generated);
}

void frmReportParameters::cmdOK_Click()
{
    if (!RequireFourDigitYear())
        return;
    forms::SetMousePointer(this, forms::MousePointer::Hourglass);
    // The viewer answers the user while it fills: OK waits until the report
    // has closed, so that a second press cannot replace the report filling.
    cmdOK->setEnabled(false);
    try {
        OpenChosenReport();
    } catch (const std::exception &e) {
        // Nothing is left half open and the pointer is back before the user
        // reads why, so the dialog is ready for another report.
        modCrystal::pobjReport.reset();
        forms::SetMousePointer(this, forms::MousePointer::Default);
        cmdOK->setEnabled(true);
        forms::ReportUncaughtFailure(e);
        return;
    }
    forms::SetMousePointer(this, forms::MousePointer::Default);
    cmdOK->setEnabled(true);
}

void frmReportParameters::OpenChosenReport()
{
    const QString year = txtYear->text();
    QString firstDate;
    QString lastDate;
    if (cboMonth->currentIndex() != catalogue::kYearly) {
        // "March 01, 2024" read as a date, then its month's last day.
        const auto first = com::ParseDate(cboMonth->currentText() + QStringLiteral(" 01, ") + year);
        if (!first)
            throw com::ComError(com::errors::TypeMismatch, QStringLiteral("Type mismatch"), kSource);
        const QDate start = first->date();
        firstDate = com::Format(start, QStringLiteral("mm/dd/yyyy"));
        lastDate =
            com::Format(com::DateAddDays(com::DateAddMonths(start, 1), -start.day()), QStringLiteral("mm/dd/yyyy"));
    } else {
        firstDate = QStringLiteral("01/01/") + year;
        lastDate = QStringLiteral("12/31/") + year;
    }

    const QString name = cboReportName->currentText();
    const catalogue::ReportFile *entry = catalogue::FindReportParameterFile(name);
    if (!entry)
        throw com::ComError(kFileNotFound, QStringLiteral("The report item '%1' has no report file.").arg(name),
                            kSource);
    const QList<com::Variant> header = {m_hospitalName, m_hospitalAddress1, m_hospitalAddress2};
    QList<com::Variant> values;
    switch (entry->values) {
    case catalogue::ReportValues::Year:
        values = {year};
        break;
    case catalogue::ReportValues::Dates:
        values = {firstDate, lastDate};
        break;
    case catalogue::ReportValues::HospitalAndDates:
        values = header;
        values << firstDate << lastDate;
        break;
    }
    modCrystal::OpenReportFile(catalogue::ReportFolder() + QLatin1Char('/') + entry->file, values);
    if (entry->header)
        modCrystal::OpenSubReport(catalogue::kReportHeaderName, header);
    modCrystal::ShowReportViewer(false, name, false, true);
}

void frmReportParameters::cmdCancel_Click()
{
    reject();
}

void frmReportParameters::done(int result)
{
    m_connection.reset();
    QDialog::done(result);
}

bool frmReportParameters::eventFilter(QObject *watched, QEvent *event)
{
    // After the click that gave the focus, so the click does not undo the selection.
    if (watched == txtYear && event->type() == QEvent::FocusIn)
        QTimer::singleShot(0, txtYear, [this] { modCommon::SelectAllText(txtYear); });
    return QDialog::eventFilter(watched, event);
}

QDate frmReportParameters::Today() const
{
    return m_today ? m_today() : QDate::currentDate();
}
