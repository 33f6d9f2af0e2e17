#pragma once

#include <QString>

class QLineEdit;

// Small text helpers shared by the dialogs.
namespace modCommon {

// Selects the whole text of a text box (start 0, length = text length).
void SelectAllText(QLineEdit *textBox);

// Appends line to message: an empty or all-blank message becomes line;
// otherwise message, CR LF, line.
void AppendMessageLine(QString &message, const QString &line);

} // namespace modCommon
