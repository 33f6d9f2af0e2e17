#include "clsCurrentUser.h"

#include "SignInDialog.h"
#include "UserAccounts.h"

#include "adodb/OdbcBackend.h"
#include "com/ComError.h"
#include "embedded/EmbeddedBackend.h"
#include "embedded/Store.h"
#include "forms/MousePointer.h"
#include "forms/MsgBox.h"

#include <QComboBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QSettings>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace session {

namespace {

const QString kGroup = QStringLiteral("Session");
const QString kKindKey = QStringLiteral("Database");
const QString kFolderKey = QStringLiteral("StoreFolder");
const QString kServerKey = QStringLiteral("Server");
const QString kLoginKey = QStringLiteral("Login");
const QString kStoreUserKey = QStringLiteral("StoreUser");
const QString kEmbeddedValue = QStringLiteral("Embedded");
const QString kSqlServerValue = QStringLiteral("SqlServer");

std::unique_ptr<QSettings> openSettings(const QString &file)
{
    if (file.isEmpty())
        return std::make_unique<QSettings>();
    return std::make_unique<QSettings>(file, QSettings::IniFormat);
}

// Waits with the event loop running, so the disabled dialog still repaints.
void waitRunningEvents(std::chrono::milliseconds delay)
{
    QEventLoop loop;
    QTimer::singleShot(delay, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

clsCurrentUser::clsCurrentUser()
    : m_connection(std::make_shared<adodb::Connection>())
    , m_now([] { return QDateTime::currentDateTimeUtc(); })
    , m_pause(waitRunningEvents)
    , m_openSqlServer([](const adodb::SqlServerLogon &logon) { return std::make_unique<adodb::OdbcBackend>(logon); })
{}

clsCurrentUser::~clsCurrentUser() = default;

std::chrono::milliseconds clsCurrentUser::delayAfterFailure(int failures)
{
    return std::chrono::seconds(std::clamp(failures, 1, 10));
}

void clsCurrentUser::ShowMain()
{
    SignInDialog dialog;
    if (m_pickFolder)
        dialog.setFolderPicker(m_pickFolder);
    loadChoice(dialog);

    // A store without accounts asks for the first administrator straight away.
    if (dialog.databaseKind() == SignInDialog::EmbeddedStore) {
        const QString folder = dialog.txtStoreFolder->text().trimmed();
        if (!folder.isEmpty() && embedded::Store::exists(folder)) {
            try {
                embedded::Store store(folder, embedded::Store::OpenMode::MustExist);
                dialog.setFirstAdministratorMode(!UserAccounts(store).hasUsers());
            } catch (const std::exception &) {
                // The store cannot be read now; OK reports why.
            }
        }
    }

    m_failures = 0;
    dialog.setAttempt([this, &dialog] { return attempt(dialog); });
    if (m_dialogHook)
        m_dialogHook(dialog);
    const bool signedIn = dialog.exec() == QDialog::Accepted;
    m_connected = com::Variant(signedIn);
}

bool clsCurrentUser::attempt(SignInDialog &dialog)
{
    return dialog.databaseKind() == SignInDialog::SqlServer ? attemptSqlServer(dialog) : attemptEmbedded(dialog);
}

bool clsCurrentUser::attemptEmbedded(SignInDialog &dialog)
{
    const QString folder = dialog.txtStoreFolder->text().trimmed();
    if (folder.isEmpty()) {
        forms::MsgBox(QStringLiteral("Choose the folder of the store."), forms::vbExclamation);
        return false;
    }
    if (!embedded::Store::exists(folder)) {
        if (forms::MsgBox(
                QStringLiteral("No store was found in the folder '%1'. Create an empty store there?").arg(folder),
                forms::vbYesNo | forms::vbQuestion) != forms::vbYes)
            return false;
        embedded::Store created(folder, embedded::Store::OpenMode::CreateIfMissing);
    }

    if (const QString refusal = storeWriteRefusal(folder); !refusal.isEmpty()) {
        forms::MsgBox(refusal, forms::vbExclamation);
        return false;
    }
    auto backend = std::make_unique<embedded::EmbeddedBackend>(folder);
    UserAccounts accounts(backend->store());
    const QString name = dialog.txtUserName->text().trimmed();
    const QString password = dialog.txtPassword->text();

    if (!accounts.hasUsers()) {
        if (!dialog.firstAdministratorMode()) {
            dialog.setFirstAdministratorMode(true);
            dialog.clearPasswords();
            forms::MsgBox(QStringLiteral("This store has no user yet. Create the first administrator account."),
                          forms::vbInformation);
            return false;
        }
        if (password != dialog.txtConfirm->text()) {
            dialog.clearPasswords();
            forms::MsgBox(QStringLiteral("The two passwords differ. Type the password twice."), forms::vbExclamation);
            return false;
        }
        try {
            accounts.addUser({name, password, true, m_deptCode, true});
        } catch (const com::ComError &e) {
            dialog.clearPasswords();
            forms::MsgBox(e.description(), forms::vbExclamation);
            return false;
        }
        dialog.setFirstAdministratorMode(false);
    } else if (dialog.firstAdministratorMode()) {
        // Another folder was chosen, and it has accounts: an ordinary sign-in.
        dialog.setFirstAdministratorMode(false);
    }

    const SignInVerdict verdict = accounts.signIn(name, password, m_deptCode, m_now());
    if (verdict != SignInVerdict::Accepted) {
        refuse(dialog, verdictMessage(verdict));
        return false;
    }
    m_connection->Open(std::move(backend));
    m_serverName = folder;
    m_userID = name;
    m_serverPassword.clear(); // the store's files need no password
    saveChoice(dialog);
    return true;
}

bool clsCurrentUser::attemptSqlServer(SignInDialog &dialog)
{
    adodb::SqlServerLogon logon;
    logon.server = dialog.txtServer->text().trimmed();
    logon.user = dialog.txtUserName->text().trimmed();
    logon.password = dialog.txtPassword->text();
    logon.loginTimeout = m_connection->ConnectionTimeout();
    if (logon.server.isEmpty()) {
        forms::MsgBox(QStringLiteral("Type the name of the SQL Server."), forms::vbExclamation);
        return false;
    }
    std::unique_ptr<adodb::Backend> backend;
    {
        forms::SetMousePointer(&dialog, forms::MousePointer::Hourglass);
        try {
            backend = m_openSqlServer(logon);
        } catch (const adodb::BackendError &e) {
            forms::SetMousePointer(&dialog, forms::MousePointer::Default);
            refuse(dialog, e.message());
            return false;
        }
        forms::SetMousePointer(&dialog, forms::MousePointer::Default);
    }
    m_connection->Open(std::move(backend));
    m_serverName = logon.server;
    m_userID = logon.user;
    m_serverPassword = logon.password;
    saveChoice(dialog);
    return true;
}

void clsCurrentUser::refuse(SignInDialog &dialog, const QString &message)
{
    ++m_failures;
    dialog.setWaiting(true);
    m_pause(delayAfterFailure(m_failures));
    dialog.setWaiting(false);
    dialog.clearPasswords();
    forms::MsgBox(message, forms::vbExclamation);
}

void clsCurrentUser::loadChoice(SignInDialog &dialog)
{
    auto settings = openSettings(m_settingsFile);
    settings->beginGroup(kGroup);
    const bool sqlServer = settings->value(kKindKey).toString() == kSqlServerValue;
    dialog.txtStoreFolder->setText(settings->value(kFolderKey, embedded::Store::defaultFolder()).toString());
    dialog.txtServer->setText(settings->value(kServerKey).toString());
    // The last user name of the kind last used; the password is typed anew.
    dialog.txtUserName->setText(settings->value(sqlServer ? kLoginKey : kStoreUserKey).toString());
    dialog.setDatabaseKind(sqlServer ? SignInDialog::SqlServer : SignInDialog::EmbeddedStore);
    if (!dialog.txtUserName->text().isEmpty())
        dialog.txtPassword->setFocus();
}

void clsCurrentUser::saveChoice(const SignInDialog &dialog)
{
    auto settings = openSettings(m_settingsFile);
    settings->beginGroup(kGroup);
    if (dialog.databaseKind() == SignInDialog::SqlServer) {
        settings->setValue(kKindKey, kSqlServerValue);
        settings->setValue(kServerKey, dialog.txtServer->text().trimmed());
        settings->setValue(kLoginKey, dialog.txtUserName->text().trimmed());
    } else {
        settings->setValue(kKindKey, kEmbeddedValue);
        settings->setValue(kFolderKey, dialog.txtStoreFolder->text().trimmed());
        settings->setValue(kStoreUserKey, dialog.txtUserName->text().trimmed());
    }
}

void RegisterComponents()
{
    com::RegisterProgID(kProgID, [] { return std::make_shared<clsCurrentUser>(); });
}

} // namespace session
