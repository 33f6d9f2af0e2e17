#pragma once

#include "adodb/Connection.h"
#include "com/CreateObject.h"
#include "com/Variant.h"

#include <QString>

namespace codesearch {

inline const QString kProgID = QStringLiteral("CodeSearchForm.clsCodeSearch");

// The record a search picked.
struct ServiceRecord
{
    com::Variant ResultCode;
    com::Variant Service;
};

// The suite's code search component (CodeSearchForm.clsCodeSearch): a modal
// look-up list; listing 9 lists the hospital's services.
class CodeSearch : public com::ComObject
{
public:
    virtual void setSearchMode(bool value) = 0;
    virtual bool SearchMode() const = 0;
    virtual void Initialize_Classes() = 0;
    virtual void setConnection(const adodb::ConnectionPtr &connection) = 0;
    // Opens the listing; true (as a Variant, which may be Null) when the user picked a record.
    virtual com::Variant SearchListing(qint16 listing, const QString &filter) = 0;
    virtual const ServiceRecord &getServiceRecord() const = 0;
};

} // namespace codesearch
