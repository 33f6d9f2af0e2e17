#pragma once

#include <QSqlDatabase>

// When the patient records of a period last changed: triggers on every table
// a section counts keep, per span of event dates a change touched, the time
// of the latest change (Patient_Data.tbVelmoraRecordChange). Check compares
// it with the time each section was generated.
namespace embedded::schema {

// The table and its triggers (kept by "IF NOT EXISTS").
void createRecordChanges(const QSqlDatabase &db);
// The triggers alone: dropped while a bulk fill writes (the fill records its
// span once at its end) and while earlier tables are remade.
void dropRecordChangeTriggers(const QSqlDatabase &db);
// Records one change of the records from first to last ("yyyy-MM-dd") now.
void recordChange(const QSqlDatabase &db, const QString &first, const QString &last);

} // namespace embedded::schema
