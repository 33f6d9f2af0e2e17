#pragma once

#include <QString>

#include <functional>

namespace adodb {
class Connection;
}

// The checks of the DOH report setup that the setup dialog and
// `velmora-report setup` share: the same service look-up, the same
// mistakes in the same words and order.
namespace setup {

// What a service look-up found.
struct ServiceDescription
{
    QString description;
    bool found = false;
};

// The service's description: "<undefined>" for an unknown code, "" without a
// database call for an empty one (blanks only count as empty).
ServiceDescription LookUpService(adodb::Connection &connection, const QString &code);

// The mistakes of a setup, one a line in the order age, newborn code,
// surgery code ("Pedia Age should be numeric.", "Newborn code is required.",
// ...); empty when there is none. Each non-empty code is looked up once
// through lookup. ageWrong tells whether the age is among them.
struct SetupMistakes
{
    QString message;
    bool ageWrong = false;
};
SetupMistakes CheckSetup(const QString &pediaAge, const QString &newbornCode, const QString &surgeryCode,
                         const std::function<ServiceDescription(const QString &)> &lookup);

// The setup record's three values as texts, or nothing when no setup is saved.
struct SetupValues
{
    QString pediaAge, newbornCode, surgeryCode;
};
bool LoadSetupValues(adodb::Connection &connection, SetupValues &values);

// The first-time defaults the dialog offers: 13, 13 and 23.
SetupValues FirstTimeSetup();

} // namespace setup
