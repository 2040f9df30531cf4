// Writes a deterministic GDSII library of about the requested size for the
// benchmarks: a few hundred structures of mostly rectangles and 4- to
// 64-point polygons, with some paths, texts, SREFs and AREFs.
#include "stream_builder.hpp"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>

namespace {

using Pelk::testing::Point;
using Pelk::testing::StreamBuilder;

void flushTo(std::ofstream& out, StreamBuilder& b, std::size_t& written)
{
    out.write(reinterpret_cast<const char*>(b.bytes().data()), static_cast<std::streamsize>(b.size()));
    written += b.size();
    b = StreamBuilder();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: generate-library <output.gds> <megabytes> [structures]\n");
        return 2;
    }
    const std::size_t target = static_cast<std::size_t>(std::atof(argv[2]) * 1e6);
    const int structures = argc == 4 ? std::max(1, std::atoi(argv[3])) : 400;
    const std::size_t perStructure = target / structures;
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    std::mt19937 random(12345);
    auto coordinate = [&] { return static_cast<std::int32_t>(random() % 2000000) - 1000000; };
    auto small = [&](int n) { return static_cast<std::int32_t>(random() % static_cast<unsigned>(n)); };

    std::size_t written = 0;
    StreamBuilder b;
    b.libraryStart("BENCH");
    for (int s = 0; s < structures; ++s) {
        b.bgnstr("CELL_" + std::to_string(s));
        const std::size_t end = written + b.size() + perStructure;
        while (written + b.size() < end) {
            int pick = small(100);
            std::int32_t x = coordinate(), y = coordinate();
            if (pick < 60) {
                b.rectangle(small(64), x, y, x + 1 + small(5000), y + 1 + small(5000));
            } else if (pick < 85) {
                std::vector<Point> points;
                int n = 4 + small(61);
                for (int k = 0; k < n - 1; ++k)
                    points.push_back({x + small(20000), y + small(20000)});
                points.push_back(points.front());
                b.boundary(small(64), small(4), points);
            } else if (pick < 93) {
                std::vector<Point> points;
                for (int k = 2 + small(8); k > 0; --k)
                    points.push_back({x + small(20000), y + small(20000)});
                b.record(0x0900).int2(0x0D02, {small(64)}).int2(0x0E02, {0}).int4(0x0F03, {10 + small(500)});
                b.xy(points).endel();
            } else if (pick < 96) {
                b.record(0x0C00).int2(0x0D02, {small(64)}).int2(0x1602, {0}).xy({{x, y}});
                b.text(0x1906, "net_" + std::to_string(small(100000))).endel();
            } else if (s > 0 && pick < 99) {
                b.sref("CELL_" + std::to_string(small(s)), {x, y});
            } else if (s > 0) {
                b.record(0x0B00).text(0x1206, "CELL_" + std::to_string(small(s))).int2(0x1A01, {0});
                b.real8(0x1C05, {90}).int2(0x1302, {1 + small(8), 1 + small(8)});
                b.xy({{x, y}, {x + 8000, y}, {x, y + 8000}}).endel();
            }
            if (b.size() > (1 << 20))
                flushTo(out, b, written);
        }
        b.endstr();
    }
    b.endlib();
    flushTo(out, b, written);
    std::printf("%zu bytes\n", written);
    return out.good() ? 0 : 1;
}
