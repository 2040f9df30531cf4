// Vesk's own parser-combinator node kinds over a byte buffer: plain values,
// composed at run time by copying, so a whole grammar lives in local storage.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <type_traits>

namespace Pelk::vesk {

using Position = const char*;

struct ParseResult {
    bool matched;
    Position end;
};

struct CharClassTable {
    std::array<unsigned char, 256> flags{};

    bool contains(char c) const { return flags[static_cast<unsigned char>(c)] != 0; }
};

// Both tables mark space, LF, CR and TAB once initBlankTable has run.
extern CharClassTable BlankTable;
extern CharClassTable NumberBlankTable;

void fillCharTable(CharClassTable& table, const char* members);
void initBlankTable();

Position skipBlanks(const CharClassTable& table, Position begin, Position end);
ParseResult matchLiteral(const char* keyword, Position begin, Position end);
ParseResult matchChar(char c, Position begin, Position end);
ParseResult matchDigits(Position begin, Position end);

template <class Left, class Right>
struct SequenceParser {
    Left left;
    Right right;

    ParseResult parse(Position begin, Position end) const
    {
        ParseResult first = left.parse(begin, end);
        if (!first.matched)
            return first;
        return right.parse(first.end, end);
    }
};

template <class Node>
struct OptionalParser {
    Node node;

    ParseResult parse(Position begin, Position end) const
    {
        ParseResult r = node.parse(begin, end);
        return {true, r.matched ? r.end : begin};
    }
};

struct LiteralParser {
    const char* keyword;

    ParseResult parse(Position begin, Position end) const { return matchLiteral(keyword, begin, end); }
};

struct CharParser {
    char character;

    ParseResult parse(Position begin, Position end) const { return matchChar(character, begin, end); }
};

// Without a table the node skips the bytes of the global BlankTable.
struct BlankSkipParser {
    const CharClassTable* table = nullptr;

    ParseResult parse(Position begin, Position end) const
    {
        return {true, skipBlanks(table ? *table : BlankTable, begin, end)};
    }
};

struct CharRunParser {
    ParseResult parse(Position begin, Position end) const { return matchDigits(begin, end); }
};

template <class Node>
struct CaptureParser {
    Node node;
    std::string* target;

    ParseResult parse(Position begin, Position end) const
    {
        ParseResult r = node.parse(begin, end);
        if (r.matched)
            target->assign(begin, r.end);
        return r;
    }
};

template <class Left, class Right>
SequenceParser<Left, Right> operator>>(const Left& left, const Right& right)
{
    return {left, right};
}

template <class Node>
OptionalParser<Node> optional(const Node& node)
{
    return {node};
}

// An unsigned decimal number with an optional "+" (blanks before the "+" only
// count when the "+" is there), accumulated in the target's width with wrap-around.
template <class Int>
struct IntParser {
    static_assert(std::is_same_v<Int, std::int16_t> || std::is_same_v<Int, std::int32_t>);
    Int* target;
    const CharClassTable* table;

    ParseResult parse(Position begin, Position end) const
    {
        *target = 0;
        std::string digits;
        auto grammar = optional(BlankSkipParser{table} >> CharParser{'+'})
                       >> CaptureParser<CharRunParser>{CharRunParser{}, &digits};
        ParseResult r = grammar.parse(begin, end);
        if (!r.matched)
            return {false, begin};
        using Unsigned = std::make_unsigned_t<Int>;
        Unsigned value = 0;
        for (char d : digits)
            value = static_cast<Unsigned>(value * 10u + static_cast<Unsigned>(d - '0'));
        *target = static_cast<Int>(value);
        return r;
    }
};

template <class Int>
struct SignedIntParser {
    Int* target;
    const CharClassTable* table;

    ParseResult parse(Position begin, Position end) const
    {
        ParseResult minus = (BlankSkipParser{table} >> CharParser{'-'}).parse(begin, end);
        Position from = minus.matched ? minus.end : begin;
        ParseResult r = IntParser<Int>{target, table}.parse(from, end);
        if (minus.matched) {
            // Negating in the unsigned width keeps -(-32768) defined: it wraps.
            using Unsigned = std::make_unsigned_t<Int>;
            *target = static_cast<Int>(static_cast<Unsigned>(0u - static_cast<Unsigned>(*target)));
        }
        return r.matched ? r : ParseResult{false, begin};
    }
};

using Int4Parser = IntParser<std::int32_t>;
using Int2Parser = IntParser<std::int16_t>;

}  // namespace Pelk::vesk
