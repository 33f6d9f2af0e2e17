#pragma once

#include "fixtures/VisitsData.h"
#include "session/CurrentUser.h"
#include "support/TempStore.h"

#include <QString>
#include <QTemporaryDir>

namespace testing_support {

using testdata::writeReportFile;

// testdata::createVisits on the temporary store.
inline void createVisits(TempStore &store, int rows)
{
    testdata::createVisits(store.store(), rows);
}

// A report of tbVisits grouped by Service, with page header, detail, group
// footer totals, report footer and "Page N of M". location names the table.
QString visitsReportXml(const QString &location, const QString &extraSections = QString(),
                        const QString &groupAttributes = QString());

// The session with the server, user and password report tables log on with.
class FakeCurrentUser : public session::CurrentUser
{
public:
    QString server, user = QStringLiteral("records"), password = QStringLiteral("s3cret");
    adodb::ConnectionPtr sqlconnection() override { return nullptr; }
    void setPasswordDeptCode(const QString &) override {}
    QString PasswordDeptCode() const override { return QString(); }
    void ShowMain() override {}
    com::Variant Connected() const override { return true; }
    QString ServerName() const override { return server; }
    QString UserID() const override { return user; }
    QString ServerPassword() const override { return password; }
};

// The text of a PDF file as pdftotext reads it (layout kept).
QString pdfText(const QString &path);

} // namespace testing_support
