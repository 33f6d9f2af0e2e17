#pragma once

#include "checks/Rules.h"

#include <QDate>
#include <QString>

// The edits on one patient record: what the period's records procedure
// gives for each admission, visit or operation, and the findings it makes.
namespace checks {

enum class RecordKind { Admission, OutpatientVisit, EmergencyVisit, Operation };

// A date and time of day, as the records hold them.
struct Moment
{
    QDate date;
    int seconds = 0;
    bool isValid() const { return date.isValid(); }
    bool operator<(const Moment &o) const { return date < o.date || (date == o.date && seconds < o.seconds); }
};

struct PatientRecord
{
    RecordKind kind = RecordKind::Admission;
    qint64 id = 0;
    qint64 patient = 0;
    Moment start; // admission, visit or operation
    Moment end;   // discharge; invalid while the stay is open
    QString sex;  // "M", "F"
    QDate birth;
    QString service;
    bool serviceKnown = true;
    QString code; // final diagnosis, visit diagnosis or procedure code
    bool codeKnown = true;
    QString cause; // underlying cause of a death
    bool causeKnown = true;
    QString condition; // condition on discharge; "D" died
};

// The edits' findings on one record; countedTo is the period's last day, or
// today for a period not yet ended.
void EditRecord(const PatientRecord &record, const QDate &countedTo, QList<Finding> &findings);

// "Admission 1234, patient 567, admitted 03/05/2026"
QString RecordName(const PatientRecord &record);

} // namespace checks
