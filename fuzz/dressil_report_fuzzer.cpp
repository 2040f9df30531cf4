// Feeds arbitrary bytes to dressil's counting grammar and hierarchy analysis.
// Any input must end in a report or in one of the core's thrown C strings,
// never in a crash, undefined behaviour or a structure left unflattened.
#include "fuzz_input_file.hpp"

#include "dressil_program.hpp"
#include "hierarchy_analysis.hpp"
#include "report_layout.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Pelk::dressil;
    static Pelk::fuzzing::InputFile input;
    input.assign(data, size);
    std::ostringstream report, console;
    try {
        bool matched = false;
        LibraryReport analysis = analyzeStream(input.path(), report, console, matched);
        flattenAll(analysis);
        for (const auto& [name, structure] : analysis.structures)
            if (structure.flattening != FlattenState::Done)
                std::abort();
        writeReport(analysis);
    } catch (const char*) {
    }
    return 0;
}
