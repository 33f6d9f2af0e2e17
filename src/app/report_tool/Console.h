#pragma once

#include "forms/MsgBox.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// What every command of velmora-report shares: its exit codes, the failure a
// command ends with, its two outputs and the message boxes of the shared
// code written to the error output.
namespace reporttool {

enum ExitCode {
    kSucceeded = 0,
    kWorkFailed = 1, // a section, the export or the data it needs
    kBadArguments = 2,
    kNoSignIn = 3, // refused, or the database cannot be reached
};

// A failure the command reports and ends with.
struct Stop
{
    int code;
    QString message;
};

QTextStream &out();
QTextStream &err();

// Wrong arguments, with the pointer to the help.
Stop badArguments(const QString &message);

// Values as the messages list them, one a line.
QString listed(const QStringList &values);

// Message boxes of the shared code, written to the error output; a question
// gets its safe answer.
class ConsoleMessageBox : public forms::MessageBoxService
{
public:
    forms::MsgBoxResult show(const forms::MessageBoxRequest &request) override;
};

} // namespace reporttool
