#include "EmbeddedBackend.h"

#include "Conversions.h"
#include "Procedures.h"
#include "Store.h"
#include "TSqlReader.h"

#include <QSet>
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

// The owner part of a name, when written, is the server's one schema.
bool isOwnSchema(const ObjectName &name)
{
    return name.owner.isEmpty() || name.owner.compare(QLatin1String("dbo"), Qt::CaseInsensitive) == 0;
}

[[noreturn]] void invalidObject(const ObjectName &table)
{
    throw adodb::BackendError(QStringLiteral("Invalid object name '%1'.").arg(table.written), 208);
}

// The table a statement names, as the store spells it. The users of the
// sign-in (their password hashes) and SQLite's own tables are no objects a
// statement can name: they are for the store alone.
QString visibleTable(const QSqlDatabase &db, const QString &schema, const ObjectName &table)
{
    if (!isOwnSchema(table))
        invalidObject(table);
    QSqlQuery q =
        sql::exec(db,
                  QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE")
                      .arg(schema),
                  {table.name});
    if (!q.next())
        invalidObject(table);
    const QString name = q.value(0).toString();
    if (name.startsWith(QLatin1String("sqlite_"), Qt::CaseInsensitive) ||
        (schema == QLatin1String("PASSWORD") && name.compare(QLatin1String("tbVelmoraUser"), Qt::CaseInsensitive) == 0))
        invalidObject(table);
    return name;
}

struct ColumnInfo
{
    QString name;
    QString declaredType;
};

QList<ColumnInfo> tableColumns(const QSqlDatabase &db, const QString &schema, const QString &table)
{
    QSqlQuery q = sql::exec(db, QStringLiteral("SELECT name, type FROM pragma_table_info(?, ?)"), {table, schema});
    QList<ColumnInfo> columns;
    while (q.next())
        columns.append({q.value(0).toString(), q.value(1).toString()});
    return columns;
}

// The one table the program updates by statement, its key the server numbers.
struct UpdatedTable
{
    const char *schema;
    const char *table;
    const char *identity;
};
constexpr UpdatedTable kUpdatedTables[] = {{"PASSWORD", "tbHospitalInfo2", "HospitalInfoID"}};

const UpdatedTable *updatedTable(const QString &schema, const QString &table)
{
    for (const UpdatedTable &t : kUpdatedTables)
        if (schema == QLatin1String(t.schema) && table == QLatin1String(t.table))
            return &t;
    return nullptr;
}

// A value as its column holds it, converted as the server converts it.
QVariant columnValue(const ColumnInfo &column, const Literal &value)
{
    if (column.declaredType.compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0)
        return convert::toInt(value, true, QString());
    if (column.declaredType.compare(QLatin1String("BIT"), Qt::CaseInsensitive) == 0)
        return convert::toBit(value) ? 1 : 0;
    return convert::toText(value);
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
        // A procedure of another owner (a misspelt database part written as
        // one) is none of the store's.
        const Procedure *procedure =
            isOwnSchema(call->procedure) ? m_registry.find(database, call->procedure.name) : nullptr;
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
            m_store->writeTransaction(procedure->writes, body);
        else
            m_store->readTransaction(body);
        return result;
    }

    if (const auto *select = std::get_if<SelectRead>(&statement)) {
        // The server's limit; SQLite's own is lower, and is never reached:
        // each of the table's columns is read once, however often it is named.
        if (select->columns.size() > 4096)
            throw adodb::BackendError(
                QStringLiteral("The number of elements in the select list exceeds the maximum allowed number of "
                               "4096 elements."),
                1056);
        const QString schema = schemaOf(select->table);
        m_store->readTransaction([&] {
            const QSqlDatabase db = m_store->database();
            const QString table = visibleTable(db, schema, select->table);
            const QList<ColumnInfo> columns = tableColumns(db, schema, table);
            QStringList read;
            QStringList dateColumns;
            QStringList boolColumns;
            QList<qsizetype> picked;
            auto take = [&](const ColumnInfo &c, const QString &as) {
                result.columns.append(as);
                qsizetype at = read.indexOf(c.name);
                if (at < 0) {
                    at = read.size();
                    read.append(c.name);
                    if (c.declaredType.contains(QLatin1String("DATETIME"), Qt::CaseInsensitive))
                        dateColumns.append(c.name);
                    else if (c.declaredType.compare(QLatin1String("BIT"), Qt::CaseInsensitive) == 0)
                        boolColumns.append(c.name);
                }
                picked.append(at);
            };
            if (select->columns == QStringList{QStringLiteral("*")}) {
                for (const ColumnInfo &c : columns)
                    take(c, c.name);
            } else {
                for (const QString &name : select->columns)
                    take(findColumn(columns, name), name);
            }
            QStringList quotedColumns;
            for (const QString &c : read)
                quotedColumns.append(quoted(c));
            QSqlQuery q = sql::exec(db, QStringLiteral("SELECT %1 FROM %2.%3")
                                            .arg(quotedColumns.join(QStringLiteral(", ")), schema, quoted(table)));
            const adodb::ResultSet rows = sql::toResultSet(q, dateColumns, boolColumns);
            for (const QList<com::Variant> &row : rows.rows) {
                QList<com::Variant> values;
                values.reserve(picked.size());
                for (const qsizetype at : picked)
                    values.append(row.at(at));
                result.rows.append(std::move(values));
            }
        });
        return result;
    }

    // The Update form writes the hospital information row and nothing else;
    // it is checked and its values converted before anything is written.
    const auto &update = std::get<AliasedUpdate>(statement);
    const QString schema = schemaOf(update.table);
    QString table;
    QStringList assignments;
    QVariantList values;
    m_store->readTransaction([&] {
        const QSqlDatabase db = m_store->database();
        table = visibleTable(db, schema, update.table);
        const QList<ColumnInfo> columns = tableColumns(db, schema, table);
        // Each column once: at most as many assignments as the table has
        // columns are looked at, however many the statement holds.
        QSet<QString> assigned;
        QList<std::pair<ColumnInfo, Literal>> checked;
        for (const auto &[column, value] : update.assignments) {
            const ColumnInfo &c = findColumn(columns, column);
            if (assigned.contains(c.name))
                throw adodb::BackendError(
                    QStringLiteral("The column name '%1' is specified more than once in the SET clause or column list "
                                   "of an INSERT. A column cannot be assigned more than one value in the same clause. "
                                   "Modify the clause to make sure that a column is updated only once. If this "
                                   "statement updates or inserts columns into a view, column aliasing can conceal "
                                   "the duplication in your code.")
                        .arg(column),
                    264);
            assigned.insert(c.name);
            checked.append({c, value});
        }
        const UpdatedTable *updated = updatedTable(schema, table);
        for (const auto &[column, value] : checked)
            if (updated && column.name == QLatin1String(updated->identity))
                throw adodb::BackendError(QStringLiteral("Cannot update identity column '%1'.").arg(column.name), 8102);
        if (!updated)
            throw adodb::BackendError(
                QStringLiteral("The UPDATE permission was denied on the object '%1', database '%2', schema 'dbo'.")
                    .arg(table, schema),
                229);
        for (const auto &[column, value] : checked) {
            assignments.append(quoted(column.name) + QStringLiteral(" = ?"));
            values.append(columnValue(column, value));
        }
    });
    m_store->writeTransaction({schema}, [&] {
        QSqlQuery q = sql::exec(
            m_store->database(),
            QStringLiteral("UPDATE %1.%2 SET %3").arg(schema, quoted(table), assignments.join(QStringLiteral(", "))),
            values);
        result.rowsAffected = q.numRowsAffected();
    });
    return result;
}

} // namespace embedded
