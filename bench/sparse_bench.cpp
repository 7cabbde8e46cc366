// A merged nRF52-shaped image: 512 KiB of application at 0 and sixteen UICR
// bytes at 0x10001000, a 256 MiB window. What the editor does on opening it
// (load, first rows), searching it for something absent, summing it and
// listing its ranges must follow the bytes written, not the span; each is
// compared with the same work on a flat 512 KiB array. The same editor work
// on 65,536 bytes scattered one per 64 KiB over the whole 4 GiB space
// (Scattered*) must stay under 100 ms each.

#include "buffer/data_buffer.h"
#include "document/find_request.h"
#include "document/buffer_document.h"
#include "quiet_host.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <string>
#include <vector>

namespace {

constexpr Address kHigh = 0x10001000;
constexpr size_t kApp = 512 * 1024;

std::string IntelLine(unsigned address, unsigned type, const uint8_t* bytes, size_t n)
{
    char buf[16];
    unsigned sum = unsigned(n) + (address >> 8) + (address & 0xFF) + type;
    std::snprintf(buf, sizeof buf, ":%02X%04X%02X", unsigned(n), address & 0xFFFF, type);
    std::string line = buf;
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, "%02X", bytes[i]);
        line += buf;
        sum += bytes[i];
    }
    std::snprintf(buf, sizeof buf, "%02X\r\n", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + buf;
}

const std::vector<uint8_t>& App()
{
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> b(kApp);
        uint32_t x = 1;
        for (uint8_t& v : b)
            v = uint8_t((x = x * 1103515245u + 12345u) >> 16) & 0x7F;
        return b;
    }();
    return bytes;
}

const std::string& MergedFile()
{
    static const std::string path = [] {
        std::string text;
        const auto& app = App();
        for (size_t i = 0; i < app.size(); i += 32) {
            if (i % 0x10000 == 0) {
                const uint8_t upper[2] = {uint8_t(i >> 24), uint8_t(i >> 16)};
                text += IntelLine(0, 4, upper, 2);
            }
            text += IntelLine(unsigned(i), 0, app.data() + i, 32);
        }
        const uint8_t upper[2] = {uint8_t(kHigh >> 24), uint8_t(kHigh >> 16)};
        text += IntelLine(0, 4, upper, 2);
        const uint8_t uicr[16] = {0x80, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87,
                                  0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E, 0x8F};
        text += IntelLine(unsigned(kHigh), 0, uicr, 16);
        text += ":00000001FF\r\n";
        std::string file = (std::filesystem::temp_directory_path() / "dravel-sparse-bench.int").string();
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }();
    return path;
}

struct Opened {
    QuietHost host;
    std::string settings = (std::filesystem::temp_directory_path() / "dravel-sparse-bench.ini").string();
    OBufferDocument doc{host, settings, "ext"};
    Opened() { doc.Open(MergedFile()); }
};

Opened& Shared()
{
    static Opened opened;
    return opened;
}

void BM_OpenToFirstRows(benchmark::State& state)
{
    for (auto _ : state) {
        Opened opened;
        char row[OBufferDocument::kHexRowSize];
        for (Address r = 0; r < 40; ++r)
            opened.doc.HexRow(row, r);
        benchmark::DoNotOptimize(row[0]);
    }
}

void BM_FindNothing(benchmark::State& state)
{
    FindRequest request;
    request.hex = true;
    request.pattern = {0x12, 0x34, 0x56, 0x78};
    request.length = 4;
    for (auto _ : state)
        benchmark::DoNotOptimize(Shared().doc.Find(request, 0));
}

void BM_SumWindow(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Shared().doc.SumWindow());
}

void BM_SavedRanges(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(Shared().doc.SavedRanges().size());
}

const std::string& ScatteredFile()
{
    static const std::string path = [] {
        std::string text;
        for (unsigned i = 0; i < 65536; ++i) {
            const uint8_t upper[2] = {uint8_t(i >> 8), uint8_t(i)};
            const uint8_t byte = uint8_t(i);
            text += IntelLine(0, 4, upper, 2) + IntelLine((i * 7919u) & 0xFFFFu, 0, &byte, 1);
        }
        text += ":00000001FF\r\n";
        std::string file = (std::filesystem::temp_directory_path() / "dravel-scattered-bench.int").string();
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }();
    return path;
}

struct Scattered {
    QuietHost host;
    std::string settings = (std::filesystem::temp_directory_path() / "dravel-sparse-bench.ini").string();
    OBufferDocument doc{host, settings, "ext"};
    Scattered() { doc.Open(ScatteredFile()); }
};

Scattered& SharedScattered()
{
    static Scattered opened;
    return opened;
}

void BM_ScatteredOpen(benchmark::State& state)
{
    for (auto _ : state) {
        Scattered opened;
        char row[OBufferDocument::kHexRowSize];
        for (Address r = 0; r < 40; ++r)
            opened.doc.HexRow(row, r);
        benchmark::DoNotOptimize(row[0]);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MiB"] = double(usage.ru_maxrss) / 1024;
}

// Ctrl+End: the rows of the window's last screen.
void BM_ScatteredLastRows(benchmark::State& state)
{
    OBufferDocument& doc = SharedScattered().doc;
    char row[OBufferDocument::kHexRowSize];
    for (auto _ : state) {
        const Address last = (doc.End() - 1) / OBufferDocument::kBytesPerRow;
        for (Address r = last - 39; r <= last; ++r)
            doc.HexRow(row, r);
        benchmark::DoNotOptimize(row[0]);
    }
}

void BM_ScatteredFindNothing(benchmark::State& state)
{
    FindRequest request;
    request.hex = true;
    request.pattern = {0x12, 0x34, 0x56, 0x78};
    request.length = 4;
    for (auto _ : state)
        benchmark::DoNotOptimize(SharedScattered().doc.Find(request, 0));
}

void BM_ScatteredSum(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(SharedScattered().doc.SumWindow());
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MiB"] = double(usage.ru_maxrss) / 1024;
}

// Baselines: the same work on the written bytes as one flat array.
void BM_FlatMemmem(benchmark::State& state)
{
    const uint8_t pattern[4] = {0x12, 0x34, 0x56, 0x78};
    for (auto _ : state)
        benchmark::DoNotOptimize(memmem(App().data(), App().size(), pattern, 4));
}

void BM_FlatSum(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(std::accumulate(App().begin(), App().end(), 0u));
}

}  // namespace

BENCHMARK(BM_OpenToFirstRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindNothing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlatMemmem)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SumWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FlatSum)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SavedRanges)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScatteredOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScatteredLastRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScatteredFindNothing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ScatteredSum)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
