#pragma once

#include <QString>

namespace adodb {

// A T-SQL text literal for a statement built as text: the value between single
// quotes with every quote doubled, so the database receives exactly what was
// typed ("O'Brien" -> 'O''Brien').
inline QString SqlText(const QString &value)
{
    QString doubled = value;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

} // namespace adodb
