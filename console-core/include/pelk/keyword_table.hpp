// The words of the text form and the records they stand for, with the
// exact literal the text writer puts before each record's values.
#pragma once

#include "pelk/record_codes.hpp"

#include <array>
#include <string_view>

namespace Pelk::core {

struct Keyword {
    RecordCode code;
    std::string_view text;
};

inline constexpr std::array<Keyword, 48> KeywordTable{{
    {Records::HEADER, "VERSION "},
    {Records::BGNLIB, "\nLIBRARY ["},
    {Records::LIBDIRSIZE, "\nLIBDIRSIZE "},
    {Records::SRFNAME, "\nSRFNAME "},
    {Records::LIBSECUR, "\nLIBSECUR "},
    {Records::LIBNAME, " "},
    {Records::REFLIBS, "\nREFLIBS"},
    {Records::FONTS, "\nFONTS"},
    {Records::ATTRTABLE, "\nATTRTABLE "},
    {Records::GENERATIONS, "\nGENERATIONS "},
    {Records::FORMAT, "\nFORMAT "},
    {Records::MASK, "\n\tMASK "},
    {Records::ENDMASKS, "\n\tENDMASK"},
    {Records::UNITS, "\nUNITS "},
    {Records::BGNSTR, "\n\nSTRUCT ["},
    {Records::STRNAME, ""},
    {Records::STRCLASS, " STRCLASS "},
    {Records::ENDSTR, "\n\nENDSTR"},
    {Records::ENDLIB, "\n\nENDLIB\n"},
    {Records::BOUNDARY, "\n   BOUNDARY"},
    {Records::PATH, "\n   PATH"},
    {Records::SREF, "\n   SREF"},
    {Records::AREF, "\n   AREF"},
    {Records::TEXT, "\n   TEXT"},
    {Records::NODE, "\n   NODE"},
    {Records::BOX, "\n   BOX "},
    {Records::ELFLAGS, " EF="},
    {Records::PLEX, " PLEX="},
    {Records::LAYER, " "},
    {Records::DATATYPE, " "},
    {Records::PATHTYPE, " PT="},
    {Records::WIDTH, " W="},
    {Records::BGNEXTN, " BGNEXTN="},
    {Records::ENDEXTN, " ENDEXTN="},
    {Records::SNAME, " "},
    {Records::STRANS, " STRANS="},
    {Records::MAG, " M="},
    {Records::ANGLE, " A="},
    {Records::COLROW, " COLROW="},
    {Records::TEXTTYPE, " TYPE="},
    {Records::PRESENTATION, " PRES="},
    {Records::STRING, " \""},
    {Records::NODETYPE, " NT="},
    {Records::BOXTYPE, " BT="},
    {Records::XY, ""},
    {Records::PROPATTR, "\n\tPROP "},
    {Records::PROPVALUE, " "},
    {Records::ENDEL, "\n   ;"},
}};

constexpr std::string_view keywordText(RecordCode code)
{
    for (const Keyword& k : KeywordTable)
        if (k.code == code)
            return k.text;
    return {};
}

} // namespace Pelk::core
