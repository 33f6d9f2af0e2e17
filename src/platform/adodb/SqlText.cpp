#include "SqlText.h"

namespace adodb {

qsizetype LineContinuationLength(const QString &text, qsizetype position)
{
    if (position >= text.size() || text.at(position) != QLatin1Char('\\'))
        return 0;
    const QStringView rest = QStringView(text).mid(position + 1);
    if (rest.startsWith(QLatin1Char('\n')))
        return 2;
    if (rest.startsWith(QLatin1String("\r\n")))
        return 3;
    return 0;
}

QString SqlText(const QString &value)
{
    QString literal;
    literal.reserve(value.size() + 2);
    literal += QLatin1Char('\'');
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        literal += c;
        if (c == QLatin1Char('\''))
            literal += QLatin1Char('\'');
        else if (LineContinuationLength(value, i) > 0)
            literal += QLatin1String("\\\n");
    }
    literal += QLatin1Char('\'');
    return literal;
}

} // namespace adodb
