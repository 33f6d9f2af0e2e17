#pragma once

#include "adodb/Connection.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <initializer_list>

namespace testing_support {

// Asserts that the connection sent exactly these statement texts, in order.
::testing::AssertionResult SentExactly(const adodb::Connection &connection, const QStringList &expected);
inline ::testing::AssertionResult SentExactly(const adodb::ConnectionPtr &connection, const QStringList &expected)
{
    return SentExactly(*connection, expected);
}

} // namespace testing_support
