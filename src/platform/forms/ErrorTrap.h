#pragma once

#include <QString>
#include <QStringList>

#include <exception>
#include <functional>

namespace forms {

// Runs the numbered steps of an operation that traps its own failures. A
// failing step shows the "Application Error" box (description, CR LF,
// "in prjVelmora.<form>.<operation> at line <n>") and the operation goes on
// with the next step; a failing test counts as passed.
class NumberedSteps
{
public:
    NumberedSteps(QString formName, QString operationName);

    // Runs body as step `line`.
    void step(int line, const std::function<void()> &body);
    // Evaluates a test as step `line`; a failure reports and answers true.
    bool test(int line, const std::function<bool()> &condition);

    int lastLine() const { return m_lastLine; }
    bool anyFailed() const { return !m_failedLines.isEmpty(); }
    const QList<int> &failedLines() const { return m_failedLines; }

    // The box text for a failure at a line.
    QString messageFor(const QString &description, int line) const;

private:
    void report(const std::exception &e);
    void reportUnknown();

    QString m_form;
    QString m_operation;
    int m_lastLine = 0;
    QList<int> m_failedLines;
};

// The single report of a failure that no operation caught: a box whose text
// is the description alone. The window in use stays open.
void ReportUncaughtFailure(const std::exception &e);

// Runs an event handler, reporting what it lets escape.
void Guarded(const std::function<void()> &handler);

} // namespace forms
