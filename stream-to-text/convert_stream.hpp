// brenmo's conversion of one stream file into the text form, and its
// command-line program around it.
#pragma once

#include <iosfwd>
#include <string>

namespace Pelk::brenmo {

inline constexpr const char* toolName = "brenmo";

// Converts the file to `output`, writing a parse failure's position to
// `console`; returns whether the whole library matched. Failures of the
// file or record layer are thrown.
bool convertStream(const std::string& cellName, const std::string& inputPath, std::ostream& output,
                   std::ostream& console);

// The whole program: returns the exit status.
int runBrenmo(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

} // namespace Pelk::brenmo
