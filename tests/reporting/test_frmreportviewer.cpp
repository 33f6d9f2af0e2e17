// The report viewer window: load, Print, More, print picture, exports, unload.
#include "ReportTestSupport.h"

#include "com/ComError.h"
#include "com/Runtime.h"
#include "reportengine/ReportEngine.h"
#include "reporting/CommonDialog.h"
#include "reporting/frmReportViewerShared.h"
#include "reporting/modCrystal.h"
#include "reportviewer/CRViewer.h"
#include "startup/modSysConstants.h"
#include "support/ScriptedMessageBox.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using modCrystal::pobjReport;

namespace {

// Answers Save As with a scripted name, or a cancel; records the filters.
class ScriptedFileDialog : public reporting::FileDialogService
{
public:
    std::optional<QString> answer;
    QStringList filters, proposed;
    std::optional<QString> saveFileName(QWidget *, const QString &filter, const QString &name) override
    {
        filters << filter;
        proposed << name;
        return answer;
    }
};

class ViewerWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        testing_support::createVisits(m_store, 400);
        m_user = std::make_shared<testing_support::FakeCurrentUser>();
        m_user->server = m_store.folder();
        modSysConstants::pobjCurrentUser = m_user;
        modSysConstants::pstrHospitalName = QStringLiteral("Orvant General Hospital");
        m_path = testing_support::writeReportFile(
            m_dir, QStringLiteral("v.rpt"),
            testing_support::visitsReportXml(QStringLiteral("BUILD_FILE.dbo.tbVisits")));
        modCrystal::OpenReportFile(
            m_path, {com::Variant(QStringLiteral("03/01/2024")), com::Variant(QStringLiteral("03/31/2024"))});
        m_dialog = std::make_shared<ScriptedFileDialog>();
        m_previousDialog = reporting::setFileDialogService(m_dialog);
        reportviewer::CRViewer::setPrintDialogHook([this](QPrinter &printer, QWidget *) {
            ++m_prints;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(m_dir.filePath(QStringLiteral("printed%1.pdf").arg(m_prints)));
            return true;
        });
    }
    void TearDown() override
    {
        reportviewer::CRViewer::setPrintDialogHook(nullptr);
        reporting::setFileDialogService(m_previousDialog);
        pobjReport.reset();
        modSysConstants::pobjCurrentUser.reset();
    }
    // Runs body on the modal window once it is up, then lets the test go on.
    // The viewer handles events while it fills, before it is modal, so this
    // waits for the modal window rather than taking the first event.
    void onModalWindow(std::function<void(frmReportViewerShared &)> body)
    {
        m_poll = std::make_unique<QTimer>();
        m_waited.start();
        QObject::connect(m_poll.get(), &QTimer::timeout, [this, body] {
            auto *window = dynamic_cast<frmReportViewerShared *>(QApplication::activeModalWidget());
            if (!window && m_waited.elapsed() < 20000)
                return;
            m_poll->stop();
            if (!window) {
                ADD_FAILURE() << "no modal viewer window";
                return;
            }
            body(*window);
        });
        m_poll->start(10);
    }

    QTemporaryDir m_dir;
    testing_support::TempStore m_store;
    std::shared_ptr<testing_support::FakeCurrentUser> m_user;
    QString m_path;
    std::shared_ptr<ScriptedFileDialog> m_dialog;
    std::shared_ptr<reporting::FileDialogService> m_previousDialog;
    int m_prints = 0;
    testing_support::ScopedMessageBox m_box;
    std::unique_ptr<QTimer> m_poll;
    QElapsedTimer m_waited;
};

TEST_F(ViewerWindowTest, LoadShowsTheCurrentReportWithButtonsAndNoPanel)
{
    frmReportViewerShared window;
    window.setWindowTitle(QStringLiteral("II. C. Deaths"));
    window.Form_Load();
    window.show();
    EXPECT_TRUE(window.cmdPrint->isVisible());
    EXPECT_TRUE(window.cmdMore->isVisible());
    EXPECT_FALSE(window.pctMore->isVisible());
    EXPECT_EQ(window.cmdPrint->text(), QStringLiteral("&Print"));
    EXPECT_EQ(window.cmdMore->text(), QStringLiteral("&More"));
    EXPECT_EQ(window.cmdPrint->geometry(), QRect(60, 30, 64, 22));
    EXPECT_EQ(window.pctMore->geometry(), QRect(126, 54, 229, 196));
    EXPECT_EQ(window.Label1->text(), QStringLiteral("Print report without closing the report window"));
    EXPECT_EQ(window.Label2->text(), QStringLiteral("Export Report to Microsoft Excel Document"));
    EXPECT_EQ(window.Label3->text(), QStringLiteral("Export Report to Rich Text Format"));
    EXPECT_EQ(window.Label4->text(), QStringLiteral("Export Report to Portable Document Format"));
    EXPECT_EQ(window.CRViewer1->ReportSource(), pobjReport);
    EXPECT_EQ(window.CRViewer1->zoomLevel(), 1);
    EXPECT_FALSE(window.CRViewer1->DisplayGroupTree());
    EXPECT_GT(window.CRViewer1->pageCount(), 1);
    window.resize(900, 600);
    EXPECT_EQ(window.CRViewer1->geometry(), QRect(0, 0, 900, 600));
    EXPECT_EQ(m_prints, 0);
}

TEST_F(ViewerWindowTest, MorePressedThreeTimesShowsHidesShows)
{
    frmReportViewerShared window;
    window.Form_Load();
    window.show();
    QTest::mouseClick(window.cmdMore, Qt::LeftButton);
    EXPECT_TRUE(window.pctMore->isVisible());
    QTest::mouseClick(window.cmdMore, Qt::LeftButton);
    EXPECT_FALSE(window.pctMore->isVisible());
    QTest::mouseClick(window.cmdMore, Qt::LeftButton);
    EXPECT_TRUE(window.pctMore->isVisible());
}

TEST_F(ViewerWindowTest, PrintButtonPrintsClosesAndReleasesTheReport)
{
    std::weak_ptr<reportengine::Report> report = pobjReport;
    const int pages = pobjReport->pageCount();
    onModalWindow([](frmReportViewerShared &w) { QTest::mouseClick(w.cmdPrint, Qt::LeftButton); });
    modCrystal::ShowReportViewer(
        false, QStringLiteral("II. B.4 Emergency Visits, Testing, Other Services and Diseases Seen"), false, true);
    EXPECT_EQ(m_prints, 1);
    EXPECT_FALSE(pobjReport);
    EXPECT_TRUE(report.expired());
    const QString text = testing_support::pdfText(m_dir.filePath(QStringLiteral("printed1.pdf")));
    EXPECT_EQ(text.count(QLatin1Char('\f')), pages);
    EXPECT_TRUE(text.contains(QStringLiteral("Visits by Service")));
    EXPECT_TRUE(text.contains(QStringLiteral("Page %1 of %1").arg(pages)));
    // With no current report the header step now fails for its caller.
    EXPECT_THROW(modCrystal::OpenSubReport(QStringLiteral("OrvantReportHeader.rpt"), {}), com::ComError);
}

TEST_F(ViewerWindowTest, CaptionAndClosingTheWindowReleasesTheReport)
{
    QString caption;
    onModalWindow([&caption](frmReportViewerShared &w) {
        caption = w.windowTitle();
        w.close();
    });
    modCrystal::ShowReportViewer(false, QStringLiteral("II. C. Deaths"), false, true);
    EXPECT_EQ(caption, QStringLiteral("II. C. Deaths"));
    EXPECT_FALSE(pobjReport);
    EXPECT_EQ(m_prints, 0);
}

TEST_F(ViewerWindowTest, DirectPrintPrintsAtLoad)
{
    onModalWindow([](frmReportViewerShared &w) { w.close(); });
    modCrystal::ShowReportViewer(false, QStringLiteral("II. C. Deaths"), true, true);
    EXPECT_EQ(m_prints, 1);
}

TEST_F(ViewerWindowTest, LoadWithoutCurrentReportIsRaisedToTheCaller)
{
    pobjReport.reset();
    EXPECT_THROW(modCrystal::ShowReportViewer(false, QStringLiteral("II. C. Deaths"), false, true), com::ComError);
}

TEST_F(ViewerWindowTest, PrintPictureLeavesTheWindowAndPanelAsTheyWere)
{
    frmReportViewerShared window;
    window.Form_Load();
    window.show();
    QTest::mouseClick(window.cmdMore, Qt::LeftButton);
    QTest::mouseClick(window.imgPrint, Qt::LeftButton);
    EXPECT_EQ(m_prints, 1);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.pctMore->isVisible());
    EXPECT_TRUE(pobjReport);
}

TEST_F(ViewerWindowTest, CancelledSaveAsWritesNothingAndSaysNothing)
{
    frmReportViewerShared window;
    window.Form_Load();
    m_dialog->answer.reset();
    window.imgExcel_Click();
    window.imgRTF_Click();
    window.imgPDF_Click();
    EXPECT_EQ(m_dialog->filters, (QStringList{QStringLiteral("Microsoft Excel (*.xls)|*.xls"),
                                              QStringLiteral("Rich Text Format (*.rtf)|*.rtf"),
                                              QStringLiteral("Portable Document Format (*.pdf)|*.pdf")}));
    EXPECT_TRUE(m_box->shown().isEmpty());
    EXPECT_TRUE(QDir(m_dir.path())
                    .entryList({QStringLiteral("*.xls"), QStringLiteral("*.rtf"), QStringLiteral("*.pdf")}, QDir::Files)
                    .isEmpty());
    EXPECT_EQ(pobjReport->ExportOptions().DiskFileName, QString());
}

TEST(ProposedFileName, IsTheTitleAFileCanBeNamedWith)
{
    const struct
    {
        QString title, filter, expected;
    } cases[] = {
        {QStringLiteral("II. C. Deaths"), QStringLiteral("Microsoft Excel (*.xls)|*.xls"),
         QStringLiteral("II. C. Deaths.xls")},
        {QStringLiteral("I/II: \"A\" <B> | C? *\\"), QStringLiteral("Rich Text Format (*.rtf)|*.rtf"),
         QStringLiteral("I-II- -A- -B- - C- --.rtf")},
        {QStringLiteral("  Leading\tcauses \n of 2026... "), QStringLiteral("PDF (*.pdf)|*.pdf"),
         QStringLiteral("Leading-causes - of 2026.pdf")},
        {QString(), QStringLiteral("PDF (*.pdf)|*.pdf"), QStringLiteral("Report.pdf")},
        {QStringLiteral("São José"), QStringLiteral("All files|*"), QStringLiteral("São José")},
    };
    for (const auto &c : cases)
        EXPECT_EQ(reporting::ProposedFileName(c.title, c.filter), c.expected) << c.title.toStdString();
}

// A section's document is named by its short name and its period; a title
// the catalogue does not know keeps its words. The engine names the period
// from the report's dates.
TEST(DocumentName, IsTheSectionsShortNameAndItsPeriod)
{
    const auto name = [](const char *title, QDate from, QDate to) {
        return reporting::DocumentName(QString::fromUtf8(title), reportengine::periodName(from, to));
    };
    EXPECT_EQ(name("II. Hospital Operations. B. Discharges", {2026, 3, 1}, {2026, 3, 31}),
              QStringLiteral("II.B Discharges \u2013 March 2026"));
    EXPECT_EQ(name("II. Hospital Operations. A.Summary of Patients in the Hospital", {2025, 1, 1}, {2025, 12, 31}),
              QStringLiteral("II.A Summary of Patients \u2013 Year 2025"));
    EXPECT_EQ(name("II.9.3 10 Leading Causes of Emergency Cases(OLD)", {2026, 7, 1}, {2026, 12, 31}),
              QStringLiteral("II.9.3 Emergency Cases \u2013 Second SemiAnnual 2026"));
    EXPECT_EQ(name("II.6 Death", {2026, 4, 1}, {2026, 4, 15}),
              QStringLiteral("II.6 Death \u2013 April 1, 2026 to April 15, 2026"));
}

struct ExportCase
{
    const char *name;
    const char16_t *file;
    int format;
};

class ExportFromWindow : public ViewerWindowTest, public ::testing::WithParamInterface<ExportCase>
{
};

TEST_P(ExportFromWindow, WritesTheChosenFileAndSaysSo)
{
    frmReportViewerShared window;
    window.Form_Load();
    window.show();
    const QString target = m_dir.filePath(QString::fromUtf16(GetParam().file));
    m_dialog->answer = target;
    QTest::mouseClick(window.cmdMore, Qt::LeftButton);
    PictureButton *picture = GetParam().format == 29  ? window.imgExcel
                             : GetParam().format == 4 ? window.imgRTF
                                                      : window.imgPDF;
    QTest::mouseClick(picture, Qt::LeftButton);
    // The dialog starts with the report's title and its period as the file's name.
    EXPECT_EQ(m_dialog->proposed,
              QStringList{QStringLiteral("Visits by Service \u2013 March 2024.") + target.section(u'.', -1)});
    ASSERT_EQ(m_box->shown().size(), 1);
    EXPECT_EQ(m_box->shown()[0].prompt, QStringLiteral("Export Successful"));
    EXPECT_EQ(m_box->shown()[0].style, forms::vbInformation + forms::vbOKOnly);
    EXPECT_EQ(m_box->shown()[0].title, com::App::Title());
    EXPECT_EQ(pobjReport->ExportOptions().DestinationType, 1);
    EXPECT_EQ(pobjReport->ExportOptions().FormatType, GetParam().format);
    EXPECT_EQ(pobjReport->ExportOptions().DiskFileName, target);
    QFile written(target);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray head = written.read(8);
    if (GetParam().format == 4) {
        EXPECT_TRUE(head.startsWith("{\\rtf1"));
    } else if (GetParam().format == 31) {
        EXPECT_TRUE(head.startsWith("%PDF-"));
        // Painted from the pages the viewer shows, under the report's title
        // and its period.
        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {target});
        ASSERT_TRUE(info.waitForFinished(30000));
        const QString text = QString::fromUtf8(info.readAllStandardOutput());
        EXPECT_TRUE(text.contains(QStringLiteral("Pages:           %1").arg(pobjReport->pageCount())))
            << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("Title:           ") + pobjReport->ReportTitle() +
                                  QStringLiteral(" \u2013 March 2024\n")))
            << text.toStdString();
    } else {
        EXPECT_EQ(head.toHex(), QByteArray("d0cf11e0a1b11ae1")); // a compound file
    }
    EXPECT_TRUE(window.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Formats, ExportFromWindow,
                         ::testing::Values(ExportCase{"Excel", u"out.xls", 29}, ExportCase{"RichText", u"out.rtf", 4},
                                           ExportCase{"Pdf", u"out.pdf", 31}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ViewerWindowTest, ExportFailureShowsTheDescriptionAloneAndTheWindowStays)
{
    frmReportViewerShared window;
    window.Form_Load();
    window.show();
    // A folder that cannot be written in, whoever runs the test: its
    // "folder" is a plain file.
    QFile blocker(m_dir.filePath(QStringLiteral("plainfile")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    m_dialog->answer = m_dir.filePath(QStringLiteral("plainfile/out.xls"));
    window.imgExcel_Click();
    ASSERT_EQ(m_box->shown().size(), 1);
    EXPECT_NE(m_box->shown()[0].prompt, QStringLiteral("Export Successful"));
    EXPECT_FALSE(m_box->shown()[0].prompt.isEmpty());
    EXPECT_EQ(m_box->shown()[0].style, forms::vbOKOnly);
    EXPECT_EQ(m_box->shown()[0].title, com::App::Title());
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(pobjReport);
}

} // namespace
