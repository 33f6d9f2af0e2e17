#include "modSysConstants.h"

#include "catalogue/ReportCatalogue.h"

#include "adodb/Recordset.h"
#include "com/ComError.h"

namespace modSysConstants {

qint32 plngUploadOption = 0;
QString pstrHospitalName;
QString pstrHospitalAddress1;
QString pstrHospitalAddress2;
bool IsAllowERCases = false;
bool IsAllowConsultationCauses = false;
QHash<QString, bool> pbReportItemFlags;
std::shared_ptr<session::CurrentUser> pobjCurrentUser;
std::shared_ptr<codesearch::CodeSearch> pobjCodeSearch;

namespace {

// A setup column's Boolean value; a null counts as false.
bool flagValue(const com::Variant &value)
{
    return !value.isNull() && value.toBool();
}

} // namespace

void LoadDOHSetupFlags()
{
    if (!pobjCurrentUser)
        throw com::ComError(com::errors::ObjectRequired,
                            QStringLiteral("Object variable or With block variable not set"));
    IsAllowERCases = false;
    IsAllowConsultationCauses = false;

    adodb::Recordset rs;
    rs.Open(QStringLiteral("Select * From Patient_Data..tbDOHSetup"), pobjCurrentUser->sqlconnection(),
            adodb::adUseClient, adodb::adOpenDynamic, adodb::adLockOptimistic);
    if (rs.RecordCount() > 0) {
        IsAllowERCases = flagValue(rs.Fields(QStringLiteral("IsAllowERCases")).Value());
        IsAllowConsultationCauses = flagValue(rs.Fields(QStringLiteral("IsAllowConsultationCauses")).Value());
    }
    rs.Close();

    pbReportItemFlags.clear();
    for (const catalogue::ReportItem &item : catalogue::ReportCatalogue()) {
        if (item.visibility == catalogue::Visibility::FixedFlag)
            pbReportItemFlags.insert(item.title, item.fixedFlagValue);
    }
}

void LoadHospitalHeader(const adodb::ConnectionPtr &connection)
{
    adodb::Recordset rs;
    rs.Open(QStringLiteral("SELECT COMPANY, ADDRESS1 FROM Patient_Data..tbHospitalInfo"), connection);
    // A store without a hospital row gives an empty name and address.
    if (!rs.Eof()) {
        pstrHospitalName = QString() + rs.Fields(QStringLiteral("Company")).Value().toText();
        pstrHospitalAddress1 = QString() + rs.Fields(QStringLiteral("Address1")).Value().toText();
    } else {
        pstrHospitalName.clear();
        pstrHospitalAddress1.clear();
    }
    rs.Close();
}

bool IsReportItemListed(const QString &title)
{
    const catalogue::ReportItem *item = catalogue::FindReportItem(title);
    if (!item)
        return false;
    switch (item->visibility) {
    case catalogue::Visibility::Always:
        return true;
    case catalogue::Visibility::FixedFlag:
        return pbReportItemFlags.value(title, false);
    case catalogue::Visibility::AllowERCases:
        return IsAllowERCases;
    case catalogue::Visibility::AllowConsultationCauses:
        return IsAllowConsultationCauses;
    }
    return false;
}

} // namespace modSysConstants
