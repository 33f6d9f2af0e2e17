#include "Procedures.h"

#include "com/Runtime.h"

#include <QRegularExpression>

namespace embedded {

Arguments::Arguments(QString procedure, QStringList parameterNames, QList<Literal> values)
    : m_procedure(std::move(procedure))
    , m_names(std::move(parameterNames))
    , m_values(std::move(values))
{
}

QString Arguments::text(qsizetype i) const
{
    return m_values.at(i).text;
}

qint64 Arguments::integer(qsizetype i) const
{
    const Literal &v = m_values.at(i);
    static const QRegularExpression wholeNumber(QStringLiteral("^ *[+-]?[0-9]+ *$"));
    if (wholeNumber.match(v.text).hasMatch()) {
        bool ok = false;
        const qint64 n = v.text.trimmed().toLongLong(&ok);
        if (ok && n >= INT_MIN && n <= INT_MAX)
            return n;
        throw adodb::BackendError(
            QStringLiteral("Arithmetic overflow error converting expression to data type int."), 8115);
    }
    if (v.isText())
        throw adodb::BackendError(
            QStringLiteral("Conversion failed when converting the varchar value '%1' to data type int.").arg(v.text),
            245);
    throw adodb::BackendError(
        QStringLiteral("Error converting data type numeric to int for parameter %1 of '%2'.")
            .arg(m_names.value(i, QString::number(i + 1)), m_procedure),
        8114);
}

QDate Arguments::date(qsizetype i) const
{
    const Literal &v = m_values.at(i);
    if (v.isText()) {
        static const QRegularExpression mdy(QStringLiteral("^ *(\\d{1,2})/(\\d{1,2})/(\\d{4}) *$"));
        static const QRegularExpression ymd(QStringLiteral("^ *(\\d{4})-(\\d{2})-(\\d{2}) *$"));
        QRegularExpressionMatch m = mdy.match(v.text);
        QDate d;
        if (m.hasMatch())
            d = QDate(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
        else if ((m = ymd.match(v.text)).hasMatch())
            d = QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        if (d.isValid() && d.year() >= 1753)
            return d;
    }
    throw adodb::BackendError(
        QStringLiteral("Conversion failed when converting date and/or time from character string."), 241);
}

void ProcedureRegistry::add(Procedure procedure)
{
    const QString key = procedure.database.toLower() + QStringLiteral("..") + procedure.name.toLower();
    m_procedures.insert(key, std::move(procedure));
}

const Procedure *ProcedureRegistry::find(const QString &database, const QString &name) const
{
    const auto it = m_procedures.constFind(database.toLower() + QStringLiteral("..") + name.toLower());
    return it == m_procedures.constEnd() ? nullptr : &*it;
}

QList<const Procedure *> ProcedureRegistry::all() const
{
    QList<const Procedure *> result;
    for (const Procedure &p : m_procedures)
        result.append(&p);
    std::sort(result.begin(), result.end(), [](const Procedure *a, const Procedure *b) {
        return a->database + a->name < b->database + b->name;
    });
    return result;
}

const ProcedureRegistry &ProcedureRegistry::standard()
{
    static const ProcedureRegistry registry = [] {
        ProcedureRegistry r;
        registerCoreProcedures(r);
        registerUserProcedures(r);
        registerUploadProcedures(r);
        registerReportProcedures(r);
        return r;
    }();
    return registry;
}

} // namespace embedded
