#include "Schema.h"

#include "patient/PatientSchema.h"

namespace embedded::schema {

void createAll(const QSqlDatabase &db)
{
    createCoreTables(db);
    createUserTables(db);
    createPatientTables(db);
}

void upgradeAll(const QSqlDatabase &db)
{
    patient::upgradeTables(db);
}

} // namespace embedded::schema
