#include "flatten_by_sums.hpp"
#include "hierarchy_analysis.hpp"
#include "report_description.hpp"
#include "structure_definition.hpp"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace Pelk::dressil;

using Pelk::testing::define;
using Pelk::testing::describe;
using Pelk::testing::Shapes;

Shapes shapes(std::int64_t rects, std::int64_t polys,
              std::vector<std::pair<std::string, std::int64_t>> references = {})
{
    return {.rects = rects, .polys = polys, .references = std::move(references)};
}

std::string flattened(LibraryReport report)
{
    flattenAll(report);
    return describe(report);
}

TEST(FlattenAll, PlacementsMultiplyTheCountsOfWhatTheyPlace)
{
    // Two SREFs of A, or an AREF of 2 x 5 of A.
    struct Case {
        std::int64_t placements;
        const char* top;
    } cases[] = {
        {2, "TOP layers={} rects=0 polys=0 flat=6/2 refs={A:2} inst=2\n"},
        {10, "TOP layers={} rects=0 polys=0 flat=30/10 refs={A:10} inst=10\n"},
    };
    for (const Case& c : cases) {
        LibraryReport r;
        define(r, "A", shapes(3, 1));
        define(r, "TOP", shapes(0, 0, {{"A", c.placements}}));
        EXPECT_EQ(flattened(r), std::string("A layers={} rects=3 polys=1 flat=3/1 refs={} inst=0 referenced\n") + c.top);
    }
}

TEST(FlattenAll, UndefinedNamesCountAsInstancesOnly)
{
    LibraryReport r;
    define(r, "A", shapes(1, 0));
    define(r, "TOP", shapes(0, 0, {{"A", 1}, {"B", 2}, {"GHOST", 4}}));
    EXPECT_EQ(flattened(r), "A layers={} rects=1 polys=0 flat=1/0 refs={} inst=0 referenced\n"
                            "TOP layers={} rects=0 polys=0 flat=1/0 refs={A:1,B:2,GHOST:4} inst=7\n");
    EXPECT_EQ(findUndefined(r), (std::vector<std::string_view>{"B", "GHOST"}));
}

TEST(FlattenAll, CyclesEndWithFiniteCounts)
{
    LibraryReport ab;
    define(ab, "A", shapes(1, 0, {{"B", 1}}));
    define(ab, "B", shapes(2, 0, {{"A", 1}}));
    EXPECT_EQ(flattened(ab), "A layers={} rects=1 polys=0 flat=4/0 refs={B:1} inst=1 referenced\n"
                             "B layers={} rects=2 polys=0 flat=3/0 refs={A:1} inst=1 referenced\n");

    LibraryReport self;
    define(self, "A", shapes(1, 0, {{"A", 2}}));
    EXPECT_EQ(flattened(self), "A layers={} rects=1 polys=0 flat=3/0 refs={A:2} inst=2 referenced\n");
}

TEST(FlattenAll, NegativeCountOnACycleTerminates)
{
    // C's gathered count falls back to 0 while C is under way; a flattening
    // that took a 0 sum for "not started" would enter C again for ever.
    LibraryReport r;
    define(r, "A", shapes(1, 0));
    define(r, "C", shapes(0, 0, {{"A", -1}, {"C", 1}}));
    EXPECT_EQ(flattened(r), "A layers={} rects=1 polys=0 flat=1/0 refs={} inst=0 referenced\n"
                            "C layers={} rects=0 polys=0 flat=-1/0 refs={A:-1,C:1} inst=0 referenced\n");
}

TEST(FlattenAll, ZeroAndNegativeCountsStillMarkReferenced)
{
    LibraryReport r;
    define(r, "A", shapes(1, 1));
    define(r, "B", shapes(1, 0));
    define(r, "TOP", shapes(0, 0, {{"A", 0}, {"B", -2}}));
    EXPECT_EQ(flattened(r), "A layers={} rects=1 polys=1 flat=1/1 refs={} inst=0 referenced\n"
                            "B layers={} rects=1 polys=0 flat=1/0 refs={} inst=0 referenced\n"
                            "TOP layers={} rects=0 polys=0 flat=-2/0 refs={A:0,B:-2} inst=-2\n");
}

TEST(FlattenAll, EmptyLibrary)
{
    LibraryReport r;
    flattenAll(r);
    EXPECT_EQ(describe(r), "");
    EXPECT_EQ(countLayers(r), 0u);
    EXPECT_TRUE(findUndefined(r).empty());
}

TEST(FlattenAll, OverflowWrapsInsteadOfTrapping)
{
    // 2^62 placements of 4 rectangles: the product wraps to 0 modulo 2^64.
    LibraryReport r;
    define(r, "A", shapes(4, 0));
    define(r, "TOP", shapes(0, 0, {{"A", std::int64_t{1} << 62}, {"B", std::int64_t{1} << 62}}));
    define(r, "B", shapes(0, 0));
    EXPECT_EQ(flattened(r), "A layers={} rects=4 polys=0 flat=4/0 refs={} inst=0 referenced\n"
                            "B layers={} rects=0 polys=0 flat=0/0 refs={} inst=0 referenced\n"
                            "TOP layers={} rects=0 polys=0 flat=0/0 refs={A:4611686018427387904,B:4611686018427387904} inst=-9223372036854775808\n");
}

TEST(CountLayers, UnionOfAllStructures)
{
    LibraryReport r;
    define(r, "A", {.layers = {1, 2}});
    define(r, "B", {.layers = {2, 3}});
    define(r, "C", {.layers = {-32768, -1, 32767}});
    define(r, "D", {.layers = {-2, -1, 4}});
    define(r, "E", {.layers = {4}});
    EXPECT_EQ(countLayers(r), 8u);
}

TEST(StructureTable, LaterDefinitionReplacesTheEarlierEverywhere)
{
    // Enough definitions of S that the pools are compacted, with B's layers
    // and references moved among them.
    LibraryReport r;
    define(r, "A", shapes(1, 0));
    for (int i = 0; i < 100; ++i) {
        define(r, "S", {.layers = {1, 2}, .references = {{"GHOST", 1}, {"A", i}}});
        define(r, "B", {.layers = {7}, .references = {{"A", 5}}});
    }
    define(r, "S", {.layers = {3}, .references = {{"A", 2}}});
    EXPECT_EQ(r.structures.size(), 3u);
    EXPECT_EQ(countLayers(r), 2u);
    EXPECT_TRUE(findUndefined(r).empty());
    EXPECT_EQ(flattened(r), "A layers={} rects=1 polys=0 flat=1/0 refs={} inst=0 referenced\n"
                            "B layers={7} rects=0 polys=0 flat=5/0 refs={A:5} inst=5\n"
                            "S layers={3} rects=0 polys=0 flat=2/0 refs={A:2} inst=2\n");
}

TEST(StructureTable, NamesInByteOrderWhateverTheirBytes)
{
    // Common prefixes, an embedded NUL, a byte above 0x7F and the empty name,
    // each placing the next and placed before it is defined.
    const std::string nul = std::string("AB\0C", 4);
    const std::string names[] = {"AB\xFF", "ABC", nul, "AB", "A", ""};
    LibraryReport r;
    for (std::size_t i = 0; i + 1 < std::size(names); ++i)
        define(r, names[i], {.rects = static_cast<std::int64_t>(i), .references = {{names[i + 1], 1}}});
    define(r, "", shapes(5, 0));
    EXPECT_EQ(flattened(r), " layers={} rects=5 polys=0 flat=5/0 refs={} inst=0 referenced\n"
                            "A layers={} rects=4 polys=0 flat=9/0 refs={:1} inst=1 referenced\n"
                            "AB layers={} rects=3 polys=0 flat=12/0 refs={A:1} inst=1 referenced\n"
                                + nul + " layers={} rects=2 polys=0 flat=14/0 refs={AB:1} inst=1 referenced\n"
                                "ABC layers={} rects=1 polys=0 flat=15/0 refs={" + nul + ":1} inst=1 referenced\n"
                                "AB\xFF layers={} rects=0 polys=0 flat=15/0 refs={ABC:1} inst=1\n");
}

LibraryReport randomLibrary(std::mt19937& random, bool acyclic, std::int64_t lowestCount)
{
    const char* names[] = {"A", "B", "C", "D", "E", "F"};
    int structures = std::uniform_int_distribution<int>(1, 6)(random);
    std::uniform_int_distribution<int> coin(0, 2);
    std::uniform_int_distribution<std::int64_t> count(lowestCount, 3);
    LibraryReport r;
    for (int i = 0; i < structures; ++i) {
        Shapes s = shapes(coin(random) == 0 ? 0 : coin(random), coin(random) / 2);
        // Acyclic: only names that sort after this one (and one undefined name).
        for (int j = acyclic ? i + 1 : 0; j <= structures; ++j)
            if (coin(random) == 0)
                s.references.emplace_back(j == structures ? "X" : names[j], count(random));
        define(r, names[i], s);
    }
    return r;
}

TEST(FlattenAll, SameAsFlatteningBySumsWithoutNegativeCounts)
{
    // Zero counts are fine without cycles; on cycles, only positive counts
    // give the same (otherwise meaningless) numbers.
    std::mt19937 random(20261209);
    for (int round = 0; round < 20000; ++round) {
        bool acyclic = round % 2 == 0;
        LibraryReport mine = randomLibrary(random, acyclic, acyclic ? 0 : 1);
        LibraryReport bySums = mine;
        flattenAll(mine);
        Pelk::testing::flattenAllBySums(bySums);
        ASSERT_EQ(describe(mine), describe(bySums)) << "round " << round;
    }
}

} // namespace
