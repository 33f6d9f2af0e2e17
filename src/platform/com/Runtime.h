#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

// The few behaviours of the desktop runtime that the program leans on,
// implemented once: text trimming, the general numeric test, the Format
// patterns in use, calendar arithmetic and the application's properties.
namespace com {

// Removes leading and trailing blanks (spaces) only; tabs and line breaks stay.
QString Trim(const QString &text);

// The runtime's general numeric test: blanks around, a leading or trailing
// sign, "," digit grouping, one decimal point, an exponent, "&H"/"&O" prefixes.
// Empty or blank-only text is not numeric.
bool IsNumeric(const QString &text);
// The number such a text shows ("1,000" -> 1000). Precondition: IsNumeric.
double NumericValue(const QString &text);

// Format for the patterns the program uses: "mm/dd/yyyy", "yyyy",
// "mmmm dd, yyyy | hh:mm:ss" (English month names, 24-hour clock).
QString Format(const QDateTime &value, const QString &pattern);
QString Format(const QDate &value, const QString &pattern);
// Format of a whole number with a zero-padding pattern such as "00" or "0000".
QString Format(qint64 value, const QString &pattern);
// Format of a text: a number-like text is padded as a number ("0000"); any
// other text is returned unchanged, as the runtime does.
QString Format(const QString &value, const QString &pattern);

// DateAdd("m", n, date): keeps the day when it exists, else the month's last day.
QDate DateAddMonths(const QDate &date, int months);
QDate DateAddDays(const QDate &date, int days);

// CDate of the texts the program builds: "mm/dd/yyyy", "m dd, yyyy",
// "March 01, 2024", and "yyyy-mm-dd[ hh:mm:ss[.zzz]]" as stores write them.
std::optional<QDateTime> ParseDate(const QString &text);

QString EnglishMonthName(int month);

// The application's properties (title, version, folder), as the project
// declares them.
namespace App {
QString Title();
int Major();
int Minor();
int Revision();
// The folder of the running program.
QString Path();
} // namespace App

} // namespace com
