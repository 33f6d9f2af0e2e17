#include "Procedures.h"
#include "Schema.h"

namespace embedded {

void registerUploadProcedures(ProcedureRegistry &)
{
}

namespace schema {
void createPatientTables(const QSqlDatabase &)
{
}
} // namespace schema

} // namespace embedded
