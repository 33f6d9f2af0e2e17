#pragma once

#include "codesearch/CodeSearch.h"
#include "session/CurrentUser.h"

#include <QStringList>

#include <memory>

namespace startup_tests {

// A session that signs in (or not) as scripted and records what start-up asked of it.
class ScriptedSession : public session::CurrentUser
{
public:
    explicit ScriptedSession(adodb::ConnectionPtr connection, com::Variant connectedAfterShowMain)
        : m_connection(std::move(connection)), m_afterShowMain(std::move(connectedAfterShowMain))
    {
    }

    adodb::ConnectionPtr sqlconnection() override
    {
        calls.append(QStringLiteral("sqlconnection"));
        return m_connection;
    }
    void setPasswordDeptCode(const QString &code) override
    {
        calls.append(QStringLiteral("PasswordDeptCode=") + code);
        m_code = code;
    }
    QString PasswordDeptCode() const override { return m_code; }
    void ShowMain() override
    {
        calls.append(QStringLiteral("ShowMain timeout=%1").arg(m_connection->ConnectionTimeout()));
        m_connected = m_afterShowMain;
    }
    com::Variant Connected() const override { return m_connected; }
    QString ServerName() const override { return QStringLiteral("server"); }
    QString UserID() const override { return QStringLiteral("user"); }
    QString ServerPassword() const override { return QString(); }

    QStringList calls;

private:
    adodb::ConnectionPtr m_connection;
    com::Variant m_afterShowMain;
    com::Variant m_connected;
    QString m_code;
};

class ScriptedCodeSearch : public codesearch::CodeSearch
{
public:
    void setSearchMode(bool value) override
    {
        calls.append(QStringLiteral("SearchMode=") + (value ? QStringLiteral("True") : QStringLiteral("False")));
        m_mode = value;
    }
    bool SearchMode() const override { return m_mode; }
    void Initialize_Classes() override { calls.append(QStringLiteral("Initialize_Classes")); }
    void setConnection(const adodb::ConnectionPtr &connection) override
    {
        calls.append(QStringLiteral("Connection"));
        connectionGiven = connection;
    }
    com::Variant SearchListing(qint16, const QString &) override { return com::Variant(false); }
    const codesearch::ServiceRecord &getServiceRecord() const override { return m_record; }

    QStringList calls;
    adodb::ConnectionPtr connectionGiven;

private:
    bool m_mode = false;
    codesearch::ServiceRecord m_record;
};

} // namespace startup_tests
