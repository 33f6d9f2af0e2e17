#include "adodb/Backend.h"
#include "embedded/TSqlReader.h"

#include <gtest/gtest.h>

using namespace embedded;

TEST(StatementReader, ProcedureCallWithTextAndNumberArguments)
{
    const auto st =
        readStatement(QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII103 '01/01/2025','12/31/2025',2"));
    const auto &call = std::get<ProcedureCall>(st);
    EXPECT_EQ(call.procedure.database, QStringLiteral("Patient_Data"));
    EXPECT_EQ(call.procedure.owner, QString());
    EXPECT_EQ(call.procedure.name, QStringLiteral("sp_DOH_Upload_SectionII103"));
    EXPECT_EQ(call.procedure.written, QStringLiteral("Patient_Data..sp_DOH_Upload_SectionII103"));
    ASSERT_EQ(call.arguments.size(), 3);
    EXPECT_TRUE(call.arguments[0].isText());
    EXPECT_EQ(call.arguments[1].text, QStringLiteral("12/31/2025"));
    EXPECT_FALSE(call.arguments[2].isText());
    EXPECT_EQ(call.arguments[2].text, QStringLiteral("2"));
}

TEST(StatementReader, ExecOwnerNamesNoArgumentsAndDoubledQuotes)
{
    auto call = std::get<ProcedureCall>(readStatement(QStringLiteral("EXEC Patient_Data.dbo.sp_X")));
    EXPECT_EQ(call.procedure.owner, QStringLiteral("dbo"));
    EXPECT_TRUE(call.arguments.isEmpty());

    call = std::get<ProcedureCall>(
        readStatement(QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 13,' O''Brien -- ; ','é\\nñ'")));
    ASSERT_EQ(call.arguments.size(), 3);
    EXPECT_EQ(call.arguments[1].text, QStringLiteral(" O'Brien -- ; "));
    EXPECT_EQ(call.arguments[2].text, QStringLiteral("é\\nñ"));
    EXPECT_EQ(std::get<ProcedureCall>(readStatement(QStringLiteral("sp_Y ''''"))).arguments[0].text,
              QStringLiteral("'"));
}

TEST(StatementReader, SelectReadsWithColumnsOrStar)
{
    auto read = std::get<SelectRead>(
        readStatement(QStringLiteral("SELECT COMPANY, ADDRESS1 FROM Patient_Data..tbHospitalInfo")));
    EXPECT_EQ(read.columns, (QStringList{QStringLiteral("COMPANY"), QStringLiteral("ADDRESS1")}));
    EXPECT_EQ(read.table.database, QStringLiteral("Patient_Data"));
    EXPECT_EQ(read.table.name, QStringLiteral("tbHospitalInfo"));
    read = std::get<SelectRead>(readStatement(QStringLiteral("Select * From Patient_Data..tbDOHSetup")));
    EXPECT_EQ(read.columns, QStringList{QStringLiteral("*")});
    read = std::get<SelectRead>(
        readStatement(QStringLiteral("  SELECT Specialty,TraumaCapability From PASSWORD..tbHospitalInfo2 ")));
    EXPECT_EQ(read.columns.size(), 2);
    EXPECT_EQ(read.table.database, QStringLiteral("PASSWORD"));
}

TEST(StatementReader, AliasedUpdate)
{
    const auto update = std::get<AliasedUpdate>(readStatement(QStringLiteral(
        "Update A Set A.Specialty ='3',A.LocalParticular = 'City of San José',A.OwnershipGovOthers = 'It''s ours'"
        "From PASSWORD..tbHospitalInfo2 A")));
    EXPECT_EQ(update.alias, QStringLiteral("A"));
    ASSERT_EQ(update.assignments.size(), 3);
    EXPECT_EQ(update.assignments[0].first, QStringLiteral("Specialty"));
    EXPECT_EQ(update.assignments[0].second.text, QStringLiteral("3"));
    EXPECT_EQ(update.assignments[2].second.text, QStringLiteral("It's ours"));
    EXPECT_EQ(update.table.name, QStringLiteral("tbHospitalInfo2"));
}

// An empty literal is an empty text, not a missing value: bound as a null
// string it would be stored as Null.
TEST(StatementReader, EmptyLiteralsAreEmptyTextsAndNumbersTakeOnePoint)
{
    const auto call =
        std::get<ProcedureCall>(readStatement(QStringLiteral("Patient_Data..sp_X '',N'','\\\n',013,-.5,1.,+7")));
    ASSERT_EQ(call.arguments.size(), 7);
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(call.arguments[i].isText()) << i;
        EXPECT_TRUE(call.arguments[i].text.isEmpty()) << i;
        EXPECT_FALSE(call.arguments[i].text.isNull()) << i;
    }
    QStringList numbers;
    for (int i = 3; i < 7; ++i) {
        EXPECT_FALSE(call.arguments[i].isText()) << i;
        numbers.append(call.arguments[i].text);
    }
    EXPECT_EQ(numbers,
              (QStringList{QStringLiteral("013"), QStringLiteral("-.5"), QStringLiteral("1."), QStringLiteral("+7")}));
}

struct Continued
{
    const char *literal;
    const char *value;
};

class StatementReaderLiterals : public ::testing::TestWithParam<Continued>
{
};

// A backslash right before a line feed or a carriage return and line feed
// drops out of a literal with the line break, as SQL Server reads it.
TEST_P(StatementReaderLiterals, ReadLineContinuationsAsSqlServerDoes)
{
    const auto call = std::get<ProcedureCall>(
        readStatement(QStringLiteral("Patient_Data..sp_X ") + QString::fromUtf8(GetParam().literal)));
    ASSERT_EQ(call.arguments.size(), 1);
    EXPECT_EQ(call.arguments[0].text, QString::fromUtf8(GetParam().value)) << GetParam().literal;
}

INSTANTIATE_TEST_SUITE_P(Continuations, StatementReaderLiterals,
                         ::testing::Values(Continued{"'abc\\\ndef'", "abcdef"}, Continued{"'abc\\\r\ndef'", "abcdef"},
                                           Continued{"N'Niño\\\nx'", "Niñox"}, Continued{"'\\\n'", ""},
                                           Continued{"'a\\\\\nb'", "a\\b"}, Continued{"'a\\\\\n\nb'", "a\\\nb"},
                                           Continued{"'abc\\\rdef'", "abc\\\rdef"}, Continued{"'a\\ \nb'", "a\\ \nb"},
                                           Continued{"'a\nb\\'", "a\nb\\"}, Continued{"'a\\''\nb'", "a\\'\nb"}));

struct Refused
{
    const char *statement;
    const char *message;
};

class StatementReaderRefuses : public ::testing::TestWithParam<Refused>
{
};

TEST_P(StatementReaderRefuses, WithSqlServersWords)
{
    try {
        readStatement(QString::fromUtf8(GetParam().statement));
        FAIL() << "accepted: " << GetParam().statement;
    } catch (const adodb::BackendError &e) {
        EXPECT_EQ(e.message(), QString::fromUtf8(GetParam().message)) << GetParam().statement;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Statements, StatementReaderRefuses,
    ::testing::Values(Refused{"Patient_Data..sp_X 'a' 'b'", "Incorrect syntax near ''b''."},
                      Refused{"Patient_Data..sp_X 'a'; DROP TABLE x", "Incorrect syntax near ';'."},
                      Refused{"Patient_Data..sp_X 'it's'", "Incorrect syntax near 's'."},
                      Refused{"Patient_Data..sp_X 'open", "Unclosed quotation mark after the character string 'open'."},
                      Refused{"DELETE FROM Patient_Data..tbDOHSetup", "Incorrect syntax near 'FROM'."},
                      Refused{"SELECT * FROM Patient_Data..tbDOHSetup WHERE 1", "Incorrect syntax near 'WHERE'."},
                      Refused{"Update A Set B.x = '1' From PASSWORD..tbHospitalInfo2 A", "Incorrect syntax near 'B'."},
                      Refused{"Patient_Data..sp_X 1,", "Incorrect syntax near ','."},
                      Refused{"Patient_Data..sp_X -- comment", "Incorrect syntax near '-'."},
                      Refused{"BUILD_FILE..sp_Bui_Common_Load_tbCoService 1.2.3", "Incorrect syntax near '.3'."},
                      Refused{"Patient_Data..sp_X 12\u0663", "Incorrect syntax near '12\u0663'."},
                      Refused{"", "Incorrect syntax near ''."}));
