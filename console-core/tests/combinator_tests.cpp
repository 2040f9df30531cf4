#include "pelk/action_nodes.hpp"
#include "pelk/repeat_nodes.hpp"
#include "pelk/sequence_nodes.hpp"
#include "pelk/text_nodes.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace Pelk::core;

struct Outcome {
    bool matched;
    std::ptrdiff_t end;
    bool operator==(const Outcome&) const = default;
};

template <class Node>
Outcome run(const Node& node, const std::string& input)
{
    auto r = node.parse(input.data(), input.data() + input.size());
    return {r.matched, r.end - input.data()};
}

TEST(Leaves, MatchAndStopWhereTheyShould)
{
    struct Case {
        const char* name;
        Outcome got;
        Outcome want;
    } cases[] = {
        {"literal cut short", run(matchLiteral("-cell"), "-ce"), {false, 0}},
        {"literal then letters", run(matchLiteral("-cell"), "-cellar"), {true, 5}},
        {"literal at end", run(matchLiteral("x"), ""), {false, 0}},
        {"literal case", run(matchLiteral("-h"), "-H"), {false, 0}},
        {"char at end", run(matchChar('a'), ""), {false, 0}},
        {"char", run(matchChar('a'), "ab"), {true, 1}},
        {"word after blank", run(matchWord(), " a"), {false, 0}},
        {"word to blank", run(matchWord(), "ab\tc"), {true, 2}},
        {"word to end", run(matchWord(), "abc"), {true, 3}},
        {"quoted text at quote", run(matchQuotedText(), "\"x"), {false, 0}},
        {"quoted text to quote", run(matchQuotedText(), "a b\"c"), {true, 3}},
        {"blanks", run(skipBlanks(), " \t\r\nx"), {true, 4}},
        {"no blank-like bytes", run(skipBlanks(), "\xA0\v\f"), {true, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.want) << c.name;
}

TEST(Repeat, CountsAndFailurePositions)
{
    auto ab = sequence(matchChar('a'), matchChar('b'));
    EXPECT_EQ(run(repeat(ab, 1, unbounded), "ax"), (Outcome{false, 1}));
    EXPECT_EQ(run(repeat(ab, 0, unbounded), "ax"), (Outcome{true, 0}));
    EXPECT_EQ(run(repeat(ab, 1, unbounded), ""), (Outcome{false, 0}));
    EXPECT_EQ(run(repeat(ab, 0, unbounded), ""), (Outcome{true, 0}));
    EXPECT_EQ(run(repeat(ab, 0, unbounded), "ababa"), (Outcome{true, 4}));
    EXPECT_EQ(run(repeat(ab, 3, unbounded), "ababa"), (Outcome{false, 5}));
    EXPECT_EQ(run(repeat(ab, 0, 1), "abab"), (Outcome{true, 2}));
    // A node that matches without advancing stops at max.
    EXPECT_EQ(run(repeat(optional(matchChar('z')), 0, 5), "a"), (Outcome{true, 0}));
}

TEST(Sequence, ReportsTheEndOfTheChildThatFailed)
{
    auto abc = sequence(matchLiteral("ab"), skipBlanks(), matchChar('c'));
    EXPECT_EQ(run(abc, "ab  c"), (Outcome{true, 5}));
    EXPECT_EQ(run(abc, "ab  d"), (Outcome{false, 4}));
    EXPECT_EQ(run(abc, "xb c"), (Outcome{false, 0}));
    EXPECT_EQ(run(optional(abc), "ab d"), (Outcome{true, 0}));
}

TEST(Alternative, FirstMatchWinsAndFailureIsTheSecondsEnd)
{
    auto choice = alternative(matchLiteral("ab"), sequence(matchChar('a'), matchChar('c')));
    EXPECT_EQ(run(choice, "abc"), (Outcome{true, 2}));
    EXPECT_EQ(run(choice, "ac"), (Outcome{true, 2}));
    EXPECT_EQ(run(choice, "ad"), (Outcome{false, 1}));
}

TEST(Flag, IsOverwrittenOnEveryRun)
{
    bool seen = true;
    auto flag = matchFlagLiteral("-q", &seen);
    EXPECT_EQ(run(flag, "  -q"), (Outcome{true, 4}));
    EXPECT_TRUE(seen);
    EXPECT_EQ(run(flag, "  x"), (Outcome{false, 2}));
    EXPECT_FALSE(seen);
}

TEST(Capture, KeepsTextOfAFailedAlternativeUntilReplaced)
{
    std::string target = "old";
    auto first = sequence(captureString(matchWord(), &target), matchChar('!'));
    auto second = captureString(matchLiteral("ab"), &target);
    EXPECT_EQ(run(alternative(first, matchChar('#')), "abc"), (Outcome{false, 0}));
    EXPECT_EQ(target, "abc");
    EXPECT_EQ(run(alternative(first, second), "abc"), (Outcome{true, 2}));
    EXPECT_EQ(target, "ab");
}

TEST(Action, RunsOnceOnlyAfterAMatch)
{
    int runs = 0;
    std::ptrdiff_t length = -1;
    auto counted = action(matchWord(), [&](const char* b, const char* e) {
        ++runs;
        length = e - b;
    });
    run(counted, " x");
    EXPECT_EQ(runs, 0);
    run(counted, "word x");
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(length, 4);
}

} // namespace
