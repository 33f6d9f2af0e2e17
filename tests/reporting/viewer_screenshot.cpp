// Shows the viewer window on the sample report over a temporary store and
// saves pictures of it: viewer.png (page 1), viewer-more.png (page 2 with
// the More panel open). Usage: viewer_screenshot <output folder>.
#include "ReportTestSupport.h"

#include "reporting/frmReportViewerShared.h"
#include "reporting/modCrystal.h"
#include "reportviewer/CRViewer.h"
#include "startup/modSysConstants.h"

#include "com/Runtime.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    testing_support::TempStore store;
    testing_support::createVisits(store, 900);
    auto user = std::make_shared<testing_support::FakeCurrentUser>();
    user->server = store.folder();
    modSysConstants::pobjCurrentUser = user;
    modSysConstants::pstrHospitalName = QStringLiteral("Orvant General Hospital");
    modCrystal::OpenReportFile(com::App::Path() + QStringLiteral("/rptSample.rpt"),
                               {com::Variant(QStringLiteral("03/01/2024")), com::Variant(QStringLiteral("03/31/2024"))});
    modCrystal::OpenSubReport(QStringLiteral("OrvantReportHeader.rpt"),
                              {com::Variant(QStringLiteral("Orvant General Hospital")),
                               com::Variant(QStringLiteral("12 Rizal Avenue, Quezon City")), com::Variant(QString())});
    frmReportViewerShared window;
    window.setWindowTitle(QStringLiteral("II. Hospital Operations. B. Discharges"));
    window.resize(1200, 860);
    window.Form_Load();
    window.show();
    QTest::qWait(300);
    window.grab().save(out + QStringLiteral("/viewer.png"));
    window.CRViewer1->ShowNextPage();
    QTest::mouseClick(window.cmdMore, Qt::LeftButton);
    QTest::qWait(200);
    window.grab().save(out + QStringLiteral("/viewer-more.png"));
    return 0;
}
