#include "dressil_run.hpp"

#include "pelk/console_frame.hpp"
#include "pelk/record_codes.hpp"

#include <gtest/gtest.h>


namespace {

using namespace Pelk::testing;
namespace Records = Pelk::core::Records;

// Built when asked: the core's banner pieces are themselves static objects.
std::string banner() { return Pelk::core::buildBanner("DRESSIL"); }

// The worked example: A on layers 1 and 2 with two rectangles and a
// polygon; TOP places A twice and the undefined X once.
StreamBuilder exampleLibrary()
{
    StreamBuilder b;
    b.libraryStart("LIB");
    b.bgnstr("A").rectangle(1, 0, 0, 10, 10).rectangle(2, 0, 0, 5, 5);
    b.boundary(2, 0, {{0, 0}, {5, 0}, {8, 4}, {0, 0}}).endstr();
    b.bgnstr("TOP").sref("A", {0, 0}).sref("A", {100, 0}).sref("X", {0, 100}).endstr();
    b.endlib();
    return b;
}

const std::string exampleReport = checkedReport("worked_example");

TEST(DressilRun, ReportGoesToStandardOutputAfterTheBanner)
{
    TemporaryFile input("example.gds", exampleLibrary());
    DressilRun run = runDressil({input.path()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.errors, banner() + "\n");
    EXPECT_EQ(run.console, exampleReport);
}

TEST(DressilRun, QuietLeavesOutTheBannerAndCellIsIgnoredWithAWarning)
{
    TemporaryFile input("example.gds", exampleLibrary());
    DressilRun quiet = runDressil({"-q", input.path()});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.errors, "");
    EXPECT_EQ(quiet.console, exampleReport);

    DressilRun cell = runDressil({"-cell", "=", "A", input.path()});
    EXPECT_EQ(cell.status, 0);
    EXPECT_EQ(cell.errors, banner() + "\n\nWARNING[10003] \t'-cell' option is ignored.\n");
    EXPECT_EQ(cell.console, exampleReport);
}

TEST(DressilRun, ReportGoesIntoTheOutputFile)
{
    TemporaryFile input("example.gds", exampleLibrary());
    TemporaryFile output("example.txt");
    DressilRun run = runDressil({"-q", input.path(), output.path()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.console, "");
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(readWholeFile(output.path()), exampleReport);
}

TEST(DressilRun, FailuresOfTheRecordLayerEndTheRunWithoutAReport)
{
    const std::string unknown = "\nERROR[10007] \tUnknown exception. No information available.\n";
    TemporaryFile empty("empty.gds", Bytes{});
    DressilRun emptyRun = runDressil({"-q", empty.path()});
    EXPECT_EQ(emptyRun.status, 1);
    EXPECT_EQ(emptyRun.console, "");
    EXPECT_EQ(emptyRun.errors, unknown);

    StreamBuilder oversized;
    oversized.libraryStart().bgnstr("S").record(Records::BOUNDARY).int2(Records::LAYER, {1});
    oversized.int2(Records::DATATYPE, {0}).recordWithLength(Records::XY, 40000 & 0xFFFF, Bytes(40000, 0));
    oversized.endel().endstr().endlib();
    TemporaryFile big("oversized.gds", oversized);
    DressilRun bigRun = runDressil({"-q", big.path()});
    EXPECT_EQ(bigRun.status, 1);
    EXPECT_EQ(bigRun.console, "");
    EXPECT_EQ(bigRun.errors, unknown);
}

TEST(DressilRun, ParseFailureIsFollowedByThePartialReport)
{
    StreamBuilder b;
    b.libraryStart("PARTIAL");
    b.bgnstr("FIRST").rectangle(1, 0, 0, 1, 1).sref("SECOND", {0, 0}).endstr();
    b.bgnstr("SECOND").rectangle(2, 0, 0, 1, 1).endstr();
    std::size_t third = b.size();
    b.bgnstr("THIRD").record(Records::BOUNDARY).int2(Records::DATATYPE, {0}).endel().endstr().endlib();
    TemporaryFile input("partial.gds", b);
    TemporaryFile output("partial.txt");
    DressilRun run = runDressil({"-q", input.path(), output.path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(run.console, "\n\nERROR[10011] \tParsing failed at or around position " + std::to_string(third));
    EXPECT_EQ(readWholeFile(output.path()),
              "\nGDS version: \t0\nLibrary name: \t\nUnits: \t0 \t0"
              "\nTotal number of structures: \t2\nTotal number of layers:     \t2"
              "\n\nList of unreferenced structures:\n--------------------------------\n\n\tFIRST"
              "\n\nList of all structures:\n-----------------------\n\n"
              "Name                      Layers     Inst    Rects FlatRects    Polys FlatPolys\n"
              "--------------------------------------------------------------------------------"
              "\nFIRST                          1        1        1         2        0         0"
              "\nSECOND                         1        0        1         1        0         0"
              "\n\nEnd of report\n");
}

TEST(DressilRun, BytesAfterEndlibAreNeverRead)
{
    StreamBuilder padded = exampleLibrary();
    padded.raw(Bytes(2048 - padded.size() % 2048, 0xEE));
    TemporaryFile input("padded.gds", padded);
    DressilRun run = runDressil({"-q", input.path()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.console, exampleReport);
}

} // namespace
