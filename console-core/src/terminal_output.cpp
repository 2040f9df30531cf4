#include "pelk/terminal_output.hpp"

#include <algorithm>

namespace Pelk::core {

namespace {

// The ASCII half a load a byte: most of a terminal's text is in it. It is
// the echo's rule less the CR, which would let what follows hide the line.
struct ShownAscii {
    char shown[128];
    constexpr ShownAscii() : shown{}
    {
        for (int byte = 0; byte < 128; ++byte)
            shown[byte] = byte == '\r' ? '?' : shownInEcho(static_cast<std::uint8_t>(byte));
    }
};
constexpr ShownAscii shownAscii;

struct SequenceStart {
    int following; // 0: no well-formed character starts with this byte
    std::uint8_t low;
    std::uint8_t high;
};

// The ranges of well-formed UTF-8: no overlong form, no surrogate, nothing
// past U+10FFFF.
constexpr SequenceStart sequenceStart(std::uint8_t lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return {1, 0x80, 0xBF};
    if (lead == 0xE0)
        return {2, 0xA0, 0xBF};
    if (lead == 0xED)
        return {2, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF)
        return {2, 0x80, 0xBF};
    if (lead == 0xF0)
        return {3, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3)
        return {3, 0x80, 0xBF};
    if (lead == 0xF4)
        return {3, 0x80, 0x8F};
    return {0, 0, 0};
}

constexpr std::ptrdiff_t chunkSize = 8192;

} // namespace

void TerminalBuffer::show(std::uint8_t byte, char*& shown)
{
    if (missing > 0) {
        if (byte >= nextLow && byte <= nextHigh) {
            held[heldCount++] = byte;
            nextLow = 0x80;
            nextHigh = 0xBF;
            if (--missing > 0)
                return;
            // U+0080 to U+009F are the C1 controls.
            const bool control = heldCount == 2 && held[0] == 0xC2 && held[1] < 0xA0;
            for (int i = 0; i < heldCount; ++i)
                *shown++ = control ? '?' : static_cast<char>(held[i]);
            heldCount = 0;
            return;
        }
        // Cut short: what was held is no character, and this byte may start one.
        shown = std::fill_n(shown, heldCount, '?');
        heldCount = 0;
        missing = 0;
    }
    if (byte < 0x80) {
        *shown++ = shownAscii.shown[byte];
        return;
    }
    const SequenceStart start = sequenceStart(byte);
    if (start.following == 0) {
        *shown++ = '?';
        return;
    }
    held[0] = byte;
    heldCount = 1;
    missing = start.following;
    nextLow = start.low;
    nextHigh = start.high;
}

TerminalBuffer::int_type TerminalBuffer::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
}

std::streamsize TerminalBuffer::xsputn(const char* text, std::streamsize n)
{
    char shown[chunkSize];
    std::streamsize done = 0;
    while (done < n) {
        // Room for the longest a byte can show: a held character and itself.
        const std::streamsize length = std::min<std::streamsize>(n - done, chunkSize - 4);
        char* end = shown;
        for (std::streamsize i = 0; i < length; ++i)
            show(static_cast<std::uint8_t>(text[done + i]), end);
        const std::streamsize count = end - shown;
        // A terminal gone away takes nothing more: the writer must hear of it.
        if (target->sputn(shown, count) != count)
            return done;
        done += length;
    }
    return done;
}

bool TerminalBuffer::finish()
{
    const std::streamsize count = heldCount;
    heldCount = 0;
    missing = 0;
    for (std::streamsize i = 0; i < count; ++i)
        if (traits_type::eq_int_type(target->sputc('?'), traits_type::eof()))
            return false;
    return true;
}

int TerminalBuffer::sync() { return target->pubsync(); }

} // namespace Pelk::core
