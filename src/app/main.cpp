#include "legacy/frmMain.h"
#include "startup/modSysConstants.h"

#include "codesearch/clsCodeSearch.h"
#include "session/clsCurrentUser.h"

#include <QApplication>
#include <QIcon>

// The program: one QApplication, the suite's components registered under
// their ProgIDs, then the start-up procedure. Main ends the run itself.
// "--launcher" shows the older launcher after sign-in instead of the
// build-file window; start-up is otherwise the same.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(VELMORA_VERSION_MAJOR).arg(VELMORA_VERSION_MINOR).arg(VELMORA_VERSION_PATCH));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/program/velmora.png")));

    session::RegisterComponents();
    codesearch::RegisterComponents();
    if (QApplication::arguments().contains(QStringLiteral("--launcher")))
        modSysConstants::setBuildFileWindowOpener(legacy::OpenLauncher);
    modSysConstants::Main();
    return 0;
}
