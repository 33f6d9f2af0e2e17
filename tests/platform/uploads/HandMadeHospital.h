#pragma once

#include "support/TempStore.h"

#include <QString>
#include <QVariant>
#include <QVariantMap>

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
QList<QVariantMap> reportRows(embedded::Store &store, const QString &table, const QString &from,
                              const QString &to);
// The one row of a report table whose RowOrder is given (or the only row).
QVariantMap reportRow(embedded::Store &store, const QString &table, const QString &from, const QString &to,
                      int rowOrder = -1);
qint64 scalar(embedded::Store &store, const QString &query);

// Every upload as the program calls it for a period ("mm/dd/yyyy").
QStringList uploadStatements(const QString &from, const QString &to);
// The report table each upload fills, in the same order.
QStringList reportTables();

} // namespace uploads_test
