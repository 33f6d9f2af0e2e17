#include "session/SignInDialog.h"
#include "session/UserAccounts.h"
#include "session/clsCurrentUser.h"

#include "adodb/OdbcBackend.h"
#include "com/CreateObject.h"
#include "embedded/Store.h"
#include "support/ScriptedMessageBox.h"
#include "support/StatementLog.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>

#include <optional>

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>

namespace {

using testing_support::ScopedMessageBox;
using testing_support::TempStore;
using namespace std::chrono_literals;

const QString kDept = QStringLiteral("D");
const QString kPassword = QStringLiteral("correct horse");
const QString kWrongCredentials = QStringLiteral("The user name or the password is not correct.");

class Session : public ::testing::Test
{
protected:
    void SetUp() override
    {
        session::setPasswordCost(session::minimumCost());
        user.setPasswordDeptCode(kDept);
        user.setSettingsFile(settingsDir.filePath(QStringLiteral("velmora.ini")));
        user.setPause([this](std::chrono::milliseconds ms) { pauses.append(ms); });
        user.setClock([this] { return now; });
        QSettings settings(settingsDir.filePath(QStringLiteral("velmora.ini")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("Session/StoreFolder"), store.folder());
    }
    void TearDown() override { session::setPasswordCost(session::interactiveCost()); }

    void addUser(const QString &name, bool active = true, const QString &departments = kDept)
    {
        session::UserAccounts(store.store()).addUser({name, kPassword, false, departments, active});
    }

    // Runs ShowMain; script gets the dialog once it is shown and must end it.
    void signIn(std::function<void(session::SignInDialog &)> script)
    {
        user.setDialogHook([script](session::SignInDialog &dialog) {
            QTimer::singleShot(0, &dialog, [script, &dialog] {
                script(dialog);
                if (dialog.isVisible())
                    dialog.reject();
            });
        });
        user.ShowMain();
    }

    static void typeAndClick(session::SignInDialog &dialog, const QString &name, const QString &password)
    {
        dialog.txtUserName->setText(name);
        dialog.txtPassword->setText(password);
        dialog.cmdOK->click();
    }

    QString settingsText() const
    {
        QFile file(settingsDir.filePath(QStringLiteral("velmora.ini")));
        file.open(QIODevice::ReadOnly);
        return QString::fromUtf8(file.readAll());
    }

    TempStore store;
    QTemporaryDir settingsDir;
    session::clsCurrentUser user;
    QList<std::chrono::milliseconds> pauses;
    QDateTime now = QDateTime(QDate(2026, 12, 8), QTime(9, 0), Qt::UTC);
    ScopedMessageBox box;
};

TEST_F(Session, ConnectedIsNullBeforeSignInAndTheConnectionIsAlwaysTheSame)
{
    EXPECT_TRUE(user.Connected().isNull());
    EXPECT_EQ(user.sqlconnection(), user.sqlconnection());
    EXPECT_EQ(user.sqlconnection()->State(), adodb::adStateClosed);
}

TEST_F(Session, TheRightUserSignsInAndTheSameConnectionOpens)
{
    addUser(QStringLiteral("records"));
    const adodb::ConnectionPtr before = user.sqlconnection();
    before->setConnectionTimeout(240);
    bool firstAdministratorAsked = true;
    signIn([&](session::SignInDialog &dialog) {
        firstAdministratorAsked = dialog.firstAdministratorMode();
        EXPECT_EQ(dialog.txtStoreFolder->text(), store.folder());
        typeAndClick(dialog, QStringLiteral("Records"), kPassword); // names ignore case
    });
    EXPECT_FALSE(firstAdministratorAsked);
    ASSERT_FALSE(user.Connected().isNull());
    EXPECT_TRUE(user.Connected().toBool());
    EXPECT_EQ(user.sqlconnection(), before);
    EXPECT_EQ(before->State(), adodb::adStateOpen);
    EXPECT_EQ(before->ConnectionTimeout(), 240);
    EXPECT_EQ(user.ServerName(), store.folder());
    EXPECT_EQ(user.UserID(), QStringLiteral("Records"));
    EXPECT_TRUE(box->shown().isEmpty());
    EXPECT_TRUE(pauses.isEmpty());
    // The open connection reaches the store.
    before->Execute(QStringLiteral("SELECT COMPANY, ADDRESS1 FROM Patient_Data..tbHospitalInfo"));
    // The choice is remembered, the password is not.
    EXPECT_TRUE(settingsText().contains(QStringLiteral("Embedded")));
    EXPECT_FALSE(settingsText().contains(kPassword));
}

TEST_F(Session, WrongPasswordsAreRefusedWithAGrowingDelayAndACancelEndsSilently)
{
    addUser(QStringLiteral("records"));
    QStringList passwordsAfter;
    signIn([&](session::SignInDialog &dialog) {
        for (int i = 0; i < 3; ++i) {
            typeAndClick(dialog, QStringLiteral("records"), QStringLiteral("wrong password"));
            passwordsAfter.append(dialog.txtPassword->text());
            EXPECT_TRUE(dialog.isVisible());
        }
        dialog.cmdCancel->click();
    });
    EXPECT_EQ(box->prompts(), QStringList(3, kWrongCredentials));
    EXPECT_EQ(box->shown().first().icon(), forms::vbExclamation);
    EXPECT_EQ(passwordsAfter, QStringList(3, QString()));
    EXPECT_EQ(pauses, (QList<std::chrono::milliseconds>{1000ms, 2000ms, 3000ms}));
    EXPECT_FALSE(user.Connected().isNull());
    EXPECT_FALSE(user.Connected().toBool());
    EXPECT_EQ(user.sqlconnection()->State(), adodb::adStateClosed);
}

// The next sign-in offers the last user name; a wrong password's pause says so.
TEST_F(Session, OffersTheLastUserNameAndSaysPleaseWaitDuringThePause)
{
    addUser(QStringLiteral("records"));
    signIn([&](session::SignInDialog &dialog) { typeAndClick(dialog, QStringLiteral("Records"), kPassword); });
    session::SignInDialog *shown = nullptr;
    QStringList seen;
    user.setPause([&](std::chrono::milliseconds) {
        seen << shown->lblWait->text() << QString::number(shown->lblWait->isVisibleTo(shown))
             << QString::number(shown->cmdOK->isEnabled() || shown->txtPassword->isEnabled());
    });
    signIn([&](session::SignInDialog &dialog) {
        shown = &dialog;
        seen << dialog.txtUserName->text() << QString::number(dialog.focusWidget() == dialog.txtPassword);
        typeAndClick(dialog, dialog.txtUserName->text(), QStringLiteral("wrong password"));
        seen << QString::number(dialog.lblWait->isVisibleTo(&dialog)) << QString::number(dialog.cmdOK->isEnabled());
    });
    EXPECT_EQ(seen, (QStringList{QStringLiteral("Records"), QStringLiteral("1"), QStringLiteral("Please wait\u2026"),
                                 QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("0"), QStringLiteral("1")}));
}

TEST_F(Session, AnUnknownUserGetsTheSameMessageAsAWrongPassword)
{
    addUser(QStringLiteral("records"));
    signIn([&](session::SignInDialog &dialog) { typeAndClick(dialog, QStringLiteral("nobody"), kPassword); });
    EXPECT_EQ(box->prompts(), QStringList{kWrongCredentials});
    EXPECT_FALSE(user.Connected().toBool());
}

TEST_F(Session, AnInactiveUserIsRefused)
{
    addUser(QStringLiteral("retired"), false);
    signIn([&](session::SignInDialog &dialog) { typeAndClick(dialog, QStringLiteral("retired"), kPassword); });
    EXPECT_EQ(box->prompts(),
              QStringList{QStringLiteral("This account is not active. Ask an administrator to activate it.")});
    EXPECT_FALSE(user.Connected().toBool());
}

TEST_F(Session, AUserWithoutTheDepartmentIsRefused)
{
    addUser(QStringLiteral("billing"), true, QStringLiteral("BX"));
    signIn([&](session::SignInDialog &dialog) { typeAndClick(dialog, QStringLiteral("billing"), kPassword); });
    EXPECT_EQ(box->prompts(), QStringList{QStringLiteral("This account may not use the DOH reports.")});
    EXPECT_FALSE(user.Connected().toBool());
}

TEST_F(Session, AnEmptyStoreAsksForTheFirstAdministrator)
{
    bool asked = false;
    signIn([&](session::SignInDialog &dialog) {
        asked = dialog.firstAdministratorMode() && dialog.txtConfirm->isVisibleTo(&dialog);
        dialog.txtUserName->setText(QStringLiteral("admin"));
        dialog.txtPassword->setText(QStringLiteral("short"));
        dialog.txtConfirm->setText(QStringLiteral("short"));
        dialog.cmdOK->click();
        dialog.txtPassword->setText(QStringLiteral("administrator 1"));
        dialog.txtConfirm->setText(QStringLiteral("administrator 2"));
        dialog.cmdOK->click();
        dialog.txtPassword->setText(QStringLiteral("administrator 1"));
        dialog.txtConfirm->setText(QStringLiteral("administrator 1"));
        dialog.cmdOK->click();
    });
    EXPECT_TRUE(asked);
    EXPECT_EQ(box->prompts(), (QStringList{QStringLiteral("The password must have at least 10 characters."),
                                           QStringLiteral("The two passwords differ. Type the password twice.")}));
    EXPECT_TRUE(user.Connected().toBool());
    EXPECT_EQ(user.UserID(), QStringLiteral("admin"));
    QSqlQuery q = embedded::sql::exec(
        store.store().database(),
        QStringLiteral("SELECT IsAdministrator, IsActive, Departments, PasswordHash FROM PASSWORD.tbVelmoraUser"));
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toInt(), 1);
    EXPECT_EQ(q.value(1).toInt(), 1);
    EXPECT_EQ(q.value(2).toString(), kDept);
    EXPECT_TRUE(q.value(3).toString().startsWith(QStringLiteral("$argon2id$")));
    EXPECT_FALSE(q.next());
}

TEST_F(Session, AFolderWithoutAStoreIsCreatedOnRequestAndAsksForTheFirstAdministrator)
{
    addUser(QStringLiteral("records")); // the remembered store has accounts
    QTemporaryDir elsewhere;
    const QString folder = elsewhere.filePath(QStringLiteral("newstore"));
    box->answer(forms::vbYes);
    bool askedAfterCreation = false;
    signIn([&](session::SignInDialog &dialog) {
        dialog.txtStoreFolder->setText(folder);
        typeAndClick(dialog, QStringLiteral("admin"), QStringLiteral("administrator 1"));
        askedAfterCreation = dialog.firstAdministratorMode();
    });
    ASSERT_EQ(box->shown().size(), 2);
    EXPECT_EQ(box->shown().at(0).prompt,
              QStringLiteral("No store was found in the folder '%1'. Create an empty store there?").arg(folder));
    EXPECT_EQ(box->shown().at(0).buttons(), forms::vbYesNo);
    EXPECT_EQ(box->shown().at(1).prompt,
              QStringLiteral("This store has no user yet. Create the first administrator account."));
    EXPECT_TRUE(askedAfterCreation);
    EXPECT_TRUE(embedded::Store::exists(folder));
    EXPECT_FALSE(user.Connected().toBool());
}

TEST_F(Session, TheBrowseButtonPutsThePickedFolderInTheBox)
{
    user.setFolderPicker([](QWidget *, const QString &) { return QStringLiteral("/srv/velmora/store"); });
    QString shown;
    signIn([&](session::SignInDialog &dialog) {
        dialog.cmdBrowse->click();
        shown = dialog.txtStoreFolder->text();
    });
    EXPECT_EQ(shown, QStringLiteral("/srv/velmora/store"));
}

TEST_F(Session, ASqlServerChoiceThatCannotConnectIsRefusedAndForgetsThePassword)
{
    QString passwordAfter = QStringLiteral("unset");
    signIn([&](session::SignInDialog &dialog) {
        dialog.setDatabaseKind(session::SignInDialog::SqlServer);
        dialog.txtServer->setText(QString());
        typeAndClick(dialog, QStringLiteral("sa"), QStringLiteral("secret"));
        passwordAfter = dialog.txtPassword->text();
    });
    EXPECT_EQ(box->prompts(), QStringList{QStringLiteral("Type the name of the SQL Server.")});
    EXPECT_FALSE(user.Connected().toBool());
    EXPECT_FALSE(settingsText().contains(QStringLiteral("secret")));
}

TEST_F(Session, ASqlServerSignInOpensTheSharedConnectionAndRemembersTheServerButNotThePassword)
{
    QTemporaryDir odbcDir;
    std::optional<adodb::SqlServerLogon> asked;
    user.setSqlServerOpener([&](const adodb::SqlServerLogon &logon) {
        asked = logon;
        // A real ODBC connection (SQLite's driver) in place of the server.
        adodb::OdbcConnectSettings sqlite;
        sqlite.connectionString =
            QStringLiteral("DRIVER={SQLite3};Database=%1;").arg(odbcDir.filePath(QStringLiteral("s.db")));
        return std::make_unique<adodb::OdbcBackend>(sqlite);
    });
    user.sqlconnection()->setConnectionTimeout(240);
    signIn([&](session::SignInDialog &dialog) {
        dialog.setDatabaseKind(session::SignInDialog::SqlServer);
        dialog.txtServer->setText(QStringLiteral(" db01\\ORVANT "));
        typeAndClick(dialog, QStringLiteral("records"), QStringLiteral("p;w}=1"));
    });
    ASSERT_TRUE(asked.has_value());
    EXPECT_EQ(asked->server, QStringLiteral("db01\\ORVANT"));
    EXPECT_EQ(asked->user, QStringLiteral("records"));
    EXPECT_EQ(asked->password, QStringLiteral("p;w}=1"));
    EXPECT_EQ(asked->loginTimeout, 240);
    EXPECT_TRUE(user.Connected().toBool());
    EXPECT_EQ(user.ServerName(), QStringLiteral("db01\\ORVANT"));
    EXPECT_EQ(user.ServerPassword(), QStringLiteral("p;w}=1"));
    user.sqlconnection()->Execute(QStringLiteral("CREATE TABLE tbReached (x int)"));
    EXPECT_TRUE(settingsText().contains(QStringLiteral("SqlServer")));
    EXPECT_TRUE(settingsText().contains(QStringLiteral("Login=records")));
    EXPECT_FALSE(settingsText().contains(QStringLiteral("p;w")));
}

TEST_F(Session, ASqlServerThatCannotBeReachedIsRefusedWithFreeTdsMessage)
{
    signIn([&](session::SignInDialog &dialog) {
        dialog.setDatabaseKind(session::SignInDialog::SqlServer);
        dialog.txtServer->setText(QStringLiteral("127.0.0.1,1")); // nothing listens there
        typeAndClick(dialog, QStringLiteral("records"), QStringLiteral("secret"));
        EXPECT_TRUE(dialog.txtPassword->text().isEmpty());
    });
    EXPECT_EQ(box->prompts(),
              QStringList{QStringLiteral("Unable to connect: Adaptive Server is unavailable or does not exist")});
    EXPECT_EQ(pauses, QList<std::chrono::milliseconds>{1000ms});
    EXPECT_FALSE(user.Connected().toBool());
    EXPECT_FALSE(settingsText().contains(QStringLiteral("127.0.0.1")));
}

TEST_F(Session, IsRegisteredUnderItsProgID)
{
    session::RegisterComponents();
    auto created = com::CreateObjectAs<session::CurrentUser>(session::kProgID);
    EXPECT_NE(dynamic_cast<session::clsCurrentUser *>(created.get()), nullptr);
    com::UnregisterProgID(session::kProgID);
}

// The account rules without the dialog.
class Accounts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        session::setPasswordCost(session::minimumCost());
        session::UserAccounts(store.store()).addUser({QStringLiteral("records"), kPassword, false, kDept, true});
    }
    void TearDown() override { session::setPasswordCost(session::interactiveCost()); }
    session::SignInVerdict signIn(const QString &password, const QDateTime &at)
    {
        return session::UserAccounts(store.store()).signIn(QStringLiteral("records"), password, kDept, at);
    }
    TempStore store;
    QDateTime t0 = QDateTime(QDate(2026, 12, 8), QTime(9, 0), Qt::UTC);
};

TEST_F(Accounts, FiveFailuresInARowLockTheAccountForAMinute)
{
    using V = session::SignInVerdict;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(signIn(QStringLiteral("wrong"), t0), V::WrongCredentials);
    EXPECT_EQ(signIn(QStringLiteral("wrong"), t0), V::LockedOut);
    EXPECT_EQ(signIn(kPassword, t0.addSecs(59)), V::LockedOut);
    EXPECT_EQ(signIn(kPassword, t0.addSecs(60)), V::Accepted);
}

TEST_F(Accounts, ASuccessClearsTheFailureCount)
{
    using V = session::SignInVerdict;
    for (int i = 0; i < 4; ++i)
        signIn(QStringLiteral("wrong"), t0);
    EXPECT_EQ(signIn(kPassword, t0), V::Accepted);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(signIn(QStringLiteral("wrong"), t0), V::WrongCredentials);
}

TEST_F(Accounts, NamesAreUniqueIgnoringCaseAndPasswordsAreNotStored)
{
    try {
        session::UserAccounts(store.store()).addUser({QStringLiteral("RECORDS"), kPassword, false, kDept, true});
        FAIL() << "a second account of the same name was added";
    } catch (const com::ComError &e) {
        EXPECT_EQ(e.description(), QStringLiteral("The user name 'RECORDS' is already taken."));
    }
    QSqlQuery q = embedded::sql::exec(store.store().database(),
                                      QStringLiteral("SELECT PasswordHash FROM PASSWORD.tbVelmoraUser"));
    ASSERT_TRUE(q.next());
    EXPECT_FALSE(q.value(0).toString().contains(kPassword));
    EXPECT_TRUE(session::VerifyPassword(q.value(0).toString(), kPassword));
    EXPECT_FALSE(session::VerifyPassword(q.value(0).toString(), kPassword + QLatin1Char(' ')));
}

} // namespace
