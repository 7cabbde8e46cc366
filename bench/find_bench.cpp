// The document's search as Find and F3 run it, over a full 16 MiB buffer
// that does not hold the pattern, so every search scans the whole window:
// text ignoring case downwards and upwards, hex bytes downwards, and whole
// words over text dense with partial matches ("ab" inside "cabcab...").
// The flat-array peers do the same search with the C library over a plain
// copy of the bytes.

#include "quiet_host.h"
#include "document/find_request.h"
#include "document/buffer_document.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t kBytes = 0x1000000;

// A host without a window whose new-buffer prompt answers the whole space.
class BenchHost : public QuietHost {
public:
    bool RequestNewBufferRange(AddressRequest& request) override
    {
        request.start = 0;
        request.last = kBytes - 1;
        return true;
    }
};

enum Kind { kText, kBinary, kDense };

struct Contents {
    BenchHost host;
    std::vector<uint8_t> flat;
    std::unique_ptr<OBufferDocument> document;

    explicit Contents(Kind kind) : flat(size_t(kBytes))
    {
        uint64_t state = 0x9E3779B97F4A7C15ull;
        for (size_t i = 0; i < flat.size(); ++i) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            // Text of letters, digits and blanks gives many candidates for
            // a typed word; the dense text is nothing but partial words.
            switch (kind) {
            case kText: flat[i] = uint8_t(" etaoinshrdluETAOIN0123"[state % 23]); break;
            case kBinary: flat[i] = uint8_t(state >> 24); break;
            case kDense: flat[i] = uint8_t("cab"[i % 3]); break;
            }
        }
        document = std::make_unique<OBufferDocument>(host, "/nonexistent/dravel.ini", "bin");
        document->Open();
        document->WriteBlock(flat.data(), 0, kBytes);
    }
};

Contents& contents(Kind kind)
{
    static Contents text(kText), binary(kBinary), dense(kDense);
    return kind == kText ? text : kind == kBinary ? binary : dense;
}

FindRequest request(const std::string& typed, bool hex, bool up, bool words)
{
    FindRequest r;
    r.text = typed;
    r.hex = hex;
    r.ascii = !hex;
    r.up = up;
    r.down = !up;
    r.wholeWords = words;
    PrepareFindPattern(r);
    return r;
}

void run(benchmark::State& state, Kind kind, const FindRequest& r)
{
    OBufferDocument& document = *contents(kind).document;
    const int32_t from = r.up ? document.End() : document.Start();
    for (auto _ : state) {
        const int32_t hit = document.Find(r, from);
        if (hit != -1)
            state.SkipWithError("found a pattern that is not there");
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}

// "Eta9" never occurs in the text: "9" is not among its characters.
void BM_Find_TextIgnoringCaseDown(benchmark::State& state) { run(state, kText, request("eTa9", false, false, false)); }
void BM_Find_TextIgnoringCaseUp(benchmark::State& state) { run(state, kText, request("eTa9", false, true, false)); }
void BM_Find_TextMatchCaseUp(benchmark::State& state)
{
    FindRequest r = request("Eta9", false, true, false);
    r.matchCase = true;
    run(state, kText, r);
}
void BM_Find_HexDown(benchmark::State& state)
{
    // Eight bytes that the pseudo-random contents do not hold.
    Contents& c = contents(kBinary);
    FindRequest r = request("3CA56AC30102A5FE", true, false, false);
    if (memmem(c.flat.data(), c.flat.size(), r.pattern.data(), size_t(r.length)))
        state.SkipWithError("pattern present");
    run(state, kBinary, r);
}
void BM_Find_WholeWordsDenseDown(benchmark::State& state) { run(state, kDense, request("ab", false, false, true)); }
void BM_Find_WholeWordsDenseUp(benchmark::State& state) { run(state, kDense, request("ab", false, true, true)); }

// Peers over a flat copy: the C library's memmem, and for whole words the
// same memmem restarted after every refused match.
void BM_Peer_HexDown_memmem(benchmark::State& state)
{
    Contents& c = contents(kBinary);
    const FindRequest r = request("3CA56AC30102A5FE", true, false, false);
    for (auto _ : state)
        benchmark::DoNotOptimize(memmem(c.flat.data(), c.flat.size(), r.pattern.data(), size_t(r.length)));
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}
void BM_Peer_TextIgnoringCaseDown_strcasestr(benchmark::State& state)
{
    Contents& c = contents(kText);
    std::string text(c.flat.begin(), c.flat.end());
    for (auto _ : state)
        benchmark::DoNotOptimize(strcasestr(text.c_str(), "eTa9"));
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}
void BM_Peer_WholeWordsDenseDown_memmem(benchmark::State& state)
{
    Contents& c = contents(kDense);
    const uint8_t* bytes = c.flat.data();
    const auto word = [](uint8_t b) { return std::isalnum(b) != 0; };
    for (auto _ : state) {
        const uint8_t* hit = nullptr;
        for (const uint8_t* at = bytes; at < bytes + kBytes;) {
            const void* m = memmem(at, size_t(bytes + kBytes - at), "ab", 2);
            if (!m)
                break;
            const uint8_t* p = static_cast<const uint8_t*>(m);
            if ((p == bytes || !word(p[-1])) && (p + 2 == bytes + kBytes || !word(p[2]))) {
                hit = p;
                break;
            }
            at = p + 1;
        }
        benchmark::DoNotOptimize(hit);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * kBytes);
}

BENCHMARK(BM_Find_TextIgnoringCaseDown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Peer_TextIgnoringCaseDown_strcasestr)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Find_TextIgnoringCaseUp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Find_TextMatchCaseUp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Find_HexDown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Peer_HexDown_memmem)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Find_WholeWordsDenseDown)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Find_WholeWordsDenseUp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Peer_WholeWordsDenseDown_memmem)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
