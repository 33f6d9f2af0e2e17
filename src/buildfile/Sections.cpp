#include "buildfile/Sections.h"

#include "adodb/Recordset.h"
#include "adodb/SqlText.h"
#include "catalogue/ReportCatalogue.h"
#include "catalogue/ReportFiles.h"
#include "catalogue/ReportingPeriods.h"
#include "com/ComError.h"
#include "com/Runtime.h"
#include "reporting/ExportRecord.h"
#include "reporting/modCrystal.h"
#include "setup/SetupStatements.h"
#include "startup/modSysConstants.h"

#include <QLocale>

#include <algorithm>
#include <exception>
#include <utility>

namespace buildfile {

QList<const catalogue::ReportItem *> ListedSections()
{
    QList<const catalogue::ReportItem *> listed;
    for (const catalogue::ReportItem &item : catalogue::ReportCatalogue())
        if (modSysConstants::IsReportItemListed(item.title))
            listed.append(&item);
    return listed;
}

bool ReportSetupExists(adodb::Connection &connection)
{
    adodb::Recordset rs;
    rs.Open(setup::LoadSetupStatement(), connection, adodb::adUseClient, adodb::adOpenForwardOnly,
            adodb::adLockReadOnly);
    const bool found = !rs.Eof();
    rs.Close();
    return found;
}

namespace {

struct Record
{
    QString title;
    QString reportId;
    SectionGeneration generation;
};

// The program's own records of a period; nothing when the database keeps
// none (a site's server without the program's procedures).
QList<Record> RecordsOf(adodb::Connection &connection, const QString &firstDate, const QString &lastDate)
{
    adodb::Recordset rs;
    try {
        rs.Open(QStringLiteral("Patient_Data..sp_Velmora_Search_SectionGeneration '") + firstDate +
                    QStringLiteral("','") + lastDate + QStringLiteral("'"),
                connection, adodb::adUseClient, adodb::adOpenForwardOnly, adodb::adLockReadOnly);
    } catch (const com::ComError &e) {
        if (reporting::IsMissingProcedure(e))
            return {};
        throw;
    }
    QList<Record> records;
    for (long r = 0, count = rs.RecordCount(); r < count; ++r) {
        Record record;
        record.title = rs.Fields(QStringLiteral("ReportTitle")).Value().toText();
        record.reportId = rs.Fields(QStringLiteral("ReportID")).Value().toText();
        SectionGeneration &g = record.generation;
        g.source = SectionGeneration::Source::Record;
        g.generated = rs.Fields(QStringLiteral("GeneratedDate")).Value().toDateTime();
        g.user = rs.Fields(QStringLiteral("UserName")).Value().toText();
        g.periodEnded = rs.Fields(QStringLiteral("PeriodEnded")).Value().toBool();
        g.countedTo = rs.Fields(QStringLiteral("CountedTo")).Value().toDateTime().date();
        records.append(record);
        rs.MoveNext();
    }
    rs.Close();
    return records;
}

// The report log of a period: each report ID's time.
QHash<QString, QDateTime> LogTimes(adodb::Connection &connection, const QString &firstDate, const QString &lastDate)
{
    adodb::Recordset rs;
    rs.Open(QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportLog '") + firstDate + QStringLiteral("','") +
                lastDate + QStringLiteral("'"),
            connection, adodb::adUseClient, adodb::adOpenForwardOnly, adodb::adLockReadOnly);
    QHash<QString, QDateTime> times;
    // A later record of the same report ID wins, as it does in the list.
    for (long r = 0, records = rs.RecordCount(); r < records; ++r) {
        times.insert(rs.Fields(QStringLiteral("ReportID")).Value().toText(),
                     rs.Fields(QStringLiteral("LastUpdatedDate")).Value().toDateTime());
        rs.MoveNext();
    }
    rs.Close();
    return times;
}

QString CurrentUserName()
{
    return modSysConstants::pobjCurrentUser ? modSysConstants::pobjCurrentUser->UserID() : QString();
}

// Step 272: the section's own record, in its transaction, so that the record
// exists exactly when the figures do. A database without the record (a
// site's server that has not installed the program's procedures) keeps the
// report log alone, as it always did.
void RecordGeneration(adodb::Connection &connection, const SectionPeriod &section)
{
    try {
        connection.Execute(QStringLiteral("Patient_Data..sp_Velmora_Save_SectionGeneration ") +
                           adodb::SqlText(section.title) + QLatin1Char(',') + adodb::SqlText(section.firstDate) +
                           QLatin1Char(',') + adodb::SqlText(section.lastDate) + QLatin1Char(',') +
                           adodb::SqlText(CurrentUserName()));
    } catch (const com::ComError &e) {
        if (!reporting::IsMissingProcedure(e))
            throw;
    }
}

} // namespace

QHash<QString, SectionGeneration> SectionGenerations(adodb::Connection &connection, const QString &firstDate,
                                                     const QString &lastDate)
{
    const QHash<QString, QDateTime> log = LogTimes(connection, firstDate, lastDate);
    const QList<Record> records = RecordsOf(connection, firstDate, lastDate);
    QHash<QString, int> sharing;
    for (const catalogue::ReportItem &item : catalogue::ReportCatalogue())
        ++sharing[catalogue::GetReportID(item.title)];

    QHash<QString, SectionGeneration> generations;
    for (const catalogue::ReportItem &item : catalogue::ReportCatalogue()) {
        const QString id = catalogue::GetReportID(item.title);
        SectionGeneration generation;
        bool explained = true;
        if (log.contains(id)) {
            const QDateTime logged = log.value(id);
            explained = std::any_of(records.cbegin(), records.cend(), [&](const Record &r) {
                return r.reportId == id && r.generation.generated >= logged;
            });
            if (!explained) {
                generation.source = SectionGeneration::Source::Log;
                generation.generated = logged;
                generation.sharedLog = sharing.value(id) > 1;
            }
        }
        if (explained)
            for (const Record &r : records)
                if (r.title == item.title)
                    generation = r.generation;
        generations.insert(item.title, generation);
    }
    return generations;
}

QString LastUpdatedText(const SectionGeneration &generation)
{
    return generation.isGenerated() ? com::Format(generation.generated, QStringLiteral("mmmm dd, yyyy | hh:mm:ss"))
                                    : QString();
}

QString PeriodName(const QString &year, int position)
{
    return catalogue::PeriodChoices().at(position) + QLatin1Char(' ') + year;
}

PeriodProgress ProgressOn(const QString &firstDate, const QString &lastDate, const QDate &today)
{
    const std::optional<QDateTime> first = com::ParseDate(firstDate);
    const std::optional<QDateTime> last = com::ParseDate(lastDate);
    if (first && first->date() > today)
        return PeriodProgress::NotBegun;
    if (last && last->date() > today)
        return PeriodProgress::InProgress;
    return PeriodProgress::Ended;
}

QString DateInWords(const QDate &date)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(date, QStringLiteral("MMMM d, yyyy"));
}

QString InProgressMessage(const QString &periodName, const QDate &today)
{
    return QStringLiteral("%1 has not ended: its figures will count up to today, %2.")
        .arg(periodName, DateInWords(today));
}

QString NotBegunMessage(const QString &periodName, const QString &firstDate)
{
    const std::optional<QDateTime> first = com::ParseDate(firstDate);
    return QStringLiteral("%1 has not begun: nothing can be generated for it before %2.")
        .arg(periodName, first ? DateInWords(first->date()) : firstDate);
}

bool GenerateSection(adodb::Connection &connection, const SectionPeriod &section, SectionSteps &steps, bool prepared,
                     bool *figuresLost)
{
    if (figuresLost)
        *figuresLost = false;
    // Without a transaction a failed upload could not take its log entry
    // back, so nothing of the section is sent.
    if (!steps.run(142, [&] { connection.BeginTrans(); })) {
        if (figuresLost)
            *figuresLost = true;
        return false;
    }

    // The failures inside the transaction are reported once it has ended: a
    // report may wait for the user, and the transaction holds the database's
    // write lock that the store's other programs wait for.
    QList<std::pair<int, std::exception_ptr>> failures;
    auto attempt = [&](int line, const std::function<void()> &body) {
        try {
            body();
            return true;
        } catch (...) {
            failures.append({line, std::current_exception()});
            return false;
        }
    };

    bool completed = prepared;
    if (!attempt(144, [&] {
            connection.Execute(QStringLiteral("Patient_Data..sp_DOH_Update_tbMedNewDOHReportLog '") +
                               catalogue::GetReportID(section.title) + QStringLiteral("','") + section.firstDate +
                               QStringLiteral("','") + section.lastDate + QStringLiteral("'"));
        }))
        completed = false;
    if (!attempt(146, [&] { steps.uploadStarting(section.title); }))
        completed = false;

    const catalogue::ReportItem *item = nullptr;
    QString procedureName;
    if (!attempt(150, [&] {
            item = catalogue::FindReportItem(section.title);
            if (item && !item->uploadProcedure.isEmpty()) {
                procedureName = item->uploadProcedure;
                steps.procedureChosen(procedureName);
            }
        }))
        completed = false;

    // Once the section cannot commit its upload would only be rolled back,
    // holding the store's locks for nothing: it is not sent.
    if (completed && !procedureName.isEmpty()) {
        const QString statement =
            QStringLiteral("Patient_Data..") + procedureName + QStringLiteral(" '") + section.firstDate +
            QStringLiteral("','") + section.lastDate + QStringLiteral("'") +
            (item->takesUploadOption ? QLatin1Char(',') + QString::number(modSysConstants::plngUploadOption)
                                     : QString());
        if (!attempt(item->takesUploadOption ? 270 : 274, [&] { connection.Execute(statement); })) {
            completed = false;
            if (figuresLost)
                *figuresLost = true;
        }
    }
    if (completed && !attempt(272, [&] { RecordGeneration(connection, section); }))
        completed = false;

    if (completed && attempt(276, [&] { connection.CommitTrans(); }))
        return true;
    if (completed && figuresLost)
        *figuresLost = true; // the commit failed: nothing of the section was kept
    // What the section could not keep is undone before its failures are
    // reported; a failed commit's rollback goes unreported, as its commit
    // failure says it all.
    const bool commitFailed = completed;
    try {
        connection.RollbackTrans();
    } catch (...) {
        if (!commitFailed)
            failures.append({276, std::current_exception()});
    }
    for (const auto &[line, failure] : failures)
        steps.run(line, [&failure] { std::rethrow_exception(failure); });
    return false;
}

void OpenSectionReport(const catalogue::ReportFile &entry, const QString &year, const QString &firstDate,
                       const QString &lastDate)
{
    const QList<com::Variant> header = {modSysConstants::pstrHospitalName, modSysConstants::pstrHospitalAddress1,
                                        modSysConstants::pstrHospitalAddress2};
    const QString path = catalogue::ReportFolder() + QLatin1Char('/') + entry.file;
    switch (entry.values) {
    case catalogue::ReportValues::Year:
        modCrystal::OpenReportFile(path, {year});
        break;
    case catalogue::ReportValues::HospitalAndDates:
        modCrystal::OpenReportFile(path, header + QList<com::Variant>{firstDate, lastDate});
        break;
    case catalogue::ReportValues::Dates:
        modCrystal::OpenReportFile(path, {firstDate, lastDate});
        break;
    }
    if (entry.header)
        modCrystal::OpenSubReport(catalogue::kReportHeaderName, header);
}

bool KeptFailures::run(int, const std::function<void()> &body)
{
    try {
        body();
        return true;
    } catch (const std::exception &e) {
        const QString description = com::describe(e);
        if (!failures.contains(description))
            failures.append(description);
        return false;
    }
}

} // namespace buildfile
