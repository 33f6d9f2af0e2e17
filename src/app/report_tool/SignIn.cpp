#include "SignIn.h"

#include "Arguments.h"
#include "Console.h"

#include "startup/modSysConstants.h"

#include "adodb/OdbcBackend.h"
#include "embedded/EmbeddedBackend.h"
#include "embedded/Store.h"
#include "session/UserAccounts.h"
#include "session/clsCurrentUser.h"

#include <QDateTime>
#include <QDir>
#include <QThread>

#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <optional>

namespace reporttool {

const QString kPasswordVariable = QStringLiteral("VELMORA_PASSWORD");

QString CommandLineSession::PasswordDeptCode() const
{
    return modSysConstants::kDepartmentCode;
}

com::Variant CommandLineSession::Connected() const
{
    return connection->State() == adodb::adStateOpen;
}

namespace {

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

[[noreturn]] void refuse(const QString &message)
{
    // As the sign-in dialog does, a refusal costs time.
    QThread::msleep(static_cast<unsigned long>(session::clsCurrentUser::delayAfterFailure(1).count()));
    throw Stop{kNoSignIn, message};
}

} // namespace

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
    if (const QString refusal = session::storeWriteRefusal(folder); !refusal.isEmpty())
        throw Stop{kNoSignIn, refusal};
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

} // namespace reporttool
