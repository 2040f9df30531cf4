// Fast decimal printing of 32-bit integers, the bulk of the text form: digits
// are produced in pairs, in two independent halves for long numbers.
#pragma once

#include <cstdint>
#include <cstring>

namespace Pelk::brenmo {

namespace detail {

inline constexpr char digitPairs[] = "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
                                     "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
                                     "8081828384858687888990919293949596979899";

inline void writePair(char* p, std::uint32_t v) { std::memcpy(p, digitPairs + 2 * v, 2); }

inline void writeFour(char* p, std::uint32_t v)
{
    writePair(p, v / 100);
    writePair(p + 2, v % 100);
}

// 0 <= v < 10000, no leading zeros.
inline char* writeUpToFour(char* p, std::uint32_t v)
{
    if (v < 100) {
        if (v < 10) {
            *p = static_cast<char>('0' + v);
            return p + 1;
        }
        writePair(p, v);
        return p + 2;
    }
    if (v < 1000) {
        *p = static_cast<char>('0' + v / 100);
        writePair(p + 1, v % 100);
        return p + 3;
    }
    writeFour(p, v);
    return p + 4;
}

} // namespace detail

// Writes at most 10 characters. Always inlined: a call per number costs
// about as much as the number's digits.
[[gnu::always_inline]] inline char* writeUnsigned(char* p, std::uint32_t v)
{
    using namespace detail;
    if (v < 10000)
        return writeUpToFour(p, v);
    if (v < 100000000) {
        p = writeUpToFour(p, v / 10000);
        writeFour(p, v % 10000);
        return p + 4;
    }
    std::uint32_t rest = v % 100000000;
    p = writeUpToFour(p, v / 100000000);
    writeFour(p, rest / 10000);
    writeFour(p + 4, rest % 10000);
    return p + 8;
}

// Writes at most 11 characters.
[[gnu::always_inline]] inline char* writeSigned(char* p, std::int32_t v)
{
    std::uint32_t magnitude = static_cast<std::uint32_t>(v);
    if (v < 0) {
        *p++ = '-';
        magnitude = 0u - magnitude;
    }
    return writeUnsigned(p, magnitude);
}

} // namespace Pelk::brenmo
