// What dressil learns about a library: per-structure shape and placement
// counts, filled by the counting grammar and completed by the hierarchy
// analysis.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

namespace Pelk::dressil {

// Where the flattening of one structure stands. Kept apart from the counts,
// so a structure whose flattened counts add up to 0 is still flattened once.
enum class FlattenState : std::uint8_t { NotStarted, InProgress, Done };

// Counts are 64-bit: a flattened count of a real chip is far beyond 2^31.
struct StructureInfo {
    std::set<std::int32_t> layers;
    std::int64_t rects = 0;
    std::int64_t polys = 0;
    std::int64_t flatRects = 0;
    std::int64_t flatPolys = 0;
    std::map<std::string, std::int64_t> references;
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
