#include "parser_nodes.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using namespace Pelk::vesk;

namespace {

// Outcome of one parse: matched flag, end offset and the value written.
struct Outcome {
    bool matched;
    long end;
    long value;
    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Outcome& o)
{
    return os << "{" << o.matched << ", " << o.end << ", " << o.value << "}";
}

template <class Node>
Outcome run(const Node& node, const std::string& input, long value = 0)
{
    ParseResult r = node.parse(input.data(), input.data() + input.size());
    return {r.matched, r.end - input.data(), value};
}

template <template <class> class Kind, class Int>
Outcome runNumber(const std::string& input)
{
    Int target = 77;
    Kind<Int> node{&target, &NumberBlankTable};
    ParseResult r = node.parse(input.data(), input.data() + input.size());
    return {r.matched, r.end - input.data(), target};
}

TEST(CharTables, MarkExactlyTheFourBlanks)
{
    std::string marked;
    for (int c = 0; c < 256; ++c) {
        EXPECT_EQ(BlankTable.flags[c], NumberBlankTable.flags[c]) << c;
        if (BlankTable.flags[c])
            marked += static_cast<char>(c);
    }
    EXPECT_EQ(marked, "\t\n\r ");

    CharClassTable table;
    fillCharTable(table, "ab");
    fillCharTable(table, "\xff");
    EXPECT_EQ(run(BlankSkipParser{&table}, "\xff\xff" "a"), (Outcome{true, 2, 0}));
}

TEST(LeafNodes, MatchAndStopWhereTheySay)
{
    EXPECT_EQ(run(BlankSkipParser{}, ""), (Outcome{true, 0, 0}));
    EXPECT_EQ(run(BlankSkipParser{}, " \t\r\n\v x"), (Outcome{true, 4, 0}));
    EXPECT_EQ(run(BlankSkipParser{}, "\f"), (Outcome{true, 0, 0}));
    EXPECT_EQ(run(BlankSkipParser{}, std::string(1, '\0')), (Outcome{true, 0, 0}));
    EXPECT_EQ(run(BlankSkipParser{}, "\xa0"), (Outcome{true, 0, 0}));
    EXPECT_EQ(run(CharParser{'['}, ""), (Outcome{false, 0, 0}));
    EXPECT_EQ(run(CharParser{'['}, "[x"), (Outcome{true, 1, 0}));
    EXPECT_EQ(run(CharParser{'['}, "]"), (Outcome{false, 0, 0}));
    EXPECT_EQ(run(LiteralParser{"VERSION"}, "VERSION 5"), (Outcome{true, 7, 0}));
    EXPECT_EQ(run(LiteralParser{"VERSION"}, "version"), (Outcome{false, 0, 0}));
    EXPECT_EQ(run(LiteralParser{"VERSION"}, "VERS"), (Outcome{false, 0, 0}));
    EXPECT_EQ(run(CharRunParser{}, "0123456789a"), (Outcome{true, 10, 0}));
    EXPECT_EQ(run(CharRunParser{}, "12\xb2"), (Outcome{true, 2, 0}));
    EXPECT_EQ(run(CharRunParser{}, "\xb9"), (Outcome{false, 0, 0}));
    EXPECT_EQ(run(CharRunParser{}, ""), (Outcome{false, 0, 0}));
}

TEST(Composites, SequenceOptionalAndCapture)
{
    std::string text = "unchanged";
    auto capture = CaptureParser<CharRunParser>{CharRunParser{}, &text};
    EXPECT_EQ(run(capture, "x1"), (Outcome{false, 0, 0}));
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(run(capture, "042/"), (Outcome{true, 3, 0}));
    EXPECT_EQ(text, "042");

    // A failing left node must keep the right node from running.
    text = "unchanged";
    auto sequence = CharParser{'a'} >> CaptureParser<CharRunParser>{CharRunParser{}, &text};
    EXPECT_EQ(run(sequence, "b12"), (Outcome{false, 0, 0}));
    EXPECT_EQ(text, "unchanged");
    EXPECT_EQ(run(sequence, "a12"), (Outcome{true, 3, 0}));
    EXPECT_EQ(run(sequence, "a"), (Outcome{false, 1, 0}));

    auto opt = optional(BlankSkipParser{} >> CharParser{'+'});
    EXPECT_EQ(run(opt, "  +"), (Outcome{true, 3, 0}));
    EXPECT_EQ(run(opt, "  7"), (Outcome{true, 0, 0}));

    // Composites are values: a copy keeps working after the original is gone.
    auto left = CharParser{'x'} >> CharParser{'y'};
    auto whole = left >> left;
    left = {CharParser{'q'}, CharParser{'q'}};
    EXPECT_EQ(run(whole, "xyxy"), (Outcome{true, 4, 0}));
}

TEST(IntParser, ReadsDigitsWithOptionalPlus)
{
    using Int4 = std::int32_t;
    using Int2 = std::int16_t;
    EXPECT_EQ((runNumber<IntParser, Int4>("")), (Outcome{false, 0, 0}));
    EXPECT_EQ((runNumber<IntParser, Int4>("+")), (Outcome{false, 0, 0}));
    EXPECT_EQ((runNumber<IntParser, Int4>("+7")), (Outcome{true, 2, 7}));
    EXPECT_EQ((runNumber<IntParser, Int4>(" +7 ")), (Outcome{true, 3, 7}));
    EXPECT_EQ((runNumber<IntParser, Int4>(" 7")), (Outcome{false, 0, 0}));
    EXPECT_EQ((runNumber<IntParser, Int4>("007")), (Outcome{true, 3, 7}));
    EXPECT_EQ((runNumber<IntParser, Int4>("-7")), (Outcome{false, 0, 0}));
    EXPECT_EQ((runNumber<IntParser, Int4>("4294967297")), (Outcome{true, 10, 1}));
    EXPECT_EQ((runNumber<IntParser, Int4>("2147483648")), (Outcome{true, 10, -2147483648L}));
    EXPECT_EQ((runNumber<IntParser, Int2>("32768")), (Outcome{true, 5, -32768}));
    EXPECT_EQ((runNumber<IntParser, Int2>("65536")), (Outcome{true, 5, 0}));
    EXPECT_EQ((runNumber<IntParser, Int2>("99999")), (Outcome{true, 5, -31073}));
}

TEST(SignedIntParser, TakesMinusGroupOnlyWhole)
{
    using Int4 = std::int32_t;
    using Int2 = std::int16_t;
    EXPECT_EQ((runNumber<SignedIntParser, Int4>("-5")), (Outcome{true, 2, -5}));
    EXPECT_EQ((runNumber<SignedIntParser, Int4>(" -5")), (Outcome{true, 3, -5}));
    EXPECT_EQ((runNumber<SignedIntParser, Int4>("-+5")), (Outcome{true, 3, -5}));
    EXPECT_EQ((runNumber<SignedIntParser, Int4>("- +5")), (Outcome{true, 4, -5}));
    EXPECT_EQ((runNumber<SignedIntParser, Int4>("+5")), (Outcome{true, 2, 5}));
    EXPECT_EQ((runNumber<SignedIntParser, Int4>("-0")), (Outcome{true, 2, 0}));
    EXPECT_EQ((runNumber<SignedIntParser, Int4>("- 5")), (Outcome{false, 0, 0}));
    EXPECT_EQ((runNumber<SignedIntParser, Int4>("+-5")), (Outcome{false, 0, 0}));
    EXPECT_EQ((runNumber<SignedIntParser, Int4>("-")), (Outcome{false, 0, 0}));
    EXPECT_EQ((runNumber<SignedIntParser, Int4>(" 5")), (Outcome{false, 0, 0}));
    EXPECT_EQ((runNumber<SignedIntParser, Int4>("-2147483648")), (Outcome{true, 11, -2147483648L}));
    EXPECT_EQ((runNumber<SignedIntParser, Int2>("-32768")), (Outcome{true, 6, -32768}));
    EXPECT_EQ((runNumber<SignedIntParser, Int2>("-99999")), (Outcome{true, 6, 31073}));
}

}  // namespace
