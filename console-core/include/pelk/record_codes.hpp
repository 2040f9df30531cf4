// GDSII record codes (record type in the high byte, data type in the low
// byte) and the one table of each record's payload size and value kind.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>

namespace Pelk::core {

using RecordCode = std::int32_t;

namespace Records {
inline constexpr RecordCode HEADER = 0x0002;
inline constexpr RecordCode BGNLIB = 0x0102;
inline constexpr RecordCode LIBNAME = 0x0206;
inline constexpr RecordCode UNITS = 0x0305;
inline constexpr RecordCode ENDLIB = 0x0400;
inline constexpr RecordCode BGNSTR = 0x0502;
inline constexpr RecordCode STRNAME = 0x0606;
inline constexpr RecordCode ENDSTR = 0x0700;
inline constexpr RecordCode BOUNDARY = 0x0800;
inline constexpr RecordCode PATH = 0x0900;
inline constexpr RecordCode SREF = 0x0A00;
inline constexpr RecordCode AREF = 0x0B00;
inline constexpr RecordCode TEXT = 0x0C00;
inline constexpr RecordCode LAYER = 0x0D02;
inline constexpr RecordCode DATATYPE = 0x0E02;
inline constexpr RecordCode WIDTH = 0x0F03;
inline constexpr RecordCode XY = 0x1003;
inline constexpr RecordCode ENDEL = 0x1100;
inline constexpr RecordCode SNAME = 0x1206;
inline constexpr RecordCode COLROW = 0x1302;
inline constexpr RecordCode NODE = 0x1500;
inline constexpr RecordCode TEXTTYPE = 0x1602;
inline constexpr RecordCode PRESENTATION = 0x1701;
inline constexpr RecordCode STRING = 0x1906;
inline constexpr RecordCode STRANS = 0x1A01;
inline constexpr RecordCode MAG = 0x1B05;
inline constexpr RecordCode ANGLE = 0x1C05;
inline constexpr RecordCode REFLIBS = 0x1F06;
inline constexpr RecordCode FONTS = 0x2006;
inline constexpr RecordCode PATHTYPE = 0x2102;
inline constexpr RecordCode GENERATIONS = 0x2202;
inline constexpr RecordCode ATTRTABLE = 0x2306;
inline constexpr RecordCode ELFLAGS = 0x2601;
inline constexpr RecordCode NODETYPE = 0x2A02;
inline constexpr RecordCode PROPATTR = 0x2B02;
inline constexpr RecordCode PROPVALUE = 0x2C06;
inline constexpr RecordCode BOX = 0x2D00;
inline constexpr RecordCode BOXTYPE = 0x2E02;
inline constexpr RecordCode PLEX = 0x2F03;
inline constexpr RecordCode BGNEXTN = 0x3003;
inline constexpr RecordCode ENDEXTN = 0x3103;
inline constexpr RecordCode STRCLASS = 0x3401;
inline constexpr RecordCode FORMAT = 0x3602;
inline constexpr RecordCode MASK = 0x3706;
inline constexpr RecordCode ENDMASKS = 0x3800;
inline constexpr RecordCode LIBDIRSIZE = 0x3902;
inline constexpr RecordCode SRFNAME = 0x3A06;
inline constexpr RecordCode LIBSECUR = 0x3B02;
} // namespace Records

// The payload kinds named by a code's low byte.
enum class PayloadKind : std::uint8_t {
    None = 0x00,
    BitArray = 0x01,
    Int2 = 0x02,
    Int4 = 0x03,
    Real8 = 0x05,
    Ascii = 0x06,
};

constexpr PayloadKind payloadKind(RecordCode code) { return static_cast<PayloadKind>(code & 0xFF); }
constexpr std::uint8_t recordType(RecordCode code) { return static_cast<std::uint8_t>((code >> 8) & 0xFF); }
constexpr std::uint8_t dataType(RecordCode code) { return static_cast<std::uint8_t>(code & 0xFF); }

// What a record's payload holds: the low byte's PayloadKind, told apart as
// far as reading the value needs.
enum class ValueKind : std::uint8_t {
    None,         // no value: the brackets of the library, structures and elements
    Int2,         // one signed 16-bit integer
    Uint2,        // one unsigned 16-bit integer (the stream version)
    Int2Pair,     // two signed 16-bit integers (columns, rows)
    DateStamps,   // two stamps of six 16-bit integers: year, month, day, hour, minute, second
    Flags,        // a 16-bit bit array
    OpaqueBits,   // a bit array of any length, never decoded
    Int4,         // one signed 32-bit integer
    Points,       // x, y pairs of signed 32-bit integers
    Real8,        // one 8-byte real
    Real8Pair,    // two 8-byte reals (the units)
    Name,         // text up to the first NUL or the payload's end
    NameSlots,    // 44-byte slots, each holding a name
};

// A record's value kind; its payload size follows from the kind.
struct RecordShape {
    RecordCode code;
    ValueKind value;
};

inline constexpr RecordShape recordShapes[] = {
    {Records::HEADER, ValueKind::Uint2},
    {Records::BGNLIB, ValueKind::DateStamps},
    {Records::LIBNAME, ValueKind::Name},
    {Records::UNITS, ValueKind::Real8Pair},
    {Records::ENDLIB, ValueKind::None},
    {Records::BGNSTR, ValueKind::DateStamps},
    {Records::STRNAME, ValueKind::Name},
    {Records::ENDSTR, ValueKind::None},
    {Records::BOUNDARY, ValueKind::None},
    {Records::PATH, ValueKind::None},
    {Records::SREF, ValueKind::None},
    {Records::AREF, ValueKind::None},
    {Records::TEXT, ValueKind::None},
    {Records::LAYER, ValueKind::Int2},
    {Records::DATATYPE, ValueKind::Int2},
    {Records::WIDTH, ValueKind::Int4},
    {Records::XY, ValueKind::Points},
    {Records::ENDEL, ValueKind::None},
    {Records::SNAME, ValueKind::Name},
    {Records::COLROW, ValueKind::Int2Pair},
    {Records::NODE, ValueKind::None},
    {Records::TEXTTYPE, ValueKind::Int2},
    {Records::PRESENTATION, ValueKind::Flags},
    {Records::STRING, ValueKind::Name},
    {Records::STRANS, ValueKind::Flags},
    {Records::MAG, ValueKind::Real8},
    {Records::ANGLE, ValueKind::Real8},
    {Records::REFLIBS, ValueKind::NameSlots},
    {Records::FONTS, ValueKind::NameSlots},
    {Records::PATHTYPE, ValueKind::Int2},
    {Records::GENERATIONS, ValueKind::Int2},
    {Records::ATTRTABLE, ValueKind::Name},
    {Records::ELFLAGS, ValueKind::Flags},
    {Records::NODETYPE, ValueKind::Int2},
    {Records::PROPATTR, ValueKind::Int2},
    {Records::PROPVALUE, ValueKind::Name},
    {Records::BOX, ValueKind::None},
    {Records::BOXTYPE, ValueKind::Int2},
    {Records::PLEX, ValueKind::Int4},
    {Records::BGNEXTN, ValueKind::Int4},
    {Records::ENDEXTN, ValueKind::Int4},
    {Records::STRCLASS, ValueKind::OpaqueBits},
    {Records::FORMAT, ValueKind::Int2},
    {Records::MASK, ValueKind::Name},
    {Records::ENDMASKS, ValueKind::None},
    {Records::LIBDIRSIZE, ValueKind::Int2},
    {Records::SRFNAME, ValueKind::Name},
    {Records::LIBSECUR, ValueKind::Int2},
};

// A code missing from the table stops the compile of any grammar naming it.
constexpr RecordShape recordShape(RecordCode code)
{
    for (const RecordShape& shape : recordShapes)
        if (shape.code == code)
            return shape;
    throw "no shape for this record code";
}

constexpr ValueKind valueKind(RecordCode code) { return recordShape(code).value; }

namespace detail {

// The data type a value kind is stored as, and its payload size where that
// is fixed (0: any length).
struct ValueLayout {
    PayloadKind storedAs;
    std::uint32_t fixedSize;
};

constexpr ValueLayout valueLayout(ValueKind value)
{
    switch (value) {
    case ValueKind::None:
        return {PayloadKind::None, 0};
    case ValueKind::Int2:
    case ValueKind::Uint2:
        return {PayloadKind::Int2, 2};
    case ValueKind::Int2Pair:
        return {PayloadKind::Int2, 4};
    case ValueKind::DateStamps:
        return {PayloadKind::Int2, 24};
    case ValueKind::Flags:
        return {PayloadKind::BitArray, 2};
    case ValueKind::OpaqueBits:
        return {PayloadKind::BitArray, 0};
    case ValueKind::Int4:
        return {PayloadKind::Int4, 4};
    case ValueKind::Points:
        return {PayloadKind::Int4, 0};
    case ValueKind::Real8:
        return {PayloadKind::Real8, 8};
    case ValueKind::Real8Pair:
        return {PayloadKind::Real8, 16};
    case ValueKind::Name:
    case ValueKind::NameSlots:
        return {PayloadKind::Ascii, 0};
    }
    throw "unknown value kind";
}

// Each code once, and its value kind stored as its low byte says.
constexpr bool recordShapesAgree()
{
    for (std::size_t i = 0; i < std::size(recordShapes); ++i) {
        const RecordShape& shape = recordShapes[i];
        if (valueLayout(shape.value).storedAs != payloadKind(shape.code))
            return false;
        for (std::size_t j = 0; j < i; ++j)
            if (recordShapes[j].code == shape.code)
                return false;
    }
    return true;
}

} // namespace detail

static_assert(detail::recordShapesAgree());

// The payload a record is read as: this many bytes whatever the length field
// says, or, where it is 0, as many as the length field says.
constexpr std::uint32_t fixedPayloadSize(RecordCode code) { return detail::valueLayout(valueKind(code)).fixedSize; }

} // namespace Pelk::core
