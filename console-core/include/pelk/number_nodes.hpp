// Decimal integers of the text form: [blanks '-'] [blanks '+'] digits,
// accumulated with wrap-around in the width of their target.
#pragma once

#include "pelk/cursor_scan.hpp"
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
    Position p = scanWhile(begin, end, [](std::uint8_t c) { return isBlank(c); });
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
        p = scanWhile(p, end, [&value](std::uint8_t c) {
            if (!isDigit(c))
                return false;
            value = static_cast<Unsigned>(value * 10u + (c - '0'));
            return true;
        });
        if (p == first)
            return {false, begin};
        *target = static_cast<Int>(value);
        return {true, p};
    }
};

template <class Int>
struct IntParser {
    static_assert(std::is_integral_v<Int> && std::is_signed_v<Int>);
    using Unsigned = std::make_unsigned_t<Int>;
    Int* target;

    template <class Position>
    ParseResult<Position> parse(Position begin, Position end) const
    {
        if constexpr (std::is_same_v<Position, StreamCursor>) {
            ParseResult<Position> result;
            if (parseInWindow(begin, end, result))
                return result;
        }
        SignStep<Position> minus = matchSignAfterBlanks(begin, end, '-');
        ParseResult<Position> digits = DigitStepParser<Int>{target}.parse(minus.end, end);
        if (minus.present)
            *target = negate(*target);
        return {digits.matched, digits.matched ? digits.end : begin};
    }

private:
    static Int negate(Int value) { return static_cast<Int>(static_cast<Unsigned>(Unsigned{0} - static_cast<Unsigned>(value))); }

    // The same steps over the bytes of the current window. Returns false,
    // having changed nothing, when the number may run on past the window.
    bool parseInWindow(const StreamCursor& begin, const StreamCursor& end, ParseResult<StreamCursor>& result) const
    {
        if (begin.offset >= end.offset)
            return false;
        auto bytes = begin.file->bytesFrom(begin.offset);
        std::int64_t available = end.offset - begin.offset;
        bool toEnd = static_cast<std::int64_t>(bytes.size()) >= available;
        const std::uint8_t* first = bytes.data();
        const std::uint8_t* last = first + (toEnd ? available : static_cast<std::int64_t>(bytes.size()));
        bool undecided = false;
        auto sign = [&](const std::uint8_t* p, char c, bool& present) -> const std::uint8_t* {
            const std::uint8_t* q = p;
            while (q != last && isBlank(*q))
                ++q;
            undecided |= q == last && !toEnd;
            present = q != last && *q == static_cast<std::uint8_t>(c);
            return present ? q + 1 : p;
        };
        bool minus = false;
        bool plus = false;
        const std::uint8_t* digits = sign(sign(first, '-', minus), '+', plus);
        if (undecided)
            return false;
        const std::uint8_t* p = digits;
        Unsigned value = 0;
        while (p != last && isDigit(*p)) {
            value = static_cast<Unsigned>(value * 10u + (*p - '0'));
            ++p;
        }
        if (p == last && !toEnd)
            return false;
        if (p == digits) {
            *target = 0;
            result = {false, begin};
            return true;
        }
        *target = minus ? negate(static_cast<Int>(value)) : static_cast<Int>(value);
        result = {true, advance(begin, p - first)};
        return true;
    }
};

constexpr IntParser<std::int16_t> parseInt2(std::int16_t* target) { return {target}; }
constexpr IntParser<std::int32_t> parseInt4(std::int32_t* target) { return {target}; }

} // namespace Pelk::core
