#include "ErrorTrap.h"

#include "MsgBox.h"

#include "com/ComError.h"

namespace forms {

NumberedSteps::NumberedSteps(QString formName, QString operationName)
    : m_form(std::move(formName))
    , m_operation(std::move(operationName))
{
}

QString NumberedSteps::messageFor(const QString &description, int line) const
{
    return description + QStringLiteral("\r\n") + QStringLiteral("in prjVelmora.") + m_form + QLatin1Char('.')
        + m_operation + QLatin1Char(' ') + QStringLiteral("at line ") + QString::number(line);
}

void NumberedSteps::report(const std::exception &e)
{
    m_failedLines.append(m_lastLine);
    MsgBox(messageFor(com::describe(e), m_lastLine), vbExclamation, QStringLiteral("Application Error"));
}

void NumberedSteps::step(int line, const std::function<void()> &body)
{
    m_lastLine = line;
    try {
        body();
    } catch (const std::exception &e) {
        report(e);
    }
}

bool NumberedSteps::test(int line, const std::function<bool()> &condition)
{
    m_lastLine = line;
    try {
        return condition();
    } catch (const std::exception &e) {
        report(e);
        return true;
    }
}

void ReportUncaughtFailure(const std::exception &e)
{
    MsgBox(com::describe(e));
}

void Guarded(const std::function<void()> &handler)
{
    try {
        handler();
    } catch (const std::exception &e) {
        ReportUncaughtFailure(e);
    }
}

} // namespace forms
