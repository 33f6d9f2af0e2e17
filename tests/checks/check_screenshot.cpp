// Shows Check as a user meets it on a fresh demo store with 2025 generated
// and saves what it shows: buildfile-check.png (the window's header with the
// Check link), check-report.png (the viewer on the findings), check.pdf and
// check.xls (the report exported). Usage: check_screenshot <output folder>.
#include "fixtures/DemoReports.h"

#include "buildfile/CheckReport.h"
#include "buildfile/frmNewDOHBuildFile.h"
#include "reportengine/ReportEngine.h"
#include "reporting/frmReportViewerShared.h"
#include "reporting/modCrystal.h"

#include <QApplication>
#include <QTest>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    testdata::DemoReports demo;
    demo.generate(QDate(2025, 1, 1), QDate(2025, 12, 31));

    frmNewDOHBuildFile window;
    window.InitializeForm(demo.connection());
    window.setTodayProvider([] { return QDate(2025, 12, 31); });
    window.PrepareForm();
    window.show();
    QTest::qWait(300);
    window.grab().save(out + QStringLiteral("/buildfile-check.png"));
    window.hide();

    buildfile::OpenCheckReport(*demo.connection(), QStringLiteral("01/01/2025"), QStringLiteral("12/31/2025"));
    reportengine::ExportOptions &options = modCrystal::pobjReport->ExportOptions();
    options.DestinationType = reportengine::crEDTDiskFile;
    options.FormatType = reportengine::crEFTPortableDocFormat;
    options.DiskFileName = out + QStringLiteral("/check.pdf");
    modCrystal::pobjReport->Export(false);
    options.FormatType = reportengine::crEFTExcel80;
    options.DiskFileName = out + QStringLiteral("/check.xls");
    modCrystal::pobjReport->Export(false);

    frmReportViewerShared viewer;
    viewer.setWindowTitle(QStringLiteral("Check"));
    viewer.resize(1200, 860);
    viewer.Form_Load();
    viewer.show();
    QTest::qWait(400);
    viewer.grab().save(out + QStringLiteral("/check-report.png"));
    return 0;
}
