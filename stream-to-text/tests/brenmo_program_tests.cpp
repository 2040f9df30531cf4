#include "conversion_fixture.hpp"
#include "program_runner.hpp"

#include "pelk/console_frame.hpp"

#include <gtest/gtest.h>

namespace {

using Pelk::brenmo::testing::tempPath;
using Pelk::testing::readWholeFile;
using Pelk::testing::runProgram;

const std::string rule(63, '=');
const std::string banner = "\n" + rule + "\n     brenmo, Version 1.3.278 Linux 64-bit\n" + rule;
const std::string usage = "\n\nUsage: brenmo [OPTIONS] <gds file> [<output file>]\n"
                          "\n   if <output file> is omitted the output is directed to the console"
                          "\n   ------------------------------------"
                          "\n\n   -h\t\t\tshow usage"
                          "\n   -q\t\t\tsuppress logo and information messages"
                          "\n   -cell = cellname\tconvert only cellname cell (default all)\n";

std::string sampleInput()
{
    std::string path = tempPath("sample.gds");
    Pelk::testing::sampleLibrary().writeTo(path);
    return path;
}

std::string sampleText()
{
    return Pelk::brenmo::testing::convertFile(sampleInput()).text;
}

TEST(BrenmoProgram, NoArgumentsIsACommandLineError)
{
    auto run = runProgram(BRENMO_PATH, {});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, banner + "\n\nERROR[20000] \tIncorrect command line arguments.\n" + usage);
}

TEST(BrenmoProgram, HelpWinsOverEverythingAfterIt)
{
    for (auto args : {std::vector<std::string>{"-h"}, std::vector<std::string>{"-h", "x"}}) {
        auto run = runProgram(BRENMO_PATH, args);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, banner + usage);
    }
}

TEST(BrenmoProgram, ConvertsToStandardOutputAfterTheBanner)
{
    auto run = runProgram(BRENMO_PATH, {sampleInput()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, banner + "\n");
    EXPECT_EQ(run.out, sampleText());
}

TEST(BrenmoProgram, QuietConvertsToAFileOnly)
{
    std::string output = tempPath("out.txt");
    auto run = runProgram(BRENMO_PATH, {"-q", sampleInput(), output});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(readWholeFile(output), sampleText());
}

TEST(BrenmoProgram, MissingInputCreatesNoOutput)
{
    std::string output = tempPath("never.txt");
    std::filesystem::remove(output);
    auto run = runProgram(BRENMO_PATH, {"-q", "/nonexistent/in.gds", output});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "\nERROR[20005] \tCannot open input file: /nonexistent/in.gds\n");
    EXPECT_FALSE(std::filesystem::exists(output));

    auto dir = runProgram(BRENMO_PATH, {"-q", "/tmp"});
    EXPECT_EQ(dir.status, 1);
    EXPECT_EQ(dir.err, "\nERROR[20005] \tCannot open input file: /tmp\n");
}

TEST(BrenmoProgram, OutputThatCannotBeCreated)
{
    auto run = runProgram(BRENMO_PATH, {"-q", sampleInput(), "/nonexistent/dir/out.txt"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "\nERROR[20006] \tCannot create output file: /nonexistent/dir/out.txt\n");
}

TEST(BrenmoProgram, ThrownFailuresAreUnknownExceptions)
{
    std::string empty = tempPath("empty.gds");
    std::ofstream(empty).close();
    auto run = runProgram(BRENMO_PATH, {"-q", empty});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "\nERROR[20008] \tUnknown exception. No information available.\n");
}

TEST(BrenmoProgram, AnOutputThatCannotBeWrittenIsAFailure)
{
    auto run = runProgram(BRENMO_PATH, {"-q", sampleInput(), "/dev/full"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "\nERROR[20008] \tUnknown exception. No information available.\n");
}

TEST(BrenmoProgram, ParseFailureGoesToStandardOutputEvenWithAnOutputFile)
{
    std::string input = tempPath("bad.gds");
    Pelk::testing::StreamBuilder().header().endlib().writeTo(input);
    std::string output = tempPath("bad.txt");
    auto run = runProgram(BRENMO_PATH, {"-q", input, output});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "\n\nERROR[20011] \tParsing failed at position 6");
    EXPECT_EQ(readWholeFile(output), "VERSION 600");
}

TEST(BrenmoProgram, CellOptionAndPathsWithBlanks)
{
    std::string input = tempPath("with blank.gds");
    Pelk::testing::sampleLibrary().writeTo(input);
    auto run = runProgram(BRENMO_PATH, {"-q", "-cell", "=", "SUB", input});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Pelk::brenmo::testing::convertFile(input, "SUB").text);
}

TEST(BrenmoProgram, WithoutTheFileLibraryItStartsAndFailsAtTheFirstOpen)
{
    auto dir = std::filesystem::temp_directory_path() / ("brenmo_nolib_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    auto copy = dir / "brenmo";
    std::filesystem::copy_file(BRENMO_PATH, copy, std::filesystem::copy_options::overwrite_existing);
    auto run = runProgram(copy.string(), {sampleInput()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, banner + "\nError\nFailed to load libzemrith.so\nReinstall software\n"
                                "\nERROR[20008] \tUnknown exception. No information available.\n");
    std::filesystem::remove_all(dir);
}

} // namespace
