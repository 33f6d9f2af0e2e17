#pragma once

#include <QString>

namespace adodb {
class Connection;
}

// The commands of velmora-report, one source file each, on the signed-in
// connection; each answers its exit code or throws Stop.
namespace reporttool {

struct Arguments;

// A period as the commands print it.
struct Period
{
    QString name; // "March 2025"
    QString firstDate;
    QString lastDate;
};

Period periodOf(const QString &year, int position);

// A duration as the commands print it: "1.25 s".
QString seconds(qint64 milliseconds);

int generate(adodb::Connection &connection, const Arguments &args);
int exportReport(adodb::Connection &connection, const Arguments &args);
int status(adodb::Connection &connection, const Arguments &args);
int setupReport(adodb::Connection &connection, const Arguments &args);
int check(adodb::Connection &connection, const Arguments &args);

} // namespace reporttool
