// Sequence and ordered choice: the two ways nodes are put side by side.
#pragma once

#include "pelk/parse_position.hpp"

#include <utility>

namespace Pelk::core {

template <class Left, class Right>
struct SequenceParser {
    Left left;
    Right right;

    template <class Position>
    ParseResult<Position> parse(Position begin, Position end) const
    {
        ParseResult<Position> first = left.parse(begin, end);
        if (!first.matched)
            return first;
        return right.parse(first.end, end);
    }
};

template <class First, class Second>
struct AlternativeParser {
    First first;
    Second second;

    template <class Position>
    ParseResult<Position> parse(Position begin, Position end) const
    {
        ParseResult<Position> result = first.parse(begin, end);
        if (result.matched)
            return result;
        return second.parse(begin, end);
    }
};

// A B C D becomes ((A B) C) D.
template <class A>
constexpr A sequence(A a)
{
    return a;
}
template <class A, class B, class... Rest>
constexpr auto sequence(A a, B b, Rest... rest)
{
    return sequence(SequenceParser<A, B>{std::move(a), std::move(b)}, std::move(rest)...);
}

// Earlier alternatives win; nested to the left like sequences.
template <class A>
constexpr A alternative(A a)
{
    return a;
}
template <class A, class B, class... Rest>
constexpr auto alternative(A a, B b, Rest... rest)
{
    return alternative(AlternativeParser<A, B>{std::move(a), std::move(b)}, std::move(rest)...);
}

} // namespace Pelk::core
