#include "ReportingPeriods.h"

#include "com/ComError.h"
#include "com/Runtime.h"

namespace catalogue {

const QStringList &PeriodChoices()
{
    static const QStringList choices = {
        QStringLiteral("Yearly"),         QStringLiteral("January"),          QStringLiteral("February"),
        QStringLiteral("March"),          QStringLiteral("April"),            QStringLiteral("May"),
        QStringLiteral("June"),           QStringLiteral("July"),             QStringLiteral("August"),
        QStringLiteral("September"),      QStringLiteral("October"),          QStringLiteral("November"),
        QStringLiteral("December"),       QStringLiteral("First Quarter"),    QStringLiteral("Second Quarter"),
        QStringLiteral("Third Quarter"),  QStringLiteral("Fourth Quarter"),   QStringLiteral("First SemiAnnual"),
        QStringLiteral("Second SemiAnnual"),
    };
    return choices;
}

QStringList YearChoices(int currentYear)
{
    QStringList years;
    for (int y = currentYear; y >= kOldestYear; --y)
        years.append(QString::number(y));
    return years;
}

int DefaultPeriodPosition(const QDate &today)
{
    return today.month();
}

namespace {

void requirePosition(int position)
{
    if (position < 0 || position >= PeriodChoices().size())
        throw com::ComError(com::errors::InvalidProcedureCall, QStringLiteral("Invalid procedure call or argument"));
}

} // namespace

QString PeriodStartDate(const QString &yearText, int position)
{
    requirePosition(position);
    const QString year = com::Format(yearText, QStringLiteral("0000"));
    if (position > 12) {
        switch (position) {
        case 13:
        case 17:
            return QStringLiteral("01/01/") + year;
        case 14:
            return QStringLiteral("04/01/") + year;
        case 15:
        case 18:
            return QStringLiteral("07/01/") + year;
        case 16:
            return QStringLiteral("10/01/") + year;
        default:
            return QString();
        }
    }
    if (position == kYearly)
        return QStringLiteral("01/01/") + year;
    return com::Format(qint64(position), QStringLiteral("00")) + QStringLiteral("/01/") + year;
}

QString PeriodEndDate(const QString &yearText, int position)
{
    requirePosition(position);
    const QString year = com::Format(yearText, QStringLiteral("0000"));
    if (position > 12) {
        switch (position) {
        case 13:
            return QStringLiteral("03/31/") + year;
        case 14:
        case 17:
            return QStringLiteral("06/30/") + year;
        case 15:
            return QStringLiteral("09/30/") + year;
        case 16:
        case 18:
            return QStringLiteral("12/31/") + year;
        default:
            return QString();
        }
    }
    if (position == kYearly)
        return QStringLiteral("12/31/") + year;
    // One month on from the first, back by the first's day of month: the last day.
    const auto first = com::ParseDate(PeriodStartDate(yearText, position));
    if (!first)
        throw com::ComError(com::errors::TypeMismatch, QStringLiteral("Type mismatch"));
    const QDate start = first->date();
    const QDate last = com::DateAddDays(com::DateAddMonths(start, 1), -start.day());
    return com::Format(last, QStringLiteral("mm/dd/yyyy"));
}

} // namespace catalogue
