// calvio's conversion of one text-form file into a GDSII stream file, and
// its command-line program around it.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

namespace Pelk::calvio {

inline constexpr const char* toolName = "calvio";

// Converts the file into records on `output`; a parse failure is reported
// on `console` with an echo of the input where it happened, its control
// bytes other than TAB, LF and CR shown as '?'. Returns whether
// the whole text matched; failures of the file layer and of the record
// writer are thrown.
bool convertText(const std::string& cellName, const std::string& inputPath, std::ostream& output,
                 std::ostream& console);

// Appends zero bytes to `output` up to a multiple of 2048, by the
// `written` bytes it took; a failure is left in its state.
void padTo2048(std::ostream& output, std::uint64_t written);

// The whole program: returns the exit status.
int runCalvio(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

} // namespace Pelk::calvio
