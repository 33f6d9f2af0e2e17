#include "TempStore.h"

#include "embedded/EmbeddedBackend.h"
#include "embedded/Store.h"

namespace testing_support {

TempStore::TempStore()
{
    m_store = std::make_unique<embedded::Store>(folder());
}

TempStore::~TempStore() = default;

adodb::ConnectionPtr TempStore::connect() const
{
    return std::make_shared<adodb::Connection>(std::make_unique<embedded::EmbeddedBackend>(folder()));
}

embedded::Store &TempStore::store()
{
    return *m_store;
}

} // namespace testing_support
