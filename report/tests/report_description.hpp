// Test support: a LibraryReport's structures as text, one line each, so a
// test compares everything the analysis produced at once.
#pragma once

#include "hierarchy_analysis.hpp"

#include <sstream>
#include <string>

namespace Pelk::testing {

inline std::string describe(const Pelk::dressil::LibraryReport& report)
{
    std::ostringstream out;
    for (const auto& [name, s] : report.structures) {
        out << name << " layers={";
        const char* separator = "";
        for (std::int32_t layer : s.layers) {
            out << separator << layer;
            separator = ",";
        }
        out << "} rects=" << s.rects << " polys=" << s.polys << " flat=" << s.flatRects << "/" << s.flatPolys
            << " refs={";
        separator = "";
        for (const auto& [placed, count] : s.references) {
            out << separator << placed << ":" << count;
            separator = ",";
        }
        out << "} inst=" << Pelk::dressil::instanceCount(s) << (s.referenced ? " referenced" : "") << "\n";
    }
    return out.str();
}

} // namespace Pelk::testing
