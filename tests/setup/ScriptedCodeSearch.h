#pragma once

#include "codesearch/CodeSearch.h"

#include <QList>

#include <deque>
#include <utility>

// A code search that answers from a script: each SearchListing returns the
// next scripted result (true, false or Null) and, for a pick, makes the
// scripted record the service record. Calls are recorded.
class ScriptedCodeSearch : public codesearch::CodeSearch
{
public:
    struct Call
    {
        qint16 listing;
        QString filter;
    };

    void pick(const com::Variant &code, const com::Variant &service)
    {
        m_script.push_back({com::Variant(true), codesearch::ServiceRecord{code, service}});
    }
    void dismiss(const com::Variant &result = com::Variant(false)) { m_script.push_back({result, {}}); }

    void setSearchMode(bool value) override { m_searchMode = value; }
    bool SearchMode() const override { return m_searchMode; }
    void Initialize_Classes() override {}
    void setConnection(const adodb::ConnectionPtr &connection) override { m_connection = connection; }

    com::Variant SearchListing(qint16 listing, const QString &filter) override
    {
        m_calls.append({listing, filter});
        if (m_script.empty())
            return com::Variant(false);
        auto [result, record] = m_script.front();
        m_script.pop_front();
        if (!result.isNull() && result.toBool())
            m_record = record;
        return result;
    }
    const codesearch::ServiceRecord &getServiceRecord() const override { return m_record; }

    const QList<Call> &calls() const { return m_calls; }

private:
    bool m_searchMode = false;
    adodb::ConnectionPtr m_connection;
    std::deque<std::pair<com::Variant, codesearch::ServiceRecord>> m_script;
    codesearch::ServiceRecord m_record;
    QList<Call> m_calls;
};
