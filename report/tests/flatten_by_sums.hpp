// Test support: the flattening exactly as first designed, as an oracle. The
// sum of the flattened counts doubles as the done mark, and a structure
// summing to 0 is flattened anew whenever it is met: exponential in depth and
// endless on some cycles with negative counts, so only for small libraries
// whose counts are positive or which have no cycle.
#pragma once

#include "hierarchy_analysis.hpp"

namespace Pelk::testing {

inline void flattenBySums(Pelk::dressil::StructureInfo& s, Pelk::dressil::StructureMap& structures)
{
    using Pelk::dressil::wrappingAdd;
    using Pelk::dressil::wrappingMultiply;
    if (wrappingAdd(s.flatRects, s.flatPolys) != 0)
        return;
    s.flatRects = 1;
    for (const auto& [name, count] : s.references) {
        auto found = structures.find(name);
        if (found == structures.end())
            continue;
        found->second.referenced = true;
        flattenBySums(found->second, structures);
        s.flatRects = wrappingAdd(s.flatRects, wrappingMultiply(found->second.flatRects, count));
        s.flatPolys = wrappingAdd(s.flatPolys, wrappingMultiply(found->second.flatPolys, count));
    }
    s.flatRects = wrappingAdd(s.flatRects, wrappingAdd(s.rects, -1));
    s.flatPolys = wrappingAdd(s.flatPolys, s.polys);
}

inline void flattenAllBySums(Pelk::dressil::LibraryReport& report)
{
    for (auto& [name, s] : report.structures)
        flattenBySums(s, report.structures);
}

} // namespace Pelk::testing
