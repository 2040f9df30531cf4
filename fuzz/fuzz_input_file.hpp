// A memory-backed file that holds the current fuzz input, so the programs'
// own file access reads it by path as it would any input.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

namespace Pelk::fuzzing {

class InputFile {
public:
    InputFile() : fd(memfd_create("fuzz-input", 0)), name("/proc/self/fd/" + std::to_string(fd))
    {
        if (fd < 0)
            std::abort();
    }
    ~InputFile() { close(fd); }

    void assign(const std::uint8_t* data, std::size_t size)
    {
        if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
            std::abort();
    }

    const std::string& path() const { return name; }

private:
    int fd;
    std::string name;
};

} // namespace Pelk::fuzzing
