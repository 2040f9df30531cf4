#include "conversion_fixture.hpp"
#include "program_runner.hpp"
#include "refused_helper_buffers.hpp"

#include "pelk/console_frame.hpp"
#include "pelk/output_buffer.hpp"
#include "pelk/record_codes.hpp"

#include <gtest/gtest.h>

namespace {

using Pelk::brenmo::testing::convertFile;
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
    return convertFile(sampleInput().path()).text;
}

// Thousands of structures, three of them named `cell` and large enough that
// their text passes through several output buffers, the file through
// several chunks read ahead.
TemporaryFile manyStructures(const std::string& cell)
{
    Pelk::testing::StreamBuilder b;
    b.libraryStart("MANY");
    for (int s = 0; s < 3000; ++s) {
        const bool selected = s % 1000 == 7;
        b.bgnstr(selected ? cell : "CELL_" + std::to_string(s));
        for (int e = 0; e < (selected ? 40000 : 3); ++e)
            b.rectangle(e % 64, e, s, e + 10 + s % 7, s + 5);
        b.endstr();
    }
    b.endlib();
    return TemporaryFile("many.gds", b);
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

// Thrown inside a structure that -cell skips, a failure must hand the text
// back to the real output: the filter's stream it was going to goes with the
// filter.
TEST(BrenmoProgram, ThrownFailuresAreUnknownExceptions)
{
    using namespace Pelk::core::Records;
    Pelk::testing::StreamBuilder skipped;
    skipped.libraryStart().bgnstr("TOP").rectangle(1, 0, 0, 2, 2).endstr();
    // One point and a half.
    skipped.bgnstr("A").record(BOUNDARY).int2(LAYER, {1}).int2(DATATYPE, {0}).record(XY, Pelk::testing::Bytes(12));
    skipped.endel().endstr().endlib();
    const std::string dates = "2010/4/17 9:05:03, 2010/4/17 9:05:03";
    struct Row {
        const char* name;
        Pelk::testing::StreamBuilder input;
        std::vector<std::string> options;
        std::string out;
    };
    const Row rows[] = {
        {"empty file", {}, {"-q"}, ""},
        {"failure in a skipped structure", skipped, {"-q", "-cell=TOP"},
         "VERSION 600\nLIBRARY [" + dates + "] LIB\nUNITS 0.001 1e-009\n\nSTRUCT [" + dates
             + "]  TOP\n   BOUNDARY 1 0\n\tRECT (0 0, 2 2)\n   ;\n\nENDSTR"},
    };
    for (const Row& row : rows) {
        TemporaryFile input("thrown.gds", row.input);
        std::vector<std::string> args = row.options;
        args.push_back(input.path());
        auto run = runProgram(BRENMO_PATH, args);
        EXPECT_EQ(run.status, 1) << row.name;
        EXPECT_EQ(run.out, row.out) << row.name;
        EXPECT_EQ(run.err, "\nERROR[20008] \tUnknown exception. No information available.\n") << row.name;
    }
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
    EXPECT_EQ(run.out, convertFile(input.path(), "SUB").text);
}

// The filter switches the text's target several times per structure, which
// must neither change nor lose a byte of what reaches a file.
TEST(BrenmoProgram, CellTextIsTheSameIntoAFileAsIntoStandardOutput)
{
    TemporaryFile input = manyStructures("WANTED");
    TemporaryFile output("many.txt");
    auto toFile = runProgram(BRENMO_PATH, {"-q", "-cell=WANTED", input.path(), output.path()});
    auto toConsole = runProgram(BRENMO_PATH, {"-q", "-cell=WANTED", input.path()});
    EXPECT_EQ(toFile.status, 0);
    EXPECT_EQ(toConsole.status, 0);
    const std::string text = readWholeFile(output.path());
    EXPECT_GT(text.size(), 3 * Pelk::core::OutputBuffer::defaultCapacity);
    EXPECT_EQ(text, toConsole.out);
}

// Without memory for the read-ahead and write-behind, the text is read and
// written in place, whole.
TEST(BrenmoProgram, RefusedHelperBuffersLeaveTheTextWhole)
{
    TemporaryFile input = manyStructures("WANTED");
    const std::string whole = convertFile(input.path()).text;
    Pelk::testing::RefusedHelperBuffers refusal;
    EXPECT_EQ(convertFile(input.path()).text, whole);
    // The read-ahead's ring and the writer's second buffer.
    EXPECT_EQ(refusal.refused(), 2);
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
