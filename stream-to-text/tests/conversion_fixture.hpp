// Test support: runs brenmo's conversion over bytes from a StreamBuilder.
#pragma once

#include "convert_stream.hpp"
#include "stream_builder.hpp"
#include "test_files.hpp"

#include <sstream>
#include <string>

namespace Pelk::brenmo::testing {

struct Conversion {
    bool matched = false;
    std::string text;
    std::string console;
    std::string thrown;
};

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
    Pelk::testing::TemporaryFile input("input.gds", stream);
    return convertFile(input.path(), cell);
}

} // namespace Pelk::brenmo::testing
