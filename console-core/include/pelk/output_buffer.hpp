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

class WriteBehind;

class OutputBuffer {
public:
    static constexpr std::size_t defaultCapacity = std::size_t{1} << 20;

    explicit OutputBuffer(std::ostream* target, std::size_t capacity = defaultCapacity);
    ~OutputBuffer();
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    std::ostream* target() const { return currentOutput; }

    // From here on a full buffer is written by a thread of its own while the
    // next one fills, if a thread and a second buffer can be had: only for
    // an output no one else writes to while this buffer lives. Started once
    // the buffers a run cannot do without are taken, so that this one, which
    // it can do without, leaves them the memory.
    void writeBehind();

    // Everything appended so far is in the old target before the switch, so
    // that its owner may read or drop it at once.
    void setTarget(std::ostream* target)
    {
        flush();
        currentOutput = target;
    }

    // Everything appended so far is in the target when this returns.
    void flush();

    void append(std::string_view text)
    {
        if (text.size() > capacity - used) {
            handOff();
            if (text.size() > capacity) {
                writeNow(text);
                return;
            }
        }
        // An empty view may carry a null pointer, which memcpy must not see.
        if (text.empty())
            return;
        std::memcpy(buffer + used, text.data(), text.size());
        used += text.size();
    }

    void append(char c)
    {
        if (used == capacity)
            handOff();
        buffer[used++] = c;
    }

    void write(const std::uint8_t* bytes, std::size_t n) { append({reinterpret_cast<const char*>(bytes), n}); }

    // Room for `n` characters written directly by the caller, then `commit`
    // of how many were written; n must not exceed the capacity.
    char* reserve(std::size_t n)
    {
        if (capacity - used < n)
            handOff();
        return buffer + used;
    }
    void commit(std::size_t n) { used += n; }

private:
    // Passes the gathered bytes on, to the writer thread or the target.
    void handOff();
    void writeNow(std::string_view text);

    std::ostream* currentOutput;
    std::size_t capacity;
    std::size_t used = 0;
    char* buffer;
    std::unique_ptr<char[]> storage;
    std::unique_ptr<WriteBehind> writer;
};

} // namespace Pelk::core
