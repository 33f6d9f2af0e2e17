#pragma once

#include "Backend.h"

#include <QStringList>

#include <functional>
#include <memory>

namespace adodb {

enum CursorLocationEnum { adUseServer = 2, adUseClient = 3 };
enum CursorTypeEnum { adOpenForwardOnly = 0, adOpenKeyset = 1, adOpenDynamic = 2, adOpenStatic = 3 };
enum LockTypeEnum { adLockReadOnly = 1, adLockPessimistic = 2, adLockOptimistic = 3 };
enum ObjectStateEnum { adStateClosed = 0, adStateOpen = 1 };

// Every statement text a connection sent, in order, exactly as sent.
class StatementLog
{
public:
    const QStringList &statements() const { return m_statements; }
    void clear() { m_statements.clear(); }
    void record(const QString &text) { m_statements.append(text); }

private:
    QStringList m_statements;
};

// The shared database connection (ADO's Connection). Execute runs a statement
// for its effect; Recordset::Open reads rows through the same place, run(),
// which logs the exact text and turns database failures into ComError.
class Connection
{
public:
    Connection() = default;
    explicit Connection(std::unique_ptr<Backend> backend);
    ~Connection();

    void Open(std::unique_ptr<Backend> backend);
    void Close();
    ObjectStateEnum State() const { return m_backend ? adStateOpen : adStateClosed; }

    // Runs a statement as command text; results are ignored.
    void Execute(const QString &text, long *recordsAffected = nullptr);

    // ADO's transaction calls: the statements sent after BeginTrans take
    // effect together at CommitTrans, or not at all after RollbackTrans. One
    // level only (BeginTrans answers 1); a commit that fails leaves the
    // transaction open for RollbackTrans. They are calls, not statement
    // texts, so the statement log does not show them.
    long BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool inTransaction() const { return m_inTransaction; }

    int ConnectionTimeout() const { return m_connectionTimeout; }
    void setConnectionTimeout(int seconds) { m_connectionTimeout = seconds; }

    StatementLog &statementLog() { return m_log; }
    const StatementLog &statementLog() const { return m_log; }

    // The one place every statement passes.
    ResultSet run(const QString &text);

    // Lets a test fail a chosen statement as the database would.
    using Interceptor = std::function<void(const QString &text)>;
    void setInterceptor(Interceptor interceptor) { m_interceptor = std::move(interceptor); }

    Backend *backend() const { return m_backend.get(); }

private:
    std::unique_ptr<Backend> m_backend;
    StatementLog m_log;
    Interceptor m_interceptor;
    int m_connectionTimeout = 15;
    bool m_inTransaction = false;
};

using ConnectionPtr = std::shared_ptr<Connection>;

} // namespace adodb
