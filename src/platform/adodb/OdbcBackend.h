#pragma once

#include "Backend.h"

#include <QString>

namespace adodb {

// A site's SQL Server reached through Qt's ODBC driver (unixODBC + FreeTDS on
// Linux). Statement texts pass unchanged, with direct execution.
struct SqlServerLogon
{
    QString server;   // host[,port] or host\instance
    QString database; // the login's starting database
    QString user;
    QString password; // held in memory only
    QString driver = QStringLiteral("FreeTDS");
    int loginTimeout = 15;
};

class OdbcBackend : public Backend
{
public:
    explicit OdbcBackend(const SqlServerLogon &logon);
    ~OdbcBackend() override;

    ResultSet run(const QString &text) override;
    QString sourceName() const override { return QStringLiteral("Microsoft OLE DB Provider for SQL Server"); }

private:
    QString m_connectionName;
};

} // namespace adodb
