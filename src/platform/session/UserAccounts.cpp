#include "UserAccounts.h"

#include "com/ComError.h"
#include "embedded/Store.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QVariant>

#include <sodium.h>

namespace session {

namespace {

PasswordCost s_cost = {crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE};

void requireSodium()
{
    if (sodium_init() < 0)
        throw com::ComError(com::errors::InvalidProcedureCall,
                            QStringLiteral("The password library could not be started."),
                            QStringLiteral("Orvant_User"));
}

// The password's bytes, wiped when they go out of scope.
class SecretBytes
{
public:
    explicit SecretBytes(const QString &text)
        : m_bytes(text.toUtf8())
    {}
    ~SecretBytes() { sodium_memzero(m_bytes.data(), std::size_t(m_bytes.size())); }
    const char *data() const { return m_bytes.constData(); }
    unsigned long long size() const { return (unsigned long long)m_bytes.size(); }

private:
    QByteArray m_bytes;
};

QString storedMoment(const QDateTime &value)
{
    return embedded::sql::storedDateTime(value.toUTC());
}

QDateTime readMoment(const QVariant &value)
{
    if (value.isNull())
        return QDateTime();
    QDateTime moment = QDateTime::fromString(value.toString(), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    return QDateTime(moment.date(), moment.time(), Qt::UTC);
}

com::ComError accountError(const QString &message)
{
    return com::ComError(com::errors::InvalidProcedureCall, message, QStringLiteral("Orvant_User"));
}

} // namespace

PasswordCost interactiveCost()
{
    return {crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE};
}

PasswordCost minimumCost()
{
    return {crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN};
}

void setPasswordCost(const PasswordCost &cost)
{
    s_cost = cost;
}

PasswordCost passwordCost()
{
    return s_cost;
}

QString HashPassword(const QString &password)
{
    requireSodium();
    const SecretBytes secret(password);
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, secret.data(), secret.size(), s_cost.opslimit, s_cost.memlimit) != 0)
        throw accountError(QStringLiteral("Not enough memory to protect the password."));
    return QString::fromLatin1(hash);
}

bool VerifyPassword(const QString &hash, const QString &password)
{
    requireSodium();
    const SecretBytes secret(password);
    const QByteArray stored = hash.toLatin1();
    return crypto_pwhash_str_verify(stored.constData(), secret.data(), secret.size()) == 0;
}

QString storeWriteRefusal(const QString &folder)
{
    // SQLite writes its journals beside the files, so the folder must take
    // new files as well as the files changes.
    QString readOnly;
    if (!QFileInfo(folder).isWritable()) {
        readOnly = QStringLiteral("the folder itself");
    } else {
        const QDir dir(folder);
        for (const QString &name :
             dir.entryList({QStringLiteral("*.store"), QStringLiteral("*.sqlite")}, QDir::Files, QDir::Name))
            if (!QFileInfo(dir.filePath(name)).isWritable()) {
                readOnly = QStringLiteral("its file '%1'").arg(name);
                break;
            }
    }
    if (readOnly.isEmpty())
        return {};
    return QStringLiteral("The store in the folder '%1' cannot be written by this user: %2 is read-only, and signing "
                          "in writes to the store. Give this user write access to the folder and its files (or ask "
                          "whoever looks after this computer to), or choose a store this user may write.")
        .arg(QDir::toNativeSeparators(folder), readOnly);
}

QString verdictMessage(SignInVerdict verdict)
{
    switch (verdict) {
    case SignInVerdict::Accepted:
        return QString();
    case SignInVerdict::WrongCredentials:
        return QStringLiteral("The user name or the password is not correct.");
    case SignInVerdict::Inactive:
        return QStringLiteral("This account is not active. Ask an administrator to activate it.");
    case SignInVerdict::NoDepartment:
        return QStringLiteral("This account may not use the DOH reports.");
    case SignInVerdict::LockedOut:
        return QStringLiteral("Too many failed sign-ins for this account. Try again in a minute.");
    }
    return QString();
}

UserAccounts::UserAccounts(embedded::Store &store)
    : m_store(store)
{}

bool UserAccounts::hasUsers() const
{
    bool any = false;
    m_store.readTransaction([&] {
        QSqlQuery q =
            embedded::sql::exec(m_store.database(), QStringLiteral("SELECT COUNT(*) FROM PASSWORD.tbVelmoraUser"));
        any = q.next() && q.value(0).toLongLong() > 0;
    });
    return any;
}

void UserAccounts::addUser(const NewUser &user)
{
    const QString name = user.name.trimmed();
    if (name.isEmpty())
        throw accountError(QStringLiteral("Type a user name."));
    if (user.password.size() < kMinimumPasswordLength)
        throw accountError(
            QStringLiteral("The password must have at least %1 characters.").arg(kMinimumPasswordLength));
    const QString hash = HashPassword(user.password);
    m_store.writeTransaction([&] {
        const QSqlDatabase db = m_store.database();
        QSqlQuery taken = embedded::sql::exec(
            db, QStringLiteral("SELECT COUNT(*) FROM PASSWORD.tbVelmoraUser WHERE UserName = ?"), {name});
        if (taken.next() && taken.value(0).toLongLong() > 0)
            throw accountError(QStringLiteral("The user name '%1' is already taken.").arg(name));
        embedded::sql::exec(db,
                            QStringLiteral("INSERT INTO PASSWORD.tbVelmoraUser (UserName, PasswordHash, IsActive, "
                                           "IsAdministrator, Departments, FailedAttempts, LockedUntil, CreatedDate) "
                                           "VALUES (?, ?, ?, ?, ?, 0, NULL, ?)"),
                            {name, hash, user.isActive ? 1 : 0, user.isAdministrator ? 1 : 0, user.departments,
                             embedded::sql::storedDateTime(QDateTime::currentDateTime())});
    });
}

SignInVerdict UserAccounts::signIn(const QString &name, const QString &password, const QString &department,
                                   const QDateTime &now)
{
    struct Account
    {
        QString name, hash, departments;
        bool active = false;
        int failures = 0;
        QDateTime lockedUntil;
    };
    std::optional<Account> account;
    m_store.readTransaction([&] {
        QSqlQuery q = embedded::sql::exec(
            m_store.database(),
            QStringLiteral("SELECT UserName, PasswordHash, IsActive, Departments, FailedAttempts, LockedUntil "
                           "FROM PASSWORD.tbVelmoraUser WHERE UserName = ?"),
            {name.trimmed()});
        if (q.next())
            account = Account{q.value(0).toString(),   q.value(1).toString(), q.value(3).toString(),
                              q.value(2).toInt() != 0, q.value(4).toInt(),    readMoment(q.value(5))};
    });

    if (!account) {
        // An unknown name costs as much as a wrong password, so timing tells nothing.
        static const QString decoy = HashPassword(QStringLiteral("decoy password"));
        VerifyPassword(decoy, password);
        return SignInVerdict::WrongCredentials;
    }
    if (account->lockedUntil.isValid() && now.toUTC() < account->lockedUntil)
        return SignInVerdict::LockedOut;

    const bool verified = VerifyPassword(account->hash, password);
    SignInVerdict verdict = SignInVerdict::Accepted;
    int failures = 0;
    QVariant lockedUntil(QMetaType::fromType<QString>());
    if (!verified) {
        failures = account->failures + 1;
        verdict = SignInVerdict::WrongCredentials;
        if (failures >= kFailuresBeforeLockout) {
            failures = 0;
            lockedUntil = storedMoment(now.addSecs(kLockoutSeconds));
            verdict = SignInVerdict::LockedOut;
        }
    } else if (!account->active) {
        verdict = SignInVerdict::Inactive;
    } else if (department.size() != 1 || !account->departments.contains(department)) {
        verdict = SignInVerdict::NoDepartment;
    }
    m_store.writeTransaction([&] {
        embedded::sql::exec(m_store.database(),
                            QStringLiteral("UPDATE PASSWORD.tbVelmoraUser SET FailedAttempts = ?, LockedUntil = ? "
                                           "WHERE UserName = ?"),
                            {failures, lockedUntil, account->name});
    });
    return verdict;
}

} // namespace session
