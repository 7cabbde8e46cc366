// How soon a long search or checksum over 4 GiB of written bytes, or a
// merge of two 1 GiB lanes, returns after Cancel. The host "clicks" Cancel
// half a second in and, like the editor's, handles events only every 25 ms;
// the time reported is from the click to the command's return. And Replace
// all of 10,000 hits in 16 MiB, which goes in slices so it can be stopped.

#include "buffer/data_buffer.h"
#include "document/buffer_document.h"
#include "document/checksum_plan.h"
#include "document/find_request.h"
#include "quiet_host.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

class CancellingHost : public QuietHost {
public:
    void ProcessPendingEvents() override
    {
        const Clock::time_point now = Clock::now();
        if (now - lastEvents < std::chrono::milliseconds(25))
            return;
        lastEvents = now;
        cancelled = cancelled || now >= click;
    }
    bool ReportProgress(int64_t, int64_t) override { return !cancelled; }
    bool CanStop() const override { return true; }

    Clock::time_point click = Clock::time_point::max();
    Clock::time_point lastEvents;
    bool cancelled = false;
};

CancellingHost host;

OBufferDocument& Dense()
{
    // 4 GiB of zeros: every byte passes the quick test for 00 00 FF 00
    // without being a hit, and a CRC reads every byte.
    static std::unique_ptr<OBufferDocument> doc = [] {
        host.click = Clock::time_point::max();
        host.cancelled = false;
        auto made = std::make_unique<OBufferDocument>(host, std::string(), "bin");
        made->SetUndoOption(false);
        made->Resize(0, ODataBuffer::AddressLimit - 1);
        made->Fill(0, ODataBuffer::AddressLimit - 1, 0x00);
        return made;
    }();
    return *doc;
}

// `run` starts the command and answers whether it was stopped.
template <class Run>
void TimeCancel(benchmark::State& state, Run run)
{
    for (auto _ : state) {
        host.cancelled = false;
        host.click = Clock::now() + std::chrono::milliseconds(500);
        const bool stopped = run();
        const auto back = Clock::now();
        if (!stopped)
            state.SkipWithError("not stopped");
        state.SetIterationTime(std::chrono::duration<double>(back - host.click).count());
    }
}

FindRequest HexRequest(const char* text)
{
    FindRequest request;
    request.text = text;
    request.hex = true;
    request.ascii = false;
    PrepareFindPattern(request);
    return request;
}

void CancelFind(benchmark::State& state)
{
    const FindRequest request = HexRequest("00 00 FF 00");
    Dense();
    TimeCancel(state, [&] { return Dense().Find(request, 0) < 0 && Dense().WasStopped(); });
}

void CancelChecksum(benchmark::State& state)
{
    ChecksumAlgorithm crc;
    ParseChecksumAlgorithm("CRC-32", crc);
    Dense();
    TimeCancel(state, [&] { return !DocumentChecksum(Dense(), crc, 0, ODataBuffer::AddressLimit - 1); });
}

void CancelMerge(benchmark::State& state)
{
    // Two lanes of 1 GiB of zeros each, merged into 2 GiB.
    std::vector<std::unique_ptr<OBufferDocument>> lanes;
    std::vector<const OBufferDocument*> order;
    host.click = Clock::time_point::max();
    host.cancelled = false;
    for (int k = 0; k < 2; ++k) {
        lanes.push_back(std::make_unique<OBufferDocument>(host, std::string(), "bin"));
        lanes.back()->Resize(0, (Address{1} << 30) - 1);
        lanes.back()->Fill(0, (Address{1} << 30) - 1, 0x00);
        order.push_back(lanes.back().get());
    }
    std::unique_ptr<OBufferDocument> merged;
    TimeCancel(state, [&] {
        merged = std::make_unique<OBufferDocument>(host, std::string(), "bin");
        return !merged->TakeMerged(order, LaneShape{2, 1});
    });
}

void ReplaceAll10000In16MiB(benchmark::State& state)
{
    const FindRequest request = HexRequest("CAFE");
    std::vector<uint8_t> image(16 << 20, 0x00);
    for (size_t i = 0; i < 10000; ++i)
        image[i * 1600 + 7] = 0xCA, image[i * 1600 + 8] = 0xFE;
    const uint8_t with[2] = {0xBE, 0xEF};
    for (auto _ : state) {
        state.PauseTiming();
        host.click = Clock::time_point::max();
        host.cancelled = false;
        OBufferDocument doc(host, std::string(), "bin");
        doc.WriteBlock(image.data(), 0, Address(image.size()));
        state.ResumeTiming();
        if (doc.ReplaceAll(request, with) != 10000)
            state.SkipWithError("not 10000 hits");
    }
}

} // namespace

BENCHMARK(CancelFind)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(CancelChecksum)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(CancelMerge)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(ReplaceAll10000In16MiB)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
