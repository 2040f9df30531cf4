// Nodes that act on what their child matched: run an action, capture the
// matched characters, or bracket a child with entry and exit actions.
#pragma once

#include "pelk/parse_position.hpp"

#include <string>

namespace Pelk::core {

// Record nodes hand their matched record to the action: one they borrow, or
// one of their Record type that the action node provides; other nodes hand
// the matched range.
template <class Node>
concept MatchesRecord = requires { typename Node::Record; };

template <class Node>
concept BorrowsRecord = requires(const Node& node) { node.matchedRecord(); };

template <class Node, class Action>
struct ActionParser {
    Node node;
    Action action;

    template <class Position>
    ParseResult<Position> parse(Position begin, Position end) const
    {
        if constexpr (BorrowsRecord<Node>) {
            ParseResult<Position> result = node.parse(begin, end);
            if (result.matched)
                action(node.matchedRecord());
            return result;
        } else if constexpr (MatchesRecord<Node>) {
            typename Node::Record record;
            ParseResult<Position> result = node.parse(begin, end, record);
            if (result.matched)
                action(record);
            return result;
        } else {
            ParseResult<Position> result = node.parse(begin, end);
            if (result.matched)
                action(begin, result.end);
            return result;
        }
    }
};

template <class Node>
struct CaptureParser {
    Node node;
    std::string* target;

    template <class Position>
    ParseResult<Position> parse(Position begin, Position end) const
    {
        ParseResult<Position> result = node.parse(begin, end);
        if (result.matched)
            copyRange(begin, result.end, *target);
        return result;
    }
};

// Runs `enter` before the child and `leave(matched)` after it, matched or
// not (not when the child throws).
template <class Node, class Enter, class Leave>
struct ScopedParser {
    Node node;
    Enter enter;
    Leave leave;

    template <class Position>
    ParseResult<Position> parse(Position begin, Position end) const
    {
        enter();
        ParseResult<Position> result = node.parse(begin, end);
        leave(result.matched);
        return result;
    }
};

template <class Node, class Action>
constexpr ActionParser<Node, Action> action(Node node, Action act)
{
    return {node, act};
}

template <class Node>
constexpr CaptureParser<Node> captureString(Node node, std::string* target)
{
    return {node, target};
}

template <class Node, class Enter, class Leave>
constexpr ScopedParser<Node, Enter, Leave> scoped(Node node, Enter enter, Leave leave)
{
    return {node, enter, leave};
}

} // namespace Pelk::core
