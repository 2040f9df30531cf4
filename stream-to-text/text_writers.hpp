// brenmo's actions on the stream grammar: each matched record appends its
// words and values of the text form, and the -cell filter decides per
// structure whether that text reaches the output.
#pragma once

#include "decimal_writer.hpp"

#include "pelk/console_frame.hpp"
#include "pelk/keyword_table.hpp"
#include "pelk/output_buffer.hpp"
#include "pelk/stream_grammar.hpp"
#include "pelk/stream_record.hpp"

#include <memory>
#include <sstream>
#include <string>

namespace Pelk::brenmo {

using core::EmptyStream;
using TextOutput = core::OutputBuffer;
using core::RecordCode;
using core::MatchedRecord;

// Decimal integers straight into the buffer.
inline void appendInt(TextOutput& out, std::int32_t value)
{
    char* start = out.reserve(11);
    out.commit(static_cast<std::size_t>(writeSigned(start, value) - start));
}

inline void appendUnsigned(TextOutput& out, std::uint32_t value)
{
    char* start = out.reserve(10);
    out.commit(static_cast<std::size_t>(writeUnsigned(start, value) - start));
}

void writeDateStamps(TextOutput& out, const std::uint8_t* payload);
void writeName(TextOutput& out, const MatchedRecord& record);
void writeSlots(TextOutput& out, const MatchedRecord& record);
void writeXY(TextOutput& out, const MatchedRecord& record);

// The text of 8-byte reals by their bytes. A library holds few distinct
// reals (units, magnifications, angles) but repeats them in every
// reference, so most are a copy rather than a decimal conversion. A small
// direct-mapped table keeps the memory fixed; a collision only converts
// again.
class RealTexts {
public:
    void write(TextOutput& out, const std::uint8_t* real);

private:
    static constexpr int indexBits = 6;
    struct Entry {
        std::uint64_t key = 0;
        std::uint8_t length = 0; // 0: empty
        char text[32];
    };
    Entry entries[std::size_t{1} << indexBits];
};

class TextWriters {
public:
    TextWriters(TextOutput& output, std::string cellFilter) : out(output), cellFilter(std::move(cellFilter)) {}
    // A failure thrown out of a filtered structure leaves the output on one
    // of the filter's streams; the real output must get back what it owns.
    ~TextWriters()
    {
        if (filter)
            out.setTarget(filter->saved);
    }
    TextWriters(const TextWriters&) = delete;
    TextWriters& operator=(const TextWriters&) = delete;

    // The record table's value kind picks the writing; only the words
    // around a value differ from record to record.
    template <RecordCode Code, core::ElementKind, class Record>
    void onRecord(const Record& record)
    {
        using core::ValueKind;
        using namespace core::Records;
        constexpr ValueKind kind = core::valueKind(Code);
        const std::uint8_t* payload = record.payload.data();
        out.append(core::keywordText(Code));
        if constexpr (kind == ValueKind::Uint2) {
            appendUnsigned(out, core::readUint2(payload));
        } else if constexpr (kind == ValueKind::Int2 || kind == ValueKind::Flags) {
            // Flags as their signed 16-bit number.
            appendInt(out, core::readInt2(payload));
        } else if constexpr (kind == ValueKind::Int2Pair) {
            appendInt(out, core::readInt2(payload));
            out.append(':');
            appendInt(out, core::readInt2(payload + 2));
        } else if constexpr (kind == ValueKind::Int4) {
            appendInt(out, core::readInt4(payload));
        } else if constexpr (kind == ValueKind::DateStamps) {
            writeDateStamps(out, payload);
            out.append(Code == BGNLIB ? "]" : "]  ");
        } else if constexpr (kind == ValueKind::Real8) {
            reals.write(out, payload);
        } else if constexpr (kind == ValueKind::Real8Pair) {
            reals.write(out, payload);
            out.append(' ');
            reals.write(out, payload + 8);
        } else if constexpr (kind == ValueKind::Points) {
            writeXY(out, record);
        } else if constexpr (kind == ValueKind::NameSlots) {
            writeSlots(out, record);
        } else if constexpr (kind == ValueKind::Name && Code == STRNAME) {
            writeStructureName(record);
        } else if constexpr (kind == ValueKind::Name) {
            writeName(out, record);
            if constexpr (Code == STRING)
                out.append('"');
        }
        // None, and OpaqueBits whose bits are not carried: only the word.
    }

    template <core::ElementKind>
    void onElement()
    {
    }

    void beginStructure();
    void endStructure(bool matched);

private:
    void writeStructureName(const MatchedRecord& record);

    TextOutput& out;
    std::string cellFilter;
    RealTexts reals;

    // Alive for one structure while a filter is in force.
    struct FilterStreams {
        std::ostringstream header;
        std::ostringstream name;
        EmptyStream empty;
        std::ostream* saved = nullptr;
    };
    std::unique_ptr<FilterStreams> filter;
};

} // namespace Pelk::brenmo
