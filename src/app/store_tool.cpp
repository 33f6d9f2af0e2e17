#include "embedded/DemoHospital.h"
#include "embedded/Store.h"
#include "session/UserAccounts.h"
#include "startup/modSysConstants.h"

#include "adodb/Backend.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTextStream>

#include <cstdio>

// velmora-store: creates and checks embedded stores.
//   velmora-store create FOLDER [--demo [--scale N]]
//                                          a new store (with the demo hospital
//                                          and its one demo user; --scale
//                                          multiplies the demo volume)
//   velmora-store check FOLDER             integrity check of an existing store
//   velmora-store path                     the default store folder
namespace {

int usage(QTextStream &err)
{
    err << "usage: velmora-store create FOLDER [--demo [--scale N]] | check FOLDER | path\n";
    return 2;
}

bool integrityOk(embedded::Store &store, QTextStream &out)
{
    bool ok = true;
    for (const char *schema : {"main", "Patient_Data", "PASSWORD", "BUILD_FILE"}) {
        QSqlQuery q = embedded::sql::exec(store.database(),
                                          QStringLiteral("PRAGMA %1.integrity_check").arg(QLatin1String(schema)));
        const QString verdict = q.next() ? q.value(0).toString() : QStringLiteral("no answer");
        out << schema << ": " << verdict << "\n";
        ok = ok && verdict == QLatin1String("ok");
    }
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage(err);
    try {
        if (args.at(0) == QLatin1String("path")) {
            out << embedded::Store::defaultFolder() << "\n";
            return 0;
        }
        if (args.size() < 2)
            return usage(err);
        const QString folder = args.at(1);
        if (args.at(0) == QLatin1String("create")) {
            // Every option is read before anything is made: a mistyped one
            // would leave an empty store that the next create leaves alone.
            if (folder.startsWith(QLatin1Char('-')))
                return usage(err);
            bool demo = false;
            bool scaled = false;
            embedded::DemoHospital::Options options;
            for (qsizetype i = 2; i < args.size(); ++i) {
                if (args.at(i) == QLatin1String("--demo")) {
                    demo = true;
                } else if (args.at(i) == QLatin1String("--scale")) {
                    bool ok = false;
                    options.scale = args.value(++i).toInt(&ok);
                    if (!ok || options.scale < 1 || options.scale > 100) {
                        err << "--scale takes a whole number from 1 to 100.\n";
                        return 2;
                    }
                    scaled = true;
                } else {
                    return usage(err);
                }
            }
            if (scaled && !demo)
                return usage(err);
            if (embedded::Store::exists(folder)) {
                err << "A store already exists in " << folder << "; it was left as it is.\n";
                return 1;
            }
            embedded::Store store(folder);
            if (demo) {
                embedded::DemoHospital::fill(store, options);
                // The one account of the demo store, on the DOH reports' department.
                session::UserAccounts(store).addUser({QStringLiteral("demo"), QStringLiteral("velmora-demo"), false,
                                                      modSysConstants::kDepartmentCode, true});
                out << "Demo user: demo, password velmora-demo\n";
            }
            out << "Created the store in " << store.folder() << "\n";
            return integrityOk(store, out) ? 0 : 1;
        }
        if (args.at(0) == QLatin1String("check")) {
            embedded::Store store(folder, embedded::Store::OpenMode::MustExist);
            return integrityOk(store, out) ? 0 : 1;
        }
    } catch (const adodb::BackendError &e) {
        err << e.message() << "\n";
        return 1;
    } catch (const std::exception &e) {
        err << e.what() << "\n";
        return 1;
    }
    return usage(err);
}
