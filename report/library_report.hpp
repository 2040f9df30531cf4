// What dressil learns about a library: per-structure shape and placement
// counts, filled by the counting grammar and completed by the hierarchy
// analysis.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace Pelk::dressil {

// Where the flattening of one structure stands. Kept apart from the counts,
// so a structure whose flattened counts add up to 0 is still flattened once.
enum class FlattenState : std::uint8_t { NotStarted, InProgress, Done };

// The ordered set of layers and the ordered map of placements are sorted
// vectors (ascending, one entry per key): the analysis and the report walk
// them again and again, and a block read front to back stays fast where a
// tree's nodes are scattered over a large heap.
using LayerSet = std::vector<std::int32_t>;
using ReferenceCounts = std::vector<std::pair<std::string, std::int64_t>>;

// Counts are 64-bit: a flattened count of a real chip is far beyond 2^31.
struct StructureInfo {
    LayerSet layers;
    std::int64_t rects = 0;
    std::int64_t polys = 0;
    std::int64_t flatRects = 0;
    std::int64_t flatPolys = 0;
    ReferenceCounts references;
    bool referenced = false;
    FlattenState flattening = FlattenState::NotStarted;
};

using StructureMap = std::map<std::string, StructureInfo>;

struct LibraryReport {
    std::int32_t version = 0;
    std::string libraryName;
    StructureMap structures;
    double units[2] = {0, 0};
};

} // namespace Pelk::dressil
