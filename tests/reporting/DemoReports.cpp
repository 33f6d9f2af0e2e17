#include "DemoReports.h"

#include "catalogue/ReportCatalogue.h"
#include "embedded/DemoHospital.h"
#include "reporting/modCrystal.h"
#include "startup/modSysConstants.h"

#include "adodb/Recordset.h"
#include "com/Runtime.h"

namespace testing_support {

DemoReports::DemoReports(int scale)
{
    embedded::DemoHospital::Options options;
    options.referenceDate = QDate(2026, 12, 8);
    options.scale = scale;
    options.fullYears = 1;
    embedded::DemoHospital::fill(m_store.store(), options);
    m_connection = m_store.connect();
    m_connection->Execute(QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 13,'13','23'"));
    adodb::Recordset hospital;
    hospital.Open(QStringLiteral("SELECT Company, Address1 FROM Patient_Data..tbHospitalInfo"), m_connection,
                  adodb::adUseClient, adodb::adOpenForwardOnly, adodb::adLockReadOnly);
    modSysConstants::pstrHospitalName = hospital.Fields(QStringLiteral("Company")).Value().toText();
    modSysConstants::pstrHospitalAddress1 = hospital.Fields(QStringLiteral("Address1")).Value().toText();
    modSysConstants::pstrHospitalAddress2.clear();
    m_user = std::make_shared<FakeCurrentUser>();
    m_user->server = m_store.folder();
    modSysConstants::pobjCurrentUser = m_user;
}

DemoReports::~DemoReports()
{
    modCrystal::pobjReport.reset();
    modSysConstants::pobjCurrentUser.reset();
}

void DemoReports::generate(const QDate &first, const QDate &last)
{
    const QString dates = QStringLiteral(" '") + text(first) + QStringLiteral("','") + text(last) + QLatin1Char('\'');
    for (const catalogue::ReportItem &item : catalogue::ReportCatalogue()) {
        m_connection->Execute(QStringLiteral("Patient_Data..sp_DOH_Update_tbMedNewDOHReportLog '") +
                              catalogue::GetReportID(item.title) + QStringLiteral("','") + text(first) +
                              QStringLiteral("','") + text(last) + QLatin1Char('\''));
        if (!item.uploadProcedure.isEmpty())
            m_connection->Execute(QStringLiteral("Patient_Data..") + item.uploadProcedure + dates +
                                  (item.takesUploadOption ? QStringLiteral(",2") : QString()));
    }
}

void DemoReports::open(const catalogue::ReportFile &entry, const QDate &first, const QDate &last)
{
    const QList<com::Variant> header = {modSysConstants::pstrHospitalName, modSysConstants::pstrHospitalAddress1,
                                        modSysConstants::pstrHospitalAddress2};
    QList<com::Variant> values;
    switch (entry.values) {
    case catalogue::ReportValues::Year:
        values = {QString::number(first.year())};
        break;
    case catalogue::ReportValues::HospitalAndDates:
        values = header;
        values << text(first) << text(last);
        break;
    case catalogue::ReportValues::Dates:
        values = {text(first), text(last)};
        break;
    }
    modCrystal::OpenReportFile(com::App::Path() + QLatin1Char('/') + entry.file, values);
    if (entry.header)
        modCrystal::OpenSubReport(catalogue::kReportHeaderName, header);
}

} // namespace testing_support
