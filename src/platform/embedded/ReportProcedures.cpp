#include "Procedures.h"

#include <QRegularExpression>

// The store's procedures that feed a report directly: the hospital's general
// information, as the Section I form of the DOH report prints it.
namespace embedded {

namespace {

using adodb::BackendError;
using adodb::ResultSet;

// A yes/no item as the form prints it: "X" in its box, or an empty box.
QString tick(const QString &condition, const QString &name)
{
    return QStringLiteral("CASE WHEN %1 THEN 'X' ELSE '' END AS %2").arg(condition, name);
}

// One row whatever is stored: the Section I record, the first supplementary
// row and the year's bed occupancy, each Null where it is missing. Ownership
// codes outside 2..11 read as national government, as the form loads them.
QString hospitalGeneralInformationQuery()
{
    const QString own = QStringLiteral("(CASE WHEN s.NatureOfOwnership BETWEEN 2 AND 11 THEN s.NatureOfOwnership "
                                       "ELSE 1 END)");
    QStringList columns = {
        QStringLiteral("? AS Year"),      QStringLiteral("s.HealthFacilityName"), QStringLiteral("s.StreetAddress"),
        QStringLiteral("s.Municipality"), QStringLiteral("s.Province"),           QStringLiteral("s.CompleteAddress"),
        QStringLiteral("s.Region"),       QStringLiteral("s.ContactNo"),          QStringLiteral("s.FaxNo"),
        QStringLiteral("s.EmailAddress"),
    };
    for (const char *flag : {"IsBirthingHome", "IsInfirmary", "IsAcuteChronic", "IsCustodialPsychiatric",
                             "IsFirstLevel", "IsSecondLevel", "IsThirdLevel"}) {
        const QString name = QString::fromLatin1(flag);
        columns << tick(QStringLiteral("s.") + name + QStringLiteral(" <> 0"), name);
    }
    columns << tick(QStringLiteral("COALESCE(s.IsSpecial, 0) = 0"), QStringLiteral("IsGeneral"))
            << tick(QStringLiteral("s.IsSpecial <> 0"), QStringLiteral("IsSpecial"))
            << QStringLiteral("s.SpecialSpecify");
    const char *specialties[] = {"TreatsParticularDisease", "TreatsParticularOrgan", "TreatsParticularClass",
                                 "TreatsOthers"};
    for (int code = 1; code <= 4; ++code)
        columns << tick(QStringLiteral("h.Specialty = %1").arg(code), QString::fromLatin1(specialties[code - 1]));
    columns << tick(QStringLiteral("h.TraumaCapability = 1"), QStringLiteral("TraumaCapable"))
            << tick(QStringLiteral("h.TraumaCapability = 2"), QStringLiteral("TraumaReceiving"));
    const std::pair<int, const char *> ownership[] = {
        {1, "OwnNational"},         {2, "OwnLocal"},          {3, "OwnOtherAgency"},
        {4, "OwnSingleProprietor"}, {5, "OwnReligious"},      {6, "OwnCivicOrganization"},
        {7, "OwnFoundation"},       {8, "OwnDNDDOJ"},         {9, "OwnSUCs"},
        {10, "OwnGovOthers"},       {11, "OwnPrivateOthers"},
    };
    for (const auto &[code, name] : ownership)
        columns << tick(own + QStringLiteral(" = %1").arg(code), QString::fromLatin1(name));
    columns << QStringLiteral("h.LocalParticular") << QStringLiteral("s.OtherAgencySpecify")
            << QStringLiteral("h.OwnershipGovOthers") << QStringLiteral("h.OwnershipPrivateOthers");
    for (const char *flag : {"QMISOCertified", "QMIntlAccreditation", "QMPhicAccreditation", "QMPCAHO"}) {
        const QString name = QString::fromLatin1(flag);
        columns << tick(QStringLiteral("h.") + name + QStringLiteral(" <> 0"), name)
                << QStringLiteral("h.") + name + QStringLiteral("ValPeriod");
    }
    columns << QStringLiteral("h.PhilhealthAccreditationParticular") << QStringLiteral("s.AuthorizedBed")
            << QStringLiteral("s.ActualBed") << QStringLiteral("s.AdditionalBed") << QStringLiteral("y.BOR AS YearBOR")
            << QStringLiteral("y.BORImplementing AS YearBORImplementing");
    return QStringLiteral("SELECT %1 FROM (SELECT 1) AS one "
                          "LEFT JOIN Patient_Data.tbDOHSectionI s ON s.SectionID = 1 "
                          "LEFT JOIN (SELECT * FROM PASSWORD.tbHospitalInfo2 ORDER BY HospitalInfoID LIMIT 1) h "
                          "ON 1 = 1 "
                          "LEFT JOIN Patient_Data.tbDOHRptSectionII1 y ON y.FromDate = ? AND y.ToDate = ?")
        .arg(columns.join(QStringLiteral(", ")));
}

ResultSet hospitalGeneralInformation(ProcedureContext &ctx, const Arguments &args)
{
    static const QRegularExpression fourDigits(QStringLiteral("^[0-9]{4}$"));
    const QString year = args.text(0);
    if (!fourDigits.match(year).hasMatch() || year.toInt() < 1753)
        throw BackendError(QStringLiteral("The year '%1' is not a four-digit year.").arg(year), 50000);
    static const QString query = hospitalGeneralInformationQuery();
    QSqlQuery q = sql::exec(ctx.db, query, {year, year + QStringLiteral("-01-01"), year + QStringLiteral("-12-31")});
    return sql::toResultSet(q);
}

} // namespace

void registerReportProcedures(ProcedureRegistry &registry)
{
    registry.add({QStringLiteral("Patient_Data"),
                  QStringLiteral("sp_DOH_Report_HospitalGeneralInformation"),
                  {QStringLiteral("@Year")},
                  -1,
                  Access::Read,
                  hospitalGeneralInformation});
}

} // namespace embedded
