#include "pelk/action_nodes.hpp"
#include "pelk/list_nodes.hpp"
#include "pelk/number_nodes.hpp"
#include "pelk/sequence_nodes.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace Pelk::core;

struct ListCase {
    const char* input;
    std::uint32_t min;
    std::uint32_t max;
    bool matched;
    std::ptrdiff_t end;
};

TEST(ListParser, SeparatorsCountsAndEnds)
{
    // Items are a letter, separated by ','.
    ListCase cases[] = {
        {"", 0, unbounded, true, 0},
        {"", 1, unbounded, false, 0},
        {"a,b,c;", 0, unbounded, true, 5},
        {"a,b,", 0, unbounded, true, 4},   // a trailing separator is consumed
        {"a ,b", 0, unbounded, true, 1},   // the separator must come at once
        {"a,b,c", 0, 2, true, 3},
        {"a,", 2, unbounded, false, 2},    // the failed item's end
        {"1", 1, unbounded, false, 0},
        {"a,b", 3, unbounded, false, 3},   // stopped by the end of input
    };
    for (const auto& c : cases) {
        const std::string input = c.input;
        auto letter = CharRunParser{{',', ';', ' ', '1'}, 4};
        auto r = list(letter, ',', c.min, c.max).parse(input.data(), input.data() + input.size());
        EXPECT_EQ(r.matched, c.matched) << input << " min " << c.min;
        EXPECT_EQ(r.end - input.data(), c.end) << input << " min " << c.min;
    }
}

TEST(ListParser, ItemsMayTakeBlanksBeforeThemselves)
{
    const std::string input = "5 7lib";
    std::int16_t value = 0;
    int items = 0;
    std::int16_t sum = 0;
    auto item = action(sequence(skipBlanks(), parseInt2(&value)), [&](const char*, const char*) {
        ++items;
        sum = static_cast<std::int16_t>(sum + value);
    });
    auto r = list(item, ' ', 0, unbounded).parse(input.data(), input.data() + input.size());
    EXPECT_TRUE(r.matched);
    EXPECT_EQ(r.end - input.data(), 3);
    EXPECT_EQ(items, 2);
    EXPECT_EQ(sum, 12);
}

} // namespace
