#include "Procedures.h"

#include "com/Runtime.h"

#include <QDateTime>
#include <QRegularExpression>

// The store's procedures for the program's own records: report setup, report
// log, Section I and the service look-up.
namespace embedded {

namespace {

using adodb::BackendError;
using adodb::ResultSet;

ResultSet searchReportSetup(ProcedureContext &ctx, const Arguments &)
{
    QSqlQuery q = sql::exec(ctx.db, QStringLiteral("SELECT PediaAge, NewbornCode, SurgeryCode "
                                                   "FROM Patient_Data.tbMedNewDOHReportSetup"));
    return sql::toResultSet(q);
}

ResultSet saveReportSetup(ProcedureContext &ctx, const Arguments &args)
{
    const qint64 age = args.integer(0);
    if (age < 0 || age > 150)
        throw BackendError(QStringLiteral("The paediatric age limit must be between 0 and 150 years; %1 was given.")
                               .arg(age),
                           50000);
    sql::exec(ctx.db,
              QStringLiteral("INSERT INTO Patient_Data.tbMedNewDOHReportSetup "
                             "(SetupID, PediaAge, NewbornCode, SurgeryCode, UpdatedDate) VALUES (1, ?, ?, ?, ?) "
                             "ON CONFLICT (SetupID) DO UPDATE SET PediaAge = excluded.PediaAge, "
                             "NewbornCode = excluded.NewbornCode, SurgeryCode = excluded.SurgeryCode, "
                             "UpdatedDate = excluded.UpdatedDate"),
              {age, args.text(1), args.text(2), sql::storedDateTime(ctx.store.now())});
    return {};
}

void requireOrderedPeriod(const QDate &from, const QDate &to)
{
    if (to < from)
        throw BackendError(QStringLiteral("The last date of the period (%1) is before its first date (%2).")
                               .arg(com::Format(to, QStringLiteral("mm/dd/yyyy")),
                                    com::Format(from, QStringLiteral("mm/dd/yyyy"))),
                           50000);
}

ResultSet searchReportLog(ProcedureContext &ctx, const Arguments &args)
{
    const QDate from = args.date(0);
    const QDate to = args.date(1);
    QSqlQuery q = sql::exec(ctx.db,
                            QStringLiteral("SELECT ReportID, LastUpdatedDate FROM Patient_Data.tbMedNewDOHReportLog "
                                           "WHERE FromDate = ? AND ToDate = ? ORDER BY LastUpdatedDate, ReportID"),
                            {sql::storedDate(from), sql::storedDate(to)});
    return sql::toResultSet(q, {QStringLiteral("LastUpdatedDate")});
}

ResultSet updateReportLog(ProcedureContext &ctx, const Arguments &args)
{
    const QString reportId = args.text(0);
    const QDate from = args.date(1);
    const QDate to = args.date(2);
    requireOrderedPeriod(from, to);
    sql::exec(ctx.db,
              QStringLiteral("INSERT INTO Patient_Data.tbMedNewDOHReportLog (ReportID, FromDate, ToDate, "
                             "LastUpdatedDate) VALUES (?, ?, ?, ?) ON CONFLICT (ReportID, FromDate, ToDate) "
                             "DO UPDATE SET LastUpdatedDate = excluded.LastUpdatedDate"),
              {reportId, sql::storedDate(from), sql::storedDate(to), sql::storedDateTime(ctx.store.now())});
    return {};
}

// The yes/no items of Section I, returned as "X" for yes.
const QStringList kSectionIFlags = {
    QStringLiteral("IsBirthingHome"), QStringLiteral("IsInfirmary"),      QStringLiteral("IsAcuteChronic"),
    QStringLiteral("IsCustodialPsychiatric"), QStringLiteral("IsFirstLevel"), QStringLiteral("IsSecondLevel"),
    QStringLiteral("IsThirdLevel"),   QStringLiteral("IsSpecial"),        QStringLiteral("IsCertifiedISO"),
    QStringLiteral("IsPCAHO"),        QStringLiteral("IsOtherCertifying"),
};

// The Section I columns in the order the upload receives them.
const QStringList kSectionIArguments = {
    QStringLiteral("Region"), QStringLiteral("ContactNo"), QStringLiteral("FaxNo"), QStringLiteral("EmailAddress"),
    QStringLiteral("IsBirthingHome"), QStringLiteral("IsInfirmary"), QStringLiteral("IsAcuteChronic"),
    QStringLiteral("IsCustodialPsychiatric"), QStringLiteral("IsFirstLevel"), QStringLiteral("IsSecondLevel"),
    QStringLiteral("IsThirdLevel"), QStringLiteral("IsSpecial"), QStringLiteral("SpecialSpecify"),
    QStringLiteral("NatureOfOwnership"), QStringLiteral("OtherAgencySpecify"), QStringLiteral("IsCertifiedISO"),
    QStringLiteral("CertifiedISOSpecify"), QStringLiteral("IsPCAHO"), QStringLiteral("IsOtherCertifying"),
    QStringLiteral("OtherCertifyingSpecify"), QStringLiteral("CertifiedISOValidity"),
    QStringLiteral("PCAHOValidity"), QStringLiteral("OtherCertifyingValidity"), QStringLiteral("AuthorizedBed"),
    QStringLiteral("ActualBed"), QStringLiteral("AdditionalBed"), QStringLiteral("HealthFacilityName"),
    QStringLiteral("CompleteAddress"), QStringLiteral("StreetAddress"), QStringLiteral("Municipality"),
    QStringLiteral("Province"),
};

const QStringList kSectionIColumns = {
    QStringLiteral("HealthFacilityName"), QStringLiteral("CompleteAddress"), QStringLiteral("Region"),
    QStringLiteral("ContactNo"), QStringLiteral("FaxNo"), QStringLiteral("EmailAddress"),
    QStringLiteral("IsBirthingHome"), QStringLiteral("IsInfirmary"), QStringLiteral("IsAcuteChronic"),
    QStringLiteral("IsCustodialPsychiatric"), QStringLiteral("IsFirstLevel"), QStringLiteral("IsSecondLevel"),
    QStringLiteral("IsThirdLevel"), QStringLiteral("IsSpecial"), QStringLiteral("SpecialSpecify"),
    QStringLiteral("NatureOfOwnership"), QStringLiteral("OtherAgencySpecify"), QStringLiteral("IsCertifiedISO"),
    QStringLiteral("CertifiedISOSpecify"), QStringLiteral("IsPCAHO"), QStringLiteral("IsOtherCertifying"),
    QStringLiteral("OtherCertifyingSpecify"), QStringLiteral("CertifiedISOValidity"),
    QStringLiteral("PCAHOValidity"), QStringLiteral("OtherCertifyingValidity"), QStringLiteral("AuthorizedBed"),
    QStringLiteral("ActualBed"), QStringLiteral("AdditionalBed"), QStringLiteral("StreetAddress"),
    QStringLiteral("Municipality"), QStringLiteral("Province"),
};

const QHash<QString, QString> kBedCountNames = {
    {QStringLiteral("AuthorizedBed"), QStringLiteral("authorized bed count")},
    {QStringLiteral("ActualBed"), QStringLiteral("actual bed count")},
    {QStringLiteral("AdditionalBed"), QStringLiteral("additional bed count")},
};

ResultSet reportSectionI(ProcedureContext &ctx, const Arguments &)
{
    QStringList select;
    for (const QString &column : kSectionIColumns) {
        if (kSectionIFlags.contains(column))
            select.append(QStringLiteral("CASE WHEN %1 <> 0 THEN 'X' ELSE '' END AS %1").arg(column));
        else
            select.append(column);
    }
    QSqlQuery q = sql::exec(ctx.db, QStringLiteral("SELECT %1 FROM Patient_Data.tbDOHSectionI")
                                        .arg(select.join(QStringLiteral(", "))));
    return sql::toResultSet(q);
}

// A bed count as typed: blanks around it and "," digit grouping are taken;
// it must be a whole number.
qint64 bedCount(const QString &column, const QString &typed)
{
    static const QRegularExpression grouped(QStringLiteral("^[0-9]{1,3}(,[0-9]{3})+$"));
    static const QRegularExpression plain(QStringLiteral("^[+]?[0-9]+$"));
    const QString t = com::Trim(typed);
    if (plain.match(t).hasMatch() || grouped.match(t).hasMatch()) {
        QString digits = t;
        digits.remove(QLatin1Char(',')).remove(QLatin1Char('+'));
        bool ok = false;
        const qint64 value = digits.toLongLong(&ok);
        if (ok && value <= 100000)
            return value;
    }
    throw BackendError(QStringLiteral("The %1 '%2' is not a whole number of beds; nothing was saved.")
                           .arg(kBedCountNames.value(column), typed),
                       50000);
}

ResultSet uploadSectionI(ProcedureContext &ctx, const Arguments &args)
{
    QVariantList values;
    QStringList placeholders;
    QStringList updates;
    for (qsizetype i = 0; i < kSectionIArguments.size(); ++i) {
        const QString &column = kSectionIArguments.at(i);
        if (kBedCountNames.contains(column))
            values.append(bedCount(column, args.text(i)));
        else if (kSectionIFlags.contains(column))
            values.append(args.integer(i) != 0 ? 1 : 0);
        else if (column == QLatin1String("NatureOfOwnership"))
            values.append(args.integer(i));
        else
            values.append(args.text(i));
        placeholders.append(QStringLiteral("?"));
        updates.append(QStringLiteral("%1 = excluded.%1").arg(column));
    }
    sql::exec(ctx.db,
              QStringLiteral("INSERT INTO Patient_Data.tbDOHSectionI (SectionID, %1) VALUES (1, %2) "
                             "ON CONFLICT (SectionID) DO UPDATE SET %3")
                  .arg(kSectionIArguments.join(QStringLiteral(", ")), placeholders.join(QStringLiteral(", ")),
                       updates.join(QStringLiteral(", "))),
              values);
    return {};
}

ResultSet loadService(ProcedureContext &ctx, const Arguments &args)
{
    // The code column compares as SQL Server compares texts (trailing
    // blanks do not count), and the look-up reads its key index.
    QSqlQuery q = sql::exec(ctx.db,
                            QStringLiteral("SELECT ServiceCode, Service FROM BUILD_FILE.tbCoService "
                                           "WHERE ServiceCode = ?"),
                            {args.text(0)});
    return sql::toResultSet(q);
}

QStringList sectionIParameters()
{
    QStringList names;
    for (const QString &column : kSectionIArguments)
        names.append(QLatin1Char('@') + column);
    return names;
}

} // namespace

void registerCoreProcedures(ProcedureRegistry &registry)
{
    const QString patientData = QStringLiteral("Patient_Data");
    registry.add({patientData, QStringLiteral("sp_DOH_Search_tbMedNewDOHReportSetup"), {}, -1, Access::Read,
                  searchReportSetup});
    registry.add({patientData, QStringLiteral("sp_DOH_Save_tbMedNewDOHReportSetup"),
                  {QStringLiteral("@PediaAge"), QStringLiteral("@NewbornCode"), QStringLiteral("@SurgeryCode")}, -1,
                  Access::Write, saveReportSetup, {patientData}});
    registry.add({patientData, QStringLiteral("sp_DOH_Search_tbMedNewDOHReportLog"),
                  {QStringLiteral("@FromDate"), QStringLiteral("@ToDate")}, -1, Access::Read, searchReportLog});
    registry.add({patientData, QStringLiteral("sp_DOH_Update_tbMedNewDOHReportLog"),
                  {QStringLiteral("@ReportID"), QStringLiteral("@FromDate"), QStringLiteral("@ToDate")}, -1,
                  Access::Write, updateReportLog, {patientData}});
    registry.add({patientData, QStringLiteral("sp_DOH_Report_Section1"), {}, -1, Access::Read, reportSectionI});
    registry.add({patientData, QStringLiteral("sp_DOH_Upload_SectionI"), sectionIParameters(), -1, Access::Write,
                  uploadSectionI, {patientData}});
    registry.add({QStringLiteral("BUILD_FILE"), QStringLiteral("sp_Bui_Common_Load_tbCoService"),
                  {QStringLiteral("@ServiceCode")}, -1, Access::Read, loadService});
}

} // namespace embedded
