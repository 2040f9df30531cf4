// libFuzzer target for calvio's text grammar: any bytes as a text-form file,
// converted with and without a -cell filter, and now and then after blanks
// that put the input window's edge inside the bytes. A mismatch or a thrown
// C string is a normal outcome; a crash, a hang or a sanitizer report is a
// finding.
#include "convert_text.hpp"

#include <cstdint>
#include <cstdio>
#include <numeric>
#include <new>
#include <sstream>
#include <string>

#include <unistd.h>

namespace {

const std::string& inputPath()
{
    static const std::string path = "/tmp/calvio_text_fuzzer_" + std::to_string(::getpid()) + ".txt";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string& path = inputPath();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return 0;
    if (size > 0 && size % 3 == 0) {
        // Blanks before the text change nothing but where the 64 KB window
        // of the reader ends: here, inside the text.
        std::size_t edge = std::accumulate(data, data + size, std::size_t{0}) % size;
        static const std::string blanks(65536, ' ');
        std::fwrite(blanks.data(), 1, blanks.size() - edge, f);
    }
    if (size > 0)
        std::fwrite(data, 1, size, f);
    std::fclose(f);
    // Odd sizes run with a filter, so both structure paths are covered.
    std::string cell = size % 2 ? "TOP" : "";
    std::ostringstream output, console;
    try {
        Pelk::calvio::convertText(cell, path, output, console);
    } catch (const char*) {
    } catch (const std::bad_alloc&) {
    }
    return 0;
}
