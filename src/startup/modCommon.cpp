#include "modCommon.h"

#include "com/Runtime.h"

#include <QLineEdit>

namespace modCommon {

void SelectAllText(QLineEdit *textBox)
{
    if (!textBox)
        return;
    textBox->setSelection(0, int(textBox->text().size()));
}

void AppendMessageLine(QString &message, const QString &line)
{
    if (com::Trim(message).isEmpty())
        message = line;
    else
        message = message + QStringLiteral("\r\n") + line;
}

} // namespace modCommon
