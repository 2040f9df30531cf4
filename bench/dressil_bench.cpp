// Benchmark of dressil on generated libraries: throughput over a ~200 MB
// library, and peak memory against a library of the same structures holding
// a quarter of the elements (memory should follow the structures, not the
// file size). Usage: dressil_bench <dressil program> <scratch folder> [runs]
#include "stream_builder.hpp"

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Pelk::testing::StreamBuilder;

constexpr int structureCount = 20000;

std::string cellName(int i) { return "cell_" + std::to_string(i); }

// A mix like a standard-cell layout: mostly rectangles, some polygons,
// paths and labels, and placements of cells generated before.
void writeStructure(std::ofstream& out, int index, int elements, std::mt19937& random)
{
    StreamBuilder b;
    b.bgnstr(cellName(index));
    std::uniform_int_distribution<int> kind(0, 99);
    std::uniform_int_distribution<std::int32_t> coordinate(-100000, 100000);
    // Each cell draws on a dozen of the process's 60 layers.
    std::vector<int> cellLayers;
    for (int i = 0; i < 12; ++i)
        cellLayers.push_back(std::uniform_int_distribution<int>(1, 60)(random));
    std::uniform_int_distribution<std::size_t> pick(0, cellLayers.size() - 1);
    auto layer = [&](std::mt19937&) { return cellLayers[pick(random)]; };
    for (int e = 0; e < elements; ++e) {
        int k = kind(random);
        std::int32_t x = coordinate(random), y = coordinate(random);
        if (k < 60) {
            b.rectangle(layer(random), x, y, x + 140, y + 280);
        } else if (k < 75) {
            b.boundary(layer(random), 0, {{x, y}, {x + 300, y}, {x + 300, y + 100}, {x + 150, y + 200},
                                          {x, y + 200}, {x - 50, y + 100}, {x, y}});
        } else if (k < 85) {
            b.record(0x0900).int2(0x0D02, {layer(random)}).int2(0x0E02, {0}).int4(0x0F03, {140});
            b.xy({{x, y}, {x + 1000, y}, {x + 1000, y + 2000}}).endel();
        } else if (k < 95) {
            b.record(0x0C00).int2(0x0D02, {layer(random)}).int2(0x1602, {0}).xy({{x, y}});
            b.text(0x1906, "net_" + std::to_string(e)).endel();
        } else if (index > 0) {
            int placed = std::uniform_int_distribution<int>(std::max(0, index - 50), index - 1)(random);
            if (k < 98)
                b.sref(cellName(placed), {x, y});
            else
                b.aref(cellName(placed), 4, 8, {{x, y}, {x + 4000, y}, {x, y + 8000}});
        }
    }
    b.endstr();
    out.write(reinterpret_cast<const char*>(b.bytes().data()), static_cast<std::streamsize>(b.size()));
}

void generateLibrary(const std::string& path, int elementsPerStructure)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::mt19937 random(42);
    StreamBuilder head;
    head.libraryStart("BENCH");
    out.write(reinterpret_cast<const char*>(head.bytes().data()), static_cast<std::streamsize>(head.size()));
    for (int i = 0; i < structureCount; ++i)
        writeStructure(out, i, elementsPerStructure, random);
    StreamBuilder tail;
    tail.endlib();
    out.write(reinterpret_cast<const char*>(tail.bytes().data()), static_cast<std::streamsize>(tail.size()));
}

struct Measurement {
    double seconds;
    long peakKilobytes;
    int status;
};

Measurement runDressil(const std::string& program, const std::string& library, const std::string& report)
{
    std::vector<std::string> arguments{program, "-q", library, report};
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return {0, 0, -1};
    int wstatus = 0;
    rusage usage{};
    wait4(pid, &wstatus, 0, &usage);
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return {elapsed.count(), usage.ru_maxrss, WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1};
}

// Best and median of several runs; the first run also warms the page cache.
void measure(const std::string& program, const std::string& library, const std::string& report, int runs)
{
    double megabytes = static_cast<double>(std::filesystem::file_size(library)) / 1e6;
    runDressil(program, library, report);
    std::vector<Measurement> results;
    for (int i = 0; i < runs; ++i)
        results.push_back(runDressil(program, library, report));
    std::sort(results.begin(), results.end(), [](auto& a, auto& b) { return a.seconds < b.seconds; });
    long peak = 0;
    for (const Measurement& m : results) {
        peak = std::max(peak, m.peakKilobytes);
        if (m.status != 0)
            std::printf("run failed with status %d\n", m.status);
    }
    const Measurement& best = results.front();
    const Measurement& median = results[results.size() / 2];
    std::printf("%-28s %8.1f MB  best %7.3f s (%6.0f MB/s)  median %7.3f s (%6.0f MB/s)  peak RSS %6.1f MB\n",
                std::filesystem::path(library).filename().c_str(), megabytes, best.seconds,
                megabytes / best.seconds, median.seconds, megabytes / median.seconds, peak / 1024.0);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: dressil_bench <dressil program> <scratch folder> [runs]\n");
        return 2;
    }
    const std::string program = argv[1];
    const std::filesystem::path scratch = argv[2];
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 5;
    std::filesystem::create_directories(scratch);

    const std::string large = (scratch / "dressil_bench_200mb.gds").string();
    const std::string small = (scratch / "dressil_bench_quarter.gds").string();
    if (!std::filesystem::exists(large))
        generateLibrary(large, 160);
    if (!std::filesystem::exists(small))
        generateLibrary(small, 40);

    std::printf("dressil on %d structures\n", structureCount);
    measure(program, large, (scratch / "dressil_bench_report.txt").string(), runs);
    measure(program, small, (scratch / "dressil_bench_report.txt").string(), runs);
    return 0;
}
