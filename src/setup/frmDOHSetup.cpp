#include "frmDOHSetup.h"

#include "SetupChecks.h"
#include "SetupStatements.h"

#include "adodb/Recordset.h"
#include "com/ComError.h"
#include "com/Runtime.h"
#include "forms/ErrorTrap.h"
#include "forms/MsgBox.h"
#include "forms/Twips.h"
#include "startup/modCommon.h"
#include "startup/modSysConstants.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

const QString frmDOHSetup::kCaption = QStringLiteral("DOH Setup");
const QString frmDOHSetup::kFirstTimeCaption = QStringLiteral("DOH Setup (First-Time Load)");

namespace {

frmDOHSetup *s_instance = nullptr;

// Runs while the application object still exists, so the dialog is not
// destroyed after the widgets' world has gone.
void destroyInstance()
{
    delete s_instance;
    s_instance = nullptr;
}

const QString kNotification = QStringLiteral("Notification");
const QString kVerification = QStringLiteral("Verification");
const QString kSaveQuestion = QStringLiteral("Do you want to save changes?");

constexpr long kObjectNotSet = 91;

} // namespace

frmDOHSetup &frmDOHSetup::instance()
{
    if (!s_instance) {
        s_instance = new frmDOHSetup;
        qAddPostRoutine(destroyInstance);
    }
    return *s_instance;
}

frmDOHSetup::frmDOHSetup(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("frmDOHSetup"));
    QFont verdana(QStringLiteral("Verdana"));
    verdana.setPointSizeF(8.25);
    setFont(verdana);
    setFixedSize(forms::TwipsToPixels(7035), forms::TwipsToPixels(1995));
    setModal(true);
    buildControls();
}

void frmDOHSetup::InitializeForm(const adodb::ConnectionPtr &connection)
{
    m_connection = connection;
}

void frmDOHSetup::LoadForm()
{
    buildControls();
    // A load that fails is reported; the dialog still opens with what it holds.
    forms::Guarded([this] { LoadSetup(); });
    exec();
}

// ---------------------------------------------------------------------------
// Layout

QLabel *frmDOHSetup::addLabel(const QString &text, int left, int top, int width, int height)
{
    auto *label = new QLabel(text, this);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    forms::PlaceTwips(label, left, top, width, height);
    m_controls.append(label);
    return label;
}

QLineEdit *frmDOHSetup::addTextBox(int left, int top, int width, int height)
{
    auto *box = new QLineEdit(this);
    forms::PlaceTwips(box, left, top, width, height);
    m_controls.append(box);
    return box;
}

QPushButton *frmDOHSetup::addButton(const QString &text, int left, int top, int width, int height)
{
    auto *button = new QPushButton(text, this);
    // Enter in a box presses nothing; only a click or the access key does.
    button->setAutoDefault(false);
    button->setDefault(false);
    forms::PlaceTwips(button, left, top, width, height);
    m_controls.append(button);
    return button;
}

void frmDOHSetup::clearControls()
{
    m_rebuilding = true;
    for (QWidget *control : std::as_const(m_controls)) {
        control->removeEventFilter(this);
        delete control;
    }
    m_controls.clear();
    m_rebuilding = false;
}

void frmDOHSetup::buildControls()
{
    clearControls();
    setWindowTitle(kCaption);

    addLabel(QStringLiteral("Pedia Age <="), 90, 195, 1395, 210);
    txtPediaAge = addTextBox(1530, 150, 885, 315);
    txtPediaAge->setObjectName(QStringLiteral("txtPediaAge"));
    addLabel(QStringLiteral("yrs. old"), 2490, 210, 975, 210);

    addLabel(QStringLiteral("Newborn code"), 90, 562, 1395, 210);
    txtNewBornCode = addTextBox(1530, 510, 885, 315);
    txtNewBornCode->setObjectName(QStringLiteral("txtNewBornCode"));
    cmdNewbornCode = addButton(QStringLiteral("..."), 2460, 510, 435, 345);
    cmdNewbornCode->setObjectName(QStringLiteral("cmdNewbornCode"));

    addLabel(QStringLiteral("Surgery code"), 90, 922, 1395, 210);
    txtSurgeryCode = addTextBox(1530, 870, 885, 315);
    txtSurgeryCode->setObjectName(QStringLiteral("txtSurgeryCode"));
    cmdSurgeryCode = addButton(QStringLiteral("..."), 2460, 870, 435, 345);
    cmdSurgeryCode->setObjectName(QStringLiteral("cmdSurgeryCode"));

    cmdSave = addButton(QStringLiteral("&Save"), 4290, 1500, 1215, 405);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdCancel = addButton(QStringLiteral("&Cancel"), 5550, 1500, 1215, 405);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    txtNewbornDesc = addTextBox(2910, 510, 3825, 315);
    txtNewbornDesc->setObjectName(QStringLiteral("txtNewbornDesc"));
    txtSurgeryDesc = addTextBox(2910, 870, 3825, 315);
    txtSurgeryDesc->setObjectName(QStringLiteral("txtSurgeryDesc"));

    linSeparator = new QFrame(this);
    linSeparator->setObjectName(QStringLiteral("linSeparator"));
    linSeparator->setFrameShape(QFrame::HLine);
    linSeparator->setFrameShadow(QFrame::Sunken);
    forms::PlaceTwips(linSeparator, 60, 1380, 6810 - 60, 30);
    m_controls.append(linSeparator);

    QFont bold = font();
    bold.setBold(true);
    cmdNewbornCode->setFont(bold);
    cmdSurgeryCode->setFont(bold);

    // The descriptions are written by the dialog only, shaded as display boxes.
    for (QLineEdit *display : {txtNewbornDesc, txtSurgeryDesc}) {
        display->setReadOnly(true);
        QPalette shaded = display->palette();
        shaded.setColor(QPalette::Base, shaded.color(QPalette::Button));
        display->setPalette(shaded);
    }

    const QList<QWidget *> tabOrder = {txtPediaAge, txtNewBornCode, cmdNewbornCode, txtSurgeryCode, cmdSurgeryCode,
                                       cmdSave,     cmdCancel,      txtNewbornDesc, txtSurgeryDesc};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder.at(i - 1), tabOrder.at(i));
    txtPediaAge->setFocus(Qt::OtherFocusReason);

    for (QLineEdit *entry : {txtPediaAge, txtNewBornCode, txtSurgeryCode}) {
        entry->installEventFilter(this);
        connect(entry, &QLineEdit::textChanged, this, [this] { m_changed = true; });
    }
    connect(cmdNewbornCode, &QPushButton::clicked, this, [this] {
        forms::Guarded([this] { LookupServiceCode(LookupMode::Pick, txtNewBornCode, txtNewbornDesc); });
    });
    connect(cmdSurgeryCode, &QPushButton::clicked, this, [this] {
        forms::Guarded([this] { LookupServiceCode(LookupMode::Pick, txtSurgeryCode, txtSurgeryDesc); });
    });
    connect(cmdSave, &QPushButton::clicked, this, [this] { forms::Guarded([this] { SaveSetup(); }); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { forms::Guarded([this] { cancelClicked(); }); });
}

// ---------------------------------------------------------------------------
// Events

bool frmDOHSetup::eventFilter(QObject *watched, QEvent *event)
{
    if (m_rebuilding)
        return QDialog::eventFilter(watched, event);
    auto *box = qobject_cast<QLineEdit *>(watched);
    if (box && event->type() == QEvent::FocusIn) {
        modCommon::SelectAllText(box);
        // A mouse press that brought the focus would place the caret after
        // this; select again once it has been handled.
        QTimer::singleShot(0, box, [box] {
            if (box->hasFocus())
                modCommon::SelectAllText(box);
        });
    } else if (box && event->type() == QEvent::FocusOut) {
        // Focus that leaves with the window (another window, a message box,
        // closing) has not left the box for another control.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !m_closing) {
            if (box == txtNewBornCode)
                forms::Guarded([this] { LookupServiceCode(LookupMode::Refresh, txtNewBornCode, txtNewbornDesc); });
            else if (box == txtSurgeryCode)
                forms::Guarded([this] { LookupServiceCode(LookupMode::Refresh, txtSurgeryCode, txtSurgeryDesc); });
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmDOHSetup::keyPressEvent(QKeyEvent *event)
{
    // Escape is the Cancel button, with its questions, not a silent close.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmDOHSetup::done(int result)
{
    // Every way out (save, cancel, close box) releases the shared connection;
    // it stays open for the rest of the program.
    m_closing = true;
    QDialog::done(result);
    m_closing = false;
    m_connection.reset();
}

void frmDOHSetup::unloadForm()
{
    done(QDialog::Rejected);
}

void frmDOHSetup::requireConnection() const
{
    if (!m_connection)
        throw com::ComError(kObjectNotSet, QStringLiteral("Object variable or With block variable not set"),
                            objectName());
}

// ---------------------------------------------------------------------------
// Operations

void frmDOHSetup::LoadSetup()
{
    requireConnection();
    setup::SetupValues values;
    if (!setup::LoadSetupValues(*m_connection, values)) {
        setWindowTitle(kFirstTimeCaption);
        values = setup::FirstTimeSetup();
        txtPediaAge->setText(values.pediaAge);
        txtNewBornCode->setText(values.newbornCode);
        txtSurgeryCode->setText(values.surgeryCode);
        m_firstTime = true;
        m_changed = true;
    } else {
        setWindowTitle(kCaption);
        txtPediaAge->setText(values.pediaAge);
        txtNewBornCode->setText(values.newbornCode);
        txtSurgeryCode->setText(values.surgeryCode);
        // The record exists now: a "No" must no longer insist on saving.
        m_firstTime = false;
        m_changed = false;
    }

    txtNewbornDesc->setText(GetServiceDescription(txtNewBornCode->text()).description);
    txtSurgeryDesc->setText(GetServiceDescription(txtSurgeryCode->text()).description);
}

frmDOHSetup::ServiceDescription frmDOHSetup::GetServiceDescription(const QString &code)
{
    if (com::Trim(code).isEmpty())
        return {};
    requireConnection();
    return setup::LookUpService(*m_connection, code);
}

void frmDOHSetup::LookupServiceCode(LookupMode mode, QLineEdit *codeBox, QLineEdit *descriptionBox)
{
    if (mode == LookupMode::Refresh) {
        descriptionBox->setText(GetServiceDescription(codeBox->text()).description);
        return;
    }
    const auto &search = modSysConstants::pobjCodeSearch;
    if (!search)
        throw com::ComError(kObjectNotSet, QStringLiteral("Object variable or With block variable not set"),
                            objectName());
    const com::Variant picked = search->SearchListing(9, QString());
    if (picked.isNull() || !picked.toBool())
        return;
    const codesearch::ServiceRecord &record = search->getServiceRecord();
    codeBox->setText(record.ResultCode.toText());
    m_changed = true; // a picked code is an edit even when it is the same text
    descriptionBox->setText(record.Service.toText());
}

bool frmDOHSetup::ValidateSetup()
{
    const setup::SetupMistakes found =
        setup::CheckSetup(txtPediaAge->text(), txtNewBornCode->text(), txtSurgeryCode->text(),
                          [this](const QString &code) { return GetServiceDescription(code); });
    if (!found.message.isEmpty()) {
        forms::MsgBox(found.message, forms::vbOKOnly, kNotification);
        if (found.ageWrong)
            txtPediaAge->setFocus(Qt::OtherFocusReason);
        return false;
    }
    return true;
}

void frmDOHSetup::SaveSetup()
{
    if (!ValidateSetup())
        return;
    requireConnection();
    const std::optional<QString> age = setup::AgeArgument(txtPediaAge->text());
    m_connection->Execute(
        setup::SaveSetupStatement(age.value_or(QString()), txtNewBornCode->text(), txtSurgeryCode->text()));
    forms::MsgBox(QStringLiteral("Setting was updated."), forms::vbOKOnly, kNotification);
    unloadForm();
}

void frmDOHSetup::cancelClicked()
{
    if (!m_changed) {
        unloadForm();
        return;
    }
    switch (forms::MsgBox(kSaveQuestion, forms::vbYesNoCancel, kVerification)) {
    case forms::vbYes:
        SaveSetup();
        return;
    case forms::vbNo:
        break;
    default: // Cancel: keep editing
        return;
    }
    if (!m_firstTime) {
        unloadForm();
        return;
    }
    const QString insist =
        QStringLiteral("You really need to save the setup for this program to run properly.\r\n") + kSaveQuestion;
    if (forms::MsgBox(insist, forms::vbYesNo, kVerification) == forms::vbYes)
        SaveSetup();
    else
        unloadForm();
}
