// GDSII record codes: record type in the high byte, data type (the payload
// kind) in the low byte.
#pragma once

#include <cstdint>

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

} // namespace Pelk::core
