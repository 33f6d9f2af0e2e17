#include "Runtime.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <cmath>

namespace com {

QString Trim(const QString &text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start) == QLatin1Char(' '))
        ++start;
    while (end > start && text.at(end - 1) == QLatin1Char(' '))
        --end;
    return text.mid(start, end - start);
}

namespace {

struct ParsedNumber
{
    bool ok = false;
    double value = 0;
};

ParsedNumber parseNumber(const QString &input)
{
    ParsedNumber result;
    QString t = Trim(input);
    if (t.isEmpty())
        return result;

    // Hexadecimal and octal literals.
    if (t.size() > 2 && t.at(0) == QLatin1Char('&')) {
        const QChar kind = t.at(1).toUpper();
        int base = kind == QLatin1Char('H') ? 16 : kind == QLatin1Char('O') ? 8 : 0;
        if (base == 0)
            return result;
        bool ok = false;
        const qlonglong v = t.mid(2).toLongLong(&ok, base);
        if (!ok)
            return result;
        result.ok = true;
        result.value = double(v);
        return result;
    }

    bool negative = false;
    auto takeSign = [&](QChar c) {
        if (c == QLatin1Char('-')) {
            negative = !negative;
            return true;
        }
        return c == QLatin1Char('+');
    };
    if (takeSign(t.front()))
        t = Trim(t.mid(1));
    else if (takeSign(t.back()))
        t = Trim(t.left(t.size() - 1));
    if (t.isEmpty())
        return result;

    static const QRegularExpression shape(QStringLiteral(
        "^(?:[0-9][0-9,]*)?(?:\\.[0-9]*)?(?:[eE][+-]?[0-9]+)?$"));
    if (!shape.match(t).hasMatch())
        return result;
    QString digits = t;
    digits.remove(QLatin1Char(','));
    // At least one digit before the exponent.
    const qsizetype ePos = digits.indexOf(QRegularExpression(QStringLiteral("[eE]")));
    const QString mantissa = ePos < 0 ? digits : digits.left(ePos);
    if (!mantissa.contains(QRegularExpression(QStringLiteral("[0-9]"))))
        return result;
    bool ok = false;
    const double v = digits.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return result;
    result.ok = true;
    result.value = negative ? -v : v;
    return result;
}

} // namespace

bool IsNumeric(const QString &text)
{
    return parseNumber(text).ok;
}

double NumericValue(const QString &text)
{
    return parseNumber(text).value;
}

QString EnglishMonthName(int month)
{
    static const char *names[] = {"January", "February", "March", "April", "May", "June", "July",
                                  "August", "September", "October", "November", "December"};
    if (month < 1 || month > 12)
        return QString();
    return QString::fromLatin1(names[month - 1]);
}

namespace {
QString pad(qint64 v, int width)
{
    return QStringLiteral("%1").arg(v, width, 10, QLatin1Char('0'));
}
} // namespace

QString Format(const QDateTime &value, const QString &pattern)
{
    const QDate d = value.date();
    const QTime t = value.time();
    if (pattern == QLatin1String("mm/dd/yyyy"))
        return pad(d.month(), 2) + QLatin1Char('/') + pad(d.day(), 2) + QLatin1Char('/') + pad(d.year(), 4);
    if (pattern == QLatin1String("yyyy"))
        return pad(d.year(), 4);
    if (pattern == QLatin1String("mmmm dd, yyyy | hh:mm:ss"))
        return EnglishMonthName(d.month()) + QLatin1Char(' ') + pad(d.day(), 2) + QStringLiteral(", ")
            + pad(d.year(), 4) + QStringLiteral(" | ") + pad(t.hour(), 2) + QLatin1Char(':')
            + pad(t.minute(), 2) + QLatin1Char(':') + pad(t.second(), 2);
    if (pattern == QLatin1String("mmmm dd, yyyy"))
        return EnglishMonthName(d.month()) + QLatin1Char(' ') + pad(d.day(), 2) + QStringLiteral(", ")
            + pad(d.year(), 4);
    return value.toString(pattern);
}

QString Format(const QDate &value, const QString &pattern)
{
    return Format(QDateTime(value, QTime(0, 0)), pattern);
}

QString Format(qint64 value, const QString &pattern)
{
    if (!pattern.isEmpty() && pattern.count(QLatin1Char('0')) == pattern.size()) {
        if (value < 0)
            return QLatin1Char('-') + pad(-value, int(pattern.size()));
        return pad(value, int(pattern.size()));
    }
    return QString::number(value);
}

QString Format(const QString &value, const QString &pattern)
{
    if (IsNumeric(value))
        return Format(qint64(std::nearbyint(NumericValue(value))), pattern);
    return value;
}

QDate DateAddMonths(const QDate &date, int months)
{
    // QDate::addMonths already clamps to the month's last day.
    return date.addMonths(months);
}

QDate DateAddDays(const QDate &date, int days)
{
    return date.addDays(days);
}

std::optional<QDateTime> ParseDate(const QString &input)
{
    const QString text = Trim(input);
    QRegularExpressionMatch m;

    static const QRegularExpression mdy(QStringLiteral("^(\\d{1,2})/(\\d{1,2})/(\\d{4})$"));
    if ((m = mdy.match(text)).hasMatch()) {
        const QDate d(m.captured(3).toInt(), m.captured(1).toInt(), m.captured(2).toInt());
        if (d.isValid())
            return QDateTime(d, QTime(0, 0));
        return std::nullopt;
    }
    static const QRegularExpression iso(QStringLiteral(
        "^(\\d{4})-(\\d{2})-(\\d{2})(?:[ T](\\d{2}):(\\d{2})(?::(\\d{2})(?:\\.(\\d{1,3}))?)?)?$"));
    if ((m = iso.match(text)).hasMatch()) {
        const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        const QTime t(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt(),
                      m.captured(7).leftJustified(3, QLatin1Char('0')).toInt());
        if (d.isValid() && t.isValid())
            return QDateTime(d, t);
        return std::nullopt;
    }
    // "3 01, 2024" and "March 01, 2024".
    static const QRegularExpression spoken(QStringLiteral("^([A-Za-z]+|\\d{1,2}) (\\d{1,2}), (\\d{4})$"));
    if ((m = spoken.match(text)).hasMatch()) {
        int month = 0;
        bool numeric = false;
        month = m.captured(1).toInt(&numeric);
        if (!numeric) {
            for (int i = 1; i <= 12; ++i) {
                const QString name = EnglishMonthName(i);
                if (name.compare(m.captured(1), Qt::CaseInsensitive) == 0
                    || name.left(3).compare(m.captured(1), Qt::CaseInsensitive) == 0)
                    month = i;
            }
        }
        const QDate d(m.captured(3).toInt(), month, m.captured(2).toInt());
        if (d.isValid())
            return QDateTime(d, QTime(0, 0));
    }
    return std::nullopt;
}

namespace App {

QString Title()
{
    return QStringLiteral("ORVANT DOH");
}
int Major()
{
    return VELMORA_VERSION_MAJOR;
}
int Minor()
{
    return VELMORA_VERSION_MINOR;
}
int Revision()
{
    return VELMORA_VERSION_PATCH;
}
QString Path()
{
    return QCoreApplication::applicationDirPath();
}

} // namespace App

} // namespace com
