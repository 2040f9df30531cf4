// A run of like items separated by one character, with a minimum and a
// maximum count.
#pragma once

#include "pelk/parse_position.hpp"
#include "pelk/repeat_nodes.hpp"

#include <cstdint>

namespace Pelk::core {

template <class Node>
struct ListParser {
    Node node;
    char separator;
    std::uint32_t min;
    std::uint32_t max;

    // A separator that no item follows is consumed: the list ends after it.
    template <class Position>
    ParseResult<Position> parse(Position begin, Position end) const
    {
        std::uint64_t count = 0;
        Position cursor = begin;
        Position lastEnd = begin;
        while ((max == unbounded || count < max) && !(cursor == end)) {
            if (count > 0) {
                if (charAt(cursor) != static_cast<std::uint8_t>(separator))
                    break;
                cursor = advance(cursor);
            }
            ParseResult<Position> item = node.parse(cursor, end);
            lastEnd = item.end;
            if (!item.matched)
                break;
            cursor = item.end;
            ++count;
        }
        bool matched = count >= min;
        return {matched, matched ? cursor : lastEnd};
    }
};

template <class Node>
constexpr ListParser<Node> list(Node node, char separator, std::uint32_t min, std::uint32_t max)
{
    return {node, separator, min, max};
}

} // namespace Pelk::core
