#include "TSqlReader.h"

#include "adodb/Backend.h"
#include "adodb/SqlText.h"

namespace embedded {

namespace {

struct Token
{
    enum class Kind { Name, Text, Number, Dot, Comma, Star, Equals, Unclosed, End };
    Kind kind;
    QString text;
    QString written;
};

[[noreturn]] void syntaxError(const QString &near)
{
    throw adodb::BackendError(QStringLiteral("Incorrect syntax near '%1'.").arg(near), 102);
}

QList<Token> tokenize(const QString &text)
{
    QList<Token> tokens;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto isNameStart = [](QChar c) {
        return c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('#') || c == QLatin1Char('@');
    };
    auto isNamePart = [](QChar c) {
        return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('#') || c == QLatin1Char('@') ||
               c == QLatin1Char('$');
    };
    while (i < n) {
        const QChar c = text.at(i);
        if (c.isSpace()) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        if ((c == QLatin1Char('N') || c == QLatin1Char('n')) && i + 1 < n && text.at(i + 1) == QLatin1Char('\'')) {
            ++i; // N'...' is a Unicode literal; every text here is Unicode already
        }
        if (text.at(i) == QLatin1Char('\'')) {
            // '' is an empty text, which is no Null: a null QString would be
            // bound as one.
            QString value = QStringLiteral("");
            ++i;
            bool closed = false;
            while (i < n) {
                if (text.at(i) == QLatin1Char('\'')) {
                    if (i + 1 < n && text.at(i + 1) == QLatin1Char('\'')) {
                        value.append(QLatin1Char('\''));
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                // A backslash that ends a line continues the literal on the
                // next line; SQL Server drops both.
                if (const qsizetype continuation = adodb::LineContinuationLength(text, i)) {
                    i += continuation;
                    continue;
                }
                value.append(text.at(i));
                ++i;
            }
            // An unclosed literal is reported only where it is reached: an
            // earlier syntax error is what SQL Server names first.
            tokens.append({closed ? Token::Kind::Text : Token::Kind::Unclosed, value, text.mid(start, i - start)});
            if (!closed)
                break;
            continue;
        }
        if (isNameStart(c)) {
            while (i < n && isNamePart(text.at(i)))
                ++i;
            const QString name = text.mid(start, i - start);
            tokens.append({Token::Kind::Name, name, name});
            continue;
        }
        if (c == QLatin1Char('[')) {
            const qsizetype close = text.indexOf(QLatin1Char(']'), i);
            if (close < 0)
                syntaxError(text.mid(i));
            tokens.append({Token::Kind::Name, text.mid(i + 1, close - i - 1), text.mid(i, close - i + 1)});
            i = close + 1;
            continue;
        }
        // A number: digits with at most one decimal point, as the server
        // reads one ("1.2.3" is 1.2 and then .3).
        auto digitAt = [&](qsizetype at) {
            return at < n && text.at(at) >= QLatin1Char('0') && text.at(at) <= QLatin1Char('9');
        };
        auto pointedDigitAt = [&](qsizetype at) {
            return at < n && text.at(at) == QLatin1Char('.') && digitAt(at + 1);
        };
        if (digitAt(i) ||
            ((c == QLatin1Char('-') || c == QLatin1Char('+')) && (digitAt(i + 1) || pointedDigitAt(i + 1))) ||
            (pointedDigitAt(i) && (tokens.isEmpty() || tokens.last().kind != Token::Kind::Dot))) {
            bool point = c == QLatin1Char('.');
            ++i;
            for (; i < n; ++i) {
                if (text.at(i) == QLatin1Char('.') && !point)
                    point = true;
                else if (!digitAt(i))
                    break;
            }
            const QString number = text.mid(start, i - start);
            if (i < n && isNamePart(text.at(i)))
                syntaxError(number + text.at(i));
            tokens.append({Token::Kind::Number, number, number});
            continue;
        }
        switch (c.unicode()) {
        case '.':
            tokens.append({Token::Kind::Dot, QStringLiteral("."), QStringLiteral(".")});
            break;
        case ',':
            tokens.append({Token::Kind::Comma, QStringLiteral(","), QStringLiteral(",")});
            break;
        case '*':
            tokens.append({Token::Kind::Star, QStringLiteral("*"), QStringLiteral("*")});
            break;
        case '=':
            tokens.append({Token::Kind::Equals, QStringLiteral("="), QStringLiteral("=")});
            break;
        default:
            syntaxError(QString(c));
        }
        ++i;
    }
    tokens.append({Token::Kind::End, QString(), QString()});
    return tokens;
}

class Parser
{
public:
    explicit Parser(QList<Token> tokens)
        : m_tokens(std::move(tokens))
    {}

    Statement statement()
    {
        if (peek().kind != Token::Kind::Name)
            syntaxError(peek().written);
        const QString first = peek().text;
        if (keyword(first, "SELECT"))
            return select();
        if (keyword(first, "UPDATE"))
            return update();
        if (keyword(first, "EXEC") || keyword(first, "EXECUTE"))
            next();
        return call();
    }

private:
    static bool keyword(const QString &word, const char *kw)
    {
        return word.compare(QLatin1String(kw), Qt::CaseInsensitive) == 0;
    }
    const Token &peek() const { return m_tokens.at(m_pos); }
    const Token &next() { return m_tokens.at(m_pos++); }
    bool atEnd() const { return peek().kind == Token::Kind::End; }
    void expectKeyword(const char *kw)
    {
        if (peek().kind != Token::Kind::Name || !keyword(peek().text, kw))
            syntaxError(atEnd() ? m_tokens.at(m_pos > 0 ? m_pos - 1 : 0).written : peek().written);
        next();
    }
    void expectEnd()
    {
        if (!atEnd())
            syntaxError(peek().written);
    }
    QString nameToken()
    {
        if (peek().kind != Token::Kind::Name)
            syntaxError(atEnd() ? m_tokens.at(m_pos > 0 ? m_pos - 1 : 0).written : peek().written);
        return next().text;
    }

    ObjectName objectName()
    {
        ObjectName result;
        QStringList parts;
        QString written;
        parts.append(nameToken());
        written = m_tokens.at(m_pos - 1).written;
        while (peek().kind == Token::Kind::Dot) {
            next();
            written += QLatin1Char('.');
            if (peek().kind == Token::Kind::Dot) {
                parts.append(QString());
                continue;
            }
            parts.append(nameToken());
            written += m_tokens.at(m_pos - 1).written;
        }
        if (parts.size() > 3)
            syntaxError(written);
        if (parts.contains(QString()) && parts.size() == 3 && parts.at(2).isEmpty())
            syntaxError(written);
        result.name = parts.takeLast();
        if (!parts.isEmpty())
            result.owner = parts.takeLast();
        if (!parts.isEmpty())
            result.database = parts.takeLast();
        if (result.name.isEmpty())
            syntaxError(written);
        result.written = written;
        return result;
    }

    Literal literal()
    {
        const Token &t = peek();
        if (t.kind == Token::Kind::Text) {
            next();
            return {Literal::Kind::Text, t.text};
        }
        if (t.kind == Token::Kind::Number) {
            next();
            return {Literal::Kind::Number, t.text};
        }
        if (t.kind == Token::Kind::Unclosed)
            throw adodb::BackendError(
                QStringLiteral("Unclosed quotation mark after the character string '%1'.").arg(t.text), 105);
        syntaxError(atEnd() ? m_tokens.at(m_pos > 0 ? m_pos - 1 : 0).written : t.written);
    }

    ProcedureCall call()
    {
        ProcedureCall result;
        result.procedure = objectName();
        if (!atEnd()) {
            result.arguments.append(literal());
            while (peek().kind == Token::Kind::Comma) {
                next();
                result.arguments.append(literal());
            }
        }
        expectEnd();
        return result;
    }

    SelectRead select()
    {
        SelectRead result;
        expectKeyword("SELECT");
        if (peek().kind == Token::Kind::Star) {
            next();
            result.columns.append(QStringLiteral("*"));
        } else {
            result.columns.append(nameToken());
            while (peek().kind == Token::Kind::Comma) {
                next();
                result.columns.append(nameToken());
            }
        }
        expectKeyword("FROM");
        result.table = objectName();
        expectEnd();
        return result;
    }

    AliasedUpdate update()
    {
        AliasedUpdate result;
        expectKeyword("UPDATE");
        result.alias = nameToken();
        expectKeyword("SET");
        for (;;) {
            const QString qualifier = nameToken();
            if (qualifier.compare(result.alias, Qt::CaseInsensitive) != 0 || peek().kind != Token::Kind::Dot)
                syntaxError(qualifier);
            next();
            const QString column = nameToken();
            if (peek().kind != Token::Kind::Equals)
                syntaxError(peek().written);
            next();
            result.assignments.append({column, literal()});
            if (peek().kind != Token::Kind::Comma)
                break;
            next();
        }
        expectKeyword("FROM");
        result.table = objectName();
        const QString alias = nameToken();
        if (alias.compare(result.alias, Qt::CaseInsensitive) != 0)
            syntaxError(alias);
        expectEnd();
        return result;
    }

    QList<Token> m_tokens;
    qsizetype m_pos = 0;
};

} // namespace

Statement readStatement(const QString &text)
{
    return Parser(tokenize(text)).statement();
}

} // namespace embedded
