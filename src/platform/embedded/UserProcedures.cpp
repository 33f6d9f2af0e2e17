#include "Procedures.h"
#include "Schema.h"
#include "Store.h"

// Users of the session component. The sign-in works on these tables directly;
// the program itself sends no statement about users, so no procedure is offered.
namespace embedded {

void registerUserProcedures(ProcedureRegistry &)
{
}

namespace schema {
void createUserTables(const QSqlDatabase &db)
{
    // One row per account. PasswordHash is libsodium's Argon2id string (salt and
    // cost inside); Departments lists the one-character department codes the
    // user may sign in to; FailedAttempts counts failures in a row and
    // LockedUntil holds the stored date-time before which sign-in is refused.
    sql::exec(db, QStringLiteral(R"(CREATE TABLE IF NOT EXISTS PASSWORD.tbVelmoraUser (
        UserName TEXT PRIMARY KEY COLLATE NOCASE,
        PasswordHash TEXT NOT NULL,
        IsActive BIT NOT NULL DEFAULT 1,
        IsAdministrator BIT NOT NULL DEFAULT 0,
        Departments TEXT NOT NULL DEFAULT '',
        FailedAttempts INTEGER NOT NULL DEFAULT 0,
        LockedUntil TEXT,
        CreatedDate DATETIME NOT NULL))"));
}
} // namespace schema

} // namespace embedded
