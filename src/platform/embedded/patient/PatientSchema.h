#pragma once

#include <QSqlDatabase>

namespace embedded::patient {

// Patient data, its code tables (ICD-10 categories, procedures) and the
// report tables the upload procedures fill; kept by "IF NOT EXISTS".
void createTables(const QSqlDatabase &db);
// Brings patient tables written by an earlier version to this layout,
// keeping every row. Runs outside any transaction (it takes its own).
void upgradeTables(const QSqlDatabase &db);

} // namespace embedded::patient
