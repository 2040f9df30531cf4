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
#include <bit>
#include <cstring>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace Pelk::calvio {

using core::StreamCursor;
using TextResult = core::ParseResult<StreamCursor>;

// Matched text kept up to one byte more than any record payload holds: a
// longer text cannot be written anyway, and memory stays bounded.
struct BoundedText {
    static constexpr std::size_t limit = core::maxPayload + 1;
    std::string text;
    bool complete = true;
    // The matched length, also of the part not kept.
    std::int64_t length = 0;
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
        target->length = length;
        return result;
    }
};

template <class Node>
constexpr BoundedCaptureParser<Node> captureText(Node node, BoundedText* target)
{
    return {node, target};
}

// ---- Tokens read from the window ------------------------------------------
//
// Most of a text is keywords and numbers, each after a few blanks. A token
// node skips the blanks and reads what follows straight from the input
// window when the window holds all of it, and through the cursor nodes
// otherwise; both ways give the same result and the same end.

using core::ScanOutcome;
using core::WindowBytes;

// Moves `p` past blanks; false when the window ends before a non-blank and
// the parse does not end there.
inline bool skipWindowBlanks(const std::uint8_t*& p, const WindowBytes& bytes)
{
    while (p != bytes.last && core::isBlankByte(*p))
        ++p;
    return !bytes.ranOut(p);
}

// Eight text bytes less '0' each, first byte lowest: how many of them from
// the first on are digits.
inline int countDigitBytes(std::uint64_t lessZeros)
{
    // A byte is not a digit when taking '0' wrapped it or it is 10 or more.
    std::uint64_t stops = (lessZeros | (lessZeros + 0x7676767676767676)) & 0x8080808080808080;
    return stops == 0 ? 8 : std::countr_zero(stops) / 8;
}

// The number that eight digit values, first byte lowest, write in decimal.
inline std::uint64_t eightDigitsValue(std::uint64_t digits)
{
    digits = (digits * 2561) >> 8;
    digits = ((digits & 0x00FF00FF00FF00FF) * 6553601) >> 16;
    return ((digits & 0x0000FFFF0000FFFF) * 42949672960001) >> 32;
}

// Accumulates the digits from `q` into `value`, wrapping in Unsigned, and
// returns the first byte that is not one. Eight bytes at a time where the
// window holds them: the length of a number is hard to predict, a branch
// per digit costs more than the arithmetic.
template <class Unsigned>
inline const std::uint8_t* scanWindowDigits(const std::uint8_t* q, const std::uint8_t* last, Unsigned& value)
{
    if constexpr (std::endian::native == std::endian::little) {
        if (last - q >= 8) {
            std::uint64_t chunk;
            std::memcpy(&chunk, q, 8);
            chunk -= 0x3030303030303030;
            int n = countDigitBytes(chunk);
            if (n == 0)
                return q;
            value = static_cast<Unsigned>(eightDigitsValue(chunk << (64 - 8 * n)));
            if (n < 8)
                return q + n;
            q += 8;
        }
    }
    for (; q != last && core::isDigit(*q); ++q)
        value = static_cast<Unsigned>(value * 10u + (*q - '0'));
    return q;
}

// An integer as core::IntParser reads it, as core::scanInt does over the
// window, with a shorter way for the common forms.
template <class Int>
inline ScanOutcome scanWindowInt(const std::uint8_t*& p, const WindowBytes& bytes, Int& value)
{
    using Unsigned = std::make_unsigned_t<Int>;
    // The forms the text writer puts, digits or '-' and digits, are read
    // here; blanks and '+' before the digits take the longer way.
    const std::uint8_t* digits = p;
    bool minus = false;
    if (p != bytes.last && !core::isDigit(*p)) {
        if (*p != '-' || p + 1 == bytes.last || !core::isDigit(p[1]))
            return core::scanInt(p, bytes, value);
        minus = true;
        ++digits;
    }
    Unsigned accumulated = 0;
    const std::uint8_t* q = scanWindowDigits(digits, bytes.last, accumulated);
    return core::endIntScan(p, digits, q, minus, accumulated, bytes, value);
}

// The window form of core::LiteralParser.
struct LiteralScan {
    const char* text;
    std::size_t length;

    ScanOutcome scan(const std::uint8_t*& p, const WindowBytes& bytes) const
    {
        // Keywords are short and most tries fail at the first character: a
        // plain loop beats a call to memcmp.
        auto available = static_cast<std::size_t>(bytes.last - p);
        std::size_t n = available < length ? available : length;
        for (std::size_t i = 0; i < n; ++i)
            if (p[i] != static_cast<std::uint8_t>(text[i]))
                return ScanOutcome::failed;
        if (n < length)
            return bytes.toEnd ? ScanOutcome::failed : ScanOutcome::undecided;
        p += length;
        return ScanOutcome::matched;
    }
    core::LiteralParser cursorNode() const { return core::matchLiteral(text); }
};

// The window form of core::CharParser.
struct CharScan {
    char character;

    ScanOutcome scan(const std::uint8_t*& p, const WindowBytes& bytes) const
    {
        if (p == bytes.last)
            return bytes.toEnd ? ScanOutcome::failed : ScanOutcome::undecided;
        if (*p != static_cast<std::uint8_t>(character))
            return ScanOutcome::failed;
        ++p;
        return ScanOutcome::matched;
    }
    core::CharParser cursorNode() const { return core::matchChar(character); }
};

// The window form of core::IntParser.
template <class Int>
struct IntScan {
    Int* target;

    ScanOutcome scan(const std::uint8_t*& p, const WindowBytes& bytes) const
    {
        return scanWindowInt(p, bytes, *target);
    }
    core::IntParser<Int> cursorNode() const { return {target}; }
};

// sequence(skipBlanks(), what the scan reads), with one look at the window.
template <class Scan>
struct BlankedTokenParser {
    Scan token;

    TextResult parse(StreamCursor begin, StreamCursor end) const
    {
        WindowBytes bytes;
        if (core::windowBytes(begin, end, bytes)) {
            const std::uint8_t* p = bytes.first;
            if (skipWindowBlanks(p, bytes)) {
                const std::uint8_t* q = p;
                ScanOutcome outcome = token.scan(q, bytes);
                if (outcome == ScanOutcome::matched)
                    return {true, core::advance(begin, q - bytes.first)};
                if (outcome == ScanOutcome::failed)
                    return {false, core::advance(begin, p - bytes.first)};
            }
        }
        return core::sequence(core::skipBlanks(), token.cursorNode()).parse(begin, end);
    }
};

constexpr BlankedTokenParser<LiteralScan> matchKeyword(const char* keyword)
{
    return {{keyword, std::char_traits<char>::length(keyword)}};
}
constexpr BlankedTokenParser<CharScan> matchBlankedChar(char c) { return {{c}}; }
constexpr BlankedTokenParser<IntScan<std::int16_t>> parseBlankedInt2(std::int16_t* target) { return {{target}}; }
constexpr BlankedTokenParser<IntScan<std::int32_t>> parseBlankedInt4(std::int32_t* target) { return {{target}}; }

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
    return core::sequence(matchKeyword(keyword), matchBlankedChar(c), core::skipBlanks());
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
    return core::sequence(matchKeyword(keyword), parseBlankedInt2(target));
}

template <class Number>
constexpr auto matchAssign(const char* keyword, Number number)
{
    return core::sequence(matchKeyword(keyword), matchBlankedChar('='), number);
}

constexpr auto matchAssignInt2(const char* keyword, std::int16_t* target)
{
    return matchAssign(keyword, parseBlankedInt2(target));
}
constexpr auto matchAssignInt4(const char* keyword, std::int32_t* target)
{
    return matchAssign(keyword, parseBlankedInt4(target));
}
constexpr auto matchAssignReal(const char* keyword, double* target)
{
    return matchAssign(keyword, core::sequence(core::skipBlanks(), parseReal(target)));
}

// A positional number: the space character itself, then blanks, then INT2.
constexpr auto matchSpacedInt2(std::int16_t* target)
{
    return core::sequence(core::matchChar(' '), parseBlankedInt2(target));
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
