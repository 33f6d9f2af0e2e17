#include "startup/modSysConstants.h"

#include "codesearch/clsCodeSearch.h"
#include "com/CreateObject.h"
#include "embedded/Store.h"
#include "session/SignInDialog.h"
#include "session/UserAccounts.h"
#include "session/clsCurrentUser.h"
#include "support/ScriptedMessageBox.h"
#include "support/StatementLog.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

namespace {

namespace sys = modSysConstants;

// The whole start-up with the real session and code search components on a
// temporary store; only the build-file window is replaced.
class StartupWithRealComponents : public ::testing::Test
{
protected:
    void SetUp() override
    {
        session::setPasswordCost(session::minimumCost());
        const QString ini = settingsDir.filePath(QStringLiteral("velmora.ini"));
        QSettings(ini, QSettings::IniFormat).setValue(QStringLiteral("Session/StoreFolder"), store.folder());
        com::RegisterProgID(session::kProgID, [this, ini] {
            auto user = std::make_shared<session::clsCurrentUser>();
            user->setSettingsFile(ini);
            user->setPause([](std::chrono::milliseconds) {});
            user->setDialogHook([this](session::SignInDialog &dialog) {
                QTimer::singleShot(0, &dialog, [this, &dialog] {
                    script(dialog);
                    if (dialog.isVisible())
                        dialog.reject();
                });
            });
            created = user;
            return user;
        });
        codesearch::RegisterComponents();
        sys::setBuildFileWindowOpener([this](const adodb::ConnectionPtr &c) {
            opened = c;
            statementsWhenOpened = c->statementLog().statements();
        });
        embedded::sql::exec(store.store().database(),
                            QStringLiteral("INSERT INTO Patient_Data.tbHospitalInfo (HospitalID, Company, Address1) "
                                           "VALUES (1, 'Demo General Hospital', 'Quezon City')"));
    }
    void TearDown() override
    {
        sys::setBuildFileWindowOpener({});
        com::UnregisterProgID(session::kProgID);
        com::UnregisterProgID(codesearch::kProgID);
        session::setPasswordCost(session::interactiveCost());
    }

    testing_support::TempStore store;
    QTemporaryDir settingsDir;
    std::function<void(session::SignInDialog &)> script;
    std::shared_ptr<session::clsCurrentUser> created;
    adodb::ConnectionPtr opened;
    QStringList statementsWhenOpened;
    testing_support::ScopedMessageBox box;
};

TEST_F(StartupWithRealComponents, SignsInAndSendsOnlyTheStartUpStatements)
{
    session::UserAccounts(store.store()).addUser({QStringLiteral("records"), QStringLiteral("records 2026"), false,
                                                  sys::kDepartmentCode, true});
    script = [](session::SignInDialog &dialog) {
        dialog.txtUserName->setText(QStringLiteral("records"));
        dialog.txtPassword->setText(QStringLiteral("records 2026"));
        dialog.cmdOK->click();
    };
    sys::Main();
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(opened, created->sqlconnection());
    EXPECT_EQ(opened->ConnectionTimeout(), 240);
    EXPECT_EQ(statementsWhenOpened,
              (QStringList{QStringLiteral("SELECT COMPANY, ADDRESS1 FROM Patient_Data..tbHospitalInfo"),
                           QStringLiteral("Select * From Patient_Data..tbDOHSetup")}));
    EXPECT_EQ(sys::pstrHospitalName, QStringLiteral("Demo General Hospital"));
    EXPECT_TRUE(box->shown().isEmpty());
}

TEST_F(StartupWithRealComponents, AnEmptyStoreCreatesTheFirstAdministratorThenOpensTheWindow)
{
    script = [](session::SignInDialog &dialog) {
        ASSERT_TRUE(dialog.firstAdministratorMode());
        dialog.txtUserName->setText(QStringLiteral("admin"));
        dialog.txtPassword->setText(QStringLiteral("first admin 1"));
        dialog.txtConfirm->setText(QStringLiteral("first admin 1"));
        dialog.cmdOK->click();
    };
    sys::Main();
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(created->UserID(), QStringLiteral("admin"));
}

TEST_F(StartupWithRealComponents, AWrongPasswordThenCancelEndsWithoutAWindowOrStatement)
{
    session::UserAccounts(store.store()).addUser({QStringLiteral("records"), QStringLiteral("records 2026"), false,
                                                  sys::kDepartmentCode, true});
    script = [](session::SignInDialog &dialog) {
        dialog.txtUserName->setText(QStringLiteral("records"));
        dialog.txtPassword->setText(QStringLiteral("records 2025"));
        dialog.cmdOK->click();
        dialog.cmdCancel->click();
    };
    sys::Main();
    EXPECT_EQ(opened, nullptr);
    EXPECT_TRUE(created->sqlconnection()->statementLog().statements().isEmpty());
    EXPECT_EQ(box->prompts(), QStringList{QStringLiteral("The user name or the password is not correct.")});
}

} // namespace
