// Marking rows: check boxes, clicks, double-clicks, "Select All", the row
// colours, the focus and the status-bar hint.
#include "BuildFileFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>

using namespace buildfile_tests;

namespace {

class InteractionTest : public BuildFileFixture
{
protected:
    void Highlight(const QString &title) { m_form->lvwReport->setCurrentItem(Row(title)); }
    void Click(const QString &title)
    {
        Highlight(title);
        m_form->lvwReport_ItemClick(Row(title));
    }
    void DoubleClick(const QString &title)
    {
        Click(title); // a double-click begins with a click, as the list reports it
        m_form->lvwReport_DblClick();
    }
    // Shows the window and makes it the active one, for real mouse and focus.
    void ShowActive()
    {
        m_form->show();
        m_form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_form.get()));
    }
    QPoint RowCentre(const QString &title) const
    {
        return m_form->lvwReport->visualItemRect(Row(title)).center();
    }
    QPoint CheckIndicator(const QString &title) const
    {
        QStyleOptionViewItem option;
        option.initFrom(m_form->lvwReport);
        option.rect = m_form->lvwReport->visualItemRect(Row(title));
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        return m_form->lvwReport->style()
            ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, m_form->lvwReport)
            .center();
    }
};

} // namespace

TEST_F(InteractionTest, ClickMarksAnUnmarkedRowAndKeepsAMarkedOne)
{
    Open();
    Click(kSurgical);
    EXPECT_TRUE(Checked(kSurgical));
    EXPECT_EQ(Mark(kSurgical), QStringLiteral("1"));
    EXPECT_TRUE(PaintedMarked(kSurgical));
    EXPECT_FALSE(PaintedMarked(kDeaths));

    Click(kSurgical);
    EXPECT_TRUE(Checked(kSurgical));
    EXPECT_EQ(Mark(kSurgical), QStringLiteral("1"));
    EXPECT_TRUE(PaintedMarked(kSurgical));
}

TEST_F(InteractionTest, DoubleClickTogglesTheHighlightedRow)
{
    Open();
    Check(kDeaths);
    ASSERT_TRUE(PaintedMarked(kDeaths));
    Highlight(kDeaths);
    m_form->lvwReport_DblClick();
    EXPECT_FALSE(Checked(kDeaths));
    EXPECT_EQ(Mark(kDeaths), QStringLiteral("0"));
    EXPECT_FALSE(PaintedMarked(kDeaths));

    m_form->lvwReport_DblClick();
    EXPECT_TRUE(Checked(kDeaths));
    EXPECT_EQ(Mark(kDeaths), QStringLiteral("1"));
    EXPECT_TRUE(PaintedMarked(kDeaths));
}

TEST_F(InteractionTest, CheckBoxMarksAndUnmarks)
{
    Open();
    Check(kInfections);
    EXPECT_EQ(Mark(kInfections), QStringLiteral("1"));
    EXPECT_TRUE(PaintedMarked(kInfections));
    Check(kInfections, false);
    EXPECT_EQ(Mark(kInfections), QStringLiteral("0"));
    EXPECT_FALSE(PaintedMarked(kInfections));
}

TEST_F(InteractionTest, SelectAllChecksMarksAndPaintsEveryRow)
{
    Open();
    m_form->chkAll->setChecked(true);
    for (const QString &title : Titles()) {
        EXPECT_TRUE(Checked(title));
        EXPECT_EQ(Mark(title), QStringLiteral("1"));
        EXPECT_TRUE(PaintedMarked(title));
    }
    m_form->chkAll->setChecked(false);
    for (const QString &title : Titles()) {
        EXPECT_FALSE(Checked(title));
        EXPECT_EQ(Mark(title), QStringLiteral("0"));
        EXPECT_FALSE(PaintedMarked(title));
    }
}

TEST_F(InteractionTest, UncheckingOneRowTurnsSelectAllOffAndKeepsTheOthers)
{
    Open();
    m_form->chkAll->setChecked(true);
    Check(kDeaths, false);
    EXPECT_FALSE(m_form->chkAll->isChecked());
    EXPECT_FALSE(PaintedMarked(kDeaths));
    EXPECT_EQ(Mark(kDeaths), QStringLiteral("0"));
    for (const QString &title : Titles()) {
        if (title == kDeaths)
            continue;
        EXPECT_TRUE(Checked(title)) << title.toStdString();
        EXPECT_TRUE(PaintedMarked(title));
    }
}

TEST_F(InteractionTest, CheckingTheLastRowDoesNotTurnSelectAllOn)
{
    Open();
    for (const QString &title : Titles())
        Check(title);
    EXPECT_FALSE(m_form->chkAll->isChecked());
    for (const QString &title : Titles())
        EXPECT_TRUE(PaintedMarked(title));
}

TEST_F(InteractionTest, EmptyListPaintsWithoutError)
{
    Open();
    m_form->lvwReport->clear();
    m_form->RowColor();
    m_form->ResetRowsColor();
    m_form->chkAll->setChecked(true);
    EXPECT_TRUE(m_box->shown().isEmpty());
}

TEST_F(InteractionTest, RealMouseClicksMarkRowsAndMoveTheFocus)
{
    Open();
    ShowActive();
    QWidget *viewport = m_form->lvwReport->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, RowCentre(kDischarges));
    EXPECT_TRUE(Checked(kDischarges));
    EXPECT_TRUE(PaintedMarked(kDischarges));
    EXPECT_TRUE(m_form->PicCancel[0]->hasFocus());
    EXPECT_EQ(m_form->sbrMain->currentMessage(), QString());

    // Unchecking a marked row by its box must leave it unmarked.
    QTest::mouseClick(viewport, Qt::LeftButton, {}, CheckIndicator(kDischarges));
    EXPECT_FALSE(Checked(kDischarges));
    EXPECT_EQ(Mark(kDischarges), QStringLiteral("0"));
    EXPECT_FALSE(PaintedMarked(kDischarges));

    QTest::mouseDClick(viewport, Qt::LeftButton, {}, RowCentre(kSurgical));
    QCoreApplication::processEvents();
    // The first click of a double-click marks the row, the double-click unmarks it again.
    EXPECT_EQ(Mark(kSurgical), QStringLiteral("0"));
    EXPECT_FALSE(Checked(kSurgical));
    EXPECT_FALSE(PaintedMarked(kSurgical));
}

TEST_F(InteractionTest, FocusOnTheListShowsTheHint)
{
    Open();
    ShowActive();
    m_form->lvwReport->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_form->sbrMain->currentMessage(), kHint);
    m_form->cboYear->setFocus();
    QCoreApplication::processEvents();
    EXPECT_EQ(m_form->sbrMain->currentMessage(), QString());
}

// The rows as the user sees them: a grab of the shown window has the marked
// rows orange and the others white. Set VELMORA_SCREENSHOT to keep the picture.
TEST_F(InteractionTest, MarkedRowsArePaintedOrange)
{
    Open();
    ShowActive();
    Click(kDischarges);
    Click(kSurgical);
    Check(kGeneralInfo);
    m_form->lvwReport->setCurrentItem(Row(kSurgical));
    QCoreApplication::processEvents();
    const QImage image = m_form->grab().toImage();
    if (const QByteArray path = qgetenv("VELMORA_SCREENSHOT"); !path.isEmpty())
        image.save(QString::fromLocal8Bit(path));

    auto pixelRight = [&](const QString &title) {
        const QRect r = m_form->lvwReport->visualItemRect(Row(title));
        const QPoint inViewport(r.left() + m_form->lvwReport->columnWidth(0) - 8, r.center().y());
        const QPoint inWindow = m_form->lvwReport->viewport()->mapTo(m_form.get(), inViewport);
        return image.pixelColor(inWindow * image.devicePixelRatio());
    };
    EXPECT_EQ(pixelRight(kSurgical), QColor(255, 128, 0)) << "the highlighted row shows its mark after the click";
    EXPECT_EQ(pixelRight(kDischarges), QColor(255, 128, 0));
    EXPECT_EQ(pixelRight(kGeneralInfo), QColor(255, 128, 0));
    EXPECT_EQ(pixelRight(kDeaths), QColor(255, 255, 255));
}
