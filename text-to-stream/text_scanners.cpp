#include "text_scanners.hpp"

#include <charconv>
#include <cstdio>
#include <limits>
#include <system_error>

namespace Pelk::calvio {

namespace {

// The significant digits of a decimal and its power of ten, kept short
// enough to convert while every digit that can matter is kept.
class DecimalDigits {
public:
    void push(char digit)
    {
        if (count == 0 && digit == '0')
            return;
        if (count < capacity)
            digits[count++] = digit;
        else
            ++exponent;
    }
    void pushZeros(std::int64_t n)
    {
        for (; n > 0 && count > 0 && count < capacity; --n)
            digits[count++] = '0';
        if (count > 0)
            exponent += n;
    }
    void scale(std::int64_t powerOfTen) { exponent += powerOfTen; }

    double value() const
    {
        if (count == 0)
            return 0.0;
        char text[capacity + 32];
        std::copy(digits, digits + count, text);
        int n = std::snprintf(text + count, 32, "e%lld", static_cast<long long>(exponent));
        double v = 0.0;
        auto [ptr, ec] = std::from_chars(text, text + count + n, v);
        if (ec == std::errc::result_out_of_range)
            return static_cast<std::int64_t>(count) + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        return v;
    }

private:
    static constexpr std::size_t capacity = 800;
    char digits[capacity];
    std::size_t count = 0;
    std::int64_t exponent = 0;
};

} // namespace

TextResult RealParser::parse(StreamCursor begin, StreamCursor end) const
{
    bool negative = core::matchSignAfterBlanks(begin, end, '-').present;
    std::int32_t integer = 0;
    TextResult integerPart = core::parseInt4(&integer).parse(begin, end);
    if (!integerPart.matched)
        return {false, begin};

    DecimalDigits decimal;
    // The magnitude of the wrapped integer part, taken in 64 bits so that
    // -2147483648 has one.
    std::int64_t magnitude = integer < 0 ? -std::int64_t{integer} : std::int64_t{integer};
    char integerDigits[24];
    auto written = std::to_chars(integerDigits, integerDigits + sizeof integerDigits, magnitude);
    for (const char* d = integerDigits; d != written.ptr; ++d)
        decimal.push(*d);

    StreamCursor p = integerPart.end;
    if (!(p == end) && core::charAt(p) == '.') {
        StreamCursor afterPoint = core::advance(p);
        StreamCursor q = core::matchSignAfterBlanks(afterPoint, end, '+').end;
        // Characters the digit step takes before its digits count as
        // fraction places, as the fraction length is what the step consumed.
        std::int64_t leading = q.offset - afterPoint.offset;
        StreamCursor firstDigit = q;
        while (!(q == end) && core::isDigit(core::charAt(q)))
            q = core::advance(q);
        if (!(q == firstDigit)) {
            decimal.pushZeros(leading);
            for (StreamCursor d = firstDigit; !(d == q); d = core::advance(d))
                decimal.push(static_cast<char>(core::charAt(d)));
            decimal.scale(-(q.offset - afterPoint.offset));
            p = q;
        }
    }
    if (!(p == end) && (core::charAt(p) == 'e' || core::charAt(p) == 'E')) {
        std::int32_t exponent = 0;
        TextResult exponentPart = core::parseInt4(&exponent).parse(core::advance(p), end);
        if (exponentPart.matched) {
            decimal.scale(exponent);
            p = exponentPart.end;
        }
    }
    double v = decimal.value();
    *target = negative ? -v : v;
    return {true, p};
}

} // namespace Pelk::calvio
