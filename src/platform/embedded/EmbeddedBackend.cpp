#include "EmbeddedBackend.h"

#include "Procedures.h"
#include "Store.h"
#include "TSqlReader.h"

#include <QSqlQuery>

namespace embedded {

namespace {

const QStringList kDatabases = {QStringLiteral("Patient_Data"), QStringLiteral("PASSWORD"),
                                QStringLiteral("BUILD_FILE")};

QString schemaOf(const ObjectName &name)
{
    const QString database = name.database.isEmpty() ? QStringLiteral("Patient_Data") : name.database;
    for (const QString &known : kDatabases) {
        if (known.compare(database, Qt::CaseInsensitive) == 0)
            return known;
    }
    throw adodb::BackendError(
        QStringLiteral("Database '%1' does not exist. Make sure that the name is entered correctly.").arg(database),
        911);
}

struct ColumnInfo
{
    QString name;
    QString declaredType;
};

// The table's columns, or an "Invalid object name" failure.
QList<ColumnInfo> tableColumns(const QSqlDatabase &db, const QString &schema, const ObjectName &table)
{
    QSqlQuery q = sql::exec(db, QStringLiteral("SELECT name, type FROM pragma_table_info(?, ?)"), {table.name, schema});
    QList<ColumnInfo> columns;
    while (q.next())
        columns.append({q.value(0).toString(), q.value(1).toString()});
    if (columns.isEmpty())
        throw adodb::BackendError(QStringLiteral("Invalid object name '%1'.").arg(table.written), 208);
    return columns;
}

const ColumnInfo &findColumn(const QList<ColumnInfo> &columns, const QString &name)
{
    for (const ColumnInfo &c : columns) {
        if (c.name.compare(name, Qt::CaseInsensitive) == 0)
            return c;
    }
    throw adodb::BackendError(QStringLiteral("Invalid column name '%1'.").arg(name), 207);
}

QString quoted(const QString &identifier)
{
    QString q = identifier;
    q.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + q + QLatin1Char('"');
}

} // namespace

EmbeddedBackend::EmbeddedBackend(const QString &folder)
    : EmbeddedBackend(folder, ProcedureRegistry::standard())
{}

EmbeddedBackend::EmbeddedBackend(const QString &folder, const ProcedureRegistry &registry)
    : m_store(std::make_unique<Store>(folder, Store::OpenMode::MustExist))
    , m_registry(registry)
{}

EmbeddedBackend::~EmbeddedBackend() = default;

void EmbeddedBackend::beginTransaction()
{
    m_store->beginWrite();
}

void EmbeddedBackend::commitTransaction()
{
    m_store->commit();
}

void EmbeddedBackend::rollbackTransaction()
{
    m_store->rollback();
}

adodb::ResultSet EmbeddedBackend::run(const QString &text)
{
    const Statement statement = readStatement(text);
    adodb::ResultSet result;

    if (const auto *call = std::get_if<ProcedureCall>(&statement)) {
        const QString database =
            call->procedure.database.isEmpty() ? QStringLiteral("Patient_Data") : call->procedure.database;
        const Procedure *procedure = m_registry.find(database, call->procedure.name);
        if (!procedure)
            throw adodb::BackendError(
                QStringLiteral("Could not find stored procedure '%1'.").arg(call->procedure.written), 2812);
        const qsizetype given = call->arguments.size();
        const qsizetype required =
            procedure->requiredParameters < 0 ? procedure->parameters.size() : procedure->requiredParameters;
        if (given > procedure->parameters.size())
            throw adodb::BackendError(
                QStringLiteral("Procedure or function %1 has too many arguments specified.").arg(procedure->name),
                8144);
        if (given < required)
            throw adodb::BackendError(
                QStringLiteral("Procedure or function '%1' expects parameter '%2', which was not supplied.")
                    .arg(procedure->name, procedure->parameters.at(given)),
                201);
        const Arguments arguments(procedure->name, procedure->parameters, call->arguments);
        ProcedureContext context{*m_store, m_store->database()};
        auto body = [&] { result = procedure->body(context, arguments); };
        if (procedure->access == Access::Write)
            m_store->writeTransaction(body);
        else
            m_store->readTransaction(body);
        return result;
    }

    if (const auto *select = std::get_if<SelectRead>(&statement)) {
        const QString schema = schemaOf(select->table);
        m_store->readTransaction([&] {
            const QSqlDatabase db = m_store->database();
            const QList<ColumnInfo> columns = tableColumns(db, schema, select->table);
            QStringList selected;
            QStringList dateColumns;
            QStringList boolColumns;
            auto take = [&](const ColumnInfo &c, const QString &as) {
                selected.append(quoted(c.name) + QStringLiteral(" AS ") + quoted(as));
                if (c.declaredType.contains(QLatin1String("DATETIME"), Qt::CaseInsensitive))
                    dateColumns.append(as);
                else if (c.declaredType.compare(QLatin1String("BIT"), Qt::CaseInsensitive) == 0)
                    boolColumns.append(as);
            };
            if (select->columns == QStringList{QStringLiteral("*")}) {
                for (const ColumnInfo &c : columns)
                    take(c, c.name);
            } else {
                for (const QString &name : select->columns)
                    take(findColumn(columns, name), name);
            }
            QSqlQuery q =
                sql::exec(db, QStringLiteral("SELECT %1 FROM %2.%3")
                                  .arg(selected.join(QStringLiteral(", ")), schema, quoted(select->table.name)));
            result = sql::toResultSet(q, dateColumns, boolColumns);
        });
        return result;
    }

    const auto &update = std::get<AliasedUpdate>(statement);
    const QString schema = schemaOf(update.table);
    m_store->writeTransaction([&] {
        const QSqlDatabase db = m_store->database();
        const QList<ColumnInfo> columns = tableColumns(db, schema, update.table);
        QStringList assignments;
        QVariantList values;
        for (const auto &[column, value] : update.assignments) {
            assignments.append(quoted(findColumn(columns, column).name) + QStringLiteral(" = ?"));
            values.append(value.text);
        }
        QSqlQuery q = sql::exec(db,
                                QStringLiteral("UPDATE %1.%2 SET %3")
                                    .arg(schema, quoted(update.table.name), assignments.join(QStringLiteral(", "))),
                                values);
        result.rowsAffected = q.numRowsAffected();
    });
    return result;
}

} // namespace embedded
