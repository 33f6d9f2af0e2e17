// velmora-report: the build-file window's monthly work from the command line,
// for scheduled runs. It signs in as the window's user does, then generates
// sections, exports one section's report or lists the report log, through
// the same functions the window calls (buildfile/Sections.h).

#include "buildfile/Sections.h"
#include "catalogue/ReportCatalogue.h"
#include "catalogue/ReportFiles.h"
#include "catalogue/ReportingPeriods.h"
#include "reporting/modCrystal.h"
#include "startup/modSysConstants.h"

#include "adodb/OdbcBackend.h"
#include "com/ComError.h"
#include "embedded/EmbeddedBackend.h"
#include "embedded/Store.h"
#include "forms/MsgBox.h"
#include "reportengine/ReportEngine.h"
#include "session/CurrentUser.h"
#include "session/UserAccounts.h"
#include "session/clsCurrentUser.h"

#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <optional>

namespace {

enum ExitCode {
    kSucceeded = 0,
    kWorkFailed = 1, // a section, the export or the data it needs
    kBadArguments = 2,
    kNoSignIn = 3, // refused, or the database cannot be reached
};

const QString kPasswordVariable = QStringLiteral("VELMORA_PASSWORD");

const char kHelp[] = R"(Usage: velmora-report COMMAND [OPTIONS]

The monthly work of the DOH reports window, for scheduled runs.

Commands:
  generate  Generates the sections for a period: for each, its report-log
            entry and its upload, kept together or not at all. One line per
            section (title, time taken, OK or why it failed), then a summary.
  export    Writes one section's report for a period to a file, as Print
            shows it, in Excel (xls), Rich Text (rtf) or PDF (pdf).
  status    Lists each section with its last-generated time for the period,
            or for every period of the year when no period is named.

Options:
  --year YYYY          The year, 1950 to this year.
  --period PERIOD      Yearly, a month (March, or Mar), a quarter (First
                       Quarter, or Q1 to Q4), First SemiAnnual or Second
                       SemiAnnual.
  --section SECTION    A section by its title, or by its report ID when only
                       one section has it ("I."). Repeat for more.
  --all                Every section the window lists (generate).
  --format FORMAT      xls, rtf or pdf (export).
  --output FILE        The file to write (export). Nothing is left there when
                       the export fails.
  --store FOLDER       The embedded store (default: the program's own).
  --server SERVER      A SQL Server instead: host, host,port or host\instance.
  --user NAME          The user who signs in.
  --help               This text.

The password is read from the terminal without echo, or from the environment
variable VELMORA_PASSWORD for scheduled runs; never from the command line.

Exit codes: 0 done, 1 a section or the export failed, 2 wrong arguments,
3 not signed in (refused, or the database cannot be reached).
)";

// A failure the command reports and ends with.
struct Stop
{
    int code;
    QString message;
};

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

// Message boxes of the shared code, written to the error output; a question
// gets its safe answer.
class ConsoleMessageBox : public forms::MessageBoxService
{
public:
    forms::MsgBoxResult show(const forms::MessageBoxRequest &request) override
    {
        err() << request.prompt << Qt::endl;
        switch (request.buttons()) {
        case forms::vbYesNo:
            return forms::vbNo;
        case forms::vbOKCancel:
        case forms::vbYesNoCancel:
        case forms::vbRetryCancel:
            return forms::vbCancel;
        case forms::vbAbortRetryIgnore:
            return forms::vbAbort;
        default:
            return forms::vbOK;
        }
    }
};

// ---------------------------------------------------------------------------
// Arguments

struct Arguments
{
    QString command;
    QString year;
    int period = -1; // position in the window's period box
    QStringList sections;
    bool all = false;
    QString format;
    QString output;
    QString store;
    QString server;
    QString user;
};

QString listed(const QStringList &values)
{
    return QStringLiteral("  ") + values.join(QStringLiteral("\n  "));
}

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

const QStringList &formats()
{
    static const QStringList names = {QStringLiteral("xls"), QStringLiteral("rtf"), QStringLiteral("pdf")};
    return names;
}

int formatType(const QString &name)
{
    if (name == u"xls")
        return reportengine::crEFTExcel80;
    if (name == u"rtf")
        return reportengine::crEFTRichText;
    return reportengine::crEFTPortableDocFormat;
}

Stop badArguments(const QString &message)
{
    return {kBadArguments, message + QStringLiteral("\nRun velmora-report --help for the options.")};
}

Arguments parseArguments(const QStringList &args)
{
    Arguments parsed;
    const QStringList valued = {QStringLiteral("--year"),   QStringLiteral("--period"), QStringLiteral("--section"),
                                QStringLiteral("--format"), QStringLiteral("--output"), QStringLiteral("--store"),
                                QStringLiteral("--server"), QStringLiteral("--user")};
    // An option where a value is due means the value was left out: it is
    // not taken as the value ("--year --period March" is no year "--period").
    const auto isOption = [&valued](const QString &text) {
        const QString name = text.section(QLatin1Char('='), 0, 0);
        return valued.contains(name) || name == u"--all" || name == u"--help" || name == u"-h" || name == u"-p" ||
               name.startsWith(QStringLiteral("--pass"));
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
        } else if (option == u"--all" && !hasValue) {
            parsed.all = true;
        } else if (!option.startsWith(QLatin1Char('-')) && parsed.command.isEmpty()) {
            parsed.command = option;
        } else {
            throw badArguments(QStringLiteral("Unknown argument '%1'.").arg(args.at(i)));
        }
    }

    static const QStringList commands = {QStringLiteral("generate"), QStringLiteral("export"),
                                         QStringLiteral("status")};
    if (parsed.command.isEmpty())
        throw badArguments(QStringLiteral("Name a command: generate, export or status."));
    if (!commands.contains(parsed.command))
        throw badArguments(
            QStringLiteral("'%1' is no command. The commands are: generate, export, status.").arg(parsed.command));

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
    if (parsed.command != u"generate" && parsed.all)
        throw badArguments(QStringLiteral("--all is for generate only."));
    if (parsed.command == u"generate" && parsed.all && !parsed.sections.isEmpty())
        throw badArguments(QStringLiteral("Give either --section or --all, not both."));
    if (parsed.command == u"export") {
        if (parsed.sections.size() != 1)
            throw badArguments(QStringLiteral("Name the one section to export with --section."));
        if (parsed.format.isEmpty())
            throw badArguments(
                QStringLiteral("Name the format with --format: %1.").arg(formats().join(QStringLiteral(", "))));
        if (parsed.output.isEmpty())
            throw badArguments(QStringLiteral("Name the file to write with --output."));
    } else if (!parsed.format.isEmpty() || !parsed.output.isEmpty()) {
        throw badArguments(QStringLiteral("--format and --output are for export only."));
    }
    if (parsed.command == u"status" && !parsed.sections.isEmpty())
        throw badArguments(QStringLiteral("status lists every section; --section is not taken."));
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

// ---------------------------------------------------------------------------
// Password and sign-in

termios s_savedTerminal;
int s_terminal = -1;

void restoreTerminal(int signal)
{
    if (s_terminal >= 0)
        ::tcsetattr(s_terminal, TCSAFLUSH, &s_savedTerminal);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// The password typed on the terminal, not echoed; nothing without a terminal.
std::optional<QString> passwordFromTerminal(const QString &user)
{
    const int tty = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (tty < 0)
        return std::nullopt;
    const QByteArray prompt = QStringLiteral("Password for %1: ").arg(user).toUtf8();
    (void)!::write(tty, prompt.constData(), size_t(prompt.size()));
    termios quiet;
    const bool isTerminal = ::tcgetattr(tty, &s_savedTerminal) == 0;
    if (isTerminal) {
        s_terminal = tty;
        std::signal(SIGINT, restoreTerminal);
        std::signal(SIGTERM, restoreTerminal);
        quiet = s_savedTerminal;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(tty, TCSAFLUSH, &quiet);
    }
    QByteArray typed;
    char c;
    while (::read(tty, &c, 1) == 1 && c != '\n')
        typed.append(c);
    if (isTerminal) {
        ::tcsetattr(tty, TCSAFLUSH, &s_savedTerminal);
        s_terminal = -1;
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
    }
    (void)!::write(tty, "\n", 1);
    ::close(tty);
    if (typed.endsWith('\r'))
        typed.chop(1);
    const QString password = QString::fromUtf8(typed);
    typed.fill('\0');
    return password;
}

QString readPassword(const QString &user)
{
    if (qEnvironmentVariableIsSet("VELMORA_PASSWORD")) {
        const QString password = qEnvironmentVariable("VELMORA_PASSWORD");
        // Nothing started from here inherits it.
        qunsetenv("VELMORA_PASSWORD");
        return password;
    }
    if (const std::optional<QString> typed = passwordFromTerminal(user))
        return *typed;
    throw Stop{kBadArguments, QStringLiteral("No password: run velmora-report on a terminal to type it, or set %1 "
                                             "for a scheduled run.")
                                  .arg(kPasswordVariable)};
}

// The signed-in session: the shared connection, and the server and login the
// report tables log on with.
class CommandLineSession : public session::CurrentUser
{
public:
    adodb::ConnectionPtr connection = std::make_shared<adodb::Connection>();
    QString server, user, password;

    adodb::ConnectionPtr sqlconnection() override { return connection; }
    void setPasswordDeptCode(const QString &) override {}
    QString PasswordDeptCode() const override { return modSysConstants::kDepartmentCode; }
    void ShowMain() override {}
    com::Variant Connected() const override { return connection->State() == adodb::adStateOpen; }
    QString ServerName() const override { return server; }
    QString UserID() const override { return user; }
    QString ServerPassword() const override { return password; }
};

[[noreturn]] void refuse(const QString &message)
{
    // As the sign-in dialog does, a refusal costs time.
    QThread::msleep(static_cast<unsigned long>(session::clsCurrentUser::delayAfterFailure(1).count()));
    throw Stop{kNoSignIn, message};
}

std::shared_ptr<CommandLineSession> signIn(const Arguments &args)
{
    auto signedIn = std::make_shared<CommandLineSession>();
    signedIn->user = args.user.trimmed();
    if (!args.server.isEmpty()) {
        adodb::SqlServerLogon logon;
        logon.server = args.server.trimmed();
        logon.user = signedIn->user;
        logon.password = readPassword(signedIn->user);
        try {
            signedIn->connection->Open(std::make_unique<adodb::OdbcBackend>(logon));
        } catch (const adodb::BackendError &e) {
            refuse(e.message());
        }
        signedIn->server = logon.server;
        signedIn->password = logon.password;
        return signedIn;
    }

    const QString folder =
        QDir::cleanPath(QDir(args.store.isEmpty() ? embedded::Store::defaultFolder() : args.store).absolutePath());
    if (!embedded::Store::exists(folder))
        throw Stop{kNoSignIn, QStringLiteral("No Velmora store was found in the folder '%1'.").arg(folder)};
    std::unique_ptr<embedded::EmbeddedBackend> backend;
    try {
        backend = std::make_unique<embedded::EmbeddedBackend>(folder);
    } catch (const adodb::BackendError &e) {
        throw Stop{kNoSignIn, e.message()};
    }
    session::UserAccounts accounts(backend->store());
    if (!accounts.hasUsers())
        throw Stop{kNoSignIn, QStringLiteral("The store has no user yet: start the program once to create the first "
                                             "administrator.")};
    const QString password = readPassword(signedIn->user);
    const session::SignInVerdict verdict =
        accounts.signIn(signedIn->user, password, modSysConstants::kDepartmentCode, QDateTime::currentDateTimeUtc());
    if (verdict != session::SignInVerdict::Accepted)
        refuse(session::verdictMessage(verdict));
    signedIn->connection->Open(std::move(backend));
    signedIn->server = folder;
    return signedIn;
}

// ---------------------------------------------------------------------------
// Commands

struct Period
{
    QString name; // "March 2025"
    QString firstDate;
    QString lastDate;
};

Period periodOf(const QString &year, int position)
{
    return {catalogue::PeriodChoices().at(position) + QLatin1Char(' ') + year,
            catalogue::PeriodStartDate(year, position), catalogue::PeriodEndDate(year, position)};
}

QString seconds(qint64 milliseconds)
{
    return QString::number(double(milliseconds) / 1000.0, 'f', 2) + QStringLiteral(" s");
}

int generate(adodb::Connection &connection, const Arguments &args)
{
    const QList<const catalogue::ReportItem *> sections =
        args.all ? buildfile::ListedSections() : namedSections(args.sections);
    if (!buildfile::ReportSetupExists(connection))
        throw Stop{kWorkFailed, QStringLiteral("The DOH report setup must be saved before generating: save it once "
                                               "in the program's Setup dialog.")};
    const Period period = periodOf(args.year, args.period);
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

int exportReport(adodb::Connection &connection, const Arguments &args)
{
    const catalogue::ReportItem *item = namedSections(args.sections).first();
    const Period period = periodOf(args.year, args.period);
    const catalogue::ReportFile *entry = catalogue::FindReportFile(item->title);
    if (!entry)
        throw Stop{kWorkFailed, QStringLiteral("The report item '%1' has no report file.").arg(item->title)};
    // As Print does: a section other than the list's first needs its data.
    const bool firstListed = buildfile::ListedSections().constFirst() == item;
    if (!firstListed && !buildfile::LastUpdatedTimes(connection, period.firstDate, period.lastDate)
                             .contains(catalogue::GetReportID(item->title)))
        throw Stop{
            kWorkFailed,
            QStringLiteral("Generate data first for the specified year/month before a report can be generated.")};

    const QString target = QFileInfo(args.output).absoluteFilePath();
    buildfile::OpenSectionReport(*entry, args.year, period.firstDate, period.lastDate);
    reportengine::ExportOptions &options = modCrystal::pobjReport->ExportOptions();
    options.DestinationType = reportengine::crEDTDiskFile;
    options.FormatType = formatType(args.format);
    options.DiskFileName = target;
    modCrystal::pobjReport->Export(false);
    const int pages = modCrystal::pobjReport->pageCount();
    modCrystal::pobjReport.reset();
    out() << QStringLiteral("Wrote %1: %2 for %3, %4 page(s).").arg(target, item->title, period.name).arg(pages)
          << Qt::endl;
    return kSucceeded;
}

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

int run(const QStringList &argv)
{
    if (argv.contains(QStringLiteral("--help")) || argv.contains(QStringLiteral("-h"))) {
        out() << kHelp;
        return kSucceeded;
    }
    const Arguments args = parseArguments(argv);
    const std::shared_ptr<CommandLineSession> signedIn = signIn(args);

    // What start-up prepares before the window opens.
    modSysConstants::plngUploadOption = 2;
    try {
        modSysConstants::pobjCurrentUser = signedIn;
        modSysConstants::LoadHospitalHeader(signedIn->connection);
        modSysConstants::LoadDOHSetupFlags();
    } catch (const std::exception &e) {
        throw Stop{kNoSignIn, com::describe(e)};
    }

    adodb::Connection &connection = *signedIn->connection;
    if (args.command == u"generate")
        return generate(connection, args);
    if (args.command == u"export")
        return exportReport(connection, args);
    return status(connection, args);
}

// Qt's own notes (a missing runtime folder of the offscreen platform, say)
// are no news to a scheduled run's mail; its errors still are.
void quietQtNotes(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        err() << message << Qt::endl;
}

} // namespace

int main(int argc, char **argv)
{
    qInstallMessageHandler(quietQtNotes);
    // Painting reports needs a GUI application, never a display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setOrganizationName(QStringLiteral("Velmora"));
    QGuiApplication::setApplicationName(QStringLiteral("Velmora"));
    forms::setMessageBoxService(std::make_shared<ConsoleMessageBox>());

    int code = kWorkFailed;
    try {
        code = run(app.arguments().mid(1));
    } catch (const Stop &stop) {
        err() << stop.message << Qt::endl;
        code = stop.code;
    } catch (const std::exception &e) {
        err() << com::describe(e) << Qt::endl;
        code = kWorkFailed;
    }
    modCrystal::pobjReport.reset();
    modSysConstants::pobjCurrentUser.reset();
    return code;
}
