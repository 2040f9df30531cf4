// The one buffered writer of the console programs: text lines and stream
// records are gathered here, so that each costs a copy rather than a stream
// call, and reach the current output in large writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <ostream>
#include <string_view>

namespace Pelk::core {

class OutputBuffer {
public:
    static constexpr std::size_t defaultCapacity = std::size_t{1} << 20;

    explicit OutputBuffer(std::ostream* target, std::size_t capacity = defaultCapacity)
        : currentOutput(target), capacity(capacity), buffer(std::make_unique_for_overwrite<char[]>(capacity))
    {
    }
    ~OutputBuffer() { flush(); }
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

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
            currentOutput->write(buffer.get(), static_cast<std::streamsize>(used));
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
        // An empty view may carry a null pointer, which memcpy must not see.
        if (text.empty())
            return;
        std::memcpy(buffer.get() + used, text.data(), text.size());
        used += text.size();
    }

    void append(char c)
    {
        if (used == capacity)
            flush();
        buffer[used++] = c;
    }

    void write(const std::uint8_t* bytes, std::size_t n) { append({reinterpret_cast<const char*>(bytes), n}); }

    // Room for `n` characters written directly by the caller, then `commit`
    // of how many were written; n must not exceed the capacity.
    char* reserve(std::size_t n)
    {
        if (capacity - used < n)
            flush();
        return buffer.get() + used;
    }
    void commit(std::size_t n) { used += n; }

private:
    std::ostream* currentOutput;
    std::size_t capacity;
    std::size_t used = 0;
    std::unique_ptr<char[]> buffer;
};

} // namespace Pelk::core
