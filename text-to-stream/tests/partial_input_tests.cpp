#include "every_prefix.hpp"
#include "text_conversion_fixture.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace {

using namespace Pelk::calvio::testing;

// A sample text built piece by piece, each piece ending where the record
// it stands for is written.
struct Piece {
    std::string text;
    Bytes record;
};

std::vector<Piece> samplePieces()
{
    auto r = [] { return StreamBuilder(); };
    Bytes ref(88, 0);
    ref[0] = 'r';
    Bytes fonts(176, 0);
    fonts[0] = 'f';
    return {
        {"VERSION 600", r().header(600).bytes()},
        {"\nLIBRARY [2010/4/17 9:05:03, 2010/4/17 9:05:03]", r().bgnlib().bytes()},
        {"\nLIBDIRSIZE 12", r().int2(0x3902, {12}).bytes()},
        {"\nSRFNAME srf", r().text(0x3A06, "srf").bytes()},
        {"\nLIBSECUR 5", r().int2(0x3B02, {5}).bytes()},
        {" lib", r().libname("lib").bytes()},
        {"\nREFLIBS r", r().record(0x1F06, ref).bytes()},
        {"\nFONTS f", r().record(0x2006, fonts).bytes()},
        {"\nATTRTABLE at", r().text(0x2306, "at").bytes()},
        {"\nGENERATIONS 3", r().int2(0x2202, {3}).bytes()},
        {"\nFORMAT 1", r().int2(0x3602, {1}).bytes()},
        {"\n\tMASK m", r().text(0x3706, "m").bytes()},
        {"\n\tENDMASK", r().record(0x3800).bytes()},
        {"\nUNITS 0.001 1e-009", r().units().bytes()},
        {"\n\nSTRUCT [2010/4/17 9:05:03, 2010/4/17 9:05:03]", r().dates(0x0502, Pelk::testing::sampleDates).bytes()},
        {"  TOP", r().text(0x0606, "TOP").bytes()},
        {" STRCLASS", r().record(0x3401).bytes()},
        {"\n   BOUNDARY", r().record(0x0800).bytes()},
        {" EF=1", r().int2(0x2601, {1}).bytes()},
        {" PLEX=70000", r().int4(0x2F03, {70000}).bytes()},
        {" 12", r().int2(0x0D02, {12}).bytes()},
        {" 0", r().int2(0x0E02, {0}).bytes()},
        {"\n\tRECT (0 0, 100 50)", r().xy({{0, 0}, {100, 0}, {100, 50}, {0, 50}, {0, 0}}).bytes()},
        {"\n\tPROP 1", r().int2(0x2B02, {1}).bytes()},
        {" abc", r().text(0x2C06, "abc").bytes()},
        {"\n   ;", r().endel().bytes()},
        {"\n   PATH", r().record(0x0900).bytes()},
        {" 3", r().int2(0x0D02, {3}).bytes()},
        {" 0", r().int2(0x0E02, {0}).bytes()},
        {" PT=2", r().int2(0x2102, {2}).bytes()},
        {" W=10", r().int4(0x0F03, {10}).bytes()},
        {"\n\tXY 6 ( 0 0, 50 0, 70 40, 20 60,\n\t -10 30, 0 0)", r().xy({{0, 0}, {50, 0}, {70, 40}, {20, 60}, {-10, 30}, {0, 0}}).bytes()},
        {"\n   ;", r().endel().bytes()},
        {"\n   AREF", r().record(0x0B00).bytes()},
        {" SUB", r().text(0x1206, "SUB").bytes()},
        {" STRANS=-32768", r().int2(0x1A01, {-32768}).bytes()},
        {" M=2", r().real8(0x1B05, {2}).bytes()},
        {" A=90", r().real8(0x1C05, {90}).bytes()},
        {" COLROW=2:3", r().int2(0x1302, {2, 3}).bytes()},
        {"\n\tXY 3 ( 0 0, 200 0, 0 300)", r().xy({{0, 0}, {200, 0}, {0, 300}}).bytes()},
        {"\n   ;", r().endel().bytes()},
        {"\n   TEXT", r().record(0x0C00).bytes()},
        {" 5", r().int2(0x0D02, {5}).bytes()},
        {" TYPE=0", r().int2(0x1602, {0}).bytes()},
        {" \t(10 -20)", r().xy({{10, -20}}).bytes()},
        {" \"hello world\"", r().text(0x1906, "hello world").bytes()},
        {"\n   ;", r().endel().bytes()},
        {"\n   BOX", r().record(0x2D00).bytes()},
        {"  7", r().int2(0x0D02, {7}).bytes()},
        {" BT=1", r().int2(0x2E02, {1}).bytes()},
        {" \t(1 2)", r().xy({{1, 2}}).bytes()},
        {"\n   ;", r().endel().bytes()},
        {"\n\nENDSTR", r().endstr().bytes()},
        {"\n\nENDLIB", r().endlib().bytes()},
        {"\n", {}},
    };
}

bool allZero(const Bytes& b, std::size_t from)
{
    for (std::size_t i = from; i < b.size(); ++i)
        if (b[i] != 0)
            return false;
    return true;
}

// Every prefix of the sample: a numbered message, the records matched before
// the failure, at most the one record the cut text still made, and padding.
TEST(PartialInput, EveryPrefixGivesAMessageTheMatchedRecordsAndPadding)
{
    std::vector<Piece> pieces = samplePieces();
    std::string text;
    Bytes all;
    std::vector<std::size_t> pieceEnds, recordEnds;
    for (const Piece& p : pieces) {
        text += p.text;
        all.insert(all.end(), p.record.begin(), p.record.end());
        pieceEnds.push_back(text.size());
        recordEnds.push_back(all.size());
    }
    TemporaryFile output("prefix.gds");
    std::size_t complete = text.size() - 1;
    Pelk::testing::forEachPrefix(text, "prefix.txt", [&](std::size_t k, const std::string& input) {
        std::string prefix = text.substr(0, k);
        std::ostringstream out, err;
        const char* argv[] = {"calvio", "-q", input.c_str(), output.path().c_str()};
        int status = Pelk::calvio::runCalvio(4, argv, out, err);
        Bytes got = toBytes(Pelk::testing::readWholeFile(output.path()));
        ASSERT_EQ(err.str(), "") << k;
        ASSERT_EQ(got.size() % 2048, 0u) << k;

        if (k >= complete) {
            ASSERT_EQ(status, 0) << k;
            ASSERT_EQ(out.str(), "") << k;
            Bytes want = all;
            want.resize(got.size(), 0);
            ASSERT_EQ(got, want) << k;
            return;
        }
        ASSERT_EQ(status, 1) << k;
        std::string message = out.str();
        std::string lead = "\n\nERROR[30011] \tParsing failed at or around position ";
        ASSERT_EQ(message.substr(0, lead.size()), lead) << k;
        std::size_t position = std::stoul(message.substr(lead.size()));
        ASSERT_LE(position, k);
        std::string echo = prefix.substr(position, 80);
        ASSERT_EQ(message, lead + std::to_string(position) + ":\n" + echo + (echo.size() == 80 ? " ... " : "") + "\n") << k;

        std::size_t whole = 0;
        while (whole < pieces.size() && pieceEnds[whole] <= k)
            ++whole;
        std::size_t matched = whole ? recordEnds[whole - 1] : 0;
        ASSERT_GE(got.size(), matched) << k;
        ASSERT_TRUE(std::equal(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(matched), got.begin())) << k;
        if (allZero(got, matched))
            return;
        std::size_t length = std::size_t{got[matched]} << 8 | got[matched + 1];
        ASSERT_GE(length, 4u) << k;
        ASSERT_TRUE(allZero(got, matched + length)) << k << ": more than one record after the matched ones";
    });
}

} // namespace
