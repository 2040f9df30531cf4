#include "program_runner.hpp"
#include "random_library.hpp"
#include "text_conversion_fixture.hpp"

#include "convert_stream.hpp"

#include "pelk/real_format.hpp"
#include "pelk/stream_record.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace Pelk::calvio::testing;
using Pelk::core::readInt4;
using Pelk::testing::runProgram;

std::int32_t int4At(const Bytes& b, std::size_t at) { return readInt4(b.data() + at); }

void putInt4(Bytes& b, std::size_t at, std::int32_t v)
{
    auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(u >> (24 - 8 * i));
}

// The text form writes a closed axis-parallel five-point XY as its bounds:
// it keeps neither the start corner nor the winding.
void normaliseRectangle(Bytes& b, std::size_t payload)
{
    std::int32_t x[5], y[5];
    for (int i = 0; i < 5; ++i) {
        x[i] = int4At(b, payload + 8 * i);
        y[i] = int4At(b, payload + 8 * i + 4);
    }
    bool closed = x[4] == x[0] && y[4] == y[0];
    bool horizontalFirst = y[0] == y[1] && x[1] == x[2] && y[2] == y[3] && x[3] == x[0];
    bool verticalFirst = x[0] == x[1] && y[1] == y[2] && x[2] == x[3] && y[3] == y[0];
    if (!closed || !(horizontalFirst || verticalFirst))
        return;
    std::int32_t x0 = std::min(x[0], x[2]), x1 = std::max(x[0], x[2]);
    std::int32_t y0 = std::min(y[0], y[2]), y1 = std::max(y[0], y[2]);
    std::int32_t canonical[10] = {x0, y0, x1, y0, x1, y1, x0, y1, x0, y0};
    for (int i = 0; i < 10; ++i)
        putInt4(b, payload + 4 * i, canonical[i]);
}

// A real as the text form carries it: six significant digits.
void normaliseReal(Bytes& b, std::size_t at)
{
    double carried = std::strtod(Pelk::core::formatReal(Pelk::core::decodeReal8(b.data() + at)).c_str(), nullptr);
    auto r = Pelk::testing::encodeReal8(carried);
    std::copy(r.begin(), r.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
}

// The records up to ENDLIB, normalised to what the text form carries.
Bytes carriedRecords(const Bytes& stream, bool normaliseReals)
{
    Bytes b = stream;
    std::size_t at = 0;
    while (at + 4 <= b.size()) {
        std::size_t length = std::size_t{b[at]} << 8 | b[at + 1];
        std::uint16_t code = static_cast<std::uint16_t>(b[at + 2] << 8 | b[at + 3]);
        if (code == 0x1003 && length == 44)
            normaliseRectangle(b, at + 4);
        if (normaliseReals && (code & 0xFF) == 0x05)
            for (std::size_t r = at + 4; r + 8 <= at + length; r += 8)
                normaliseReal(b, r);
        at += length;
        if (code == 0x0400)
            break;
    }
    b.resize(std::min(at, b.size()));
    return b;
}

std::string brenmoText(const std::string& path)
{
    std::ostringstream text, console;
    EXPECT_TRUE(Pelk::brenmo::convertStream("", path, text, console)) << console.str();
    return text.str();
}

TEST(RoundTrip, SeededRandomLibrariesComeBackByteForByte)
{
    TemporaryFile gds("random.gds");
    for (std::uint32_t seed = 1; seed <= 3000; ++seed) {
        StreamBuilder library = RandomLibrary(seed).build();
        library.writeTo(gds.path());
        Conversion back = convertText(brenmoText(gds.path()));
        ASSERT_TRUE(back.matched) << "seed " << seed << back.console;
        ASSERT_EQ(back.thrown, "") << "seed " << seed;
        ASSERT_EQ(back.records, carriedRecords(library.bytes(), false)) << "seed " << seed;
    }
}

TEST(RoundTrip, TheBundledSampleThroughBothPrograms)
{
    TemporaryFile gds("sample.gds", Pelk::testing::sampleLibrary());
    TemporaryFile text("sample.txt");
    TemporaryFile back("sample_back.gds");
    ASSERT_EQ(runProgram(BRENMO_PATH, {"-q", gds.path(), text.path()}).status, 0);
    auto run = runProgram(CALVIO_PATH, {"-q", text.path(), back.path()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out + run.err, "");
    Bytes want = carriedRecords(Pelk::testing::sampleLibrary().bytes(), false);
    want.resize((want.size() + 2047) / 2048 * 2048, 0);
    EXPECT_EQ(toBytes(Pelk::testing::readWholeFile(back.path())), want);
}

// Layouts written by other tools: byte for byte, padding included, up to
// rectangles and to reals held to more than six significant digits. Both
// programs run within the stack every console program is held to.
class RealLayoutRoundTrip : public ::testing::TestWithParam<const char*> {};

TEST_P(RealLayoutRoundTrip, ComesBackThroughBothPrograms)
{
    using Pelk::testing::programStackKilobytes;
    std::string gds = std::string(PELK_FIXTURES_DIR) + "/" + GetParam() + ".gds";
    TemporaryFile text("real.txt");
    TemporaryFile back("real_back.gds");
    const char* overflow = "139 is a stack overflow";
    ASSERT_EQ(runProgram(BRENMO_PATH, {"-q", gds, text.path()}, programStackKilobytes).status, 0) << overflow;
    auto run = runProgram(CALVIO_PATH, {"-q", text.path(), back.path()}, programStackKilobytes);
    EXPECT_EQ(run.status, 0) << overflow;
    EXPECT_EQ(run.out + run.err, "");
    Bytes original = toBytes(Pelk::testing::readWholeFile(gds));
    Bytes want = carriedRecords(original, true);
    want.resize((want.size() + 2047) / 2048 * 2048, 0);
    Bytes got = toBytes(Pelk::testing::readWholeFile(back.path()));
    EXPECT_EQ(got, want);
    // Only a layout holding such reals needs the allowance.
    bool realsExact = carriedRecords(original, false) == carriedRecords(original, true);
    EXPECT_EQ(realsExact, std::string(GetParam()) != "openram_freepdk45_dff");
}

INSTANTIATE_TEST_SUITE_P(Fixtures, RealLayoutRoundTrip,
                         ::testing::Values("gf180_osu_sc_gp12t3v3__fill_1", "gf180mcu_as_sc_mcu7t3v3",
                                           "ihp_sg13g2_stdcell", "openram_freepdk45_dff"));

} // namespace
