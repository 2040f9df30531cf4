#include "flatten_by_sums.hpp"
#include "hierarchy_analysis.hpp"
#include "report_description.hpp"

#include <gtest/gtest.h>

#include <random>

namespace {

using namespace Pelk::dressil;

using Pelk::testing::describe;

StructureInfo shapes(std::int64_t rects, std::int64_t polys, ReferenceCounts references = {})
{
    StructureInfo s;
    s.rects = rects;
    s.polys = polys;
    s.references = std::move(references);
    return s;
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
        r.structures["A"] = shapes(3, 1);
        r.structures["TOP"] = shapes(0, 0, {{"A", c.placements}});
        EXPECT_EQ(flattened(r), std::string("A layers={} rects=3 polys=1 flat=3/1 refs={} inst=0 referenced\n") + c.top);
    }
}

TEST(FlattenAll, UndefinedNamesCountAsInstancesOnly)
{
    LibraryReport r;
    r.structures["A"] = shapes(1, 0);
    r.structures["TOP"] = shapes(0, 0, {{"A", 1}, {"B", 2}, {"GHOST", 4}});
    EXPECT_EQ(flattened(r), "A layers={} rects=1 polys=0 flat=1/0 refs={} inst=0 referenced\n"
                            "TOP layers={} rects=0 polys=0 flat=1/0 refs={A:1,B:2,GHOST:4} inst=7\n");
    EXPECT_EQ(findUndefined(r), (std::set<std::string>{"B", "GHOST"}));
}

TEST(FlattenAll, CyclesEndWithFiniteCounts)
{
    LibraryReport ab;
    ab.structures["A"] = shapes(1, 0, {{"B", 1}});
    ab.structures["B"] = shapes(2, 0, {{"A", 1}});
    EXPECT_EQ(flattened(ab), "A layers={} rects=1 polys=0 flat=4/0 refs={B:1} inst=1 referenced\n"
                             "B layers={} rects=2 polys=0 flat=3/0 refs={A:1} inst=1 referenced\n");

    LibraryReport self;
    self.structures["A"] = shapes(1, 0, {{"A", 2}});
    EXPECT_EQ(flattened(self), "A layers={} rects=1 polys=0 flat=3/0 refs={A:2} inst=2 referenced\n");
}

TEST(FlattenAll, NegativeCountOnACycleTerminates)
{
    // C's gathered count falls back to 0 while C is under way; a flattening
    // that took a 0 sum for "not started" would enter C again for ever.
    LibraryReport r;
    r.structures["A"] = shapes(1, 0);
    r.structures["C"] = shapes(0, 0, {{"A", -1}, {"C", 1}});
    EXPECT_EQ(flattened(r), "A layers={} rects=1 polys=0 flat=1/0 refs={} inst=0 referenced\n"
                            "C layers={} rects=0 polys=0 flat=-1/0 refs={A:-1,C:1} inst=0 referenced\n");
}

TEST(FlattenAll, ZeroAndNegativeCountsStillMarkReferenced)
{
    LibraryReport r;
    r.structures["A"] = shapes(1, 1);
    r.structures["B"] = shapes(1, 0);
    r.structures["TOP"] = shapes(0, 0, {{"A", 0}, {"B", -2}});
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
    r.structures["A"] = shapes(4, 0);
    r.structures["TOP"] = shapes(0, 0, {{"A", std::int64_t{1} << 62}, {"B", std::int64_t{1} << 62}});
    r.structures["B"] = shapes(0, 0);
    EXPECT_EQ(flattened(r), "A layers={} rects=4 polys=0 flat=4/0 refs={} inst=0 referenced\n"
                            "B layers={} rects=0 polys=0 flat=0/0 refs={} inst=0 referenced\n"
                            "TOP layers={} rects=0 polys=0 flat=0/0 refs={A:4611686018427387904,B:4611686018427387904} inst=-9223372036854775808\n");
}

TEST(CountLayers, UnionOfAllStructures)
{
    LibraryReport r;
    r.structures["A"].layers = {1, 2};
    r.structures["B"].layers = {2, 3};
    r.structures["C"].layers = {-32768, -1, 32767};
    // Wider than a stream's 16 bits: only a report built in memory has these.
    r.structures["D"].layers = {-40000, -1, 70000};
    r.structures["E"].layers = {70000};
    EXPECT_EQ(countLayers(r), 8u);
}

LibraryReport randomLibrary(std::mt19937& random, bool acyclic, std::int64_t lowestCount)
{
    const char* names[] = {"A", "B", "C", "D", "E", "F"};
    int structures = std::uniform_int_distribution<int>(1, 6)(random);
    std::uniform_int_distribution<int> coin(0, 2);
    std::uniform_int_distribution<std::int64_t> count(lowestCount, 3);
    LibraryReport r;
    for (int i = 0; i < structures; ++i) {
        StructureInfo s = shapes(coin(random) == 0 ? 0 : coin(random), coin(random) / 2);
        // Acyclic: only names that sort after this one (and one undefined name).
        for (int j = acyclic ? i + 1 : 0; j <= structures; ++j)
            if (coin(random) == 0)
                s.references.emplace_back(j == structures ? "X" : names[j], count(random));
        r.structures[names[i]] = s;
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
