// Checksums over a fully written 16 MiB window against zlib's crc32 and a
// byte-at-a-time table CRC-32 over a flat array of the same bytes, and over
// a window as wide as the address space with 1 MiB written, whose gaps are
// computed rather than read.

#include "buffer/data_buffer.h"
#include "document/checksum.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr Address kFull = 16 << 20;
constexpr Address kWritten = 1 << 20;

const std::vector<uint8_t>& Flat()
{
    static const std::vector<uint8_t> bytes = [] {
        std::vector<uint8_t> b(static_cast<size_t>(kFull));
        std::mt19937 random(97);
        for (uint8_t& x : b)
            x = static_cast<uint8_t>(random());
        return b;
    }();
    return bytes;
}

// 16 MiB written from address 0.
const ODataBuffer& Full()
{
    static ODataBuffer* buffer = [] {
        auto* b = new ODataBuffer;
        b->SetPosition(0);
        b->PutBlock(Flat().data(), kFull);
        return b;
    }();
    return *buffer;
}

// 1 MiB in 16 runs spread over the whole address space.
const ODataBuffer& Sparse()
{
    static ODataBuffer* buffer = [] {
        auto* b = new ODataBuffer;
        const Address runs = 16, run = kWritten / runs;
        for (Address i = 0; i < runs; ++i) {
            b->SetPosition(i * (ODataBuffer::AddressLimit / runs));
            b->PutBlock(Flat().data() + i * run, run);
        }
        b->SetWindow(0, ODataBuffer::AddressLimit - 1);
        return b;
    }();
    return *buffer;
}

void BM_Flat_zlib_crc32(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(crc32_z(0, Flat().data(), Flat().size()));
    state.SetBytesProcessed(int64_t(state.iterations()) * kFull);
}
BENCHMARK(BM_Flat_zlib_crc32)->Unit(benchmark::kMillisecond);

// The classic CRC-32 loop, one table lookup per byte.
void BM_Flat_bytetable_crc32(benchmark::State& state)
{
    static uint32_t table[256];
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    for (auto _ : state) {
        uint32_t c = 0xFFFFFFFFu;
        for (uint8_t b : Flat())
            c = table[(c ^ b) & 0xFF] ^ (c >> 8);
        benchmark::DoNotOptimize(c ^ 0xFFFFFFFFu);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kFull);
}
BENCHMARK(BM_Flat_bytetable_crc32)->Unit(benchmark::kMillisecond);

void BM_Window16MiB(benchmark::State& state, const ChecksumAlgorithm* algorithm)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ComputeChecksum(*algorithm, Full(), 0, kFull - 1));
    state.SetBytesProcessed(int64_t(state.iterations()) * kFull);
}

void BM_SparseSpace(benchmark::State& state, const ChecksumAlgorithm* algorithm)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(ComputeChecksum(*algorithm, Sparse(), 0, ODataBuffer::AddressLimit - 1));
    state.SetBytesProcessed(int64_t(state.iterations()) * ODataBuffer::AddressLimit);
}

const bool registered = [] {
    for (const ChecksumAlgorithm& a : ChecksumCatalogue()) {
        benchmark::RegisterBenchmark(("BM_Window16MiB/" + a.name).c_str(), BM_Window16MiB, &a)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("BM_SparseSpace/" + a.name).c_str(), BM_SparseSpace, &a)
            ->Unit(benchmark::kMillisecond);
    }
    return true;
}();

// After the usual table: each algorithm's speed over the 16 MiB window in
// bytes covered per second and as a multiple of zlib's over the flat array,
// then the time over the whole address space with 1 MiB written.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration)
                seconds_[run.benchmark_name()] = run.GetAdjustedCPUTime() / 1e3;   // unit is ms
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const double zlib = seconds_["BM_Flat_zlib_crc32"];
        const double table = seconds_["BM_Flat_bytetable_crc32"];
        const auto rate = [](double s, Address bytes) { return s > 0 ? double(bytes) / s / 1e9 : 0.0; };
        std::printf("\nOver a fully written 16 MiB window (GB/s; time relative to zlib crc32 and to a\n"
                    "byte-table crc32 over a flat array, below 1 is faster):\n");
        std::printf("  %-28s %7.2f GB/s\n", "zlib crc32, flat array", rate(zlib, kFull));
        std::printf("  %-28s %7.2f GB/s\n", "byte-table crc32, flat", rate(table, kFull));
        for (const ChecksumAlgorithm& a : ChecksumCatalogue()) {
            const double s = seconds_["BM_Window16MiB/" + a.name];
            if (s <= 0)
                continue;   // filtered out
            std::printf("  %-28s %7.2f GB/s   %5.2f x zlib   %5.2f x byte-table\n", a.name.c_str(), rate(s, kFull),
                        zlib > 0 ? s / zlib : 0.0, table > 0 ? s / table : 0.0);
        }
        std::printf("\nOver the whole address space (%lld MiB) with 1 MiB written (ms):\n",
                    static_cast<long long>(ODataBuffer::AddressLimit >> 20));
        for (const ChecksumAlgorithm& a : ChecksumCatalogue())
            if (const double s = seconds_["BM_SparseSpace/" + a.name]; s > 0)
                std::printf("  %-28s %8.3f ms\n", a.name.c_str(), s * 1e3);
    }

private:
    std::map<std::string, double> seconds_;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter(isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_Defaults
                                                  : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
