// The one current output of brenmo's text writers, with a buffer in front of
// it so that a record costs a few appends rather than a stream call each.
#pragma once

#include <cstdint>
#include <cstring>
#include <ostream>

#include "decimal_writer.hpp"
#include <string_view>

namespace Pelk::brenmo {

class TextOutput {
public:
    explicit TextOutput(std::ostream* target) : currentOutput(target) {}
    ~TextOutput() { flush(); }
    TextOutput(const TextOutput&) = delete;
    TextOutput& operator=(const TextOutput&) = delete;

    std::ostream* target() const { return currentOutput; }

    // Everything appended so far reaches the old target before the switch.
    void setTarget(std::ostream* target)
    {
        flush();
        currentOutput = target;
    }

    void flush()
    {
        if (used > 0)
            currentOutput->write(buffer, static_cast<std::streamsize>(used));
        used = 0;
    }

    void append(std::string_view text)
    {
        if (text.size() > capacity - used) {
            flush();
            if (text.size() > capacity) {
                currentOutput->write(text.data(), static_cast<std::streamsize>(text.size()));
                return;
            }
        }
        std::memcpy(buffer + used, text.data(), text.size());
        used += text.size();
    }

    void append(char c)
    {
        if (used == capacity)
            flush();
        buffer[used++] = c;
    }

    void appendInt(std::int32_t value)
    {
        if (capacity - used < 12)
            flush();
        used = static_cast<std::size_t>(writeSigned(buffer + used, value) - buffer);
    }

    void appendUnsigned(std::uint32_t value)
    {
        if (capacity - used < 12)
            flush();
        used = static_cast<std::size_t>(writeUnsigned(buffer + used, value) - buffer);
    }

    // Room for `n` characters written directly by the caller.
    char* reserve(std::size_t n)
    {
        if (capacity - used < n)
            flush();
        return buffer + used;
    }
    void commit(std::size_t n) { used += n; }

private:
    static constexpr std::size_t capacity = 1 << 20;
    std::ostream* currentOutput;
    std::size_t used = 0;
    char buffer[capacity];
};

} // namespace Pelk::brenmo
