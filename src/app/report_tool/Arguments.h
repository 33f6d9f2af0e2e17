#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace catalogue {
struct ReportItem;
}

// The command line of velmora-report: the command and its options, checked
// before anything signs in.
namespace reporttool {

struct Arguments
{
    QString command;
    QString year;
    int period = -1; // position in the window's period box
    QStringList sections;
    bool all = false;
    bool history = false; // status: the generations and exports instead
    QString format;
    QString output;
    QString store;
    QString server;
    QString user;
    // setup: the values to save; those not given keep the saved ones.
    std::optional<QString> pediaAge, newbornCode, surgeryCode;
};

// The arguments after the program's name; throws Stop (kBadArguments) with
// the reason when they do not make a command.
Arguments parseArguments(const QStringList &args);

// The export formats by their option names: xls, rtf, pdf.
const QStringList &formats();

// The listed sections named by titles or report IDs, in list order.
QList<const catalogue::ReportItem *> namedSections(const QStringList &names);

} // namespace reporttool
