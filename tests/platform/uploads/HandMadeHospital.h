#pragma once

#include "support/TempStore.h"

#include <QMap>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <ostream>

namespace uploads_test {

// A tiny hospital whose every March 2026 figure is worked out by hand in the
// tests (HandMadeHospital.cpp lists each record with what it counts towards).
void fillHandMadeHospital(embedded::Store &store);
// The report setup: PediaAge, NewbornCode 13, SurgeryCode 23.
void saveSetup(embedded::Store &store, int pediaAge = 13);

// Runs one statement as the program sends it, on a new connection.
void send(testing_support::TempStore &temp, const QString &statement);

// The rows of a report table for a date pair ("yyyy-MM-dd"), by RowOrder
// when the table has one.
QList<QVariantMap> reportRows(embedded::Store &store, const QString &table, const QString &from, const QString &to);
// The one row of a report table whose RowOrder is given (or the only row).
QVariantMap reportRow(embedded::Store &store, const QString &table, const QString &from, const QString &to,
                      int rowOrder = -1);
qint64 scalar(embedded::Store &store, const QString &query);

// Runs every upload for a period ("mm/dd/yyyy") and gives every report
// table's rows for it, by table; with trimmed, each text without its
// trailing blanks (as the server compares texts).
QMap<QString, QList<QVariantMap>> uploadAll(embedded::Store &store, const QString &from, const QString &to,
                                            bool trimmed = false);

// Every upload as the program calls it for a period ("mm/dd/yyyy").
QStringList uploadStatements(const QString &from, const QString &to);
// The report table each upload fills, in the same order.
QStringList reportTables();

} // namespace uploads_test

// A report row as a failed comparison shows it: "Column=value" pairs.
inline void PrintTo(const QVariantMap &row, std::ostream *os)
{
    QStringList pairs;
    for (auto it = row.cbegin(); it != row.cend(); ++it)
        pairs.append(it.value().isNull() ? it.key() + QStringLiteral("=NULL")
                                         : QStringLiteral("%1='%2'").arg(it.key(), it.value().toString()));
    *os << pairs.join(QStringLiteral(", ")).toStdString();
}
