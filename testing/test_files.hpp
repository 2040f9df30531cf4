// Test support: the files a test writes and reads back: a temporary file of
// this process's own, and the whole of a file as bytes.
#pragma once

#include "stream_builder.hpp"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>

namespace Pelk::testing {

// The whole file, byte for byte; empty where it cannot be read.
inline std::string readWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A path in the temporary folder that no other test, nor another test
// process running at the same time, shares. Nothing is there until the
// test writes it; whatever is there, a folder too, goes when this does.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& name)
    {
        static int serial = 0;
        path_ = (std::filesystem::temp_directory_path()
                 / ("pelk_" + std::to_string(::getpid()) + "_" + std::to_string(serial++) + "_" + name))
                    .string();
    }
    TemporaryFile(const std::string& name, std::string_view content) : TemporaryFile(name) { write(content); }
    TemporaryFile(const std::string& name, const Bytes& bytes) : TemporaryFile(name)
    {
        write({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
    }
    TemporaryFile(const std::string& name, const StreamBuilder& stream) : TemporaryFile(name, stream.bytes()) {}
    ~TemporaryFile()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& path() const { return path_; }

    // Replaces the file's content.
    void write(std::string_view content) const
    {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
    }

private:
    std::string path_;
};

} // namespace Pelk::testing
