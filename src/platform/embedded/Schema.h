#pragma once

#include <QSqlDatabase>

// The store's tables, created on first open and kept by "IF NOT EXISTS".
// Each group lives in its own source file.
namespace embedded::schema {

void createAll(const QSqlDatabase &db);
// Brings tables an earlier version wrote to this version's layout, keeping
// their rows; runs before createAll, outside any transaction.
void upgradeAll(const QSqlDatabase &db);

// The program's own records: hospital, setup flags, report setup and log,
// Section I, hospital info 2, services.
void createCoreTables(const QSqlDatabase &db);
// Users of the session component.
void createUserTables(const QSqlDatabase &db);
// Patient data and the report tables the upload procedures fill.
void createPatientTables(const QSqlDatabase &db);

} // namespace embedded::schema
