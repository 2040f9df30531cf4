#include "report_layout.hpp"

#include "hierarchy_analysis.hpp"

#include "pelk/real_format.hpp"

#include <algorithm>
#include <charconv>
#include <ostream>
#include <ostream>
#include <string_view>
#include <vector>

namespace Pelk::dressil {

std::string padColumn(const std::string& text, std::size_t width, bool leftAligned)
{
    if (width < text.size())
        return text;
    std::string blanks(width - text.size(), ' ');
    return leftAligned ? text + blanks : blanks + text;
}

namespace {

struct Column {
    const char* title;
    int width;
};

constexpr Column nameColumn{"Name", 26};
constexpr Column countColumns[] = {
    {"Layers", 6}, {"Inst", 9}, {"Rects", 9}, {"FlatRects", 10}, {"Polys", 9}, {"FlatPolys", 10},
};

// One row exactly as padColumn and `<< std::setw(width) << value` give it,
// put together in a buffer: a row per structure is most of a large report.
void writeRow(std::ostream& out, const StructureTable& table, StructureIndex structure)
{
    const StructureInfo& s = table[structure];
    const std::int64_t values[] = {
        s.layerCount, instanceCount(table, structure), s.rects, s.flatRects, s.polys, s.flatPolys,
    };
    const std::string_view name = table.name(structure);
    out.put('\n');
    if (!name.empty())
        out.write(name.data(), static_cast<std::streamsize>(name.size()));

    // Blanks up to the name column's width, then each value right-aligned.
    char text[nameColumn.width + std::size(countColumns) * 20];
    char* end = text;
    for (std::size_t at = name.size(); at < static_cast<std::size_t>(nameColumn.width); ++at)
        *end++ = ' ';
    for (std::size_t i = 0; i < std::size(values); ++i) {
        char digits[20];
        const std::size_t length = static_cast<std::size_t>(std::to_chars(digits, digits + 20, values[i]).ptr - digits);
        for (std::size_t at = length; at < static_cast<std::size_t>(countColumns[i].width); ++at)
            *end++ = ' ';
        end = std::copy(digits, digits + length, end);
    }
    out.write(text, end - text);
}

} // namespace

void ReportWriter::writeReport(const LibraryReport& report) const
{
    std::ostream& out = *currentOutput;
    out << "\nGDS version: \t" << report.version;
    out << "\nLibrary name: \t" << report.libraryName;
    out << "\nUnits: \t" << core::formatReal(report.units[0]) << " \t" << core::formatReal(report.units[1]);
    const StructureTable& table = report.structures;
    out << "\nTotal number of structures: \t" << table.size();
    out << "\nTotal number of layers:     \t" << countLayers(report);

    out << "\n\nList of unreferenced structures:\n" << std::string(32, '-') << '\n';
    for (StructureIndex structure : table.byName())
        if (table[structure].defined && !table[structure].referenced)
            out << "\n\t" << table.name(structure);

    const std::vector<std::string_view> undefined = findUndefined(report);
    if (!undefined.empty()) {
        out << "\n\nStructures referenced but not defined:\n" << std::string(38, '-') << '\n';
        for (std::string_view name : undefined)
            out << "\n\t" << name;
    }

    if (table.size() != 0) {
        out << "\n\nList of all structures:\n" << std::string(23, '-') << "\n\n";
        out << padColumn(nameColumn.title, nameColumn.width, true);
        for (const Column& column : countColumns)
            out << padColumn(column.title, static_cast<std::size_t>(column.width), false);
        out << '\n' << std::string(80, '-');
    }
    for (StructureIndex structure : table.byName())
        if (table[structure].defined)
            writeRow(out, table, structure);

    out << "\n\nEnd of report\n";
}

} // namespace Pelk::dressil
