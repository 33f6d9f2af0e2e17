#include "UploadPeriod.h"

#include "../Schema.h"

#include "com/Runtime.h"

#include <QRegularExpression>

namespace embedded::patient {

namespace {

using adodb::BackendError;

QString shown(const QDate &date)
{
    return com::Format(date, QStringLiteral("mm/dd/yyyy"));
}

} // namespace

UploadPeriod::UploadPeriod(const ProcedureContext &context, const Arguments &arguments, bool takesOption,
                           const QString &upload)
    : m_db(context.db)
    , m_upload(upload)
    , m_from(arguments.date(0))
    , m_to(arguments.date(1))
{
    if (m_to < m_from)
        throw BackendError(QStringLiteral("The last date of the period (%1) is before its first date (%2).")
                               .arg(shown(m_to), shown(m_from)),
                           50000);
    // Days that have not come yet hold no patients: a period is counted up
    // to the day of generation, and one that has not begun is not counted.
    const QDate today = context.store.now().date();
    if (m_from > today)
        throw BackendError(QStringLiteral("The period %1 to %2 has not begun: it cannot be generated before %1.")
                               .arg(shown(m_from), shown(m_to)),
                           50000);
    m_countedTo = std::min(m_to, today);
    // Only one option exists: 2, summarise the period's own records.
    if (takesOption && arguments.count() > 2) {
        const qint64 option = arguments.integer(2);
        if (option != 2)
            throw BackendError(
                QStringLiteral("The upload option %1 is not supported; the only option is 2.").arg(option), 50000);
    }
    // The setup keeps its codes as they were typed; the uploads take them as
    // the server compares them (trailing blanks do not count), so that where
    // a setup code becomes a value (the service of operations recorded
    // without one) it is the same text however it was typed.
    QSqlQuery setup =
        sql::exec(m_db, QStringLiteral("SELECT PediaAge, rtrim(NewbornCode, ' '), "
                                       "rtrim(SurgeryCode, ' ') FROM Patient_Data.tbMedNewDOHReportSetup"));
    if (!setup.next())
        throw BackendError(QStringLiteral("No DOH report setup exists: save the report setup (paediatric age, "
                                          "newborn and surgery service codes) before generating the reports."),
                           50000);
    // A year's rows of the larger tables do not fit the default page cache.
    sql::exec(m_db, QStringLiteral("PRAGMA Patient_Data.cache_size = -32768"));
    m_pediaAge = setup.value(0).toInt();
    m_newbornCode = setup.value(1).toString();
    m_surgeryCode = setup.value(2).toString();
}

void UploadPeriod::clear(const QString &table) const
{
    run(QStringLiteral("DELETE FROM Patient_Data.%1 WHERE FromDate = ?1 AND ToDate = ?3").arg(table));
}

void UploadPeriod::run(const QString &statement) const
{
    const Bound b = bound(statement);
    QSqlQuery query = sql::prepare(m_db, b.text);
    for (int i = 0; i < b.values.size(); ++i)
        query.bindValue(i, b.values.at(i));
    sql::exec(query);
}

UploadPeriod::Bound UploadPeriod::bound(const QString &statement, const QVariantList &more) const
{
    // Each "?N" becomes a plain "?" bound in order: the driver's own
    // handling of numbered placeholders is not to be relied on.
    static const QRegularExpression numbered(QStringLiteral("\\?([0-9]+)"));
    QList<int> placeholders;
    Bound b;
    qsizetype done = 0;
    for (const QRegularExpressionMatch &m : numbered.globalMatch(statement)) {
        b.text += QStringView(statement).mid(done, m.capturedStart() - done);
        b.text += QLatin1Char('?');
        placeholders.append(m.captured(1).toInt());
        done = m.capturedEnd();
    }
    b.text += QStringView(statement).mid(done);

    if (placeholders.contains(8) && !m_stayCutoff.isValid()) {
        // The longest stay on record bounds how early an admission still in
        // the hospital during the period can be; open stays are found apart.
        QSqlQuery longest = sql::exec(m_db, QStringLiteral("SELECT MAX(StayDays) FROM Patient_Data.tbAdmission"));
        const qint64 days = longest.next() ? longest.value(0).toLongLong() : 0;
        m_stayCutoff = m_from.addDays(-std::max<qint64>(days, 0));
    }
    // The exclusive end of the days counted: the day after the last date, or
    // the day of generation itself, whose midnight has not come yet.
    const QDate countedEnd = ended() ? m_to.addDays(1) : m_countedTo;
    const QVariantList values =
        QVariantList{
            sql::storedDate(m_from),
            sql::storedDate(m_to.addDays(1)),
            sql::storedDate(m_to),
            m_pediaAge,
            m_newbornCode,
            m_surgeryCode,
            m_from.daysTo(countedEnd),
            m_stayCutoff.isValid() ? sql::storedDate(m_stayCutoff) : QString(),
            sql::storedDate(countedEnd),
            sql::storedDate(countedEnd),
        } +
        more;
    for (const int n : placeholders)
        b.values.append(values.value(n - 1));
    return b;
}

namespace fragment {

QString code(const QString &expression)
{
    return QStringLiteral("(%1) COLLATE " VELMORA_CODE_COLLATION).arg(expression);
}

QString rate(const QString &numerator, const QString &denominator, const QString &per)
{
    return QStringLiteral("CASE WHEN (%2) = 0 THEN NULL ELSE ROUND((%1) * (%3) * 1.0 / (%2), 2) END")
        .arg(numerator, denominator, per);
}

QString serviceDays(const QString &admittedAt, const QString &dischargedAt, const QString &stayDays)
{
    const QString admitted = QStringLiteral("substr(%1, 1, 10)").arg(admittedAt);
    const QString discharged = QStringLiteral("substr(%1, 1, 10)").arg(dischargedAt);
    // A stay admitted in the period and discharged before the end of the
    // days counted lies inside them: the interval arithmetic gives its
    // StayDays (the same difference of the same dates), and a same-day stay
    // one day more. A date-time compares with a date as its date does.
    return QStringLiteral("CASE WHEN %3 < ?10 AND %4 >= ?1 THEN MAX(0, %5) + CASE WHEN (%5 = 0 OR %5 IS NULL)"
                          " AND %1 = %2 AND %4 < ?10 THEN 1 ELSE 0 END ELSE"
                          " MAX(0, CAST(julianday(MIN(COALESCE(%2, ?9), ?10)) - julianday(MAX(%1, ?1)) AS INTEGER))"
                          " + CASE WHEN %1 = COALESCE(%2, ?9) AND %1 >= ?1 AND %1 < ?10 THEN 1 ELSE 0 END END")
        .arg(admitted, discharged, dischargedAt, admittedAt, stayDays);
}

} // namespace fragment

} // namespace embedded::patient
