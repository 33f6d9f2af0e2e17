#include "StatementLog.h"

#include <ostream>

namespace testing_support {

::testing::AssertionResult SentExactly(const adodb::Connection &connection, const QStringList &expected)
{
    const QStringList &sent = connection.statementLog().statements();
    if (sent == expected)
        return ::testing::AssertionSuccess();
    auto result = ::testing::AssertionFailure();
    result << "statements differ\n  expected (" << expected.size() << "):\n";
    for (const QString &s : expected)
        result << "    " << s.toStdString() << "\n";
    result << "  sent (" << sent.size() << "):\n";
    for (const QString &s : sent)
        result << "    " << s.toStdString() << "\n";
    return result;
}

} // namespace testing_support

