#include "pelk/record_nodes.hpp"
#include "pelk/rectangle.hpp"
#include "stream_builder.hpp"
#include "test_files.hpp"

#include <gtest/gtest.h>

#include <array>
#include <span>

namespace {

using namespace Pelk::core;
using Pelk::testing::Bytes;
using Pelk::testing::StreamBuilder;

// Holds a file written from builder bytes and cursors over it.
struct StreamFixture {
    Pelk::testing::TemporaryFile input;
    std::unique_ptr<PagedFile> file;

    explicit StreamFixture(const Bytes& bytes)
        : input("records", bytes), file(std::make_unique<PagedFile>(input.path()))
    {
    }
    StreamCursor at(std::int64_t offset) { return {file.get(), offset}; }
    StreamCursor end() { return {file.get(), file->size()}; }
};

TEST(RecordParser, EndlibHasAnEmptyPayload)
{
    StreamFixture f(StreamBuilder().endlib().bytes());
    MatchedRecord record;
    auto r = RecordParser{Records::ENDLIB}.parse(f.at(0), f.end(), record);
    EXPECT_TRUE(r.matched);
    EXPECT_EQ(r.end.offset, 4);
    EXPECT_EQ(record.payloadLength, 0);
    EXPECT_EQ(record.payload.size(), 0u);
}

TEST(RecordParser, NamesEndAtNulOrPayloadEnd)
{
    StreamFixture full(StreamBuilder().record(Records::LIBNAME, {'A', 'B', 'C', 'D', 'E', 'F'}).bytes());
    MatchedRecord record;
    ASSERT_TRUE(RecordParser{Records::LIBNAME}.parse(full.at(0), full.end(), record).matched);
    EXPECT_EQ(payloadString(0xFFFFFFFF, 0, record), "ABCDEF");
    EXPECT_EQ(payloadString(4, 2, record), "CD");

    StreamFixture nul(StreamBuilder().record(Records::LIBNAME, {'A', 'B', 'C', 'D', 'E', 0}).bytes());
    ASSERT_TRUE(RecordParser{Records::LIBNAME}.parse(nul.at(0), nul.end(), record).matched);
    EXPECT_EQ(payloadString(0xFFFFFFFF, 0, record), "ABCDE");
}

TEST(RecordParser, OtherCodeFailsWhereItWasTried)
{
    StreamFixture f(StreamBuilder().endlib().endlib().bytes());
    MatchedRecord record;
    ASSERT_TRUE(RecordParser{Records::ENDLIB}.parse(f.at(0), f.end(), record).matched);
    auto r = RecordParser{Records::ENDSTR}.parse(f.at(4), f.end(), record);
    EXPECT_FALSE(r.matched);
    EXPECT_EQ(r.end.offset, 4);
    // The record is left as the last match made it.
    EXPECT_EQ(record.code, Records::ENDLIB);
    EXPECT_EQ(record.payloadLength, 0);
}

TEST(RecordParser, PayloadCutShortByTheEndFailsAtTheEnd)
{
    StreamFixture f(StreamBuilder().recordWithLength(Records::XY, 20, {1, 2, 3, 4, 5, 6}).bytes());
    MatchedRecord record;
    auto r = RecordParser{Records::XY}.parse(f.at(0), f.end(), record);
    EXPECT_FALSE(r.matched);
    EXPECT_EQ(r.end.offset, 10);
    EXPECT_EQ(record.payload.size(), 6u);
}

TEST(RecordParser, OversizedPayloadsThrow)
{
    // A length field of 2 asks for ~4 GB; so does any length below 4.
    StreamFixture tiny(StreamBuilder().recordWithLength(Records::XY, 2, Bytes(40000, 0)).bytes());
    MatchedRecord record;
    EXPECT_THROW(RecordParser{Records::XY}.parse(tiny.at(0), tiny.end(), record), const char*);

    StreamFixture big(StreamBuilder().recordWithLength(Records::XY, 65535, Bytes(65531, 0)).bytes());
    EXPECT_THROW(RecordParser{Records::XY}.parse(big.at(0), big.end(), record), const char*);

    StreamFixture exact(StreamBuilder().recordWithLength(Records::XY, 32772, Bytes(32768, 1)).bytes());
    auto r = RecordParser{Records::XY}.parse(exact.at(0), exact.end(), record);
    EXPECT_TRUE(r.matched);
    EXPECT_EQ(record.payload.size(), 32768u);
}

// Read in place or copied across the window's edge, a payload is the same bytes.
TEST(RecordParser, APayloadAcrossTheWindowEdgeIsTheSameBytes)
{
    Bytes payload(40);
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<std::uint8_t>(i * 7 + 1);
    const Bytes xy = StreamBuilder().record(Records::XY, payload).bytes();
    for (std::int64_t before : {44, 41, 40, 39, 20, 5, 4, 1, 0}) {
        Bytes bytes(static_cast<std::size_t>(windowSize - before), 0);
        bytes.insert(bytes.end(), xy.begin(), xy.end());
        StreamFixture f(bytes);
        MatchedRecord record;
        auto r = RecordParser{Records::XY}.parse(f.at(windowSize - before), f.end(), record);
        ASSERT_TRUE(r.matched) << before;
        EXPECT_EQ(r.end.offset, windowSize - before + 44);
        EXPECT_EQ(Bytes(record.payload.data(), record.payload.data() + record.payload.size()), payload) << before;
    }
}

TEST(RecordParser, HeaderPastTheEndOfTheFileThrows)
{
    StreamFixture f(Bytes{0, 4, 4});
    MatchedRecord record;
    EXPECT_THROW(RecordParser{Records::ENDLIB}.parse(f.at(0), f.end(), record), const char*);
    // The type byte differs, so the data type past the end is never read.
    EXPECT_FALSE(RecordParser{Records::ENDSTR}.parse(f.at(0), f.end(), record).matched);
}

TEST(FixedRecordParser, TakesTheFixedSizeWhateverTheLengthField)
{
    StreamFixture f(StreamBuilder().int2(Records::HEADER, {600}).int2(Records::LIBSECUR, {1, 2, 3}).bytes());
    FixedRecord<2> record;
    auto header = FixedRecordParser<2>{Records::HEADER}.parse(f.at(0), f.end(), record);
    EXPECT_TRUE(header.matched);
    EXPECT_EQ(header.end.offset, 6);
    EXPECT_EQ(readUint2(record.payload.data()), 600);
    auto secur = FixedRecordParser<2>{Records::LIBSECUR}.parse(f.at(6), f.end(), record);
    EXPECT_TRUE(secur.matched);
    EXPECT_EQ(secur.end.offset, 12);
}

TEST(FixedRecordParser, FailsWhenTheEndCutsThePayload)
{
    StreamFixture f(StreamBuilder().recordWithLength(Records::UNITS, 20, Bytes(15, 0)).bytes());
    FixedRecord<16> record;
    auto r = FixedRecordParser<16>{Records::UNITS}.parse(f.at(0), f.end(), record);
    EXPECT_FALSE(r.matched);
    EXPECT_EQ(r.end.offset, 0);
}

TEST(Real8, DecodesTheExcess64Form)
{
    struct Case {
        Bytes bytes;
        double value;
    } cases[] = {
        {{0x41, 0x10, 0, 0, 0, 0, 0, 0}, 1.0},
        {{0x41, 0xA0, 0, 0, 0, 0, 0, 0}, 10.0},
        {{0xC1, 0x10, 0, 0, 0, 0, 0, 0}, -1.0},
        {{0x3E, 0x41, 0x89, 0x37, 0x4B, 0xC6, 0xA7, 0xF0}, 0.001},
        {{0x40, 0, 0, 0, 0, 0, 0, 0}, 0.0},
        {{0x7F, 0, 0, 0, 0, 0, 0, 0}, 0.0},
        {{0x39, 0x44, 0xB8, 0x2F, 0xA0, 0x9B, 0x5A, 0x54}, 1e-9},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(decodeReal8(c.bytes.data()), c.value);
    Bytes negativeZero{0x80, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_TRUE(std::signbit(decodeReal8(negativeZero.data())));
    Bytes largest{0x7F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_TRUE(std::isfinite(decodeReal8(largest.data())));
}

TEST(Real8, UnitsPairAndOutOfRangeIndex)
{
    Array<std::uint8_t, 16> units{{0x3E, 0x41, 0x89, 0x37, 0x4B, 0xC6, 0xA7, 0xF0, 0x41, 0x10}};
    EXPECT_DOUBLE_EQ(decodeReal8At(0, units), 0.001);
    EXPECT_DOUBLE_EQ(decodeReal8At(8, units), 1.0);
    EXPECT_THROW(decodeReal8At(9, units), const char*);
}

TEST(ReadInt4, ChecksTheWholeIntegerIsInThePayload)
{
    StreamFixture f(StreamBuilder().int4(Records::XY, {-7, 123456789}).bytes());
    MatchedRecord record;
    ASSERT_TRUE(RecordParser{Records::XY}.parse(f.at(0), f.end(), record).matched);
    EXPECT_EQ(readInt4(record, 0), -7);
    EXPECT_EQ(readInt4(record, 4), 123456789);
    EXPECT_THROW(readInt4(record, 5), const char*);
    EXPECT_THROW(readInt4(record, 0xFFFFFFFF), const char*);
}

// Each corner condition of either orientation, and the closure in x and in
// y, fails alone in one row: brenmo's RECT and dressil's count rest on it.
TEST(IsAxisRectangle, EveryConditionCounts)
{
    struct Case {
        std::vector<Pelk::testing::Point> points;
        bool rectangle;
        RectangleBounds bounds;
    } cases[] = {
        {{{0, 0}, {10, 0}, {10, 5}, {0, 5}, {0, 0}}, true, {0, 0, 10, 5}},
        {{{-3, 6}, {-3, -4}, {8, -4}, {8, 6}, {-3, 6}}, true, {-3, -4, 8, 6}},
        {{{0, 1}, {10, 0}, {10, 5}, {0, 5}, {0, 1}}, false, {}},
        {{{0, 0}, {9, 0}, {10, 5}, {0, 5}, {0, 0}}, false, {}},
        {{{0, 0}, {10, 0}, {10, 6}, {0, 5}, {0, 0}}, false, {}},
        {{{0, 0}, {10, 0}, {10, 5}, {1, 5}, {0, 0}}, false, {}},
        {{{1, 0}, {0, 5}, {10, 5}, {10, 0}, {1, 0}}, false, {}},
        {{{0, 0}, {0, 6}, {10, 5}, {10, 0}, {0, 0}}, false, {}},
        {{{0, 0}, {0, 5}, {9, 5}, {10, 0}, {0, 0}}, false, {}},
        {{{0, 0}, {0, 5}, {10, 5}, {10, 1}, {0, 0}}, false, {}},
        {{{0, 0}, {10, 0}, {10, 5}, {0, 5}, {1, 0}}, false, {}},
        {{{0, 0}, {10, 0}, {10, 5}, {0, 5}, {0, 1}}, false, {}},
        {{{0, 0}, {10, 0}, {10, 5}, {0, 5}, {0, 0}, {0, 0}}, false, {}},
        {{{0, 0}, {10, 0}, {10, 5}, {0, 5}}, false, {}},
    };
    for (std::size_t row = 0; row < std::size(cases); ++row) {
        const Case& c = cases[row];
        const Bytes record = StreamBuilder().xy(c.points).bytes();
        const std::span<const std::uint8_t> xy(record.data() + 4, record.size() - 4);
        EXPECT_EQ(isAxisRectangle(xy), c.rectangle) << "row " << row;
        if (c.rectangle) {
            RectangleBounds b = axisRectangleBounds(xy);
            EXPECT_EQ((std::array{b.xmin, b.ymin, b.xmax, b.ymax}),
                      (std::array{c.bounds.xmin, c.bounds.ymin, c.bounds.xmax, c.bounds.ymax}))
                << "row " << row;
        }
    }
}

} // namespace
