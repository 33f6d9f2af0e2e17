#include "Recordset.h"

#include "com/ComError.h"

namespace adodb {

namespace {
const QString kSource = QStringLiteral("ADODB.Recordset");
}

com::Variant Field::Value() const
{
    return m_owner->valueAt(m_index);
}

void Recordset::Open(const QString &source, Connection &connection, CursorLocationEnum, CursorTypeEnum,
                     LockTypeEnum)
{
    if (m_open)
        throw com::ComError(com::errors::InvalidProcedureCall,
                            QStringLiteral("Operation is not allowed when the object is open."), kSource);
    m_result = connection.run(source);
    m_position = 0;
    m_fields.clear();
    for (int i = 0; i < m_result.columns.size(); ++i)
        m_fields.push_back(Field(this, i, m_result.columns.at(i)));
    m_open = true;
}

void Recordset::Open(const QString &source, const ConnectionPtr &connection, CursorLocationEnum cursorLocation,
                     CursorTypeEnum cursorType, LockTypeEnum lockType)
{
    if (!connection)
        throw com::ComError(com::errors::ObjectRequired, QStringLiteral("Object required"), kSource);
    Open(source, *connection, cursorLocation, cursorType, lockType);
}

void Recordset::Close()
{
    requireOpen();
    m_open = false;
    m_result = ResultSet();
    m_fields.clear();
    m_position = 0;
}

void Recordset::requireOpen() const
{
    if (!m_open)
        throw com::ComError(com::errors::ObjectClosed,
                            QStringLiteral("Operation is not allowed when the object is closed."), kSource);
}

bool Recordset::Eof() const
{
    requireOpen();
    return m_position >= m_result.rows.size();
}

bool Recordset::Bof() const
{
    requireOpen();
    return m_result.rows.isEmpty();
}

void Recordset::MoveNext()
{
    if (Eof())
        throw com::ComError(com::errors::NoCurrentRecord,
                            QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                           "Requested operation requires a current record."),
                            kSource);
    ++m_position;
}

void Recordset::MoveFirst()
{
    requireOpen();
    m_position = 0;
}

long Recordset::RecordCount() const
{
    requireOpen();
    return long(m_result.rows.size());
}

const Field &Recordset::Fields(const QString &name) const
{
    requireOpen();
    for (const Field &f : m_fields) {
        if (f.Name().compare(name, Qt::CaseInsensitive) == 0)
            return f;
    }
    throw com::ComError(com::errors::ItemNotFound,
                        QStringLiteral("Item cannot be found in the collection corresponding to the requested "
                                       "name or ordinal. (field '%1')")
                            .arg(name),
                        kSource);
}

const Field &Recordset::Fields(int index) const
{
    requireOpen();
    if (index < 0 || index >= int(m_fields.size()))
        throw com::ComError(com::errors::ItemNotFound,
                            QStringLiteral("Item cannot be found in the collection corresponding to the "
                                           "requested name or ordinal. (field %1)")
                                .arg(index),
                            kSource);
    return m_fields[size_t(index)];
}

int Recordset::FieldCount() const
{
    requireOpen();
    return int(m_fields.size());
}

com::Variant Recordset::valueAt(int column) const
{
    requireOpen();
    if (m_position >= m_result.rows.size())
        throw com::ComError(com::errors::NoCurrentRecord,
                            QStringLiteral("Either BOF or EOF is True, or the current record has been deleted. "
                                           "Requested operation requires a current record."),
                            kSource);
    return m_result.rows.at(m_position).value(column);
}

} // namespace adodb
