#pragma once

#include "codesearch/CodeSearch.h"
#include "session/CurrentUser.h"

#include <QHash>
#include <QString>

#include <functional>
#include <memory>

// The start-up module: the process entry Main and the process-wide state
// every window reads (hospital name and address, setup flags, the shared
// session and code search objects).
namespace modSysConstants {

// The department code written to the session before sign-in: the DOH reports.
inline const QString kDepartmentCode = QStringLiteral("D");

// Always 2; the third argument of four upload procedures.
extern qint32 plngUploadOption;

extern QString pstrHospitalName;
extern QString pstrHospitalAddress1;
extern QString pstrHospitalAddress2; // never filled: always empty

// From the first row of Patient_Data..tbDOHSetup.
extern bool IsAllowERCases;
extern bool IsAllowConsultationCauses;

// The visibility flags of the report items that have one, by title; set to
// their fixed values by LoadDOHSetupFlags.
extern QHash<QString, bool> pbReportItemFlags;

// The shared session reference (server, user and password for report logon).
extern std::shared_ptr<session::CurrentUser> pobjCurrentUser;
// The code search object (service look-ups of the DOH report setup).
extern std::shared_ptr<codesearch::CodeSearch> pobjCodeSearch;

// Whether the build-file window lists the report item of this title: its
// visibility rule in the catalogue and the flags set by LoadDOHSetupFlags.
bool IsReportItemListed(const QString &title);

// Process entry: sign in, read the hospital, prepare the code search, load
// the setup flags, show the build-file window.
void Main();

// Reads tbDOHSetup and sets the visibility flags.
void LoadDOHSetupFlags();

// Reads the hospital name and address line 1 of the report headers from the
// first row of tbHospitalInfo (null as empty; no row: both empty).
void LoadHospitalHeader(const adodb::ConnectionPtr &connection);

// How Main shows the build-file window on the session's connection (step 11);
// returns once the window has closed. Tests put their own in place; an empty
// function restores the build-file window.
using BuildFileWindowOpener = std::function<void(const adodb::ConnectionPtr &)>;
void setBuildFileWindowOpener(BuildFileWindowOpener opener);

} // namespace modSysConstants
