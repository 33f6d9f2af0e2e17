#include "buildfile/Sections.h"

#include "adodb/Recordset.h"
#include "catalogue/ReportCatalogue.h"
#include "catalogue/ReportFiles.h"
#include "com/ComError.h"
#include "com/Runtime.h"
#include "reporting/modCrystal.h"
#include "setup/SetupStatements.h"
#include "startup/modSysConstants.h"

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

QHash<QString, QString> LastUpdatedTimes(adodb::Connection &connection, const QString &firstDate,
                                         const QString &lastDate)
{
    adodb::Recordset rs;
    rs.Open(QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportLog '") + firstDate + QStringLiteral("','") +
                lastDate + QStringLiteral("'"),
            connection, adodb::adUseClient, adodb::adOpenForwardOnly, adodb::adLockReadOnly);
    QHash<QString, QString> times;
    // A later record of the same report ID wins, as it does in the list.
    for (long r = 0, records = rs.RecordCount(); r < records; ++r) {
        times.insert(rs.Fields(QStringLiteral("ReportID")).Value().toText(),
                     com::Format(rs.Fields(QStringLiteral("LastUpdatedDate")).Value().toDateTime(),
                                 QStringLiteral("mmmm dd, yyyy | hh:mm:ss")));
        rs.MoveNext();
    }
    rs.Close();
    return times;
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
