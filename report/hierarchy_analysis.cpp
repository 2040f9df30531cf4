#include "hierarchy_analysis.hpp"

#include <bitset>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace Pelk::dressil {

std::int64_t instanceCount(const StructureInfo& structure)
{
    std::int64_t sum = 0;
    for (const auto& [name, count] : structure.references)
        sum = wrappingAdd(sum, count);
    return sum;
}

namespace {

struct FlattenFrame {
    StructureInfo* structure;
    ReferenceCounts::const_iterator next;
    // The structure named by `next`, once looked up; its counts are added
    // when it is done or already under way.
    StructureInfo* child;
};

void beginFlattening(StructureInfo& structure, std::vector<FlattenFrame>& stack)
{
    structure.flattening = FlattenState::InProgress;
    // The in-progress value a cycle multiplies in: 1 plus what is gathered so far.
    structure.flatRects = 1;
    stack.push_back({&structure, structure.references.begin(), nullptr});
}

void finishFlattening(StructureInfo& structure)
{
    structure.flatRects = wrappingAdd(structure.flatRects, wrappingAdd(structure.rects, -1));
    structure.flatPolys = wrappingAdd(structure.flatPolys, structure.polys);
    structure.flattening = FlattenState::Done;
}

// Names looked up by hashing: a walk down the ordered map touches a cold
// node per level for every reference.
using StructureIndex = std::unordered_map<std::string_view, StructureInfo*>;

StructureIndex indexStructures(StructureMap& structures)
{
    StructureIndex index;
    index.reserve(structures.size());
    for (auto& [name, structure] : structures)
        index.emplace(name, &structure);
    return index;
}

void flattenIndexed(StructureInfo& structure, const StructureIndex& index)
{
    if (structure.flattening != FlattenState::NotStarted)
        return;
    std::vector<FlattenFrame> stack;
    beginFlattening(structure, stack);
    while (!stack.empty()) {
        FlattenFrame& frame = stack.back();
        StructureInfo& current = *frame.structure;
        if (frame.child) {
            std::int64_t count = frame.next->second;
            current.flatRects = wrappingAdd(current.flatRects, wrappingMultiply(frame.child->flatRects, count));
            current.flatPolys = wrappingAdd(current.flatPolys, wrappingMultiply(frame.child->flatPolys, count));
            frame.child = nullptr;
            ++frame.next;
            continue;
        }
        if (frame.next == current.references.end()) {
            finishFlattening(current);
            stack.pop_back();
            continue;
        }
        auto found = index.find(frame.next->first);
        if (found == index.end()) {
            ++frame.next;
            continue;
        }
        StructureInfo& child = *found->second;
        child.referenced = true;
        frame.child = &child;
        if (child.flattening == FlattenState::NotStarted)
            beginFlattening(child, stack); // invalidates `frame`
    }
}

} // namespace

void flattenAll(LibraryReport& report)
{
    const StructureIndex index = indexStructures(report.structures);
    for (auto& [name, structure] : report.structures)
        flattenIndexed(structure, index);
}

std::size_t countLayers(const LibraryReport& report)
{
    // Layer numbers read from a stream are 16-bit: a bit each, without
    // allocating; anything wider goes into a set.
    std::bitset<65536> shortLayers;
    std::set<std::int32_t> wideLayers;
    for (const auto& [name, structure] : report.structures) {
        for (std::int32_t layer : structure.layers) {
            if (layer >= INT16_MIN && layer <= INT16_MAX)
                shortLayers.set(static_cast<std::uint16_t>(layer));
            else
                wideLayers.insert(layer);
        }
    }
    return shortLayers.count() + wideLayers.size();
}

std::set<std::string> findUndefined(const LibraryReport& report)
{
    std::unordered_set<std::string_view> defined;
    defined.reserve(report.structures.size());
    for (const auto& [name, structure] : report.structures)
        defined.insert(name);
    std::set<std::string> undefined;
    for (const auto& [name, structure] : report.structures)
        for (const auto& [placed, count] : structure.references)
            if (!defined.contains(placed))
                undefined.insert(placed);
    return undefined;
}

} // namespace Pelk::dressil
