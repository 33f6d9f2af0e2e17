#include "com/ComError.h"
#include "forms/ErrorTrap.h"
#include "forms/MousePointer.h"
#include "forms/MsgBox.h"
#include "forms/Twips.h"

#include "support/ScriptedMessageBox.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace forms;

TEST(MsgBox, UntitledBoxesCarryTheApplicationsTitle)
{
    testing_support::ScopedMessageBox box;
    box->answer(vbNo);
    EXPECT_EQ(MsgBox(QStringLiteral("Do you want to save changes?"), vbYesNoCancel, QStringLiteral("Verification")),
              vbNo);
    MsgBox(QStringLiteral("Export Successful"), vbInformation + vbOKOnly);
    ASSERT_EQ(box->shown().size(), 2);
    EXPECT_EQ(box->shown()[0].title, QStringLiteral("Verification"));
    EXPECT_EQ(box->shown()[0].buttons(), vbYesNoCancel);
    EXPECT_EQ(box->shown()[0].icon(), 0);
    EXPECT_EQ(box->shown()[1].title, QStringLiteral("ORVANT DOH"));
    EXPECT_EQ(box->shown()[1].icon(), vbInformation);
}

TEST(NumberedSteps, ReportsTheFailingLineAndGoesOn)
{
    testing_support::ScopedMessageBox box;
    NumberedSteps steps(QStringLiteral("frmNewDOHBuildFile"), QStringLiteral("GenerateMonthlyData"));
    QList<int> ran;
    steps.step(272, [&] { ran.append(272); });
    steps.step(274, [&] {
        throw com::ComError(-1, QStringLiteral("Could not find stored procedure 'Patient_Data..sp_X'."));
    });
    steps.step(276, [&] { ran.append(276); });
    EXPECT_EQ(ran, (QList<int>{272, 276}));
    ASSERT_EQ(box->shown().size(), 1);
    const auto &shown = box->shown().first();
    EXPECT_EQ(shown.prompt, QStringLiteral("Could not find stored procedure 'Patient_Data..sp_X'.\r\n"
                                           "in prjVelmora.frmNewDOHBuildFile.GenerateMonthlyData at line 274"));
    EXPECT_EQ(shown.title, QStringLiteral("Application Error"));
    EXPECT_EQ(shown.icon(), vbExclamation);
    EXPECT_EQ(steps.failedLines(), QList<int>{274});
}

TEST(NumberedSteps, AFailingTestCountsAsPassed)
{
    testing_support::ScopedMessageBox box;
    NumberedSteps steps(QStringLiteral("frmX"), QStringLiteral("Op"));
    EXPECT_TRUE(steps.test(100, []() -> bool { throw std::runtime_error("boom"); }));
    EXPECT_FALSE(steps.test(102, [] { return false; }));
    EXPECT_EQ(box->prompts(), QStringList{QStringLiteral("boom\r\nin prjVelmora.frmX.Op at line 100")});
}

TEST(Guarded, ShowsTheDescriptionAlone)
{
    testing_support::ScopedMessageBox box;
    Guarded([] { throw com::ComError(5, QStringLiteral("Invalid procedure call or argument")); });
    ASSERT_EQ(box->shown().size(), 1);
    EXPECT_EQ(box->shown()[0].prompt, QStringLiteral("Invalid procedure call or argument"));
    EXPECT_EQ(box->shown()[0].title, QStringLiteral("ORVANT DOH"));
    EXPECT_EQ(box->shown()[0].style, vbOKOnly);
}

TEST(Twips, FifteenTwipsMakeAPixel)
{
    EXPECT_EQ(TwipsRect(1530, 150, 885, 315), QRect(102, 10, 59, 21));
    EXPECT_EQ(TwipsToPixels(7035), 469);
}

TEST(MousePointer, WaitCursorRestoresTheDefault)
{
    QWidget w;
    {
        WaitCursor wait(&w);
        EXPECT_EQ(GetMousePointer(&w), MousePointer::Hourglass);
    }
    EXPECT_EQ(GetMousePointer(&w), MousePointer::Default);
}
