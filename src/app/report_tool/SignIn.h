#pragma once

#include "adodb/Connection.h"
#include "session/CurrentUser.h"

#include <QString>

#include <memory>

// Signing in from the command line: the same checks, throttling and
// department as the sign-in dialog, the password from the terminal or the
// environment, never from the command line.
namespace reporttool {

struct Arguments;

// The environment variable a scheduled run passes the password in.
extern const QString kPasswordVariable;

// The signed-in session: the shared connection, and the server and login the
// report tables log on with.
class CommandLineSession : public session::CurrentUser
{
public:
    adodb::ConnectionPtr connection = std::make_shared<adodb::Connection>();
    QString server, user, password;

    adodb::ConnectionPtr sqlconnection() override { return connection; }
    void setPasswordDeptCode(const QString &) override {}
    QString PasswordDeptCode() const override;
    void ShowMain() override {}
    com::Variant Connected() const override;
    QString ServerName() const override { return server; }
    QString UserID() const override { return user; }
    QString ServerPassword() const override { return password; }
};

// Signs the user of the arguments in on their store or server; throws Stop
// (kNoSignIn, or kBadArguments without a password) when that fails.
std::shared_ptr<CommandLineSession> signIn(const Arguments &args);

} // namespace reporttool
