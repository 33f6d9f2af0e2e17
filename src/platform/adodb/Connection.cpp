#include "Connection.h"

#include "com/ComError.h"

namespace adodb {

Connection::Connection(std::unique_ptr<Backend> backend)
    : m_backend(std::move(backend))
{
}

Connection::~Connection() = default;

void Connection::Open(std::unique_ptr<Backend> backend)
{
    m_backend = std::move(backend);
}

void Connection::Close()
{
    m_backend.reset();
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
        throw com::ComError(com::errors::ObjectClosed,
                            QStringLiteral("Operation is not allowed when the object is closed."),
                            QStringLiteral("ADODB.Connection"));
    try {
        if (m_interceptor)
            m_interceptor(text);
        return m_backend->run(text);
    } catch (const BackendError &e) {
        throw com::ComError(com::errors::ProviderError, e.message(), m_backend->sourceName());
    }
}

} // namespace adodb
