#pragma once

#include "TSqlReader.h"

#include <QString>

// A literal of a statement converted to the type of the parameter or column
// it goes to, as SQL Server converts it; a value that does not convert fails
// with a BackendError in SQL Server's words.
namespace embedded::convert {

// To a text: a text literal as it is (an empty literal is an empty text,
// never Null); a bare number as the server writes it, without leading zeros
// or a plus sign and with its decimals as written ("013" -> "13",
// "+1.50" -> "1.50", ".5" -> "0.5").
QString toText(const Literal &value);

// To int: a text holding a whole number, blanks around it allowed, or only
// blanks (0); a bare whole number. A bare number with decimals is cut to its
// whole part where cutDecimals (a column takes it so), and refused otherwise
// (a parameter) with the message the caller gives.
qint64 toInt(const Literal &value, bool cutDecimals, const QString &decimalRefusal);

// To bit: "TRUE" or "FALSE", or a whole number (any other than 0 is 1), in a
// text with blanks around it or only blanks (0), or a bare number.
bool toBit(const Literal &value);

} // namespace embedded::convert
