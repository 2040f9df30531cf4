// One matched GDSII record and the readers that decode its payload:
// big-endian integers, NUL-ended names and the 8-byte excess-64 real.
#pragma once

#include "pelk/fixed_containers.hpp"
#include "pelk/record_codes.hpp"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

namespace Pelk::core {

inline constexpr std::size_t maxPayload = 32768;

// A record assembled for writing.
struct StreamRecord {
    std::int32_t payloadLength;
    RecordCode code;
    StaticVector<std::uint8_t, maxPayload> payload;
};

// Payload bytes that lie elsewhere.
class PayloadBytes {
public:
    PayloadBytes() = default;
    PayloadBytes(const std::uint8_t* bytes, std::uint32_t count) : bytes(bytes), count(count) {}

    const std::uint8_t* data() const { return bytes; }
    std::uint32_t size() const { return count; }
    bool empty() const { return count == 0; }
    const std::uint8_t& operator[](std::size_t index) const { return bytes[index]; }

private:
    const std::uint8_t* bytes = nullptr;
    std::uint32_t count = 0;
};

// A record read from a file. Its payload is viewed in place in the input
// window when the record lies whole inside it, and copied only when it
// crosses the window's edge: either way it is valid until the file is read
// again, which is as long as the action of the node that matched it runs.
struct MatchedRecord {
    std::int32_t payloadLength;
    RecordCode code;
    PayloadBytes payload;
    StaticVector<std::uint8_t, maxPayload> copy;
};

template <std::size_t N>
struct FixedRecord {
    RecordCode code;
    Array<std::uint8_t, N> payload;
};

inline std::int16_t readInt2(const std::uint8_t* bytes)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]));
}

inline std::uint16_t readUint2(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>((bytes[0] << 8) | bytes[1]);
}

inline std::int32_t readInt4(const std::uint8_t* bytes)
{
    return static_cast<std::int32_t>((std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16)
                                     | (std::uint32_t{bytes[2]} << 8) | std::uint32_t{bytes[3]});
}

// The writing side of readInt2 and readInt4: big-endian, two's complement.
inline void storeInt2(std::uint8_t* to, std::int16_t value)
{
    auto u = static_cast<std::uint16_t>(value);
    to[0] = static_cast<std::uint8_t>(u >> 8);
    to[1] = static_cast<std::uint8_t>(u);
}

inline void storeInt4(std::uint8_t* to, std::int32_t value)
{
    auto u = static_cast<std::uint32_t>(value);
    to[0] = static_cast<std::uint8_t>(u >> 24);
    to[1] = static_cast<std::uint8_t>(u >> 16);
    to[2] = static_cast<std::uint8_t>(u >> 8);
    to[3] = static_cast<std::uint8_t>(u);
}

inline std::int32_t readInt4(const MatchedRecord& record, std::uint32_t index)
{
    if (std::uint64_t{index} + 3 >= record.payload.size())
        throw "Array::at";
    return readInt4(record.payload.data() + index);
}

// The payload from `start` up to the first NUL, the end of the payload or
// `limit`, whichever comes first.
std::string payloadString(std::uint32_t limit, std::uint32_t start, const MatchedRecord& record);

// value = sign * mantissa / 2^56 * 16^(exponent - 64); one rounding to double.
inline double decodeReal8(const std::uint8_t* bytes)
{
    std::uint64_t mantissa = 0;
    for (int i = 1; i < 8; ++i)
        mantissa = (mantissa << 8) | bytes[i];
    int exponent = bytes[0] & 0x7F;
    double value = std::ldexp(static_cast<double>(mantissa), 4 * exponent - 312);
    return (bytes[0] & 0x80) ? -value : value;
}

inline double decodeReal8At(std::uint32_t index, const Array<std::uint8_t, 16>& payload)
{
    if (index > 8)
        throw "Array::at";
    return decodeReal8(payload.data() + index);
}

} // namespace Pelk::core
