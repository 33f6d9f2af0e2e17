#pragma once

#include <QDateTime>
#include <QString>

#include <variant>

namespace com {

// A value or Null, as the desktop runtime's Variant: what a field holds and
// what the report engine's parameter values are. Reading a Null as text or a
// number fails with "Invalid use of Null"; joining it to a text gives "".
class Variant
{
public:
    enum class Type { Null, Text, Integer, Double, Boolean, DateTime };

    Variant() = default; // Null
    Variant(const QString &text) : m_value(text) {}
    Variant(const char16_t *text) : m_value(QString::fromUtf16(text)) {}
    Variant(qint64 value) : m_value(value) {}
    Variant(int value) : m_value(qint64(value)) {}
    Variant(double value) : m_value(value) {}
    Variant(bool value) : m_value(value) {}
    Variant(const QDateTime &value) : m_value(value) {}

    static Variant null() { return Variant(); }

    Type type() const { return Type(m_value.index()); }
    bool isNull() const { return type() == Type::Null; }

    // CStr / CLng / CDbl / CBool / CDate: fail on Null, convert otherwise.
    QString toString() const;
    qint64 toLong() const;
    double toDouble() const;
    bool toBool() const;
    QDateTime toDateTime() const;

    // "" & value: Null gives the empty text.
    QString toText() const { return isNull() ? QString() : toString(); }

    bool operator==(const Variant &other) const { return m_value == other.m_value; }

private:
    std::variant<std::monostate, QString, qint64, double, bool, QDateTime> m_value;
};

} // namespace com
