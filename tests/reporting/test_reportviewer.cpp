// The viewer control: navigation, page box, zoom, find, group tree, print.
#include "ReportTestSupport.h"

#include "reportengine/ReportEngine.h"
#include "reportviewer/CRViewer.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

using namespace reportengine;
using reportviewer::CRViewer;

namespace {

class ViewerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testing_support::createVisits(m_store, 600);
        const QString path = testing_support::writeReportFile(
            m_dir, QStringLiteral("v.rpt"), testing_support::visitsReportXml(QStringLiteral("Patient_Data.dbo.tbVisits")));
        m_report = Application().OpenReport(path, 1);
        for (DatabaseTable &t : m_report->Database().Tables())
            t.SetLogOnInfo(m_store.folder(), QStringLiteral("Patient_Data"), QString(), QString());
        m_report->ParameterFields().Item(1).AddCurrentValue(QStringLiteral("03/01/2024"));
        m_report->ParameterFields().Item(2).AddCurrentValue(QStringLiteral("03/31/2024"));
        m_viewer.resize(1000, 700);
        m_viewer.setReportSource(m_report);
        m_viewer.ViewReport();
    }
    void TearDown() override { CRViewer::setPrintDialogHook(nullptr); }

    QTemporaryDir m_dir;
    testing_support::TempStore m_store;
    std::shared_ptr<Report> m_report;
    CRViewer m_viewer;
};

TEST_F(ViewerTest, ToolbarTurnsPagesAndThePageBoxFollows)
{
    const int pages = m_viewer.pageCount();
    ASSERT_GT(pages, 5);
    EXPECT_EQ(m_viewer.pageBox()->text(), QStringLiteral("1 of %1").arg(pages));
    EXPECT_FALSE(m_viewer.previousButton()->isEnabled());
    QTest::mouseClick(m_viewer.nextButton(), Qt::LeftButton);
    EXPECT_EQ(m_viewer.pageBox()->text(), QStringLiteral("2 of %1").arg(pages));
    QTest::mouseClick(m_viewer.lastButton(), Qt::LeftButton);
    EXPECT_EQ(m_viewer.currentPage(), pages);
    EXPECT_FALSE(m_viewer.nextButton()->isEnabled());
    QTest::mouseClick(m_viewer.previousButton(), Qt::LeftButton);
    EXPECT_EQ(m_viewer.currentPage(), pages - 1);
    QTest::mouseClick(m_viewer.firstButton(), Qt::LeftButton);
    EXPECT_EQ(m_viewer.currentPage(), 1);

    m_viewer.pageBox()->setText(QStringLiteral("4"));
    QTest::keyClick(m_viewer.pageBox(), Qt::Key_Return);
    EXPECT_EQ(m_viewer.pageBox()->text(), QStringLiteral("4 of %1").arg(pages));
    m_viewer.pageBox()->setText(QStringLiteral("999"));
    QTest::keyClick(m_viewer.pageBox(), Qt::Key_Return);
    EXPECT_EQ(m_viewer.currentPage(), pages);
    m_viewer.pageBox()->setText(QStringLiteral("abc"));
    QTest::keyClick(m_viewer.pageBox(), Qt::Key_Return);
    EXPECT_EQ(m_viewer.pageBox()->text(), QStringLiteral("%1 of %1").arg(pages));
}

TEST_F(ViewerTest, ZoomSizesThePage)
{
    m_viewer.show();
    m_viewer.Zoom(100);
    const int at100 = m_viewer.pageView()->width();
    m_viewer.Zoom(200);
    EXPECT_NEAR(m_viewer.pageView()->width() - 24, 2 * (at100 - 24), 2);
    m_viewer.Zoom(1);
    EXPECT_EQ(m_viewer.zoomBox()->currentText(), QStringLiteral("Page Width"));
    EXPECT_LE(m_viewer.pageView()->width(), m_viewer.width());
    m_viewer.Zoom(2);
    EXPECT_EQ(m_viewer.zoomBox()->currentText(), QStringLiteral("Whole Page"));
    EXPECT_THROW(m_viewer.Zoom(500), com::ComError);
}

TEST_F(ViewerTest, FindMarksTheNextHitAndTurnsToItsPage)
{
    // Patient 00100 is on a later page than the first.
    m_viewer.findBox()->setText(QStringLiteral("patient 00100"));
    QTest::mouseClick(m_viewer.findButton(), Qt::LeftButton);
    EXPECT_GT(m_viewer.currentPage(), 1);
    ASSERT_EQ(m_viewer.highlights().size(), 1);
    const int hitPage = m_viewer.currentPage();
    // "Surgery" appears as group header and again lower; a second find goes on.
    m_viewer.ShowFirstPage();
    EXPECT_TRUE(m_viewer.SearchForText(QStringLiteral("Service total")));
    const int first = m_viewer.currentPage();
    const QRectF firstHit = m_viewer.highlights().value(0);
    EXPECT_TRUE(m_viewer.SearchForText(QStringLiteral("Service total")));
    EXPECT_TRUE(m_viewer.currentPage() > first || m_viewer.highlights().value(0) != firstHit);
    EXPECT_FALSE(m_viewer.SearchForText(QStringLiteral("no such words")));
    EXPECT_EQ(m_viewer.statusLabel()->text(), QStringLiteral("Text not found"));
    EXPECT_NE(hitPage, 0);
}

TEST_F(ViewerTest, GroupTreeListsGroupsAndJumpsToTheirPage)
{
    m_viewer.setDisplayGroupTree(true);
    QTreeWidget *tree = m_viewer.groupTree();
    ASSERT_EQ(tree->topLevelItemCount(), 3);
    EXPECT_EQ(tree->topLevelItem(2)->text(0), QStringLiteral("Surgery"));
    const int surgeryPage = m_report->document().groups[2].page + 1;
    EXPECT_GT(surgeryPage, 1);
    emit tree->itemClicked(tree->topLevelItem(2), 0);
    EXPECT_EQ(m_viewer.currentPage(), surgeryPage);
}

TEST_F(ViewerTest, PrintsThePagesToPdf)
{
    const QString pdf = m_dir.filePath(QStringLiteral("print.pdf"));
    CRViewer::setPrintDialogHook([&](QPrinter &printer, QWidget *) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    m_viewer.PrintReport();
    const QString text = testing_support::pdfText(pdf);
    const int pages = m_viewer.pageCount();
    EXPECT_EQ(text.count(QLatin1Char('\f')), pages);
    EXPECT_TRUE(text.contains(QStringLiteral("Page 1 of %1").arg(pages)));
    EXPECT_TRUE(text.contains(QStringLiteral("Page %1 of %1").arg(pages)));
    EXPECT_TRUE(text.contains(QStringLiteral("Patient 00600")));
}

TEST_F(ViewerTest, CancelledPrintDialogPrintsNothing)
{
    const QString pdf = m_dir.filePath(QStringLiteral("none.pdf"));
    CRViewer::setPrintDialogHook([&](QPrinter &printer, QWidget *) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return false;
    });
    m_viewer.PrintReport();
    EXPECT_FALSE(QFile::exists(pdf));
}

TEST_F(ViewerTest, KeepsShowingItsPagesWhenTheReportChangesUnderIt)
{
    const int pages = m_viewer.pageCount();
    m_report->setReportTitle(QStringLiteral("Renamed")); // the next fill lays out anew
    m_viewer.show();
    EXPECT_FALSE(m_viewer.grab().isNull());
    EXPECT_EQ(m_viewer.pageCount(), pages);
    m_viewer.ViewReport();
    EXPECT_TRUE(m_viewer.SearchForText(QStringLiteral("Renamed")));
}

TEST(ViewerWithoutReport, ViewAndPrintFail)
{
    CRViewer viewer;
    EXPECT_THROW(viewer.ViewReport(), com::ComError);
    EXPECT_THROW(viewer.PrintReport(), com::ComError);
    EXPECT_EQ(viewer.pageCount(), 0);
}

} // namespace
