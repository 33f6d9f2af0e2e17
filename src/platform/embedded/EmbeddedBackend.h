#pragma once

#include "adodb/Backend.h"

#include <QString>

#include <memory>

namespace embedded {

class Store;
class ProcedureRegistry;

// The embedded store behind a Connection: reads each statement text and
// runs it as the matching stored procedure or read, in its own transaction
// or inside the one the connection began.
class EmbeddedBackend : public adodb::Backend
{
public:
    explicit EmbeddedBackend(const QString &folder);
    EmbeddedBackend(const QString &folder, const ProcedureRegistry &registry);
    ~EmbeddedBackend() override;

    adodb::ResultSet run(const QString &text) override;
    QString sourceName() const override { return QStringLiteral("Velmora embedded store"); }
    // The store's write transaction, spanning every statement until commit.
    void beginTransaction() override;
    void commitTransaction() override;
    void rollbackTransaction() override;

    Store &store() { return *m_store; }

private:
    std::unique_ptr<Store> m_store;
    const ProcedureRegistry &m_registry;
};

} // namespace embedded
