#include "adodb/Connection.h"
#include "adodb/Recordset.h"
#include "com/ComError.h"
#include "embedded/Store.h"

#include "support/TempStore.h"

#include <QSqlQuery>

#include <gtest/gtest.h>

using adodb::Recordset;
using com::ComError;

namespace {

// A store with a report setup and one user, for statements that must not
// reach what the program does not send them to.
class StoreGuards : public ::testing::Test
{
protected:
    testing_support::TempStore temp;
    adodb::ConnectionPtr conn = temp.connect();

    void SetUp() override
    {
        conn->Execute(QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 13,'13','23'"));
        embedded::sql::exec(temp.store().database(),
                            QStringLiteral("INSERT INTO PASSWORD.tbVelmoraUser (UserName, PasswordHash, "
                                           "IsAdministrator, CreatedDate) VALUES ('clerk', '$argon2id$v=19$secret', "
                                           "0, '2026-01-01 00:00:00.000')"));
    }

    QString failureOf(const QString &statement)
    {
        try {
            conn->Execute(statement);
        } catch (const ComError &e) {
            return e.description();
        }
        return QStringLiteral("(no failure)");
    }
    // Every stored value of the rows a stray statement could reach.
    QString rows(const QString &sql)
    {
        QSqlQuery q = embedded::sql::exec(temp.store().database(), sql);
        QStringList values;
        while (q.next())
            values.append(q.value(0).toString());
        return values.join(QLatin1Char('|'));
    }
    QString reachable()
    {
        return rows(QStringLiteral("SELECT quote(PediaAge) || quote(NewbornCode) || quote(SurgeryCode) "
                                   "FROM Patient_Data.tbMedNewDOHReportSetup")) +
               rows(QStringLiteral("SELECT quote(UserName) || quote(PasswordHash) || quote(IsAdministrator) "
                                   "FROM PASSWORD.tbVelmoraUser")) +
               rows(QStringLiteral("SELECT quote(HospitalInfoID) || quote(Specialty) || quote(TraumaCapability) || "
                                   "quote(LocalParticular) || quote(QMPCAHO) FROM PASSWORD.tbHospitalInfo2"));
    }
};

struct Refusal
{
    const char *statement;
    const char *message;
};

class StoreRefuses : public StoreGuards, public ::testing::WithParamInterface<Refusal>
{
};

} // namespace

TEST_F(StoreGuards, EmptyLiteralsAreStoredAsEmptyTexts)
{
    conn->Execute(QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 19,'','23'"));
    conn->Execute(QStringLiteral("Patient_Data..sp_DOH_Update_tbMedNewDOHReportLog '','03/01/2026','03/31/2026'"));
    QStringList sectionI(31, QStringLiteral("''"));
    for (int i : {23, 24, 25})
        sectionI[i] = QStringLiteral("'0'"); // the bed counts; flags and ownership take '' as 0
    conn->Execute(QStringLiteral("PATIENT_DATA..sp_DOH_Upload_SectionI ") + sectionI.join(QLatin1Char(',')));
    conn->Execute(
        QStringLiteral("Update A Set A.Specialty ='0',A.LocalParticular = ''From PASSWORD..tbHospitalInfo2 A"));
    EXPECT_EQ(rows(QStringLiteral("SELECT quote(NewbornCode) FROM Patient_Data.tbMedNewDOHReportSetup "
                                  "UNION ALL SELECT quote(ReportID) FROM Patient_Data.tbMedNewDOHReportLog "
                                  "UNION ALL SELECT quote(Region) || quote(HealthFacilityName) || quote(IsSpecial) "
                                  "FROM Patient_Data.tbDOHSectionI "
                                  "UNION ALL SELECT quote(LocalParticular) FROM PASSWORD.tbHospitalInfo2")),
              QStringLiteral("''|''|''''0|''"));
    // A code '' is found like any other.
    embedded::sql::exec(temp.store().database(),
                        QStringLiteral("INSERT INTO BUILD_FILE.tbCoService VALUES ('', 'Unassigned')"));
    Recordset rs;
    rs.Open(QStringLiteral("BUILD_FILE..sp_Bui_Common_Load_tbCoService ''"), conn);
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs.Fields(QStringLiteral("Service")).Value().toText(), QStringLiteral("Unassigned"));
}

TEST_F(StoreGuards, TheUpdateConvertsEachValueToItsColumnsType)
{
    long affected = 0;
    conn->Execute(QStringLiteral("Update A Set A.Specialty =' 2 ',A.TraumaCapability = 1.9,A.QMISOCertified = 'TRUE',"
                                 "A.QMPCAHO = 5,A.QMIntlAccreditation = '',A.LocalParticular = 013,"
                                 "a.QMPCAHOValPeriod = -.50 From PASSWORD..tbHospitalInfo2 A"),
                  &affected);
    EXPECT_EQ(affected, 1);
    EXPECT_EQ(rows(QStringLiteral("SELECT quote(Specialty) || quote(TraumaCapability) || quote(QMISOCertified) || "
                                  "quote(QMPCAHO) || quote(QMIntlAccreditation) || quote(LocalParticular) || "
                                  "quote(QMPCAHOValPeriod) || typeof(Specialty) FROM PASSWORD.tbHospitalInfo2")),
              QStringLiteral("21110'13''-0.50'integer"));
}

// A bare number for a text is the text the server makes of it; the owner
// part is the server's one schema, so a name of two parts is owner and
// procedure in the connection's database.
TEST_F(StoreGuards, BareNumbersForTextsAndOwnersAsTheServerTakesThem)
{
    Recordset rs;
    rs.Open(QStringLiteral("BUILD_FILE..sp_Bui_Common_Load_tbCoService 013"), conn);
    ASSERT_FALSE(rs.Eof());
    EXPECT_EQ(rs.Fields(QStringLiteral("Service")).Value().toText(), QStringLiteral("Newborn"));
    rs.Close();
    conn->Execute(QStringLiteral("Patient_Data..sp_DOH_Update_tbMedNewDOHReportLog +1.50,'03/01/2026','03/31/2026'"));
    EXPECT_EQ(rows(QStringLiteral("SELECT ReportID FROM Patient_Data.tbMedNewDOHReportLog")), QStringLiteral("1.50"));
    rs.Open(QStringLiteral("dbo.sp_DOH_Search_tbMedNewDOHReportSetup"), conn);
    EXPECT_EQ(rs.RecordCount(), 1);
}

TEST_P(StoreRefuses, InTheServersWordsAndChangesNothing)
{
    const QString before = reachable();
    EXPECT_EQ(failureOf(QString::fromUtf8(GetParam().statement)), QString::fromUtf8(GetParam().message));
    EXPECT_EQ(reachable(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, StoreRefuses,
    ::testing::Values(
        Refusal{"Update A Set A.IsAdministrator = '1' From PASSWORD..tbVelmoraUser A",
                "Invalid object name 'PASSWORD..tbVelmoraUser'."},
        Refusal{"Update A Set A.PasswordHash = '' From password.dbo.TBVELMORAUSER A",
                "Invalid object name 'password.dbo.TBVELMORAUSER'."},
        Refusal{"SELECT * FROM PASSWORD..tbVelmoraUser", "Invalid object name 'PASSWORD..tbVelmoraUser'."},
        Refusal{"SELECT UserName, PasswordHash FROM PASSWORD..[tbvelmorauser]",
                "Invalid object name 'PASSWORD..[tbvelmorauser]'."},
        Refusal{"SELECT * FROM PASSWORD..sqlite_master", "Invalid object name 'PASSWORD..sqlite_master'."},
        Refusal{"SELECT Specialty FROM PASSWORD.guest.tbHospitalInfo2",
                "Invalid object name 'PASSWORD.guest.tbHospitalInfo2'."},
        Refusal{"Update A Set A.PediaAge = '999' From Patient_Data..tbMedNewDOHReportSetup A",
                "The UPDATE permission was denied on the object 'tbMedNewDOHReportSetup', database 'Patient_Data', "
                "schema 'dbo'."},
        Refusal{"Update A Set A.Specialty = 'abc' From PASSWORD..tbHospitalInfo2 A",
                "Conversion failed when converting the varchar value 'abc' to data type int."},
        Refusal{"Update A Set A.LocalParticular = 'x', A.QMPCAHO = 'yes' From PASSWORD..tbHospitalInfo2 A",
                "Conversion failed when converting the varchar value 'yes' to data type bit."},
        Refusal{"Update A Set A.Specialty = '99999999999' From PASSWORD..tbHospitalInfo2 A",
                "The conversion of the varchar value '99999999999' overflowed an int column."},
        Refusal{"Update A Set A.HospitalInfoID = '7' From PASSWORD..tbHospitalInfo2 A",
                "Cannot update identity column 'HospitalInfoID'."},
        Refusal{"Update A Set A.Specialty = '1',A.SPECIALTY = '2' From PASSWORD..tbHospitalInfo2 A",
                "The column name 'SPECIALTY' is specified more than once in the SET clause or column list of an "
                "INSERT. A column cannot be assigned more than one value in the same clause. Modify the clause to "
                "make sure that a column is updated only once. If this statement updates or inserts columns into a "
                "view, column aliasing can conceal the duplication in your code."},
        Refusal{"Update A Set A.Nothing = '1' From PASSWORD..tbHospitalInfo2 A", "Invalid column name 'Nothing'."},
        Refusal{"Patient_Dat.sp_DOH_Save_tbMedNewDOHReportSetup 150,'14','23'",
                "Could not find stored procedure 'Patient_Dat.sp_DOH_Save_tbMedNewDOHReportSetup'."},
        Refusal{"Patient_Data.guest.sp_DOH_Save_tbMedNewDOHReportSetup 150,'14','23'",
                "Could not find stored procedure 'Patient_Data.guest.sp_DOH_Save_tbMedNewDOHReportSetup'."},
        Refusal{"Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 150,1.2.3,'23'", "Incorrect syntax near '.3'."}));

// However many assignments an Update holds, it is refused after looking at
// no more of them than the table has columns (bench_store_commit times it);
// a select list is read with each column once, up to the server's limit.
TEST_F(StoreGuards, LongStatementsAreRefusedAtTheFirstItemTheyCannotTake)
{
    QStringList same;
    QStringList unknown;
    for (int i = 0; i < 40000; ++i) {
        same.append(QStringLiteral("A.LocalParticular = 'x%1'").arg(i));
        unknown.append(QStringLiteral("A.c%1 = 'x'").arg(i));
    }
    const QString from = QStringLiteral(" From PASSWORD..tbHospitalInfo2 A");
    EXPECT_TRUE(failureOf(QStringLiteral("Update A Set ") + same.join(QLatin1Char(',')) + from)
                    .startsWith(QStringLiteral("The column name 'LocalParticular' is specified more than once")));
    EXPECT_EQ(failureOf(QStringLiteral("Update A Set ") + unknown.join(QLatin1Char(',')) + from),
              QStringLiteral("Invalid column name 'c0'."));

    conn->Execute(QStringLiteral("Update A Set A.Specialty = '3'") + from);
    const QStringList twice = {QStringLiteral("Specialty"), QStringLiteral("QMPCAHO"), QStringLiteral("specialty")};
    Recordset rs;
    rs.Open(QStringLiteral("SELECT ") + QStringList(1365, twice.join(QLatin1Char(','))).join(QLatin1Char(',')) +
                QStringLiteral(" FROM PASSWORD..tbHospitalInfo2"),
            conn);
    ASSERT_EQ(rs.FieldCount(), 4095);
    EXPECT_EQ(rs.Fields(2).Name(), QStringLiteral("specialty"));
    EXPECT_EQ(rs.Fields(4092).Value().toLong(), 3);
    EXPECT_EQ(failureOf(QStringLiteral("SELECT ") +
                        QStringList(4097, QStringLiteral("Specialty")).join(QLatin1Char(',')) +
                        QStringLiteral(" FROM PASSWORD..tbHospitalInfo2")),
              QStringLiteral("The number of elements in the select list exceeds the maximum allowed number of 4096 "
                             "elements."));
}
