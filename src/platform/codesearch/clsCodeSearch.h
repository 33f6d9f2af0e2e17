#pragma once

#include "CodeSearch.h"

#include <functional>

namespace codesearch {

class CodeSearchDialog;

// The code search component: SearchListing opens a modal look-up list over
// the connection's table of that listing. Only listing 9, the hospital's
// services (BUILD_FILE..tbCoService), is offered.
class clsCodeSearch : public CodeSearch
{
public:
    static constexpr qint16 kServiceListing = 9;

    void setSearchMode(bool value) override { m_searchMode = value; }
    bool SearchMode() const override { return m_searchMode; }
    void Initialize_Classes() override;
    void setConnection(const adodb::ConnectionPtr &connection) override { m_connection = connection; }
    adodb::ConnectionPtr connection() const { return m_connection; }
    com::Variant SearchListing(qint16 listing, const QString &filter) override;
    const ServiceRecord &getServiceRecord() const override { return m_serviceRecord; }

    // Called with the dialog just before it is shown (a seam for tests).
    void setDialogHook(std::function<void(CodeSearchDialog &)> hook) { m_dialogHook = std::move(hook); }

private:
    bool m_searchMode = false;
    adodb::ConnectionPtr m_connection;
    ServiceRecord m_serviceRecord;
    std::function<void(CodeSearchDialog &)> m_dialogHook;
};

// Registers the code search component under its ProgID.
void RegisterComponents();

} // namespace codesearch
