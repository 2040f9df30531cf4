// The two kinds of position a grammar moves (characters of a string, or a
// StreamCursor into a file) and the ParseResult every parser node returns.
#pragma once

#include "pelk/paged_file.hpp"

#include <cstdint>
#include <string>

namespace Pelk::core {

template <class Position>
struct ParseResult {
    bool matched;
    Position end;
};

// A position in an input file; nodes never change a cursor, they return a new one.
struct StreamCursor {
    PagedFile* file;
    std::int64_t offset;

    friend bool operator==(const StreamCursor& a, const StreamCursor& b)
    {
        return a.file == b.file && a.offset == b.offset;
    }
};

// Text flavour: a pointer into the characters of a string the caller owns.
using TextPosition = const char*;

inline std::uint8_t charAt(TextPosition p) { return static_cast<std::uint8_t>(*p); }
inline TextPosition advance(TextPosition p, std::int64_t n = 1) { return p + n; }
inline std::int64_t distance(TextPosition from, TextPosition to) { return to - from; }
inline void copyRange(TextPosition from, TextPosition to, std::string& target)
{
    // clear and append rather than assign: g++ 12 at -O3 sees a false overlap in assign.
    target.clear();
    target.append(from, static_cast<std::size_t>(to - from));
}

inline std::uint8_t charAt(const StreamCursor& c) { return c.file->byteAt(c.offset); }
inline StreamCursor advance(StreamCursor c, std::int64_t n = 1) { return {c.file, c.offset + n}; }
inline std::int64_t distance(const StreamCursor& from, const StreamCursor& to) { return to.offset - from.offset; }

inline void copyRange(StreamCursor from, const StreamCursor& to, std::string& target)
{
    target.clear();
    while (from.offset < to.offset) {
        auto bytes = from.file->bytesFrom(from.offset);
        std::size_t n = bytes.size();
        if (static_cast<std::int64_t>(n) > to.offset - from.offset)
            n = static_cast<std::size_t>(to.offset - from.offset);
        target.append(reinterpret_cast<const char*>(bytes.data()), n);
        from.offset += static_cast<std::int64_t>(n);
    }
}

} // namespace Pelk::core
