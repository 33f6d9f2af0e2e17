#pragma once

#include "../Procedures.h"

#include <QDate>
#include <QSqlDatabase>
#include <QString>

namespace embedded::patient {

// One upload call: the period, the report setup, and the numbered values its
// statements bind. Every statement of an upload names its values by number:
//   ?1 first date ("yyyy-MM-dd", also the FromDate key)
//   ?2 the day after the last date (the exclusive end of date-time ranges)
//   ?3 last date (the ToDate key)
//   ?4 PediaAge   ?5 NewbornCode   ?6 SurgeryCode
//   ?7 days in the period: the days counted
//   ?8 the earliest admission date a stay overlapping the period can have
//   ?9 the day a stay still open counts as ended on: the day after the last
//      date, or the day of generation while the period runs
//   ?10 the exclusive end of the days counted: the day after the last date,
//      or the day of generation while the period runs
//
// A period whose last date is after the day of generation (the store's
// today) is counted up to that day: the days of the period run from its
// first date up to the day of generation, which is not counted (its midnight
// has not come), and a stay still open counts as if it ended that day.
// Nothing else changes. A period that has not begun is refused.
class UploadPeriod
{
public:
    // Reads the dates (and the option, when the procedure takes one) and the
    // report setup; fails, changing nothing, on reversed dates, a period not
    // begun, an option other than 2 or a missing setup.
    UploadPeriod(const ProcedureContext &context, const Arguments &arguments, bool takesOption);

    // Deletes the report table's rows for this period, so that the rows the
    // upload then inserts replace them.
    void clear(const QString &table) const;
    // Runs a statement with the numbered values above.
    void run(const QString &statement) const;

    const QDate &from() const { return m_from; }
    const QDate &to() const { return m_to; }
    // The last day the figures count: the last date, or the day of
    // generation while the period runs.
    const QDate &countedTo() const { return m_countedTo; }
    bool ended() const { return m_countedTo == m_to; }

private:
    QSqlDatabase m_db;
    QDate m_from;
    QDate m_to;
    QDate m_countedTo;
    int m_pediaAge = 0;
    QString m_newbornCode;
    QString m_surgeryCode;
    mutable QDate m_stayCutoff; // found on first use
};

// SQL fragments shared by the uploads.
namespace fragment {
// A code an expression works out (from a code column and a setup code),
// compared as the code columns are; an expression other than a plain column
// would otherwise compare exactly.
QString code(const QString &expression);
// A rate rounded to two decimals; null when the denominator is zero.
QString rate(const QString &numerator, const QString &denominator, const QString &per);
// Common table expressions "stays" and "census": every admission overlapping
// the period with its service days in it (patients present at each midnight
// plus same-day stays) up to the last day counted, found by interval
// arithmetic on two index ranges.
QString censusCtes();
} // namespace fragment

} // namespace embedded::patient
