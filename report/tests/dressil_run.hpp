// Test support: runs dressil in-process on a library written to a temporary
// file and keeps everything it printed.
#pragma once

#include "dressil_program.hpp"
#include "stream_builder.hpp"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
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

// A file in the temporary folder, removed when the test ends.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& stem)
    {
        static int serial = 0;
        path_ = (std::filesystem::temp_directory_path()
                 / ("dressil_" + std::to_string(::getpid()) + "_" + std::to_string(serial++) + "_" + stem))
                    .string();
    }
    TemporaryFile(const std::string& stem, const StreamBuilder& library) : TemporaryFile(stem)
    {
        library.writeTo(path_);
    }
    TemporaryFile(const std::string& stem, const Bytes& bytes) : TemporaryFile(stem)
    {
        StreamBuilder().raw(bytes).writeTo(path_);
    }
    ~TemporaryFile()
    {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return path_; }

private:
    std::string path_;
};

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A report kept beside the tests, checked by hand or against another reader.
inline std::string checkedReport(const std::string& name)
{
    return readFile(std::string(DRESSIL_EXPECTED_DIR) + "/" + name + ".report.txt");
}

// The report of a library, run quietly; the status and messages are the caller's to check.
inline DressilRun reportOf(const StreamBuilder& library)
{
    TemporaryFile file("library.gds", library);
    return runDressil({"-q", file.path()});
}

} // namespace Pelk::testing
