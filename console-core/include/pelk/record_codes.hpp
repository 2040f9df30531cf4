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

// A record's payload: fixedPayloadSize bytes whatever the length field says,
// or, where it is 0, as many as the length field says.
struct RecordShape {
    RecordCode code;
    std::uint32_t fixedPayloadSize;
    ValueKind value;
};

inline constexpr RecordShape recordShapes[] = {
    {Records::HEADER, 2, ValueKind::Uint2},
    {Records::BGNLIB, 24, ValueKind::DateStamps},
    {Records::LIBNAME, 0, ValueKind::Name},
    {Records::UNITS, 16, ValueKind::Real8Pair},
    {Records::ENDLIB, 0, ValueKind::None},
    {Records::BGNSTR, 24, ValueKind::DateStamps},
    {Records::STRNAME, 0, ValueKind::Name},
    {Records::ENDSTR, 0, ValueKind::None},
    {Records::BOUNDARY, 0, ValueKind::None},
    {Records::PATH, 0, ValueKind::None},
    {Records::SREF, 0, ValueKind::None},
    {Records::AREF, 0, ValueKind::None},
    {Records::TEXT, 0, ValueKind::None},
    {Records::LAYER, 2, ValueKind::Int2},
    {Records::DATATYPE, 2, ValueKind::Int2},
    {Records::WIDTH, 4, ValueKind::Int4},
    {Records::XY, 0, ValueKind::Points},
    {Records::ENDEL, 0, ValueKind::None},
    {Records::SNAME, 0, ValueKind::Name},
    {Records::COLROW, 4, ValueKind::Int2Pair},
    {Records::NODE, 0, ValueKind::None},
    {Records::TEXTTYPE, 2, ValueKind::Int2},
    {Records::PRESENTATION, 2, ValueKind::Flags},
    {Records::STRING, 0, ValueKind::Name},
    {Records::STRANS, 2, ValueKind::Flags},
    {Records::MAG, 8, ValueKind::Real8},
    {Records::ANGLE, 8, ValueKind::Real8},
    {Records::REFLIBS, 0, ValueKind::NameSlots},
    {Records::FONTS, 0, ValueKind::NameSlots},
    {Records::PATHTYPE, 2, ValueKind::Int2},
    {Records::GENERATIONS, 2, ValueKind::Int2},
    {Records::ATTRTABLE, 0, ValueKind::Name},
    {Records::ELFLAGS, 2, ValueKind::Flags},
    {Records::NODETYPE, 2, ValueKind::Int2},
    {Records::PROPATTR, 2, ValueKind::Int2},
    {Records::PROPVALUE, 0, ValueKind::Name},
    {Records::BOX, 0, ValueKind::None},
    {Records::BOXTYPE, 2, ValueKind::Int2},
    {Records::PLEX, 4, ValueKind::Int4},
    {Records::BGNEXTN, 4, ValueKind::Int4},
    {Records::ENDEXTN, 4, ValueKind::Int4},
    {Records::STRCLASS, 0, ValueKind::OpaqueBits},
    {Records::FORMAT, 2, ValueKind::Int2},
    {Records::MASK, 0, ValueKind::Name},
    {Records::ENDMASKS, 0, ValueKind::None},
    {Records::LIBDIRSIZE, 2, ValueKind::Int2},
    {Records::SRFNAME, 0, ValueKind::Name},
    {Records::LIBSECUR, 2, ValueKind::Int2},
};

// A code missing from the table stops the compile of any grammar naming it.
constexpr RecordShape recordShape(RecordCode code)
{
    for (const RecordShape& shape : recordShapes)
        if (shape.code == code)
            return shape;
    throw "no shape for this record code";
}

constexpr std::uint32_t fixedPayloadSize(RecordCode code) { return recordShape(code).fixedPayloadSize; }
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

// Each code once; its value kind stored as its low byte says, and read from
// exactly the bytes its fixed size takes, so no reader runs past them.
constexpr bool recordShapesAgree()
{
    for (std::size_t i = 0; i < std::size(recordShapes); ++i) {
        const RecordShape& shape = recordShapes[i];
        const ValueLayout layout = valueLayout(shape.value);
        if (layout.storedAs != payloadKind(shape.code) || layout.fixedSize != shape.fixedPayloadSize)
            return false;
        for (std::size_t j = 0; j < i; ++j)
            if (recordShapes[j].code == shape.code)
                return false;
    }
    return true;
}

} // namespace detail

static_assert(detail::recordShapesAgree());

} // namespace Pelk::core
