#pragma once

#include "Connection.h"

#include "com/Variant.h"

#include <QString>

#include <memory>
#include <vector>

namespace adodb {

class Recordset;

// One column of the current record.
class Field
{
public:
    const QString &Name() const { return m_name; }
    // The value of the current record; Null stays Null.
    com::Variant Value() const;

private:
    friend class Recordset;
    Field(const Recordset *owner, int index, QString name) : m_owner(owner), m_index(index), m_name(std::move(name)) {}
    const Recordset *m_owner;
    int m_index;
    QString m_name;
};

// Rows of one statement, held in memory (client-side cursor). EOF is spelled
// Eof() here: EOF is a macro of the C library.
class Recordset
{
public:
    Recordset() = default;
    Recordset(const Recordset &) = delete;
    Recordset &operator=(const Recordset &) = delete;

    void Open(const QString &source, Connection &connection, CursorLocationEnum cursorLocation = adUseClient,
              CursorTypeEnum cursorType = adOpenForwardOnly, LockTypeEnum lockType = adLockReadOnly);
    void Open(const QString &source, const ConnectionPtr &connection,
              CursorLocationEnum cursorLocation = adUseClient, CursorTypeEnum cursorType = adOpenForwardOnly,
              LockTypeEnum lockType = adLockReadOnly);
    void Close();
    ObjectStateEnum State() const { return m_open ? adStateOpen : adStateClosed; }

    bool Eof() const;
    bool Bof() const;
    void MoveNext();
    void MoveFirst();
    long RecordCount() const;

    // Field by name (case-insensitive, as ADO): an unknown name fails with an
    // error naming it.
    const Field &Fields(const QString &name) const;
    const Field &Fields(int index) const;
    int FieldCount() const;

private:
    friend class Field;
    void requireOpen() const;
    com::Variant valueAt(int column) const;

    bool m_open = false;
    ResultSet m_result;
    long m_position = 0;
    std::vector<Field> m_fields;
};

} // namespace adodb
