// The uploads of a generation share their readings of the period's records
// on the connection; a reading must never outlive what it was read from.
// After each way it could go stale, the next upload on the same connection
// gives what a new connection gives, and not what it gave before.

#include "HandMadeHospital.h"

#include "embedded/EmbeddedBackend.h"
#include "embedded/Store.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>

#include <functional>

using namespace uploads_test;

namespace {

const QString kFrom = QStringLiteral("2026-03-01");
const QString kTo = QStringLiteral("2026-03-31");

class Generation
{
public:
    Generation()
    {
        fillHandMadeHospital(m_temp.store());
        saveSetup(m_temp.store());
        m_connection = connect();
    }

    // A connection whose store takes m_today as the day of generation.
    adodb::ConnectionPtr connect() const
    {
        adodb::ConnectionPtr connection = m_temp.connect();
        const QDate today = m_today;
        storeOf(connection).setClock([today] { return QDateTime(today, QTime(9, 0)); });
        return connection;
    }
    static embedded::Store &storeOf(const adodb::ConnectionPtr &connection)
    {
        return static_cast<embedded::EmbeddedBackend *>(connection->backend())->store();
    }

    static void upload(const adodb::ConnectionPtr &connection, const char *procedure)
    {
        connection->Execute(QStringLiteral("Patient_Data..%1 '03/01/2026','03/31/2026'").arg(QLatin1String(procedure)));
    }
    QList<QVariantMap> rows(const char *table) { return reportRows(m_temp.store(), QLatin1String(table), kFrom, kTo); }

    // Runs a statement on the generation's own connection, or on another
    // one (a second program on the same store).
    void onThisConnection(const QString &statement)
    {
        embedded::Store &store = storeOf(m_connection);
        store.writeTransaction([&] { embedded::sql::exec(store.database(), statement); });
    }
    void onAnotherConnection(const QString &statement)
    {
        m_temp.store().writeTransaction([&] { embedded::sql::exec(m_temp.store().database(), statement); });
    }

    testing_support::TempStore m_temp;
    QDate m_today = QDate(2026, 4, 10);
    adodb::ConnectionPtr m_connection;
};

// A discharge from Medicine on 03-21, and one from Obstetrics.
const QString kMedicineDischarge =
    QStringLiteral("INSERT INTO Patient_Data.tbAdmission (AdmissionID, PatientID, AdmissionDateTime, "
                   "DischargeDateTime, ServiceCode, PayerClass, DischargeCondition, FinalDiagnosis) VALUES "
                   "(20, 11, '2026-03-20 08:00:00', '2026-03-21 08:00:00', '10', 'PP', 'R', 'J18.9')");
const QString kObstetricsDischarge =
    QStringLiteral("INSERT INTO Patient_Data.tbAdmission (AdmissionID, PatientID, AdmissionDateTime, "
                   "DischargeDateTime, ServiceCode, PayerClass, DischargeCondition, FinalDiagnosis) VALUES "
                   "(20, 10, '2026-03-20 08:00:00', '2026-03-21 08:00:00', '11', 'PP', 'R', 'O80.0')");

struct Staleness
{
    const char *name;
    const char *maker;  // the upload that reads the period's records first
    const char *reader; // an upload sharing its reading, after the change
    const char *table;  // the reader's report table
    std::function<void(Generation &)> change;
};

void PrintTo(const Staleness &s, std::ostream *os)
{
    *os << s.name;
}

const Staleness kWays[] = {
    {"AnotherProgramAddsADischarge", "sp_DOH_Upload_SectionI34", "sp_DOH_Upload_SectionII22", "tbDOHRptSectionII22",
     [](Generation &g) { g.onAnotherConnection(kMedicineDischarge); }},
    {"ThisConnectionMovesAStayToAnotherService", "sp_DOH_Upload_SectionI34", "sp_DOH_Upload_SectionII21",
     "tbDOHRptSectionII21",
     [](Generation &g) {
         g.onThisConnection(QStringLiteral("UPDATE Patient_Data.tbAdmission SET ServiceCode = '23' WHERE "
                                           "AdmissionID = 2"));
     }},
    {"AnotherProgramRemovesAnEmergencyTest", "sp_DOH_Upload_SectionII103", "sp_DOH_Upload_ERTestingAndOthers",
     "tbDOHRptERTestingAndOthers",
     [](Generation &g) {
         g.onAnotherConnection(QStringLiteral("DELETE FROM Patient_Data.tbEmergencyService WHERE "
                                              "EmergencyServiceID = 5"));
     }},
    {"TheSetupChangesThePaediatricAge", "sp_DOH_Upload_SectionII103", "sp_DOH_Upload_ERTestingAndOthers",
     "tbDOHRptERTestingAndOthers", [](Generation &g) { saveSetup(g.m_temp.store(), 11); }},
    {"TheSetupChangesTheSurgeryService", "sp_DOH_Upload_SectionII8", "sp_DOH_Upload_SurgicalProcedure",
     "tbDOHRptSurgicalProcedure",
     [](Generation &g) {
         g.onAnotherConnection(QStringLiteral("UPDATE Patient_Data.tbMedNewDOHReportSetup SET SurgeryCode = '10'"));
     }},
    {"TheDayOfGenerationFallsInThePeriod", "sp_DOH_Upload_SectionI34", "sp_DOH_Upload_SectionII1", "tbDOHRptSectionII1",
     [](Generation &g) {
         g.m_today = QDate(2026, 3, 25);
         g.storeOf(g.m_connection).setClock([] { return QDateTime(QDate(2026, 3, 25), QTime(9, 0)); });
     }},
    // A reading made inside a transaction that is rolled back goes with it:
    // the other program's change then brings the store's change counter to
    // the value the rolled-back one had.
    {"AReadingOfARolledBackChangeGoesWithIt", "sp_DOH_Upload_SectionI34", "sp_DOH_Upload_SectionII22",
     "tbDOHRptSectionII22",
     [](Generation &g) {
         g.m_connection->BeginTrans();
         embedded::Store &store = g.storeOf(g.m_connection);
         store.writeTransaction([&] { embedded::sql::exec(store.database(), kMedicineDischarge); });
         g.upload(g.m_connection, "sp_DOH_Upload_SectionII21");
         g.m_connection->RollbackTrans();
         g.onAnotherConnection(kObstetricsDischarge);
     }},
};

class SharedReading : public ::testing::TestWithParam<Staleness>
{
};

} // namespace

TEST_P(SharedReading, IsReadAfreshAfterWhatItWasReadFromChanges)
{
    const Staleness &way = GetParam();
    Generation g;
    g.upload(g.m_connection, way.maker);
    g.upload(g.m_connection, way.reader);
    const QList<QVariantMap> before = g.rows(way.table);

    way.change(g);
    g.upload(g.m_connection, way.reader);
    const QList<QVariantMap> after = g.rows(way.table);
    g.upload(g.connect(), way.reader);
    const QList<QVariantMap> afresh = g.rows(way.table);

    EXPECT_NE(afresh, before) << "the change does not show in the figures";
    EXPECT_EQ(after, afresh);
}

INSTANTIATE_TEST_SUITE_P(Uploads, SharedReading, ::testing::ValuesIn(kWays),
                         [](const ::testing::TestParamInfo<Staleness> &info) { return std::string(info.param.name); });

// A generation of every section, then the same again on the same
// connection, gives what each section gives alone on a new connection.
TEST(SharedReadings, AGenerationGivesWhatEachSectionGivesAlone)
{
    Generation g;
    for (int round = 0; round < 2; ++round)
        for (const QString &statement : uploadStatements(QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026")))
            g.m_connection->Execute(statement);
    const QStringList tables = reportTables();
    const QStringList statements = uploadStatements(QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026"));
    for (qsizetype i = 0; i < tables.size(); ++i) {
        const QList<QVariantMap> generated = reportRows(g.m_temp.store(), tables.at(i), kFrom, kTo);
        g.connect()->Execute(statements.at(i));
        EXPECT_EQ(generated, reportRows(g.m_temp.store(), tables.at(i), kFrom, kTo)) << tables.at(i).toStdString();
    }
}
