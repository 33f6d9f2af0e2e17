#pragma once

#include <QString>

namespace adodb {

// The T-SQL line continuation: inside a string literal a backslash right before
// a line break (a line feed, or a carriage return and a line feed) joins the two
// lines, and the server drops the backslash and the line break. Gives how many
// characters at `position` form such a continuation: 2, 3, or 0 when the
// character there is no backslash that ends a line.
qsizetype LineContinuationLength(const QString &text, qsizetype position);

// A T-SQL text literal for a statement built as text, read by the server as
// exactly the value: every quote doubled ("O'Brien" -> 'O''Brien'), and after
// every backslash that ends a line one more backslash and line feed. That added
// pair is the continuation the server drops, so the typed backslash and line
// break arrive as typed ("a\<LF>b" -> 'a\\<LF><LF>b').
QString SqlText(const QString &value);

} // namespace adodb
