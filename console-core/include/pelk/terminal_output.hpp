// What a terminal is sent: the bytes that would steer it rather than show
// on it are shown as '?', one for each byte.
#pragma once

#include <cstdint>
#include <streambuf>

namespace Pelk::core {

// calvio's echo of a failed parse goes into files and pipes too, where it
// keeps the layout bytes TAB, LF and CR; other C0 controls and DEL are
// shown as '?' wherever it goes.
constexpr char shownInEcho(std::uint8_t byte)
{
    const bool control = (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') || byte == 0x7F;
    return control ? '?' : static_cast<char>(byte);
}

// Passes everything on to `target` as a UTF-8 terminal may safely show it.
// A C0 or C1 control or DEL can switch a terminal's character set, retitle
// its window or do worse, and a CR lets what follows hide the line before
// it; a byte outside well-formed UTF-8 may be read as a C1 control. Each
// such byte is shown as '?', so lengths and columns stay; TAB, LF and every
// other well-formed character pass. The start of a character whose bytes
// arrive in two writes is held until its end comes, or `finish`. It keeps
// no buffer of its own beyond that: `target` has one.
class TerminalBuffer : public std::streambuf {
public:
    explicit TerminalBuffer(std::streambuf* target) : target(target) {}

    // Shows the held start of a character that never ended; false when the
    // target refuses it.
    bool finish();

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize n) override;
    int sync() override;

private:
    // Adds what `byte` shows to `shown`, at most four bytes.
    void show(std::uint8_t byte, char*& shown);

    std::streambuf* target;
    // The bytes of a character begun and not yet ended, and the range its
    // next byte must lie in.
    std::uint8_t held[4] = {};
    int heldCount = 0;
    int missing = 0;
    std::uint8_t nextLow = 0x80;
    std::uint8_t nextHigh = 0xBF;
};

} // namespace Pelk::core
