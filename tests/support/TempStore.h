#pragma once

#include "adodb/Connection.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace embedded {
class Store;
}

namespace testing_support {

// A fresh embedded store in a temporary folder, with a connection to it.
class TempStore
{
public:
    TempStore();
    ~TempStore();

    QString folder() const { return m_dir.path() + QStringLiteral("/store"); }
    // A connection to the store (each call opens a new one).
    adodb::ConnectionPtr connect() const;
    // Direct SQL on the store, for arranging and checking data.
    embedded::Store &store();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<embedded::Store> m_store;
};

} // namespace testing_support
