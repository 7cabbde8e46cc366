// The lane unit's throughput on a 16 MiB image written from end to end:
// split into 2 and 4 lanes, merge them back, and swap 16- and 32-bit words.
// Figures are bytes of the image per second; the target is 1 GB/s or more.

#include "buffer/data_buffer.h"
#include "document/lanes.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>
#include <vector>

namespace {
constexpr Address kImage = 16 * 1024 * 1024 - 1;

const ODataBuffer& Image()
{
    static const std::unique_ptr<ODataBuffer> image = [] {
        auto buffer = std::make_unique<ODataBuffer>();
        std::mt19937 random(1);
        std::vector<uint8_t> bytes(static_cast<size_t>(kImage));
        for (uint8_t& b : bytes)
            b = static_cast<uint8_t>(random());
        buffer->SetPosition(0);
        for (Address done = 0; done < kImage; done += 1 << 20) {
            const Address n = std::min<Address>(1 << 20, kImage - done);
            buffer->PutBlock(bytes.data() + done, n);
        }
        return buffer;
    }();
    return *image;
}

void Split(benchmark::State& state)
{
    const LaneShape shape{int(state.range(0)), int(state.range(1))};
    const ODataBuffer& image = Image();
    for (auto _ : state) {
        for (int k = 0; k < shape.lanes; ++k) {
            ODataBuffer lane;
            SplitLane(image, image.Start(), image.Size(), shape, k, lane);
            benchmark::DoNotOptimize(lane.BlockCount());
        }
    }
    state.SetBytesProcessed(state.iterations() * image.Size());
}

void Merge(benchmark::State& state)
{
    const LaneShape shape{int(state.range(0)), int(state.range(1))};
    const ODataBuffer& image = Image();
    std::vector<std::unique_ptr<ODataBuffer>> lanes;
    std::vector<const ODataBuffer*> order;
    for (int k = 0; k < shape.lanes; ++k) {
        lanes.push_back(std::make_unique<ODataBuffer>());
        SplitLane(image, image.Start(), image.Size(), shape, k, *lanes.back());
        order.push_back(lanes.back().get());
    }
    for (auto _ : state) {
        ODataBuffer merged;
        MergeLanes(order, shape, merged);
        benchmark::DoNotOptimize(merged.BlockCount());
    }
    state.SetBytesProcessed(state.iterations() * image.Size());
}

void Swap(benchmark::State& state)
{
    const ODataBuffer& image = Image();
    ODataBuffer buffer;
    std::vector<uint8_t> bytes(static_cast<size_t>(image.Size()));
    image.CopyOut(0, image.Size(), bytes.data());
    buffer.SetPosition(0);
    buffer.PutBlock(bytes.data(), image.Size());
    for (auto _ : state)
        benchmark::DoNotOptimize(SwapGroups(buffer, 0, buffer.Size(), int(state.range(0))));
    state.SetBytesProcessed(state.iterations() * image.Size());
}
} // namespace

BENCHMARK(Split)->Args({2, 1})->Args({4, 1})->Args({2, 2})->Args({4, 2})->Unit(benchmark::kMillisecond);
BENCHMARK(Merge)->Args({2, 1})->Args({4, 1})->Args({2, 2})->Args({4, 2})->Unit(benchmark::kMillisecond);
BENCHMARK(Swap)->Arg(2)->Arg(4)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
