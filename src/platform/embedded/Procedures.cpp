#include "Procedures.h"

#include "Conversions.h"

#include "com/Runtime.h"

#include <QRegularExpression>

namespace embedded {

Arguments::Arguments(QString procedure, QStringList parameterNames, QList<Literal> values)
    : m_procedure(std::move(procedure))
    , m_names(std::move(parameterNames))
    , m_values(std::move(values))
{}

QString Arguments::text(qsizetype i) const
{
    return convert::toText(m_values.at(i));
}

qint64 Arguments::integer(qsizetype i) const
{
    return convert::toInt(m_values.at(i), false,
                          QStringLiteral("Error converting data type numeric to int for parameter %1 of '%2'.")
                              .arg(m_names.value(i, QString::number(i + 1)), m_procedure));
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
    std::sort(result.begin(), result.end(),
              [](const Procedure *a, const Procedure *b) { return a->database + a->name < b->database + b->name; });
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
        registerCheckProcedures(r);
        registerRecordProcedures(r);
        return r;
    }();
    return registry;
}

} // namespace embedded
