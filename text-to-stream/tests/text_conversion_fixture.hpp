// Test support: runs calvio's conversion over a text and collects the
// records it wrote, what it said, and what it threw.
#pragma once

#include "convert_text.hpp"
#include "record_writer.hpp"
#include "stream_builder.hpp"
#include "test_files.hpp"

#include <sstream>
#include <string>

namespace Pelk::calvio::testing {

using Pelk::testing::Bytes;
using Pelk::testing::StreamBuilder;
using Pelk::testing::TemporaryFile;

struct Conversion {
    bool matched = false;
    Bytes records;
    std::string console;
    std::string thrown;
};

inline Bytes toBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline Conversion convertText(const std::string& text, const std::string& cell = "")
{
    TemporaryFile input("input.txt", text);
    Conversion c;
    std::ostringstream output, console;
    try {
        c.matched = Pelk::calvio::convertText(cell, input.path(), output, console);
    } catch (const char* failure) {
        c.thrown = failure;
    }
    c.records = toBytes(output.str());
    c.console = console.str();
    return c;
}

// Runs the record writers on an output whose bytes are returned.
template <class Writes>
Bytes captureRecords(Writes writes)
{
    std::ostringstream out;
    {
        RecordOutput records(&out);
        writes(records);
    }
    return toBytes(out.str());
}

// The library head of the texts below, and the records it stands for.
inline constexpr const char* textHead = "VERSION 600\nLIBRARY [2010/4/17 9:05:03, 2010/4/17 9:05:03] LIB\n"
                                        "UNITS 0.001 1e-009\n";

inline StreamBuilder streamHead() { return std::move(StreamBuilder().libraryStart("LIB")); }

// A library with one structure TOP holding the given element text.
inline std::string libraryWith(const std::string& elements)
{
    return std::string(textHead) + "\nSTRUCT [2010/4/17 9:05:03, 2010/4/17 9:05:03]  TOP" + elements
         + "\n\nENDSTR\n\nENDLIB\n";
}

} // namespace Pelk::calvio::testing
