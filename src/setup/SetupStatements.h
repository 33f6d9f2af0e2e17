#pragma once

#include <QString>

#include <optional>

// The statement texts of the DOH report setup and the age argument they carry.
namespace setup {

// Reads the one setup record.
QString LoadSetupStatement();

// Looks up a service by its code, sent exactly as typed (quotes doubled).
QString ServiceLookupStatement(const QString &code);

// Stores the setup record. ageArgument is the plain decimal of AgeArgument.
QString SaveSetupStatement(const QString &ageArgument, const QString &newbornCode, const QString &surgeryCode);

// The typed age as the database must receive it: a text the general numeric
// test accepts, written as its plain decimal number (" 13 " -> "13",
// "1,000" -> "1000", "1e1" -> "10", "13.50" -> "13.5"). Nothing when the text
// is not a finite number.
std::optional<QString> AgeArgument(const QString &typed);

} // namespace setup
