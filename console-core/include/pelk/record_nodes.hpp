// Parser nodes that match one GDSII record of a given code at a
// StreamCursor: of any length, or of a known payload size.
#pragma once

#include "pelk/parse_position.hpp"
#include "pelk/stream_record.hpp"

#include <algorithm>
#include <cstring>

namespace Pelk::core {

namespace detail {

struct RecordHeader {
    bool codeMatches;
    std::uint32_t length;
};

// Reads the four header bytes in the order the record layer defines (type,
// data type, then length), so a file ending inside a header fails exactly
// where a byte-by-byte reader would.
inline RecordHeader readRecordHeaderSlowly(const StreamCursor& begin, RecordCode code, bool wantLength)
{
    PagedFile& file = *begin.file;
    if (file.byteAt(begin.offset + 2) != recordType(code))
        return {false, 0};
    if (file.byteAt(begin.offset + 3) != dataType(code))
        return {false, 0};
    if (!wantLength)
        return {true, 0};
    std::uint32_t high = file.byteAt(begin.offset);
    return {true, high << 8 | file.byteAt(begin.offset + 1)};
}

// The same, from the window at once when all four bytes are in it.
inline RecordHeader readRecordHeader(const StreamCursor& begin, RecordCode code, bool wantLength)
{
    if (const std::uint8_t* bytes = begin.file->peek(begin.offset, 4)) {
        bool ok = bytes[2] == recordType(code) && bytes[3] == dataType(code);
        return {ok, ok ? (std::uint32_t{bytes[0]} << 8 | bytes[1]) : 0u};
    }
    return readRecordHeaderSlowly(begin, code, wantLength);
}

// Copies [from, from + n) of the file into `out`.
inline void copyBytes(PagedFile& file, std::int64_t from, std::size_t n, std::uint8_t* out)
{
    if (n <= static_cast<std::size_t>(windowSize)) {
        if (const std::uint8_t* bytes = file.peek(from, static_cast<std::int32_t>(n))) {
            std::memcpy(out, bytes, n);
            return;
        }
    }
    while (n > 0) {
        auto bytes = file.bytesFrom(from);
        std::size_t take = std::min(n, bytes.size());
        std::memcpy(out, bytes.data(), take);
        out += take;
        from += static_cast<std::int64_t>(take);
        n -= take;
    }
}

} // namespace detail

struct RecordParser {
    using Record = MatchedRecord;
    RecordCode code;

    // A record of another code leaves `record` as it was: the nodes tried
    // and failed at each record write nothing.
    ParseResult<StreamCursor> parse(StreamCursor begin, StreamCursor end, MatchedRecord& record) const
    {
        detail::RecordHeader header = detail::readRecordHeader(begin, code, true);
        if (!header.codeMatches)
            return {false, begin};
        const std::int32_t payloadLength = static_cast<std::int32_t>(header.length) - 4;
        record.code = code;
        record.payloadLength = payloadLength;
        StreamCursor position = advance(begin, 4);
        std::uint64_t n = 0;
        if (payloadLength != 0) {
            // A length field below 4 asks for ~4 GB, which only the end
            // cursor or the record capacity can stop.
            std::uint64_t wanted = static_cast<std::uint32_t>(payloadLength);
            std::int64_t available = std::max<std::int64_t>(0, end.offset - position.offset);
            n = std::min<std::uint64_t>(wanted, static_cast<std::uint64_t>(available));
        }
        if (n > maxPayload)
            throw "StaticVector::push_back";
        const std::uint8_t* bytes = begin.file->peek(position.offset, static_cast<std::int32_t>(n));
        if (!bytes) {
            record.copy.resize(n);
            detail::copyBytes(*begin.file, position.offset, n, record.copy.data());
            bytes = record.copy.data();
        }
        record.payload = {bytes, static_cast<std::uint32_t>(n)};
        return {static_cast<std::int64_t>(n) == payloadLength, advance(position, static_cast<std::int64_t>(n))};
    }
};

// A record of any payload length, read into a buffer the node borrows: the
// record nodes of a grammar share one buffer, owned by the parse run, so a
// grammar of many such nodes needs one record's memory, not one per node.
// The matched record stays in the buffer until the next node that shares it
// runs, which is long enough for the action of the node that matched it.
struct SharedRecordParser {
    RecordCode code;
    MatchedRecord* buffer;

    ParseResult<StreamCursor> parse(StreamCursor begin, StreamCursor end) const
    {
        return RecordParser{code}.parse(begin, end, *buffer);
    }

    const MatchedRecord& matchedRecord() const { return *buffer; }
};

template <std::size_t N>
struct FixedRecordParser {
    using Record = FixedRecord<N>;
    RecordCode code;

    ParseResult<StreamCursor> parse(StreamCursor begin, StreamCursor end, FixedRecord<N>& record) const
    {
        record.code = code;
        if (!detail::readRecordHeader(begin, code, false).codeMatches)
            return {false, begin};
        if (end.offset - begin.offset < static_cast<std::int64_t>(N + 4))
            return {false, begin};
        detail::copyBytes(*begin.file, begin.offset + 4, N, record.payload.data());
        return {true, advance(begin, static_cast<std::int64_t>(N + 4))};
    }
};

} // namespace Pelk::core
