// Any text as a statement to the embedded store. Reading it gives one of the
// statement forms or fails with a BackendError; a statement that reads is
// then run on a store of the fuzzer's own (in /dev/shm, so that commits cost
// no disk), where it succeeds or fails with a BackendError, never anything
// else. Whatever it does, the sign-in's user row stays as it was and its
// password hash is in no result.
#include "adodb/Backend.h"
#include "embedded/EmbeddedBackend.h"
#include "embedded/Store.h"
#include "embedded/TSqlReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

const QString kHash = QStringLiteral("$argon2id$v=19$m=65536,t=2,p=1$fuzz");
const QString kUserRow = QStringLiteral("SELECT quote(UserName) || quote(PasswordHash) || quote(IsAdministrator) || "
                                        "quote(IsActive) || quote(Departments) FROM PASSWORD.tbVelmoraUser");

std::unique_ptr<QTemporaryDir> s_dir;
std::unique_ptr<embedded::EmbeddedBackend> s_backend;
QString s_userRow;

QString userRow()
{
    QSqlQuery q = embedded::sql::exec(s_backend->store().database(), kUserRow);
    return q.next() ? q.value(0).toString() : QString();
}

[[noreturn]] void broken(const char *what, const QString &text)
{
    std::fprintf(stderr, "%s after: %s\n", what, text.toUtf8().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static int argc = 1;
    static char name[] = "fuzz_statement_reader";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    s_dir = QDir(QStringLiteral("/dev/shm")).exists()
                ? std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/velmora-fuzz-XXXXXX"))
                : std::make_unique<QTemporaryDir>();
    const QString folder = s_dir->path() + QStringLiteral("/store");
    {
        embedded::Store store(folder);
        embedded::sql::exec(store.database(),
                            QStringLiteral("INSERT INTO PASSWORD.tbVelmoraUser (UserName, PasswordHash, CreatedDate) "
                                           "VALUES ('clerk', ?, '2026-01-01 00:00:00.000')"),
                            {kHash});
    }
    s_backend = std::make_unique<embedded::EmbeddedBackend>(folder);
    s_backend->run(QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 13,'13','23'"));
    s_userRow = userRow();
    // The store's connection is closed before the application goes.
    std::atexit([] {
        s_backend.reset();
        s_dir.reset();
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    try {
        embedded::readStatement(text);
    } catch (const adodb::BackendError &) {
        return 0;
    }
    try {
        const adodb::ResultSet result = s_backend->run(text);
        for (const auto &row : result.rows)
            for (const com::Variant &value : row)
                if (value.type() == com::Variant::Type::Text && value.toString().contains(kHash))
                    broken("the password hash was read", text);
    } catch (const adodb::BackendError &) {
    }
    if (userRow() != s_userRow)
        broken("the user row changed", text);
    return 0;
}
