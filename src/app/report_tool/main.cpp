// velmora-report: the build-file window's monthly work from the command line,
// for scheduled runs. It signs in as the window's user does, then generates
// sections, exports one section's report or lists the report log, through
// the same functions the window calls (buildfile/Sections.h). This file reads
// the command line and runs the command; each command has a file of its own.

#include "Arguments.h"
#include "Commands.h"
#include "Console.h"
#include "SignIn.h"

#include "reporting/modCrystal.h"
#include "startup/modSysConstants.h"

#include "com/ComError.h"
#include "forms/MsgBox.h"

#include <QGuiApplication>

using namespace reporttool;

namespace {

const char kHelp[] = R"(Usage: velmora-report COMMAND [OPTIONS]

The monthly work of the DOH reports window, for scheduled runs.

Commands:
  generate  Generates the sections for a period: for each, its report-log
            entry and its upload, kept together or not at all. One line per
            section (title, time taken, OK or why it failed), then a summary.
  export    Writes one section's report for a period to a file, as Print
            shows it, in Excel (xls), Rich Text (rtf) or PDF (pdf). With
            --all, every section of the period in one file: a PDF with a
            contents page and a bookmark per section, or a workbook with a
            sheet per section; sections not generated are listed as such.
  status    Lists each section with its last-generated time for the period
            (and who generated it), or for every period of the year when no
            period is named. With --history, the period's generations and
            exports instead, newest first: when, what, who, and the file.
  setup     Shows the DOH report setup, or saves the values given, with
            the checks and messages of the Setup dialog.
  check     Checks the period before it is sent: the rules between the
            generated sections' figures and the edits on the period's patient
            records. One line per finding, then the findings by rule.

Options:
  --year YYYY          The year, 1950 to this year.
  --period PERIOD      Yearly, a month (March, or Mar), a quarter (First
                       Quarter, or Q1 to Q4), First SemiAnnual or Second
                       SemiAnnual.
  --section SECTION    A section by its title, or by its report ID when only
                       one section has it ("I."). Repeat for more.
  --all                Every section the window lists (generate, export).
  --history            The generations and exports (status).
  --format FORMAT      xls, rtf or pdf (export).
  --output FILE        The file to write (export). Nothing is left there when
                       the export fails.
  --pedia-age N        Paediatric: age <= N years (setup).
  --newborn-code CODE  The newborns' service code (setup).
  --surgery-code CODE  The surgery service code (setup).
  --store FOLDER       The embedded store (default: the program's own).
  --server SERVER      A SQL Server instead: host, host,port or host\instance.
  --user NAME          The user who signs in.
  --help               This text.

The password is read from the terminal without echo, or from the environment
variable VELMORA_PASSWORD for scheduled runs; never from the command line.

Exit codes: 0 done, 1 a section or the export failed (check: something was
found), 2 wrong arguments (or setup values the Setup dialog refuses),
3 not signed in (refused, or the database cannot be reached).
)";

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
    if (args.command == u"setup")
        return setupReport(connection, args);
    if (args.command == u"check")
        return check(connection, args);
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
