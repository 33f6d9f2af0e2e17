#include "Connection.h"

#include "com/ComError.h"

namespace adodb {

Connection::Connection(std::unique_ptr<Backend> backend)
    : m_backend(std::move(backend))
{}

Connection::~Connection() = default;

namespace {

const QString kSource = QStringLiteral("ADODB.Connection");

[[noreturn]] void closedObject()
{
    throw com::ComError(com::errors::ObjectClosed,
                        QStringLiteral("Operation is not allowed when the object is closed."), kSource);
}

} // namespace

void Connection::Open(std::unique_ptr<Backend> backend)
{
    m_backend = std::move(backend);
    m_inTransaction = false;
}

void Connection::Close()
{
    // Closing the database connection abandons an open transaction.
    m_backend.reset();
    m_inTransaction = false;
}

long Connection::BeginTrans()
{
    if (!m_backend)
        closedObject();
    if (m_inTransaction)
        throw com::ComError(com::errors::ProviderError,
                            QStringLiteral("A transaction is already open on this connection."), kSource);
    try {
        m_backend->beginTransaction();
    } catch (const BackendError &e) {
        throw com::ComError(com::errors::ProviderError, e.message(), m_backend->sourceName());
    }
    m_inTransaction = true;
    return 1;
}

void Connection::CommitTrans()
{
    if (!m_backend)
        closedObject();
    if (!m_inTransaction)
        throw com::ComError(com::errors::ProviderError, QStringLiteral("No transaction is active."), kSource);
    try {
        m_backend->commitTransaction();
    } catch (const BackendError &e) {
        throw com::ComError(com::errors::ProviderError, e.message(), m_backend->sourceName());
    }
    m_inTransaction = false;
}

void Connection::RollbackTrans()
{
    if (!m_backend)
        closedObject();
    if (!m_inTransaction)
        throw com::ComError(com::errors::ProviderError, QStringLiteral("No transaction is active."), kSource);
    // Whatever the database answers, nothing of the transaction is kept:
    // the connection no longer takes itself to be inside one.
    m_inTransaction = false;
    try {
        m_backend->rollbackTransaction();
    } catch (const BackendError &e) {
        throw com::ComError(com::errors::ProviderError, e.message(), m_backend->sourceName());
    }
}

void Connection::Execute(const QString &text, long *recordsAffected)
{
    const ResultSet result = run(text);
    if (recordsAffected)
        *recordsAffected = result.rowsAffected;
}

ResultSet Connection::run(const QString &text)
{
    m_log.record(text);
    if (!m_backend)
        closedObject();
    try {
        if (m_interceptor)
            m_interceptor(text);
        return m_backend->run(text);
    } catch (const BackendError &e) {
        throw com::ComError(com::errors::ProviderError, e.message(), m_backend->sourceName());
    }
}

} // namespace adodb
