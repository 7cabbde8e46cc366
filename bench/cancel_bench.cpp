// How soon a long search or checksum over 4 GiB of written bytes returns
// after Cancel. The host "clicks" Cancel half a second in and, like the
// editor's, handles events only every 25 ms; the time reported is from the
// click to the command's return.

#include "buffer/data_buffer.h"
#include "document/buffer_document.h"
#include "document/checksum_plan.h"
#include "document/find_request.h"
#include "quiet_host.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

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
    // 4 GiB of zeros: every byte starts a candidate for 00 01, and a CRC
    // reads every byte.
    static std::unique_ptr<OBufferDocument> doc = [] {
        auto made = std::make_unique<OBufferDocument>(host, std::string(), "bin");
        made->SetUndoOption(false);
        made->Fill(0, ODataBuffer::AddressLimit - 1, 0x00);
        return made;
    }();
    return *doc;
}

template <class Run>
void TimeCancel(benchmark::State& state, Run run)
{
    OBufferDocument& doc = Dense();
    for (auto _ : state) {
        host.cancelled = false;
        host.click = Clock::now() + std::chrono::milliseconds(500);
        run(doc);
        const auto back = Clock::now();
        if (!doc.WasStopped())
            state.SkipWithError("not stopped");
        state.SetIterationTime(std::chrono::duration<double>(back - host.click).count());
    }
}

void CancelFind(benchmark::State& state)
{
    FindRequest request;
    request.text = "00 01";
    request.hex = true;
    request.ascii = false;
    PrepareFindPattern(request);
    TimeCancel(state, [&](OBufferDocument& doc) { doc.Find(request, 0); });
}

void CancelChecksum(benchmark::State& state)
{
    ChecksumAlgorithm crc;
    ParseChecksumAlgorithm("CRC-32", crc);
    TimeCancel(state, [&](OBufferDocument& doc) { DocumentChecksum(doc, crc, doc.Start(), doc.End() - 1); });
}

} // namespace

BENCHMARK(CancelFind)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(CancelChecksum)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
