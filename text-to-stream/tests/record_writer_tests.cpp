#include "record_writer.hpp"
#include "text_conversion_fixture.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

using namespace Pelk::calvio;
using namespace Pelk::calvio::testing;
using Pelk::core::StreamRecord;

std::string real8Hex(double value)
{
    StreamRecord record;
    pushReal8(startRecord(record, 0x1B05), value);
    std::string hex;
    char digits[4];
    for (std::uint32_t i = 0; i < record.payload.size(); ++i) {
        std::snprintf(digits, sizeof digits, "%02X", record.payload[i]);
        hex += digits;
    }
    return hex;
}

TEST(PushReal8, WritesTheExactExcess64Form)
{
    struct Case {
        double value;
        const char* hex;
    } cases[] = {
        {1.0, "4110000000000000"},
        {-1.0, "C110000000000000"},
        {0.5, "4080000000000000"},
        {90.0, "425A000000000000"},
        {0.001, "3E4189374BC6A7F0"},
        {1e-9, "3944B82FA09B5A54"},
        {0.0, "4000000000000000"},
        {-0.0, "4000000000000000"},
        // Exact powers of 16 get a normalised mantissa.
        {16.0, "4210000000000000"},
        {1.0 / 16, "4010000000000000"},
        {std::pow(16.0, 20), "5510000000000000"},
        {std::pow(16.0, -20), "2D10000000000000"},
        // Where the logarithm's estimate is one off and only the correction normalises.
        {std::pow(16.0, -29), "2410000000000000"},
        {std::pow(16.0, -31), "2210000000000000"},
        // Just below a power of 16, where the logarithm rounds up.
        {std::nextafter(16.0, 0.0), "41FFFFFFFFFFFFF8"},
        {std::nextafter(1.0, 0.0), "40FFFFFFFFFFFFF8"},
        {std::nextafter(std::pow(16.0, 10), 0.0), "4AFFFFFFFFFFFFF8"},
        // The ends of the range.
        {std::nextafter(std::ldexp(1.0, 252), 0.0), "7FFFFFFFFFFFFFF8"},
        {std::ldexp(1.0, -260), "0010000000000000"},
        // Too small for the 8-byte real: zero.
        {std::ldexp(1.0, -261), "4000000000000000"},
        {-std::ldexp(1.0, -300), "4000000000000000"},
        {std::numeric_limits<double>::denorm_min(), "4000000000000000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(real8Hex(c.value), c.hex) << c.value;
}

TEST(PushReal8, RefusesWhatItCannotWrite)
{
    for (double value : {std::ldexp(1.0, 252), -std::ldexp(1.0, 300), std::numeric_limits<double>::infinity(),
                         -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        StreamRecord record;
        EXPECT_THROW(pushReal8(startRecord(record, 0x1B05), value), const char*) << value;
    }
}

TEST(PushReal8, DecodesBackToTheSameDouble)
{
    // Every double in range survives: 53 bits fit in the 56-bit mantissa.
    std::uint64_t state = 12345;
    for (int i = 0; i < 20000; ++i) {
        state = state * 6364136223846793005u + 1442695040888963407u;
        double value = std::ldexp(static_cast<double>(state >> 11), static_cast<int>(state % 400) - 250 - 53);
        if (i % 2)
            value = -value;
        StreamRecord record;
        pushReal8(startRecord(record, 0x1B05), value);
        ASSERT_EQ(Pelk::core::decodeReal8(record.payload.data()), value) << value;
    }
}

TEST(RecordWriters, WholeRecords)
{
    Bytes got = captureRecords([](RecordOutput& out) {
        StreamRecord name;
        pushString(startRecord(name, 0x0606), "ABCDE");
        writeRecord(out, name);
        StreamRecord even;
        pushString(startRecord(even, 0x0606), "ABCD");
        writeRecord(out, even);
        StreamRecord empty;
        pushString(startRecord(empty, 0x1906), "");
        writeRecord(out, empty);
        StreamRecord odd;
        startRecord(odd, 0x3B02).payload.push_back(7);
        writeRecord(out, odd);
        StreamRecord xy;
        pushInt4(startRecord(xy, 0x1003), -20);
        pushInt4(xy, 10);
        writeRecord(out, xy);
        writeRecordBytes(out, 0x0400, nullptr, 0);
        writeInt2Record(out, int2Record(0x0D02, -2));
        writeInt4Record(out, int4Record(0x2F03, 65538));
        Pelk::core::FixedRecord<24> stamps{0x0102, {}};
        for (std::size_t i = 0; i < 24; ++i)
            stamps.payload[i] = static_cast<std::uint8_t>(i);
        writeFixed24Record(out, stamps);
    });
    Bytes want = {0x00, 0x0A, 0x06, 0x06, 'A', 'B', 'C', 'D', 'E', 0x00,  // odd name padded
                  0x00, 0x08, 0x06, 0x06, 'A', 'B', 'C', 'D',             //
                  0x00, 0x04, 0x19, 0x06,                                 // empty string
                  0x00, 0x06, 0x3B, 0x02, 0x07, 0x00,                     // odd count padded
                  0x00, 0x0C, 0x10, 0x03, 0xFF, 0xFF, 0xFF, 0xEC, 0x00, 0x00, 0x00, 0x0A,
                  0x00, 0x04, 0x04, 0x00,                                 //
                  0x00, 0x06, 0x0D, 0x02, 0xFF, 0xFE,                     //
                  0x00, 0x08, 0x2F, 0x03, 0x00, 0x01, 0x00, 0x02,         //
                  0x00, 0x1C, 0x01, 0x02};
    for (std::uint8_t i = 0; i < 24; ++i)
        want.push_back(i);
    EXPECT_EQ(got, want);
}

TEST(RecordWriters, AFullPayloadFitsAndOneByteMoreThrows)
{
    Bytes got = captureRecords([](RecordOutput& out) {
        StreamRecord full;
        startRecord(full, 0x1906);
        for (int i = 0; i < 32768; ++i)
            full.payload.push_back('x');
        writeRecord(out, full);
    });
    ASSERT_EQ(got.size(), 32772u);
    EXPECT_EQ(got[0], 0x80);
    EXPECT_EQ(got[1], 0x04);

    StreamRecord over;
    pushString(startRecord(over, 0x1906), std::string(32768, 'x'));
    try {
        pushInt2(over, 1);
        FAIL() << "no throw";
    } catch (const char* failure) {
        EXPECT_STREQ(failure, "StaticVector::push_back");
    }
}

} // namespace
