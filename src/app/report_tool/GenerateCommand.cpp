#include "Commands.h"

#include "Arguments.h"
#include "Console.h"

#include "buildfile/Sections.h"
#include "catalogue/ReportCatalogue.h"
#include "catalogue/ReportingPeriods.h"

#include <QDate>
#include <QElapsedTimer>

#include <unistd.h>

namespace reporttool {

Period periodOf(const QString &year, int position)
{
    return {buildfile::PeriodName(year, position), catalogue::PeriodStartDate(year, position),
            catalogue::PeriodEndDate(year, position)};
}

QString seconds(qint64 milliseconds)
{
    return QString::number(double(milliseconds) / 1000.0, 'f', 2) + QStringLiteral(" s");
}

int generate(adodb::Connection &connection, const Arguments &args)
{
    const QList<const catalogue::ReportItem *> sections =
        args.all ? buildfile::ListedSections() : namedSections(args.sections);
    const Period period = periodOf(args.year, args.period);
    // As the window: a period not begun is not generated; one not ended is,
    // counted up to today, and the run says so first.
    const QDate today = QDate::currentDate();
    const buildfile::PeriodProgress periodState = buildfile::ProgressOn(period.firstDate, period.lastDate, today);
    if (periodState == buildfile::PeriodProgress::NotBegun)
        throw Stop{kWorkFailed, buildfile::NotBegunMessage(period.name, period.firstDate)};
    if (!buildfile::ReportSetupExists(connection))
        throw Stop{kWorkFailed, QStringLiteral("The DOH report setup must be saved before generating: save it once "
                                               "in the program's Setup dialog.")};
    if (periodState == buildfile::PeriodProgress::InProgress)
        out() << buildfile::InProgressMessage(period.name, today) << Qt::endl;
    const bool progress = ::isatty(STDERR_FILENO);
    QElapsedTimer whole;
    whole.start();
    QStringList failed;
    for (qsizetype i = 0; i < sections.size(); ++i) {
        const QString &title = sections.at(i)->title;
        // On a terminal, the section at work on one line that the next replaces.
        if (progress)
            err() << "\r\033[K[" << (i + 1) << '/' << sections.size() << "] Processing " << title << "..." << Qt::flush;
        buildfile::KeptFailures steps;
        QElapsedTimer timer;
        timer.start();
        const bool done = buildfile::GenerateSection(connection, {title, period.firstDate, period.lastDate}, steps);
        if (progress)
            err() << "\r\033[K" << Qt::flush;
        out() << title << '\t' << seconds(timer.elapsed()) << '\t'
              << (done ? QStringLiteral("OK") : steps.failures.join(QStringLiteral("; "))) << Qt::endl;
        if (!done)
            failed.append(title);
    }
    out() << QStringLiteral("Generated %1 of %2 sections for %3 (%4 to %5) in %6.")
                 .arg(sections.size() - failed.size())
                 .arg(sections.size())
                 .arg(period.name, period.firstDate, period.lastDate, seconds(whole.elapsed()));
    if (!failed.isEmpty())
        out() << QStringLiteral(" Not generated: %1.").arg(failed.join(QStringLiteral("; ")));
    out() << Qt::endl;
    return failed.isEmpty() ? kSucceeded : kWorkFailed;
}

} // namespace reporttool
