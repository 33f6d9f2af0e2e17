// The window's face: the layout after resizes, the hover looks of the picture
// buttons and header links, the command each trigger runs, the unload, and
// the size and place kept between runs.
#include "BuildFileFixture.h"

#include "hospitalinfo/frmHospitalInfo.h"
#include "setup/frmDOHSetup.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <cmath>
#include <functional>
#include <map>

using namespace buildfile_tests;

namespace {

using Form = frmNewDOHBuildFile;

const QString kSaved = QStringLiteral("Summarized Monthly Data was saved.");
const QString kHighlightFirst = QStringLiteral("Highlight a report in the list, then click Print.");

int Round(double value)
{
    return int(std::lround(value));
}

// The pointer moving over a control, as the window system reports it.
void PointTo(QWidget *control, QPoint at = {})
{
    at = at.isNull() ? control->rect().center() : at;
    if (QCursor::pos() == control->mapToGlobal(at)) // a pointer that stays reports no move
        QTest::mouseMove(control, at + QPoint(1, 1));
    QTest::mouseMove(control, at);
    if (QGuiApplication::platformName() != QStringLiteral("offscreen"))
        QTest::qWait(50); // a real window system reports the move a little later
}
// A point of the window's own background, between the band and the period boxes.
void PointToBackground(Form &f)
{
    PointTo(&f, QPoint(f.width() / 2, 100));
}
// The captions cover their pictures; a move over the picture itself is sent to it.
void MoveOverPicture(QWidget *picture)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), picture->mapToGlobal(QPointF(2, 2)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(picture, &move);
}

// Which hover looks show: the highlighted Print, Generate and Cancel
// pictures, then "Info" normal and hover, then "Setup" normal and hover.
QString Looks(const Form &f)
{
    QString looks;
    for (const QWidget *w : std::initializer_list<const QWidget *>{
             f.PicPrint[1], f.PicGenerate[1], f.PicCancel[1], f.lblInfo[0], f.lblInfo[1], f.lblSetup[0], f.lblSetup[1]})
        looks += w->isVisible() ? QLatin1Char('1') : QLatin1Char('0');
    return looks;
}
const QString kCleared = QStringLiteral("0001010");

class LayoutTest : public BuildFileFixture
{
protected:
    void ShowActive()
    {
        m_form->show();
        m_form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_form.get()));
        QCoreApplication::processEvents();
    }
    void ResizeTo(int width, int height)
    {
        m_form->resize(width, height);
        QCoreApplication::processEvents();
        ASSERT_EQ(m_form->size(), QSize(width, height));
    }
    // Every control the layout moves, found by its design name.
    std::map<QString, QRect> Geometries() const
    {
        std::map<QString, QRect> geometries;
        for (const char *name : {"FraHead",      "lblTitle",     "lblInfo0",     "lblInfo1",
                                 "lblSetup0",    "lblSetup1",    "lblYear",      "cboYear",
                                 "lblMonth",     "cboMonth",     "lvwReport",    "chkAll",
                                 "PicPrint0",    "PicPrint1",    "lblPrint0",    "lblPrint1",
                                 "PicGenerate0", "PicGenerate1", "lblGenerate0", "lblGenerate1",
                                 "PicCancel0",   "PicCancel1",   "lblCancel0",   "lblCancel1",
                                 "pbMain",       "lblProgress",  "sbrMain",      "cmdEditHospitalInfo",
                                 "cmdSetup",     "cmdPrint",     "cmdGenerate",  "cmdCancel"}) {
            const QWidget *control = m_form->findChild<QWidget *>(QString::fromLatin1(name));
            EXPECT_TRUE(control) << name;
            if (control)
                geometries[QString::fromLatin1(name)] = control->geometry();
        }
        return geometries;
    }

    // After a resize from `from`: every control moved in proportion and kept
    // its size, except those the layout places from others or widens.
    void ExpectLaidOut(const std::map<QString, QRect> &before, const QSize &from)
    {
        const Form &f = *m_form;
        const QSize to = f.size();
        const std::map<QString, QRect> after = Geometries();
        const QString placed =
            QStringLiteral("lblInfo PicPrint PicGenerate PicCancel cboYear cboMonth lblMonth pbMain");
        const QString widened = QStringLiteral("FraHead lvwReport sbrMain");
        for (const auto &[name, was] : before) {
            const QRect now = after.at(name);
            const QString base =
                name.endsWith(QLatin1Char('0')) || name.endsWith(QLatin1Char('1')) ? name.chopped(1) : name;
            if (!placed.split(QLatin1Char(' ')).contains(base)) {
                EXPECT_EQ(now.x(), Round(double(was.x()) / from.width() * to.width())) << name.toStdString();
            }
            EXPECT_EQ(now.y(), Round(double(was.y()) / from.height() * to.height())) << name.toStdString();
            if (!widened.split(QLatin1Char(' ')).contains(base)) {
                EXPECT_EQ(now.size(), was.size()) << name.toStdString();
            }
        }
        EXPECT_EQ(f.FraHead->width(), f.frameGeometry().width());
        EXPECT_EQ(f.sbrMain->width(), f.frameGeometry().width());
        EXPECT_EQ(f.lvwReport->x() + f.lvwReport->width() + f.lvwReport->x(), to.width());

        const QLabel *setup = f.lblSetup[1];
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(f.lblInfo[i]->x(), setup->x() - setup->width());
            EXPECT_EQ(f.PicCancel[i]->x(), setup->x() - 2 * setup->width());
            EXPECT_EQ(f.PicGenerate[i]->x(), f.PicCancel[1]->x() - f.PicCancel[1]->width());
            EXPECT_EQ(f.PicPrint[i]->x(), f.PicGenerate[1]->x() - f.PicGenerate[1]->width());
            EXPECT_EQ(f.PicPrint[i]->y(), f.PicCancel[1]->y());
            EXPECT_EQ(f.PicGenerate[i]->y(), f.PicCancel[1]->y());
            EXPECT_EQ(f.lblGenerate[i]->geometry(), f.PicGenerate[i]->rect()) << "the caption stays across";
        }
        EXPECT_LE(f.PicCancel[0]->geometry().right(), to.width());
        EXPECT_EQ(f.cboYear->x(), Round(f.lblYear->x() + f.lblYear->width() * 2.0 / 3.0));
        EXPECT_EQ(f.cboMonth->x(), f.cboYear->x() + 2 * f.cboYear->width());
        EXPECT_EQ(f.lblMonth->x(), Round(f.cboMonth->x() - f.lblYear->width() * 2.0 / 3.0));
        EXPECT_EQ(f.pbMain->x(), f.chkAll->x());

        const QTreeWidget *list = f.lvwReport;
        EXPECT_EQ(list->headerItem()->text(0), QStringLiteral("Report Name"));
        EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("Last Updated"));
        EXPECT_EQ(list->columnWidth(0), Round(list->width() / 3.0 * 2.0));
        EXPECT_EQ(list->columnWidth(0) + list->columnWidth(1), list->viewport()->width()) << "no horizontal scrolling";
        EXPECT_TRUE(list->isColumnHidden(2));
    }
};

} // namespace

TEST_F(LayoutTest, EnlargingAndReducingMovesEveryControlInProportion)
{
    Open();
    EXPECT_EQ(m_form->minimumSize(), QSize(752, 528)) << "never smaller than its design";
    ShowActive();
    const QSize design(752, 528);
    // Shown at design size, the controls stay and the command strip hangs from the link.
    ExpectLaidOut(Geometries(), design);

    std::map<QString, QRect> before = Geometries();
    ResizeTo(1600, 1000);
    ExpectLaidOut(before, design);

    before = Geometries();
    ResizeTo(1000, 640);
    ExpectLaidOut(before, QSize(1600, 1000));
}

TEST_F(LayoutTest, MinimizingAndRestoringLeavesEveryControlWhereItWas)
{
    Open();
    ShowActive();
    EXPECT_TRUE(m_form->windowHandle()->flags().testFlags(Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint));
    ResizeTo(1200, 800);
    const std::map<QString, QRect> before = Geometries();
    m_form->showMinimized();
    QCoreApplication::processEvents();
    ASSERT_TRUE(m_form->isMinimized());
    QResizeEvent shrunk(QSize(160, 0), m_form->size()); // as a minimized window may be told
    QCoreApplication::sendEvent(m_form.get(), &shrunk);
    EXPECT_EQ(Geometries(), before);
    m_form->showNormal();
    QCoreApplication::processEvents();
    EXPECT_EQ(Geometries(), before);
}

// The hover table: from the looks the background leaves, the pointer over one
// control gives these looks.
struct HoverCase
{
    const char *name;
    std::function<void(Form &)> point;
    const char *looks;
};

class HoverTable : public LayoutTest, public ::testing::WithParamInterface<HoverCase>
{
};

TEST_P(HoverTable, PointerOverAControlGivesItsLook)
{
    Open();
    ShowActive();
    PointToBackground(*m_form);
    ASSERT_EQ(Looks(*m_form), kCleared);
    GetParam().point(*m_form);
    EXPECT_EQ(Looks(*m_form), QString::fromLatin1(GetParam().looks));
}

// An index-1 member lies hidden until its partner's hover shows it.
INSTANTIATE_TEST_SUITE_P(
    Layout, HoverTable,
    ::testing::Values(
        HoverCase{"PicPrint0", [](Form &f) { MoveOverPicture(f.PicPrint[0]); }, "1001010"},
        HoverCase{"PicGenerate0", [](Form &f) { MoveOverPicture(f.PicGenerate[0]); }, "0101010"},
        HoverCase{"PicCancel0", [](Form &f) { MoveOverPicture(f.PicCancel[0]); }, "0011010"},
        HoverCase{"PicGenerate1", [](Form &f) { MoveOverPicture(f.PicGenerate[1]); }, "0001010"},
        HoverCase{"lblPrint0", [](Form &f) { PointTo(f.lblPrint[0]); }, "1001010"},
        HoverCase{"lblPrint1", [](Form &f) { PointTo(f.lblPrint[0]), PointTo(f.lblPrint[1]); }, "1001010"},
        HoverCase{"lblGenerate0", [](Form &f) { PointTo(f.lblGenerate[0]); }, "0101010"},
        HoverCase{"lblCancel1", [](Form &f) { PointTo(f.lblCancel[0]), PointTo(f.lblCancel[1]); }, "0011010"},
        HoverCase{"lblInfo0", [](Form &f) { PointTo(f.lblInfo[0]); }, "0000110"},
        HoverCase{"lblInfo1", [](Form &f) { PointTo(f.lblInfo[0]), PointTo(f.lblInfo[1]); }, "0000110"},
        HoverCase{"lblSetup0", [](Form &f) { PointTo(f.lblSetup[0]); }, "0001001"},
        HoverCase{"lblSetup1", [](Form &f) { PointTo(f.lblSetup[0]), PointTo(f.lblSetup[1]); }, "0001001"},
        HoverCase{"Background", [](Form &f) { PointTo(f.lblInfo[0]), PointToBackground(f); }, "0001010"}),
    [](const ::testing::TestParamInfo<HoverCase> &info) { return std::string(info.param.name); });

TEST_F(LayoutTest, AHoverLookStaysUntilThePointerCrossesTheBackground)
{
    Open();
    ShowActive();
    EXPECT_EQ(Looks(*m_form), QStringLiteral("0011010")) << "Cancel is highlighted at start";
    const Form &f = *m_form;
    for (QWidget *control :
         std::initializer_list<QWidget *>{f.lblGenerate[0], f.lblInfo[0], f.lblSetup[0], f.lvwReport->viewport(),
                                          f.chkAll, f.cboYear, f.sbrMain, f.lblYear, f.lblPrint[0]})
        PointTo(control);
    PointTo(m_form->FraHead, QPoint(m_form->lblTitle->geometry().right() + 40, 10));
    EXPECT_EQ(Looks(*m_form), QStringLiteral("1110101"));
    PointToBackground(*m_form);
    EXPECT_EQ(Looks(*m_form), kCleared);
}

TEST_F(LayoutTest, TheHighlightedPrintPictureAloneHidesWhenItLosesTheFocus)
{
    Open();
    ShowActive();
    PointTo(m_form->lblPrint[0]);
    PointTo(m_form->lblGenerate[0]);
    for (PictureBox *highlighted : {m_form->PicPrint[1], m_form->PicGenerate[1]}) {
        // A click on a caption gives its picture the focus (Print only says
        // that no row is highlighted).
        QTest::mouseClick(highlighted->findChild<QLabel *>(), Qt::LeftButton);
        ASSERT_TRUE(highlighted->hasFocus());
        m_form->cboYear->setFocus();
    }
    EXPECT_EQ(Looks(*m_form), QStringLiteral("0111010"));
}

// Every trigger runs its command once.
enum class Command { Generate, Print, Cancel, HospitalInfo, Setup };

struct TriggerCase
{
    const char *name;
    Command command;
    std::function<void(Form &)> fire;
};

class Triggers : public LayoutTest, public ::testing::WithParamInterface<TriggerCase>
{
};

TEST_P(Triggers, RunTheirCommandOnce)
{
    const Command command = GetParam().command;
    Open();
    ShowActive();
    if (command == Command::Generate)
        Check(kGeneralInfo);
    m_box->clear();
    std::map<Command, int> runs;
    // The two dialogs are counted and closed as they come up.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *info = qobject_cast<frmHospitalInfo *>(modal))
            ++runs[Command::HospitalInfo], info->reject();
        else if (auto *setup = qobject_cast<frmDOHSetup *>(modal))
            ++runs[Command::Setup], setup->reject();
    });
    poll.start(5);
    QSignalSpy finished(m_form.get(), &QDialog::finished);
    const long connectionUsers = m_connection.use_count();

    GetParam().fire(*m_form);
    QCoreApplication::processEvents();
    poll.stop();

    runs[Command::Generate] = int(m_box->prompts().count(kSaved));
    runs[Command::Print] = int(m_box->prompts().count(kHighlightFirst));
    runs[Command::Cancel] = int(finished.count());
    for (Command each : {Command::Generate, Command::Print, Command::Cancel, Command::HospitalInfo, Command::Setup})
        EXPECT_EQ(runs[each], each == command ? 1 : 0) << int(each);
    EXPECT_EQ(m_box->shown().size(), command == Command::Generate || command == Command::Print ? 1 : 0);
    if (command == Command::Cancel) {
        EXPECT_FALSE(m_form->isVisible());
        EXPECT_EQ(m_connection.use_count(), connectionUsers - 1) << "the window lets go of the connection";
        EXPECT_EQ(m_connection->State(), adodb::adStateOpen) << "and leaves it open";
    }
}

void Click(QWidget *control)
{
    QTest::mouseClick(control, Qt::LeftButton);
}
void Alt(Form &f, Qt::Key key)
{
    QTest::keyClick(&f, key, Qt::AltModifier);
}

INSTANTIATE_TEST_SUITE_P(
    Layout, Triggers,
    ::testing::Values(TriggerCase{"PicGenerate0", Command::Generate, [](Form &f) { Click(f.PicGenerate[0]); }},
                      TriggerCase{"PicGenerate1", Command::Generate, [](Form &f) { Click(f.PicGenerate[1]); }},
                      TriggerCase{"lblGenerate0", Command::Generate, [](Form &f) { Click(f.lblGenerate[0]); }},
                      TriggerCase{"lblGenerate1", Command::Generate, [](Form &f) { Click(f.lblGenerate[1]); }},
                      TriggerCase{"cmdGenerate", Command::Generate, [](Form &f) { f.cmdGenerate->click(); }},
                      TriggerCase{"AltR", Command::Generate, [](Form &f) { Alt(f, Qt::Key_R); }},
                      TriggerCase{"PicPrint0", Command::Print, [](Form &f) { Click(f.PicPrint[0]); }},
                      TriggerCase{"PicPrint1", Command::Print, [](Form &f) { Click(f.PicPrint[1]); }},
                      TriggerCase{"lblPrint0", Command::Print, [](Form &f) { Click(f.lblPrint[0]); }},
                      TriggerCase{"lblPrint1", Command::Print, [](Form &f) { Click(f.lblPrint[1]); }},
                      TriggerCase{"cmdPrint", Command::Print, [](Form &f) { f.cmdPrint->click(); }},
                      TriggerCase{"AltP", Command::Print, [](Form &f) { Alt(f, Qt::Key_P); }},
                      // The window system's double-click: press, release, press, double-click, release.
                      TriggerCase{"DoubleClickOnACaption", Command::Print,
                                  [](Form &f) {
                                      QTest::mouseDClick(f.windowHandle(), Qt::LeftButton, {},
                                                         f.lblPrint[0]->mapTo(&f, f.lblPrint[0]->rect().center()));
                                  }},
                      TriggerCase{"PicCancel0", Command::Cancel, [](Form &f) { Click(f.PicCancel[0]); }},
                      TriggerCase{"PicCancel1", Command::Cancel, [](Form &f) { Click(f.PicCancel[1]); }},
                      TriggerCase{"lblCancel0", Command::Cancel, [](Form &f) { Click(f.lblCancel[0]); }},
                      TriggerCase{"lblCancel1", Command::Cancel, [](Form &f) { Click(f.lblCancel[1]); }},
                      TriggerCase{"cmdCancel", Command::Cancel, [](Form &f) { f.cmdCancel->click(); }},
                      TriggerCase{"AltC", Command::Cancel, [](Form &f) { Alt(f, Qt::Key_C); }},
                      TriggerCase{"Escape", Command::Cancel, [](Form &f) { QTest::keyClick(&f, Qt::Key_Escape); }},
                      TriggerCase{"CloseBox", Command::Cancel, [](Form &f) { f.close(); }},
                      TriggerCase{"lblInfo0", Command::HospitalInfo, [](Form &f) { Click(f.lblInfo[0]); }},
                      TriggerCase{"lblInfo1", Command::HospitalInfo, [](Form &f) { Click(f.lblInfo[1]); }},
                      TriggerCase{"cmdEditHospitalInfo", Command::HospitalInfo,
                                  [](Form &f) { f.cmdEditHospitalInfo->click(); }},
                      TriggerCase{"AltH", Command::HospitalInfo, [](Form &f) { Alt(f, Qt::Key_H); }},
                      TriggerCase{"lblSetup0", Command::Setup, [](Form &f) { Click(f.lblSetup[0]); }},
                      TriggerCase{"lblSetup1", Command::Setup, [](Form &f) { Click(f.lblSetup[1]); }},
                      TriggerCase{"cmdSetup", Command::Setup, [](Form &f) { f.cmdSetup->click(); }},
                      TriggerCase{"AltS", Command::Setup, [](Form &f) { Alt(f, Qt::Key_S); }}),
    [](const ::testing::TestParamInfo<TriggerCase> &info) { return std::string(info.param.name); });

TEST_F(LayoutTest, RemembersItsSizeAndPlaceBetweenRuns)
{
    SaveReportSetup();
    QTemporaryDir settings;
    const QRect chosen(120, 90, 1100, 700);
    QRect shown;
    for (int run = 0; run < 2; ++run) {
        Form form;
        form.setSettingsFile(settings.filePath(QStringLiteral("velmora.ini")));
        form.InitializeForm(m_connection);
        QTimer::singleShot(0, [&] {
            if (run == 0)
                form.setGeometry(chosen);
            else
                shown = form.geometry();
            form.cmdCancel->click();
        });
        form.LoadForm();
    }
    EXPECT_EQ(shown, chosen);
}

// The images come at once and twice the size, and the larger one is what a
// screen scaled to 200 % gets, not the small one blown up.
TEST_F(LayoutTest, PicturesComeAtOnceAndTwiceTheSize)
{
    for (const char *name :
         {"print", "print-highlighted", "generate", "generate-highlighted", "cancel", "cancel-highlighted"}) {
        const QString base = QStringLiteral(":/buildfile/") + QString::fromLatin1(name);
        const QIcon picture = PictureBox::LoadPicture(base + QStringLiteral(".png"));
        EXPECT_EQ(picture.pixmap(PictureBox::kPictureSize, 1.0).size(), QSize(120, 24)) << name;
        const QImage twice = picture.pixmap(PictureBox::kPictureSize, 2.0).toImage();
        EXPECT_EQ(twice, QImage(base + QStringLiteral("@2x.png")).convertToFormat(twice.format())) << name;
    }
}

// Pictures of the shown window: at design size, enlarged, and with the pointer
// over Generate and over "Info". Set VELMORA_SHOTS to a folder to keep them.
TEST_F(LayoutTest, PicturesOfTheWindow)
{
    Open();
    ShowActive();
    const QString folder = QString::fromLocal8Bit(qgetenv("VELMORA_SHOTS"));
    auto shoot = [&](const QString &name) {
        QCoreApplication::processEvents();
        const QImage image = m_form->grab().toImage();
        if (!folder.isEmpty())
            image.save(QDir(folder).filePath(QStringLiteral("face-") + name + QStringLiteral(".png")));
        return image;
    };
    // Whether a picture button shows orange at a point clear of its glyph and caption.
    auto orange = [&](const QImage &image, const PictureBox *picture) {
        const QColor c = image.pixelColor(picture->mapTo(m_form.get(), QPoint(108, 7)) * image.devicePixelRatio());
        return c.red() > 240 && c.green() > 140 && c.green() < 230 && c.blue() < 180;
    };
    QImage image = shoot(QStringLiteral("design"));
    EXPECT_TRUE(orange(image, m_form->PicCancel[0]));
    EXPECT_FALSE(orange(image, m_form->PicGenerate[0]));

    ResizeTo(1600, 1000);
    image = shoot(QStringLiteral("1600x1000"));
    EXPECT_EQ(image.pixelColor(QPoint(m_form->width() - 2, 4) * image.devicePixelRatio()), QColor(16, 97, 156))
        << "the band runs to the right edge";

    PointToBackground(*m_form);
    PointTo(m_form->lblGenerate[0]);
    image = shoot(QStringLiteral("hover-generate"));
    EXPECT_TRUE(orange(image, m_form->PicGenerate[0]));
    EXPECT_FALSE(orange(image, m_form->PicCancel[0]));
    PointTo(m_form->lblInfo[0]);
    shoot(QStringLiteral("hover-info"));
}
