// Scanning a run of characters that satisfy a test: over a StreamCursor a
// window at a time, so a run costs one window lookup rather than one a byte.
#pragma once

#include "pelk/parse_position.hpp"

#include <algorithm>
#include <cstdint>

namespace Pelk::core {

// The first position from `begin` whose character fails `test`, or `end`.
template <class Test>
TextPosition scanWhile(TextPosition begin, TextPosition end, Test&& test)
{
    TextPosition p = begin;
    while (p != end && test(charAt(p)))
        ++p;
    return p;
}

template <class Test>
StreamCursor scanWhile(StreamCursor begin, const StreamCursor& end, Test&& test)
{
    StreamCursor p = begin;
    while (p.offset < end.offset) {
        auto bytes = p.file->bytesFrom(p.offset);
        std::size_t n = std::min<std::uint64_t>(bytes.size(), static_cast<std::uint64_t>(end.offset - p.offset));
        const std::uint8_t* data = bytes.data();
        std::size_t i = 0;
        while (i < n && test(data[i]))
            ++i;
        p.offset += static_cast<std::int64_t>(i);
        if (i < n)
            break;
    }
    return p;
}

} // namespace Pelk::core
