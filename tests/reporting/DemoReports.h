#pragma once

#include "ReportTestSupport.h"

#include "catalogue/ReportFiles.h"

#include <QDate>
#include <QStringList>

#include <memory>

namespace testing_support {

// The demo hospital on a temporary store with its report setup saved, ready
// for a period's sections to be generated and their reports opened as the
// build-file window opens them (values, header, the session's logon).
class DemoReports
{
public:
    explicit DemoReports(int scale = 1);
    ~DemoReports();

    TempStore &store() { return m_store; }
    adodb::ConnectionPtr connection() const { return m_connection; }

    // Runs every section's upload for the period and records it in the report log.
    void generate(const QDate &first, const QDate &last);
    // Opens the item's report as the current report for the period.
    void open(const catalogue::ReportFile &entry, const QDate &first, const QDate &last);

    static QString text(const QDate &date) { return date.toString(QStringLiteral("MM/dd/yyyy")); }

private:
    TempStore m_store;
    adodb::ConnectionPtr m_connection;
    std::shared_ptr<FakeCurrentUser> m_user;
};

} // namespace testing_support
