#include "decimal_writer.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>

namespace {

std::string printed(std::int32_t v)
{
    char buffer[16];
    return std::string(buffer, Pelk::brenmo::writeSigned(buffer, v));
}

std::string printedUnsigned(std::uint32_t v)
{
    char buffer[16];
    return std::string(buffer, Pelk::brenmo::writeUnsigned(buffer, v));
}

TEST(DecimalWriter, EveryDigitCountBoundary)
{
    std::uint32_t power = 1;
    for (int digits = 1; digits <= 10; ++digits, power *= 10) {
        EXPECT_EQ(printedUnsigned(power), std::to_string(power));
        EXPECT_EQ(printedUnsigned(power - 1), std::to_string(power - 1));
        if (digits < 10) {
            EXPECT_EQ(printedUnsigned(power * 10 - 1), std::to_string(power * 10 - 1));
        }
    }
    EXPECT_EQ(printedUnsigned(UINT32_MAX), "4294967295");
    EXPECT_EQ(printed(INT32_MIN), "-2147483648");
    EXPECT_EQ(printed(INT32_MAX), "2147483647");
    EXPECT_EQ(printed(0), "0");
    EXPECT_EQ(printed(-7), "-7");
}

TEST(DecimalWriter, AgreesWithTheStandardLibraryOnRandomValues)
{
    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i) {
        auto v = static_cast<std::int32_t>(random());
        ASSERT_EQ(printed(v), std::to_string(v));
        ASSERT_EQ(printed(v >> (i % 31)), std::to_string(v >> (i % 31)));
    }
}

} // namespace
