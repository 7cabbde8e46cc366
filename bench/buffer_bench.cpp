// Sequential access and pattern search over a full 16 MiB data buffer,
// against the same searches over a flat array of the same bytes.

#include "buffer/data_buffer.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

// The 16 MiB the buffer held before it spanned 4 GiB, so figures stay comparable.
constexpr int32_t kBytes = 0x1000000;
constexpr int32_t kPatternLength = 4;

enum Kind { kBinary, kText, kErased };

// Pseudo-random contents holding each search pattern exactly once: the one
// searched forwards near the end, the one searched backwards near the start,
// so that every search scans (nearly) all 16 MiB before its match.
struct Contents {
    std::vector<uint8_t> flat;
    uint8_t forward[kPatternLength] = {0x3C, 0xA5, 0x6A, 0xC3};
    uint8_t backward[kPatternLength] = {0xC3, 0x6A, 0xA5, 0x3C};
    int32_t nearEnd = kBytes - 1000;
    int32_t nearStart = 1000;
    ODataBuffer buffer;

    explicit Contents(int kind)
    {
        const bool text = kind == kText;
        flat.resize(kBytes);
        uint64_t state = 0x9E3779B97F4A7C15ull;
        for (auto& byte : flat) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            // Text is letters, digits and blanks: many first-byte hits.
            byte = text ? uint8_t(" etaoinshrdluETAOIN0123"[state % 23]) : uint8_t(state >> 24);
        }
        // Erased contents are the worst case for the candidate test: the
        // first and last pattern bytes occur everywhere.
        if (kind == kErased) {
            std::fill(flat.begin(), flat.end(), 0xFF);
            std::memcpy(forward, "\xFF\x00\x01\xFF", kPatternLength);
            std::memcpy(backward, "\xFF\x01\x00\xFF", kPatternLength);
        }
        if (text) {
            std::memcpy(forward, "E#Ta", kPatternLength);
            std::memcpy(backward, "Ta#E", kPatternLength);
        }
        for (const uint8_t* pattern : {forward, backward})
            for (;;) {
                void* hit = memmem(flat.data(), flat.size(), pattern, kPatternLength);
                if (!hit)
                    break;
                static_cast<uint8_t*>(hit)[0] ^= 1;
            }
        std::memcpy(flat.data() + nearEnd, forward, kPatternLength);
        std::memcpy(flat.data() + nearStart, backward, kPatternLength);
        buffer.SetPosition(0);
        for (uint8_t byte : flat)
            buffer.Put(byte);
    }
};

Contents& contents(int kind)
{
    static Contents binary(kBinary), text(kText), erased(kErased);
    return kind == kText ? text : kind == kErased ? erased : binary;
}

void BM_BufferPut(benchmark::State& state)
{
    ODataBuffer buffer;
    for (auto _ : state) {
        buffer.SetPosition(0);
        for (int32_t i = 0; i < kBytes; ++i)
            buffer.Put(uint8_t(i));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}
BENCHMARK(BM_BufferPut)->Unit(benchmark::kMillisecond);

void BM_BufferGet(benchmark::State& state)
{
    ODataBuffer& buffer = contents(kBinary).buffer;
    for (auto _ : state) {
        buffer.SetPosition(0);
        uint32_t sum = 0;
        for (int32_t i = 0; i < kBytes; ++i)
            sum += buffer.Get();
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}
BENCHMARK(BM_BufferGet)->Unit(benchmark::kMillisecond);

void BM_BufferRead(benchmark::State& state)
{
    ODataBuffer& buffer = contents(kBinary).buffer;
    for (auto _ : state) {
        buffer.SetPosition(0);
        uint32_t sum = 0;
        uint8_t byte = 0;
        for (int32_t i = 0; i < kBytes; ++i) {
            buffer.Read(byte);
            sum += byte;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}
BENCHMARK(BM_BufferRead)->Unit(benchmark::kMillisecond);

void BM_BufferAt(benchmark::State& state)
{
    ODataBuffer& buffer = contents(kBinary).buffer;
    for (auto _ : state) {
        uint32_t sum = 0;
        for (int32_t i = 0; i < kBytes; ++i)
            sum += buffer.At(i);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}
BENCHMARK(BM_BufferAt)->Unit(benchmark::kMillisecond);

// Searches. Every variant scans (nearly) all 16 MiB before its one match.

template <int Kind>
void BM_FindForward_Buffer(benchmark::State& state)
{
    Contents& c = contents(Kind);
    for (auto _ : state) {
        int32_t hit = c.buffer.FindForward(0, c.forward, true, kPatternLength);
        if (hit != c.nearEnd)
            state.SkipWithError("wrong match");
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}

template <int Kind>
void BM_FindForward_memmem(benchmark::State& state)
{
    Contents& c = contents(Kind);
    for (auto _ : state) {
        const void* hit = memmem(c.flat.data(), c.flat.size(), c.forward, kPatternLength);
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}

template <int Kind>
void BM_FindForward_stdsearch(benchmark::State& state)
{
    Contents& c = contents(Kind);
    for (auto _ : state) {
        auto hit = std::search(c.flat.begin(), c.flat.end(), c.forward, c.forward + kPatternLength);
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}

template <int Kind>
void BM_FindBackward_Buffer(benchmark::State& state)
{
    Contents& c = contents(Kind);
    for (auto _ : state) {
        int32_t hit = c.buffer.FindBackward(kBytes - 1, c.backward, true, kPatternLength);
        if (hit != c.nearStart)
            state.SkipWithError("wrong match");
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}

template <int Kind>
void BM_FindBackward_stdsearch(benchmark::State& state)
{
    Contents& c = contents(Kind);
    const uint8_t reversed[kPatternLength] = {c.backward[3], c.backward[2], c.backward[1], c.backward[0]};
    for (auto _ : state) {
        auto hit = std::search(c.flat.rbegin(), c.flat.rend(), reversed, reversed + kPatternLength);
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}

template <int Kind>
void BM_FindBackward_findend(benchmark::State& state)
{
    Contents& c = contents(Kind);
    for (auto _ : state) {
        auto hit = std::find_end(c.flat.begin(), c.flat.end(), c.backward, c.backward + kPatternLength);
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}

bool sameIgnoringCase(uint8_t a, uint8_t b)
{
    return std::tolower(a) == std::tolower(b);
}

template <int Kind>
void BM_FindForwardIgnoringCase_Buffer(benchmark::State& state)
{
    Contents& c = contents(Kind);
    for (auto _ : state) {
        int32_t hit = c.buffer.FindForward(0, c.forward, false, kPatternLength);
        if (hit != c.nearEnd)
            state.SkipWithError("wrong match");
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}

template <int Kind>
void BM_FindForwardIgnoringCase_stdsearch(benchmark::State& state)
{
    Contents& c = contents(Kind);
    for (auto _ : state) {
        auto hit = std::search(c.flat.begin(), c.flat.end(), c.forward, c.forward + kPatternLength,
                               sameIgnoringCase);
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}

template <int Kind>
void BM_FindBackwardIgnoringCase_Buffer(benchmark::State& state)
{
    Contents& c = contents(Kind);
    for (auto _ : state) {
        int32_t hit = c.buffer.FindBackward(kBytes - 1, c.backward, false, kPatternLength);
        if (hit != c.nearStart)
            state.SkipWithError("wrong match");
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}

#define SEARCH(name)                                                                              \
    BENCHMARK_TEMPLATE(name, kBinary)->Name(#name "/binary")->Unit(benchmark::kMillisecond);       \
    BENCHMARK_TEMPLATE(name, kText)->Name(#name "/text")->Unit(benchmark::kMillisecond);           \
    BENCHMARK_TEMPLATE(name, kErased)->Name(#name "/erased")->Unit(benchmark::kMillisecond)

SEARCH(BM_FindForward_Buffer);
SEARCH(BM_FindForward_memmem);
SEARCH(BM_FindForward_stdsearch);
SEARCH(BM_FindBackward_Buffer);
SEARCH(BM_FindBackward_stdsearch);
SEARCH(BM_FindBackward_findend);
SEARCH(BM_FindForwardIgnoringCase_Buffer);
SEARCH(BM_FindForwardIgnoringCase_stdsearch);
SEARCH(BM_FindBackwardIgnoringCase_Buffer);

// Prints, after the usual table, each buffer search's CPU time as a multiple of
// the flat-array searches measured in the same run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration)
                times_[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const char* pairs[][2] = {
            {"BM_FindForward_Buffer", "BM_FindForward_memmem"},
            {"BM_FindForward_Buffer", "BM_FindForward_stdsearch"},
            {"BM_FindBackward_Buffer", "BM_FindForward_memmem"},
            {"BM_FindBackward_Buffer", "BM_FindBackward_stdsearch"},
            {"BM_FindBackward_Buffer", "BM_FindBackward_findend"},
            {"BM_FindForwardIgnoringCase_Buffer", "BM_FindForwardIgnoringCase_stdsearch"},
            {"BM_FindBackwardIgnoringCase_Buffer", "BM_FindForwardIgnoringCase_stdsearch"},
        };
        std::printf("\nSearch time relative to the flat array (below 1 is faster):\n");
        for (const char* data : {"/binary", "/text", "/erased"})
            for (auto& pair : pairs) {
                auto ours = times_.find(std::string(pair[0]) + data);
                auto theirs = times_.find(std::string(pair[1]) + data);
                if (ours != times_.end() && theirs != times_.end() && theirs->second > 0)
                    std::printf("  %-44s / %-40s %6.2f\n", (ours->first).c_str(), (theirs->first).c_str(),
                                ours->second / theirs->second);
            }
    }

private:
    std::map<std::string, double> times_;
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
