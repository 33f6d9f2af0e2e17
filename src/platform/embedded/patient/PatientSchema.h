#pragma once

#include "../Schema.h"

#include <QSqlDatabase>

namespace embedded::patient {

// Patient data, its code tables (ICD-10 categories, procedures) and the
// report tables the upload procedures fill; kept by "IF NOT EXISTS".
void createTables(const QSqlDatabase &db);
// The patient tables and code tables an earlier version laid out
// differently, for schema::upgradeAll to make anew with their rows.
QList<schema::Remake> olderTables(const QSqlDatabase &db);

} // namespace embedded::patient
