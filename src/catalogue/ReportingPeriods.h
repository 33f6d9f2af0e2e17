#pragma once

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

// The first and last date of the period at `position` of the year text
// (formatted "0000").
QString PeriodStartDate(const QString &yearText, int position);
QString PeriodEndDate(const QString &yearText, int position);

} // namespace catalogue
