#include "embedded/Store.h"

#include <QCoreApplication>
#include <QSqlQuery>

#include <cstdio>

// Commits transactions to a store until it is killed. Each transaction adds
// 250 report-log rows in Patient_Data and sets PASSWORD's counter to the
// transaction's number, so a reader can tell whether a transaction that
// spans both files was applied whole. Every other one locks Patient_Data
// alone at its start, PASSWORD joining at its write.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2)
        return 2;
    embedded::Store store(QString::fromLocal8Bit(argv[1]));
    for (int n = 1;; ++n) {
        const QStringList locked = n % 2 ? QStringList() : QStringList{QStringLiteral("Patient_Data")};
        store.writeTransaction(locked, [&] {
            const QSqlDatabase db = store.database();
            QSqlQuery insert = embedded::sql::prepare(
                db,
                QStringLiteral("INSERT INTO Patient_Data.tbMedNewDOHReportLog (ReportID, FromDate, ToDate, "
                               "LastUpdatedDate) VALUES (?, '2026-01-01', '2026-01-31', '2026-01-31 00:00:00.000')"));
            for (int i = 0; i < 250; ++i) {
                insert.bindValue(0, QStringLiteral("K%1-%2").arg(n).arg(i));
                embedded::sql::exec(insert);
            }
            embedded::sql::exec(db, QStringLiteral("UPDATE PASSWORD.tbHospitalInfo2 SET Specialty = ?"), {n});
        });
        if (n == 1) {
            std::puts("ready");
            std::fflush(stdout);
        }
    }
}
