#include "Console.h"

#include <cstdio>

namespace reporttool {

QTextStream &out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

Stop badArguments(const QString &message)
{
    return {kBadArguments, message + QStringLiteral("\nRun velmora-report --help for the options.")};
}

QString listed(const QStringList &values)
{
    return QStringLiteral("  ") + values.join(QStringLiteral("\n  "));
}

forms::MsgBoxResult ConsoleMessageBox::show(const forms::MessageBoxRequest &request)
{
    err() << request.prompt << Qt::endl;
    switch (request.buttons()) {
    case forms::vbYesNo:
        return forms::vbNo;
    case forms::vbOKCancel:
    case forms::vbYesNoCancel:
    case forms::vbRetryCancel:
        return forms::vbCancel;
    case forms::vbAbortRetryIgnore:
        return forms::vbAbort;
    default:
        return forms::vbOK;
    }
}

} // namespace reporttool
