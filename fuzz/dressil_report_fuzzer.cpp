// Feeds arbitrary bytes to dressil twice: as a stream, through the counting
// grammar, the analysis and the report; and as a small hierarchy of
// placements, whose flattening must end with every structure done and, when
// all counts are positive, agree with the flattening as first designed.
// Any stream must end in a report or in one of the core's thrown C strings.
#include "flatten_by_sums.hpp"
#include "fuzz_input_file.hpp"

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
    for (const auto& [name, structure] : report.structures)
        if (structure.flattening != FlattenState::Done)
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
    for (int i = 0; i < structures; ++i)
        report.structures[name(i)];
    for (std::size_t at = 1; at + 4 <= size; at += 4) {
        std::string from = name(data[at] % structures);
        std::string to = name(data[at + 1] % (structures + 1));
        auto count = static_cast<std::int8_t>(data[at + 2]);
        std::int64_t placed = positiveCounts ? 1 + (data[at + 2] & 3) : count;
        placements[from][to] = wrappingAdd(placements[from][to], placed);
        StructureInfo& shapes = report.structures[from];
        (data[at + 3] & 1 ? shapes.rects : shapes.polys) += data[at + 3] >> 6;
    }
    for (auto& [structure, counts] : placements)
        report.structures[structure].references.assign(counts.begin(), counts.end());
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
    for (const auto& [name, s] : positive.structures) {
        const StructureInfo& o = oracle.structures.at(name);
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
