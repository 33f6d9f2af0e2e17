#include "Schema.h"

namespace embedded::schema {

void createAll(const QSqlDatabase &db)
{
    createCoreTables(db);
    createUserTables(db);
    createPatientTables(db);
}

} // namespace embedded::schema
