// Test support: seeded random GDSII libraries that use every record kind,
// every optional record and every coordinate form, limited to the values
// the text form carries back (names without blanks, 6-digit reals, ...).
#pragma once

#include "stream_builder.hpp"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace Pelk::calvio::testing {

class RandomLibrary {
public:
    explicit RandomLibrary(std::uint32_t seed) : random(seed) {}

    Pelk::testing::StreamBuilder build()
    {
        Pelk::testing::StreamBuilder b;
        b.int2(0x0002, {int2()});
        b.dates(0x0102, stamps());
        if (chance(3))
            b.int2(0x3902, {int2()});
        if (chance(3))
            b.text(0x3A06, name());
        if (chance(3))
            b.int2(0x3B02, {int2()});
        b.text(0x0206, name());
        if (chance(3))
            b.record(0x1F06, nameSlots(2));
        if (chance(3))
            b.record(0x2006, nameSlots(4));
        if (chance(3))
            b.text(0x2306, name());
        if (chance(3))
            b.int2(0x2202, {int2()});
        if (chance(3)) {
            b.int2(0x3602, {int2()});
            if (chance(2)) {
                for (int i = upTo(3); i >= 0; --i)
                    b.text(0x3706, name());
                b.record(0x3800);
            }
        }
        b.real8(0x0305, {real(), real()});
        for (int s = upTo(4); s > 0; --s) {
            b.dates(0x0502, stamps());
            b.text(0x0606, name());
            if (chance(4))
                b.record(0x3401);
            for (int e = upTo(8); e > 0; --e)
                element(b);
            b.record(0x0700);
        }
        b.record(0x0400);
        return b;
    }

private:
    int upTo(int n) { return std::uniform_int_distribution<int>(0, n)(random); }
    bool chance(int oneIn) { return upTo(oneIn - 1) == 0; }
    std::int32_t int2() { return std::uniform_int_distribution<std::int32_t>(-32768, 32767)(random); }
    std::int32_t int4()
    {
        // Small values most of the time, the whole range sometimes.
        if (chance(4))
            return static_cast<std::int32_t>(random());
        return std::uniform_int_distribution<std::int32_t>(-100000, 100000)(random);
    }

    Pelk::testing::DateStamps stamps()
    {
        Pelk::testing::DateStamps d;
        for (auto& v : d)
            v = static_cast<std::int16_t>(chance(3) ? int2() : upTo(60));
        return d;
    }

    // A word that no keyword of the text form begins.
    std::string name(std::size_t maxLength = 12)
    {
        static const std::string first = "abcdefghijklmnopqrstuvwxyz_";
        std::string n(1, first[upTo(static_cast<int>(first.size()) - 1)]);
        for (std::size_t i = upTo(static_cast<int>(maxLength) - 1); i > 0; --i) {
            int c = chance(10) ? 0x80 + upTo(0x7F) : 0x21 + upTo(0x7E - 0x21);
            n += static_cast<char>(c);
        }
        return n;
    }

    // Named slots first, then empty ones up to the minimum.
    Pelk::testing::Bytes nameSlots(int minimum)
    {
        Pelk::testing::Bytes p;
        int names = 1 + upTo(minimum + 1);
        for (int i = 0; i < std::max(names, minimum); ++i) {
            std::string n = i < names ? (chance(4) ? std::string(44, 'w') : name(44)) : "";
            n.resize(44, '\0');
            p.insert(p.end(), n.begin(), n.end());
        }
        return p;
    }

    // Six significant digits, as the text form prints a real.
    double real()
    {
        if (chance(8))
            return 0.0;
        char text[40];
        std::snprintf(text, sizeof text, "%s%d.%05de%d", chance(2) ? "-" : "", 1 + upTo(8), upTo(99999),
                      upTo(140) - 70);
        return std::strtod(text, nullptr);
    }

    std::string textString()
    {
        std::string s;
        for (int i = upTo(20); i >= 0; --i) {
            int c = 1 + upTo(254);
            s += static_cast<char>(c == '"' ? ' ' : c);
        }
        return s;
    }

    std::vector<Pelk::testing::Point> points()
    {
        std::vector<Pelk::testing::Point> p;
        switch (upTo(4)) {
        case 0:
            p.push_back({int4(), int4()});
            break;
        case 1: { // a closed rectangle from any corner, either way round
            std::int32_t x[2] = {int4(), chance(5) ? 0 : int4()};
            std::int32_t y[2] = {int4(), chance(5) ? 0 : int4()};
            int corner = upTo(3);
            bool clockwise = chance(2);
            const int order[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
            for (int i = 0; i < 5; ++i) {
                int k = (corner + (clockwise ? 4 - i : i)) % 4;
                p.push_back({x[order[k][0]], y[order[k][1]]});
            }
            break;
        }
        case 2: // five points that are not a rectangle
            for (int i = 0; i < 5; ++i)
                p.push_back({int4(), int4()});
            break;
        default: {
            int n = chance(40) ? 4096 : upTo(12);
            for (int i = 0; i < n; ++i)
                p.push_back({int4(), int4()});
        }
        }
        return p;
    }

    void transform(Pelk::testing::StreamBuilder& b)
    {
        if (!chance(2))
            return;
        b.int2(0x1A01, {int2()});
        if (chance(2))
            b.real8(0x1B05, {real()});
        if (chance(2))
            b.real8(0x1C05, {real()});
    }

    void element(Pelk::testing::StreamBuilder& b)
    {
        static const std::uint16_t kinds[] = {0x0800, 0x0900, 0x0A00, 0x0B00, 0x0C00, 0x1500, 0x2D00};
        std::uint16_t kind = kinds[upTo(6)];
        b.record(kind);
        if (chance(3))
            b.int2(0x2601, {int2()});
        if (chance(3))
            b.int4(0x2F03, {int4()});
        switch (kind) {
        case 0x0800:
            b.int2(0x0D02, {int2()}).int2(0x0E02, {int2()});
            break;
        case 0x0900:
            b.int2(0x0D02, {int2()}).int2(0x0E02, {int2()});
            if (chance(2))
                b.int2(0x2102, {int2()});
            if (chance(2))
                b.int4(0x0F03, {int4()});
            if (chance(2))
                b.int4(0x3003, {int4()});
            if (chance(2))
                b.int4(0x3103, {int4()});
            break;
        case 0x0A00:
            b.text(0x1206, name());
            transform(b);
            break;
        case 0x0B00:
            b.text(0x1206, name());
            transform(b);
            b.int2(0x1302, {int2(), int2()});
            break;
        case 0x0C00:
            b.int2(0x0D02, {int2()}).int2(0x1602, {int2()});
            if (chance(2))
                b.int2(0x1701, {int2()});
            if (chance(2))
                b.int2(0x2102, {int2()});
            if (chance(2))
                b.int4(0x0F03, {int4()});
            transform(b);
            break;
        case 0x1500:
            b.int2(0x0D02, {int2()}).int2(0x2A02, {int2()});
            break;
        default:
            b.int2(0x0D02, {int2()}).int2(0x2E02, {int2()});
        }
        b.xy(points());
        if (kind == 0x0C00)
            b.text(0x1906, textString());
        for (int i = upTo(3) - 1; i > 0; --i)
            b.int2(0x2B02, {int2()}).text(0x2C06, name());
        b.record(0x1100);
    }

    std::mt19937 random;
};

} // namespace Pelk::calvio::testing
