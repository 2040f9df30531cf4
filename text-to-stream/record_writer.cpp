#include "record_writer.hpp"

#include <cmath>

namespace Pelk::calvio {

RecordOutput* currentOutput = nullptr;

namespace {

template <std::size_t N>
void writeFixedRecord(const core::FixedRecord<N>& record)
{
    std::uint8_t bytes[N + 4] = {0x00, static_cast<std::uint8_t>(N + 4), core::recordType(record.code),
                                 core::dataType(record.code)};
    std::memcpy(bytes + 4, record.payload.data(), N);
    currentOutput->write(bytes, N + 4);
}

} // namespace

void writeRecordBytes(core::RecordCode code, const std::uint8_t* payload, std::size_t count)
{
    std::size_t length = count + 4;
    std::uint8_t header[4] = {static_cast<std::uint8_t>(length >> 8), static_cast<std::uint8_t>(length),
                              core::recordType(code), core::dataType(code)};
    currentOutput->write(header, 4);
    currentOutput->write(payload, count);
}

void writeRecord(core::StreamRecord& record)
{
    if (record.payload.size() % 2 != 0)
        record.payload.push_back(0);
    writeRecordBytes(record.code, record.payload.data(), record.payload.size());
}

void pushInt2(core::StreamRecord& record, std::int16_t value)
{
    auto u = static_cast<std::uint16_t>(value);
    record.payload.push_back(static_cast<std::uint8_t>(u >> 8));
    record.payload.push_back(static_cast<std::uint8_t>(u));
}

void pushInt4(core::StreamRecord& record, std::int32_t value)
{
    auto u = static_cast<std::uint32_t>(value);
    for (int shift = 24; shift >= 0; shift -= 8)
        record.payload.push_back(static_cast<std::uint8_t>(u >> shift));
}

void pushString(core::StreamRecord& record, std::string_view text)
{
    for (char c : text)
        record.payload.push_back(static_cast<std::uint8_t>(c));
    if (text.size() % 2 != 0)
        record.payload.push_back(0);
}

void pushReal8(core::StreamRecord& record, double value)
{
    if (value == 0) {
        pushInt4(record, 0x40000000);
        pushInt4(record, 0);
        return;
    }
    if (!std::isfinite(value))
        throw "8-byte real out of range";
    std::uint8_t sign = 0;
    double x = value;
    if (x < 0) {
        sign = 0x80;
        x = -x;
    }
    // The logarithm only estimates the exponent; it is checked against the
    // range first (so that 16^|e| stays finite) and then corrected until
    // 1/16 <= m < 1 holds exactly.
    auto e = static_cast<std::int32_t>(std::floor(std::log(x) / std::log(16.0) + 1.0));
    if (e < -80)
        e = -80;
    if (e > 80)
        throw "8-byte real out of range";
    double base = 16.0;
    double w = 1.0;
    for (std::uint32_t n = static_cast<std::uint32_t>(e < 0 ? -e : e); n != 0; n >>= 1) {
        if (n & 1)
            w *= base;
        base *= base;
    }
    double m = e < 0 ? x * w : x / w;
    while (m >= 1.0) {
        m /= 16.0;
        ++e;
    }
    while (m < 1.0 / 16.0) {
        m *= 16.0;
        --e;
    }
    if (e + 64 < 0) {
        pushReal8(record, 0.0);
        return;
    }
    if (e + 64 > 127)
        throw "8-byte real out of range";
    record.payload.push_back(static_cast<std::uint8_t>((e + 64) | sign));
    for (int i = 0; i < 7; ++i) {
        m *= 256.0;
        double t = std::trunc(m);
        record.payload.push_back(static_cast<std::uint8_t>(t));
        m -= t;
    }
}

void writeInt2Record(const core::FixedRecord<2>& record) { writeFixedRecord(record); }
void writeInt4Record(const core::FixedRecord<4>& record) { writeFixedRecord(record); }
void writeFixed24Record(const core::FixedRecord<24>& record) { writeFixedRecord(record); }

core::FixedRecord<2> int2Record(core::RecordCode code, std::int16_t value)
{
    auto u = static_cast<std::uint16_t>(value);
    return {code, {{static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u)}}};
}

core::FixedRecord<4> int4Record(core::RecordCode code, std::int32_t value)
{
    auto u = static_cast<std::uint32_t>(value);
    return {code,
            {{static_cast<std::uint8_t>(u >> 24), static_cast<std::uint8_t>(u >> 16),
              static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u)}}};
}

} // namespace Pelk::calvio
