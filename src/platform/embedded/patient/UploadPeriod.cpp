#include "UploadPeriod.h"

#include "GroupedSums.h"

#include "../Schema.h"

#include "com/Runtime.h"

#include <QHash>
#include <QRegularExpression>

#include <sqlite3.h>

namespace embedded::patient {

namespace {

using adodb::BackendError;

QString shown(const QDate &date)
{
    return com::Format(date, QStringLiteral("mm/dd/yyyy"));
}

// A text column as the setup holds it; a null one is a null text.
QString textOf(sqlite3_stmt *row, int column)
{
    if (sqlite3_column_type(row, column) == SQLITE_NULL)
        return QString();
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(row, column));
    return QString::fromUtf8(text, sqlite3_column_bytes(row, column));
}

// A statement's "?N" made plain "?"s, and the numbers in their order.
struct Numbered
{
    QString text;
    QList<int> placeholders;
};

Numbered plainPlaceholders(const QString &statement)
{
    // Each "?N" becomes a plain "?" bound in order: the driver's own
    // handling of numbered placeholders is not to be relied on.
    static const QRegularExpression numbered(QStringLiteral("\\?([0-9]+)"));
    Numbered n;
    qsizetype done = 0;
    for (const QRegularExpressionMatch &m : numbered.globalMatch(statement)) {
        n.text += QStringView(statement).mid(done, m.capturedStart() - done);
        n.text += QLatin1Char('?');
        n.placeholders.append(m.captured(1).toInt());
        done = m.capturedEnd();
    }
    n.text += QStringView(statement).mid(done);
    return n;
}

// The uploads' statements are a few fixed texts, each made plain once.
const Numbered &numberedOnce(const QString &statement)
{
    thread_local QHash<QString, Numbered> made;
    auto found = made.constFind(statement);
    if (found != made.constEnd())
        return *found;
    if (made.size() >= PreparedStatements::kLimit)
        made.clear();
    return *made.insert(statement, plainPlaceholders(statement));
}

} // namespace

UploadPeriod::UploadPeriod(const ProcedureContext &context, const Arguments &arguments, bool takesOption,
                           const QString &upload)
    : m_db(context.db)
    , m_statements(context.store.statements())
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
    {
        grouped::Statement setup(m_statements,
                                 QStringLiteral("SELECT PediaAge, rtrim(NewbornCode, ' '), "
                                                "rtrim(SurgeryCode, ' ') FROM Patient_Data.tbMedNewDOHReportSetup"));
        if (!setup.next())
            throw BackendError(QStringLiteral("No DOH report setup exists: save the report setup (paediatric age, "
                                              "newborn and surgery service codes) before generating the reports."),
                               50000);
        m_pediaAge = sqlite3_column_int(setup.get(), 0);
        m_newbornCode = textOf(setup.get(), 1);
        m_surgeryCode = textOf(setup.get(), 2);
    }
}

void UploadPeriod::clear(const QString &table) const
{
    run(QStringLiteral("DELETE FROM Patient_Data.%1 WHERE FromDate = ?1 AND ToDate = ?3").arg(table));
}

void UploadPeriod::run(const QString &statement) const
{
    const Bound b = bound(statement);
    m_statements.run(b.text, b.values);
}

UploadPeriod::Bound UploadPeriod::bound(const QString &statement, const QVariantList &more) const
{
    const Numbered &numbered = numberedOnce(statement);
    const QList<int> &placeholders = numbered.placeholders;
    Bound b;
    b.text = numbered.text;

    if (placeholders.contains(8) && !m_stayCutoff.isValid()) {
        // The longest stay on record bounds how early an admission still in
        // the hospital during the period can be; open stays are found apart.
        grouped::Statement longest(m_statements, QStringLiteral("SELECT MAX(StayDays) FROM Patient_Data.tbAdmission"));
        const qint64 days = longest.next() ? sqlite3_column_int64(longest.get(), 0) : 0;
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
