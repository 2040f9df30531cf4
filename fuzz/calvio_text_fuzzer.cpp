// libFuzzer target for calvio's text grammar: any bytes as a text-form file,
// converted with and without a -cell filter, and now and then after blanks
// that put the input window's edge inside the bytes. A mismatch or a thrown
// C string is a normal outcome; a crash, a hang or a sanitizer report is a
// finding.
#include "convert_text.hpp"
#include "fuzz_input_file.hpp"

#include <cstdint>
#include <new>
#include <numeric>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static Pelk::fuzzing::InputFile input;
    std::string text(reinterpret_cast<const char*>(data), size);
    if (size > 0 && size % 3 == 0) {
        // Blanks before the text change nothing but where the 64 KB window
        // of the reader ends: here, inside the text.
        std::size_t edge = std::accumulate(data, data + size, std::size_t{0}) % size;
        text.insert(0, 65536 - edge, ' ');
    }
    input.assign(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    // Odd sizes run with a filter, so both structure paths are covered.
    std::string cell = size % 2 ? "TOP" : "";
    std::ostringstream output, console;
    try {
        Pelk::calvio::convertText(cell, input.path(), output, console);
    } catch (const char*) {
    } catch (const std::bad_alloc&) {
    }
    return 0;
}
