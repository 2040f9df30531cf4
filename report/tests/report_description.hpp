// Test support: a LibraryReport's structures as text, one line each, so a
// test compares everything the analysis produced at once.
#pragma once

#include "hierarchy_analysis.hpp"

#include <sstream>
#include <string>

namespace Pelk::testing {

// In name order, as of the table's last sort by name.
inline std::string describe(const Pelk::dressil::LibraryReport& report)
{
    const Pelk::dressil::StructureTable& table = report.structures;
    std::ostringstream out;
    for (Pelk::dressil::StructureIndex i : table.byName()) {
        const Pelk::dressil::StructureInfo& s = table[i];
        if (!s.defined)
            continue;
        out << table.name(i) << " layers={";
        const char* separator = "";
        for (Pelk::dressil::Layer layer : table.layers(i)) {
            out << separator << layer;
            separator = ",";
        }
        out << "} rects=" << s.rects << " polys=" << s.polys << " flat=" << s.flatRects << "/" << s.flatPolys
            << " refs={";
        separator = "";
        for (const Pelk::dressil::Reference& reference : table.references(i)) {
            out << separator << table.name(reference.structure) << ":" << reference.count();
            separator = ",";
        }
        out << "} inst=" << Pelk::dressil::instanceCount(table, i) << (s.referenced ? " referenced" : "") << "\n";
    }
    return out.str();
}

} // namespace Pelk::testing
