#include "report_layout.hpp"

#include "hierarchy_analysis.hpp"

#include "pelk/real_format.hpp"

#include <iomanip>
#include <ostream>

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

void writeRow(std::ostream& out, const std::string& name, const StructureInfo& s)
{
    const std::int64_t values[] = {
        static_cast<std::int64_t>(s.layers.size()), instanceCount(s), s.rects, s.flatRects, s.polys, s.flatPolys,
    };
    out << '\n' << padColumn(name, nameColumn.width, true);
    for (std::size_t i = 0; i < std::size(values); ++i)
        out << std::setw(countColumns[i].width) << values[i];
}

} // namespace

void ReportWriter::writeReport(const LibraryReport& report) const
{
    std::ostream& out = *currentOutput;
    out << "\nGDS version: \t" << report.version;
    out << "\nLibrary name: \t" << report.libraryName;
    out << "\nUnits: \t" << core::formatReal(report.units[0]) << " \t" << core::formatReal(report.units[1]);
    out << "\nTotal number of structures: \t" << report.structures.size();
    out << "\nTotal number of layers:     \t" << countLayers(report);

    out << "\n\nList of unreferenced structures:\n" << std::string(32, '-') << '\n';
    for (const auto& [name, structure] : report.structures)
        if (!structure.referenced)
            out << "\n\t" << name;

    std::set<std::string> undefined = findUndefined(report);
    if (!undefined.empty()) {
        out << "\n\nStructures referenced but not defined:\n" << std::string(38, '-') << '\n';
        for (const std::string& name : undefined)
            out << "\n\t" << name;
    }

    if (!report.structures.empty()) {
        out << "\n\nList of all structures:\n" << std::string(23, '-') << "\n\n";
        out << padColumn(nameColumn.title, nameColumn.width, true);
        for (const Column& column : countColumns)
            out << padColumn(column.title, static_cast<std::size_t>(column.width), false);
        out << '\n' << std::string(80, '-');
    }
    for (const auto& [name, structure] : report.structures)
        writeRow(out, name, structure);

    out << "\n\nEnd of report\n";
}

} // namespace Pelk::dressil
