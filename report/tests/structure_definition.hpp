// Test support: a structure given by names rather than rows, defined in a
// LibraryReport's table as the counting grammar would define it.
#pragma once

#include "library_report.hpp"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Pelk::testing {

struct Shapes {
    std::int64_t rects = 0;
    std::int64_t polys = 0;
    // Any order, each layer once.
    std::vector<Pelk::dressil::Layer> layers = {};
    // Each placed name once.
    std::vector<std::pair<std::string, std::int64_t>> references = {};
};

inline void define(Pelk::dressil::LibraryReport& report, std::string_view name, const Shapes& shapes)
{
    Pelk::dressil::StructureTable& table = report.structures;
    const Pelk::dressil::StructureIndex structure = table.intern(name);
    std::vector<Pelk::dressil::Layer> layers = shapes.layers;
    std::sort(layers.begin(), layers.end());
    std::vector<Pelk::dressil::Reference> references;
    for (const auto& [placed, count] : shapes.references)
        references.emplace_back(table.intern(placed), count);
    table.define(structure, shapes.rects, shapes.polys, layers, references);
}

} // namespace Pelk::testing
