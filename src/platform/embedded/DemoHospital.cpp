#include "DemoHospital.h"

#include "Store.h"

namespace embedded {

void DemoHospital::fill(Store &store, const Options &options)
{
    store.writeTransaction([&] {
        const QSqlDatabase db = store.database();
        sql::exec(db, QStringLiteral("DELETE FROM Patient_Data.tbHospitalInfo"));
        sql::exec(db, QStringLiteral("INSERT INTO Patient_Data.tbHospitalInfo (HospitalID, Company, Address1) "
                                     "VALUES (1, ?, ?)"),
                  {QStringLiteral("Santa Niña General Hospital"),
                   QStringLiteral("123 Rizal Avenue, San José, Nueva Ecija")});
    });
}

} // namespace embedded
