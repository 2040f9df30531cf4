#include "pelk/number_nodes.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace Pelk::core;

template <class Int>
struct IntCase {
    const char* input;
    bool matched;
    std::ptrdiff_t end;
    Int value;
};

template <class Int>
void expectCases(std::initializer_list<IntCase<Int>> cases)
{
    for (const auto& c : cases) {
        const std::string input = c.input;
        Int target = 99;
        auto r = IntParser<Int>{&target}.parse(input.data(), input.data() + input.size());
        EXPECT_EQ(r.matched, c.matched) << '"' << input << '"';
        EXPECT_EQ(r.end - input.data(), c.end) << '"' << input << '"';
        EXPECT_EQ(target, c.value) << '"' << input << '"';
    }
}

TEST(IntParser, SixteenBitsWrapAndSigns)
{
    expectCases<std::int16_t>({
        {"-32768", true, 6, -32768},
        {"65535", true, 5, -1},
        {"40000", true, 5, -25536},
        {"65536", true, 5, 0},
        {" 12", false, 0, 0},
        {"+12", true, 3, 12},
        {"-+12", true, 4, -12},
        {"- 12", false, 0, 0},
        {"- +5", true, 4, -5},
        {" -5", true, 3, -5},
        {"12abc", true, 2, 12},
        {"abc", false, 0, 0},
        {"-", false, 0, 0},
        {"", false, 0, 0},
        {"007", true, 3, 7},
    });
}

TEST(IntParser, ThirtyTwoBitsWrapWithoutOverflow)
{
    expectCases<std::int32_t>({
        {"2147483648", true, 10, -2147483647 - 1},
        {"-2147483648", true, 11, -2147483647 - 1},
        {"4294967296", true, 10, 0},
        {"4294967295", true, 10, -1},
        {"-4294967295", true, 11, 1},
        {"99999999999999999999", true, 20, 1661992959},
        {"(10", false, 0, 0},
    });
}

} // namespace
