#include "adodb/Connection.h"
#include "adodb/Recordset.h"
#include "adodb/SqlText.h"
#include "com/ComError.h"
#include "embedded/Store.h"

#include "support/StatementLog.h"
#include "support/TempStore.h"

#include <QSqlQuery>

#include <gtest/gtest.h>

using adodb::Recordset;
using adodb::SqlText;
using com::ComError;

namespace {

class StoreTest : public ::testing::Test
{
protected:
    testing_support::TempStore temp;
    adodb::ConnectionPtr conn = temp.connect();

    QString failureOf(const QString &statement)
    {
        try {
            conn->Execute(statement);
        } catch (const ComError &e) {
            return e.description();
        }
        return QStringLiteral("(no failure)");
    }
    qint64 count(const QString &table)
    {
        QSqlQuery q = embedded::sql::exec(temp.store().database(), QStringLiteral("SELECT COUNT(*) FROM ") + table);
        q.next();
        return q.value(0).toLongLong();
    }
};

} // namespace

TEST_F(StoreTest, ReportSetupHasNoRowBeforeTheFirstSaveAndOneAfterEachSave)
{
    Recordset rs;
    rs.Open(QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportSetup"), conn);
    EXPECT_TRUE(rs.Eof());
    rs.Close();

    conn->Execute(QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 13,'13','23'"));
    conn->Execute(QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 12,' 14 ','23'"));
    rs.Open(QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportSetup"), conn);
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields(QStringLiteral("PediaAge")).Value().toLong(), 12);
    EXPECT_EQ(rs.Fields(QStringLiteral("NewbornCode")).Value().toString(), QStringLiteral(" 14 "));
    EXPECT_EQ(rs.Fields(QStringLiteral("SurgeryCode")).Value().toString(), QStringLiteral("23"));
}

TEST_F(StoreTest, TypedTextsRoundTripExactlyThroughTheLiteralHelper)
{
    const QStringList typed = {QStringLiteral("O'Brien"), QStringLiteral("-- ; DROP"), QStringLiteral("a\\\nb"),
                               QStringLiteral("Niño é"), QStringLiteral("''"), QStringLiteral("  ")};
    for (const QString &code : typed) {
        conn->Execute(QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 13,") + SqlText(code)
                      + QLatin1Char(',') + SqlText(code));
        Recordset rs;
        rs.Open(QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportSetup"), conn);
        EXPECT_EQ(rs.Fields(QStringLiteral("NewbornCode")).Value().toString(), code);
        EXPECT_EQ(rs.Fields(QStringLiteral("SurgeryCode")).Value().toString(), code);
    }
}

TEST_F(StoreTest, ReportLogUpdateThenSearchGivesTheIdWithATimeAndARerunReplaces)
{
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    conn->Execute(QStringLiteral("Patient_Data..sp_DOH_Update_tbMedNewDOHReportLog 'II.','03/01/2026','03/31/2026'"));
    conn->Execute(QStringLiteral("Patient_Data..sp_DOH_Update_tbMedNewDOHReportLog 'II.','03/01/2026','03/31/2026'"));
    conn->Execute(QStringLiteral("Patient_Data..sp_DOH_Update_tbMedNewDOHReportLog 'I.','03/01/2026','03/31/2026'"));
    conn->Execute(QStringLiteral("Patient_Data..sp_DOH_Update_tbMedNewDOHReportLog 'II.','01/01/2026','03/31/2026'"));
    // An ID compares as the server compares it: "II. " is "II.".
    conn->Execute(QStringLiteral("Patient_Data..sp_DOH_Update_tbMedNewDOHReportLog 'II. ','01/01/2026','03/31/2026'"));
    EXPECT_EQ(count(QStringLiteral("Patient_Data.tbMedNewDOHReportLog")), 3);

    Recordset rs;
    rs.Open(QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportLog '03/01/2026','03/31/2026'"), conn);
    ASSERT_EQ(rs.RecordCount(), 2);
    QStringList ids;
    for (; !rs.Eof(); rs.MoveNext()) {
        ids.append(rs.Fields(QStringLiteral("ReportID")).Value().toString());
        const com::Variant when = rs.Fields(QStringLiteral("LastUpdatedDate")).Value();
        ASSERT_EQ(when.type(), com::Variant::Type::DateTime);
        EXPECT_GE(when.toDateTime(), before);
    }
    ids.sort();
    EXPECT_EQ(ids, (QStringList{QStringLiteral("I."), QStringLiteral("II.")}));

    rs.Close();
    rs.Open(QStringLiteral("Patient_Data..sp_DOH_Search_tbMedNewDOHReportLog '04/01/2026','04/30/2026'"), conn);
    EXPECT_TRUE(rs.Eof());
}

TEST_F(StoreTest, ReadsOfTheProgramsTables)
{
    embedded::sql::exec(temp.store().database(),
                        QStringLiteral("INSERT INTO Patient_Data.tbHospitalInfo (Company, Address1) VALUES (?, NULL)"),
                        {QStringLiteral("Santa Niña")});
    Recordset rs;
    rs.Open(QStringLiteral("SELECT COMPANY, ADDRESS1 FROM Patient_Data..tbHospitalInfo"), conn);
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields(QStringLiteral("Company")).Value().toString(), QStringLiteral("Santa Niña"));
    EXPECT_TRUE(rs.Fields(QStringLiteral("Address1")).Value().isNull());
    rs.Close();

    embedded::sql::exec(temp.store().database(),
                        QStringLiteral("INSERT INTO Patient_Data.tbDOHSetup (IsAllowERCases, IsAllowConsultationCauses) "
                                       "VALUES (1, NULL)"));
    rs.Open(QStringLiteral("Select * From Patient_Data..tbDOHSetup"), conn);
    EXPECT_EQ(rs.Fields(QStringLiteral("IsAllowERCases")).Value().type(), com::Variant::Type::Boolean);
    EXPECT_TRUE(rs.Fields(QStringLiteral("IsAllowERCases")).Value().toBool());
    EXPECT_TRUE(rs.Fields(QStringLiteral("IsAllowConsultationCauses")).Value().isNull());
}

TEST_F(StoreTest, SectionIUploadTakesBedCountsAsTypedAndReportsFlagsAsX)
{
    QStringList args;
    for (int i = 1; i <= 31; ++i)
        args.append(SqlText(QStringLiteral("t%1").arg(i)));
    for (int i : {5, 6, 7, 8, 9, 10, 11, 12, 16, 18, 19})
        args[i - 1] = (i == 11 || i == 18) ? QStringLiteral("1") : QStringLiteral("0");
    args[13] = QStringLiteral("4");
    args[23] = SqlText(QStringLiteral(" 1,000 "));
    args[24] = SqlText(QStringLiteral("100"));
    args[25] = SqlText(QStringLiteral(" 7"));
    args[26] = SqlText(QStringLiteral("St. Jude's"));
    conn->Execute(QStringLiteral("PATIENT_DATA..sp_DOH_Upload_SectionI ") + args.join(QLatin1Char(',')));

    Recordset rs;
    rs.Open(QStringLiteral("Patient_Data..sp_DOH_Report_Section1"), conn);
    ASSERT_EQ(rs.RecordCount(), 1);
    EXPECT_EQ(rs.Fields(QStringLiteral("AuthorizedBed")).Value().toLong(), 1000);
    EXPECT_EQ(rs.Fields(QStringLiteral("AdditionalBed")).Value().toLong(), 7);
    EXPECT_EQ(rs.Fields(QStringLiteral("IsThirdLevel")).Value().toString(), QStringLiteral("X"));
    EXPECT_EQ(rs.Fields(QStringLiteral("IsFirstLevel")).Value().toString(), QString());
    EXPECT_EQ(rs.Fields(QStringLiteral("IsPCAHO")).Value().toString(), QStringLiteral("X"));
    EXPECT_EQ(rs.Fields(QStringLiteral("NatureOfOwnership")).Value().toLong(), 4);
    EXPECT_EQ(rs.Fields(QStringLiteral("HealthFacilityName")).Value().toString(), QStringLiteral("St. Jude's"));
    EXPECT_EQ(rs.Fields(QStringLiteral("Region")).Value().toString(), QStringLiteral("t1"));
    EXPECT_EQ(rs.Fields(QStringLiteral("Province")).Value().toString(), QStringLiteral("t31"));

    // A fraction or a word is refused, naming the count, and nothing changes.
    for (const QString &bad : {QStringLiteral("12.5"), QStringLiteral("ten"), QStringLiteral("")}) {
        QStringList again = args;
        again[24] = SqlText(bad);
        EXPECT_EQ(failureOf(QStringLiteral("PATIENT_DATA..sp_DOH_Upload_SectionI ") + again.join(QLatin1Char(','))),
                  QStringLiteral("The actual bed count '%1' is not a whole number of beds; nothing was saved.").arg(bad));
    }
    rs.Close();
    rs.Open(QStringLiteral("Patient_Data..sp_DOH_Report_Section1"), conn);
    EXPECT_EQ(rs.Fields(QStringLiteral("ActualBed")).Value().toLong(), 100);
}

TEST_F(StoreTest, ServiceLookupComparesAsSqlServer)
{
    auto serviceOf = [&](const QString &code) {
        Recordset rs;
        rs.Open(QStringLiteral("BUILD_FILE..sp_Bui_Common_Load_tbCoService ") + SqlText(code), conn);
        return rs.Eof() ? QStringLiteral("<none>") : rs.Fields(QStringLiteral("Service")).Value().toText();
    };
    EXPECT_EQ(serviceOf(QStringLiteral("13")), QStringLiteral("Newborn"));
    EXPECT_EQ(serviceOf(QStringLiteral("23")), QStringLiteral("Surgery"));
    EXPECT_EQ(serviceOf(QStringLiteral("23  ")), QStringLiteral("Surgery"));
    EXPECT_EQ(serviceOf(QStringLiteral(" 23")), QStringLiteral("<none>"));
    EXPECT_EQ(serviceOf(QStringLiteral("2'3")), QStringLiteral("<none>"));
    // A code stored with trailing blanks, as a fixed-width column keeps it.
    embedded::sql::exec(temp.store().database(),
                        QStringLiteral("UPDATE BUILD_FILE.tbCoService SET ServiceCode = '31   ' WHERE ServiceCode = '31'"));
    EXPECT_EQ(serviceOf(QStringLiteral("31")), QStringLiteral("Dental"));
    EXPECT_EQ(serviceOf(QStringLiteral("31 ")), QStringLiteral("Dental"));
}

TEST_F(StoreTest, TheSupplementaryUpdateRewritesEveryRow)
{
    embedded::sql::exec(temp.store().database(), QStringLiteral("INSERT INTO PASSWORD.tbHospitalInfo2 (Specialty) VALUES (1)"));
    long affected = 0;
    conn->Execute(QStringLiteral("Update A Set A.Specialty ='3',A.LocalParticular = 'San José''s'From "
                                 "PASSWORD..tbHospitalInfo2 A"),
                  &affected);
    EXPECT_EQ(affected, 2);
    Recordset rs;
    rs.Open(QStringLiteral(" SELECT Specialty, LocalParticular From PASSWORD..tbHospitalInfo2 "), conn);
    ASSERT_EQ(rs.RecordCount(), 2);
    for (; !rs.Eof(); rs.MoveNext()) {
        EXPECT_EQ(rs.Fields(QStringLiteral("Specialty")).Value().toLong(), 3);
        EXPECT_EQ(rs.Fields(QStringLiteral("LocalParticular")).Value().toString(), QStringLiteral("San José's"));
    }
}

struct ErrorCase
{
    const char *statement;
    const char *message;
};

class StoreErrors : public StoreTest, public ::testing::WithParamInterface<ErrorCase>
{
};

TEST_P(StoreErrors, AreTheDatabasesOwnWords)
{
    EXPECT_EQ(failureOf(QString::fromUtf8(GetParam().statement)), QString::fromUtf8(GetParam().message));
}

INSTANTIATE_TEST_SUITE_P(
    Statements, StoreErrors,
    ::testing::Values(
        ErrorCase{"Patient_Data..sp_DOH_Upload_Nothing '01/01/2026','01/31/2026'",
                  "Could not find stored procedure 'Patient_Data..sp_DOH_Upload_Nothing'."},
        ErrorCase{"Patient_Data..sp_DOH_Search_tbMedNewDOHReportLog '02/30/2026','03/31/2026'",
                  "Conversion failed when converting date and/or time from character string."},
        ErrorCase{"Patient_Data..sp_DOH_Search_tbMedNewDOHReportLog 'March','03/31/2026'",
                  "Conversion failed when converting date and/or time from character string."},
        ErrorCase{"Patient_Data..sp_DOH_Search_tbMedNewDOHReportLog '03/01/2026'",
                  "Procedure or function 'sp_DOH_Search_tbMedNewDOHReportLog' expects parameter '@ToDate', which "
                  "was not supplied."},
        ErrorCase{"Patient_Data..sp_DOH_Search_tbMedNewDOHReportSetup 1",
                  "Procedure or function sp_DOH_Search_tbMedNewDOHReportSetup has too many arguments specified."},
        ErrorCase{"Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 'abc','13','23'",
                  "Conversion failed when converting the varchar value 'abc' to data type int."},
        ErrorCase{"Patient_Data..sp_DOH_Update_tbMedNewDOHReportLog 'II.','03/31/2026','03/01/2026'",
                  "The last date of the period (03/01/2026) is before its first date (03/31/2026)."},
        ErrorCase{"SELECT Nothing FROM Patient_Data..tbHospitalInfo", "Invalid column name 'Nothing'."},
        ErrorCase{"SELECT * FROM Patient_Data..tbNothing", "Invalid object name 'Patient_Data..tbNothing'."},
        ErrorCase{"SELECT * FROM Billing..tbHospitalInfo",
                  "Database 'Billing' does not exist. Make sure that the name is entered correctly."},
        ErrorCase{"Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 13,'it's','23'", "Incorrect syntax near 's'."}));

TEST_F(StoreTest, ProcedureNamesResolveCaseInsensitively)
{
    EXPECT_NO_THROW(conn->Execute(QStringLiteral("patient_data..SP_DOH_SEARCH_TBMEDNEWDOHREPORTSETUP")));
    EXPECT_NO_THROW(conn->Execute(QStringLiteral("EXEC Patient_Data.dbo.sp_DOH_Search_tbMedNewDOHReportSetup")));
}
