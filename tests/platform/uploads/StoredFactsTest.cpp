// The facts kept on each visit and stay for the uploads (the patient's sex
// and birth date, the age at the event) stay true to the patient's record,
// and a store written by the earlier layout is brought to this one with
// every row kept.

#include "HandMadeHospital.h"

#include "embedded/Store.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace uploads_test;

namespace {

void exec(embedded::Store &store, const QString &statement)
{
    store.writeTransaction([&] { embedded::sql::exec(store.database(), statement); });
}

QString text(embedded::Store &store, const QString &query)
{
    QSqlQuery q = embedded::sql::exec(store.database(), query);
    return q.next() ? (q.value(0).isNull() ? QStringLiteral("(null)") : q.value(0).toString())
                    : QStringLiteral("(none)");
}

struct EventTable
{
    const char *table;
    const char *key;
    const char *insert; // a row for patient 1 with key 1, without copies
    const char *age;    // the column of the age at the event
};

const EventTable kEventTables[] = {
    {"tbAdmission", "AdmissionID",
     "INSERT INTO Patient_Data.tbAdmission (AdmissionID, PatientID, AdmissionDateTime, DischargeDateTime, "
     "ServiceCode, PayerClass, DischargeCondition) VALUES (1, 1, '2026-03-09 10:00:00', '2026-03-11 10:00:00', '10', "
     "'PP', 'R')",
     "AgeAtAdmission"},
    {"tbOutpatientVisit", "OutpatientVisitID",
     "INSERT INTO Patient_Data.tbOutpatientVisit (OutpatientVisitID, PatientID, VisitDate, IsNewPatient, Diagnosis) "
     "VALUES (1, 1, '2026-03-09', 1, 'J06.9')",
     "Age"},
    {"tbEmergencyVisit", "EmergencyVisitID",
     "INSERT INTO Patient_Data.tbEmergencyVisit (EmergencyVisitID, PatientID, VisitDateTime, Disposition, Diagnosis) "
     "VALUES (1, 1, '2026-03-09 23:59:59', 'HOME', 'J06.9')",
     "Age"},
};

void PrintTo(const EventTable &t, std::ostream *os)
{
    *os << t.table;
}

class PatientCopies : public ::testing::TestWithParam<EventTable>
{
protected:
    void SetUp() override
    {
        // Patient 1 turns 13 on 2026-03-10, the day after the event.
        exec(m_temp.store(), QStringLiteral("INSERT INTO Patient_Data.tbPatient VALUES (1, 'M', '2013-03-10')"));
        exec(m_temp.store(), QStringLiteral("INSERT INTO Patient_Data.tbPatient VALUES (2, 'F', '1990-01-01')"));
    }
    QString copies()
    {
        const EventTable &t = GetParam();
        return text(m_temp.store(), QStringLiteral("SELECT PatientSex || ' ' || PatientBirthDate || ' ' || %1 FROM "
                                                   "Patient_Data.%2 WHERE %3 = 1")
                                        .arg(QLatin1String(t.age), QLatin1String(t.table), QLatin1String(t.key)));
    }
    void update(const QString &assignment)
    {
        const EventTable &t = GetParam();
        exec(m_temp.store(), QStringLiteral("UPDATE Patient_Data.%1 SET %2 WHERE %3 = 1")
                                 .arg(QLatin1String(t.table), assignment, QLatin1String(t.key)));
    }

    testing_support::TempStore m_temp;
};

} // namespace

TEST_P(PatientCopies, AreFilledFromThePatientWhenTheWriterLeavesThemOut)
{
    exec(m_temp.store(), QString::fromLatin1(GetParam().insert));
    EXPECT_EQ(copies(), QStringLiteral("M 2013-03-10 12"));
}

TEST_P(PatientCopies, FollowACorrectionOfThePatientsRecord)
{
    exec(m_temp.store(), QString::fromLatin1(GetParam().insert));
    exec(m_temp.store(), QStringLiteral("UPDATE Patient_Data.tbPatient SET BirthDate = '2013-03-09', Sex = 'F' "
                                        "WHERE PatientID = 1"));
    EXPECT_EQ(copies(), QStringLiteral("F 2013-03-09 13"));
}

TEST_P(PatientCopies, FollowTheRowToAnotherPatient)
{
    exec(m_temp.store(), QString::fromLatin1(GetParam().insert));
    update(QStringLiteral("PatientID = 2"));
    EXPECT_EQ(copies(), QStringLiteral("F 1990-01-01 36"));
}

TEST_P(PatientCopies, WrongCopiesAreRightedOnInsertAndOnUpdate)
{
    // The writer's values are replaced by the patient's.
    const QString insert =
        QString::fromLatin1(GetParam().insert)
            .replace(QStringLiteral(") VALUES ("), QStringLiteral(", PatientSex, PatientBirthDate) VALUES ("))
            .replace(QRegularExpression(QStringLiteral("\\)$")), QStringLiteral(", 'F', '1900-01-01')"));
    exec(m_temp.store(), insert);
    EXPECT_EQ(copies(), QStringLiteral("M 2013-03-10 12"));
    update(QStringLiteral("PatientBirthDate = '2000-01-01', PatientSex = 'F'"));
    EXPECT_EQ(copies(), QStringLiteral("M 2013-03-10 12"));
}

namespace {

// A fact follows a correction of the record it comes from.
struct Correction
{
    const char *name;
    const char *insert;
    const char *update;
    const char *facts; // a query of the facts
    const char *before;
    const char *after;
};

const Correction kCorrections[] = {
    {"DischargeRecordedLater",
     "INSERT INTO Patient_Data.tbAdmission (AdmissionID, PatientID, AdmissionDateTime, ServiceCode, PayerClass) "
     "VALUES (1, 1, '2026-03-09 10:00:00', '10', 'PP')",
     "UPDATE Patient_Data.tbAdmission SET DischargeDateTime = '2026-03-11 09:59:59', DischargeCondition = 'D', "
     "UnderlyingCause = ' i21.9 ' WHERE AdmissionID = 1",
     "SELECT printf('%s %s %s %s %s %s %s', StayDays, LengthOfStay, Under48h, DischargeDate, AgeAtDischarge, "
     "DaysOldAtDischarge, "
     "DeathCategory) FROM Patient_Data.tbAdmission",
     "      ", // an open stay has none of them
     "2 2 1 2026-03-11 13 4749 I21"},
    {"SameDayStay",
     "INSERT INTO Patient_Data.tbAdmission (AdmissionID, PatientID, AdmissionDateTime, DischargeDateTime, "
     "ServiceCode, PayerClass, DischargeCondition, FinalDiagnosis) VALUES (1, 1, '2026-03-09 10:00:00', "
     "'2026-03-11 10:00:00', '10', 'PP', 'R', 'J18.9')",
     "UPDATE Patient_Data.tbAdmission SET DischargeDateTime = '2026-03-09 18:00:00', FinalDiagnosis = 'A09' "
     "WHERE AdmissionID = 1",
     "SELECT printf('%s %s %s %s', StayDays, LengthOfStay, Under48h, FinalCategory) FROM Patient_Data.tbAdmission",
     "2 2 0 J18", "0 1 1 A09"},
    {"OutpatientVisitMovedAndRediagnosed",
     "INSERT INTO Patient_Data.tbOutpatientVisit (OutpatientVisitID, PatientID, VisitDate, IsNewPatient, Diagnosis) "
     "VALUES (1, 1, '2026-03-09', 1, 'J06.9')",
     "UPDATE Patient_Data.tbOutpatientVisit SET VisitDate = '2026-03-10', Diagnosis = 'a09.0' "
     "WHERE OutpatientVisitID = 1",
     "SELECT printf('%s %s', Age, DiagnosisCategory) FROM Patient_Data.tbOutpatientVisit", "12 J06", "13 A09"},
    {"EmergencyVisitMoved",
     "INSERT INTO Patient_Data.tbEmergencyVisit (EmergencyVisitID, PatientID, VisitDateTime, Disposition, Diagnosis) "
     "VALUES (1, 1, '2026-03-09 23:59:59', 'HOME', 'J06.9')",
     "UPDATE Patient_Data.tbEmergencyVisit SET VisitDateTime = '2026-03-10 00:00:00' WHERE EmergencyVisitID = 1",
     "SELECT printf('%s %s', VisitDate, Age) FROM Patient_Data.tbEmergencyVisit", "2026-03-09 12", "2026-03-10 13"},
};

void PrintTo(const Correction &c, std::ostream *os)
{
    *os << c.name;
}

class RecordCorrections : public ::testing::TestWithParam<Correction>
{
protected:
    testing_support::TempStore m_temp;
};

} // namespace

TEST_P(RecordCorrections, MoveTheFactsWithThem)
{
    const Correction &c = GetParam();
    exec(m_temp.store(), QStringLiteral("INSERT INTO Patient_Data.tbPatient VALUES (1, 'M', '2013-03-10')"));
    exec(m_temp.store(), QString::fromLatin1(c.insert));
    EXPECT_EQ(text(m_temp.store(), QString::fromLatin1(c.facts)), QString::fromLatin1(c.before));
    exec(m_temp.store(), QString::fromLatin1(c.update));
    EXPECT_EQ(text(m_temp.store(), QString::fromLatin1(c.facts)), QString::fromLatin1(c.after));
}

INSTANTIATE_TEST_SUITE_P(Records, RecordCorrections, ::testing::ValuesIn(kCorrections),
                         [](const ::testing::TestParamInfo<Correction> &info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(EventTables, PatientCopies, ::testing::ValuesIn(kEventTables),
                         [](const ::testing::TestParamInfo<EventTable> &info) {
                             return std::string(info.param.table);
                         });

namespace {

class CorrectedRecords : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fillHandMadeHospital(m_temp.store());
        saveSetup(m_temp.store());
    }
    QVariantMap march(const QString &table, int rowOrder = -1)
    {
        return reportRow(m_temp.store(), table, QStringLiteral("2026-03-01"), QStringLiteral("2026-03-31"), rowOrder);
    }

    testing_support::TempStore m_temp;
};

} // namespace

TEST_F(CorrectedRecords, ABirthDateCorrectionMovesTheVisitsToTheirRightAgeGroup)
{
    // Patient 3's two J06 visits (03-19 new, 03-20 revisit) counted as a boy
    // of 12 and 13; with the birth date corrected to 2010 he is 15 and 16.
    exec(m_temp.store(),
         QStringLiteral("UPDATE Patient_Data.tbPatient SET BirthDate = '2010-03-20' WHERE PatientID = 3"));
    send(m_temp, QStringLiteral("Patient_Data..sp_DOH_Upload_SectionIII114 '03/01/2026','03/31/2026',2"));
    const QVariantMap j06 = march(QStringLiteral("tbDOHRptSectionIII114"), 2);
    EXPECT_EQ(j06.value(QStringLiteral("ICDCode")).toString(), QStringLiteral("J06"));
    EXPECT_EQ(j06.value(QStringLiteral("Age10To14")).toLongLong(), 0);
    EXPECT_EQ(j06.value(QStringLiteral("Age15To19")).toLongLong(), 2);

    // No longer paediatric (the setup's limit is 13): both visits are adult.
    send(m_temp, QStringLiteral("Patient_Data..sp_DOH_Upload_DeliveriesAndOutpatientVisits '03/01/2026','03/31/2026'"));
    const QVariantMap opd = march(QStringLiteral("tbDOHRptDeliveriesAndOutpatientVisits"));
    EXPECT_EQ(opd.value(QStringLiteral("NewPedia")).toLongLong(), 0);
    EXPECT_EQ(opd.value(QStringLiteral("RevisitPedia")).toLongLong(), 0);
    EXPECT_EQ(opd.value(QStringLiteral("TotalPedia")).toLongLong(), 0);
}

TEST_F(CorrectedRecords, ASexCorrectionMovesADeathToTheOtherColumn)
{
    // A3, the I63 death, was patient 7, a man.
    exec(m_temp.store(), QStringLiteral("UPDATE Patient_Data.tbPatient SET Sex = 'F' WHERE PatientID = 7"));
    send(m_temp, QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII7 '03/01/2026','03/31/2026'"));
    const QList<QVariantMap> deaths = reportRows(m_temp.store(), QStringLiteral("tbDOHRptSectionII7"),
                                                 QStringLiteral("2026-03-01"), QStringLiteral("2026-03-31"));
    bool found = false;
    for (const QVariantMap &r : deaths) {
        if (r.value(QStringLiteral("ICDCode")).toString() != QLatin1String("I63"))
            continue;
        found = true;
        EXPECT_EQ(r.value(QStringLiteral("Male")).toLongLong(), 0);
        EXPECT_EQ(r.value(QStringLiteral("Female")).toLongLong(), 1);
    }
    EXPECT_TRUE(found);
}

namespace {

// The patient tables as version 1.0.0 wrote them: the facts were worked out
// per row then, and two covering indexes had other columns.
const char *const kEarlierLayout[] = {
    "CREATE TABLE tbPatient (PatientID INTEGER PRIMARY KEY, Sex TEXT NOT NULL CHECK (Sex IN ('M', 'F')), "
    "BirthDate TEXT NOT NULL)",
    "CREATE TABLE tbAdmission (AdmissionID INTEGER PRIMARY KEY, PatientID INTEGER NOT NULL REFERENCES tbPatient "
    "(PatientID), AdmissionDateTime TEXT NOT NULL, DischargeDateTime TEXT, ServiceCode TEXT NOT NULL, PayerClass "
    "TEXT NOT NULL, DischargeCondition TEXT, IsTransferIn BIT NOT NULL DEFAULT 0, FinalDiagnosis TEXT, "
    "UnderlyingCause TEXT, IsMaternalDeath BIT NOT NULL DEFAULT 0, StayDays INTEGER GENERATED ALWAYS AS "
    "(CAST(julianday(substr(DischargeDateTime, 1, 10)) - julianday(substr(AdmissionDateTime, 1, 10)) AS INTEGER)) "
    "VIRTUAL, LengthOfStay INTEGER GENERATED ALWAYS AS (MAX(1, CAST(julianday(substr(DischargeDateTime, 1, 10)) - "
    "julianday(substr(AdmissionDateTime, 1, 10)) AS INTEGER))) STORED)",
    "CREATE TABLE tbDelivery (DeliveryID INTEGER PRIMARY KEY, AdmissionID INTEGER NOT NULL REFERENCES tbAdmission "
    "(AdmissionID), DeliveryDateTime TEXT NOT NULL, DeliveryType TEXT NOT NULL, LiveBirths INTEGER NOT NULL, "
    "FetalDeaths INTEGER NOT NULL DEFAULT 0)",
    "CREATE TABLE tbOutpatientVisit (OutpatientVisitID INTEGER PRIMARY KEY, PatientID INTEGER NOT NULL REFERENCES "
    "tbPatient (PatientID), VisitDate TEXT NOT NULL, IsNewPatient BIT NOT NULL, Diagnosis TEXT, DiagnosisCategory "
    "TEXT GENERATED ALWAYS AS (upper(substr(replace(trim(Diagnosis), '.', ''), 1, 3))) STORED)",
    "CREATE INDEX ixOutpatientVisitCover ON tbOutpatientVisit (VisitDate, PatientID, IsNewPatient, "
    "DiagnosisCategory)",
    "CREATE TABLE tbEmergencyVisit (EmergencyVisitID INTEGER PRIMARY KEY, PatientID INTEGER NOT NULL REFERENCES "
    "tbPatient (PatientID), VisitDateTime TEXT NOT NULL, Disposition TEXT NOT NULL, Diagnosis TEXT)",
    "INSERT INTO tbPatient VALUES (1, 'F', '1990-01-01'), (2, 'M', '2013-03-20')",
    "INSERT INTO tbAdmission (AdmissionID, PatientID, AdmissionDateTime, DischargeDateTime, ServiceCode, PayerClass, "
    "DischargeCondition, FinalDiagnosis) VALUES (7, 1, '2026-03-09 22:00:00', '2026-03-12 10:00:00', '11', 'PP', "
    "'R', 'O80.0'), (8, 2, '2026-03-25 10:00:00', NULL, '23', 'NPS', NULL, 'K35.8')",
    "INSERT INTO tbDelivery VALUES (1, 7, '2026-03-10 02:00:00', 'NSD', 1, 0)",
    "INSERT INTO tbOutpatientVisit (OutpatientVisitID, PatientID, VisitDate, IsNewPatient, Diagnosis) VALUES "
    "(1, 2, '2026-03-19', 1, 'J06.9'), (2, 2, '2026-03-20', 0, 'J06.9')",
    "INSERT INTO tbEmergencyVisit VALUES (5, 2, '2026-03-24 08:00:00', 'ADMITTED', 'K35.8')",
};

void writeEarlierPatientData(const QString &file)
{
    const QString name = QStringLiteral("earlier-layout");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        ASSERT_TRUE(db.open());
        for (const char *statement : kEarlierLayout) {
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(QString::fromLatin1(statement))) << q.lastError().text().toStdString();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

TEST(EarlierLayout, IsBroughtToThisOneKeepingEveryRowAndReference)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/store");
    ASSERT_TRUE(QDir().mkpath(folder));
    writeEarlierPatientData(folder + QStringLiteral("/Patient_Data.sqlite"));

    embedded::Store store(folder);
    EXPECT_EQ(text(store, QStringLiteral("SELECT group_concat(AdmissionID || ':' || PatientSex || ':' || "
                                         "AgeAtAdmission || ':' || COALESCE(DischargeDate, '-') || ':' || "
                                         "FinalCategory, ' ') FROM (SELECT * FROM Patient_Data.tbAdmission "
                                         "ORDER BY AdmissionID)")),
              QStringLiteral("7:F:36:2026-03-12:O80 8:M:13:-:K35"));
    EXPECT_EQ(text(store, QStringLiteral("SELECT group_concat(OutpatientVisitID || ':' || Age || ':' || "
                                         "DiagnosisCategory, ' ') FROM (SELECT * FROM Patient_Data.tbOutpatientVisit "
                                         "ORDER BY OutpatientVisitID)")),
              QStringLiteral("1:12:J06 2:13:J06"));
    EXPECT_EQ(text(store, QStringLiteral("SELECT VisitDate || ' ' || Age FROM Patient_Data.tbEmergencyVisit")),
              QStringLiteral("2026-03-24 13"));
    // The delivery still belongs to its admission, and references are checked again.
    EXPECT_EQ(text(store, QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbDelivery d JOIN "
                                         "Patient_Data.tbAdmission a ON a.AdmissionID = d.AdmissionID")),
              QStringLiteral("1"));
    EXPECT_EQ(text(store, QStringLiteral("SELECT COUNT(*) FROM pragma_foreign_key_list('tbDelivery', "
                                         "'Patient_Data') WHERE \"table\" = 'tbAdmission'")),
              QStringLiteral("1"));
    EXPECT_THROW(exec(store, QStringLiteral("INSERT INTO Patient_Data.tbDelivery VALUES (2, 99, "
                                            "'2026-03-10 02:00:00', 'NSD', 1, 0)")),
                 adodb::BackendError);
    // The replaced index is gone; the copies are kept from now on.
    EXPECT_EQ(text(store, QStringLiteral("SELECT COUNT(*) FROM Patient_Data.sqlite_master WHERE name = "
                                         "'ixOutpatientVisitCover'")),
              QStringLiteral("0"));
    exec(store, QStringLiteral("UPDATE Patient_Data.tbPatient SET BirthDate = '2013-03-19' WHERE PatientID = 2"));
    EXPECT_EQ(text(store, QStringLiteral("SELECT Age FROM Patient_Data.tbOutpatientVisit WHERE OutpatientVisitID = 1")),
              QStringLiteral("13"));
}

TEST(EarlierLayout, AStoreOfThisLayoutIsLeftAsItIs)
{
    testing_support::TempStore temp;
    fillHandMadeHospital(temp.store());
    const QString before = text(temp.store(), QStringLiteral("SELECT group_concat(name || rootpage) FROM "
                                                             "Patient_Data.sqlite_master WHERE type = 'table'"));
    embedded::Store again(temp.folder(), embedded::Store::OpenMode::MustExist);
    // Tables made anew would have new root pages.
    EXPECT_EQ(text(again, QStringLiteral("SELECT group_concat(name || rootpage) FROM Patient_Data.sqlite_master "
                                         "WHERE type = 'table'")),
              before);
}
