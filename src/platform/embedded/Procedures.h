#pragma once

#include "Store.h"
#include "TSqlReader.h"

#include "adodb/Backend.h"

#include <QDate>
#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace embedded {

// The arguments of one procedure call, converted as SQL Server converts a
// literal to a parameter's type; a value that does not convert fails with
// SQL Server's conversion message.
class Arguments
{
public:
    Arguments(QString procedure, QStringList parameterNames, QList<Literal> values);

    qsizetype count() const { return m_values.size(); }
    const Literal &at(qsizetype i) const { return m_values.at(i); }

    // As a varchar parameter takes it: an empty literal is an empty text, a
    // bare number the text the server makes of it.
    QString text(qsizetype i) const;
    // As an int parameter takes it: blanks only are 0, a number with
    // decimals is refused.
    qint64 integer(qsizetype i) const;
    // A date sent as mm/dd/yyyy (or yyyy-mm-dd).
    QDate date(qsizetype i) const;

private:
    QString m_procedure;
    QStringList m_names;
    QList<Literal> m_values;
};

enum class Access { Read, Write };

// What a procedure works with: the store, inside the procedure's own transaction.
struct ProcedureContext
{
    Store &store;
    QSqlDatabase db;
};

using ProcedureBody = std::function<adodb::ResultSet(ProcedureContext &, const Arguments &)>;

struct Procedure
{
    QString database;            // "Patient_Data", "BUILD_FILE", ...
    QString name;                // as SQL Server would list it
    QStringList parameters;      // "@FromDate", ... in order
    int requiredParameters = -1; // -1: all of them
    Access access = Access::Read;
    ProcedureBody body;
    // The files a writer changes, by their database names: its transaction
    // locks and commits only those (a commit of one file needs no
    // super-journal). Empty: any file of the store.
    QStringList writes = {};
};

// The store's stored procedures by database and name (case-insensitive).
class ProcedureRegistry
{
public:
    void add(Procedure procedure);
    const Procedure *find(const QString &database, const QString &name) const;
    QList<const Procedure *> all() const;

    // Every procedure the store offers.
    static const ProcedureRegistry &standard();

private:
    QHash<QString, Procedure> m_procedures;
};

// Registration of each group of procedures (one source file each).
void registerCoreProcedures(ProcedureRegistry &registry);
void registerUserProcedures(ProcedureRegistry &registry);
void registerUploadProcedures(ProcedureRegistry &registry);
void registerReportProcedures(ProcedureRegistry &registry);
void registerCheckProcedures(ProcedureRegistry &registry);
void registerRecordProcedures(ProcedureRegistry &registry);

} // namespace embedded
