#include "Commands.h"

#include "Arguments.h"
#include "Console.h"

#include "buildfile/Sections.h"
#include "catalogue/ReportCatalogue.h"
#include "catalogue/ReportingPeriods.h"

namespace reporttool {

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
        const QHash<QString, QString> times =
            buildfile::LastUpdatedTimes(connection, period.firstDate, period.lastDate);
        out() << period.name << " (" << period.firstDate << " to " << period.lastDate << ")" << Qt::endl;
        for (const catalogue::ReportItem *item : sections)
            out() << item->title << '\t'
                  << times.value(catalogue::GetReportID(item->title), QStringLiteral("not generated")) << Qt::endl;
    }
    return kSucceeded;
}

} // namespace reporttool
