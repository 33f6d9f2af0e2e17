#include "ReportParametersFixture.h"

#include "catalogue/ReportFiles.h"
#include "embedded/Store.h"
#include "reporting/modCrystal.h"
#include "startup/modSysConstants.h"

#include <QComboBox>

namespace legacy_tests {

void ReportParametersFixture::SetUp()
{
    m_connection = m_store.connect();
    m_user = std::make_shared<testdata::FakeCurrentUser>();
    m_user->server = m_store.folder();
    modSysConstants::pobjCurrentUser = m_user;
    modCrystal::pobjReport.reset();
}

void ReportParametersFixture::TearDown()
{
    m_dialog.reset();
    catalogue::SetReportFolder(QString());
    modCrystal::pobjReport.reset();
    modSysConstants::pobjCurrentUser.reset();
}

void ReportParametersFixture::Open()
{
    m_dialog = std::make_unique<frmReportParameters>();
    m_dialog->setTodayProvider([] { return QDate(2026, 3, 15); });
    m_dialog->InitializeForm(m_connection, kHospital, kAddress, QString());
    m_dialog->PrepareForm();
    m_connection->statementLog().clear();
}

void ReportParametersFixture::Log(const QString &reportId, int year, int month)
{
    const QDate first(year, month, 1);
    embedded::sql::exec(m_store.store().database(),
                        QStringLiteral("INSERT INTO Patient_Data.tbMedNewDOHReportLog "
                                       "(ReportID, FromDate, ToDate, LastUpdatedDate) VALUES (?, ?, ?, ?)"),
                        {reportId, embedded::sql::storedDate(first),
                         embedded::sql::storedDate(first.addDays(first.daysInMonth() - 1)),
                         embedded::sql::storedDateTime(QDateTime(QDate(2026, 3, 15), QTime(10, 0)))});
}

void ReportParametersFixture::Pick(const QString &name, int month)
{
    m_dialog->cboMonth->setCurrentIndex(month);
    const int index = m_dialog->cboReportName->findText(name);
    ASSERT_GE(index, 0) << name.toStdString();
    m_dialog->cboReportName->setCurrentIndex(index);
}

QString ReportParametersFixture::Search(int year, int month)
{
    const QDate first(year, month, 1);
    return QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportLog '%1','%2'")
        .arg(first.toString(QStringLiteral("MM/dd/yyyy")),
             first.addDays(first.daysInMonth() - 1).toString(QStringLiteral("MM/dd/yyyy")));
}

} // namespace legacy_tests
