// dressil's run: the command line, banner and usage, the numbered messages,
// the choice of output, the analysis of the input and the report.
#pragma once

#include "library_report.hpp"

#include <ostream>
#include <string>

namespace Pelk::dressil {

inline constexpr const char* toolName = "DRESSIL";

// Runs the counting grammar over the input. A parse failure is written to
// `console` (standard output, even when the report goes to a file); the report
// then holds the structures matched before it. The core's failures (file
// access, oversized records) propagate.
LibraryReport analyzeStream(const std::string& inputPath, std::ostream& console, bool& matched);

// The whole program; returns the exit status: 0 after a report or -h, 2 after
// a command-line error, 1 after any other error.
int runDressil(int argc, const char* const* argv, std::ostream& console, std::ostream& errorOutput);

} // namespace Pelk::dressil
