#pragma once

#include "checks/Rules.h"

#include "adodb/Backend.h"

#include <QDate>
#include <QString>

namespace adodb {
class Connection;
}

// Check: the rules between the sections generated for a period and the
// edits on the period's patient records, run through the program's
// connection with fixed statement texts. Nothing is written.
namespace checks {

// The period as the statements carry it ("mm/dd/yyyy"), the hospital name
// the report headings print, and the day the check runs on (a period not yet
// ended is counted up to it).
struct CheckPeriod
{
    QString firstDate;
    QString lastDate;
    QString headingsName;
    QDate today = QDate::currentDate();
};

// Every rule for the period; a rule that cannot be applied (its sections
// not generated, a table or procedure the database lacks) is named in the
// notes instead. A statement the database refuses for any other reason
// fails with its ComError.
CheckResult RunCheck(adodb::Connection &connection, const CheckPeriod &period);

// The procedure that lists a period's patient records for the edits, and
// the one that tells when a record of the period last changed.
extern const QString kRecordsProcedure;
extern const QString kLatestChangeProcedure;

} // namespace checks

namespace checks {

// The findings as the Check report reads them: RowOrder, Rule, RuleTitle
// ("rule: what must hold"), Action, Sections, Figures; and the notes as one
// row of one column, Notes (no row when there are none).
adodb::ResultSet FindingRows(const CheckResult &result);
adodb::ResultSet NoteRows(const CheckResult &result);

} // namespace checks
