// Decimal integers of the text form: [blanks '-'] [blanks '+'] digits,
// accumulated with wrap-around in the width of their target.
#pragma once

#include "pelk/text_nodes.hpp"

#include <cstdint>
#include <type_traits>

namespace Pelk::core {

template <class Position>
struct SignStep {
    bool present;
    Position end;
};

// Blanks then the sign character; when the sign is absent nothing is taken,
// not even the blanks.
template <class Position>
SignStep<Position> matchSignAfterBlanks(Position begin, Position end, char sign)
{
    Position p = BlankSkipParser{}.parse(begin, end).end;
    if (!(p == end) && charAt(p) == static_cast<std::uint8_t>(sign))
        return {true, advance(p)};
    return {false, begin};
}

inline bool isDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }

// The digit step: an optional '+', then one or more digits. The target is
// set to 0 first, so a failed step leaves 0 behind.
template <class Int>
struct DigitStepParser {
    Int* target;

    template <class Position>
    ParseResult<Position> parse(Position begin, Position end) const
    {
        using Unsigned = std::make_unsigned_t<Int>;
        *target = 0;
        Position p = matchSignAfterBlanks(begin, end, '+').end;
        Position first = p;
        Unsigned value = 0;
        while (!(p == end)) {
            std::uint8_t c = charAt(p);
            if (!isDigit(c))
                break;
            value = static_cast<Unsigned>(value * 10u + (c - '0'));
            p = advance(p);
        }
        if (p == first)
            return {false, begin};
        *target = static_cast<Int>(value);
        return {true, p};
    }
};

template <class Int>
struct IntParser {
    static_assert(std::is_integral_v<Int> && std::is_signed_v<Int>);
    Int* target;

    template <class Position>
    ParseResult<Position> parse(Position begin, Position end) const
    {
        SignStep<Position> minus = matchSignAfterBlanks(begin, end, '-');
        ParseResult<Position> digits = DigitStepParser<Int>{target}.parse(minus.end, end);
        if (minus.present) {
            using Unsigned = std::make_unsigned_t<Int>;
            *target = static_cast<Int>(static_cast<Unsigned>(Unsigned{0} - static_cast<Unsigned>(*target)));
        }
        return {digits.matched, digits.matched ? digits.end : begin};
    }
};

constexpr IntParser<std::int16_t> parseInt2(std::int16_t* target) { return {target}; }
constexpr IntParser<std::int32_t> parseInt4(std::int32_t* target) { return {target}; }

} // namespace Pelk::core
