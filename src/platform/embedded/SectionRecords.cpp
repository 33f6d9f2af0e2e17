#include "Procedures.h"
#include "Schema.h"
#include "Store.h"

#include "com/Runtime.h"

#include <QLocale>

// The program's own record of what it generated and exported, beside the
// suite's report log: the latest generation of each section and period (by
// its title, where the log keeps one entry for every section of a report
// ID), every generation and every export for the history. Each row is
// written in the transaction of what it records.
namespace embedded {

namespace {

using adodb::BackendError;
using adodb::ResultSet;

const char *const kRecordTables[] = {
    // The latest generation of each section and period, with the setup the
    // upload read and whether the period had ended.
    R"(CREATE TABLE IF NOT EXISTS Patient_Data.tbVelmoraSectionGeneration (
        ReportTitle TEXT NOT NULL,
        FromDate TEXT NOT NULL,
        ToDate TEXT NOT NULL,
        ReportID TEXT NOT NULL,
        GeneratedDate DATETIME NOT NULL,
        UserName TEXT NOT NULL,
        PediaAge INTEGER,
        NewbornCode TEXT,
        SurgeryCode TEXT,
        PeriodEnded BIT NOT NULL,
        CountedTo TEXT NOT NULL,
        PRIMARY KEY (ReportTitle, FromDate, ToDate)))",
    R"(CREATE INDEX IF NOT EXISTS Patient_Data.ixVelmoraSectionGenerationPeriod
        ON tbVelmoraSectionGeneration (FromDate, ToDate))",
    // Every generation, for the history.
    R"(CREATE TABLE IF NOT EXISTS Patient_Data.tbVelmoraGenerationHistory (
        GenerationID INTEGER PRIMARY KEY,
        ReportTitle TEXT NOT NULL,
        FromDate TEXT NOT NULL,
        ToDate TEXT NOT NULL,
        GeneratedDate DATETIME NOT NULL,
        UserName TEXT NOT NULL,
        PediaAge INTEGER,
        NewbornCode TEXT,
        SurgeryCode TEXT,
        PeriodEnded BIT NOT NULL,
        CountedTo TEXT NOT NULL))",
    R"(CREATE INDEX IF NOT EXISTS Patient_Data.ixVelmoraGenerationHistoryPeriod
        ON tbVelmoraGenerationHistory (FromDate, ToDate))",
    // Every export written, from the window or the command line.
    R"(CREATE TABLE IF NOT EXISTS Patient_Data.tbVelmoraExportLog (
        ExportID INTEGER PRIMARY KEY,
        ReportTitle TEXT NOT NULL,
        FromDate TEXT NOT NULL,
        ToDate TEXT NOT NULL,
        Format TEXT NOT NULL CHECK (Format IN ('xls', 'rtf', 'pdf')),
        FileName TEXT NOT NULL,
        UserName TEXT NOT NULL,
        ExportedDate DATETIME NOT NULL))",
    R"(CREATE INDEX IF NOT EXISTS Patient_Data.ixVelmoraExportLogPeriod ON tbVelmoraExportLog (FromDate, ToDate))",
};

QString shown(const QDate &date)
{
    return com::Format(date, QStringLiteral("mm/dd/yyyy"));
}

// The report log's key of a section: its title's text before the first blank.
QString reportIdOf(const QString &title)
{
    const qsizetype blank = title.indexOf(QLatin1Char(' '));
    return blank < 0 ? title : title.left(blank);
}

QString inWords(const QDate &date)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(date, QStringLiteral("MMMM d, yyyy"));
}

// The period of a call, checked as the uploads check it.
std::pair<QDate, QDate> periodOf(const Arguments &args, qsizetype first)
{
    const QDate from = args.date(first);
    const QDate to = args.date(first + 1);
    if (to < from)
        throw BackendError(QStringLiteral("The last date of the period (%1) is before its first date (%2).")
                               .arg(shown(to), shown(from)),
                           50000);
    return {from, to};
}

ResultSet saveSectionGeneration(ProcedureContext &ctx, const Arguments &args)
{
    const QString title = args.text(0);
    const auto [from, to] = periodOf(args, 1);
    const QString user = args.text(3);
    const QDateTime now = ctx.store.now();
    if (from > now.date())
        throw BackendError(QStringLiteral("The period %1 to %2 has not begun: it cannot be generated before %1.")
                               .arg(shown(from), shown(to)),
                           50000);
    const bool ended = to <= now.date();
    const QDate countedTo = ended ? to : now.date();
    // The setup as the section's upload read it, in the same transaction.
    QVariant pediaAge, newbornCode, surgeryCode;
    QSqlQuery setup = sql::exec(
        ctx.db, QStringLiteral("SELECT PediaAge, NewbornCode, SurgeryCode FROM Patient_Data.tbMedNewDOHReportSetup"));
    if (setup.next()) {
        pediaAge = setup.value(0);
        newbornCode = setup.value(1);
        surgeryCode = setup.value(2);
    }
    const QVariantList values = {
        title,       sql::storedDate(from), sql::storedDate(to), sql::storedDateTime(now),  user, pediaAge,
        newbornCode, surgeryCode,           ended ? 1 : 0,       sql::storedDate(countedTo)};
    sql::exec(ctx.db,
              QStringLiteral("INSERT INTO Patient_Data.tbVelmoraSectionGeneration (ReportTitle, FromDate, ToDate, "
                             "GeneratedDate, UserName, PediaAge, NewbornCode, SurgeryCode, PeriodEnded, CountedTo, "
                             "ReportID) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
                             "ON CONFLICT (ReportTitle, FromDate, ToDate) DO UPDATE SET "
                             "GeneratedDate = excluded.GeneratedDate, UserName = excluded.UserName, "
                             "PediaAge = excluded.PediaAge, NewbornCode = excluded.NewbornCode, "
                             "SurgeryCode = excluded.SurgeryCode, PeriodEnded = excluded.PeriodEnded, "
                             "CountedTo = excluded.CountedTo, ReportID = excluded.ReportID"),
              values + QVariantList{reportIdOf(title)});
    sql::exec(ctx.db,
              QStringLiteral("INSERT INTO Patient_Data.tbVelmoraGenerationHistory (ReportTitle, FromDate, ToDate, "
                             "GeneratedDate, UserName, PediaAge, NewbornCode, SurgeryCode, PeriodEnded, CountedTo) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
              values);
    return {};
}

ResultSet searchSectionGeneration(ProcedureContext &ctx, const Arguments &args)
{
    const auto [from, to] = periodOf(args, 0);
    QSqlQuery q = sql::exec(ctx.db,
                            QStringLiteral("SELECT ReportTitle, ReportID, GeneratedDate, UserName, PediaAge, "
                                           "NewbornCode, SurgeryCode, PeriodEnded, CountedTo "
                                           "FROM Patient_Data.tbVelmoraSectionGeneration "
                                           "WHERE FromDate = ? AND ToDate = ? ORDER BY GeneratedDate, ReportTitle"),
                            {sql::storedDate(from), sql::storedDate(to)});
    return sql::toResultSet(q, {QStringLiteral("GeneratedDate"), QStringLiteral("CountedTo")},
                            {QStringLiteral("PeriodEnded")});
}

ResultSet saveExport(ProcedureContext &ctx, const Arguments &args)
{
    const auto [from, to] = periodOf(args, 1);
    const QString format = args.text(3).toLower();
    if (format != u"xls" && format != u"rtf" && format != u"pdf")
        throw BackendError(QStringLiteral("The export format '%1' is none of xls, rtf and pdf.").arg(args.text(3)),
                           50000);
    sql::exec(ctx.db,
              QStringLiteral("INSERT INTO Patient_Data.tbVelmoraExportLog (ReportTitle, FromDate, ToDate, Format, "
                             "FileName, UserName, ExportedDate) VALUES (?, ?, ?, ?, ?, ?, ?)"),
              {args.text(0), sql::storedDate(from), sql::storedDate(to), format, args.text(4), args.text(5),
               sql::storedDateTime(ctx.store.now())});
    return {};
}

ResultSet searchHistory(ProcedureContext &ctx, const Arguments &args)
{
    const auto [from, to] = periodOf(args, 0);
    QSqlQuery q =
        sql::exec(ctx.db,
                  QStringLiteral(
                      "SELECT EventDate, Event, ReportTitle, UserName, Format, FileName, PeriodEnded, CountedTo FROM ("
                      "SELECT GeneratedDate AS EventDate, 'Generated' AS Event, ReportTitle, UserName, NULL AS Format, "
                      "NULL AS FileName, PeriodEnded, CountedTo, GenerationID AS Seq, 0 AS Kind "
                      "FROM Patient_Data.tbVelmoraGenerationHistory WHERE FromDate = ? AND ToDate = ? "
                      "UNION ALL SELECT ExportedDate, 'Exported', ReportTitle, UserName, Format, FileName, NULL, "
                      "NULL, ExportID, 1 FROM Patient_Data.tbVelmoraExportLog WHERE FromDate = ? AND ToDate = ?) "
                      "ORDER BY EventDate DESC, Kind DESC, Seq DESC"),
                  {sql::storedDate(from), sql::storedDate(to), sql::storedDate(from), sql::storedDate(to)});
    return sql::toResultSet(q, {QStringLiteral("EventDate"), QStringLiteral("CountedTo")},
                            {QStringLiteral("PeriodEnded")});
}

// What a section's report says of its figures: one row when they were
// generated, none when not. The program's own record of the section comes
// first, unless the report log's entry for its report ID is later than any
// record of that ID for the period: a generation that kept no record (an
// earlier version of the program) came since, and the log's entry is then
// all that is known (LogDate).
ResultSet reportSectionGeneration(ProcedureContext &ctx, const Arguments &args)
{
    const auto [from, to] = periodOf(args, 0);
    const QString title = args.text(2);
    QSqlQuery q = sql::exec(
        ctx.db,
        QStringLiteral("WITH l AS (SELECT LastUpdatedDate FROM Patient_Data.tbMedNewDOHReportLog "
                       "WHERE ReportID = ? AND FromDate = ? AND ToDate = ? AND NOT EXISTS (SELECT 1 FROM "
                       "Patient_Data.tbVelmoraSectionGeneration g WHERE g.ReportID = ? AND g.FromDate = ? AND "
                       "g.ToDate = ? AND g.GeneratedDate >= LastUpdatedDate)) "
                       "SELECT NULL, NULL, NULL, NULL, LastUpdatedDate FROM l "
                       "UNION ALL SELECT GeneratedDate, UserName, PeriodEnded, CountedTo, NULL "
                       "FROM Patient_Data.tbVelmoraSectionGeneration WHERE ReportTitle = ? AND FromDate = ? AND "
                       "ToDate = ? AND NOT EXISTS (SELECT 1 FROM l)"),
        {reportIdOf(title), sql::storedDate(from), sql::storedDate(to), reportIdOf(title), sql::storedDate(from),
         sql::storedDate(to), title, sql::storedDate(from), sql::storedDate(to)});
    ResultSet result;
    result.columns = {QStringLiteral("GeneratedNote"), QStringLiteral("PeriodNote"), QStringLiteral("LogDate")};
    if (!q.next())
        return result;
    if (!q.value(4).isNull()) {
        const auto logged = com::ParseDate(q.value(4).toString());
        result.rows.append({com::Variant(), com::Variant(), logged ? com::Variant(*logged) : com::Variant()});
        return result;
    }
    const auto generated = com::ParseDate(q.value(0).toString());
    const QString user = q.value(1).toString();
    QString note = QStringLiteral("Figures generated on %1 at %2")
                       .arg(inWords(generated ? generated->date() : QDate()),
                            generated ? generated->time().toString(QStringLiteral("HH:mm")) : QString());
    if (!user.isEmpty())
        note += QStringLiteral(" by ") + user;
    note += QLatin1Char('.');
    com::Variant period;
    if (q.value(2).toLongLong() == 0)
        period = QStringLiteral("The period had not ended when these figures were generated: they count up to %1.")
                     .arg(inWords(QDate::fromString(q.value(3).toString(), Qt::ISODate)));
    result.rows.append({com::Variant(note), period, com::Variant()});
    return result;
}

} // namespace

void registerRecordProcedures(ProcedureRegistry &registry)
{
    const QString patientData = QStringLiteral("Patient_Data");
    const QStringList period = {QStringLiteral("@FromDate"), QStringLiteral("@ToDate")};
    registry.add({patientData,
                  QStringLiteral("sp_Velmora_Save_SectionGeneration"),
                  {QStringLiteral("@ReportTitle"), QStringLiteral("@FromDate"), QStringLiteral("@ToDate"),
                   QStringLiteral("@UserName")},
                  -1,
                  Access::Write,
                  saveSectionGeneration,
                  {patientData}});
    registry.add({patientData, QStringLiteral("sp_Velmora_Search_SectionGeneration"), period, -1, Access::Read,
                  searchSectionGeneration});
    registry.add({patientData,
                  QStringLiteral("sp_Velmora_Save_Export"),
                  {QStringLiteral("@ReportTitle"), QStringLiteral("@FromDate"), QStringLiteral("@ToDate"),
                   QStringLiteral("@Format"), QStringLiteral("@FileName"), QStringLiteral("@UserName")},
                  -1,
                  Access::Write,
                  saveExport,
                  {patientData}});
    registry.add({patientData, QStringLiteral("sp_Velmora_Search_History"), period, -1, Access::Read, searchHistory});
    registry.add({patientData, QStringLiteral("sp_Velmora_Report_SectionGeneration"),
                  period + QStringList{QStringLiteral("@ReportTitle")}, -1, Access::Read, reportSectionGeneration});
}

namespace schema {
void createRecordTables(const QSqlDatabase &db)
{
    for (const char *ddl : kRecordTables)
        sql::exec(db, QString::fromUtf8(ddl));
}
} // namespace schema

} // namespace embedded
