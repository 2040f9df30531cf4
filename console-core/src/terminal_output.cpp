#include "pelk/terminal_output.hpp"

#include <algorithm>

namespace Pelk::core {

namespace {

// One load a byte: a terminal's text passes through here whole.
struct ShownBytes {
    char shown[256];
    constexpr ShownBytes() : shown{}
    {
        for (int byte = 0; byte < 256; ++byte)
            shown[byte] = shownOnTerminal(static_cast<std::uint8_t>(byte));
    }
};
constexpr ShownBytes shownBytes;

} // namespace

TerminalBuffer::int_type TerminalBuffer::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    return target->sputc(shownOnTerminal(static_cast<std::uint8_t>(traits_type::to_char_type(c))));
}

std::streamsize TerminalBuffer::xsputn(const char* text, std::streamsize n)
{
    char shown[8192];
    std::streamsize done = 0;
    while (done < n) {
        const std::streamsize length = std::min<std::streamsize>(n - done, sizeof shown);
        for (std::streamsize i = 0; i < length; ++i)
            shown[i] = shownBytes.shown[static_cast<std::uint8_t>(text[done + i])];
        const std::streamsize written = target->sputn(shown, length);
        done += written;
        if (written != length)
            break;
    }
    return done;
}

int TerminalBuffer::sync() { return target->pubsync(); }

} // namespace Pelk::core
