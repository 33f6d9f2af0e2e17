#pragma once

#include <QString>

namespace reportexport {

// A number as the report prints it under a number format of the simple kind
// the reports use: "0", "0.00", "#,##0", "#,##0.00", "0%", "0.0%". An empty
// or other format prints the general way (no grouping, up to 15 significant
// digits). Numbers that are not finite print as "".
QString formatNumber(double value, const QString &numberFormat);

} // namespace reportexport
