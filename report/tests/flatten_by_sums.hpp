// Test support: the flattening exactly as first designed, as an oracle. The
// sum of the flattened counts doubles as the done mark, and a structure
// summing to 0 is flattened anew whenever it is met: exponential in depth and
// endless on some cycles with negative counts, so only for small libraries
// whose counts are positive or which have no cycle.
#pragma once

#include "hierarchy_analysis.hpp"

namespace Pelk::testing {

inline void flattenBySums(Pelk::dressil::StructureTable& structures, Pelk::dressil::StructureIndex index)
{
    using Pelk::dressil::wrappingAdd;
    using Pelk::dressil::wrappingMultiply;
    Pelk::dressil::StructureInfo& s = structures[index];
    if (wrappingAdd(s.flatRects, s.flatPolys) != 0)
        return;
    s.flatRects = 1;
    for (const Pelk::dressil::Reference& reference : structures.references(index)) {
        Pelk::dressil::StructureInfo& found = structures[reference.structure];
        if (!found.defined)
            continue;
        found.referenced = true;
        flattenBySums(structures, reference.structure);
        s.flatRects = wrappingAdd(s.flatRects, wrappingMultiply(found.flatRects, reference.count()));
        s.flatPolys = wrappingAdd(s.flatPolys, wrappingMultiply(found.flatPolys, reference.count()));
    }
    s.flatRects = wrappingAdd(s.flatRects, wrappingAdd(s.rects, -1));
    s.flatPolys = wrappingAdd(s.flatPolys, s.polys);
}

inline void flattenAllBySums(Pelk::dressil::LibraryReport& report)
{
    report.structures.sortByName();
    for (Pelk::dressil::StructureIndex index : report.structures.byName())
        if (report.structures[index].defined)
            flattenBySums(report.structures, index);
}

} // namespace Pelk::testing
