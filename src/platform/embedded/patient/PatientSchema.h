#pragma once

#include <QSqlDatabase>

namespace embedded::patient {

// Patient data, its code tables (ICD-10 categories, procedures) and the
// report tables the upload procedures fill; kept by "IF NOT EXISTS".
void createTables(const QSqlDatabase &db);

} // namespace embedded::patient
