#include "Arguments.h"

#include "Console.h"
#include "SignIn.h"

#include "buildfile/Sections.h"
#include "catalogue/ReportCatalogue.h"
#include "catalogue/ReportingPeriods.h"

#include <QDate>

#include <algorithm>
#include <optional>

namespace reporttool {

namespace {

// The period box's position for a name: the box's own texts in any case,
// a month's first three letters, or Q1 to Q4.
std::optional<int> periodPosition(const QString &typed)
{
    const QString name = typed.simplified();
    const QStringList &choices = catalogue::PeriodChoices();
    for (int i = 0; i < choices.size(); ++i) {
        if (choices.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
        if (i >= 1 && i <= 12 && name.size() == 3 && choices.at(i).startsWith(name, Qt::CaseInsensitive))
            return i;
    }
    static const QStringList quarters = {QStringLiteral("Q1"), QStringLiteral("Q2"), QStringLiteral("Q3"),
                                         QStringLiteral("Q4")};
    for (int q = 0; q < quarters.size(); ++q)
        if (quarters.at(q).compare(name, Qt::CaseInsensitive) == 0)
            return 13 + q;
    return std::nullopt;
}

// setup takes no period, section or export options, and a value given
// must not be empty.
Arguments checkedSetupArguments(const Arguments &parsed)
{
    if (!parsed.year.isEmpty() || parsed.period >= 0 || !parsed.sections.isEmpty() || parsed.all ||
        !parsed.format.isEmpty() || !parsed.output.isEmpty())
        throw badArguments(QStringLiteral("setup takes only --pedia-age, --newborn-code and --surgery-code (and "
                                          "the sign-in's options)."));
    if (!parsed.store.isEmpty() && !parsed.server.isEmpty())
        throw badArguments(QStringLiteral("Give either --store or --server, not both."));
    if (parsed.user.trimmed().isEmpty())
        throw badArguments(QStringLiteral("Name the user who signs in with --user."));
    return parsed;
}

} // namespace

const QStringList &formats()
{
    static const QStringList names = {QStringLiteral("xls"), QStringLiteral("rtf"), QStringLiteral("pdf")};
    return names;
}

Arguments parseArguments(const QStringList &args)
{
    Arguments parsed;
    const QStringList valued = {
        QStringLiteral("--year"),         QStringLiteral("--period"),      QStringLiteral("--section"),
        QStringLiteral("--format"),       QStringLiteral("--output"),      QStringLiteral("--store"),
        QStringLiteral("--server"),       QStringLiteral("--user"),        QStringLiteral("--pedia-age"),
        QStringLiteral("--newborn-code"), QStringLiteral("--surgery-code")};
    // An option where a value is due means the value was left out: it is
    // not taken as the value ("--year --period March" is no year "--period").
    const auto isOption = [&valued](const QString &text) {
        const QString name = text.section(QLatin1Char('='), 0, 0);
        return valued.contains(name) || name == u"--all" || name == u"--history" || name == u"--help" ||
               name == u"-h" || name == u"-p" || name.startsWith(QStringLiteral("--pass"));
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString option = args.at(i);
        QString value;
        bool hasValue = false;
        const qsizetype equals = option.indexOf(QLatin1Char('='));
        if (option.startsWith(QStringLiteral("--")) && equals > 0) {
            value = option.mid(equals + 1);
            option = option.left(equals);
            hasValue = true;
        }
        if (option.startsWith(QStringLiteral("--pass")) || option == u"-p")
            throw badArguments(QStringLiteral("The password is never taken from the command line: type it when "
                                              "asked, or set %1 for a scheduled run.")
                                   .arg(kPasswordVariable));
        if (valued.contains(option)) {
            if (!hasValue) {
                if (i + 1 >= args.size() || isOption(args.at(i + 1)))
                    throw badArguments(QStringLiteral("%1 needs a value.").arg(option));
                value = args.at(++i);
            }
            // An empty folder or server would silently mean the default store.
            if ((option == u"--store" || option == u"--server") && value.trimmed().isEmpty())
                throw badArguments(QStringLiteral("%1 needs a value.").arg(option));
            if (option == u"--year")
                parsed.year = value;
            else if (option == u"--period") {
                const std::optional<int> position = periodPosition(value);
                if (!position)
                    throw badArguments(QStringLiteral("'%1' is no period. The periods are:\n%2\n(or a month's "
                                                      "first three letters, or Q1 to Q4)")
                                           .arg(value, listed(catalogue::PeriodChoices())));
                parsed.period = *position;
            } else if (option == u"--section")
                parsed.sections.append(value);
            else if (option == u"--format") {
                parsed.format = value.toLower();
                if (!formats().contains(parsed.format))
                    throw badArguments(QStringLiteral("'%1' is no export format. The formats are: %2.")
                                           .arg(value, formats().join(QStringLiteral(", "))));
            } else if (option == u"--output")
                parsed.output = value;
            else if (option == u"--store")
                parsed.store = value;
            else if (option == u"--server")
                parsed.server = value;
            else if (option == u"--user")
                parsed.user = value;
            else if (option == u"--pedia-age")
                parsed.pediaAge = value;
            else if (option == u"--newborn-code")
                parsed.newbornCode = value;
            else if (option == u"--surgery-code")
                parsed.surgeryCode = value;
        } else if (option == u"--all" && !hasValue) {
            parsed.all = true;
        } else if (option == u"--history" && !hasValue) {
            parsed.history = true;
        } else if (!option.startsWith(QLatin1Char('-')) && parsed.command.isEmpty()) {
            parsed.command = option;
        } else {
            throw badArguments(QStringLiteral("Unknown argument '%1'.").arg(args.at(i)));
        }
    }

    static const QStringList commands = {QStringLiteral("generate"), QStringLiteral("export"), QStringLiteral("status"),
                                         QStringLiteral("setup"), QStringLiteral("check")};
    if (parsed.command.isEmpty())
        throw badArguments(QStringLiteral("Name a command: generate, export, status, setup or check."));
    if (!commands.contains(parsed.command))
        throw badArguments(
            QStringLiteral("'%1' is no command. The commands are: generate, export, status, setup, check.")
                .arg(parsed.command));
    if (parsed.command == u"setup")
        return checkedSetupArguments(parsed);
    if (parsed.pediaAge || parsed.newbornCode || parsed.surgeryCode)
        throw badArguments(QStringLiteral("--pedia-age, --newborn-code and --surgery-code are for setup only."));

    const int thisYear = QDate::currentDate().year();
    bool numeric = false;
    const int year = parsed.year.toInt(&numeric);
    if (parsed.year.isEmpty())
        throw badArguments(QStringLiteral("Name the year with --year."));
    if (!numeric || parsed.year.size() != 4 || year < catalogue::kOldestYear || year > thisYear)
        throw badArguments(QStringLiteral("'%1' is no year of the reports: the years are %2 to %3.")
                               .arg(parsed.year)
                               .arg(catalogue::kOldestYear)
                               .arg(thisYear));
    if (parsed.period < 0 && parsed.command != u"status")
        throw badArguments(QStringLiteral("Name the period with --period."));
    if (parsed.command == u"generate" && parsed.sections.isEmpty() && !parsed.all)
        throw badArguments(QStringLiteral("Name the sections with --section, or give --all."));
    if (parsed.command == u"status" && parsed.all)
        throw badArguments(QStringLiteral("--all is for generate and export only."));
    if (parsed.all && !parsed.sections.isEmpty())
        throw badArguments(QStringLiteral("Give either --section or --all, not both."));
    if (parsed.command == u"export") {
        if (parsed.all && parsed.format == u"rtf")
            throw badArguments(QStringLiteral("The whole period is written as one pdf or xls file, not rtf."));
        if (parsed.sections.size() != 1 && !parsed.all)
            throw badArguments(
                QStringLiteral("Name the one section to export with --section, or give --all for every section."));
        if (parsed.format.isEmpty())
            throw badArguments(
                QStringLiteral("Name the format with --format: %1.").arg(formats().join(QStringLiteral(", "))));
        if (parsed.output.isEmpty())
            throw badArguments(QStringLiteral("Name the file to write with --output."));
    } else if (!parsed.format.isEmpty() || !parsed.output.isEmpty()) {
        throw badArguments(QStringLiteral("--format and --output are for export only."));
    }
    if (parsed.command != u"status" && parsed.history)
        throw badArguments(QStringLiteral("--history is for status only."));
    if (parsed.command == u"status" && !parsed.sections.isEmpty())
        throw badArguments(QStringLiteral("status lists every section; --section is not taken."));
    if (parsed.command == u"check" && !parsed.sections.isEmpty())
        throw badArguments(QStringLiteral("check looks at the whole period; --section is not taken."));
    if (!parsed.store.isEmpty() && !parsed.server.isEmpty())
        throw badArguments(QStringLiteral("Give either --store or --server, not both."));
    if (parsed.user.trimmed().isEmpty())
        throw badArguments(QStringLiteral("Name the user who signs in with --user."));
    return parsed;
}

// The listed sections named by titles or report IDs, in list order.
QList<const catalogue::ReportItem *> namedSections(const QStringList &names)
{
    const QList<const catalogue::ReportItem *> listedItems = buildfile::ListedSections();
    QStringList titles;
    for (const catalogue::ReportItem *item : listedItems)
        titles.append(item->title);
    QList<const catalogue::ReportItem *> chosen;
    for (const QString &name : names) {
        const QString wanted = name.simplified();
        QList<const catalogue::ReportItem *> matches;
        for (const catalogue::ReportItem *item : listedItems)
            if (item->title.compare(wanted, Qt::CaseInsensitive) == 0)
                matches = {item};
        if (matches.isEmpty())
            for (const catalogue::ReportItem *item : listedItems)
                if (catalogue::GetReportID(item->title).compare(wanted, Qt::CaseInsensitive) == 0)
                    matches.append(item);
        if (matches.size() > 1) {
            QStringList sharing;
            for (const catalogue::ReportItem *item : matches)
                sharing.append(item->title);
            throw badArguments(QStringLiteral("The report ID '%1' is shared by several sections; name one by its "
                                              "title:\n%2")
                                   .arg(name, listed(sharing)));
        }
        if (matches.isEmpty()) {
            const bool hidden = catalogue::FindReportItem(wanted) != nullptr;
            throw badArguments(
                QStringLiteral("%1 The sections are:\n%2")
                    .arg(hidden ? QStringLiteral("The section '%1' is not listed for this hospital.").arg(name)
                                : QStringLiteral("'%1' is no section.").arg(name),
                         listed(titles)));
        }
        if (!chosen.contains(matches.first()))
            chosen.append(matches.first());
    }
    std::sort(chosen.begin(), chosen.end(),
              [](const catalogue::ReportItem *a, const catalogue::ReportItem *b) { return a->number < b->number; });
    return chosen;
}

} // namespace reporttool
