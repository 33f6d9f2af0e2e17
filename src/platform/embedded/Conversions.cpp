#include "Conversions.h"

#include "adodb/Backend.h"

#include <QRegularExpression>

#include <climits>

namespace embedded::convert {

namespace {

using adodb::BackendError;

// The parts of a bare number as the reader took it: a sign, digits, at most
// one decimal point.
struct Number
{
    bool negative = false;
    QString whole;    // without leading zeros; "0" when there are none left
    QString decimals; // as written; empty without a point or digits after it
    bool isZero() const
    {
        static const QRegularExpression zeros(QStringLiteral("^0*$"));
        return whole == QLatin1String("0") && zeros.match(decimals).hasMatch();
    }
};

Number parts(const QString &written)
{
    Number n;
    QStringView rest(written);
    if (rest.startsWith(QLatin1Char('+')) || rest.startsWith(QLatin1Char('-'))) {
        n.negative = rest.startsWith(QLatin1Char('-'));
        rest = rest.mid(1);
    }
    const qsizetype point = rest.indexOf(QLatin1Char('.'));
    QStringView whole = point < 0 ? rest : rest.left(point);
    while (whole.size() > 1 && whole.startsWith(QLatin1Char('0')))
        whole = whole.mid(1);
    n.whole = whole.isEmpty() ? QStringLiteral("0") : whole.toString();
    if (point >= 0)
        n.decimals = rest.mid(point + 1).toString();
    // The server reads no constant of more digits than its numeric type holds.
    if ((n.whole == QLatin1String("0") ? 0 : n.whole.size()) + n.decimals.size() > 38)
        throw BackendError(
            QStringLiteral("The number '%1' is out of the range for numeric representation (maximum precision 38).")
                .arg(written),
            1007);
    return n;
}

bool isBlank(const QString &text)
{
    for (const QChar c : text)
        if (c != QLatin1Char(' '))
            return false;
    return true;
}

[[noreturn]] void notConverted(const QString &text, const char *type)
{
    throw BackendError(QStringLiteral("Conversion failed when converting the varchar value '%1' to data type %2.")
                           .arg(text, QLatin1String(type)),
                       245);
}

} // namespace

QString toText(const Literal &value)
{
    if (value.isText())
        return value.text.isNull() ? QStringLiteral("") : value.text;
    const Number n = parts(value.text);
    QString text = n.negative && !n.isZero() ? QStringLiteral("-") : QStringLiteral("");
    text += n.whole;
    if (!n.decimals.isEmpty())
        text += QLatin1Char('.') + n.decimals;
    return text;
}

qint64 toInt(const Literal &value, bool cutDecimals, const QString &decimalRefusal)
{
    if (value.isText()) {
        if (isBlank(value.text))
            return 0;
        static const QRegularExpression wholeNumber(QStringLiteral("^ *[+-]?[0-9]+ *$"));
        if (!wholeNumber.match(value.text).hasMatch())
            notConverted(value.text, "int");
        bool ok = false;
        const qint64 n = value.text.trimmed().toLongLong(&ok);
        if (!ok || n < INT_MIN || n > INT_MAX)
            throw BackendError(
                QStringLiteral("The conversion of the varchar value '%1' overflowed an int column.").arg(value.text),
                248);
        return n;
    }
    const Number n = parts(value.text);
    if (!n.decimals.isEmpty() && !cutDecimals)
        throw BackendError(decimalRefusal, 8114);
    bool ok = false;
    const qint64 whole = n.whole.toLongLong(&ok) * (n.negative ? -1 : 1);
    if (!ok || whole < INT_MIN || whole > INT_MAX)
        throw BackendError(QStringLiteral("Arithmetic overflow error converting expression to data type int."), 8115);
    return whole;
}

bool toBit(const Literal &value)
{
    if (!value.isText())
        return !parts(value.text).isZero();
    if (isBlank(value.text))
        return false;
    const QString word = value.text.trimmed();
    if (word.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0)
        return false;
    static const QRegularExpression wholeNumber(QStringLiteral("^ *[+-]?[0-9]+ *$"));
    if (!wholeNumber.match(value.text).hasMatch())
        notConverted(value.text, "bit");
    static const QRegularExpression zero(QStringLiteral("^ *[+-]?0+ *$"));
    return !zero.match(value.text).hasMatch();
}

} // namespace embedded::convert
