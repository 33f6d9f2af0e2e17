#include "Commands.h"

#include "Arguments.h"
#include "Console.h"

#include "setup/SetupChecks.h"
#include "setup/SetupStatements.h"
#include "setup/frmDOHSetup.h"

#include "adodb/Connection.h"

namespace reporttool {

namespace {

// The setup as the dialog shows it: its caption, then each value beside the
// dialog's label, a code with its service's description.
void printSetup(adodb::Connection &connection, const setup::SetupValues &values, bool saved)
{
    out() << (saved ? frmDOHSetup::kCaption : frmDOHSetup::kFirstTimeCaption) << Qt::endl;
    out() << "Pedia Age <= " << values.pediaAge << " yrs. old" << Qt::endl;
    out() << "Newborn code " << values.newbornCode << '\t'
          << setup::LookUpService(connection, values.newbornCode).description << Qt::endl;
    out() << "Surgery code " << values.surgeryCode << '\t'
          << setup::LookUpService(connection, values.surgeryCode).description << Qt::endl;
}

} // namespace

// Without values, prints the saved setup (or the first-time defaults, under
// the dialog's first-time caption). With values, checks them as the dialog's
// Save does, values not given keeping the saved ones, and saves them.
int setupReport(adodb::Connection &connection, const Arguments &args)
{
    setup::SetupValues values;
    const bool saved = setup::LoadSetupValues(connection, values);
    if (!saved)
        values = setup::FirstTimeSetup();
    if (!args.pediaAge && !args.newbornCode && !args.surgeryCode) {
        printSetup(connection, values, saved);
        return kSucceeded;
    }
    values.pediaAge = args.pediaAge.value_or(values.pediaAge);
    values.newbornCode = args.newbornCode.value_or(values.newbornCode);
    values.surgeryCode = args.surgeryCode.value_or(values.surgeryCode);

    const setup::SetupMistakes mistakes =
        setup::CheckSetup(values.pediaAge, values.newbornCode, values.surgeryCode,
                          [&connection](const QString &code) { return setup::LookUpService(connection, code); });
    if (!mistakes.message.isEmpty())
        throw Stop{kBadArguments, QString(mistakes.message).replace(QStringLiteral("\r\n"), QStringLiteral("\n"))};
    connection.Execute(
        setup::SaveSetupStatement(*setup::AgeArgument(values.pediaAge), values.newbornCode, values.surgeryCode));
    out() << "Setting was updated." << Qt::endl;
    printSetup(connection, values, true);
    return kSucceeded;
}

} // namespace reporttool
