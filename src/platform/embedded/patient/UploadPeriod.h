#pragma once

#include "../PreparedStatements.h"
#include "../Procedures.h"

#include <QDate>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <utility>

namespace embedded::patient {

// The readings of a period's records that several uploads share (see
// SharedReadings.cpp): each is made by one pass over its records and kept
// on the connection for the uploads after it.
enum class Reading { Stays, Deliveries, Operations, OutpatientVisits, EmergencyVisits };

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
//   ?11 and on: values a statement brings of its own
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
    // upload is the procedure's name, as the shared readings know their
    // readers.
    UploadPeriod(const ProcedureContext &context, const Arguments &arguments, bool takesOption,
                 const QString &upload = QString());

    // Deletes the report table's rows for this period, so that the rows the
    // upload then inserts replace them.
    void clear(const QString &table) const;
    // Runs a statement with the numbered values above.
    void run(const QString &statement) const;

    // A statement with each "?N" made a plain "?", and its values in order
    // (more holds ?11 and on).
    struct Bound
    {
        QString text;
        QVariantList values;
    };
    Bound bound(const QString &statement, const QVariantList &more = {}) const;

    // Makes the period's shared reading current in its working tables:
    // read now when there is none, or the one there was read for another
    // period, setup or day of generation, or before the patient data last
    // changed. Defined with the readings, in SharedReadings.cpp.
    void share(Reading reading) const;
    // Lets go of the readings this upload shared that every upload reading
    // them has now used: a generation keeps nothing once it is over.
    void finish() const;

    const QDate &from() const { return m_from; }
    const QDate &to() const { return m_to; }
    // The last day the figures count: the last date, or the day of
    // generation while the period runs.
    const QDate &countedTo() const { return m_countedTo; }
    bool ended() const { return m_countedTo == m_to; }

    const QSqlDatabase &database() const { return m_db; }
    // The connection's prepared statements, which every statement of an
    // upload runs as.
    PreparedStatements &statements() const { return m_statements; }
    const QString &upload() const { return m_upload; }
    int pediaAge() const { return m_pediaAge; }
    const QString &newbornCode() const { return m_newbornCode; }
    const QString &surgeryCode() const { return m_surgeryCode; }

private:
    QSqlDatabase m_db;
    PreparedStatements &m_statements;
    QString m_upload;
    QDate m_from;
    QDate m_to;
    QDate m_countedTo;
    int m_pediaAge = 0;
    QString m_newbornCode;
    QString m_surgeryCode;
    mutable QDate m_stayCutoff;                      // found on first use
    mutable QList<std::pair<Reading, int>> m_shared; // each reading shared, and who has read it
};

// SQL fragments shared by the uploads.
namespace fragment {
// A code an expression works out (from a code column and a setup code),
// compared as the code columns are; an expression other than a plain column
// would otherwise compare exactly.
QString code(const QString &expression);
// A rate rounded to two decimals; null when the denominator is zero.
QString rate(const QString &numerator, const QString &denominator, const QString &per);
// A stay's service days in the period (patients present at each midnight
// plus same-day stays) up to the last day counted, by interval arithmetic on
// its days, from its admission and discharge date-times as stored (the
// discharge null while it is open) and its StayDays (or NULL for a stay that
// cannot lie inside the days counted: one still in at the period's end).
QString serviceDays(const QString &admittedAt, const QString &dischargedAt, const QString &stayDays);
} // namespace fragment

} // namespace embedded::patient
