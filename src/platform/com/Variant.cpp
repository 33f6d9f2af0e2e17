#include "Variant.h"

#include "ComError.h"
#include "Runtime.h"

#include <cmath>

namespace com {

namespace {
[[noreturn]] void invalidUseOfNull()
{
    throw ComError(errors::InvalidUseOfNull, QStringLiteral("Invalid use of Null"));
}
[[noreturn]] void typeMismatch()
{
    throw ComError(errors::TypeMismatch, QStringLiteral("Type mismatch"));
}
} // namespace

QString Variant::toString() const
{
    switch (type()) {
    case Type::Null:
        invalidUseOfNull();
    case Type::Text:
        return std::get<QString>(m_value);
    case Type::Integer:
        return QString::number(std::get<qint64>(m_value));
    case Type::Double:
        return QString::number(std::get<double>(m_value), 'g', 15);
    case Type::Boolean:
        return std::get<bool>(m_value) ? QStringLiteral("True") : QStringLiteral("False");
    case Type::DateTime: {
        const QDateTime dt = std::get<QDateTime>(m_value);
        if (dt.time() == QTime(0, 0))
            return Format(dt, QStringLiteral("mm/dd/yyyy"));
        return Format(dt, QStringLiteral("mm/dd/yyyy")) + QLatin1Char(' ')
            + dt.time().toString(QStringLiteral("HH:mm:ss"));
    }
    }
    typeMismatch();
}

double Variant::toDouble() const
{
    switch (type()) {
    case Type::Null:
        invalidUseOfNull();
    case Type::Text: {
        const QString text = std::get<QString>(m_value);
        if (!IsNumeric(text))
            typeMismatch();
        return NumericValue(text);
    }
    case Type::Integer:
        return double(std::get<qint64>(m_value));
    case Type::Double:
        return std::get<double>(m_value);
    case Type::Boolean:
        return std::get<bool>(m_value) ? -1.0 : 0.0;
    case Type::DateTime:
        typeMismatch();
    }
    typeMismatch();
}

qint64 Variant::toLong() const
{
    if (type() == Type::Integer)
        return std::get<qint64>(m_value);
    const double d = toDouble();
    // Banker's rounding, as the runtime's integer conversion does.
    return qint64(std::nearbyint(d));
}

bool Variant::toBool() const
{
    switch (type()) {
    case Type::Null:
        invalidUseOfNull();
    case Type::Boolean:
        return std::get<bool>(m_value);
    case Type::Text: {
        const QString t = Trim(std::get<QString>(m_value));
        if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        return toDouble() != 0.0;
    }
    default:
        return toDouble() != 0.0;
    }
}

QDateTime Variant::toDateTime() const
{
    switch (type()) {
    case Type::Null:
        invalidUseOfNull();
    case Type::DateTime:
        return std::get<QDateTime>(m_value);
    case Type::Text: {
        const auto parsed = ParseDate(std::get<QString>(m_value));
        if (!parsed)
            typeMismatch();
        return *parsed;
    }
    default:
        typeMismatch();
    }
}

} // namespace com
