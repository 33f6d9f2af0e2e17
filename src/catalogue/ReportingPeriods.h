#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

// The period and year choices of the build-file window and the dates they
// resolve to, as "mm/dd/yyyy" texts.
namespace catalogue {

// "Yearly", the twelve months, four quarters, two semesters (positions 0..18).
const QStringList &PeriodChoices();
constexpr int kYearly = 0;

// The current year down to 1950, as plain numbers.
QStringList YearChoices(int currentYear);
constexpr int kOldestYear = 1950;

// The boxes' defaults once filled: the first year (the current one) and the
// current month's position (1 to 12, never "Yearly").
constexpr int kDefaultYearPosition = 0;
int DefaultPeriodPosition(const QDate &today);

// The first and last date of the period at `position` of the year text
// (formatted "0000"). A position outside 0..18 (no selection) fails with
// "Invalid procedure call or argument" rather than giving a date.
QString PeriodStartDate(const QString &yearText, int position);
QString PeriodEndDate(const QString &yearText, int position);

} // namespace catalogue
