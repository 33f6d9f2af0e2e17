#pragma once

#include <QString>

namespace reportengine {

// The source named in the engine's errors.
inline const QString kEngineSource = QStringLiteral("Velmora Report Engine");

// The engine's error numbers (one per kind of failure a caller may meet).
namespace errors {
constexpr long ReportFileNotFound = 20507;
constexpr long ReportFileInvalid = 20510;
constexpr long SubreportNotFound = 20511;
constexpr long ParameterValueInvalid = 20515;
constexpr long ParameterValueMissing = 20516;
constexpr long QueryInvalid = 20520;
constexpr long LogOnMissing = 20530;
constexpr long DatabaseError = 20532;
constexpr long ExportInvalid = 20540;
constexpr long FillCancelled = 20550; // the user stopped the fill
constexpr long FillTimedOut = 20551;  // the fill ran past its time limit
constexpr long FillTooLarge = 20552;  // more rows, items or text than a fill may hold
constexpr long IndexOutOfRange = 9;   // the runtime's "Subscript out of range"
} // namespace errors

} // namespace reportengine
