#include "library_report.hpp"

#include <algorithm>
#include <functional>
#include <limits>
#include <new>

namespace Pelk::dressil {

namespace {

std::uint64_t hashName(std::string_view name) { return std::hash<std::string_view>{}(name); }

std::uint64_t slotOf(std::uint64_t hash, StructureIndex row) { return (hash >> 32 << 32) | (std::uint64_t{row} + 1); }

} // namespace

// The slot holding `name`, or the free slot where it would go.
std::size_t StructureTable::findSlot(std::string_view name, std::uint64_t hash) const
{
    const std::size_t mask = slots.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        std::uint64_t slot = slots[at];
        if (slot == 0 || ((slot ^ hash) >> 32 == 0 && this->name(static_cast<StructureIndex>(slot - 1)) == name))
            return at;
    }
}

void StructureTable::rebuildIndex(std::size_t slotCount)
{
    slots.resize(slotCount);
    std::fill(slots.begin(), slots.end(), 0);
    const std::size_t mask = slotCount - 1;
    for (StructureIndex row = 0; row < records.size(); ++row) {
        std::uint64_t hash = hashName(name(row));
        std::size_t at = hash & mask;
        while (slots[at] != 0)
            at = (at + 1) & mask;
        slots[at] = slotOf(hash, row);
    }
}

StructureIndex StructureTable::intern(std::string_view name)
{
    // At most half the slots are taken, so probe runs stay short.
    if (slots.size() < 2 * (records.size() + 1)) {
        std::size_t slotCount = 64;
        while (slotCount < 2 * (records.size() + 1))
            slotCount *= 2;
        rebuildIndex(slotCount);
    }
    const std::uint64_t hash = hashName(name);
    const std::size_t at = findSlot(name, hash);
    if (slots[at] != 0)
        return static_cast<StructureIndex>(slots[at] - 1);
    if (records.size() >= std::numeric_limits<StructureIndex>::max())
        throw std::bad_alloc();
    const auto row = static_cast<StructureIndex>(records.size());
    nameStarts.push_back(names.size());
    names.append(name.data(), name.size());
    records.push_back(StructureInfo{});
    slots[at] = slotOf(hash, row);
    sorted = false;
    return row;
}

void StructureTable::define(StructureIndex structure, std::int64_t rects, std::int64_t polys,
                            std::span<const Layer> layers, std::span<const Reference> references)
{
    StructureInfo& s = records[structure];
    if (s.defined) {
        deadLayers += s.layerCount;
        deadReferences += s.referenceCount;
    } else {
        ++definedCount;
    }
    s.defined = true;
    s.rects = rects;
    s.polys = polys;
    s.layersAt = layerPool.size();
    s.layerCount = static_cast<std::uint32_t>(layers.size());
    layerPool.append(layers.data(), layers.size());
    s.referencesAt = referencePool.size();
    s.referenceCount = static_cast<std::uint32_t>(references.size());
    referencePool.append(references.data(), references.size());
    sorted = false;
    // Reclaimed once the dead entries outnumber the rows, which pays for the
    // walk over every row, and half a pool, which pays for moving the rest.
    if (deadLayers + deadReferences > records.size()
        && (deadLayers > layerPool.size() / 2 || deadReferences > referencePool.size() / 2))
        compactPools();
}

// Copies the live ranges into pools of their own size.
void StructureTable::compactPools()
{
    PlainArray<Layer> liveLayers;
    PlainArray<Reference> liveReferences;
    for (StructureInfo& s : records) {
        if (!s.defined)
            continue;
        std::size_t layersAt = liveLayers.size();
        liveLayers.append(layerPool.data() + s.layersAt, s.layerCount);
        s.layersAt = layersAt;
        std::size_t referencesAt = liveReferences.size();
        liveReferences.append(referencePool.data() + s.referencesAt, s.referenceCount);
        s.referencesAt = referencesAt;
    }
    layerPool = std::move(liveLayers);
    referencePool = std::move(liveReferences);
    deadLayers = 0;
    deadReferences = 0;
}

void StructureTable::sortByName()
{
    if (sorted)
        return;
    slots.release();
    order.resize(records.size());
    for (StructureIndex row = 0; row < records.size(); ++row)
        order[row] = row;
    std::sort(order.begin(), order.end(),
              [this](StructureIndex a, StructureIndex b) { return name(a) < name(b); });

    PlainArray<StructureIndex> rank;
    rank.resize(records.size());
    for (StructureIndex at = 0; at < order.size(); ++at)
        rank[order[at]] = at;
    for (const StructureInfo& s : records) {
        if (!s.defined || s.referenceCount < 2)
            continue;
        Reference* first = referencePool.data() + s.referencesAt;
        std::sort(first, first + s.referenceCount,
                  [&rank](const Reference& a, const Reference& b) { return rank[a.structure] < rank[b.structure]; });
    }
    sorted = true;
}

} // namespace Pelk::dressil
