#pragma once

#include "checks/Check.h"

// The two halves of Check, one source file each.
namespace checks::detail {

struct Dates
{
    QDate first;
    QDate last;
    QDate countedTo; // the last day, or today for a period not yet ended
    QString firstText;
    QString lastText;
};

void CheckSections(adodb::Connection &connection, const Dates &dates, const QString &headingsName, CheckResult &result);
void CheckRecords(adodb::Connection &connection, const Dates &dates, CheckResult &result);

// Whether a failure says the database has no such object (a table or a
// procedure of this program that a site's SQL Server does not have).
bool IsMissingObject(const std::exception &e);

} // namespace checks::detail
