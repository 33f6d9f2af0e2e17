#include "startup/modSysConstants.h"

#include "codesearch/clsCodeSearch.h"
#include "session/clsCurrentUser.h"

#include <QApplication>

// The program: one QApplication, the suite's components registered under
// their ProgIDs, then the start-up procedure. Main ends the run itself.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Velmora"));
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(VELMORA_VERSION_MAJOR)
                                            .arg(VELMORA_VERSION_MINOR)
                                            .arg(VELMORA_VERSION_PATCH));
    QApplication::setQuitOnLastWindowClosed(false);

    session::RegisterComponents();
    codesearch::RegisterComponents();
    modSysConstants::Main();
    return 0;
}
