#include "startup/modCommon.h"

#include "support/StatementLog.h"

#include <gtest/gtest.h>

#include <QLineEdit>

namespace {

struct AppendCase
{
    const char16_t *message;
    const char16_t *line;
    const char16_t *expected;
};

class AppendMessageLine : public ::testing::TestWithParam<AppendCase>
{
};

TEST_P(AppendMessageLine, JoinsWithCarriageReturnLineFeed)
{
    QString message = QString::fromUtf16(GetParam().message);
    modCommon::AppendMessageLine(message, QString::fromUtf16(GetParam().line));
    EXPECT_EQ(message, QString::fromUtf16(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppendMessageLine,
    ::testing::Values(AppendCase{u"", u"B", u"B"}, AppendCase{u"   ", u"B", u"B"}, AppendCase{u"A", u"B", u"A\r\nB"},
                      AppendCase{u"A\r\nB", u"C", u"A\r\nB\r\nC"},
                      // Only blanks count as empty: a tab is text.
                      AppendCase{u"\t", u"B", u"\t\r\nB"}, AppendCase{u" A ", u"B", u" A \r\nB"}));

TEST(SelectAllText, SelectsTheWholeText)
{
    QLineEdit box;
    box.setText(QStringLiteral("2026"));
    box.setCursorPosition(2);
    modCommon::SelectAllText(&box);
    EXPECT_EQ(box.selectionStart(), 0);
    EXPECT_EQ(box.selectedText(), QStringLiteral("2026"));
    modCommon::SelectAllText(nullptr);
}

} // namespace
