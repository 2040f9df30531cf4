#include "counting_grammar.hpp"
#include "dressil_run.hpp"
#include "hierarchy_analysis.hpp"
#include "report_description.hpp"

#include "pelk/paged_file.hpp"
#include "pelk/real_format.hpp"
#include "pelk/record_codes.hpp"

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace Pelk::dressil;
using Pelk::testing::DressilRun;
using Pelk::testing::Point;
using Pelk::testing::StreamBuilder;
using Pelk::testing::TemporaryFile;
namespace Records = Pelk::core::Records;

// The whole outcome of one grammar run: match, position, library facts, structures.
std::string counted(const StreamBuilder& library)
{
    TemporaryFile file("counted.gds", library);
    Pelk::core::PagedFile input(file.path());
    LibraryReport report;
    auto result = runReportGrammar(report, {&input, 0}, {&input, input.size()});
    return std::string(result.matched ? "matched" : "failed") + " at " + std::to_string(result.end.offset)
         + "\nversion=" + std::to_string(report.version) + " name=" + report.libraryName
         + " units=" + Pelk::core::formatReal(report.units[0]) + "," + Pelk::core::formatReal(report.units[1])
         + "\n" + Pelk::testing::describe(report);
}

// One structure S holding the given elements, in a complete library.
StreamBuilder oneStructure(const std::function<void(StreamBuilder&)>& elements)
{
    StreamBuilder b;
    b.libraryStart().bgnstr("S");
    elements(b);
    b.endstr().endlib();
    return b;
}

std::string onlyStructureLine(const StreamBuilder& library)
{
    std::string text = counted(library);
    return text.substr(text.find("\nS ") + 1);
}

TEST(CountXY, RectanglesInEitherDirectionAndDegenerate)
{
    auto library = oneStructure([](StreamBuilder& b) {
        b.boundary(1, 0, {{0, 0}, {10, 0}, {10, 5}, {0, 5}, {0, 0}});
        b.boundary(1, 0, {{0, 0}, {0, 5}, {10, 5}, {10, 0}, {0, 0}});
        b.boundary(1, 0, {{7, 7}, {7, 7}, {7, 7}, {7, 7}, {7, 7}});
    });
    EXPECT_EQ(onlyStructureLine(library), "S layers={1} rects=3 polys=0 flat=0/0 refs={} inst=0\n");
}

TEST(CountXY, EverythingElseIsAPolygonExceptOnePoint)
{
    auto library = oneStructure([](StreamBuilder& b) {
        b.boundary(2, 0, {{0, 0}, {10, 0}, {10, 5}, {0, 5}});                           // four points
        b.boundary(2, 0, {{0, 0}, {10, 0}, {10, 5}, {5, 8}, {0, 5}, {0, 0}});           // six points
        b.boundary(2, 0, {{0, 0}, {10, 0}, {10, 5}, {0, 5}, {0, 1}});                   // not closed
        b.boundary(2, 0, {{0, 5}, {5, 0}, {10, 5}, {5, 10}, {0, 5}});                   // diamond
        b.boundary(3, 0, {{4, 4}});                                                     // one point
    });
    EXPECT_EQ(onlyStructureLine(library), "S layers={2,3} rects=0 polys=4 flat=0/0 refs={} inst=0\n");
}

TEST(CountingGrammar, OnlyBoundariesHaveLayersAndShapes)
{
    auto library = oneStructure([](StreamBuilder& b) {
        b.record(Records::PATH).int2(Records::LAYER, {7}).int2(Records::DATATYPE, {0});
        b.xy({{0, 0}, {10, 0}, {10, 5}, {0, 5}, {0, 0}}).endel();
        b.record(Records::TEXT).int2(Records::LAYER, {8}).int2(Records::TEXTTYPE, {0}).xy({{0, 0}});
        b.text(Records::STRING, "label").endel();
        b.record(Records::NODE).int2(Records::LAYER, {9}).int2(Records::NODETYPE, {0}).xy({{0, 0}, {1, 1}}).endel();
        b.record(Records::BOX).int2(Records::LAYER, {10}).int2(Records::BOXTYPE, {0});
        b.xy({{0, 0}, {10, 0}, {10, 5}, {0, 5}, {0, 0}}).endel();
        b.record(Records::SREF).text(Records::SNAME, "S").xy({{0, 0}, {10, 0}, {10, 5}, {0, 5}, {0, 0}}).endel();
    });
    EXPECT_EQ(onlyStructureLine(library), "S layers={} rects=0 polys=0 flat=0/0 refs={S:1} inst=1\n");
}

TEST(CountingGrammar, LayerIsSigned16Bit)
{
    auto library = oneStructure([](StreamBuilder& b) { b.boundary(0xFFFF, 0, {{0, 0}, {1, 1}, {2, 0}}); });
    EXPECT_EQ(onlyStructureLine(library), "S layers={-1} rects=0 polys=1 flat=0/0 refs={} inst=0\n");
}

TEST(CountingGrammar, PlacementsAddUpPerName)
{
    auto library = oneStructure([](StreamBuilder& b) {
        b.sref("A", {0, 0});
        b.aref("A", 3, 4, {{0, 0}, {30, 0}, {0, 40}});
        b.aref("B", 0xFFFF, 2, {{0, 0}, {30, 0}, {0, 40}});
        b.aref("C", -32768, -32768, {{0, 0}, {30, 0}, {0, 40}});
        b.sref("UNDEFINED", {5, 5});
        // STRANS with MAG and ANGLE does not change the count.
        b.record(Records::SREF).text(Records::SNAME, "A").int2(Records::STRANS, {0});
        b.real8(Records::MAG, {2}).real8(Records::ANGLE, {90}).xy({{0, 0}}).endel();
    });
    EXPECT_EQ(onlyStructureLine(library),
              "S layers={} rects=0 polys=0 flat=0/0 refs={A:14,B:-2,C:1073741824,UNDEFINED:1} inst=1073741837\n");
}

TEST(CountingGrammar, LaterStructureOfTheSameNameReplacesTheEarlier)
{
    StreamBuilder b;
    b.libraryStart("TWICE");
    b.bgnstr("S").rectangle(1, 0, 0, 1, 1).sref("X", {0, 0}).endstr();
    b.bgnstr("S").boundary(2, 0, {{0, 0}, {1, 1}, {2, 0}}).endstr();
    b.endlib();
    EXPECT_EQ(counted(b), "matched at " + std::to_string(b.size())
                              + "\nversion=600 name=TWICE units=0.001,1e-009"
                                "\nS layers={2} rects=0 polys=1 flat=0/0 refs={} inst=0\n");
}

TEST(CountingGrammar, NamesEndAtTheirFirstNulAndArePlacedBeforeOrAfterTheirDefinition)
{
    StreamBuilder b;
    b.libraryStart();
    b.bgnstr("EARLY").sref("X", {0, 0}).endstr();
    b.bgnstr(std::string("X\0junk", 6)).rectangle(1, 0, 0, 1, 1).endstr();
    b.bgnstr("XY").rectangle(2, 0, 0, 1, 1).endstr();
    b.bgnstr("LATE").aref(std::string("X\0Y", 3), 2, 3, {{0, 0}, {30, 0}, {0, 40}}).endstr();
    b.endlib();
    TemporaryFile file("placed.gds", b);
    Pelk::core::PagedFile input(file.path());
    LibraryReport report;
    EXPECT_TRUE(runReportGrammar(report, {&input, 0}, {&input, input.size()}).matched);
    flattenAll(report);
    EXPECT_EQ(Pelk::testing::describe(report),
              "EARLY layers={} rects=0 polys=0 flat=1/0 refs={X:1} inst=1\n"
              "LATE layers={} rects=0 polys=0 flat=6/0 refs={X:6} inst=6\n"
              "X layers={1} rects=1 polys=0 flat=1/0 refs={} inst=0 referenced\n"
              "XY layers={2} rects=1 polys=0 flat=1/0 refs={} inst=0\n");
    EXPECT_TRUE(findUndefined(report).empty());
}

TEST(CountingGrammar, EveryLayerNumberInOneStructure)
{
    auto library = oneStructure([](StreamBuilder& b) {
        for (int layer = 0; layer < 65536; ++layer)
            b.boundary(layer, 0, {{0, 0}, {1, 1}, {2, 0}});
    });
    std::string layers = "-32768";
    for (int layer = -32767; layer < 32768; ++layer) {
        layers += ',';
        layers += std::to_string(layer);
    }
    EXPECT_EQ(onlyStructureLine(library), "S layers={" + layers + "} rects=0 polys=65536 flat=0/0 refs={} inst=0\n");

    DressilRun run = Pelk::testing::reportOf(library);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.console, "\nGDS version: \t600\nLibrary name: \tLIB\nUnits: \t0.001 \t1e-009"
                           "\nTotal number of structures: \t1\nTotal number of layers:     \t65536"
                           "\n\nList of unreferenced structures:\n--------------------------------\n\n\tS"
                           "\n\nList of all structures:\n-----------------------\n\n"
                           "Name                      Layers     Inst    Rects FlatRects    Polys FlatPolys\n"
                               + std::string(80, '-')
                               + "\nS                          65536        0        0         0    65536     65536"
                                 "\n\nEnd of report\n");
}

TEST(CountingGrammar, OptionalLibraryRecordsAndNoStructures)
{
    StreamBuilder b;
    b.header(5).bgnlib().int2(Records::LIBDIRSIZE, {0}).text(Records::SRFNAME, "srf");
    b.int2(Records::LIBSECUR, {0}).libname("OPT").text(Records::REFLIBS, "ref").text(Records::FONTS, "font");
    b.text(Records::ATTRTABLE, "attr").int2(Records::GENERATIONS, {3}).int2(Records::FORMAT, {0});
    b.units(1, 1e-6).endlib();
    EXPECT_EQ(counted(b), "matched at " + std::to_string(b.size()) + "\nversion=5 name=OPT units=1,1e-006\n");

    StreamBuilder masks;
    masks.header(600).bgnlib().libname("M").int2(Records::FORMAT, {1}).text(Records::MASK, "0:10");
    masks.text(Records::MASK, "20").record(Records::ENDMASKS).units().endlib();
    EXPECT_EQ(counted(masks), "matched at " + std::to_string(masks.size()) + "\nversion=600 name=M units=0.001,1e-009\n");
}

TEST(CountingGrammar, StrclassOfAnyLengthAndPropertiesAreSkipped)
{
    StreamBuilder b;
    b.libraryStart().bgnstr("S").record(Records::STRCLASS, {1, 2, 3, 4, 5, 6});
    b.record(Records::BOUNDARY).int2(Records::LAYER, {4}).int2(Records::DATATYPE, {0});
    b.xy({{0, 0}, {10, 0}, {10, 5}, {0, 5}, {0, 0}}).int2(Records::PROPATTR, {1}).text(Records::PROPVALUE, "v");
    b.int2(Records::PROPATTR, {2}).text(Records::PROPVALUE, "w").endel();
    b.endstr().endlib();
    EXPECT_EQ(onlyStructureLine(b), "S layers={4} rects=1 polys=0 flat=0/0 refs={} inst=0\n");
}

TEST(CountingGrammar, FailedStructureIsDroppedAndLibraryFactsAreNotCopied)
{
    StreamBuilder b;
    b.libraryStart("PARTIAL");
    b.bgnstr("FIRST").rectangle(1, 0, 0, 1, 1).endstr();
    b.bgnstr("SECOND").rectangle(2, 0, 0, 1, 1).endstr();
    std::size_t third = b.size();
    b.bgnstr("THIRD").rectangle(3, 0, 0, 1, 1);
    b.record(Records::BOUNDARY).int2(Records::DATATYPE, {0}).endel(); // LAYER missing
    b.endstr().endlib();
    EXPECT_EQ(counted(b), "failed at " + std::to_string(third)
                              + "\nversion=0 name= units=0,0"
                                "\nFIRST layers={1} rects=1 polys=0 flat=0/0 refs={} inst=0"
                                "\nSECOND layers={2} rects=1 polys=0 flat=0/0 refs={} inst=0\n");
}

} // namespace
