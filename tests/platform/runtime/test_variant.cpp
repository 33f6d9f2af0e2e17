#include "com/ComError.h"
#include "com/Variant.h"

#include <gtest/gtest.h>

using com::ComError;
using com::Variant;

namespace {
void expectInvalidUseOfNull(const std::function<void()> &f)
{
    try {
        f();
        FAIL() << "expected Invalid use of Null";
    } catch (const ComError &e) {
        EXPECT_EQ(e.number(), 94);
        EXPECT_EQ(e.description(), QStringLiteral("Invalid use of Null"));
    }
}
} // namespace

TEST(Variant, NullFailsEveryConversionButJoinsAsEmptyText)
{
    const Variant null;
    EXPECT_TRUE(null.isNull());
    EXPECT_EQ(null.toText(), QString());
    expectInvalidUseOfNull([&] { null.toString(); });
    expectInvalidUseOfNull([&] { null.toLong(); });
    expectInvalidUseOfNull([&] { null.toDouble(); });
    expectInvalidUseOfNull([&] { null.toBool(); });
    expectInvalidUseOfNull([&] { null.toDateTime(); });
}

TEST(Variant, ConvertsAsTheRuntime)
{
    EXPECT_EQ(Variant(qint64(13)).toString(), QStringLiteral("13"));
    EXPECT_EQ(Variant(QStringLiteral(" 1,000 ")).toLong(), 1000);
    EXPECT_EQ(Variant(2.5).toLong(), 2);  // banker's rounding
    EXPECT_EQ(Variant(3.5).toLong(), 4);
    EXPECT_TRUE(Variant(qint64(1)).toBool());
    EXPECT_FALSE(Variant(qint64(0)).toBool());
    EXPECT_TRUE(Variant(QStringLiteral("True")).toBool());
    EXPECT_EQ(Variant(true).toString(), QStringLiteral("True"));
    EXPECT_EQ(Variant(QStringLiteral("Niño")).toString(), QStringLiteral("Niño"));
    EXPECT_EQ(Variant(QStringLiteral("03/01/2024")).toDateTime().date(), QDate(2024, 3, 1));
    EXPECT_THROW(Variant(QStringLiteral("abc")).toLong(), ComError);
    EXPECT_THROW(Variant(QStringLiteral("abc")).toDateTime(), ComError);
}
