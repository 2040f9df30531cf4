// Leaf nodes over characters: literals, single characters, blank skipping,
// runs of characters, and the flag that records whether a literal was seen.
#pragma once

#include "pelk/blank_table.hpp"
#include "pelk/cursor_scan.hpp"
#include "pelk/parse_position.hpp"

#include <cstdint>
#include <initializer_list>

namespace Pelk::core {

struct LiteralParser {
    const char* literal;

    template <class Position>
    ParseResult<Position> parse(Position begin, Position end) const
    {
        Position p = begin;
        for (const char* l = literal; *l != '\0'; ++l) {
            if (p == end || charAt(p) != static_cast<std::uint8_t>(*l))
                return {false, begin};
            p = advance(p);
        }
        return {true, p};
    }
};

struct CharParser {
    char character;

    template <class Position>
    ParseResult<Position> parse(Position begin, Position end) const
    {
        if (begin == end || charAt(begin) != static_cast<std::uint8_t>(character))
            return {false, begin};
        return {true, advance(begin)};
    }
};

struct BlankSkipParser {
    template <class Position>
    ParseResult<Position> parse(Position begin, Position end) const
    {
        return {true, scanWhile(begin, end, [](std::uint8_t c) { return isBlank(c); })};
    }
};

// One or more characters outside a stop set of up to four characters.
struct CharRunParser {
    char stops[4];
    int stopCount;

    bool isStop(std::uint8_t c) const
    {
        for (int i = 0; i < stopCount; ++i)
            if (c == static_cast<std::uint8_t>(stops[i]))
                return true;
        return false;
    }

    template <class Position>
    ParseResult<Position> parse(Position begin, Position end) const
    {
        Position p = scanWhile(begin, end, [this](std::uint8_t c) { return !isStop(c); });
        return {!(p == begin), p};
    }
};

struct FlagParser {
    const char* literal;
    bool* target;

    template <class Position>
    ParseResult<Position> parse(Position begin, Position end) const
    {
        Position afterBlanks = BlankSkipParser{}.parse(begin, end).end;
        ParseResult<Position> result = LiteralParser{literal}.parse(afterBlanks, end);
        *target = result.matched;
        return result;
    }
};

constexpr BlankSkipParser skipBlanks() { return {}; }
constexpr LiteralParser matchLiteral(const char* literal) { return {literal}; }
constexpr CharParser matchChar(char c) { return {c}; }
constexpr CharRunParser matchWord() { return {{' ', '\t', '\n', '\r'}, 4}; }
constexpr CharRunParser matchQuotedText() { return {{'"', 0, 0, 0}, 1}; }
constexpr FlagParser matchFlagLiteral(const char* literal, bool* target) { return {literal, target}; }

} // namespace Pelk::core
