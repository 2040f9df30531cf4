// Test support: runs dressil in-process on a library written to a temporary
// file and keeps everything it printed.
#pragma once

#include "dressil_program.hpp"
#include "stream_builder.hpp"
#include "test_files.hpp"

#include <sstream>
#include <string>
#include <vector>

namespace Pelk::testing {

struct DressilRun {
    int status;
    std::string console;
    std::string errors;
};

inline DressilRun runDressil(const std::vector<std::string>& arguments)
{
    std::vector<const char*> argv{"dressil"};
    for (const std::string& a : arguments)
        argv.push_back(a.c_str());
    std::ostringstream console;
    std::ostringstream errors;
    int status = Pelk::dressil::runDressil(static_cast<int>(argv.size()), argv.data(), console, errors);
    return {status, console.str(), errors.str()};
}

// A report kept beside the tests, checked by hand or against another reader.
inline std::string checkedReport(const std::string& name)
{
    return readWholeFile(std::string(DRESSIL_EXPECTED_DIR) + "/" + name + ".report.txt");
}

// The report of a library, run quietly; the status and messages are the caller's to check.
inline DressilRun reportOf(const StreamBuilder& library)
{
    TemporaryFile file("library.gds", library);
    return runDressil({"-q", file.path()});
}

} // namespace Pelk::testing
