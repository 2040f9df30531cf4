#include "program_runner.hpp"
#include "text_conversion_fixture.hpp"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <sstream>

namespace {

using namespace Pelk::calvio::testing;
using Pelk::testing::readWholeFile;
using Pelk::testing::runProgram;

const std::string rule(63, '=');
const std::string banner = "\n" + rule + "\n     calvio, Version 1.3.278 Linux 64-bit\n" + rule;
const std::string usage = "\n\nUsage: calvio [OPTIONS] <ascii file> <output file>\n"
                          "\n   ------------------------------------"
                          "\n\n   -h\t\t\tshow usage"
                          "\n   -q\t\t\tsuppress logo and information messages"
                          "\n   -cell=cellname\tconvert only cellname cell (default all)\n";

const std::string sampleText = libraryWith("\n   BOUNDARY 1 0\n\tRECT (0 0, 100 50)\n   ;\n   SREF SUB \t(10 20)\n   ;");

Bytes sampleRecords()
{
    return streamHead()
        .bgnstr("TOP")
        .rectangle(1, 0, 0, 100, 50)
        .sref("SUB", {10, 20})
        .endstr()
        .endlib()
        .bytes();
}

Bytes padded(Bytes b)
{
    b.resize((b.size() + 2047) / 2048 * 2048, 0);
    return b;
}

TemporaryFile inputFile(const std::string& text) { return TemporaryFile("in.txt", text); }

TEST(CalvioProgram, WithoutAnOutputFileTheUsageIsShown)
{
    for (auto args : {std::vector<std::string>{"in.txt"}, std::vector<std::string>{"-q", "in.txt"}}) {
        auto run = runProgram(CALVIO_PATH, args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, banner + "\n\nERROR[30002] \tNo output file specified.\n" + usage);
    }
}

TEST(CalvioProgram, ConvertsAndPadsTo2048Bytes)
{
    TemporaryFile output("out.gds");
    auto loud = runProgram(CALVIO_PATH, {inputFile(sampleText).path(), output.path()});
    EXPECT_EQ(loud.status, 0);
    EXPECT_EQ(loud.err, banner + "\n");
    EXPECT_EQ(loud.out, "");
    EXPECT_EQ(toBytes(readWholeFile(output.path())), padded(sampleRecords()));

    auto quiet = runProgram(CALVIO_PATH, {"-q", inputFile(sampleText).path(), output.path()});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(toBytes(readWholeFile(output.path())), padded(sampleRecords()));
}

// A library whose records add up to `size` bytes: its one TEXT string
// takes up what the rest leaves.
std::pair<std::string, Bytes> libraryOfSize(std::size_t size)
{
    auto build = [](std::size_t length) {
        return streamHead()
            .bgnstr("TOP")
            .record(0x0C00)
            .int2(0x0D02, {5})
            .int2(0x1602, {0})
            .xy({{0, 0}})
            .text(0x1906, std::string(length, 's'))
            .endel()
            .endstr()
            .endlib()
            .bytes();
    };
    std::size_t length = size - build(0).size();
    std::string text = libraryWith("\n   TEXT 5 TYPE=0 \t(0 0) \"" + std::string(length, 's') + "\"\n   ;");
    return {text, build(length)};
}

TEST(CalvioProgram, PadsOnlyUpToTheNextBlock)
{
    TemporaryFile output("out.gds");
    auto [text5000, records5000] = libraryOfSize(5000);
    ASSERT_EQ(records5000.size(), 5000u);
    EXPECT_EQ(runProgram(CALVIO_PATH, {"-q", inputFile(text5000).path(), output.path()}).status, 0);
    Bytes want = records5000;
    want.resize(6144, 0);
    EXPECT_EQ(toBytes(readWholeFile(output.path())), want);

    auto [text4096, records4096] = libraryOfSize(4096);
    EXPECT_EQ(runProgram(CALVIO_PATH, {"-q", inputFile(text4096).path(), output.path()}).status, 0);
    EXPECT_EQ(toBytes(readWholeFile(output.path())), records4096);
}

TEST(CalvioProgram, ParseFailureKeepsAndPadsThePartialOutput)
{
    std::string strct = "\nSTRUCT [2010/4/17 9:05:03, 2010/4/17 9:05:03]  ";
    std::string text = std::string(textHead) + strct + "A\n   BOUNDARY 1 0 (1 1) ;\nENDSTR" + strct
                     + "B\n   BOUNDARY 2 0 (2 2) ;\n   PATH 3 0 W=x (0 0) ;\nENDSTR\nENDLIB\n";
    TemporaryFile output("out.gds");
    auto run = runProgram(CALVIO_PATH, {"-q", inputFile(text).path(), output.path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "");
    std::size_t second = text.find("STRUCT [", text.find("STRUCT [") + 1);
    EXPECT_EQ(run.out, "\n\nERROR[30011] \tParsing failed at or around position " + std::to_string(second) + ":\n"
                           + text.substr(second, 80) + " ... \n");
    Bytes records = streamHead()
                        .bgnstr("A")
                        .boundary(1, 0, {{1, 1}})
                        .endstr()
                        .bgnstr("B")
                        .boundary(2, 0, {{2, 2}})
                        .record(0x0900)
                        .int2(0x0D02, {3})
                        .int2(0x0E02, {0})
                        .bytes();
    EXPECT_EQ(toBytes(readWholeFile(output.path())), padded(records));
}

TEST(CalvioProgram, EchoStopsAtTheEndOfTheFile)
{
    TemporaryFile output("out.gds");
    auto empty = runProgram(CALVIO_PATH, {"-q", inputFile("").path(), output.path()});
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(empty.out, "\n\nERROR[30011] \tParsing failed at or around position 0:\n\n");
    EXPECT_EQ(readWholeFile(output.path()), "");

    std::string text = std::string(textHead) + "ENDLI";
    auto shortTail = runProgram(CALVIO_PATH, {"-q", inputFile(text).path(), output.path()});
    EXPECT_EQ(shortTail.status, 1);
    std::size_t at = text.size() - 5;
    EXPECT_EQ(shortTail.out, "\n\nERROR[30011] \tParsing failed at or around position " + std::to_string(at)
                                 + ":\nENDLI\n");
    EXPECT_EQ(toBytes(readWholeFile(output.path())), padded(streamHead().bytes()));
}

TEST(CalvioProgram, ThrownFailuresAreReportedAndLeaveTheOutputUnpadded)
{
    std::string points = "\n\tXY 4097 (";
    for (int i = 0; i < 4097; ++i)
        points += (i ? ", " : " ") + std::to_string(i) + " 0";
    std::string text = libraryWith("\n   BOUNDARY 1 0" + points + ")\n   ;");
    TemporaryFile output("out.gds");
    auto run = runProgram(CALVIO_PATH, {"-q", inputFile(text).path(), output.path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "\nERROR[30008] \tUnknown exception. No information available.\n");
    EXPECT_EQ(toBytes(readWholeFile(output.path())),
              streamHead().bgnstr("TOP").record(0x0800).int2(0x0D02, {1}).int2(0x0E02, {0}).bytes());
}

TEST(CalvioProgram, CellOptionSelectsAStructure)
{
    std::string strct = "\nSTRUCT [2010/4/17 9:05:03, 2010/4/17 9:05:03]  ";
    std::string twoCells = std::string(textHead) + strct + "A\nENDSTR" + strct + "B\nENDSTR\nENDLIB\n";
    // A name no record holds is skipped when another is selected, and
    // fails on its STRNAME, after its BGNSTR, when it is the one selected.
    std::string longName(40000, 'L');
    std::string longCells = std::string(textHead) + strct + "RINGO\n   BOUNDARY 1 0 (1 1) ;\nENDSTR" + strct + longName
                          + "\n   BOUNDARY 2 0 (2 2) ;\nENDSTR\nENDLIB\n";
    const std::string unknown = "\nERROR[30008] \tUnknown exception. No information available.\n";
    struct Row {
        std::vector<std::string> cell;
        const std::string& text;
        int status;
        std::string err;
        Bytes output;
    };
    const Row rows[] = {
        {{"-cell", "=", "B"}, twoCells, 0, "", padded(streamHead().bgnstr("B").endstr().endlib().bytes())},
        {{"-cell=RINGO"}, longCells, 0, "",
         padded(streamHead().bgnstr("RINGO").boundary(1, 0, {{1, 1}}).endstr().endlib().bytes())},
        {{"-cell=" + longName}, longCells, 1, unknown,
         streamHead().dates(0x0502, Pelk::testing::sampleDates).bytes()},
    };
    for (const Row& row : rows) {
        TemporaryFile input("in.txt", row.text), output("out.gds");
        std::vector<std::string> args{"-q"};
        args.insert(args.end(), row.cell.begin(), row.cell.end());
        args.insert(args.end(), {input.path(), output.path()});
        auto run = runProgram(CALVIO_PATH, args);
        EXPECT_EQ(run.status, row.status) << row.cell[0].substr(0, 16);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, row.err);
        EXPECT_EQ(toBytes(readWholeFile(output.path())), row.output) << row.cell[0].substr(0, 16);
    }
}

} // namespace

namespace {

using namespace Pelk::calvio::testing;

TEST(CalvioProgram, PaddingThatCannotBeWrittenIsAFailure)
{
    // Under a 1 KB file-size limit the records fit and the padding does not.
    TemporaryFile output("limited.gds");
    std::string command = "ulimit -f 1; exec \"$0\" -q \"$1\" \"$2\"";
    auto limited =
        Pelk::testing::runProgram("bash", {"-c", command, CALVIO_PATH, inputFile(sampleText).path(), output.path()});
    EXPECT_EQ(limited.status, 1);
    EXPECT_EQ(limited.err, "\nERROR[30008] \tUnknown exception. No information available.\n");
    EXPECT_EQ(readWholeFile(output.path()).size(), 1024u);
}

// Whatever the output is, it goes by the bytes written to it.
TEST(PadTo2048, UpToTheNextBlockOfTheBytesWritten)
{
    for (auto [written, zeros] : {std::pair<std::uint64_t, std::size_t>{0, 0}, {1, 2047}, {4096, 0}, {5000, 1144}}) {
        std::ostringstream output;
        Pelk::calvio::padTo2048(output, written);
        EXPECT_EQ(output.str(), std::string(zeros, '\0')) << written;
    }
}

// The same text gives the same bytes into a file and through a pipe, a
// failed parse included; the console goes to standard error to keep it out
// of the pipe.
TEST(CalvioProgram, APipeIsPaddedAsAFileIs)
{
    std::string broken = std::string(textHead) + "\nSTRUCT [2010/4/17 9:05:03, 2010/4/17 9:05:03]  A\n   PATH";
    for (const std::string& text : {sampleText, libraryOfSize(5000).first, libraryOfSize(4096).first, broken}) {
        TemporaryFile input("in.txt", text);
        TemporaryFile output("out.gds");
        auto file = runProgram(CALVIO_PATH, {"-q", input.path(), output.path()});
        auto piped = Pelk::testing::runProgram(
            "bash", {"-c", "set -o pipefail; \"$0\" -q \"$1\" /dev/fd/3 3>&1 1>&2 | cat", CALVIO_PATH, input.path()});
        EXPECT_EQ(piped.status, file.status);
        EXPECT_EQ(piped.out, readWholeFile(output.path()));
        EXPECT_EQ(piped.err, file.out + file.err);
    }
}

} // namespace
