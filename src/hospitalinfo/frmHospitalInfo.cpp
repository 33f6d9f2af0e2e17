#include "frmHospitalInfo.h"

#include "forms/ErrorTrap.h"
#include "forms/Twips.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <limits>

const QString frmHospitalInfo::kCaption = QStringLiteral("Hospital Information");

namespace {

frmHospitalInfo *s_instance = nullptr;

// Runs while the application object still exists, so the dialog is not
// destroyed after the widgets' world has gone.
void destroyInstance()
{
    delete s_instance;
    s_instance = nullptr;
}

// A box without a length limit takes whatever is typed or stored.
constexpr int kNoLimit = std::numeric_limits<int>::max();

// Where the quality-management captions' dot leaders end: just before the
// "Validity Period" label.
constexpr int kLeaderEnd = 10050;

// Builds the controls of one open: every control the form creates is listed,
// so the next open can remove them all.
class Builder
{
public:
    Builder(QWidget *form, QList<QObject *> &created)
        : m_form(form)
        , m_created(created)
    {
        // Weight set explicitly, or the controls would take the bold of their group.
        m_normal = form->font();
        m_normal.setBold(false);
        m_bold = m_normal;
        m_bold.setBold(true);
    }

    QGroupBox *group(const QString &caption, int left, int top, int width, int height)
    {
        auto *box = new QGroupBox(caption, m_form);
        box->setFont(m_bold);
        forms::PlaceTwips(box, left, top, width, height);
        m_created.append(box);
        return box;
    }

    QLabel *label(QWidget *parent, const QString &text, int left, int top, int width, int height, bool bold = false)
    {
        auto *control = new QLabel(text, parent);
        control->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        place(control, left, top, width, height, bold);
        return control;
    }

    QLineEdit *textBox(QWidget *parent, const QString &name, int left, int top, int width, int height, int maxLength)
    {
        auto *box = new QLineEdit(parent);
        box->setObjectName(name);
        box->setMaxLength(maxLength > 0 ? maxLength : kNoLimit);
        place(box, left, top, width, height);
        return box;
    }

    QCheckBox *check(QWidget *parent, const QString &name, const QString &caption, int left, int top, int width,
                     int height)
    {
        auto *box = new QCheckBox(caption, parent);
        box->setObjectName(name);
        place(box, left, top, width, height);
        return box;
    }

    QRadioButton *option(QWidget *parent, QButtonGroup *group, const QString &name, const QString &caption, int left,
                         int top, int width, int height)
    {
        auto *button = new QRadioButton(caption, parent);
        button->setObjectName(name);
        // The group box's buttons form one exclusive group, hidden ones included.
        button->setAutoExclusive(false);
        group->addButton(button);
        place(button, left, top, width, height);
        return button;
    }

    // An editable drop-down: any typed text stays as typed, and the list is
    // only what the form puts in it.
    QComboBox *combo(QWidget *parent, const QString &name, int left, int top, int width)
    {
        auto *box = new QComboBox(parent);
        box->setObjectName(name);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->setDuplicatesEnabled(true);
        box->setCompleter(nullptr);
        box->lineEdit()->setMaxLength(kNoLimit);
        place(box, left, top, width, 315);
        return box;
    }

    QButtonGroup *buttonGroup()
    {
        auto *group = new QButtonGroup(m_form);
        group->setExclusive(true);
        m_created.append(group);
        return group;
    }

    QPushButton *button(const QString &name, const QString &caption, int left, int top, int width, int height)
    {
        auto *control = new QPushButton(caption, m_form);
        control->setObjectName(name);
        // Enter in a box presses nothing; only a click or the access key does.
        control->setAutoDefault(false);
        control->setDefault(false);
        place(control, left, top, width, height);
        return control;
    }

private:
    void place(QWidget *control, int left, int top, int width, int height, bool bold = false)
    {
        control->setFont(bold ? m_bold : m_normal);
        forms::PlaceTwips(control, left, top, width, height);
        if (control->parentWidget() == m_form)
            m_created.append(control);
    }

    QWidget *m_form;
    QList<QObject *> &m_created;
    QFont m_normal;
    QFont m_bold;
};

// A check box caption padded with blanks up to `blankUntil` (pixels from the
// start of the text) and then filled with dots to the end of the text area.
QString DotLeader(const QCheckBox *box, const QString &caption, int blankUntil)
{
    const QFontMetrics metrics(box->font());
    const QStyle *style = box->style();
    const int textStart = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, box) +
                          style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, box);
    const int available = box->width() - textStart - 4;
    QString text = caption;
    while (metrics.horizontalAdvance(text + QLatin1Char(' ')) < blankUntil)
        text += QLatin1Char(' ');
    text += QLatin1Char(' ');
    while (metrics.horizontalAdvance(text + QLatin1Char('.')) <= available)
        text += QLatin1Char('.');
    return text;
}

} // namespace

frmHospitalInfo &frmHospitalInfo::instance()
{
    if (!s_instance) {
        s_instance = new frmHospitalInfo;
        qAddPostRoutine(destroyInstance);
    }
    return *s_instance;
}

frmHospitalInfo::frmHospitalInfo()
    : QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmHospitalInfo"));
    setWindowTitle(kCaption);
    QFont verdana(QStringLiteral("Verdana"));
    verdana.setPointSizeF(8.25);
    setFont(verdana);
    // The form's background is the window colour of the desktop, not the
    // button face of a usual dialog.
    QPalette background = palette();
    background.setColor(QPalette::Window, background.color(QPalette::Base));
    setPalette(background);
    setAutoFillBackground(true);
    setFixedSize(forms::TwipsToPixels(14535), forms::TwipsToPixels(8715));
    setModal(true);
    buildControls();
}

void frmHospitalInfo::InitializeForm(const adodb::ConnectionPtr &connection)
{
    m_connection = connection;
    m_initialized = true;
}

void frmHospitalInfo::LoadForm()
{
    buildControls();
    PopulateLocalCombo();
    if (!m_initialized)
        return;
    ReceiveDataFromBO();
    exec();
}

void frmHospitalInfo::PopulateLocalCombo()
{
    for (const char *level : {"Province", "City", "District", "Municipality"})
        cmbLocal->addItem(QString::fromLatin1(level));
    for (const char *participation : {"Basic Participation", "Advance Participation"})
        cmbPhilAccreditation->addItem(QString::fromLatin1(participation));
    // Filling a list picks nothing: an empty stored level stays empty and
    // is saved empty, not as the first item.
    for (QComboBox *box : {cmbLocal, cmbPhilAccreditation}) {
        box->setCurrentIndex(-1);
        box->setEditText(QString());
    }
}

// ---------------------------------------------------------------------------
// Layout

void frmHospitalInfo::clearControls()
{
    for (QObject *control : std::as_const(m_controls))
        delete control;
    m_controls.clear();
}

void frmHospitalInfo::buildControls()
{
    clearControls();
    Builder b(this, m_controls);

    // Header: two columns of labelled boxes, rows 360 apart.
    const int rowTop[] = {120, 480, 840, 1200};
    b.label(this, QStringLiteral("Name Of Facility"), 210, rowTop[0], 1485, 315);
    txtFacilityName = b.textBox(this, QStringLiteral("txtFacilityName"), 1740, rowTop[0], 4845, 315, 0);
    b.label(this, QStringLiteral("Street Address"), 210, rowTop[1], 1485, 315);
    txtStreetAddress = b.textBox(this, QStringLiteral("txtStreetAddress"), 1740, rowTop[1], 4845, 315, 100);
    b.label(this, QStringLiteral("Municipality"), 210, rowTop[2], 1485, 315);
    txtMunicipality = b.textBox(this, QStringLiteral("txtMunicipality"), 1740, rowTop[2], 4845, 315, 100);
    b.label(this, QStringLiteral("Province"), 210, rowTop[3], 1485, 315);
    txtProvince = b.textBox(this, QStringLiteral("txtProvince"), 1740, rowTop[3], 4845, 315, 100);
    b.label(this, QStringLiteral("Region"), 7995, rowTop[0], 1440, 315);
    txtRegion = b.textBox(this, QStringLiteral("txtRegion"), 9480, rowTop[0], 4845, 315, 50);
    b.label(this, QStringLiteral("Email Address"), 7995, rowTop[1], 1440, 315);
    txtEmailAddress = b.textBox(this, QStringLiteral("txtEmailAddress"), 9480, rowTop[1], 4845, 315, 200);
    b.label(this, QStringLiteral("Contact No."), 7995, rowTop[2], 1440, 315);
    txtContactNo = b.textBox(this, QStringLiteral("txtContactNo"), 9480, rowTop[2], 4845, 315, 100);
    b.label(this, QStringLiteral("Fax No."), 7995, rowTop[3], 1440, 315);
    txtFaxNo = b.textBox(this, QStringLiteral("txtFaxNo"), 9480, rowTop[3], 4845, 315, 100);

    // Kept with the record but not shown: beyond the right edge.
    lblCompleteAddress = b.label(this, QStringLiteral("Complete Address"), 14700, rowTop[0], 1485, 315);
    lblCompleteAddress->setObjectName(QStringLiteral("lblCompleteAddress"));
    txtCompleteAddress = b.textBox(this, QStringLiteral("txtCompleteAddress"), 16230, rowTop[0], 4845, 315, 0);
    QPalette grey = txtCompleteAddress->palette();
    grey.setColor(QPalette::Base, grey.color(QPalette::Button));
    txtCompleteAddress->setPalette(grey);
    lblCompleteAddress->hide();
    txtCompleteAddress->hide();

    // Classification: one check box a row; the four facility kinds are shown
    // as loaded but cannot be changed.
    fraClassification = b.group(QStringLiteral("Classification"), 210, 1710, 5505, 3195);
    fraClassification->setObjectName(QStringLiteral("fraClassification"));
    struct CheckRow
    {
        QCheckBox **box;
        const char *name;
        const char *caption;
    };
    const CheckRow classification[] = {
        {&chkBirthingHome, "chkBirthingHome", "Birthing Home"},
        {&chkInfirmary, "chkInfirmary", "Infirmary"},
        {&chkAcuteChronic, "chkAcuteChronic", "Acute-Chronic Psychiatric Care Facility"},
        {&chkCustodialPsychiatric, "chkCustodialPsychiatric", "Custodial Psychiatric Care Facility"},
        {&chkFirstLevel, "chkFirstLevel", "First Level Referral Hospital/Primary Care"},
        {&chkSecondLevel, "chkSecondLevel", "Second Level Referral Hospital/Secondary Care"},
        {&chkThirdLevel, "chkThirdLevel", "Third Level Referral Hospital/Tertiary Care"},
    };
    int top = 330;
    for (const CheckRow &row : classification) {
        *row.box = b.check(fraClassification, QString::fromLatin1(row.name), QString::fromLatin1(row.caption), 180, top,
                           5205, 285);
        top += 390;
    }
    for (QCheckBox *fixed : {chkBirthingHome, chkInfirmary, chkAcuteChronic, chkCustodialPsychiatric})
        fixed->setEnabled(false);

    // Specialty: four shown options and the two hidden general/special ones,
    // all one exclusive group.
    fraSpecialty = b.group(QStringLiteral("Specialty"), 5760, 1710, 8595, 1665);
    fraSpecialty->setObjectName(QStringLiteral("fraSpecialty"));
    grpSpecialty = b.buttonGroup();
    optParticularDisease = b.option(fraSpecialty, grpSpecialty, QStringLiteral("optParticularDisease"),
                                    QStringLiteral("Treats Particular Disease "), 180, 300, 3975, 285);
    optParticularPatient = b.option(fraSpecialty, grpSpecialty, QStringLiteral("optParticularPatient"),
                                    QStringLiteral("Treats Particular Class of Patient"), 4320, 300, 4095, 285);
    optParticularOrgan = b.option(fraSpecialty, grpSpecialty, QStringLiteral("optParticularOrgan"),
                                  QStringLiteral("Treats Particular Organ"), 180, 660, 3975, 285);
    optOthers = b.option(fraSpecialty, grpSpecialty, QStringLiteral("optOthers"), QStringLiteral("Others"), 4320, 660,
                         4095, 285);
    optGeneral = b.option(fraSpecialty, grpSpecialty, QStringLiteral("optGeneral"), QStringLiteral("General"), 9000,
                          300, 1500, 285);
    optSpecial = b.option(fraSpecialty, grpSpecialty, QStringLiteral("optSpecial"), QStringLiteral("Special, Specify"),
                          9000, 660, 1500, 285);
    optGeneral->hide();
    optSpecial->hide();
    lblSpecialSpecify = b.label(fraSpecialty, QStringLiteral("Specify specialty :"), 180, 1110, 1935, 315, true);
    lblSpecialSpecify->setObjectName(QStringLiteral("lblSpecialSpecify"));
    txtSpecialSpecify = b.textBox(fraSpecialty, QStringLiteral("txtSpecialSpecify"), 2160, 1110, 6255, 315, 100);

    // Trauma capability.
    fraTrauma = b.group(QStringLiteral("Trauma Capability"), 5760, 3360, 8595, 675);
    fraTrauma->setObjectName(QStringLiteral("fraTrauma"));
    grpTrauma = b.buttonGroup();
    optTraumaCapable = b.option(fraTrauma, grpTrauma, QStringLiteral("optTraumaCapable"),
                                QStringLiteral("Trauma Capable"), 180, 300, 3975, 285);
    optTraumaReceiving = b.option(fraTrauma, grpTrauma, QStringLiteral("optTraumaReceiving"),
                                  QStringLiteral("Trauma Receiving"), 4320, 300, 4095, 285);

    // Nature of ownership: government and private columns; the older "other
    // agency" option lies below the group's edge, where the group hides it.
    fraOwnership = b.group(QStringLiteral("Nature Of Ownership"), 5790, 4020, 8595, 2355);
    fraOwnership->setObjectName(QStringLiteral("fraOwnership"));
    grpOwnership = b.buttonGroup();
    lblGovernment = b.label(fraOwnership, QStringLiteral("Government:"), 180, 255, 3900, 255);
    lblPrivate = b.label(fraOwnership, QStringLiteral("Private:"), 4500, 255, 3900, 255);
    const int ownershipTop[] = {540, 870, 1200, 1530, 1860};
    optNational = b.option(fraOwnership, grpOwnership, QStringLiteral("optNational"),
                           QStringLiteral("National - DOH Retained/Renationalized"), 180, ownershipTop[0], 4200, 285);
    optLocal = b.option(fraOwnership, grpOwnership, QStringLiteral("optLocal"), QStringLiteral("Local :"), 180,
                        ownershipTop[1], 915, 285);
    cmbLocal = b.combo(fraOwnership, QStringLiteral("cmbLocal"), 1110, ownershipTop[1] - 15, 2535);
    optDNDDOJ = b.option(fraOwnership, grpOwnership, QStringLiteral("optDNDDOJ"), QStringLiteral("DND / DOJ"), 180,
                         ownershipTop[2], 4200, 285);
    optSUCs = b.option(fraOwnership, grpOwnership, QStringLiteral("optSUCs"),
                       QStringLiteral("State Universities and Colleges ( SUCs )"), 180, ownershipTop[3], 4200, 285);
    optGovOthers = b.option(fraOwnership, grpOwnership, QStringLiteral("optGovOthers"),
                            QStringLiteral("Others ( Specify )"), 180, ownershipTop[4], 1845, 285);
    txtGovOthers = b.textBox(fraOwnership, QStringLiteral("txtGovOthers"), 2040, ownershipTop[4] - 15, 2310, 315, 0);
    optSingleProprietor =
        b.option(fraOwnership, grpOwnership, QStringLiteral("optSingleProprietor"),
                 QStringLiteral("Single Proprietorship/Partnership/Corp"), 4500, ownershipTop[0], 3960, 285);
    optReligious = b.option(fraOwnership, grpOwnership, QStringLiteral("optReligious"), QStringLiteral("Religious"),
                            4500, ownershipTop[1], 3960, 285);
    optCivicOrganization = b.option(fraOwnership, grpOwnership, QStringLiteral("optCivicOrganization"),
                                    QStringLiteral("Civic Organization"), 4500, ownershipTop[2], 3960, 285);
    optFoundation = b.option(fraOwnership, grpOwnership, QStringLiteral("optFoundation"), QStringLiteral("Foundation"),
                             4500, ownershipTop[3], 3960, 285);
    optPrivateOthers = b.option(fraOwnership, grpOwnership, QStringLiteral("optPrivateOthers"),
                                QStringLiteral("Others ( Specify )"), 4500, ownershipTop[4], 1845, 285);
    txtPrivateOthers =
        b.textBox(fraOwnership, QStringLiteral("txtPrivateOthers"), 6360, ownershipTop[4] - 15, 2085, 315, 0);
    optOtherAgency = b.option(fraOwnership, grpOwnership, QStringLiteral("optOtherAgency"),
                              QStringLiteral("Others ( Specify )"), 180, 2460, 1845, 285);
    txtOtherAgencySpecify =
        b.textBox(fraOwnership, QStringLiteral("txtOtherAgencySpecify"), 2040, 2445, 2310, 315, 100);
    // Hidden as well, so the Tab key never lands in a box nobody can see.
    optOtherAgency->hide();
    txtOtherAgencySpecify->hide();

    // Bed capacity: three right-aligned counts.
    fraBeds = b.group(QStringLiteral("Bed Capacity / Occupancy"), 210, 4890, 5505, 1515);
    fraBeds->setObjectName(QStringLiteral("fraBeds"));
    struct BedRow
    {
        QLineEdit **box;
        const char *name;
        const char *caption;
    };
    const BedRow beds[] = {
        {&txtAuthorizedBed, "txtAuthorizedBed", "Authorized Bed Capacity"},
        {&txtActualBed, "txtActualBed", "Actual / Implementing Beds"},
        {&txtAdditionalBed, "txtAdditionalBed", "Additional Bed Used"},
    };
    top = 330;
    for (const BedRow &row : beds) {
        b.label(fraBeds, QString::fromLatin1(row.caption), 180, top, 2655, 315);
        *row.box = b.textBox(fraBeds, QString::fromLatin1(row.name), 2880, top, 2445, 315, 0);
        (*row.box)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        top += 375;
    }

    // Quality management: a check box with a dot leader, the validity period.
    fraQualityManagement = b.group(QStringLiteral("Quality Management"), 210, 6420, 14175, 1665);
    fraQualityManagement->setObjectName(QStringLiteral("fraQualityManagement"));
    struct QualityRow
    {
        QCheckBox **box;
        QLineEdit **validity;
        const char *name;
        const char *validityName;
        const char *caption;
    };
    const QualityRow quality[] = {
        {&chkISOCertified, &txtISOCertified, "chkISOCertified", "txtISOCertified",
         "ISO Certified (Specify ISO Certifying Body and area(s) of the hospital with Certification)"},
        {&chkIntlAccreditation, &txtIntlAccreditation, "chkIntlAccreditation", "txtIntlAccreditation",
         "International Accreditation"},
        {&chkPhicAccreditation, &txtPhicAccreditation, "chkPhicAccreditation", "txtPhicAccreditation",
         "PhilHealth Accreditation :"},
        {&chkQMPCAHO, &txtQMPCAHO, "chkQMPCAHO", "txtQMPCAHO", "PCAHO"},
    };
    top = 300;
    for (const QualityRow &row : quality) {
        *row.box = b.check(fraQualityManagement, QString::fromLatin1(row.name), QString(), 180, top - 15,
                           kLeaderEnd - 180, 315);
        b.label(fraQualityManagement, QStringLiteral("Validity Period"), 10170, top, 1335, 285);
        *row.validity =
            b.textBox(fraQualityManagement, QString::fromLatin1(row.validityName), 11550, top - 15, 2460, 315, 100);
        top += 330;
    }
    const int phicTextEnd =
        QFontMetrics(chkPhicAccreditation->font()).horizontalAdvance(QStringLiteral("PhilHealth Accreditation : "));
    const int phicIndicator = style()->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, chkPhicAccreditation) +
                              style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, chkPhicAccreditation);
    // The combo sits right after the caption; the dots start after it.
    const int comboLeft = 180 + int(forms::PixelsToTwips(phicIndicator + phicTextEnd));
    cmbPhilAccreditation =
        b.combo(fraQualityManagement, QStringLiteral("cmbPhilAccreditation"), comboLeft, 300 + 2 * 330 - 30, 3000);
    for (const QualityRow &row : quality) {
        int blankUntil = 0;
        if (*row.box == chkPhicAccreditation)
            blankUntil = forms::TwipsToPixels(comboLeft + 3000 - 180) - phicIndicator + 6;
        (*row.box)->setText(DotLeader(*row.box, QString::fromLatin1(row.caption), blankUntil));
        (*row.box)->setToolTip(QString::fromLatin1(row.caption));
    }
    // The combo lies over the caption's blanks and must take the clicks there.
    cmbPhilAccreditation->raise();

    // The older certification items: beyond the right edge, never shown.
    fraOldQualityManagement = b.group(QStringLiteral("Quality Management"), 14700, 6420, 7000, 1665);
    fraOldQualityManagement->setObjectName(QStringLiteral("fraOldQualityManagement"));
    chkCertifiedISO = b.check(fraOldQualityManagement, QStringLiteral("chkCertifiedISO"),
                              QStringLiteral("Certified ISO, Specify"), 180, 300, 2500, 285);
    txtCertifiedISO = b.textBox(fraOldQualityManagement, QStringLiteral("txtCertifiedISO"), 2700, 285, 2000, 315, 100);
    chkPCAHO =
        b.check(fraOldQualityManagement, QStringLiteral("chkPCAHO"), QStringLiteral("PCAHO"), 180, 630, 2500, 285);
    chkOtherCertifying = b.check(fraOldQualityManagement, QStringLiteral("chkOtherCertifying"),
                                 QStringLiteral("Other Certifying Body"), 180, 960, 2500, 285);
    txtOtherCertifyingSpecify =
        b.textBox(fraOldQualityManagement, QStringLiteral("txtOtherCertifyingSpecify"), 2700, 945, 2000, 315, 100);
    txtCertifiedISOValidity =
        b.textBox(fraOldQualityManagement, QStringLiteral("txtCertifiedISOValidity"), 4800, 285, 2000, 315, 100);
    txtPCAHOValidity =
        b.textBox(fraOldQualityManagement, QStringLiteral("txtPCAHOValidity"), 4800, 615, 2000, 315, 100);
    txtOtherCertifyingValidity =
        b.textBox(fraOldQualityManagement, QStringLiteral("txtOtherCertifyingValidity"), 4800, 945, 2000, 315, 100);
    fraOldQualityManagement->hide();

    cmdSave = b.button(QStringLiteral("cmdSave"), QStringLiteral("Save"), 11460, 8220, 1455, 415);
    cmdCancel = b.button(QStringLiteral("cmdCancel"), QStringLiteral("Cancel"), 12930, 8220, 1455, 415);

    const QList<QWidget *> tabOrder = {txtFacilityName,
                                       txtStreetAddress,
                                       txtMunicipality,
                                       txtProvince,
                                       txtRegion,
                                       txtEmailAddress,
                                       txtContactNo,
                                       txtFaxNo,
                                       chkFirstLevel,
                                       chkSecondLevel,
                                       chkThirdLevel,
                                       optParticularDisease,
                                       optParticularPatient,
                                       optParticularOrgan,
                                       optOthers,
                                       txtSpecialSpecify,
                                       optTraumaCapable,
                                       optTraumaReceiving,
                                       optNational,
                                       optLocal,
                                       cmbLocal,
                                       optDNDDOJ,
                                       optSUCs,
                                       optGovOthers,
                                       txtGovOthers,
                                       optSingleProprietor,
                                       optReligious,
                                       optCivicOrganization,
                                       optFoundation,
                                       optPrivateOthers,
                                       txtPrivateOthers,
                                       txtAuthorizedBed,
                                       txtActualBed,
                                       txtAdditionalBed,
                                       chkISOCertified,
                                       txtISOCertified,
                                       chkIntlAccreditation,
                                       txtIntlAccreditation,
                                       chkPhicAccreditation,
                                       cmbPhilAccreditation,
                                       txtPhicAccreditation,
                                       chkQMPCAHO,
                                       txtQMPCAHO,
                                       cmdSave,
                                       cmdCancel};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder.at(i - 1), tabOrder.at(i));
    txtFacilityName->setFocus(Qt::OtherFocusReason);

    connect(cmdSave, &QPushButton::clicked, this, [this] { forms::Guarded([this] { cmdSave_Click(); }); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { reject(); });
}

// ---------------------------------------------------------------------------
// Events

void frmHospitalInfo::cmdSave_Click()
{
    if (!ValidateBedEntries())
        return;
    // A save that did not store everything keeps the form open with the
    // user's edits, to be corrected and saved again.
    if (SaveHospitalInfo())
        accept();
}

void frmHospitalInfo::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmHospitalInfo::done(int result)
{
    // Every way out (save, cancel, close box) releases the shared connection,
    // which stays open for the rest of the program; the next open needs a
    // fresh InitializeForm.
    QDialog::done(result);
    m_connection.reset();
    m_initialized = false;
}
