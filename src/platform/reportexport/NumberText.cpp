#include "NumberText.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace reportexport {

QString formatNumber(double value, const QString &numberFormat)
{
    if (!std::isfinite(value))
        return QString();
    static const QRegularExpression simple(QStringLiteral("^(#,##)?0+(?:\\.(0+))?(%)?$"));
    const QRegularExpressionMatch m = simple.match(numberFormat);
    if (!m.hasMatch()) {
        if (value == std::trunc(value) && std::fabs(value) < 1e15)
            return QString::number(qint64(value));
        return QString::number(value, 'g', 15);
    }
    const bool grouped = m.capturedLength(1) > 0;
    const int decimals = int(m.capturedLength(2));
    const bool percent = m.capturedLength(3) > 0;
    QString text = QString::number(percent ? value * 100 : value, 'f', decimals);
    const bool negative = text.startsWith(u'-');
    if (negative)
        text.remove(0, 1);
    if (grouped) {
        qsizetype intEnd = text.indexOf(u'.');
        if (intEnd < 0)
            intEnd = text.size();
        for (qsizetype at = intEnd - 3; at > 0; at -= 3)
            text.insert(at, u',');
    }
    // A value that rounds to zero prints without a sign, as the report does.
    const bool allZero = std::none_of(text.cbegin(), text.cend(), [](QChar c) { return c >= u'1' && c <= u'9'; });
    if (negative && !allZero)
        text.prepend(u'-');
    if (percent)
        text.append(u'%');
    return text;
}

} // namespace reportexport
