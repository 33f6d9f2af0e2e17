// Opens the hospital information form on the demo hospital and saves a
// picture of it, for a look by eye (run under Xvfb).
// Usage: hospitalinfo_screenshot <output file>.
#include "hospitalinfo/frmHospitalInfo.h"

#include "embedded/DemoHospital.h"
#include "support/TempStore.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("hospitalinfo.png");
    testing_support::TempStore store;
    embedded::DemoHospital::Options options;
    options.referenceDate = QDate(2026, 2, 1);
    options.fullYears = 0;
    embedded::DemoHospital::fill(store.store(), options);

    frmHospitalInfo &form = frmHospitalInfo::instance();
    form.InitializeForm(store.connect());
    bool saved = false;
    QTimer::singleShot(500, &form, [&] {
        saved = form.grab().save(out);
        form.reject();
    });
    form.LoadForm();
    return saved ? 0 : 1;
}
