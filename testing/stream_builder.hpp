// Test support: writes GDSII byte streams record by record, so a test states
// the records it means rather than a hex dump.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace Pelk::testing {

using Bytes = std::vector<std::uint8_t>;
using Point = std::pair<std::int32_t, std::int32_t>;
using DateStamps = std::array<std::int16_t, 12>;

inline constexpr DateStamps sampleDates{2010, 4, 17, 9, 5, 3, 2010, 4, 17, 9, 5, 3};

// Exact for the values tests use (0.001, 1e-9, 1, 90, ...): normalised so
// that 1/16 <= mantissa < 1, rounded to 56 bits.
inline std::array<std::uint8_t, 8> encodeReal8(double value)
{
    std::array<std::uint8_t, 8> out{};
    if (value == 0) {
        out[0] = 0x40;
        return out;
    }
    std::uint8_t sign = value < 0 ? 0x80 : 0;
    long double m = std::fabs(static_cast<long double>(value));
    int exponent = 64;
    while (m >= 1) {
        m /= 16;
        ++exponent;
    }
    while (m < 1.0L / 16) {
        m *= 16;
        --exponent;
    }
    auto mantissa = static_cast<std::uint64_t>(std::llround(std::ldexp(m, 56)));
    if (mantissa >> 56) {
        mantissa >>= 4;
        ++exponent;
    }
    out[0] = static_cast<std::uint8_t>(sign | exponent);
    for (int i = 7; i >= 1; --i, mantissa >>= 8)
        out[i] = static_cast<std::uint8_t>(mantissa & 0xFF);
    return out;
}

class StreamBuilder {
public:
    // A record with the given payload; the length field counts the header.
    StreamBuilder& record(std::uint16_t code, const Bytes& payload = {})
    {
        return recordWithLength(code, static_cast<std::uint16_t>(payload.size() + 4), payload);
    }

    // A record whose length field says something else than its payload.
    StreamBuilder& recordWithLength(std::uint16_t code, std::uint16_t length, const Bytes& payload)
    {
        put16(length);
        put16(code);
        bytes_.insert(bytes_.end(), payload.begin(), payload.end());
        return *this;
    }

    StreamBuilder& int2(std::uint16_t code, std::initializer_list<std::int32_t> values)
    {
        Bytes p;
        for (std::int32_t v : values) {
            p.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
            p.push_back(static_cast<std::uint8_t>(v & 0xFF));
        }
        return record(code, p);
    }

    StreamBuilder& int4(std::uint16_t code, std::initializer_list<std::int32_t> values)
    {
        return record(code, int4Payload(std::vector<std::int32_t>(values)));
    }

    // Names are padded with one NUL to an even length, as writers do.
    StreamBuilder& text(std::uint16_t code, std::string_view name)
    {
        Bytes p(name.begin(), name.end());
        if (p.size() % 2)
            p.push_back(0);
        return record(code, p);
    }

    StreamBuilder& real8(std::uint16_t code, std::initializer_list<double> values)
    {
        // Sized first: g++ 12 at -O3 takes growing inserts for an overflow.
        Bytes p(8 * values.size());
        std::size_t at = 0;
        for (double v : values) {
            auto r = encodeReal8(v);
            std::copy(r.begin(), r.end(), p.begin() + static_cast<std::ptrdiff_t>(at));
            at += 8;
        }
        return record(code, p);
    }

    StreamBuilder& dates(std::uint16_t code, const DateStamps& d)
    {
        Bytes p;
        for (std::int16_t v : d) {
            p.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
            p.push_back(static_cast<std::uint8_t>(v & 0xFF));
        }
        return record(code, p);
    }

    StreamBuilder& xy(const std::vector<Point>& points)
    {
        std::vector<std::int32_t> values;
        for (auto [x, y] : points) {
            values.push_back(x);
            values.push_back(y);
        }
        return record(0x1003, int4Payload(values));
    }

    // Common shapes of a library.
    StreamBuilder& header(std::int32_t version = 600) { return int2(0x0002, {version}); }
    StreamBuilder& bgnlib(const DateStamps& d = sampleDates) { return dates(0x0102, d); }
    StreamBuilder& libname(std::string_view name) { return text(0x0206, name); }
    StreamBuilder& units(double user = 0.001, double meters = 1e-9) { return real8(0x0305, {user, meters}); }
    StreamBuilder& libraryStart(std::string_view name = "LIB") { return header().bgnlib().libname(name).units(); }
    StreamBuilder& bgnstr(std::string_view name, const DateStamps& d = sampleDates)
    {
        return dates(0x0502, d).text(0x0606, name);
    }
    StreamBuilder& endstr() { return record(0x0700); }
    StreamBuilder& endlib() { return record(0x0400); }
    StreamBuilder& endel() { return record(0x1100); }
    StreamBuilder& boundary(std::int32_t layer, std::int32_t datatype, const std::vector<Point>& points)
    {
        return record(0x0800).int2(0x0D02, {layer}).int2(0x0E02, {datatype}).xy(points).endel();
    }
    StreamBuilder& rectangle(std::int32_t layer, std::int32_t x0, std::int32_t y0, std::int32_t x1, std::int32_t y1)
    {
        return boundary(layer, 0, {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}});
    }
    StreamBuilder& sref(std::string_view name, Point at)
    {
        return record(0x0A00).text(0x1206, name).xy({at}).endel();
    }
    StreamBuilder& aref(std::string_view name, std::int32_t cols, std::int32_t rows, const std::vector<Point>& points)
    {
        return record(0x0B00).text(0x1206, name).int2(0x1302, {cols, rows}).xy(points).endel();
    }

    StreamBuilder& raw(const Bytes& b)
    {
        bytes_.insert(bytes_.end(), b.begin(), b.end());
        return *this;
    }

    const Bytes& bytes() const { return bytes_; }
    std::size_t size() const { return bytes_.size(); }

    void writeTo(const std::string& path) const
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
    }

private:
    static Bytes int4Payload(const std::vector<std::int32_t>& values)
    {
        Bytes p;
        for (std::int32_t v : values) {
            auto u = static_cast<std::uint32_t>(v);
            for (int shift = 24; shift >= 0; shift -= 8)
                p.push_back(static_cast<std::uint8_t>((u >> shift) & 0xFF));
        }
        return p;
    }

    void put16(std::uint16_t v)
    {
        bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
        bytes_.push_back(static_cast<std::uint8_t>(v & 0xFF));
    }

    Bytes bytes_;
};

// A small library that exercises every kind of element: the bundled sample.
inline StreamBuilder sampleLibrary()
{
    StreamBuilder b;
    b.libraryStart("SAMPLE");
    b.bgnstr("SUB").rectangle(1, 0, 0, 100, 50).endstr();
    b.bgnstr("TOP");
    b.rectangle(1, 0, 0, 1000, 500);
    b.boundary(2, 0, {{0, 0}, {50, 0}, {70, 40}, {20, 60}, {-10, 30}, {0, 0}});
    b.record(0x0900).int2(0x0D02, {3}).int2(0x0E02, {0}).int4(0x0F03, {10}).xy({{0, 0}, {100, 0}, {100, 100}}).endel();
    b.sref("SUB", {10, 20});
    b.record(0x0B00).text(0x1206, "SUB").int2(0x1A01, {0}).real8(0x1B05, {2}).real8(0x1C05, {90});
    b.int2(0x1302, {2, 3}).xy({{0, 0}, {200, 0}, {0, 300}}).endel();
    b.record(0x0C00).int2(0x0D02, {5}).int2(0x1602, {0}).xy({{0, 0}}).text(0x1906, "hello").endel();
    b.endstr();
    b.endlib();
    return b;
}

} // namespace Pelk::testing
