#include "text_conversion_fixture.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace Pelk::calvio::testing;
using Pelk::testing::Point;
using namespace std::string_literals;

Bytes concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// The console text of a parse failure at `position` of `text`; no control
// byte but TAB, LF and CR reaches the console.
std::string failureAt(const std::string& text, std::size_t position)
{
    std::string echo = text.substr(position, 80);
    for (char& c : echo)
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F)
            c = '?';
    return "\n\nERROR[30011] \tParsing failed at or around position " + std::to_string(position) + ":\n" + echo
         + (echo.size() == 80 ? " ... " : "") + "\n";
}

// One structure TOP holding `elements`: converted, it must give the library
// head, BGNSTR and STRNAME, the element records, and then ENDSTR and ENDLIB
// when it matched, or a failure at the STRUCT line when it did not.
void expectElements(const std::string& elements, const StreamBuilder& records, bool matched)
{
    std::string text = libraryWith(elements);
    Conversion c = convertText(text);
    EXPECT_EQ(c.thrown, "") << elements;
    EXPECT_EQ(c.matched, matched) << elements;
    Bytes head = concat({streamHead().bytes(), StreamBuilder().bgnstr("TOP").bytes()});
    Bytes tail = matched ? StreamBuilder().endstr().endlib().bytes() : Bytes{};
    EXPECT_EQ(c.records, concat({head, records.bytes(), tail})) << elements;
    EXPECT_EQ(c.console, matched ? "" : failureAt(text, text.find("STRUCT"))) << elements;
}

StreamBuilder records() { return StreamBuilder(); }

TEST(ElementGrammar, WorkedExamplesGiveTheirExactBytes)
{
    Bytes boundary = {0x00, 0x04, 0x08, 0x00, 0x00, 0x06, 0x0D, 0x02, 0x00, 0x01, 0x00, 0x06, 0x0E, 0x02, 0x00, 0x00,
                      0x00, 0x2C, 0x10, 0x03, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x64, 0, 0, 0, 0, 0, 0, 0, 0x64, 0, 0,
                      0, 0x32, 0, 0, 0, 0, 0, 0, 0, 0x32, 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x04, 0x11, 0x00};
    ASSERT_EQ(boundary.size(), 64u);
    expectElements("\n   BOUNDARY 1 0\n\tRECT (0 0, 100 50)\n   ;", records().raw(boundary), true);

    Bytes sref = {0x00, 0x04, 0x0A, 0x00, 0x00, 0x08, 0x12, 0x06, 0x53, 0x55, 0x42, 0x00, 0x00, 0x0C,
                  0x10, 0x03, 0x00, 0x00, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x14, 0x00, 0x04, 0x11, 0x00};
    expectElements("\n   SREF SUB \t(10 20)\n   ;", records().raw(sref), true);
}

TEST(ElementGrammar, FieldsInTheirOrderAndForm)
{
    expectElements("\n   BOUNDARY  1   0 (0 0) ;", records().record(0x0800).int2(0x0D02, {1}).int2(0x0E02, {0}).xy({{0, 0}}).endel(), true);
    expectElements("\n   BOX  5 BT=0 (1 2)\n   ;",
                   records().record(0x2D00).int2(0x0D02, {5}).int2(0x2E02, {0}).xy({{1, 2}}).endel(), true);
    expectElements("\n   BOUNDARY EF=1 PLEX=2 5 0 (0 0) ;",
                   records().record(0x0800).int2(0x2601, {1}).int4(0x2F03, {2}).int2(0x0D02, {5}).int2(0x0E02, {0})
                       .xy({{0, 0}}).endel(),
                   true);
    expectElements("\n   NODE PLEX=65538 7 NT=3 (0 0) ;",
                   records().record(0x1500).int4(0x2F03, {65538}).int2(0x0D02, {7}).int2(0x2A02, {3}).xy({{0, 0}})
                       .endel(),
                   true);
    expectElements("\n   NODE PLEX=-1 7 NT=3 (0 0) ;",
                   records().record(0x1500).int4(0x2F03, {-1}).int2(0x0D02, {7}).int2(0x2A02, {3}).xy({{0, 0}})
                       .endel(),
                   true);
    expectElements("\n   PATH 2 0 PT=2 W=10 BGNEXTN=-5 ENDEXTN=7 (0 0) ;",
                   records().record(0x0900).int2(0x0D02, {2}).int2(0x0E02, {0}).int2(0x2102, {2})
                       .int4(0x0F03, {10}).int4(0x3003, {-5}).int4(0x3103, {7}).xy({{0, 0}}).endel(),
                   true);
    expectElements("\n   PATH 2 0 ENDEXTN = 7 (0 0) ;",
                   records().record(0x0900).int2(0x0D02, {2}).int2(0x0E02, {0}).int4(0x3103, {7}).xy({{0, 0}})
                       .endel(),
                   true);
    expectElements("\n   SREF SUB STRANS=-32768 M=2 A=90 (0 0) ;",
                   records().record(0x0A00).text(0x1206, "SUB").int2(0x1A01, {-32768}).real8(0x1B05, {2})
                       .real8(0x1C05, {90}).xy({{0, 0}}).endel(),
                   true);
    expectElements("\n   AREF SUB COLROW=3:4\n\tXY 3 ( 0 0, 200 0, 0 300)\n   ;",
                   records().record(0x0B00).text(0x1206, "SUB").int2(0x1302, {3, 4})
                       .xy({{0, 0}, {200, 0}, {0, 300}}).endel(),
                   true);
    expectElements("\n   AREF SUB STRANS=0 A=-45.5 COLROW = 3 : 4 (0 0) ;",
                   records().record(0x0B00).text(0x1206, "SUB").int2(0x1A01, {0}).real8(0x1C05, {-45.5})
                       .int2(0x1302, {3, 4}).xy({{0, 0}}).endel(),
                   true);
    expectElements("\n   TEXT 5 TYPE=0 PRES=6 PT=1 W=-20 STRANS=2 M=0.5 \t(0 0) \"a b\n\tc\"\n   ;",
                   records().record(0x0C00).int2(0x0D02, {5}).int2(0x1602, {0}).int2(0x1701, {6}).int2(0x2102, {1})
                       .int4(0x0F03, {-20}).int2(0x1A01, {2}).real8(0x1B05, {0.5}).xy({{0, 0}}).text(0x1906, "a b\n\tc")
                       .endel(),
                   true);
    expectElements("\n   BOUNDARY 1 0 (0 0)\n\tPROP 1 abc\n\tPROP -2 ;x\n   ;",
                   records().record(0x0800).int2(0x0D02, {1}).int2(0x0E02, {0}).xy({{0, 0}}).int2(0x2B02, {1})
                       .text(0x2C06, "abc").int2(0x2B02, {-2}).text(0x2C06, ";x").endel(),
                   true);
}

TEST(ElementGrammar, FailuresKeepWhatWasWrittenBeforeThem)
{
    // Positional numbers must follow a space character.
    expectElements("\n   BOUNDARY\t1 0 (0 0) ;", records().record(0x0800), false);
    expectElements("\n   BOUNDARY 1\n0 (0 0) ;", records().record(0x0800).int2(0x0D02, {1}), false);
    // Optional items only in their order.
    expectElements("\n   BOUNDARY PLEX=2 EF=1 5 0 (0 0) ;", records().record(0x0800).int4(0x2F03, {2}), false);
    expectElements("\n   PATH 2 0 W=10 PT=2 (0 0) ;",
                   records().record(0x0900).int2(0x0D02, {2}).int2(0x0E02, {0}).int4(0x0F03, {10}), false);
    // M= and A= only after STRANS=.
    expectElements("\n   SREF SUB M=2 (0 0) ;", records().record(0x0A00).text(0x1206, "SUB"), false);
    expectElements("\n   AREF SUB (0 0) ;", records().record(0x0B00).text(0x1206, "SUB"), false);
    // Strings: not empty, and closed.
    expectElements("\n   TEXT 5 TYPE=0 (0 0) \"\" ;",
                   records().record(0x0C00).int2(0x0D02, {5}).int2(0x1602, {0}).xy({{0, 0}}), false);
    expectElements("\n   TEXT 5 TYPE=0 (0 0) \"open ;",
                   records().record(0x0C00).int2(0x0D02, {5}).int2(0x1602, {0}).xy({{0, 0}}), false);
    // A property value takes the ';' when it touches it.
    expectElements("\n   BOUNDARY 1 0 (0 0)\n\tPROP 1 abc;",
                   records().record(0x0800).int2(0x0D02, {1}).int2(0x0E02, {0}).xy({{0, 0}}).int2(0x2B02, {1})
                       .text(0x2C06, "abc;"),
                   false);
    expectElements("\n   boundary 1 0 (0 0) ;", records(), false);
    // Escape sequences and NULs in the echo would reach the terminal.
    expectElements("\n   BOUNDARY\x1b(0\x1b]0;\x07\0\x7f\x1f\t\r\xc3\xa9\x80 1 0 (0 0) ;"s, records().record(0x0800), false);
    // A blank before a list's comma.
    expectElements("\n   BOUNDARY 1 0\n\tXY 2 ( 0 0 , 1 1)\n   ;", records().record(0x0800).int2(0x0D02, {1}).int2(0x0E02, {0}), false);
    expectElements("\n   BOUNDARY 1 0\n\tXY ( 0 0)\n   ;", records().record(0x0800).int2(0x0D02, {1}).int2(0x0E02, {0}), false);
}

// The coordinates of one BOUNDARY on layer 1.
void expectPoints(const std::string& coordinates, const std::vector<Point>& points)
{
    expectElements("\n   BOUNDARY 1 0" + coordinates + "\n   ;",
                   records().record(0x0800).int2(0x0D02, {1}).int2(0x0E02, {0}).xy(points).endel(), true);
}

TEST(Coordinates, ThreeFormsAsWritten)
{
    std::vector<Point> rect = {{0, 0}, {100, 0}, {100, 50}, {0, 50}, {0, 0}};
    expectPoints("\n\tRECT (0 0, 100 50)", rect);
    expectPoints(" RECT(0 0,100 50)", rect);
    expectPoints(" RECT ( 0 0 , 100\n50 )", rect);
    expectPoints(" RECT (100 50, 0 0)", {{100, 50}, {0, 50}, {0, 0}, {100, 0}, {100, 50}});
    std::vector<Point> three = {{0, 0}, {100, 0}, {100, 100}};
    expectPoints("\n\tXY 3 ( 0 0, 100 0, 100 100)", three);
    expectPoints("\n\tXY 7 ( 0 0, 100 0, 100 100)", three);
    expectPoints("\n\tXY -1 ( 0 0, 100 0, 100 100)", three);
    expectPoints("\n\tXY 6 ( 0 0, 10 0, 10 10, 0 10,\n\t 0 20, 5 5)", {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 20}, {5, 5}});
    expectPoints("\n\tXY 2 ( 0 0, 10 0,)", {{0, 0}, {10, 0}});
    expectPoints("\n\tXY 0 ()", {});
    expectPoints(" \t(10 20)", {{10, 20}});
    expectPoints(" (10 -20)", {{10, -20}});
    expectPoints(" (1-2)", {{1, -2}});
    expectPoints(" (4294967296 -2147483648)", {{0, -2147483647 - 1}});
}

TEST(Coordinates, OneRecordHoldsAtMost4096Points)
{
    auto listOf = [](int n) {
        std::string text = "\n\tXY " + std::to_string(n) + " (";
        for (int i = 0; i < n; ++i)
            text += (i ? ", " : " ") + std::to_string(i) + " " + std::to_string(-i);
        return text + ")";
    };
    std::vector<Point> full;
    for (int i = 0; i < 4096; ++i)
        full.push_back({i, -i});
    expectPoints(listOf(4096), full);

    Conversion c = convertText(libraryWith("\n   BOUNDARY 1 0" + listOf(4097) + "\n   ;"));
    EXPECT_EQ(c.thrown, "StaticVector::push_back");
    Bytes written = concat({streamHead().bytes(), StreamBuilder().bgnstr("TOP").bytes(),
                            records().record(0x0800).int2(0x0D02, {1}).int2(0x0E02, {0}).bytes()});
    EXPECT_EQ(c.records, written);
}

// Library texts: the head lines between VERSION and UNITS.
void expectLibrary(const std::string& text, const StreamBuilder& want, bool matched, const std::string& thrown = "")
{
    Conversion c = convertText(text);
    EXPECT_EQ(c.thrown, thrown) << text;
    EXPECT_EQ(c.matched, matched) << text;
    EXPECT_EQ(c.records, want.bytes()) << text;
}

StreamBuilder headWith(std::int32_t version = 600)
{
    return std::move(StreamBuilder().header(version).bgnlib());
}

const std::string stamps = "LIBRARY [2010/4/17 9:05:03, 2010/4/17 9:05:03]";

TEST(LibraryGrammar, HeaderLinesInTheirOrder)
{
    expectLibrary("VERSION 65535 " + stamps + " LIB UNITS 0.001 1e-009 ENDLIB",
                  headWith(-1).libname("LIB").units().endlib(), true);
    expectLibrary("VERSION 3\r\n" + stamps + "\r\nLIBDIRSIZE 2 mylib\r\nUNITS 0.001 1e-009\r\n\r\nENDLIB\r\n"
                      + std::string(3, '\0') + "garbage",
                  headWith(3).int2(0x3902, {2}).libname("mylib").units().endlib(), true);
    expectLibrary("VERSION 600\n" + stamps + "\nSRFNAME srf\nLIBSECUR 5 7lib\nUNITS 0.001 1e-009\nENDLIB",
                  headWith().text(0x3A06, "srf").int2(0x3B02, {5, 7}).libname("lib").units().endlib(), true);
    expectLibrary("VERSION 600\n" + stamps + "\nLIBSECUR\nlib\nUNITS 0.001 1e-009\nENDLIB",
                  headWith().record(0x3B02).libname("lib").units().endlib(), true);

    Bytes refA(88, 0);
    refA[0] = 'a';
    Bytes fonts(176, 0);
    fonts[0] = 'f', fonts[1] = '1', fonts[44] = 'f', fonts[45] = '2';
    Bytes refAB(88, 0);
    refAB[0] = 'a', refAB[44] = 'b';
    expectLibrary("VERSION 600\n" + stamps + " LIB\nREFLIBS a \nFONTS f1 f2\nATTRTABLE at\nGENERATIONS 3\n"
                      "FORMAT 1\n\tMASK m1\n\tMASK m2\n\tENDMASK\nUNITS 0.001 1e-009\nENDLIB",
                  headWith().libname("LIB").record(0x1F06, refA).record(0x2006, fonts).text(0x2306, "at")
                      .int2(0x2202, {3}).int2(0x3602, {1}).text(0x3706, "m1").text(0x3706, "m2").record(0x3800)
                      .units().endlib(),
                  true);
    expectLibrary("VERSION 600\n" + stamps + " LIB\nREFLIBS\n  a b\nFORMAT 0\nUNITS 0.001 1e-009\nENDLIB",
                  headWith().libname("LIB").record(0x1F06, refAB).int2(0x3602, {0}).units().endlib(), true);
    // Two blanks end the list; the next name then has no line to go to.
    expectLibrary("VERSION 600\n" + stamps + " LIB\nREFLIBS a  b\nUNITS 0.001 1e-009\nENDLIB",
                  headWith().libname("LIB").record(0x1F06, refA), false);
    // Masks without ENDMASK: the group is absent, its records stay.
    expectLibrary("VERSION 600\n" + stamps + " LIB\nFORMAT 0\n\tMASK m1\nUNITS 0.001 1e-009\nENDLIB",
                  headWith().libname("LIB").int2(0x3602, {0}).text(0x3706, "m1"), false);
    expectLibrary("VERSION 600\n" + stamps + " LIB\nFORMAT 0\n\tENDMASK\nUNITS 0.001 1e-009\nENDLIB",
                  headWith().libname("LIB").int2(0x3602, {0}), false);
    // A malformed optional line is read as the library name.
    expectLibrary("VERSION 600\n" + stamps + "\nLIBDIRSIZE\nlib\nUNITS 0.001 1e-009\nENDLIB",
                  headWith().libname("LIBDIRSIZE"), false);
    expectLibrary("version 600\n" + stamps + " LIB\nUNITS 0.001 1e-009\nENDLIB", StreamBuilder(), false);
}

TEST(LibraryGrammar, NamesLongerThanTheirSlotAreRefused)
{
    std::string name44(44, 'n');
    Bytes slots(88, 0);
    std::copy(name44.begin(), name44.end(), slots.begin());
    expectLibrary("VERSION 600\n" + stamps + " LIB\nREFLIBS " + name44 + "\nUNITS 0.001 1e-009\nENDLIB",
                  headWith().libname("LIB").record(0x1F06, slots).units().endlib(), true);
    expectLibrary("VERSION 600\n" + stamps + " LIB\nFONTS a " + name44 + "n\nUNITS 0.001 1e-009\nENDLIB",
                  headWith().libname("LIB"), false, "name longer than its 44-byte slot");
}

TEST(LibraryGrammar, RealsOutsideTheRealFormAreRefused)
{
    expectLibrary("VERSION 600\n" + stamps + " LIB\nUNITS 1e999 1e-009\nENDLIB", headWith().libname("LIB"), false,
                  "8-byte real out of range");
    expectLibrary("VERSION 600\n" + stamps + " LIB\nUNITS 1e-999 1e-009\nENDLIB",
                  headWith().libname("LIB").units(0, 1e-9).endlib(), true);
}

TEST(StructureGrammar, HeadsNamesAndClasses)
{
    std::string head = std::string(textHead);
    std::string strct = "\nSTRUCT [2010/4/17 9:05:03, 2010/4/17 9:05:03]";
    expectLibrary(head + "ENDLIB", streamHead().endlib(), true);
    expectLibrary(head + strct + "  A\n\nENDSTR" + strct + "\n\n\"B\" STRCLASS \n\nENDSTR\nENDLIB",
                  streamHead().bgnstr("A").endstr().bgnstr("\"B\"").record(0x3401).endstr().endlib(), true);
    expectLibrary(head + strct + "  A STRCLASS 3\nENDSTR\nENDLIB", streamHead().bgnstr("A").record(0x3401), false);
}

TEST(CellFilter, SelectsByExactNameAndReadsSelectedStructuresTwice)
{
    std::string strct = "\nSTRUCT [2010/4/17 9:05:03, 2010/4/17 9:05:03]  ";
    std::string text = std::string(textHead) + strct + "TOP\n   BOUNDARY 1 0 (1 1) ;\nENDSTR" + strct
                     + "SUB\n   BOUNDARY 2 0 (2 2) ;\nENDSTR" + strct + "TOP STRCLASS\nENDSTR\nENDLIB\n";
    auto box = [](std::int32_t layer, std::int32_t at) {
        return StreamBuilder().record(0x0800).int2(0x0D02, {layer}).int2(0x0E02, {0}).xy({{at, at}}).endel().bytes();
    };
    Conversion top = convertText(text, "TOP");
    EXPECT_TRUE(top.matched);
    EXPECT_EQ(top.records, concat({streamHead().bytes(), StreamBuilder().bgnstr("TOP").bytes(), box(1, 1),
                                   StreamBuilder().endstr().bgnstr("TOP").record(0x3401).endstr().endlib().bytes()}));
    Conversion sub = convertText(text, "SUB");
    EXPECT_EQ(sub.records, concat({streamHead().bytes(), StreamBuilder().bgnstr("SUB").bytes(), box(2, 2),
                                   StreamBuilder().endstr().endlib().bytes()}));
    Conversion none = convertText(text, "top");
    EXPECT_TRUE(none.matched);
    EXPECT_EQ(none.records, streamHead().endlib().bytes());
}

TEST(CellFilter, ARejectedStructureStillStopsTheConversionAtItsStart)
{
    std::string strct = "\nSTRUCT [2010/4/17 9:05:03, 2010/4/17 9:05:03]  ";
    std::string text = std::string(textHead) + strct + "TOP\nENDSTR" + strct + "SUB\n   BOUNDARY 1 0 (1 1 ;\nENDSTR"
                     + "\nENDLIB\n";
    Conversion c = convertText(text, "TOP");
    EXPECT_FALSE(c.matched);
    EXPECT_EQ(c.records, streamHead().bgnstr("TOP").endstr().bytes());
    std::size_t second = text.find("STRUCT", text.find("STRUCT") + 1);
    EXPECT_EQ(c.console, failureAt(text, second));

    Conversion selected = convertText(text, "SUB");
    EXPECT_EQ(selected.records, concat({streamHead().bgnstr("SUB").bytes(),
                                        StreamBuilder().record(0x0800).int2(0x0D02, {1}).int2(0x0E02, {0}).bytes()}));
}

// A rejected name never goes into a record, however long; a selected one
// that no record holds fails after its BGNSTR, as it does without the
// filter. Names longer than what is kept of them are told apart in full.
TEST(CellFilter, ANameTheRecordCannotHoldFailsOnlyWhenSelected)
{
    std::string strct = "\nSTRUCT [2010/4/17 9:05:03, 2010/4/17 9:05:03]  ";
    Bytes failed = streamHead().dates(0x0502, Pelk::testing::sampleDates).bytes();
    Bytes top = streamHead().bgnstr("TOP").endstr().endlib().bytes();
    Bytes none = streamHead().endlib().bytes();
    for (std::size_t length : {Pelk::core::maxPayload + 1, Pelk::core::maxPayload + 100}) {
        std::string name(length, 'N');
        std::string text = std::string(textHead) + strct + name + "\n   BOUNDARY 1 0 (1 1) ;\nENDSTR" + strct
                         + "TOP\nENDSTR\nENDLIB\n";
        std::string lastDiffers = name;
        lastDiffers.back() = 'M';
        const struct {
            std::string cell;
            const char* thrown;
            const Bytes& records;
        } rows[] = {{"", "StaticVector::push_back", failed}, {name, "StaticVector::push_back", failed},
                    {"TOP", "", top},  {lastDiffers, "", none}, {name + "N", "", none}, {name.substr(1), "", none}};
        for (const auto& row : rows) {
            Conversion c = convertText(text, row.cell);
            EXPECT_EQ(c.thrown, row.thrown) << length << " " << row.cell.size();
            EXPECT_EQ(c.matched, c.thrown.empty());
            EXPECT_EQ(c.records, row.records) << length << " " << row.cell.size();
        }
    }
}

// Runs in one process share nothing: one that failed while skipping a
// structure leaves the next, filtered or not, as it is on its own.
TEST(CellFilter, EachRunStartsAfresh)
{
    std::string strct = "\nSTRUCT [2010/4/17 9:05:03, 2010/4/17 9:05:03]  ";
    std::string text = std::string(textHead) + strct + "TOP\nENDSTR" + strct + "SUB\nENDSTR\nENDLIB\n";
    std::string points = "\n   BOUNDARY 1 0 XY 4097 (0 0";
    for (int i = 1; i < 4097; ++i)
        points += ", 0 0";
    std::string failing = std::string(textHead) + strct + "SUB" + points + ")\n   ;\nENDSTR";
    Bytes top = streamHead().bgnstr("TOP").endstr().endlib().bytes();
    Bytes all = streamHead().bgnstr("TOP").endstr().bgnstr("SUB").endstr().endlib().bytes();
    EXPECT_EQ(convertText(text, "TOP").records, top);
    EXPECT_EQ(convertText(failing, "TOP").thrown, "StaticVector::push_back");
    EXPECT_EQ(convertText(text, "TOP").records, top);
    EXPECT_EQ(convertText(text).records, all);
}

} // namespace

namespace {

// Points read straight from the window must read as the nodes read them
// wherever the window's edge falls inside a point.
TEST(Coordinates, PointsAcrossTheWindowEdge)
{
    const char* forms[] = {"%d %d", "%d\n\t%d", "- +%d +%d", " %d  -%d"};
    std::string list;
    std::vector<Point> points;
    for (int i = 0; i < 4000; ++i) {
        char item[64];
        int x = i * 37 % 1000003, y = i * 7919 % 1000003;
        int form = i % 4;
        std::snprintf(item, sizeof item, forms[form], x, y);
        list += (i ? ", " : " ") + std::string(item);
        points.push_back({form == 2 ? -x : x, form == 3 ? -y : y});
    }
    for (int shift = 0; shift < 24; ++shift) {
        std::string elements = std::string(static_cast<std::size_t>(6000 + shift), ' ') + "\n   BOUNDARY 1 0\n\tXY 4000 (" + list + ")\n   ;";
        ASSERT_GT(libraryWith(elements).size(), 70000u);
        expectElements(elements, records().record(0x0800).int2(0x0D02, {1}).int2(0x0E02, {0}).xy(points).endel(), true);
    }
}

} // namespace
