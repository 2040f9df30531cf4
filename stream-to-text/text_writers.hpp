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
#include <type_traits>

namespace Pelk::brenmo {

using core::EmptyStream;
using TextOutput = core::OutputBuffer;
using core::FixedRecord;
using core::RecordCode;
using core::StreamRecord;

struct Point {
    std::int32_t x;
    std::int32_t y;
    bool operator==(const Point&) const = default;
};

struct RectBounds {
    std::int32_t xmin, ymin, xmax, ymax;
};

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

bool isAxisRectangle(const Point (&p)[4]);
RectBounds rectBounds(const Point (&p)[4]);

void writeDateStamps(TextOutput& out, const std::uint8_t* payload);
void writeReal(TextOutput& out, double value);
void writeName(TextOutput& out, const StreamRecord& record);
void writeSlots(TextOutput& out, const StreamRecord& record);
void writeXY(TextOutput& out, const StreamRecord& record);

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

    template <RecordCode Code, core::ElementKind, class Record>
    void onRecord(const Record& record)
    {
        using namespace core::Records;
        out.append(core::keywordText(Code));
        if constexpr (Code == HEADER) {
            appendUnsigned(out, core::readUint2(record.payload.data()));
        } else if constexpr (Code == BGNLIB || Code == BGNSTR) {
            writeDateStamps(out, record.payload.data());
            out.append(Code == BGNLIB ? "]" : "]  ");
        } else if constexpr (Code == UNITS) {
            writeReal(out, core::decodeReal8At(0, record.payload));
            out.append(' ');
            writeReal(out, core::decodeReal8At(8, record.payload));
        } else if constexpr (Code == COLROW) {
            appendInt(out, core::readInt2(record.payload.data()));
            out.append(':');
            appendInt(out, core::readInt2(record.payload.data() + 2));
        } else if constexpr (Code == MAG || Code == ANGLE) {
            writeReal(out, core::decodeReal8(record.payload.data()));
        } else if constexpr (Code == XY) {
            writeXY(out, record);
        } else if constexpr (Code == REFLIBS || Code == FONTS) {
            writeSlots(out, record);
        } else if constexpr (Code == STRNAME) {
            writeStructureName(record);
        } else if constexpr (Code == STRING) {
            writeName(out, record);
            out.append('"');
        } else if constexpr (Code == STRCLASS) {
            // Only the word: the class bits are not carried.
        } else if constexpr (core::payloadKind(Code) == core::PayloadKind::Ascii) {
            writeName(out, record);
        } else if constexpr (std::is_same_v<Record, FixedRecord<2>>) {
            appendInt(out, core::readInt2(record.payload.data()));
        } else if constexpr (std::is_same_v<Record, FixedRecord<4>>) {
            appendInt(out, core::readInt4(record.payload.data()));
        }
    }

    template <core::ElementKind>
    void onElement()
    {
    }

    void beginStructure();
    void endStructure(bool matched);

private:
    void writeStructureName(const StreamRecord& record);

    TextOutput& out;
    std::string cellFilter;

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
