// What dressil learns about a library: one table of its structures (names,
// layers, placements, own and flattened counts), filled by the counting
// grammar and completed by the hierarchy analysis.
#pragma once

#include "plain_array.hpp"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace Pelk::dressil {

// Where the flattening of one structure stands. Kept apart from the counts,
// so a structure whose flattened counts add up to 0 is still flattened once.
enum class FlattenState : std::uint8_t { NotStarted, InProgress, Done };

// Layer numbers are INT2 in a stream.
using Layer = std::int16_t;

// A name's row in the table, given when it is first defined or placed.
using StructureIndex = std::uint32_t;

// How often one structure places another. The count is held in halves so a
// reference takes 12 bytes rather than 16.
struct Reference {
    StructureIndex structure = 0;
    std::uint32_t countLow = 0;
    std::uint32_t countHigh = 0;

    Reference() = default;
    Reference(StructureIndex placed, std::int64_t count) : structure(placed) { setCount(count); }
    std::int64_t count() const
    {
        return static_cast<std::int64_t>(std::uint64_t{countHigh} << 32 | countLow);
    }
    void setCount(std::int64_t count)
    {
        countLow = static_cast<std::uint32_t>(static_cast<std::uint64_t>(count));
        countHigh = static_cast<std::uint32_t>(static_cast<std::uint64_t>(count) >> 32);
    }
};

// One row of the table: a defined structure, or a name only placed so far.
// Its layers and references lie in the table's shared pools. Counts are
// 64-bit: a flattened count of a real chip is far beyond 2^31.
struct StructureInfo {
    std::int64_t rects = 0;
    std::int64_t polys = 0;
    std::int64_t flatRects = 0;
    std::int64_t flatPolys = 0;
    std::uint64_t layersAt = 0;
    std::uint64_t referencesAt = 0;
    std::uint32_t layerCount = 0; // up to 65536
    std::uint32_t referenceCount = 0;
    bool defined = false;
    bool referenced = false;
    FlattenState flattening = FlattenState::NotStarted;
};

// The structures of a library with every name they define or place: names
// in one block, a hash index from name to row, layers and references in one
// pool each. A later definition of a name replaces the earlier one.
// Where each name starts is kept apart from the rows: a lookup then touches
// a few dense arrays rather than a 64-byte row.
class StructureTable {
public:
    // The row of `name`, added as an undefined name when new.
    StructureIndex intern(std::string_view name);

    // Defines `structure` with these counts, replacing any earlier definition.
    // `layers` are ascending, each once; `references` hold each placed
    // structure once, in any order.
    void define(StructureIndex structure, std::int64_t rects, std::int64_t polys, std::span<const Layer> layers,
                std::span<const Reference> references);

    // Puts the names, and each structure's references, in name order (byte-wise
    // as std::string compares). Run once all structures are in; it also drops
    // the hash index, which intern rebuilds if asked again.
    void sortByName();
    // Every row, defined or not, in name order, as of the last sortByName.
    std::span<const StructureIndex> byName() const { return {order.data(), order.size()}; }

    // Defined structures; rows also hold names only placed.
    std::size_t size() const { return definedCount; }
    std::size_t rows() const { return records.size(); }

    StructureInfo& operator[](StructureIndex i) { return records[i]; }
    const StructureInfo& operator[](StructureIndex i) const { return records[i]; }
    std::string_view name(StructureIndex i) const
    {
        const std::uint64_t at = nameStarts[i];
        const std::uint64_t end = i + 1 < records.size() ? nameStarts[i + 1] : names.size();
        return at == end ? std::string_view() : std::string_view(names.data() + at, end - at);
    }
    std::span<const Layer> layers(StructureIndex i) const
    {
        const StructureInfo& s = records[i];
        return s.layerCount == 0 ? std::span<const Layer>() : std::span(layerPool.data() + s.layersAt, s.layerCount);
    }
    std::span<const Reference> references(StructureIndex i) const
    {
        const StructureInfo& s = records[i];
        return s.referenceCount == 0 ? std::span<const Reference>()
                                     : std::span(referencePool.data() + s.referencesAt, s.referenceCount);
    }

private:
    std::size_t findSlot(std::string_view name, std::uint64_t hash) const;
    void rebuildIndex(std::size_t slotCount);
    void compactPools();

    PlainArray<StructureInfo> records;
    // Names one after another in row order; the end of one is the start of the next.
    PlainArray<char> names;
    PlainArray<std::uint64_t> nameStarts;
    PlainArray<Layer> layerPool;
    PlainArray<Reference> referencePool;
    // Open addressing: the hash's upper half beside the row plus one; 0 is free.
    PlainArray<std::uint64_t> slots;
    PlainArray<StructureIndex> order;
    // Pool entries of replaced definitions, until define reclaims them.
    std::size_t deadLayers = 0;
    std::size_t deadReferences = 0;
    std::size_t definedCount = 0;
    bool sorted = true;
};

struct LibraryReport {
    std::int32_t version = 0;
    std::string libraryName;
    StructureTable structures;
    double units[2] = {0, 0};
};

} // namespace Pelk::dressil
