// Opens the report parameters dialog on a store whose 2025 log lacks June
// for the discharges, chooses them for the whole year and saves a picture.
// Usage: legacy_screenshot <output file>.
#include "legacy/frmReportParameters.h"

#include "support/TempStore.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTimer>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("legacy.png");
    testing_support::TempStore store;
    const adodb::ConnectionPtr connection = store.connect();
    for (int month = 1; month <= 12; ++month) {
        if (month == 6)
            continue;
        const QDate first(2025, month, 1);
        connection->Execute(QStringLiteral("Patient_Data..sp_DOH_Update_tbMedNewDOHReportLog 'II.','%1','%2'")
                                .arg(first.toString(QStringLiteral("MM/dd/yyyy")),
                                     first.addDays(first.daysInMonth() - 1).toString(QStringLiteral("MM/dd/yyyy"))));
    }
    frmReportParameters dialog;
    dialog.InitializeForm(connection, QStringLiteral("Santa Niña General Hospital"), QString(), QString());
    bool saved = false;
    QTimer::singleShot(300, &dialog, [&] {
        dialog.txtYear->setText(QStringLiteral("2025"));
        dialog.cboMonth->setCurrentIndex(0);
        dialog.cboReportName->setCurrentText(QStringLiteral("II. Hospital Operations. B. Discharges"));
    });
    QTimer::singleShot(800, &dialog, [&] {
        saved = dialog.grab().save(out);
        dialog.reject();
    });
    dialog.LoadForm();
    return saved ? 0 : 1;
}
