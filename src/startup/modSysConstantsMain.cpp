#include "modSysConstants.h"

#include "adodb/Recordset.h"
#include "com/ComError.h"
#include "com/CreateObject.h"
#include "com/Runtime.h"
#include "forms/MsgBox.h"

#ifdef VELMORA_HAVE_BUILDFILE_WINDOW
#include "buildfile/frmNewDOHBuildFile.h"
#else
#include <QDialog>
#endif

namespace modSysConstants {

namespace {

BuildFileWindowOpener s_opener;

void showBuildFileWindow(const adodb::ConnectionPtr &connection)
{
#ifdef VELMORA_HAVE_BUILDFILE_WINDOW
    frmNewDOHBuildFile form;
    form.InitializeForm(connection);
    form.LoadForm();
#else
    // Stands in for the build-file window while it is not part of the build.
    QDialog placeholder;
    placeholder.setWindowTitle(QStringLiteral("%1 Version %2.%3.%4")
                                   .arg(com::App::Title())
                                   .arg(com::App::Major())
                                   .arg(com::App::Minor())
                                   .arg(com::App::Revision()));
    placeholder.resize(752, 528);
    placeholder.exec();
#endif
}

void releaseSharedObjects()
{
    if (pobjCurrentUser)
        pobjCurrentUser.reset();
    if (pobjCodeSearch)
        pobjCodeSearch.reset();
}

} // namespace

void setBuildFileWindowOpener(BuildFileWindowOpener opener)
{
    s_opener = std::move(opener);
}

void Main()
{
    plngUploadOption = 2;
    try {
        auto session = com::CreateObjectAs<session::CurrentUser>(session::kProgID);
        session->sqlconnection()->setConnectionTimeout(240);
        session->setPasswordDeptCode(kDepartmentCode);
        session->ShowMain();

        const com::Variant connected = session->Connected();
        if (connected.isNull() || !connected.toBool())
            return;

        LoadHospitalHeader(session->sqlconnection());

        auto codeSearch = com::CreateObjectAs<codesearch::CodeSearch>(codesearch::kProgID);
        codeSearch->setSearchMode(true);
        codeSearch->Initialize_Classes();
        codeSearch->setConnection(session->sqlconnection());
        pobjCodeSearch = codeSearch;

        pobjCurrentUser = session;

        LoadDOHSetupFlags();

        if (s_opener)
            s_opener(session->sqlconnection());
        else
            showBuildFileWindow(session->sqlconnection());
    } catch (const std::exception &e) {
        // Start-up cannot go on: say why and end the run.
        forms::MsgBox(com::describe(e), forms::vbCritical);
    }
    releaseSharedObjects();
}

} // namespace modSysConstants
