// The launcher start-up opens with --launcher: its three buttons open their
// windows modally on the session's connection, the report dialog with the
// hospital name and address read at start-up.
#include "ReportParametersFixture.h"

#include "buildfile/frmNewDOHBuildFile.h"
#include "hospitalinfo/frmHospitalInfo.h"
#include "legacy/frmMain.h"
#include "reporting/frmReportViewerShared.h"
#include "startup/modSysConstants.h"
#include "support/ShownReports.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

using namespace legacy_tests;

namespace {

// One modal window to answer: done once the active one is a Window.
using Step = std::function<bool(QWidget *)>;
template <typename Window> Step When(std::function<void(Window &)> action)
{
    return [action](QWidget *active) {
        auto *window = dynamic_cast<Window *>(active);
        if (window)
            QTimer::singleShot(0, window, [window, action] { action(*window); });
        return window != nullptr;
    };
}

// Runs a command and answers the modal windows it opens, step by step; a
// window no step expects is closed after a while, so the test fails, not hangs.
int AnswerInTurn(const std::function<void()> &command, const QList<Step> &steps)
{
    int next = 0;
    QElapsedTimer clock;
    clock.start();
    QTimer watch;
    watch.setInterval(5);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        QWidget *active = QApplication::activeModalWidget();
        if (next < steps.size() && steps[next](active))
            ++next;
        else if (auto *dialog = qobject_cast<QDialog *>(active); dialog && clock.elapsed() > 20000)
            dialog->reject();
    });
    watch.start();
    command();
    return next;
}

} // namespace

TEST_F(ReportParametersFixture, TheLauncherOpensEachWindowOnTheSessionsConnection)
{
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    m_connection->Execute(QStringLiteral("Patient_Data..sp_DOH_Save_tbMedNewDOHReportSetup 13,'13','23'"));
    const QDate today = QDate::currentDate();
    Log(QStringLiteral("I.9"), today.year(), today.month());
    modSysConstants::pstrHospitalName = kHospital;
    modSysConstants::pstrHospitalAddress1 = kAddress;
    modSysConstants::pstrHospitalAddress2.clear();

    QStringList captions;
    QStringList reportValues;
    QList<adodb::Connection *> connections;
    const QList<Step> steps = {
        When<frmMain>([&](frmMain &launcher) {
            captions << launcher.windowTitle() << launcher.cmdEditHospitalInfo->text()
                     << launcher.cmdGenerateData->text() << launcher.cmdReports->text();
            launcher.cmdReports->click();
        }),
        When<frmReportParameters>([&](frmReportParameters &dialog) {
            connections << dialog.connection().get();
            dialog.cboReportName->setCurrentText(kLaboratory);
            dialog.cmdOK->click();
        }),
        When<frmReportViewerShared>([&](frmReportViewerShared &viewer) {
            reportValues = testing_support::GivenValues(*modCrystal::pobjReport);
            viewer.close();
        }),
        When<frmReportParameters>([](frmReportParameters &dialog) { dialog.cmdCancel->click(); }),
        When<frmMain>([](frmMain &launcher) { launcher.cmdEditHospitalInfo->click(); }),
        When<frmHospitalInfo>([&](frmHospitalInfo &form) {
            connections << form.connection().get();
            form.reject();
        }),
        When<frmMain>([](frmMain &launcher) { launcher.cmdGenerateData->click(); }),
        When<frmNewDOHBuildFile>([&](frmNewDOHBuildFile &window) {
            captions << window.windowTitle();
            window.reject();
        }),
        When<frmMain>([](frmMain &launcher) { launcher.reject(); }),
    };
    EXPECT_EQ(AnswerInTurn([&] { legacy::OpenLauncher(m_connection); }, steps), steps.size());

    EXPECT_EQ(captions.mid(0, 4),
              (QStringList{QStringLiteral("New Velmora Reports"), QStringLiteral("Edit Hospital Info"),
                           QStringLiteral("Generate Monthly Data"), QStringLiteral("Reports")}));
    EXPECT_EQ(captions.size(), 5) << "the build-file window was shown";
    EXPECT_EQ(connections, (QList<adodb::Connection *>{m_connection.get(), m_connection.get()}));
    const QDate first(today.year(), today.month(), 1);
    EXPECT_EQ(reportValues,
              (QStringList{kHospital, kAddress, QString(), first.toString(QStringLiteral("MM/dd/yyyy")),
                           first.addDays(first.daysInMonth() - 1).toString(QStringLiteral("MM/dd/yyyy"))}));
}
