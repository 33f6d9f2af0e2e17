#include "SetupChecks.h"

#include "SetupStatements.h"

#include "adodb/Recordset.h"
#include "com/Runtime.h"
#include "startup/modCommon.h"

namespace setup {

ServiceDescription LookUpService(adodb::Connection &connection, const QString &code)
{
    ServiceDescription result;
    if (com::Trim(code).isEmpty())
        return result;
    adodb::Recordset service;
    service.Open(ServiceLookupStatement(code), connection, adodb::adUseClient, adodb::adOpenForwardOnly,
                 adodb::adLockReadOnly);
    if (service.Eof()) {
        result.description = QStringLiteral("<undefined>");
    } else {
        result.description = service.Fields(QStringLiteral("Service")).Value().toText();
        result.found = true;
    }
    service.Close();
    return result;
}

SetupMistakes CheckSetup(const QString &pediaAge, const QString &newbornCode, const QString &surgeryCode,
                         const std::function<ServiceDescription(const QString &)> &lookup)
{
    SetupMistakes found;
    // An age with a fraction would reach the database only to be refused
    // there with its raw conversion error; the limit is in whole years.
    const std::optional<QString> age = AgeArgument(pediaAge);
    if (!age)
        modCommon::AppendMessageLine(found.message, QStringLiteral("Pedia Age should be numeric."));
    else if (age->contains(QLatin1Char('.')))
        modCommon::AppendMessageLine(found.message, QStringLiteral("Pedia Age should be a whole number of years."));
    found.ageWrong = !age || age->contains(QLatin1Char('.'));

    if (com::Trim(newbornCode).isEmpty())
        modCommon::AppendMessageLine(found.message, QStringLiteral("Newborn code is required."));
    else if (!lookup(newbornCode).found)
        modCommon::AppendMessageLine(found.message, QStringLiteral("Newborn code is invalid."));

    if (com::Trim(surgeryCode).isEmpty())
        modCommon::AppendMessageLine(found.message, QStringLiteral("Surgery code is required."));
    else if (!lookup(surgeryCode).found)
        modCommon::AppendMessageLine(found.message, QStringLiteral("Surgery code is invalid."));

    if (com::Trim(found.message).isEmpty())
        found.message.clear();
    return found;
}

bool LoadSetupValues(adodb::Connection &connection, SetupValues &values)
{
    adodb::Recordset record;
    record.Open(LoadSetupStatement(), connection, adodb::adUseClient, adodb::adOpenForwardOnly, adodb::adLockReadOnly);
    const bool exists = !record.Eof();
    if (exists) {
        // A null column reads as an empty text.
        values.pediaAge = record.Fields(QStringLiteral("PediaAge")).Value().toText();
        values.newbornCode = record.Fields(QStringLiteral("NewbornCode")).Value().toText();
        values.surgeryCode = record.Fields(QStringLiteral("SurgeryCode")).Value().toText();
    }
    record.Close();
    return exists;
}

SetupValues FirstTimeSetup()
{
    return {QStringLiteral("13"), QStringLiteral("13"), QStringLiteral("23")};
}

} // namespace setup
