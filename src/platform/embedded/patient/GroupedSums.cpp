#include "GroupedSums.h"

#include "adodb/Backend.h"

#include <QStringList>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>

namespace embedded::patient::grouped {

using adodb::BackendError;

namespace {

// What a Value's tag says it holds.
enum Tag : quint64 { Null = 0, Integer = 1, Real = 2, Interned = 3, Blob = 4, ShortText = 5 };

// Words of a Value are mixed into one hash.
quint64 mix(quint64 h, quint64 word)
{
    h ^= word + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2);
    h *= 0xff51afd7ed558ccdULL;
    return h ^ (h >> 33);
}

// SQLite's SUM: integers added exactly (failing on overflow), a real, or a
// text that is no integer, makes the sum a real; null when nothing counted.
struct Sum
{
    sqlite3_int64 integer = 0;
    double real = 0;
    sqlite3_int64 count = 0;
    bool approximate = false;
    bool overflow = false;

    // v: the row's value, as read; row and column: where it came from.
    void add(Value v, sqlite3_stmt *row, int column)
    {
        int type = SQLITE_INTEGER;
        sqlite3_int64 whole = 0;
        double other = 0;
        if (v.tag == Null) {
            return;
        } else if (v.tag == Integer) {
            whole = sqlite3_int64(v.bits);
        } else if (v.tag == Real) {
            type = SQLITE_FLOAT;
            std::memcpy(&other, &v.bits, sizeof other);
        } else {
            // A text counts as the number it shows, as SUM takes it.
            sqlite3_value *value = sqlite3_value_dup(sqlite3_column_value(row, column));
            type = sqlite3_value_numeric_type(value);
            if (type == SQLITE_INTEGER)
                whole = sqlite3_value_int64(value);
            else
                other = sqlite3_value_double(value);
            sqlite3_value_free(value);
        }
        ++count;
        if (type == SQLITE_INTEGER) {
            real += double(whole);
            if (!approximate && !overflow && __builtin_add_overflow(integer, whole, &integer))
                approximate = overflow = true;
        } else {
            real += other;
            approximate = true;
        }
    }
    void bindTo(sqlite3_stmt *statement, int index) const
    {
        if (count == 0)
            sqlite3_bind_null(statement, index);
        else if (overflow)
            throw BackendError(QStringLiteral("integer overflow"));
        else if (approximate)
            sqlite3_bind_double(statement, index, real);
        else
            sqlite3_bind_int64(statement, index, integer);
    }
};

} // namespace

// The row being summed: each of its columns read once, however many tables
// use it, and the texts too long to be held in a Value, by number.
class Summing::Row
{
public:
    Row(int columns, int linked)
        : m_cached(std::size_t(2 * columns), 0)
        , m_values(std::size_t(2 * columns))
        , m_linked(linked)
    {}

    void next(sqlite3_stmt *row, const Value *linked)
    {
        m_row = row;
        m_link = linked;
        ++m_generation;
    }

    Value value(int column, bool trimmed)
    {
        if (column == m_linked)
            return *m_link;
        const std::size_t at = std::size_t(2 * column + (trimmed ? 1 : 0));
        if (m_cached[at] != m_generation) {
            m_values[at] = trimmed ? trimmedText(value(column, false)) : read(column);
            m_cached[at] = m_generation;
        }
        return m_values[at];
    }

    // True as a WHERE clause takes a value: a number other than zero.
    bool isTrue(int column)
    {
        const Value v = value(column, false);
        if (v.tag == Null)
            return false;
        if (v.tag == Integer)
            return v.bits != 0;
        return sqlite3_column_double(m_row, column) != 0.0;
    }

    sqlite3_stmt *statement() const { return m_row; }

    void bind(sqlite3_stmt *statement, int index, Value v) const
    {
        const quint64 tag = v.tag & 0xff;
        if (tag == Null) {
            sqlite3_bind_null(statement, index);
        } else if (tag == Integer) {
            sqlite3_bind_int64(statement, index, sqlite3_int64(v.bits));
        } else if (tag == Real) {
            double d;
            std::memcpy(&d, &v.bits, sizeof d);
            sqlite3_bind_double(statement, index, d);
        } else if (tag == ShortText) {
            char text[8];
            std::memcpy(text, &v.bits, sizeof text);
            sqlite3_bind_text(statement, index, text, int(v.tag >> 8), SQLITE_TRANSIENT);
        } else {
            const std::string &bytes = m_texts[std::size_t(v.bits)];
            if (tag == Blob)
                sqlite3_bind_blob(statement, index, bytes.data() + 1, int(bytes.size() - 1), SQLITE_TRANSIENT);
            else
                sqlite3_bind_text(statement, index, bytes.data() + 1, int(bytes.size() - 1), SQLITE_TRANSIENT);
        }
    }

private:
    // A value in two words: integers (and reals that are whole numbers, as
    // SQLite compares them) as themselves, texts of up to eight bytes in
    // place, longer ones and blobs by their number in m_texts.
    Value read(int column)
    {
        switch (sqlite3_column_type(m_row, column)) {
        case SQLITE_NULL:
            return {Null, 0};
        case SQLITE_INTEGER:
            return {Integer, quint64(sqlite3_column_int64(m_row, column))};
        case SQLITE_FLOAT: {
            const double v = sqlite3_column_double(m_row, column);
            if (v >= -9.2e18 && v <= 9.2e18 && double(sqlite3_int64(v)) == v)
                return {Integer, quint64(sqlite3_int64(v))};
            quint64 bits;
            std::memcpy(&bits, &v, sizeof bits);
            return {Real, bits};
        }
        case SQLITE_TEXT:
            return text(reinterpret_cast<const char *>(sqlite3_column_text(m_row, column)),
                        std::size_t(sqlite3_column_bytes(m_row, column)));
        default: {
            const char *blob = static_cast<const char *>(sqlite3_column_blob(m_row, column));
            return {Blob, intern(std::string(blob, std::size_t(sqlite3_column_bytes(m_row, column))), true)};
        }
        }
    }

    Value text(const char *bytes, std::size_t size)
    {
        if (size <= 8) {
            quint64 bits = 0;
            std::memcpy(&bits, bytes, size);
            return {ShortText | (quint64(size) << 8), bits};
        }
        return {Interned, intern(std::string(bytes, size), false)};
    }

    // A text without its trailing blanks; any other value as it is.
    Value trimmedText(Value v)
    {
        std::string bytes;
        if ((v.tag & 0xff) == ShortText) {
            char inPlace[8];
            std::memcpy(inPlace, &v.bits, sizeof inPlace);
            bytes.assign(inPlace, std::size_t(v.tag >> 8));
        } else if (v.tag == Interned) {
            bytes = m_texts[std::size_t(v.bits)].substr(1);
        } else {
            return v;
        }
        while (!bytes.empty() && bytes.back() == ' ')
            bytes.pop_back();
        return text(bytes.data(), bytes.size());
    }

    quint64 intern(std::string bytes, bool blob)
    {
        bytes.insert(bytes.begin(), blob ? 'b' : 't');
        const auto found = m_ids.find(bytes);
        if (found != m_ids.end())
            return found->second;
        m_texts.push_back(bytes);
        return m_ids.emplace(std::move(bytes), m_texts.size() - 1).first->second;
    }

    sqlite3_stmt *m_row = nullptr;
    const Value *m_link = nullptr;
    quint64 m_generation = 0;
    std::vector<quint64> m_cached; // per column, plain and trimmed: the row it was read for
    std::vector<Value> m_values;
    int m_linked;
    std::unordered_map<std::string, quint64> m_ids;
    std::vector<std::string> m_texts;
};

// One working table being filled: its groups in insertion order, found by
// open addressing on their keys' words.
class Summing::Table
{
public:
    Table(const Summary &summary, const QList<const char *> &names, Row &row, int parameter)
        : m_summary(summary)
        , m_row(row)
    {
        for (const char *f : summary.filters)
            m_filters.push_back(columnOf(names, f));
        for (const Key &k : summary.keys) {
            m_keys.push_back(columnOf(names, k.column));
            m_trimmed.push_back(k.trimmed);
            std::vector<sqlite3_int64> starts;
            if (k.ranges) {
                starts.assign(k.ranges->starts.begin(), k.ranges->starts.end());
                if (k.ranges->atParameter)
                    starts.push_back(sqlite3_int64(parameter) + 1);
                std::sort(starts.begin(), starts.end());
            }
            m_starts.push_back(std::move(starts));
        }
        for (const Aggregate &a : summary.aggregates) {
            m_kinds.push_back(a.kind);
            m_columns.push_back(a.column ? columnOf(names, a.column) : -1);
        }
        m_width = 2 * m_keys.size();
        m_key.assign(m_width, 0);
        m_slots.assign(64, -1);
    }

    void add()
    {
        for (const int f : m_filters)
            if (!m_row.isTrue(f))
                return;
        quint64 hash = 0;
        for (std::size_t k = 0; k < m_keys.size(); ++k) {
            const Value v = inRange(m_row.value(m_keys[k], m_trimmed[k]), m_starts[k]);
            m_key[2 * k] = v.tag;
            m_key[2 * k + 1] = v.bits;
            hash = mix(mix(hash, v.tag), v.bits);
        }
        const std::size_t g = groupOf(hash);
        ++m_rows[g];
        for (std::size_t i = 0; i < m_kinds.size(); ++i) {
            if (m_kinds[i] == Kind::Sum) {
                m_sums[g * m_kinds.size() + i].add(m_row.value(m_columns[i], false), m_row.statement(), m_columns[i]);
            } else if (m_kinds[i] == Kind::CountDistinct) {
                const Value v = m_row.value(m_columns[i], false);
                if (v.tag != Null)
                    m_distinct[g * m_kinds.size() + i].push_back(v);
            }
        }
    }

    void write(PreparedStatements &statements) const
    {
        QStringList marks;
        for (qsizetype i = 0; i < m_summary.keys.size() + m_summary.aggregates.size(); ++i)
            marks.append(QStringLiteral("?"));
        Statement insert(statements, QStringLiteral("INSERT INTO temp.%1 VALUES (%2)")
                                         .arg(QLatin1String(m_summary.table), marks.join(QStringLiteral(", "))));
        for (std::size_t g = 0; g < m_rows.size(); ++g) {
            sqlite3_reset(insert.get());
            int index = 1;
            for (std::size_t k = 0; k < m_keys.size(); ++k)
                m_row.bind(insert.get(), index++, {keyOf(g)[2 * k], keyOf(g)[2 * k + 1]});
            for (std::size_t i = 0; i < m_kinds.size(); ++i, ++index) {
                switch (m_kinds[i]) {
                case Kind::Count:
                    sqlite3_bind_int64(insert.get(), index, m_rows[g]);
                    break;
                case Kind::Sum:
                    m_sums[g * m_kinds.size() + i].bindTo(insert.get(), index);
                    break;
                case Kind::CountDistinct: {
                    std::vector<Value> values = m_distinct[g * m_kinds.size() + i];
                    std::sort(values.begin(), values.end(), [](const Value &a, const Value &b) {
                        return a.tag != b.tag ? a.tag < b.tag : a.bits < b.bits;
                    });
                    const auto distinct =
                        std::unique(values.begin(), values.end(),
                                    [](const Value &a, const Value &b) { return a.tag == b.tag && a.bits == b.bits; }) -
                        values.begin();
                    sqlite3_bind_int64(insert.get(), index, sqlite3_int64(distinct));
                    break;
                }
                }
            }
            while (insert.next()) {
            }
        }
    }

private:
    // A whole number as the first of its range, when the key has ranges.
    static Value inRange(Value v, const std::vector<sqlite3_int64> &starts)
    {
        if (starts.empty() || v.tag != Integer)
            return v;
        const sqlite3_int64 number = sqlite3_int64(v.bits);
        const auto after = std::upper_bound(starts.begin(), starts.end(), number);
        const sqlite3_int64 first = after == starts.begin() ? starts.front() - 1 : *(after - 1);
        return {Integer, quint64(first)};
    }

    const quint64 *keyOf(std::size_t g) const { return m_groupKeys.data() + g * m_width; }

    // The group of m_key, made when it is new.
    std::size_t groupOf(quint64 hash)
    {
        std::size_t mask = m_slots.size() - 1;
        std::size_t at = hash & mask;
        while (m_slots[at] >= 0) {
            const std::size_t g = std::size_t(m_slots[at]);
            const quint64 *key = keyOf(g);
            std::size_t w = 0;
            while (w < m_width && key[w] == m_key[w])
                ++w;
            if (w == m_width)
                return g;
            at = (at + 1) & mask;
        }
        const std::size_t g = m_rows.size();
        m_groupKeys.insert(m_groupKeys.end(), m_key.begin(), m_key.end());
        m_hashes.push_back(hash);
        m_rows.push_back(0);
        m_sums.resize(m_sums.size() + m_kinds.size());
        m_distinct.resize(m_distinct.size() + m_kinds.size());
        m_slots[at] = int(g);
        if (2 * m_rows.size() > m_slots.size())
            grow();
        return g;
    }

    void grow()
    {
        m_slots.assign(2 * m_slots.size(), -1);
        const std::size_t mask = m_slots.size() - 1;
        for (std::size_t g = 0; g < m_hashes.size(); ++g) {
            std::size_t at = m_hashes[g] & mask;
            while (m_slots[at] >= 0)
                at = (at + 1) & mask;
            m_slots[at] = int(g);
        }
    }

    const Summary &m_summary;
    Row &m_row;
    std::vector<int> m_filters;
    std::vector<int> m_keys;
    std::vector<bool> m_trimmed;
    std::vector<std::vector<sqlite3_int64>> m_starts; // per key: the starts of its ranges
    std::vector<Kind> m_kinds;
    std::vector<int> m_columns;
    std::size_t m_width = 0;
    std::vector<quint64> m_key;
    std::vector<quint64> m_groupKeys;
    std::vector<quint64> m_hashes;
    std::vector<int> m_slots;
    std::vector<sqlite3_int64> m_rows;
    std::vector<Sum> m_sums;                    // per group, per aggregate
    std::vector<std::vector<Value>> m_distinct; // per group, per aggregate
};

QString createStatement(const Summary &summary)
{
    QStringList columns;
    for (const Key &k : summary.keys)
        columns.append(k.code ? QStringLiteral("%1 COLLATE RTRIM").arg(QLatin1String(k.column))
                              : QLatin1String(k.column));
    for (const Aggregate &a : summary.aggregates)
        columns.append(QLatin1String(a.as));
    return QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS %1 (%2)")
        .arg(QLatin1String(summary.table), columns.join(QStringLiteral(", ")));
}

Statement::Statement(PreparedStatements &statements, const QString &text, const QVariantList &values)
    : m_statements(statements)
    , m_text(text)
    , m_statement(statements.take(text))
{
    try {
        sql::bind(statements.connection(), m_statement, values);
    } catch (...) {
        statements.give(m_text, m_statement);
        throw;
    }
}

Statement::~Statement()
{
    m_statements.give(m_text, m_statement);
}

bool Statement::next()
{
    const int done = sqlite3_step(m_statement);
    if (done == SQLITE_ROW)
        return true;
    if (done != SQLITE_DONE)
        fail();
    return false;
}

void Statement::fail() const
{
    throw BackendError(QString::fromUtf8(sqlite3_errmsg(m_statements.connection())));
}

Value integerOf(sqlite3_stmt *row, int column)
{
    switch (sqlite3_column_type(row, column)) {
    case SQLITE_NULL:
        return {Null, 0};
    case SQLITE_INTEGER:
        return {Integer, quint64(sqlite3_column_int64(row, column))};
    default:
        throw BackendError(QStringLiteral("A shared reading links by a value that is no integer."));
    }
}

Summing::Summing(const QList<Summary> &summaries, const QList<const char *> &names, int linked, int parameter)
    : m_row(std::make_unique<Row>(int(names.size()), linked))
{
    for (const Summary &s : summaries)
        m_tables.push_back(std::make_unique<Table>(s, names, *m_row, parameter));
}

Summing::~Summing() = default;

void Summing::add(sqlite3_stmt *row, const Value *linked)
{
    m_row->next(row, linked);
    for (const auto &t : m_tables)
        t->add();
}

void Summing::write(PreparedStatements &statements) const
{
    for (const auto &t : m_tables)
        t->write(statements);
}

int columnOf(const QList<const char *> &names, const char *name)
{
    for (int i = 0; i < names.size(); ++i)
        if (qstrcmp(names.at(i), name) == 0)
            return i;
    throw BackendError(QStringLiteral("A shared reading has no column %1.").arg(QLatin1String(name)));
}

} // namespace embedded::patient::grouped
