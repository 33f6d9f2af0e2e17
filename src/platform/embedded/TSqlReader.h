#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <variant>

namespace embedded {

// A literal argument or assigned value of a statement.
struct Literal
{
    enum class Kind { Text, Number };
    Kind kind = Kind::Text;
    QString text; // a text literal's value (quotes undone; '' gives an empty, not a null, text),
                  // or the number as written
    bool isText() const { return kind == Kind::Text; }
};

// "db..name" or "db.owner.name": the parts as written.
struct ObjectName
{
    QString database; // empty when the name has no database part
    QString owner;
    QString name;
    QString written; // the name as it stood in the statement
};

struct ProcedureCall
{
    ObjectName procedure;
    QList<Literal> arguments;
};

struct SelectRead
{
    QStringList columns; // as written; {"*"} for all columns
    ObjectName table;
};

struct AliasedUpdate
{
    QString alias;
    QList<QPair<QString, Literal>> assignments; // column (alias stripped), value
    ObjectName table;
};

using Statement = std::variant<ProcedureCall, SelectRead, AliasedUpdate>;

// Reads exactly the statement forms the program sends: a procedure call with
// literal arguments (optional EXEC), "SELECT cols FROM db..table", and
// "Update A Set A.col = '...', ... From db..table A". Text literals read as
// SQL Server reads them: a doubled quote is one quote, and a backslash right
// before a line break is a line continuation that drops out with the break.
// A bare number is digits with at most one decimal point and a sign.
// Anything else fails with a BackendError in SQL Server's words ("Incorrect
// syntax near '...'.").
Statement readStatement(const QString &text);

} // namespace embedded
