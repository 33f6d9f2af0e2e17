#pragma once

#include "CurrentUser.h"

#include "adodb/OdbcBackend.h"

#include <QDateTime>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

class QWidget;

namespace session {

class SignInDialog;

// The session component: ShowMain signs the user in through SignInDialog and
// opens the one shared connection, either on an embedded store (users checked
// against their Argon2id hashes) or on a SQL Server (its own login). The
// connection choice is remembered between runs; passwords never are.
class clsCurrentUser : public CurrentUser
{
public:
    clsCurrentUser();
    ~clsCurrentUser() override;

    adodb::ConnectionPtr sqlconnection() override { return m_connection; }
    void setPasswordDeptCode(const QString &code) override { m_deptCode = code; }
    QString PasswordDeptCode() const override { return m_deptCode; }
    void ShowMain() override;
    com::Variant Connected() const override { return m_connected; }
    QString ServerName() const override { return m_serverName; }
    QString UserID() const override { return m_userID; }
    QString ServerPassword() const override { return m_serverPassword; }

    // Seams: the clock, the pause after a failed sign-in, the folder picker,
    // where the connection choice is remembered (empty: the application's
    // settings) and a look at the dialog once it is up.
    void setClock(std::function<QDateTime()> now) { m_now = std::move(now); }
    void setPause(std::function<void(std::chrono::milliseconds)> pause) { m_pause = std::move(pause); }
    void setFolderPicker(std::function<QString(QWidget *, const QString &)> picker) { m_pickFolder = std::move(picker); }
    void setSettingsFile(const QString &path) { m_settingsFile = path; }
    void setDialogHook(std::function<void(SignInDialog &)> hook) { m_dialogHook = std::move(hook); }
    // How a SQL Server sign-in opens its connection (a seam for tests); by
    // default through ODBC and FreeTDS. Fails with a BackendError.
    using SqlServerOpener = std::function<std::unique_ptr<adodb::Backend>(const adodb::SqlServerLogon &)>;
    void setSqlServerOpener(SqlServerOpener opener) { m_openSqlServer = std::move(opener); }

    // The pause after the n-th failure in a row of one sign-in: n seconds, at most ten.
    static std::chrono::milliseconds delayAfterFailure(int failures);

private:
    bool attempt(SignInDialog &dialog);
    bool attemptEmbedded(SignInDialog &dialog);
    bool attemptSqlServer(SignInDialog &dialog);
    void refuse(SignInDialog &dialog, const QString &message);
    void loadChoice(SignInDialog &dialog);
    void saveChoice(const SignInDialog &dialog);

    adodb::ConnectionPtr m_connection;
    QString m_deptCode;
    com::Variant m_connected;
    QString m_serverName;
    QString m_userID;
    QString m_serverPassword;
    int m_failures = 0;

    std::function<QDateTime()> m_now;
    std::function<void(std::chrono::milliseconds)> m_pause;
    std::function<QString(QWidget *, const QString &)> m_pickFolder;
    QString m_settingsFile;
    std::function<void(SignInDialog &)> m_dialogHook;
    SqlServerOpener m_openSqlServer;
};

// Registers the session component under its ProgID.
void RegisterComponents();

} // namespace session
