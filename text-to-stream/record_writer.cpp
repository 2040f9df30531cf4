#include "record_writer.hpp"

#include <cmath>

namespace Pelk::calvio {

namespace {

// The length word and code of a record of `count` payload bytes. The word
// is unsigned: a full payload's 32772 wraps in the int16_t it is stored as.
void storeHeader(std::uint8_t* header, core::RecordCode code, std::size_t count)
{
    core::storeInt2(header, static_cast<std::int16_t>(count + 4));
    header[2] = core::recordType(code);
    header[3] = core::dataType(code);
}

// Records this short are built in the output's own buffer, which any
// output has room for.
constexpr std::size_t inPlaceLimit = 28;

std::uint8_t* reserveBytes(RecordOutput& output, std::size_t n)
{
    return reinterpret_cast<std::uint8_t*>(output.reserve(n));
}

template <std::size_t N>
void writeFixedRecord(RecordOutput& output, const core::FixedRecord<N>& record)
{
    static_assert(N + 4 <= inPlaceLimit);
    std::uint8_t* bytes = reserveBytes(output, N + 4);
    storeHeader(bytes, record.code, N);
    std::memcpy(bytes + 4, record.payload.data(), N);
    output.commit(N + 4);
}

// Room for `n` more payload bytes; past a record's capacity it throws as
// push_back does.
std::uint8_t* growPayload(core::StreamRecord& record, std::size_t n)
{
    std::size_t size = record.payload.size();
    record.payload.resize(size + n);
    return record.payload.data() + size;
}

} // namespace

void writeRecordBytes(RecordOutput& output, core::RecordCode code, const std::uint8_t* payload, std::size_t count)
{
    if (count + 4 <= inPlaceLimit) {
        std::uint8_t* bytes = reserveBytes(output, count + 4);
        storeHeader(bytes, code, count);
        // memcpy must not see the null payload of an empty record.
        if (count > 0)
            std::memcpy(bytes + 4, payload, count);
        output.commit(count + 4);
        return;
    }
    std::uint8_t header[4];
    storeHeader(header, code, count);
    output.write(header, 4);
    output.write(payload, count);
}

void writeRecord(RecordOutput& output, core::StreamRecord& record)
{
    if (record.payload.size() % 2 != 0)
        record.payload.push_back(0);
    writeRecordBytes(output, record.code, record.payload.data(), record.payload.size());
}

void pushInt2(core::StreamRecord& record, std::int16_t value) { core::storeInt2(growPayload(record, 2), value); }

void pushInt4(core::StreamRecord& record, std::int32_t value) { core::storeInt4(growPayload(record, 4), value); }

void pushString(core::StreamRecord& record, std::string_view text)
{
    if (!text.empty())
        std::memcpy(growPayload(record, text.size()), text.data(), text.size());
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

void writeInt2Record(RecordOutput& output, const core::FixedRecord<2>& record) { writeFixedRecord(output, record); }
void writeInt4Record(RecordOutput& output, const core::FixedRecord<4>& record) { writeFixedRecord(output, record); }
void writeFixed24Record(RecordOutput& output, const core::FixedRecord<24>& record)
{
    writeFixedRecord(output, record);
}

core::FixedRecord<2> int2Record(core::RecordCode code, std::int16_t value)
{
    core::FixedRecord<2> record{code, {}};
    core::storeInt2(record.payload.data(), value);
    return record;
}

core::FixedRecord<4> int4Record(core::RecordCode code, std::int32_t value)
{
    core::FixedRecord<4> record{code, {}};
    core::storeInt4(record.payload.data(), value);
    return record;
}

} // namespace Pelk::calvio
