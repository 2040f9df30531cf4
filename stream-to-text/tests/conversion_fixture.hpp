// Test support: runs brenmo's conversion over bytes from a StreamBuilder.
#pragma once

#include "convert_stream.hpp"
#include "stream_builder.hpp"

#include <filesystem>
#include <sstream>
#include <string>

#include <unistd.h>

namespace Pelk::brenmo::testing {

struct Conversion {
    bool matched = false;
    std::string text;
    std::string console;
    std::string thrown;
};

inline std::string tempPath(const std::string& name)
{
    // Tests run as parallel processes: each gets its own files.
    return (std::filesystem::temp_directory_path() / ("brenmo_test_" + std::to_string(getpid()) + "_" + name)).string();
}

inline Conversion convertFile(const std::string& path, const std::string& cell = "")
{
    Conversion c;
    std::ostringstream text, console;
    try {
        c.matched = convertStream(cell, path, text, console);
    } catch (const char* failure) {
        c.thrown = failure;
    }
    c.text = text.str();
    c.console = console.str();
    return c;
}

inline Conversion convert(const Pelk::testing::StreamBuilder& stream, const std::string& cell = "")
{
    std::string path = tempPath("input.gds");
    stream.writeTo(path);
    return convertFile(path, cell);
}

} // namespace Pelk::brenmo::testing
