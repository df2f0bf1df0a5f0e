#include "base/Decimal.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using quorlin::DecimalText;
using quorlin::DecimalTextW;

TEST(Decimal, MatchesToString) {
    for (long long v : {0LL, 1LL, 9LL, 10LL, 99LL, 100LL, -1LL, -10LL, 123456789LL, -987654321LL,
                        static_cast<long long>(INT_MAX), static_cast<long long>(INT_MIN), LLONG_MAX, LLONG_MIN}) {
        EXPECT_EQ(DecimalText(v), std::to_string(v));
        EXPECT_EQ(DecimalTextW(v), std::to_wstring(v));
    }
}

TEST(Decimal, PadsWithZerosInFront) {
    EXPECT_EQ(DecimalText(7, 2), "07");
    EXPECT_EQ(DecimalText(987, 4), "0987");
    EXPECT_EQ(DecimalText(12345, 4), "12345");
    EXPECT_EQ(DecimalText(0, 3), "000");
    EXPECT_EQ(DecimalText(-5, 3), "-005");
    EXPECT_EQ(DecimalTextW(3, 2), L"03");
}
