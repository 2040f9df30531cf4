#include "conversion_fixture.hpp"

#include "pelk/real_format.hpp"
#include "pelk/record_codes.hpp"
#include "pelk/stream_record.hpp"

#include <array>
#include <climits>
#include <cstring>
#include <functional>
#include <random>

#include <gtest/gtest.h>

namespace {

using namespace Pelk::core::Records;
using Pelk::brenmo::testing::convert;
using Pelk::testing::StreamBuilder;

const std::string dates = "2010/4/17 9:05:03, 2010/4/17 9:05:03";
const std::string head = "VERSION 600\nLIBRARY [" + dates + "] LIB\nUNITS 0.001 1e-009";

// One structure TOP around the given element records.
StreamBuilder libraryWith(const std::function<void(StreamBuilder&)>& elements)
{
    StreamBuilder b;
    b.libraryStart().bgnstr("TOP");
    elements(b);
    b.endstr().endlib();
    return b;
}

// A library that must convert whole into exactly `text`.
void expectConverted(const StreamBuilder& b, const std::string& text)
{
    auto c = convert(b);
    EXPECT_TRUE(c.matched);
    EXPECT_EQ(c.text, text);
    EXPECT_EQ(c.console, "");
}

std::string textWith(const std::string& elements)
{
    return head + "\n\nSTRUCT [" + dates + "]  TOP" + elements + "\n\nENDSTR\n\nENDLIB\n";
}

TEST(TextForm, WorkedExampleLibrary)
{
    StreamBuilder b;
    b.libraryStart().bgnstr("TOP").rectangle(1, 0, 0, 100, 50).sref("SUB", {10, 20});
    b.record(PATH).int2(LAYER, {2}).int2(DATATYPE, {0}).int4(WIDTH, {10}).xy({{0, 0}, {100, 0}, {100, 100}}).endel();
    b.endstr().endlib();
    expectConverted(b, "VERSION 600\nLIBRARY [2010/4/17 9:05:03, 2010/4/17 9:05:03] LIB\nUNITS 0.001 1e-009\n\n"
                       "STRUCT [2010/4/17 9:05:03, 2010/4/17 9:05:03]  TOP\n   BOUNDARY 1 0\n\tRECT (0 0, 100 50)\n"
                       "   ;\n   SREF SUB \t(10 20)\n   ;\n   PATH 2 0 W=10\n\tXY 3 ( 0 0, 100 0, 100 100)\n   ;\n\n"
                       "ENDSTR\n\nENDLIB\n");
}

TEST(TextForm, EveryOptionalLibraryRecord)
{
    StreamBuilder b;
    b.header(3).bgnlib({1999, 12, 31, 23, 59, 0, 110, 1, 2, 0, 9, -3});
    b.int2(LIBDIRSIZE, {2}).text(SRFNAME, "srf").int2(LIBSECUR, {7}).libname("LIB");
    b.text(REFLIBS, std::string(44, 'a') + std::string("b\0\0", 3) + std::string(41, 'x') + "c");
    b.text(FONTS, "F0");
    b.text(ATTRTABLE, "attrs").int2(GENERATIONS, {3}).int2(FORMAT, {1}).text(MASK, "m1").text(MASK, "m2");
    b.record(ENDMASKS).units(1, 1e-6).dates(BGNSTR, {2020, 1, 1, 0, 0, 10, 2020, 1, 1, 0, 0, 9}).text(STRNAME, "S");
    b.record(STRCLASS, {0, 1, 2, 3}).endstr().endlib();
    expectConverted(b, "VERSION 3\nLIBRARY [1999/12/31 23:59:00, 110/1/2 0:09:0-3]\nLIBDIRSIZE 2\nSRFNAME srf"
                       "\nLIBSECUR 7 LIB\nREFLIBS " + std::string(44, 'a') + " b c\nFONTS F0\nATTRTABLE attrs"
                       "\nGENERATIONS 3\nFORMAT 1\n\tMASK m1\n\tMASK m2\n\tENDMASK\nUNITS 1 1e-006"
                       "\n\nSTRUCT [2020/1/1 0:00:10, 2020/1/1 0:00:09]  S STRCLASS \n\nENDSTR\n\nENDLIB\n");
}

TEST(TextForm, EveryElementKindWithItsOptionalRecords)
{
    auto b = libraryWith([](StreamBuilder& b) {
        b.record(BOUNDARY).int2(ELFLAGS, {1}).int4(PLEX, {0x00010002}).int2(LAYER, {-1}).int2(DATATYPE, {2});
        b.xy({{0, 0}, {10, 0}, {5, 5}, {0, 0}}).int2(PROPATTR, {1}).text(PROPVALUE, "abc");
        b.int2(PROPATTR, {2}).text(PROPVALUE, "d e").endel();
        b.record(PATH).int4(PLEX, {-1}).int2(LAYER, {2}).int2(DATATYPE, {0}).int2(PATHTYPE, {4}).int4(WIDTH, {-10});
        b.int4(BGNEXTN, {3}).int4(ENDEXTN, {4}).xy({{1, 2}}).endel();
        b.record(SREF).int2(ELFLAGS, {2}).text(SNAME, "SUB").int2(STRANS, {-32768}).real8(ANGLE, {90});
        b.xy({{-5, 7}}).endel();
        b.record(AREF).text(SNAME, "SUB").int2(STRANS, {0}).real8(MAG, {2}).real8(ANGLE, {90});
        b.int2(COLROW, {2, 3}).xy({{0, 0}, {200, 0}, {0, 300}}).endel();
        b.record(TEXT).int2(LAYER, {5}).int2(TEXTTYPE, {0}).int2(PRESENTATION, {10}).int2(PATHTYPE, {1});
        b.int4(WIDTH, {20}).int2(STRANS, {0}).real8(MAG, {0.5}).xy({{0, 0}}).text(STRING, "say \"hi\"").endel();
        b.record(NODE).int2(LAYER, {6}).int2(NODETYPE, {7}).xy({{1, 1}, {2, 2}}).endel();
        b.record(BOX).int2(LAYER, {8}).int2(BOXTYPE, {9}).xy({{0, 0}, {0, 4}, {4, 4}, {4, 0}, {0, 0}}).endel();
    });
    expectConverted(b, textWith("\n   BOUNDARY EF=1 PLEX=65538 -1 2\n\tXY 4 ( 0 0, 10 0, 5 5, 0 0)"
                                "\n\tPROP 1 abc\n\tPROP 2 d e\n   ;"
                                "\n   PATH PLEX=-1 2 0 PT=4 W=-10 BGNEXTN=3 ENDEXTN=4 \t(1 2)\n   ;"
                                "\n   SREF EF=2 SUB STRANS=-32768 A=90 \t(-5 7)\n   ;"
                                "\n   AREF SUB STRANS=0 M=2 A=90 COLROW=2:3\n\tXY 3 ( 0 0, 200 0, 0 300)\n   ;"
                                "\n   TEXT 5 TYPE=0 PRES=10 PT=1 W=20 STRANS=0 M=0.5 \t(0 0) \"say \"hi\"\"\n   ;"
                                "\n   NODE 6 NT=7\n\tXY 2 ( 1 1, 2 2)\n   ;"
                                "\n   BOX  8 BT=9\n\tRECT (0 0, 4 4)\n   ;"));
}

TEST(TextForm, ValuesPrintAsSignedUnpaddedNumbers)
{
    StreamBuilder b;
    b.header(0xFFFF).bgnlib({-1, 0, 0, 9, 9, 10, 0, 0, 0, 0, 0, 0}).libname("").units(123.4567, 1000000);
    b.endlib();
    expectConverted(b, "VERSION 65535\nLIBRARY [-1/0/0 9:09:10, 0/0/0 0:00:00] \nUNITS 123.457 1e+006\n\nENDLIB\n");
}

TEST(TextForm, CoordinateForms)
{
    auto boundary = [](StreamBuilder& b, const std::vector<Pelk::testing::Point>& points) {
        b.boundary(1, 0, points);
    };
    auto b = libraryWith([&](StreamBuilder& b) {
        boundary(b, {{10, 5}, {10, 0}, {0, 0}, {0, 5}, {10, 5}});     // clockwise from upper right
        boundary(b, {{0, 0}, {10, 0}, {10, 5}, {0, 5}, {0, 0}});      // counter-clockwise from lower left
        boundary(b, {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}});        // zero-size box
        boundary(b, {{0, 5}, {5, 0}, {10, 5}, {5, 10}, {0, 5}});      // diamond
        boundary(b, {{0, 0}, {10, 0}, {10, 5}, {0, 5}, {0, 1}});      // not closed
        boundary(b, {{0, 0}, {10, 0}, {10, 5}, {0, 5}});              // four points
        boundary(b, {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 20}, {5, 5}});
        boundary(b, {});
        b.record(PATH).int2(LAYER, {1}).int2(DATATYPE, {0}).xy({{0, 0}, {0, 3}, {7, 3}, {7, 0}, {0, 0}}).endel();
    });
    expectConverted(b, textWith("\n   BOUNDARY 1 0\n\tRECT (0 0, 10 5)\n   ;"
                                "\n   BOUNDARY 1 0\n\tRECT (0 0, 10 5)\n   ;"
                                "\n   BOUNDARY 1 0\n\tRECT (0 0, 0 0)\n   ;"
                                "\n   BOUNDARY 1 0\n\tXY 5 ( 0 5, 5 0, 10 5, 5 10,\n\t 0 5)\n   ;"
                                "\n   BOUNDARY 1 0\n\tXY 5 ( 0 0, 10 0, 10 5, 0 5,\n\t 0 1)\n   ;"
                                "\n   BOUNDARY 1 0\n\tXY 4 ( 0 0, 10 0, 10 5, 0 5)\n   ;"
                                "\n   BOUNDARY 1 0\n\tXY 6 ( 0 0, 10 0, 10 10, 0 10,\n\t 0 20, 5 5)\n   ;"
                                "\n   BOUNDARY 1 0\n\tXY 0 ()\n   ;"
                                "\n   PATH 1 0\n\tRECT (0 0, 7 3)\n   ;"));
}

// Reals are printed from a table of earlier texts by their bytes: every use,
// whether first, repeated or after its slot went to another value, must read
// as its own value. All-zero bytes come first, as an empty slot's key.
TEST(TextForm, EachRealPrintsItsOwnValueHoweverOftenItRepeats)
{
    std::mt19937_64 random(11);
    std::vector<std::array<std::uint8_t, 8>> reals{{}, {0x80}, {0x41, 0x10}, {0xC1, 0x10}, {0x41, 0x10, 0, 0, 0, 0, 0, 1}};
    while (reals.size() < 300) {
        std::uint64_t bits = random();
        std::array<std::uint8_t, 8> r;
        std::memcpy(r.data(), &bits, r.size());
        reals.push_back(r);
    }
    std::string expected;
    auto b = libraryWith([&](StreamBuilder& b) {
        for (int round = 0; round < 3; ++round) {
            for (const auto& r : reals) {
                b.record(SREF).text(SNAME, "S").int2(STRANS, {0}).record(MAG, {r.begin(), r.end()});
                b.xy({{0, 0}}).endel();
                expected += "\n   SREF S STRANS=0 M=" + Pelk::core::formatReal(Pelk::core::decodeReal8(r.data()))
                          + " \t(0 0)\n   ;";
            }
        }
    });
    expectConverted(b, textWith(expected));
}

TEST(TextForm, NamesAreWrittenAsStored)
{
    StreamBuilder b;
    b.header().bgnlib().record(LIBNAME, {0, 'A'}).units().bgnstr("A B\"C");
    b.record(SREF).record(SNAME, {'N', 'O', 'N', 'U', 'L'}).xy({{0, 0}}).endel();
    b.endstr().endlib();
    expectConverted(b, "VERSION 600\nLIBRARY [" + dates + "] \nUNITS 0.001 1e-009\n\nSTRUCT [" + dates
                           + "]  A B\"C\n   SREF NONUL \t(0 0)\n   ;\n\nENDSTR\n\nENDLIB\n");
}

TEST(TextForm, LibraryWithoutStructuresAndPaddingAfterEndlib)
{
    StreamBuilder b;
    b.libraryStart().endlib().raw(Pelk::testing::Bytes(2000, 0));
    expectConverted(b, head + "\n\nENDLIB\n");
}

TEST(TextForm, ElementsInAnyOrderAndNumber)
{
    auto b = libraryWith([](StreamBuilder& b) {
        b.sref("A", {0, 0}).sref("B", {1, 1}).rectangle(2, 0, 0, 1, 1).sref("C", {2, 2});
    });
    expectConverted(b, textWith("\n   SREF A \t(0 0)\n   ;\n   SREF B \t(1 1)\n   ;"
                                "\n   BOUNDARY 2 0\n\tRECT (0 0, 1 1)\n   ;\n   SREF C \t(2 2)\n   ;"));
}

// ---- The -cell filter ----

StreamBuilder threeStructures()
{
    StreamBuilder b;
    b.libraryStart().bgnstr("TOP").sref("A", {0, 0}).endstr();
    b.bgnstr("A").rectangle(1, 0, 0, 1, 1).endstr();
    b.bgnstr("TOP").rectangle(2, 0, 0, 2, 2).endstr().endlib();
    return b;
}

TEST(CellFilter, SelectsEveryStructureOfTheNameAndNothingElse)
{
    auto c = convert(threeStructures(), "TOP");
    EXPECT_TRUE(c.matched);
    EXPECT_EQ(c.text, head + "\n\nSTRUCT [" + dates + "]  TOP\n   SREF A \t(0 0)\n   ;\n\nENDSTR"
                          "\n\nSTRUCT [" + dates + "]  TOP\n   BOUNDARY 2 0\n\tRECT (0 0, 2 2)\n   ;\n\nENDSTR"
                          "\n\nENDLIB\n");
}

TEST(CellFilter, IsCaseSensitiveAndAnUnknownNameStillSucceeds)
{
    for (const char* cell : {"top", "NONE", "TO"}) {
        auto c = convert(threeStructures(), cell);
        EXPECT_TRUE(c.matched) << cell;
        EXPECT_EQ(c.text, head + "\n\nENDLIB\n") << cell;
    }
}

TEST(CellFilter, ARejectedStructureWithABadRecordStillStopsTheConversion)
{
    StreamBuilder b;
    b.libraryStart().bgnstr("TOP").endstr();
    const auto second = b.size();
    b.bgnstr("A").record(BOUNDARY).int2(DATATYPE, {0}).endstr().endlib();
    auto c = convert(b, "TOP");
    EXPECT_FALSE(c.matched);
    EXPECT_EQ(c.text, head + "\n\nSTRUCT [" + dates + "]  TOP\n\nENDSTR");
    EXPECT_EQ(c.console, "\n\nERROR[20011] \tParsing failed at position " + std::to_string(second));
}

// ---- Where a mismatch is reported ----

TEST(ParseFailure, InTheHeaderAtTheRecordThatFailed)
{
    StreamBuilder b;
    b.header().libname("LIB").units().endlib();
    auto c = convert(b);
    EXPECT_FALSE(c.matched);
    EXPECT_EQ(c.text, "VERSION 600");
    EXPECT_EQ(c.console, "\n\nERROR[20011] \tParsing failed at position 6");
}

TEST(ParseFailure, AtUnits)
{
    StreamBuilder b;
    b.header().bgnlib().libname("LIB");
    const auto at = b.size();
    b.real8(MAG, {1}).endlib();
    auto c = convert(b);
    EXPECT_FALSE(c.matched);
    EXPECT_EQ(c.text, "VERSION 600\nLIBRARY [" + dates + "] LIB");
    EXPECT_EQ(c.console, "\n\nERROR[20011] \tParsing failed at position " + std::to_string(at));
}

TEST(ParseFailure, InsideTheThirdStructureAtItsBgnstr)
{
    StreamBuilder b;
    b.libraryStart().bgnstr("S1").endstr().bgnstr("S2").endstr();
    const auto third = b.size();
    b.bgnstr("S3").rectangle(1, 0, 0, 1, 1).record(BOUNDARY).int2(LAYER, {1}).int2(TEXTTYPE, {0});
    b.xy({{0, 0}}).endel().endstr().endlib();
    auto c = convert(b);
    EXPECT_FALSE(c.matched);
    EXPECT_EQ(c.text, head + "\n\nSTRUCT [" + dates + "]  S1\n\nENDSTR\n\nSTRUCT [" + dates + "]  S2\n\nENDSTR"
                          "\n\nSTRUCT [" + dates + "]  S3\n   BOUNDARY 1 0\n\tRECT (0 0, 1 1)\n   ;\n   BOUNDARY 1");
    EXPECT_EQ(c.console, "\n\nERROR[20011] \tParsing failed at position " + std::to_string(third));
}

TEST(ParseFailure, MagWithoutStransAndLongLibsecurThrowTheWalkOutOfStep)
{
    auto mag = convert(libraryWith([](StreamBuilder& b) {
        b.record(SREF).text(SNAME, "A").real8(MAG, {2}).xy({{0, 0}}).endel();
    }));
    EXPECT_FALSE(mag.matched);
    EXPECT_EQ(mag.text, head + "\n\nSTRUCT [" + dates + "]  TOP\n   SREF A");

    StreamBuilder b;
    b.header().bgnlib().int2(LIBSECUR, {1, 2, 3}).libname("LIB").units().endlib();
    auto secur = convert(b);
    EXPECT_FALSE(secur.matched);
    EXPECT_EQ(secur.text, "VERSION 600\nLIBRARY [" + dates + "]\nLIBSECUR 1");
    EXPECT_EQ(secur.console, "\n\nERROR[20011] \tParsing failed at position " + std::to_string(6 + 28 + 6));
}

// ---- Failures thrown out of the walk ----

TEST(ThrownFailure, EmptyFileAndMissingEndlib)
{
    auto empty = convert(StreamBuilder());
    EXPECT_EQ(empty.thrown, "file seek error");
    EXPECT_EQ(empty.text, "");

    StreamBuilder b;
    b.libraryStart().bgnstr("TOP").endstr();
    auto noEnd = convert(b);
    EXPECT_EQ(noEnd.thrown, "file seek error");
    EXPECT_EQ(noEnd.text, head + "\n\nSTRUCT [" + dates + "]  TOP\n\nENDSTR");
}

TEST(ThrownFailure, OversizedRecordAndIncompletePoint)
{
    auto big = convert(libraryWith([](StreamBuilder& b) {
        b.record(BOUNDARY).int2(LAYER, {1}).int2(DATATYPE, {0}).recordWithLength(XY, 40000, Pelk::testing::Bytes(39996));
    }));
    EXPECT_EQ(big.thrown, "StaticVector::push_back");
    EXPECT_EQ(big.text, head + "\n\nSTRUCT [" + dates + "]  TOP\n   BOUNDARY 1 0");

    auto partial = convert(libraryWith([](StreamBuilder& b) {
        b.record(BOUNDARY).int2(LAYER, {1}).int2(DATATYPE, {0});
        b.record(XY, {0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4, 0, 0, 0, 5, 0, 0, 0, 6, 0, 0, 0, 7, 0, 0, 0, 8,
                      0, 0, 0, 9, 0, 0});
        b.endel();
    }));
    EXPECT_EQ(partial.thrown, "Array::at");
    EXPECT_EQ(partial.text, head + "\n\nSTRUCT [" + dates + "]  TOP\n   BOUNDARY 1 0\n\tXY 4 ( 1 2, 3 4, 5 6, 7 8,\n\t");
}

TEST(TextForm, TheWidestPointsAcrossABatchOfTheXYWriter)
{
    std::vector<Pelk::testing::Point> points(1025, {INT32_MIN, INT32_MIN});
    std::string xy = "XY 1025 (";
    for (std::size_t k = 0; k < points.size(); ++k)
        xy += std::string(k == 0 ? "" : k % 4 == 0 ? ",\n\t" : ",") + " -2147483648 -2147483648";
    auto c = convert(libraryWith([&](StreamBuilder& b) { b.boundary(1, 0, points); }));
    EXPECT_TRUE(c.matched);
    EXPECT_EQ(c.text, textWith("\n   BOUNDARY 1 0\n\t" + xy + ")\n   ;"));
}

} // namespace
