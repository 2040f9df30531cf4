// The analysis of a library's hierarchy: flattened counts with a cycle
// guard, which structures are placed, the union of layers and the names that
// are placed but never defined.
#pragma once

#include "library_report.hpp"

#include <cstdint>
#include <string_view>
#include <vector>

namespace Pelk::dressil {

// Hostile input (cycles, huge arrays) can overflow any count; the sums wrap
// modulo 2^64 instead of being undefined.
constexpr std::int64_t wrappingAdd(std::int64_t a, std::int64_t b)
{
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) + static_cast<std::uint64_t>(b));
}

constexpr std::int64_t wrappingMultiply(std::int64_t a, std::int64_t b)
{
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(a) * static_cast<std::uint64_t>(b));
}

// All placements of a structure, those of undefined names included.
std::int64_t instanceCount(const StructureTable& structures, StructureIndex structure);

// Sorts the table by name, then fills flatRects and flatPolys of every
// defined structure, in name order, and marks every placed structure as
// referenced. A structure met again while its own flattening is under way
// gives what it has gathered so far, so counts on a cycle stay finite. Each
// structure is flattened once, with an explicit stack: time is linear in the
// structures and references, whatever the depth.
void flattenAll(LibraryReport& report);

std::size_t countLayers(const LibraryReport& report);

// The names placed by a defined structure but never defined, in name order;
// they view the report's name block.
std::vector<std::string_view> findUndefined(const LibraryReport& report);

} // namespace Pelk::dressil
