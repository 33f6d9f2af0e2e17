#pragma once

#include <QDateTime>
#include <QString>

#include <cstddef>

namespace embedded {
class Store;
}

namespace session {

// The Argon2id cost of new password hashes. Sign-in uses the interactive
// cost; tests lower it to the minimum so they stay fast.
struct PasswordCost
{
    unsigned long long opslimit;
    std::size_t memlimit;
};
PasswordCost interactiveCost();
PasswordCost minimumCost();
void setPasswordCost(const PasswordCost &cost);
PasswordCost passwordCost();

// libsodium's Argon2id hash string of a password, and its check.
QString HashPassword(const QString &password);
bool VerifyPassword(const QString &hash, const QString &password);

constexpr int kMinimumPasswordLength = 10;
constexpr int kFailuresBeforeLockout = 5;
constexpr int kLockoutSeconds = 60;

struct NewUser
{
    QString name;
    QString password;
    bool isAdministrator = false;
    QString departments; // one-character department codes
    bool isActive = true;
};

enum class SignInVerdict { Accepted, WrongCredentials, Inactive, NoDepartment, LockedOut };

// The message the sign-in dialog shows for a refused sign-in.
QString verdictMessage(SignInVerdict verdict);

// Why this user cannot sign in to the store in folder, or an empty text: a
// sign-in writes to the store (and so does all the work after it), so a
// store the user may only read is refused naming the folder and what to do.
QString storeWriteRefusal(const QString &folder);

// The accounts of an embedded store (PASSWORD.tbVelmoraUser). Five failed
// sign-ins in a row lock the account for a minute; a success clears the count.
class UserAccounts
{
public:
    explicit UserAccounts(embedded::Store &store);

    bool hasUsers() const;
    // Adds an account; fails with a message the dialog can show when the name
    // is empty or taken or the password is too short.
    void addUser(const NewUser &user);
    // Checks a sign-in to the department at the given moment.
    SignInVerdict signIn(const QString &name, const QString &password, const QString &department, const QDateTime &now);

private:
    embedded::Store &m_store;
};

} // namespace session
