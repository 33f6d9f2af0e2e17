#include "clsCodeSearch.h"

#include "CodeSearchDialog.h"

#include "adodb/Recordset.h"
#include "com/ComError.h"

#include <QApplication>

#include <algorithm>

namespace codesearch {

namespace {

const QString kSource = QStringLiteral("CodeSearchForm.clsCodeSearch");

// Service codes are numbers written as text: order them as numbers where they are.
bool codeBefore(const CodeRow &a, const CodeRow &b)
{
    bool aNumber = false;
    bool bNumber = false;
    const qlonglong x = a.code.toLongLong(&aNumber);
    const qlonglong y = b.code.toLongLong(&bNumber);
    if (aNumber && bNumber && x != y)
        return x < y;
    if (aNumber != bNumber)
        return aNumber;
    return a.code < b.code;
}

} // namespace

void clsCodeSearch::Initialize_Classes()
{
    m_serviceRecord = ServiceRecord();
}

com::Variant clsCodeSearch::SearchListing(qint16 listing, const QString &filter)
{
    m_serviceRecord = ServiceRecord();
    if (listing != kServiceListing)
        throw com::ComError(com::errors::InvalidProcedureCall,
                            QStringLiteral("The code search has no listing %1; listing 9 lists the services.")
                                .arg(listing),
                            kSource);
    if (!m_connection)
        throw com::ComError(com::errors::ObjectRequired,
                            QStringLiteral("The code search has no connection to search in."), kSource);

    QList<CodeRow> rows;
    adodb::Recordset rs;
    rs.Open(QStringLiteral("SELECT ServiceCode, Service FROM BUILD_FILE..tbCoService"), m_connection);
    while (!rs.Eof()) {
        rows.append({rs.Fields(QStringLiteral("ServiceCode")).Value().toText(),
                     rs.Fields(QStringLiteral("Service")).Value().toText()});
        rs.MoveNext();
    }
    rs.Close();
    std::stable_sort(rows.begin(), rows.end(), codeBefore);

    CodeSearchDialog dialog(QStringLiteral("Services"), rows, filter, QApplication::activeWindow());
    if (m_dialogHook)
        m_dialogHook(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return com::Variant(false);
    m_serviceRecord.ResultCode = com::Variant(dialog.picked().code);
    m_serviceRecord.Service = com::Variant(dialog.picked().description);
    return com::Variant(true);
}

void RegisterComponents()
{
    com::RegisterProgID(kProgID, [] { return std::make_shared<clsCodeSearch>(); });
}

} // namespace codesearch
