#include "pelk/real_format.hpp"

#include <cstdio>
#include <cstring>

namespace Pelk::core {

std::size_t formatReal(double value, char* out)
{
    char buffer[40];
    int n = std::snprintf(buffer, sizeof buffer, "%g", value);
    if (n < 0)
        n = 0;
    std::size_t length = static_cast<std::size_t>(n);
    const char* e = static_cast<const char*>(std::memchr(buffer, 'e', length));
    if (!e) {
        std::memcpy(out, buffer, length);
        return length;
    }
    // "%g" gives at least two exponent digits; widen to three.
    std::size_t head = static_cast<std::size_t>(e - buffer) + 2; // through the sign
    std::size_t digits = length - head;
    std::memcpy(out, buffer, head);
    std::size_t w = head;
    for (std::size_t d = digits; d < 3; ++d)
        out[w++] = '0';
    std::memcpy(out + w, buffer + head, digits);
    return w + digits;
}

std::string formatReal(double value)
{
    char out[40];
    return std::string(out, formatReal(value, out));
}

} // namespace Pelk::core
