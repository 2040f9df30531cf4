#include "pelk/console_frame.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace {

using namespace Pelk::core;

struct Parsed {
    bool matched;
    CommandOptions options;
};

Parsed parse(std::vector<const char*> args)
{
    args.insert(args.begin(), "prog");
    Parsed p;
    p.options.cellName = "stale";
    p.matched = parseCommandLine(p.options, static_cast<int>(args.size()), args.data());
    return p;
}

void expectOptions(const Parsed& p, bool help, bool quiet, bool cellGiven, const char* cell, const char* in,
                   const char* out)
{
    EXPECT_EQ(p.options.help, help);
    EXPECT_EQ(p.options.quiet, quiet);
    EXPECT_EQ(p.options.cellGiven, cellGiven);
    EXPECT_EQ(p.options.cellName, cell);
    EXPECT_EQ(p.options.inputPath, in);
    EXPECT_EQ(p.options.outputPath, out);
}

TEST(OptionGrammar, AcceptedForms)
{
    auto help = parse({"-h", "x", "y", "z"});
    EXPECT_TRUE(help.matched);
    expectOptions(help, true, false, false, "", "", "");

    auto quietCell = parse({"-q", "-cell=TOP", "a.gds"});
    EXPECT_TRUE(quietCell.matched);
    expectOptions(quietCell, false, true, true, "TOP", "a.gds", "");

    auto spaced = parse({"-cell", "=", "TOP", "a.gds", "b.txt"});
    EXPECT_TRUE(spaced.matched);
    expectOptions(spaced, false, false, true, "TOP", "a.gds", "b.txt");

    auto late = parse({"-cell=TOP", "-q", "a.gds"});
    EXPECT_TRUE(late.matched);
    expectOptions(late, false, false, true, "TOP", "-q", "a.gds");

    auto blank = parse({"my file.gds"});
    EXPECT_TRUE(blank.matched);
    expectOptions(blank, false, false, false, "", "my file.gds", "");

    auto literalPrefix = parse({"-quiet"});
    EXPECT_TRUE(literalPrefix.matched);
    expectOptions(literalPrefix, false, true, false, "", "uiet", "");
}

TEST(OptionGrammar, RejectedForms)
{
    EXPECT_FALSE(parse({}).matched);
    // Nothing may follow the output path, whatever came before it.
    for (auto surplus : {std::vector<const char*>{"a.gds", "b.txt", "c"}, {"-q", "-cell=TOP", "a.gds", "b.txt", "c"},
                         {"a.gds", "b.txt", "my c"}, {"-quiet", "a.gds", "b.txt"}})
        EXPECT_FALSE(parse(surplus).matched) << surplus.back();
    auto cellOnly = parse({"-cell=TOP"});
    EXPECT_FALSE(cellOnly.matched);
    EXPECT_TRUE(cellOnly.options.cellGiven);
    // Without "=" the cell option is absent and "-cell" is the input path.
    auto noEquals = parse({"-cell", "TOP"});
    EXPECT_TRUE(noEquals.matched);
    expectOptions(noEquals, false, false, true, "", "-cell", "TOP");
}

TEST(OptionGrammar, JoinsArgumentsQuotingThoseWithABlankOfAnyKind)
{
    struct Case {
        std::vector<const char*> args;
        std::optional<std::string> joined;
    };
    const Case cases[] = {
        {{}, ""},
        {{"a b", "c\td", "e"}, " \"a b\" \"c\td\" e"},
        {{"x\ny", "x\ry"}, " \"x\ny\" \"x\ry\""},
        {{"a\"b"}, " a\"b"},
        {{"\"ab"}, " \"ab"},
        // Whatever these became, the grammar would read other paths than given.
        {{"a \"b"}, std::nullopt},
        {{"a\t\"b"}, std::nullopt},
        {{"\"a\"b"}, std::nullopt},
        {{"a", ""}, std::nullopt},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv{"prog"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        EXPECT_EQ(joinArguments(static_cast<int>(argv.size()), argv.data()), c.joined);
    }
    auto tab = parse({"in.gds\tvictim"});
    EXPECT_TRUE(tab.matched);
    expectOptions(tab, false, false, false, "", "in.gds\tvictim", "");
    EXPECT_FALSE(parse({"a \"b", "c"}).matched);
}

TEST(Banner, IsThreeFramedLinesWithoutFinalLineFeed)
{
    std::string rule(63, '=');
    EXPECT_EQ(buildBanner("brenmo"), "\n" + rule + "\n     brenmo, Version 1.3.278 Linux 64-bit\n" + rule);
}

TEST(NumberedLines, HaveTheFixedShape)
{
    EXPECT_EQ(errorLine(20005, "Cannot open input file: x"), "\nERROR[20005] \tCannot open input file: x\n");
    EXPECT_EQ(errorLine(20000, "Incorrect.", 2), "\n\nERROR[20000] \tIncorrect.\n");
    EXPECT_EQ(warningLine(10003, "w"), "\nWARNING[10003] \tw\n");
}

TEST(ExceptionFrame, ReportsEveryKindOfFailureWithItsNumber)
{
    std::ostringstream err;
    EXPECT_EQ(runReportingExceptions(err, 20007, 20008, []() -> int { throw "file seek error"; }), exitFailure);
    EXPECT_EQ(runReportingExceptions(err, 20007, 20008, []() -> int { throw std::bad_alloc(); }), exitFailure);
    EXPECT_EQ(runReportingExceptions(err, 20007, 20008, [] { return exitSuccess; }), exitSuccess);
    EXPECT_EQ(err.str(), "\nERROR[20008] \tUnknown exception. No information available.\n"
                         "\nERROR[20007] \tAllocation failed, probably the process ran out of memory.\n");
}

TEST(EmptyStream, DiscardsEverything)
{
    EmptyStream empty;
    empty << "text" << 42;
    empty.write("abc", 3);
    EXPECT_TRUE(empty.bad());
}

} // namespace
