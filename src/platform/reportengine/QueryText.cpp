#include "QueryText.h"

#include <QSet>

namespace reportengine {

namespace {

bool wordStart(QChar c)
{
    return c.isLetter() || c == u'_' || c == u'@' || c == u'#';
}

bool wordPart(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'@' || c == u'#' || c == u'$';
}

} // namespace

QueryShape queryShape(const QString &sql)
{
    QueryShape shape;
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c == u'\'' || c == u'"' || c == u'`' || c == u'[') {
            // A doubled closing quote stands for itself inside the quotes.
            const QChar close = c == u'[' ? QChar(u']') : c;
            for (++i; i < n; ++i) {
                if (sql[i] != close)
                    continue;
                if (i + 1 < n && sql[i + 1] == close) {
                    ++i;
                    continue;
                }
                break;
            }
            ++i;
        } else if (c == u'-' && i + 1 < n && sql[i + 1] == u'-') {
            i = sql.indexOf(QLatin1Char('\n'), i);
            if (i < 0)
                i = n;
        } else if (c == u'/' && i + 1 < n && sql[i + 1] == u'*') {
            // Not nested: SQL Server nests block comments, so what it takes
            // for a comment is never read here as less.
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else if (c == u';') {
            shape.rest = sql.mid(i + 1).trimmed();
            break;
        } else if (wordStart(c)) {
            qsizetype j = i + 1;
            while (j < n && wordPart(sql[j]))
                ++j;
            shape.words.append(sql.mid(i, j - i).toUpper());
            i = j;
        } else if (c.isDigit()) {
            // A number such as 1e5 or 0x1F is not a word.
            while (i < n && (wordPart(sql[i]) || sql[i] == u'.'))
                ++i;
        } else {
            ++i;
        }
    }
    return shape;
}

QString writingWord(const QueryShape &shape)
{
    static const QSet<QString> writing = {
        QStringLiteral("INSERT"),         QStringLiteral("UPDATE"),     QStringLiteral("DELETE"),
        QStringLiteral("MERGE"),          QStringLiteral("INTO"),       QStringLiteral("EXEC"),
        QStringLiteral("EXECUTE"),        QStringLiteral("DROP"),       QStringLiteral("CREATE"),
        QStringLiteral("ALTER"),          QStringLiteral("TRUNCATE"),   QStringLiteral("GRANT"),
        QStringLiteral("REVOKE"),         QStringLiteral("DENY"),       QStringLiteral("BEGIN"),
        QStringLiteral("COMMIT"),         QStringLiteral("ROLLBACK"),   QStringLiteral("SAVE"),
        QStringLiteral("DECLARE"),        QStringLiteral("SET"),        QStringLiteral("USE"),
        QStringLiteral("DBCC"),           QStringLiteral("BACKUP"),     QStringLiteral("RESTORE"),
        QStringLiteral("KILL"),           QStringLiteral("SHUTDOWN"),   QStringLiteral("RECONFIGURE"),
        QStringLiteral("CHECKPOINT"),     QStringLiteral("OPENROWSET"), QStringLiteral("OPENQUERY"),
        QStringLiteral("OPENDATASOURCE"), QStringLiteral("BULK"),       QStringLiteral("WAITFOR"),
        QStringLiteral("WRITETEXT"),      QStringLiteral("UPDATETEXT"), QStringLiteral("SETUSER"),
        QStringLiteral("REVERT"),         QStringLiteral("ENABLE"),     QStringLiteral("DISABLE"),
        QStringLiteral("RECEIVE"),        QStringLiteral("SEND"),
    };
    for (const QString &word : shape.words)
        if (writing.contains(word))
            return word;
    return QString();
}

} // namespace reportengine
