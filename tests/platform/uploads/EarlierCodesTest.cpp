// A store written before codes compared the server's way (this version's
// layout without the code collation) is remade on opening with every row
// kept as written, and then counts codes padded with trailing blanks (as a
// fixed-width column of the server gives them) as the codes themselves.

#include "HandMadeHospital.h"

#include "adodb/Backend.h"
#include "embedded/Store.h"
#include "support/TempStore.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

using namespace uploads_test;

namespace {

const char *const kFiles[] = {"Velmora.store", "Patient_Data.sqlite", "PASSWORD.sqlite", "BUILD_FILE.sqlite"};

// Copies the store in `from` to `folder` in the earlier layout, then runs
// `then` on each copied file (its tables named without a database).
void writeEarlierStore(const QString &from, const QString &folder, const QStringList &then = {})
{
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char *file : kFiles) {
        const QString name = QStringLiteral("earlier-%1").arg(QLatin1String(file));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            db.setDatabaseName(QDir(folder).filePath(QLatin1String(file)));
            ASSERT_TRUE(db.open());
            QSqlQuery schema(db);
            ASSERT_TRUE(
                schema.exec(QStringLiteral("ATTACH '%1' AS fresh").arg(QDir(from).filePath(QLatin1String(file)))));
            // Tables with their rows first, then indexes and triggers.
            QStringList statements;
            ASSERT_TRUE(
                schema.exec(QStringLiteral("SELECT type, name, sql FROM fresh.sqlite_master WHERE sql IS NOT "
                                           "NULL AND name NOT LIKE 'sqlite%' ORDER BY type <> 'table', rowid")));
            QStringList later;
            while (schema.next()) {
                const QString sql = schema.value(2).toString().remove(QStringLiteral(" COLLATE RTRIM"));
                if (schema.value(0).toString() != QLatin1String("table")) {
                    later.append(sql);
                    continue;
                }
                statements << sql
                           << QStringLiteral("INSERT INTO %1 SELECT * FROM fresh.%1").arg(schema.value(1).toString());
            }
            schema.finish();
            for (const QString &statement : statements + later + then) {
                QSqlQuery q(db);
                const bool done = q.exec(statement);
                // A statement about another file's table does not apply here.
                ASSERT_TRUE(done || q.lastError().text().contains(QStringLiteral("no such table")))
                    << statement.toStdString() << ": " << q.lastError().text().toStdString();
            }
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }
}

QString schemaOf(embedded::Store &store)
{
    QString text;
    for (const char *schema : {"Patient_Data", "PASSWORD", "BUILD_FILE"}) {
        QSqlQuery q = embedded::sql::exec(store.database(),
                                          QStringLiteral("SELECT group_concat(type || ' ' || replace(sql, '\"', ''), "
                                                         "'\n') FROM (SELECT * FROM %1.sqlite_master WHERE sql IS "
                                                         "NOT NULL ORDER BY name)")
                                              .arg(QLatin1String(schema)));
        q.next();
        text += q.value(0).toString() + QLatin1Char('\n');
    }
    return text;
}

} // namespace

TEST(EarlierCodes, AreRemadeComparedTheServersWayKeepingEveryRowAsWritten)
{
    testing_support::TempStore fresh;
    fillHandMadeHospital(fresh.store());
    saveSetup(fresh.store());
    const QMap<QString, QList<QVariantMap>> reports =
        uploadAll(fresh.store(), QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026"), true);
    fresh.store().writeTransaction([&] {
        embedded::sql::exec(fresh.store().database(),
                            QStringLiteral("DELETE FROM BUILD_FILE.tbCoICD10Category WHERE CategoryCode = 'J35'"));
    });

    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/store");
    // Every code padded, each differently, the setup's and the service table's too.
    writeEarlierStore(fresh.folder(), folder,
                      {QStringLiteral("UPDATE tbAdmission SET ServiceCode = ServiceCode || '  ', FinalDiagnosis = "
                                      "FinalDiagnosis || ' ', UnderlyingCause = UnderlyingCause || ' '"),
                       QStringLiteral("UPDATE tbOperation SET ServiceCode = ServiceCode || ' ', ProcedureCode = "
                                      "ProcedureCode || '   '"),
                       QStringLiteral("UPDATE tbBedAllocation SET ServiceCode = ServiceCode || ' '"),
                       QStringLiteral("UPDATE tbEmergencyService SET ServiceName = ServiceName || ' ' WHERE "
                                      "EmergencyServiceID IN (1, 2)"),
                       QStringLiteral("UPDATE tbMedNewDOHReportSetup SET NewbornCode = '13 ', SurgeryCode = '23   '"),
                       QStringLiteral("UPDATE tbCoService SET ServiceCode = ServiceCode || ' ' WHERE ServiceCode IN "
                                      "('10', '13', '23')"),
                       QStringLiteral("UPDATE tbCoICD10Category SET CategoryCode = CategoryCode || ' '"),
                       QStringLiteral("UPDATE tbCoProcedure SET ProcedureCode = ProcedureCode || ' '")});

    embedded::Store earlier(folder, embedded::Store::OpenMode::MustExist);
    EXPECT_EQ(schemaOf(earlier), schemaOf(fresh.store()));
    // The rows are kept as written, blanks and all; the missing seeded
    // category is added.
    EXPECT_EQ(scalar(earlier, QStringLiteral("SELECT COUNT(*) FROM Patient_Data.tbAdmission WHERE ServiceCode = "
                                             "'13' AND substr(ServiceCode, 3) = '  '")),
              2);
    EXPECT_EQ(scalar(earlier, QStringLiteral("SELECT COUNT(*) FROM BUILD_FILE.tbCoICD10Category WHERE "
                                             "substr(CategoryCode, 4) = ' '")),
              scalar(fresh.store(), QStringLiteral("SELECT COUNT(*) FROM BUILD_FILE.tbCoICD10Category")));
    EXPECT_EQ(scalar(earlier, QStringLiteral("SELECT COUNT(*) FROM BUILD_FILE.tbCoICD10Category WHERE CategoryCode "
                                             "= 'J35'")),
              1);
    for (const char *table : {"tbPatient", "tbAdmission", "tbDelivery", "tbOperation", "tbInfection",
                              "tbOutpatientVisit", "tbEmergencyVisit", "tbEmergencyService", "tbBedAllocation"})
        EXPECT_EQ(
            scalar(earlier, QStringLiteral("SELECT COUNT(*) FROM Patient_Data.%1").arg(QLatin1String(table))),
            scalar(fresh.store(), QStringLiteral("SELECT COUNT(*) FROM Patient_Data.%1").arg(QLatin1String(table))))
            << table;
    EXPECT_EQ(scalar(earlier, QStringLiteral("SELECT COUNT(*) FROM pragma_foreign_key_check('tbDelivery', "
                                             "'Patient_Data')")),
              0);

    // Every report, compared as the server compares texts, is the one of the
    // unpadded codes: the newborns, the beds, the surgery row, the titles.
    const QMap<QString, QList<QVariantMap>> padded =
        uploadAll(earlier, QStringLiteral("03/01/2026"), QStringLiteral("03/31/2026"), true);
    for (auto it = reports.cbegin(); it != reports.cend(); ++it)
        EXPECT_EQ(padded.value(it.key()), it.value()) << it.key().toStdString();
}

TEST(EarlierCodes, KeysDifferingOnlyByTrailingBlanksStopTheOpeningAndNothingChanges)
{
    testing_support::TempStore fresh;
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/store");
    writeEarlierStore(fresh.folder(), folder, {QStringLiteral("INSERT INTO tbCoService VALUES ('23 ', 'Surgery 2')")});
    try {
        embedded::Store store(folder, embedded::Store::OpenMode::MustExist);
        ADD_FAILURE() << "the store was opened";
    } catch (const adodb::BackendError &e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("The store cannot be brought to this version's layout: BUILD_FILE.tbCoService "
                                 "holds the keys '23' and '23 ', which differ only by trailing blanks and are one "
                                 "code from this version on. Keep one of those rows, then open the store again."));
    }
    const QString name = QStringLiteral("earlier-check");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(folder + QStringLiteral("/BUILD_FILE.sqlite"));
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("SELECT (SELECT COUNT(*) FROM tbCoService WHERE ServiceCode LIKE '23%'), "
                                          "(SELECT instr(sql, 'RTRIM') FROM sqlite_master WHERE name = "
                                          "'tbCoProcedure')")));
        ASSERT_TRUE(q.next());
        EXPECT_EQ(q.value(0).toInt(), 2);
        EXPECT_EQ(q.value(1).toInt(), 0); // the other tables were not remade either
        q.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}
