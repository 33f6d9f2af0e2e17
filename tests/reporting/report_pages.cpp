// Not a test: every DOH report of one month of the demo hospital, generated
// and painted page by page into PNG files for a look by eye, and six of them
// as the viewer window shows them (run under Xvfb for those).
// Usage: report_pages <output folder> [year month [scale]]
#include "fixtures/DemoReports.h"

#include "catalogue/ReportFiles.h"
#include "reportengine/Painter.h"
#include "reportengine/ReportEngine.h"
#include "reporting/frmReportViewerShared.h"
#include "reporting/modCrystal.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    const int year = argc > 3 ? QString::fromLocal8Bit(argv[2]).toInt() : 2026;
    const int month = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 3;
    const int scale = argc > 4 ? QString::fromLocal8Bit(argv[4]).toInt() : 1;
    testdata::DemoReports demo(scale);
    const QDate first = month == 0 ? QDate(year, 1, 1) : QDate(year, month, 1);
    const QDate last = month == 0 ? QDate(year, 12, 31) : first.addMonths(1).addDays(-1);
    demo.generate(first, last);
    for (const catalogue::ReportFile &entry : catalogue::ReportFiles())
        try {
            demo.open(entry, first, last);
            const reportengine::Document &doc = modCrystal::pobjReport->document();
            const double dpi = 110;
            for (int p = 0; p < doc.pageCount(); ++p) {
                const QSizeF paper = doc.paperSize * dpi / 72.0;
                QImage image(paper.toSize(), QImage::Format_RGB32);
                image.fill(Qt::white);
                QPainter painter(&image);
                reportengine::paintPage(painter, doc, p, QRectF(QPointF(0, 0), paper));
                painter.end();
                QString name = entry.file;
                name.chop(4);
                image.save(out + QLatin1Char('/') + name + QStringLiteral("-%1.png").arg(p + 1));
            }
            std::printf("%s: %d page(s)\n", qPrintable(entry.file), doc.pageCount());
        } catch (const std::exception &e) {
            std::printf("%s: %s\n", qPrintable(entry.file), e.what());
        }
    // Page 1 of six sections in the viewer window, as a records officer sees it.
    for (const char *title :
         {"II. Hospital Operations. A.Summary of Patients in the Hospital", "II. Hospital Operations. B. Discharges",
          "II. B.2. Top 10 Leading Causes of Morbidity", "II. C. Deaths", "II. D. Health Associated Infections",
          "I. Hospital General Information", "II. E. Surgical Operations"}) {
        const catalogue::ReportFile *entry = catalogue::FindReportFile(QString::fromUtf8(title));
        demo.open(*entry, first, last);
        frmReportViewerShared window;
        window.setWindowTitle(entry->title);
        window.resize(1100, 900);
        window.Form_Load();
        window.show();
        QTest::qWait(300);
        QString name = entry->file;
        name.chop(4);
        window.grab().save(out + QLatin1Char('/') + name + QStringLiteral("-viewer.png"));
        window.close();
    }
    return 0;
}
