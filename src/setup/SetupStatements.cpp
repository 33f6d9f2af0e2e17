#include "SetupStatements.h"

#include "adodb/SqlText.h"
#include "com/Runtime.h"

#include <charconv>
#include <cmath>

namespace setup {

QString LoadSetupStatement()
{
    return QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportSetup");
}

QString ServiceLookupStatement(const QString &code)
{
    return QStringLiteral("BUILD_FILE..sp_Bui_Common_Load_tbCoService ") + adodb::SqlText(code);
}

QString SaveSetupStatement(const QString &ageArgument, const QString &newbornCode, const QString &surgeryCode)
{
    return QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup ") + ageArgument + QLatin1Char(',')
        + adodb::SqlText(newbornCode) + QLatin1Char(',') + adodb::SqlText(surgeryCode);
}

std::optional<QString> AgeArgument(const QString &typed)
{
    if (!com::IsNumeric(typed))
        return std::nullopt;
    double value = com::NumericValue(typed);
    if (!std::isfinite(value))
        return std::nullopt;
    if (value == 0)
        value = 0; // no "-0"
    // The shortest fixed-point text that reads back as the same number: never
    // an exponent, a grouping separator or blanks, which the database would
    // reject or read differently.
    char buffer[400];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (written.ec != std::errc())
        return std::nullopt;
    return QString::fromLatin1(buffer, written.ptr - buffer);
}

} // namespace setup
