// calvio's writing side of the record layer: records are assembled with the
// push operations and reach the given output in one piece each.
#pragma once

#include "pelk/output_buffer.hpp"
#include "pelk/stream_record.hpp"

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string_view>

namespace Pelk::calvio {

using RecordOutput = core::OutputBuffer;

void writeRecord(RecordOutput& output, core::StreamRecord& record);
void pushInt2(core::StreamRecord& record, std::int16_t value);
void pushInt4(core::StreamRecord& record, std::int32_t value);
void pushString(core::StreamRecord& record, std::string_view text);

// Appends the excess-64 base-16 form of `value`. Magnitudes below the
// smallest 8-byte real are written as zero; infinities, NaN and magnitudes
// above the largest are thrown as "8-byte real out of range".
void pushReal8(core::StreamRecord& record, double value);

// A record of code and payload, with the length the payload gives.
void writeRecordBytes(RecordOutput& output, core::RecordCode code, const std::uint8_t* payload, std::size_t count);

void writeInt2Record(RecordOutput& output, const core::FixedRecord<2>& record);
void writeInt4Record(RecordOutput& output, const core::FixedRecord<4>& record);
void writeFixed24Record(RecordOutput& output, const core::FixedRecord<24>& record);

// Builds the fixed record of one INT2 or INT4 value, big-endian.
core::FixedRecord<2> int2Record(core::RecordCode code, std::int16_t value);
core::FixedRecord<4> int4Record(core::RecordCode code, std::int32_t value);

inline core::StreamRecord& startRecord(core::StreamRecord& record, core::RecordCode code)
{
    record.payloadLength = 0;
    record.code = code;
    record.payload.clear();
    return record;
}

} // namespace Pelk::calvio
