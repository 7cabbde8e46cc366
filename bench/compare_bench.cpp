// The comparison of two images whose windows span the whole address space
// with 1 MiB written in each, spread over it: a whole walk, Next difference
// from the start, and the marks of a screenful of rows (what a repaint asks).
// Beside them, memcmp over the bytes written, the least any comparison of
// them could cost.

#include "buffer/data_buffer.h"
#include "document/image_compare.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

constexpr Address kWritten = 1 << 20;
constexpr Address kPieces = 64;
constexpr Address kPiece = kWritten / kPieces;

struct Pair {
    ODataBuffer a;
    ODataBuffer b;
    std::vector<uint8_t> flatA, flatB;

    Pair()
    {
        const Address span = ODataBuffer::AddressLimit;
        uint64_t state = 0x9E3779B97F4A7C15ull;
        std::vector<uint8_t> piece(kPiece);
        for (Address p = 0; p < kPieces; ++p) {
            for (auto& byte : piece) {
                state ^= state << 13;
                state ^= state >> 7;
                state ^= state << 17;
                byte = uint8_t(state >> 24);
            }
            const Address at = p * (span / kPieces);
            a.SetPosition(at);
            b.SetPosition(at);
            for (Address i = 0; i < kPiece; ++i) {
                a.Put(piece[size_t(i)]);
                // A few differences in each piece.
                b.Put(i % 4096 == 7 ? uint8_t(~piece[size_t(i)]) : piece[size_t(i)]);
            }
            flatA.insert(flatA.end(), piece.begin(), piece.end());
        }
        flatB = flatA;
        a.SetWindow(0, span - 1);
        b.SetWindow(0, span - 1);
    }
};

Pair& Images()
{
    static Pair pair;
    return pair;
}

void BM_WalkAll(benchmark::State& state)
{
    Pair& pair = Images();
    const OImageCompare compare(pair.a, pair.b);
    for (auto _ : state) {
        Address ranges = 0;
        compare.Walk(0, [&](const DiffRange&) {
            ++ranges;
            return true;
        });
        benchmark::DoNotOptimize(ranges);
    }
}
BENCHMARK(BM_WalkAll)->Unit(benchmark::kMillisecond);

void BM_NextFromStart(benchmark::State& state)
{
    Pair& pair = Images();
    const OImageCompare compare(pair.a, pair.b);
    for (auto _ : state)
        benchmark::DoNotOptimize(compare.Next(0));
}
BENCHMARK(BM_NextFromStart)->Unit(benchmark::kMillisecond);

// Next difference past the last one: the whole span is walked for nothing.
void BM_NextPastTheLast(benchmark::State& state)
{
    Pair& pair = Images();
    const OImageCompare compare(pair.a, pair.b);
    const Address last = (kPieces - 1) * (ODataBuffer::AddressLimit / kPieces) + kPiece;
    for (auto _ : state)
        benchmark::DoNotOptimize(compare.Next(last));
}
BENCHMARK(BM_NextPastTheLast)->Unit(benchmark::kMillisecond);

// A screen of 60 rows around a piece's edge.
void BM_MarksOfAScreen(benchmark::State& state)
{
    Pair& pair = Images();
    const OImageCompare compare(pair.a, pair.b);
    const Address first = ODataBuffer::AddressLimit / kPieces - 30 * 16;
    for (auto _ : state)
        for (Address row = 0; row < 60; ++row)
            benchmark::DoNotOptimize(compare.RowMarks(first + row * 16));
}
BENCHMARK(BM_MarksOfAScreen)->Unit(benchmark::kMicrosecond);

void BM_MemcmpOfTheWrittenBytes(benchmark::State& state)
{
    Pair& pair = Images();
    for (auto _ : state)
        benchmark::DoNotOptimize(std::memcmp(pair.flatA.data(), pair.flatB.data(), pair.flatA.size()));
}
BENCHMARK(BM_MemcmpOfTheWrittenBytes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
