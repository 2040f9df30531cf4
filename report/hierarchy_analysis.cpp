#include "hierarchy_analysis.hpp"

#include <algorithm>
#include <bitset>

namespace Pelk::dressil {

std::int64_t instanceCount(const StructureTable& structures, StructureIndex structure)
{
    std::int64_t sum = 0;
    for (const Reference& reference : structures.references(structure))
        sum = wrappingAdd(sum, reference.count());
    return sum;
}

namespace {

struct FlattenFrame {
    StructureIndex structure;
    // The structure's reference to take next.
    std::uint32_t next;
    // The structure placed by reference `next` is done or already under way:
    // its counts are to be added.
    bool childPending;
};

void beginFlattening(StructureTable& table, StructureIndex structure, PlainArray<FlattenFrame>& stack)
{
    StructureInfo& s = table[structure];
    s.flattening = FlattenState::InProgress;
    // The in-progress value a cycle multiplies in: 1 plus what is gathered so far.
    s.flatRects = 1;
    stack.push_back({structure, 0, false});
}

void finishFlattening(StructureInfo& structure)
{
    structure.flatRects = wrappingAdd(structure.flatRects, wrappingAdd(structure.rects, -1));
    structure.flatPolys = wrappingAdd(structure.flatPolys, structure.polys);
    structure.flattening = FlattenState::Done;
}

void flattenFrom(StructureTable& table, StructureIndex start, PlainArray<FlattenFrame>& stack)
{
    if (table[start].flattening != FlattenState::NotStarted)
        return;
    beginFlattening(table, start, stack);
    while (!stack.empty()) {
        FlattenFrame& frame = stack.back();
        StructureInfo& current = table[frame.structure];
        if (frame.next == current.referenceCount) {
            finishFlattening(current);
            stack.pop_back();
            continue;
        }
        const Reference& reference = table.references(frame.structure)[frame.next];
        StructureInfo& child = table[reference.structure];
        if (frame.childPending) {
            std::int64_t count = reference.count();
            current.flatRects = wrappingAdd(current.flatRects, wrappingMultiply(child.flatRects, count));
            current.flatPolys = wrappingAdd(current.flatPolys, wrappingMultiply(child.flatPolys, count));
            frame.childPending = false;
            ++frame.next;
            continue;
        }
        if (!child.defined) {
            ++frame.next;
            continue;
        }
        child.referenced = true;
        frame.childPending = true;
        if (child.flattening == FlattenState::NotStarted)
            beginFlattening(table, reference.structure, stack); // invalidates `frame`
    }
}

} // namespace

void flattenAll(LibraryReport& report)
{
    StructureTable& table = report.structures;
    table.sortByName();
    PlainArray<FlattenFrame> stack;
    for (StructureIndex structure : table.byName())
        if (table[structure].defined)
            flattenFrom(table, structure, stack);
}

std::size_t countLayers(const LibraryReport& report)
{
    const StructureTable& table = report.structures;
    std::bitset<65536> seen;
    for (StructureIndex structure = 0; structure < table.rows(); ++structure)
        if (table[structure].defined)
            for (Layer layer : table.layers(structure))
                seen.set(static_cast<std::uint16_t>(layer));
    return seen.count();
}

std::vector<std::string_view> findUndefined(const LibraryReport& report)
{
    const StructureTable& table = report.structures;
    std::vector<bool> listed(table.rows());
    std::vector<std::string_view> undefined;
    for (StructureIndex structure = 0; structure < table.rows(); ++structure) {
        if (!table[structure].defined)
            continue;
        for (const Reference& reference : table.references(structure)) {
            if (table[reference.structure].defined || listed[reference.structure])
                continue;
            listed[reference.structure] = true;
            undefined.push_back(table.name(reference.structure));
        }
    }
    std::sort(undefined.begin(), undefined.end());
    return undefined;
}

} // namespace Pelk::dressil
