#pragma once

#include <QString>
#include <QStringList>

namespace reportengine {

// A report query's text as both of its databases read it, enough to tell
// whether it is one statement that only reads: quoted texts ('...'), quoted
// names ("...", [...], `...`) and comments (-- to the end of the line,
// /* ... */) are passed over; what is left gives the bare words.
struct QueryShape
{
    QStringList words; // bare words of the first statement, upper-cased, in order
    QString rest;      // what follows the first statement's semicolon, trimmed
};

QueryShape queryShape(const QString &sql);

// The first word of the shape that SQL Server would take as writing or as
// leaving a single SELECT (INSERT, UPDATE, EXEC, INTO, SET, BEGIN, ...); empty
// when there is none.
QString writingWord(const QueryShape &shape);

} // namespace reportengine
