// Hierarchies far deeper or wider than a recursive or 32-bit flattening
// survives, each compared as a whole report.
#include "dressil_run.hpp"
#include "hierarchy_analysis.hpp"
#include "report_layout.hpp"
#include "structure_definition.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

namespace {

using namespace Pelk::dressil;
using namespace Pelk::testing;

std::string levelName(int i)
{
    char name[16];
    std::snprintf(name, sizeof name, "L%07d", i);
    return name;
}

std::string reportText(LibraryReport& report)
{
    flattenAll(report);
    std::ostringstream out;
    ReportWriter(out).writeReport(report);
    return out.str();
}

// The report of a library whose header is the builder's default (LIB, 600,
// 0.001 and 1e-9) or, for an analysis built in memory, the initial values.
std::string expectedReport(bool fromStream, std::size_t structures, std::size_t layers,
                           const std::string& unreferenced, const std::string& rows)
{
    return std::string(fromStream ? "\nGDS version: \t600\nLibrary name: \tLIB\nUnits: \t0.001 \t1e-009"
                                  : "\nGDS version: \t0\nLibrary name: \t\nUnits: \t0 \t0")
         + "\nTotal number of structures: \t" + std::to_string(structures)
         + "\nTotal number of layers:     \t" + std::to_string(layers)
         + "\n\nList of unreferenced structures:\n--------------------------------\n\n\t" + unreferenced
         + "\n\nList of all structures:\n-----------------------\n\n"
           "Name                      Layers     Inst    Rects FlatRects    Polys FlatPolys\n"
         + std::string(80, '-') + rows + "\n\nEnd of report\n";
}

std::string row(const std::string& name, std::int64_t layers, std::int64_t inst, std::int64_t rects,
                std::int64_t flatRects, std::int64_t polys, std::int64_t flatPolys)
{
    char text[160];
    std::snprintf(text, sizeof text, "\n%-26s%6lld%9lld%9lld%10lld%9lld%10lld", name.c_str(),
                  static_cast<long long>(layers), static_cast<long long>(inst), static_cast<long long>(rects),
                  static_cast<long long>(flatRects), static_cast<long long>(polys),
                  static_cast<long long>(flatPolys));
    return text;
}

// Level i places level i + 1 twice; the deepest level holds what `leaf` adds.
StreamBuilder doublingHierarchy(int levels, const std::function<void(StreamBuilder&)>& leaf)
{
    StreamBuilder b;
    b.libraryStart();
    for (int i = 0; i < levels; ++i) {
        b.bgnstr(levelName(i));
        if (i + 1 < levels)
            b.sref(levelName(i + 1), {0, 0}).sref(levelName(i + 1), {100, 0});
        else
            leaf(b);
        b.endstr();
    }
    b.endlib();
    return b;
}

TEST(DeepHierarchy, SixtyLevelsOfDoublePlacementWithoutBoundaries)
{
    // Nothing below sums to more than 0, which a flattening that used the
    // counts as its done mark would walk 2^60 times.
    constexpr int levels = 60;
    auto library = doublingHierarchy(levels, [](StreamBuilder& b) {
        b.record(0x0900).int2(0x0D02, {1}).int2(0x0E02, {0}).xy({{0, 0}, {10, 0}}).endel();
        b.record(0x0C00).int2(0x0D02, {2}).int2(0x1602, {0}).xy({{0, 0}}).text(0x1906, "pin").endel();
    });
    std::string rows;
    for (int i = 0; i < levels; ++i)
        rows += row(levelName(i), 0, i + 1 < levels ? 2 : 0, 0, 0, 0, 0);
    DressilRun run = reportOf(library);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.console, expectedReport(true, levels, 0, levelName(0), rows));
}

TEST(DeepHierarchy, TwoToTheFortyRectanglesAreCountedExactly)
{
    constexpr int levels = 41;
    auto library = doublingHierarchy(levels, [](StreamBuilder& b) { b.rectangle(7, 0, 0, 10, 10); });
    std::string rows;
    for (int i = 0; i < levels; ++i)
        rows += row(levelName(i), i + 1 == levels, i + 1 < levels ? 2 : 0, i + 1 == levels,
                    std::int64_t{1} << (levels - 1 - i), 0, 0);
    DressilRun run = reportOf(library);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.console, expectedReport(true, levels, 1, levelName(0), rows));
}

TEST(DeepHierarchy, MillionStructureChainNeedsNoDeepRecursion)
{
    constexpr int depth = 1000000;
    LibraryReport r;
    for (int i = 0; i + 1 < depth; ++i)
        define(r, levelName(i), {.references = {{levelName(i + 1), 1}}});
    define(r, levelName(depth - 1), {.rects = 1, .layers = {5}});
    std::string rows;
    for (int i = 0; i < depth; ++i)
        rows += row(levelName(i), i + 1 == depth, i + 1 < depth, i + 1 == depth, 1, 0, 0);
    EXPECT_EQ(reportText(r), expectedReport(false, depth, 1, levelName(0), rows));
}

} // namespace
