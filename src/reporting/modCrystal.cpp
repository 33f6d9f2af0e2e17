#include "modCrystal.h"

#include "frmReportViewerShared.h"

#include "com/ComError.h"
#include "reportengine/ReportEngine.h"
#include "startup/modSysConstants.h"

namespace modCrystal {

std::shared_ptr<reportengine::Report> pobjReport;

namespace {

const QString kSource = QStringLiteral("prjVelmora.modCrystal");
const QString kDatabase = QStringLiteral("Patient_Data");

[[noreturn]] void objectNotSet()
{
    throw com::ComError(91, QStringLiteral("Object variable or With block variable not set"), kSource);
}

// Points every table at Patient_Data (the part before the first "." is
// replaced, owner and table name stay) and logs it on as the session's user.
void RepointTables(reportengine::Report &report)
{
    for (reportengine::DatabaseTable &table : report.Database().Tables()) {
        const QString location = table.Location();
        const qsizetype dot = location.indexOf(QLatin1Char('.'));
        if (dot < 0)
            throw com::ComError(com::errors::InvalidProcedureCall,
                                QStringLiteral("Invalid procedure call or argument"), kSource);
        table.setLocation(kDatabase + location.mid(dot));
        const auto &user = modSysConstants::pobjCurrentUser;
        if (!user)
            objectNotSet();
        table.SetLogOnInfo(user->ServerName(), kDatabase, user->UserID(), user->ServerPassword());
    }
}

// Hands values to the parameter fields in the report's order; surplus
// values are ignored, surplus fields keep what the file gives them.
void PassValues(reportengine::Report &report, const QList<com::Variant> &values)
{
    const qsizetype upperBound = values.size() - 1;
    if (upperBound < 0)
        return;
    qsizetype counter = 0;
    for (reportengine::ParameterFieldDefinition &field : report.ParameterFields()) {
        if (counter > upperBound)
            break;
        field.AddCurrentValue(values.at(counter));
        ++counter;
    }
}

} // namespace

void OpenReportFile(const QString &path, const QList<com::Variant> &values)
{
    auto application = std::make_unique<reportengine::Application>();
    std::shared_ptr<reportengine::Report> report = application->OpenReport(path, 1);
    pobjReport = report;
    report->setReportAuthor(modSysConstants::pstrHospitalName);
    RepointTables(*report);
    PassValues(*report, values);
    application.reset();
}

void OpenSubReport(const QString &name, const QList<com::Variant> &values)
{
    if (!pobjReport)
        objectNotSet();
    std::shared_ptr<reportengine::Report> subreport = pobjReport->OpenSubreport(name);
    RepointTables(*subreport);
    PassValues(*subreport, values);
}

void ShowReportViewer(bool showGroupTree, const QString &caption, bool directPrint, bool modal)
{
    auto *window = new frmReportViewerShared;
    window->setShowGroupTree(showGroupTree);
    window->setWindowTitle(caption);
    window->setDirectPrint(directPrint);
    window->setFileCaption(caption);
    if (modal) {
        std::unique_ptr<frmReportViewerShared> owner(window);
        owner->Show(true);
    } else {
        window->setAttribute(Qt::WA_DeleteOnClose);
        try {
            window->Show(false);
        } catch (...) {
            delete window;
            throw;
        }
    }
}

} // namespace modCrystal
