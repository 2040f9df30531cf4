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

// The bytes the current window holds from a cursor on; `toEnd` when they
// reach the end of the parse, so that running out of them decides nothing
// otherwise.
struct WindowBytes {
    const std::uint8_t* first;
    const std::uint8_t* last;
    bool toEnd;

    bool ranOut(const std::uint8_t* p) const { return p == last && !toEnd; }
};

inline bool windowBytes(const StreamCursor& begin, const StreamCursor& end, WindowBytes& bytes)
{
    if (begin.offset >= end.offset)
        return false;
    auto span = begin.file->bytesFrom(begin.offset);
    std::int64_t available = end.offset - begin.offset;
    bytes.toEnd = static_cast<std::int64_t>(span.size()) >= available;
    bytes.first = span.data();
    bytes.last = bytes.first + (bytes.toEnd ? available : static_cast<std::int64_t>(span.size()));
    return true;
}

enum class ScanOutcome { matched, failed, undecided };

// How an integer scan ends once its digits [digits, q) are read: undecided
// when the window ran out, failed without digits, else the value under its
// sign, wrapping in the width of Int, with `p` moved past the digits.
template <class Int, class Unsigned>
ScanOutcome endIntScan(const std::uint8_t*& p, const std::uint8_t* digits, const std::uint8_t* q, bool minus,
                       Unsigned accumulated, const WindowBytes& bytes, Int& value)
{
    if (bytes.ranOut(q))
        return ScanOutcome::undecided;
    if (q == digits) {
        value = 0;
        return ScanOutcome::failed;
    }
    value = static_cast<Int>(minus ? static_cast<Unsigned>(Unsigned{0} - accumulated) : accumulated);
    p = q;
    return ScanOutcome::matched;
}

// The integer steps of IntParser over window bytes from `p`; on a match `p`
// moves past the digits. Undecided when the window ends too soon to tell.
template <class Int>
ScanOutcome scanInt(const std::uint8_t*& p, const WindowBytes& bytes, Int& value)
{
    using Unsigned = std::make_unsigned_t<Int>;
    auto sign = [&bytes](const std::uint8_t* from, char c, bool& present) {
        const std::uint8_t* q = from;
        while (q != bytes.last && isBlank(*q))
            ++q;
        present = q != bytes.last && *q == static_cast<std::uint8_t>(c);
        return q;
    };
    bool minus = false;
    const std::uint8_t* q = sign(p, '-', minus);
    if (bytes.ranOut(q))
        return ScanOutcome::undecided;
    bool plus = false;
    const std::uint8_t* afterMinus = minus ? q + 1 : p;
    q = sign(afterMinus, '+', plus);
    if (bytes.ranOut(q))
        return ScanOutcome::undecided;
    const std::uint8_t* digits = plus ? q + 1 : afterMinus;
    Unsigned accumulated = 0;
    for (q = digits; q != bytes.last && isDigit(*q); ++q)
        accumulated = static_cast<Unsigned>(accumulated * 10u + (*q - '0'));
    return endIntScan(p, digits, q, minus, accumulated, bytes, value);
}

template <class Int>
struct IntParser {
    static_assert(std::is_integral_v<Int> && std::is_signed_v<Int>);
    Int* target;

    template <class Position>
    ParseResult<Position> parse(Position begin, Position end) const
    {
        if constexpr (std::is_same_v<Position, StreamCursor>) {
            WindowBytes bytes;
            if (windowBytes(begin, end, bytes)) {
                const std::uint8_t* p = bytes.first;
                ScanOutcome outcome = scanInt(p, bytes, *target);
                if (outcome != ScanOutcome::undecided)
                    return {outcome == ScanOutcome::matched, advance(begin, p - bytes.first)};
            }
        }
        using Unsigned = std::make_unsigned_t<Int>;
        SignStep<Position> minus = matchSignAfterBlanks(begin, end, '-');
        ParseResult<Position> digits = DigitStepParser<Int>{target}.parse(minus.end, end);
        if (minus.present)
            *target = static_cast<Int>(static_cast<Unsigned>(Unsigned{0} - static_cast<Unsigned>(*target)));
        return {digits.matched, digits.matched ? digits.end : begin};
    }
};

constexpr IntParser<std::int16_t> parseInt2(std::int16_t* target) { return {target}; }
constexpr IntParser<std::int32_t> parseInt4(std::int32_t* target) { return {target}; }

} // namespace Pelk::core
