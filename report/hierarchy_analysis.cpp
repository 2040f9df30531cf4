#include "hierarchy_analysis.hpp"

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
    std::map<std::string, std::int64_t>::const_iterator next;
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

} // namespace

void flattenStructure(StructureInfo& structure, StructureMap& structures)
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
        auto found = structures.find(frame.next->first);
        if (found == structures.end()) {
            ++frame.next;
            continue;
        }
        StructureInfo& child = found->second;
        child.referenced = true;
        frame.child = &child;
        if (child.flattening == FlattenState::NotStarted)
            beginFlattening(child, stack); // invalidates `frame`
    }
}

void flattenAll(LibraryReport& report)
{
    for (auto& [name, structure] : report.structures)
        flattenStructure(structure, report.structures);
}

std::size_t countLayers(const LibraryReport& report)
{
    std::set<std::int32_t> all;
    for (const auto& [name, structure] : report.structures)
        all.insert(structure.layers.begin(), structure.layers.end());
    return all.size();
}

std::set<std::string> findUndefined(const LibraryReport& report)
{
    std::set<std::string> undefined;
    for (const auto& [name, structure] : report.structures)
        for (const auto& [placed, count] : structure.references)
            if (!report.structures.contains(placed))
                undefined.insert(placed);
    return undefined;
}

} // namespace Pelk::dressil
