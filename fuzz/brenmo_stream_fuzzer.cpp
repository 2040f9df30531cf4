// Feeds arbitrary bytes to brenmo's stream grammar, with and without the
// cell filter. Any failure must be a mismatch or a thrown C string.
#include "convert_stream.hpp"
#include "fuzz_input_file.hpp"

#include "pelk/console_frame.hpp"

#include <cstddef>
#include <cstdint>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Pelk::fuzzing::InputFile input;
    input.assign(data, size);
    for (const char* cell : {"", "TOP"}) {
        std::ostringstream text, console;
        try {
            Pelk::brenmo::convertStream(cell, input.path(), text, console);
        } catch (const char*) {
        }
    }
    return 0;
}
