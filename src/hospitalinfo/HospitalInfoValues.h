#pragma once

#include "com/Variant.h"

#include <QString>

// How the hospital information's database values become control values, and
// the other way round for the save.
namespace hospitalinfo {

// A text column; Null shows as the empty text.
QString TextValue(const com::Variant &value);
// A yes/no item stored as "X": checked (1) only for a capital X, blanks around
// it allowed; anything else, and Null, is unchecked (0).
int XFlagValue(const com::Variant &value);
// A whole number as a 32-bit integer; Null is 0. A value beyond the 32-bit
// range fails with "Overflow", a text that is no number with "Type mismatch".
qint32 NumberValue(const com::Variant &value);
// A bit or numeral: checked (1) when non-zero; zero and Null are unchecked.
int TruthValue(const com::Variant &value);

} // namespace hospitalinfo
