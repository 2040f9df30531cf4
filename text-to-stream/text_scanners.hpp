// The scanners calvio's text grammar is built from: keywords, words with a
// bounded capture, decimal reals, keyword assignments and date stamps.
#pragma once

#include "pelk/action_nodes.hpp"
#include "pelk/fixed_containers.hpp"
#include "pelk/keyword_table.hpp"
#include "pelk/number_nodes.hpp"
#include "pelk/repeat_nodes.hpp"
#include "pelk/sequence_nodes.hpp"
#include "pelk/stream_record.hpp"
#include "pelk/text_nodes.hpp"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace Pelk::calvio {

using core::StreamCursor;
using TextResult = core::ParseResult<StreamCursor>;

// Matched text kept up to one byte more than any record payload holds: a
// longer text cannot be written anyway, and memory stays bounded.
struct BoundedText {
    static constexpr std::size_t limit = core::maxPayload + 1;
    std::string text;
    bool complete = true;
};

template <class Node>
struct BoundedCaptureParser {
    Node node;
    BoundedText* target;

    TextResult parse(StreamCursor begin, StreamCursor end) const
    {
        TextResult result = node.parse(begin, end);
        if (!result.matched)
            return result;
        std::int64_t length = result.end.offset - begin.offset;
        std::int64_t kept = length < static_cast<std::int64_t>(BoundedText::limit)
                                ? length
                                : static_cast<std::int64_t>(BoundedText::limit);
        core::copyRange(begin, core::advance(begin, kept), target->text);
        target->complete = kept == length;
        return result;
    }
};

template <class Node>
constexpr BoundedCaptureParser<Node> captureText(Node node, BoundedText* target)
{
    return {node, target};
}

constexpr auto matchKeyword(const char* keyword) { return core::sequence(core::skipBlanks(), core::matchLiteral(keyword)); }

// The word the text writer puts for a record, without the layout and the
// punctuation around it in the keyword table ("\n   BOUNDARY" gives
// "BOUNDARY", " PT=" gives "PT"), so that both directions use one spelling.
constexpr std::string_view keywordWord(core::RecordCode code)
{
    std::string_view text = core::keywordText(code);
    std::size_t first = text.find_first_not_of(" \t\n");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_first_of(" \t\n=[\"", first) - first);
}

// keywordWord as the NUL-ended literal the matching nodes take, built at
// compile time.
template <core::RecordCode code>
inline constexpr auto recordKeywordChars = [] {
    constexpr std::string_view word = keywordWord(code);
    static_assert(!word.empty(), "the record has no keyword of its own");
    std::array<char, word.size() + 1> chars{};
    word.copy(chars.data(), word.size());
    return chars;
}();

template <core::RecordCode code>
inline constexpr const char* recordKeyword = recordKeywordChars<code>.data();

constexpr auto captureWord(BoundedText* target) { return captureText(core::matchWord(), target); }

constexpr auto matchBlankedWord(BoundedText* target) { return core::sequence(core::skipBlanks(), captureWord(target)); }

constexpr auto matchKeywordChar(const char* keyword, char c)
{
    return core::sequence(matchKeyword(keyword), core::skipBlanks(), core::matchChar(c), core::skipBlanks());
}

// A decimal real: [sign] digits ['.' digits] [('e' | 'E') integer]. The
// integer part and the exponent wrap as 32-bit integers; the value is the
// nearest double to the decimal they and the fraction digits make.
struct RealParser {
    double* target;

    TextResult parse(StreamCursor begin, StreamCursor end) const;
};

constexpr RealParser parseReal(double* target) { return {target}; }

constexpr auto matchKeywordInt2(const char* keyword, std::int16_t* target)
{
    return core::sequence(matchKeyword(keyword), core::skipBlanks(), core::parseInt2(target));
}

template <class Number>
constexpr auto matchAssign(const char* keyword, Number number)
{
    return core::sequence(matchKeyword(keyword), core::skipBlanks(), core::matchLiteral("="), core::skipBlanks(),
                          number);
}

constexpr auto matchAssignInt2(const char* keyword, std::int16_t* target)
{
    return matchAssign(keyword, core::parseInt2(target));
}
constexpr auto matchAssignInt4(const char* keyword, std::int32_t* target)
{
    return matchAssign(keyword, core::parseInt4(target));
}
constexpr auto matchAssignReal(const char* keyword, double* target) { return matchAssign(keyword, parseReal(target)); }

// A positional number: the space character itself, then blanks, then INT2.
constexpr auto matchSpacedInt2(std::int16_t* target)
{
    return core::sequence(core::matchChar(' '), core::skipBlanks(), core::parseInt2(target));
}

using DateStamps = core::Array<std::int16_t, 12>;

// keyword '[' y/m/d h:[0]m:[0]s ',' y/m/d h:[0]m:[0]s ']'
constexpr auto matchDateStamp(DateStamps* s, int first)
{
    using namespace core;
    auto n = [s, first](int i) { return parseInt2(&s->elements[first + i]); };
    auto zero = optional(matchChar('0'));
    return sequence(n(0), matchChar('/'), n(1), matchChar('/'), n(2), skipBlanks(), n(3), matchChar(':'), zero, n(4),
                    matchChar(':'), zero, n(5));
}

constexpr auto matchDateStamps(const char* keyword, DateStamps* s)
{
    using namespace core;
    return sequence(matchKeyword(keyword), skipBlanks(), matchChar('['), skipBlanks(), matchDateStamp(s, 0),
                    skipBlanks(), matchChar(','), skipBlanks(), matchDateStamp(s, 6), skipBlanks(), matchChar(']'));
}

} // namespace Pelk::calvio
