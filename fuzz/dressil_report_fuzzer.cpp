// Feeds arbitrary bytes to dressil twice: as a stream, through the counting
// grammar, the analysis and the report; and as a small hierarchy of
// placements, whose flattening must end with every structure done and, when
// all counts are positive, agree with the flattening as first designed.
// Any stream must end in a report or in one of the core's thrown C strings.
#include "flatten_by_sums.hpp"
#include "fuzz_input_file.hpp"
#include "structure_definition.hpp"

#include "dressil_program.hpp"
#include "hierarchy_analysis.hpp"
#include "report_layout.hpp"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>

namespace {

using namespace Pelk::dressil;

void checkAllDone(const LibraryReport& report)
{
    for (StructureIndex i : report.structures.byName())
        if (report.structures[i].defined && report.structures[i].flattening != FlattenState::Done)
            std::abort();
}

void reportStream(const std::uint8_t* data, std::size_t size)
{
    static Pelk::fuzzing::InputFile input;
    input.assign(data, size);
    std::ostringstream report, console;
    try {
        bool matched = false;
        LibraryReport analysis = analyzeStream(input.path(), console, matched);
        flattenAll(analysis);
        checkAllDone(analysis);
        ReportWriter(report).writeReport(analysis);
    } catch (const char*) {
    }
}

// Byte 0 gives up to 12 structures; then each group of four bytes places
// one structure in another (the last name is never defined) with a signed
// count, and gives the placing structure rectangles or polygons. Sixty-four
// placements are plenty among 12 structures.
LibraryReport hierarchyFrom(const std::uint8_t* data, std::size_t size, bool positiveCounts)
{
    LibraryReport report;
    if (size == 0)
        return report;
    size = std::min<std::size_t>(size, 1 + 4 * 64);
    const int structures = 1 + data[0] % 12;
    auto name = [](int i) { return std::string(1, static_cast<char>('A' + i)); };
    std::map<std::string, std::map<std::string, std::int64_t>> placements;
    std::map<std::string, Pelk::testing::Shapes> shapes;
    for (int i = 0; i < structures; ++i)
        shapes[name(i)];
    for (std::size_t at = 1; at + 4 <= size; at += 4) {
        std::string from = name(data[at] % structures);
        std::string to = name(data[at + 1] % (structures + 1));
        auto count = static_cast<std::int8_t>(data[at + 2]);
        std::int64_t placed = positiveCounts ? 1 + (data[at + 2] & 3) : count;
        placements[from][to] = wrappingAdd(placements[from][to], placed);
        (data[at + 3] & 1 ? shapes[from].rects : shapes[from].polys) += data[at + 3] >> 6;
    }
    for (auto& [structure, counts] : placements)
        shapes[structure].references.assign(counts.begin(), counts.end());
    for (const auto& [structure, s] : shapes)
        Pelk::testing::define(report, structure, s);
    return report;
}

void flattenHierarchy(const std::uint8_t* data, std::size_t size)
{
    LibraryReport anyCounts = hierarchyFrom(data, size, false);
    flattenAll(anyCounts);
    checkAllDone(anyCounts);

    LibraryReport positive = hierarchyFrom(data, size, true);
    LibraryReport oracle = positive;
    flattenAll(positive);
    Pelk::testing::flattenAllBySums(oracle);
    // Both copies hold the same rows.
    for (StructureIndex i = 0; i < positive.structures.rows(); ++i) {
        const StructureInfo& s = positive.structures[i];
        const StructureInfo& o = oracle.structures[i];
        if (s.flatRects != o.flatRects || s.flatPolys != o.flatPolys || s.referenced != o.referenced)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    reportStream(data, size);
    flattenHierarchy(data, size);
    return 0;
}
