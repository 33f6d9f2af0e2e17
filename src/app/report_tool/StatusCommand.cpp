#include "Commands.h"

#include "Arguments.h"
#include "Console.h"

#include "adodb/Recordset.h"
#include "buildfile/Sections.h"
#include "catalogue/ReportCatalogue.h"
#include "catalogue/ReportingPeriods.h"
#include "com/ComError.h"
#include "com/Runtime.h"
#include "reporting/ExportRecord.h"

namespace reporttool {

namespace {

const QString kTimeFormat = QStringLiteral("mmmm dd, yyyy | hh:mm:ss");

// A section's line: its title and what is known of its figures, tab-separated.
QString sectionLine(const QString &title, const buildfile::SectionGeneration &g)
{
    QStringList columns = {title};
    if (!g.isGenerated())
        columns << QStringLiteral("not generated");
    else
        columns << buildfile::LastUpdatedText(g);
    if (g.source == buildfile::SectionGeneration::Source::Record) {
        columns << g.user;
        if (!g.periodEnded)
            columns << QStringLiteral("counts up to ") + buildfile::DateInWords(g.countedTo);
    } else if (g.sharedLog) {
        columns << QStringLiteral("generated with the other %1 sections").arg(catalogue::GetReportID(title));
    }
    return columns.join(QLatin1Char('\t'));
}

// The period's generations and exports, newest first.
void printHistory(adodb::Connection &connection, const Period &period)
{
    adodb::Recordset rs;
    try {
        rs.Open(QStringLiteral("Patient_Data..sp_Velmora_Search_History '") + period.firstDate + QStringLiteral("','") +
                    period.lastDate + QStringLiteral("'"),
                connection, adodb::adUseClient, adodb::adOpenForwardOnly, adodb::adLockReadOnly);
    } catch (const com::ComError &e) {
        if (!reporting::IsMissingProcedure(e))
            throw;
        throw Stop{kWorkFailed, QStringLiteral("This database keeps no history of generations and exports: its "
                                               "administrator installs it with velmora-sqlserver.sql.")};
    }
    if (rs.RecordCount() == 0)
        out() << QStringLiteral("No generation or export is recorded for this period.") << Qt::endl;
    for (long r = 0, count = rs.RecordCount(); r < count; ++r) {
        const auto field = [&](const char *name) { return rs.Fields(QString::fromLatin1(name)).Value(); };
        const bool exported = field("Event").toText() == u"Exported";
        QStringList columns = {com::Format(field("EventDate").toDateTime(), kTimeFormat),
                               exported ? QStringLiteral("exported") : QStringLiteral("generated"),
                               field("ReportTitle").toText(), field("UserName").toText()};
        if (exported)
            columns << field("Format").toText() << field("FileName").toText();
        else if (!field("PeriodEnded").toBool())
            columns << QStringLiteral("counts up to ") + buildfile::DateInWords(field("CountedTo").toDateTime().date());
        out() << columns.join(QLatin1Char('\t')) << Qt::endl;
        rs.MoveNext();
    }
    rs.Close();
}

} // namespace

int status(adodb::Connection &connection, const Arguments &args)
{
    QList<int> positions;
    if (args.period >= 0)
        positions = {args.period};
    else
        for (int p = 0; p < catalogue::PeriodChoices().size(); ++p)
            positions.append(p);
    const QList<const catalogue::ReportItem *> sections = buildfile::ListedSections();
    for (int position : positions) {
        const Period period = periodOf(args.year, position);
        out() << period.name << " (" << period.firstDate << " to " << period.lastDate << ")" << Qt::endl;
        if (args.history) {
            printHistory(connection, period);
            continue;
        }
        const QHash<QString, buildfile::SectionGeneration> generations =
            buildfile::SectionGenerations(connection, period.firstDate, period.lastDate);
        for (const catalogue::ReportItem *item : sections)
            out() << sectionLine(item->title, generations.value(item->title)) << Qt::endl;
    }
    return kSucceeded;
}

} // namespace reporttool
