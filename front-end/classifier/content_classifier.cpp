#include "content_classifier.hpp"

#include "text_header_grammar.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

namespace Pelk::vesk {

namespace {

// Reads up to size bytes from the start of the file; -1 when it cannot be
// opened. Non-blocking, so a FIFO in the list cannot hang the window thread.
long readHead(const std::string& path, char* buffer, std::size_t size)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return -1;
    std::size_t count = 0;
    while (count < size) {
        ssize_t n = ::read(fd, buffer + count, size - count);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        count += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return static_cast<long>(count);
}

}  // namespace

bool HasStreamHeader(const std::string& path)
{
    char head[4];
    if (readHead(path, head, sizeof head) != 4)
        return false;
    return head[0] == 0x00 && head[1] == 0x06 && head[2] == 0x00 && head[3] == 0x02;
}

bool HasTextHeader(const std::string& path)
{
    char window[1024];
    long n = readHead(path, window, sizeof window);
    if (n < 0)
        return false;
    return TextHeaderGrammar::matches(window, window + n);
}

}  // namespace Pelk::vesk
