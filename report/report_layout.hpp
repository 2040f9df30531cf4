// dressil's report: the library summary, the unreferenced and the undefined
// structures, and a table of each structure's own and flattened counts.
#pragma once

#include "library_report.hpp"

#include <cstddef>
#include <ostream>
#include <string>

namespace Pelk::dressil {

// Blanks after (left-aligned) or before the text up to `width`; a longer text
// comes back unchanged.
std::string padColumn(const std::string& text, std::size_t width, bool leftAligned);

// One run's report writing, holding the stream the run chose.
class ReportWriter {
public:
    explicit ReportWriter(std::ostream& output) : currentOutput(&output) {}

    // Writes the whole report; flattenAll must have run.
    void writeReport(const LibraryReport& report) const;

private:
    // The one stream the report is written to: standard output or the output file.
    std::ostream* currentOutput;
};

} // namespace Pelk::dressil
