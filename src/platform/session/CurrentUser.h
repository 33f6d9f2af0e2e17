#pragma once

#include "adodb/Connection.h"
#include "com/CreateObject.h"
#include "com/Variant.h"

#include <QString>

namespace session {

inline const QString kProgID = QStringLiteral("Orvant_User.clsCurrentUser");

// The suite's session component (Orvant_User.clsCurrentUser): signs the user
// in and holds the one open database connection every window uses.
class CurrentUser : public com::ComObject
{
public:
    // The same connection object on every read; open after a successful sign-in.
    virtual adodb::ConnectionPtr sqlconnection() = 0;
    virtual void setPasswordDeptCode(const QString &code) = 0;
    virtual QString PasswordDeptCode() const = 0;
    // Runs the sign-in; returns when the user has signed in or given up.
    virtual void ShowMain() = 0;
    // True after a successful sign-in; Null before one.
    virtual com::Variant Connected() const = 0;
    // Server and credentials with which report tables log on.
    virtual QString ServerName() const = 0;
    virtual QString UserID() const = 0;
    virtual QString ServerPassword() const = 0;
};

} // namespace session
