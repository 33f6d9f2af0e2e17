#include "Procedures.h"
#include "Schema.h"

// Users of the session component. The sign-in works on these tables directly;
// the program itself sends no statement about users.
namespace embedded {

void registerUserProcedures(ProcedureRegistry &)
{
}

namespace schema {
void createUserTables(const QSqlDatabase &)
{
}
} // namespace schema

} // namespace embedded
