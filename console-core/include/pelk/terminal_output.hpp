// What a terminal is sent: the bytes that would steer it rather than show
// on it are shown as '?'.
#pragma once

#include <cstdint>
#include <streambuf>

namespace Pelk::core {

// A C0 control byte or DEL can switch a terminal's character set, retitle
// its window or do worse (a layout's names may hold any of them); TAB, LF
// and CR only lay out the text.
constexpr char shownOnTerminal(std::uint8_t byte)
{
    const bool control = (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') || byte == 0x7F;
    return control ? '?' : static_cast<char>(byte);
}

// Passes everything on to `target` as shownOnTerminal shows it. It keeps no
// buffer of its own: the writers gather their text, and `target` has one.
class TerminalBuffer : public std::streambuf {
public:
    explicit TerminalBuffer(std::streambuf* target) : target(target) {}

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize n) override;
    int sync() override;

private:
    std::streambuf* target;
};

} // namespace Pelk::core
