// Writes a large GDSII library for calvio's benchmark: structures of
// rectangles, polygons, paths, references and texts, as layouts hold them.
// Usage: calvio_bench_library <output.gds> <structures>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

class StreamFile {
public:
    explicit StreamFile(const char* path) : file(std::fopen(path, "wb")) {}
    ~StreamFile()
    {
        if (file)
            std::fclose(file);
    }
    bool ok() const { return file != nullptr; }

    void record(std::uint16_t code, const std::vector<std::uint8_t>& payload = {})
    {
        put16(static_cast<std::uint16_t>(payload.size() + 4));
        put16(code);
        std::fwrite(payload.data(), 1, payload.size(), file);
    }
    void int2(std::uint16_t code, std::initializer_list<std::int32_t> values)
    {
        std::vector<std::uint8_t> p;
        for (std::int32_t v : values)
            p.insert(p.end(), {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
        record(code, p);
    }
    void int4(std::uint16_t code, const std::vector<std::int32_t>& values)
    {
        std::vector<std::uint8_t> p;
        for (std::int32_t v : values) {
            auto u = static_cast<std::uint32_t>(v);
            p.insert(p.end(), {static_cast<std::uint8_t>(u >> 24), static_cast<std::uint8_t>(u >> 16),
                               static_cast<std::uint8_t>(u >> 8), static_cast<std::uint8_t>(u)});
        }
        record(code, p);
    }
    void text(std::uint16_t code, const std::string& s)
    {
        std::vector<std::uint8_t> p(s.begin(), s.end());
        if (p.size() % 2)
            p.push_back(0);
        record(code, p);
    }
    void raw(std::uint16_t code, std::initializer_list<std::uint8_t> bytes) { record(code, bytes); }

private:
    void put16(std::uint16_t v)
    {
        std::fputc(v >> 8, file);
        std::fputc(v & 0xFF, file);
    }
    std::FILE* file;
};

const std::initializer_list<std::int32_t> stamps = {2024, 3, 1, 12, 30, 5, 2024, 3, 1, 12, 30, 5};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: calvio_bench_library <output.gds> <structures>\n");
        return 2;
    }
    StreamFile out(argv[1]);
    if (!out.ok()) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    int structures = std::atoi(argv[2]);
    std::mt19937 random(2024);
    auto coordinate = [&] { return std::uniform_int_distribution<std::int32_t>(-500000, 500000)(random); };
    auto small = [&](int n) { return std::uniform_int_distribution<std::int32_t>(0, n)(random); };

    out.int2(0x0002, {600});
    out.int2(0x0102, stamps);
    out.text(0x0206, "BENCH");
    // UNITS 0.001 1e-9
    out.raw(0x0305, {0x3E, 0x41, 0x89, 0x37, 0x4B, 0xC6, 0xA7, 0xF0, 0x39, 0x44, 0xB8, 0x2F, 0xA0, 0x9B, 0x5A, 0x54});
    for (int s = 0; s < structures; ++s) {
        out.int2(0x0502, stamps);
        out.text(0x0606, "CELL_" + std::to_string(s));
        for (int e = 0; e < 400; ++e) {
            int kind = small(19);
            std::int32_t x = coordinate(), y = coordinate();
            if (kind < 12) { // rectangle
                std::int32_t w = 1 + small(5000), h = 1 + small(5000);
                out.record(0x0800);
                out.int2(0x0D02, {small(60)});
                out.int2(0x0E02, {0});
                out.int4(0x1003, {x, y, x + w, y, x + w, y + h, x, y + h, x, y});
            } else if (kind < 16) { // polygon
                out.record(0x0800);
                out.int2(0x0D02, {small(60)});
                out.int2(0x0E02, {small(3)});
                std::vector<std::int32_t> xy;
                int n = 6 + small(24);
                for (int i = 0; i < n; ++i) {
                    xy.push_back(x + small(20000));
                    xy.push_back(y + small(20000));
                }
                xy.push_back(xy[0]);
                xy.push_back(xy[1]);
                out.int4(0x1003, xy);
            } else if (kind < 18) { // path
                out.record(0x0900);
                out.int2(0x0D02, {small(60)});
                out.int2(0x0E02, {0});
                out.int2(0x2102, {2});
                out.int4(0x0F03, {10 + small(200)});
                std::vector<std::int32_t> xy;
                for (int i = 0, n = 2 + small(8); i < n; ++i) {
                    xy.push_back(x + small(50000));
                    xy.push_back(y + small(50000));
                }
                out.int4(0x1003, xy);
            } else if (kind == 18 && s > 0) { // reference
                out.record(0x0A00);
                out.text(0x1206, "CELL_" + std::to_string(small(s - 1)));
                out.raw(0x1A01, {0x80, 0x00});
                out.raw(0x1C05, {0x42, 0x5A, 0, 0, 0, 0, 0, 0});
                out.int4(0x1003, {x, y});
            } else { // label
                out.record(0x0C00);
                out.int2(0x0D02, {small(60)});
                out.int2(0x1602, {0});
                out.raw(0x1701, {0x00, 0x05});
                out.int4(0x1003, {x, y});
                out.text(0x1906, "net_" + std::to_string(small(100000)));
            }
            out.record(0x1100);
        }
        out.record(0x0700);
    }
    out.record(0x0400);
    return 0;
}
