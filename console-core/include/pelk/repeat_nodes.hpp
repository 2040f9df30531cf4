// Optional and bounded repetition.
#pragma once

#include "pelk/parse_position.hpp"

#include <cstdint>

namespace Pelk::core {

inline constexpr std::uint32_t unbounded = 0xFFFFFFFF;

template <class Node>
struct OptionalParser {
    Node node;

    template <class Position>
    ParseResult<Position> parse(Position begin, Position end) const
    {
        ParseResult<Position> result = node.parse(begin, end);
        // Chosen part by part: a whole position picked by one condition is
        // copied through memory, which stalls the next read of it.
        if (!result.matched) {
            result.matched = true;
            result.end = begin;
        }
        return result;
    }
};

template <class Node>
struct RepeatParser {
    Node node;
    std::uint32_t min;
    std::uint32_t max;

    template <class Position>
    ParseResult<Position> parse(Position begin, Position end) const
    {
        std::uint64_t count = 0;
        Position current = begin;
        Position lastEnd = begin;
        // max of 0xFFFFFFFF counts as no bound at all.
        while ((max == unbounded || count < max) && !(current == end)) {
            ParseResult<Position> result = node.parse(current, end);
            lastEnd = result.end;
            if (!result.matched)
                break;
            current = result.end;
            ++count;
        }
        bool matched = count >= min;
        return {matched, matched ? current : lastEnd};
    }
};

template <class Node>
constexpr OptionalParser<Node> optional(Node node)
{
    return {node};
}

template <class Node>
constexpr RepeatParser<Node> repeat(Node node, std::uint32_t min, std::uint32_t max)
{
    return {node, min, max};
}

} // namespace Pelk::core
