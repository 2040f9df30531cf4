#include "text_conversion_fixture.hpp"
#include "text_scanners.hpp"

#include "pelk/paged_file.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace Pelk::calvio;
using namespace Pelk::calvio::testing;

struct Scan {
    bool matched;
    std::int64_t end;
};

// Runs a node over the text as calvio reads its input: through a file.
template <class Node>
Scan scan(const Node& node, const std::string& text)
{
    TemporaryFile input("scan.txt", text);
    auto file = Pelk::core::openPagedFile(input.path());
    auto r = node.parse(StreamCursor{file.get(), 0}, StreamCursor{file.get(), file->size()});
    return {r.matched, r.end.offset};
}

TEST(ParseReal, ReadsWhatTheTextFormWrites)
{
    struct Case {
        const char* text;
        bool matched;
        std::int64_t end;
        double value;
    } cases[] = {
        {"0.001", true, 5, 0.001},
        {"1e-009", true, 6, 1e-9},
        {"1E-9", true, 4, 1e-9},
        {"2.5e+006", true, 8, 2500000},
        {"-22.5", true, 5, -22.5},
        {"-0.5", true, 4, -0.5},
        {"7", true, 1, 7},
        {".5", false, 0, -1},
        {"5.", true, 1, 5},
        {"1e", true, 1, 1},
        {"1e+", true, 1, 1},
        {"123.457", true, 7, 123.457},
        {"2.5e-008", true, 8, 2.5e-8},
        {"0.1", true, 3, 0.1},
        {"5e-010", true, 6, 5e-10},
        // The integer part wraps as a 32-bit integer; the most negative one
        // keeps its magnitude.
        {"-2147483648.5", true, 13, -2147483648.5},
        {"4294967297.5", true, 12, 1.5},
        // Fractions longer than nine digits keep their value.
        {"0.1234567890123", true, 15, 0.1234567890123},
        {"3.14159265358979323846264338327950288", true, 37, 3.14159265358979323846264338327950288},
        {"0.00000000000000000000000000000000000000000000000000000000000000000000000001", true, 76, 1e-74},
        // Exponents beyond a double's range.
        {"1e400", true, 5, std::numeric_limits<double>::infinity()},
        {"1e-400", true, 6, 0},
        {"0e999", true, 5, 0},
        {"- 1", false, 0, -1},
    };
    for (const auto& c : cases) {
        double value = -1;
        Scan s = scan(parseReal(&value), c.text);
        EXPECT_EQ(s.matched, c.matched) << c.text;
        EXPECT_EQ(s.end, c.end) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
    }
}

TEST(ParseReal, GivesTheNearestDoubleForSixDigitValues)
{
    std::uint64_t state = 99;
    for (int i = 0; i < 5000; ++i) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        char text[40];
        std::snprintf(text, sizeof text, "%.5e", std::ldexp(static_cast<double>(state >> 11), static_cast<int>(state % 200) - 100 - 53));
        double value = 0;
        ASSERT_TRUE(scan(parseReal(&value), text).matched) << text;
        ASSERT_EQ(value, std::strtod(text, nullptr)) << text;
    }
}

TEST(MatchDateStamps, AcceptsTheStampsAsWrittenAndNothingLooser)
{
    struct Case {
        const char* text;
        bool matched;
        DateStamps want;
    } cases[] = {
        {"LIBRARY [2010/4/17 12:05:09, 2010/4/17 12:5:9]", true, {{2010, 4, 17, 12, 5, 9, 2010, 4, 17, 12, 5, 9}}},
        {"\n LIBRARY[ 2010/4/17\n12:00:00 ,2010/4/17 0:0-3:0-3 ]", true, {{2010, 4, 17, 12, 0, 0, 2010, 4, 17, 0, -3, -3}}},
        {"LIBRARY [2010/ -1/30 1:02:03, 1/2/3 4:05:06]", true, {{2010, -1, 30, 1, 2, 3, 1, 2, 3, 4, 5, 6}}},
        {"LIBRARY [2010/4/17 12:0:30, 2010/4/17 12:05:09]", false, {}},
        {"LIBRARY [2010 /4/17 12:05:09, 2010/4/17 12:05:09]", false, {}},
        {"LIBRARY [2010/ 1/30 12:05:09, 2010/4/17 12:05:09]", false, {}},
        {"library [2010/4/17 12:05:09, 2010/4/17 12:05:09]", false, {}},
    };
    for (const auto& c : cases) {
        DateStamps got{};
        Scan s = scan(matchDateStamps("LIBRARY", &got), c.text);
        EXPECT_EQ(s.matched, c.matched) << c.text;
        if (c.matched) {
            EXPECT_EQ(s.end, static_cast<std::int64_t>(std::string(c.text).size())) << c.text;
            for (std::size_t i = 0; i < 12; ++i)
                EXPECT_EQ(got[i], c.want[i]) << c.text << " value " << i;
        }
    }
}

// Tokens are read from the window when it holds them and through the
// cursor nodes otherwise; both must give what the nodes give, also where
// the window's edge falls inside the blanks, the sign or the digits.
TEST(WindowTokens, ReadAsTheCursorNodesWhereverTheWindowEnds)
{
    using namespace Pelk::core;
    const char* texts[] = {"7",        "1234567",     "12345678",    "123456789,", "-2147483649", "4294967297)",
                           "-32769",   "99999999999999999999 1", " \t\r\n-5", "- +7",  "+8",  "- 5",
                           "+ 5",      "-",           " ",           "x",           "BOUNDARY 1", "BOUNDAR",
                           "BOX",      "\n   BOUNDARY"};
    for (const char* text : texts) {
        for (std::int64_t shift = 1; shift < 16; ++shift) {
            // The text starts `shift` bytes before the end of the first window.
            std::string filler(static_cast<std::size_t>(windowSize - shift), 'f');
            TemporaryFile input("window.txt", filler + text);
            auto file = openPagedFile(input.path());
            StreamCursor begin{file.get(), windowSize - shift}, end{file.get(), file->size()};
            std::string where = std::string(text) + " at shift " + std::to_string(shift);

            std::int32_t int4 = -1, wantInt4 = -1;
            auto got4 = parseBlankedInt4(&int4).parse(begin, end);
            auto want4 = sequence(skipBlanks(), parseInt4(&wantInt4)).parse(begin, end);
            EXPECT_EQ(got4.matched, want4.matched) << where;
            EXPECT_EQ(got4.end.offset, want4.end.offset) << where;
            EXPECT_EQ(int4, wantInt4) << where;

            std::int16_t int2 = -1, wantInt2 = -1;
            auto got2 = parseBlankedInt2(&int2).parse(begin, end);
            auto want2 = sequence(skipBlanks(), parseInt2(&wantInt2)).parse(begin, end);
            EXPECT_EQ(got2.matched, want2.matched) << where;
            EXPECT_EQ(got2.end.offset, want2.end.offset) << where;
            EXPECT_EQ(int2, wantInt2) << where;

            auto gotWord = matchKeyword("BOUNDARY").parse(begin, end);
            auto wantWord = sequence(skipBlanks(), matchLiteral("BOUNDARY")).parse(begin, end);
            EXPECT_EQ(gotWord.matched, wantWord.matched) << where;
            EXPECT_EQ(gotWord.end.offset, wantWord.end.offset) << where;
        }
    }
}

TEST(Words, EndOnlyAtBlanksAndKeepAtMostOneByteMoreThanARecord)
{
    BoundedText word;
    EXPECT_EQ(scan(matchBlankedWord(&word), " \tabc;def ghi").end, 9);
    EXPECT_EQ(word.text, "abc;def");
    EXPECT_TRUE(word.complete);

    std::string huge(100000, 'w');
    Scan s = scan(matchBlankedWord(&word), huge + " x");
    EXPECT_EQ(s.end, 100000);
    EXPECT_EQ(word.text, std::string(BoundedText::limit, 'w'));
    EXPECT_FALSE(word.complete);
}

} // namespace
