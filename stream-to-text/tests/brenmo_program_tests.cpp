#include "conversion_fixture.hpp"
#include "program_runner.hpp"

#include "pelk/console_frame.hpp"

#include <gtest/gtest.h>

namespace {

using Pelk::testing::readWholeFile;
using Pelk::testing::runProgram;
using Pelk::testing::TemporaryFile;

const std::string rule(63, '=');
const std::string banner = "\n" + rule + "\n     brenmo, Version 1.3.278 Linux 64-bit\n" + rule;

TemporaryFile sampleInput(const std::string& name = "sample.gds")
{
    return TemporaryFile(name, Pelk::testing::sampleLibrary());
}

std::string sampleText()
{
    return Pelk::brenmo::testing::convertFile(sampleInput().path()).text;
}

TEST(BrenmoProgram, ConvertsToStandardOutputAfterTheBanner)
{
    auto run = runProgram(BRENMO_PATH, {sampleInput().path()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, banner + "\n");
    EXPECT_EQ(run.out, sampleText());
}

TEST(BrenmoProgram, QuietConvertsToAFileOnly)
{
    TemporaryFile output("out.txt");
    auto run = runProgram(BRENMO_PATH, {"-q", sampleInput().path(), output.path()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(readWholeFile(output.path()), sampleText());
}

TEST(BrenmoProgram, ThrownFailuresAreUnknownExceptions)
{
    TemporaryFile empty("empty.gds", "");
    auto run = runProgram(BRENMO_PATH, {"-q", empty.path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "\nERROR[20008] \tUnknown exception. No information available.\n");
}

TEST(BrenmoProgram, ParseFailureGoesToStandardOutputEvenWithAnOutputFile)
{
    TemporaryFile input("bad.gds", Pelk::testing::StreamBuilder().header().endlib());
    TemporaryFile output("bad.txt");
    auto run = runProgram(BRENMO_PATH, {"-q", input.path(), output.path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "\n\nERROR[20011] \tParsing failed at position 6");
    EXPECT_EQ(readWholeFile(output.path()), "VERSION 600");
}

TEST(BrenmoProgram, CellOptionAndPathsWithBlanks)
{
    TemporaryFile input = sampleInput("with blank.gds");
    auto run = runProgram(BRENMO_PATH, {"-q", "-cell", "=", "SUB", input.path()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Pelk::brenmo::testing::convertFile(input.path(), "SUB").text);
}

TEST(BrenmoProgram, WithoutTheFileLibraryItStartsAndFailsAtTheFirstOpen)
{
    TemporaryFile dir("brenmo_nolib");
    std::filesystem::create_directories(dir.path());
    std::string copy = dir.path() + "/brenmo";
    std::filesystem::copy_file(BRENMO_PATH, copy);
    auto run = runProgram(copy, {sampleInput().path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, banner + "\nError\nFailed to load libzemrith.so\nReinstall software\n"
                                "\nERROR[20008] \tUnknown exception. No information available.\n");
}

} // namespace
