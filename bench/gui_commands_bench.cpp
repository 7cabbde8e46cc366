// The Edit and Buffer commands on a 16 MiB buffer with undo and the sum
// check on, as the editor runs them: Select all + Copy, Paste of 16 MiB,
// Fill of the whole buffer, Clear All, and one Undo of each. Every
// iteration starts from a fresh document. Reported per command: the time,
// the longest stretch without handling events (how long the window would
// not answer), and the peak memory above the state before the command and
// in all (buffer, journal and clipboard), both in buffer sizes. A memcpy of
// 16 MiB measured in the same run gives the scale.

#include "settings/profile.h"
#include "app/qt/qt_document_host.h"
#include "document/buffer_document.h"
#include "view/qt/buffer_view.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QTemporaryDir>

#include <malloc.h>
#include <time.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int32_t kSize = 16 * 1024 * 1024;

// Heap in use, in bytes. Freed blocks stay resident, so the resident size
// says little; the allocator's own count is sampled instead.
double HeapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd);
}

double ThreadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// The editor's host, with message boxes answered and the gaps between event
// handling recorded.
class BenchHost : public OQtDocumentHost {
public:
    BenchHost() : OQtDocumentHost(nullptr) {}
    int MessageBox(std::string_view, std::string_view, int) override { return idOk; }
    void ProcessPendingEvents() override
    {
        const auto now = Clock::now();
        maxGap = std::max(maxGap, now - last);
        last = now;
        if (++calls % 1000 == 0)
            peakHeap = std::max(peakHeap, HeapBytes());
        OQtDocumentHost::ProcessPendingEvents();
    }
    void Start()
    {
        last = Clock::now();
        maxGap = {};
        peakHeap = HeapBytes();
    }
    Clock::time_point last;
    Clock::duration maxGap{};
    long calls = 0;
    double peakHeap = 0;
};

double baseline = 0;
QTemporaryDir* folder = nullptr;

struct Fresh {
    BenchHost host;
    std::unique_ptr<OBufferDocument> doc;
    std::unique_ptr<OBufferView> view;

    Fresh()
    {
        const std::string ini = folder->filePath("dravel.ini").toStdString();
        OProfile(ini).WriteInt("Settings", "sumcheck", 1);
        OProfile(ini).WriteInt("Settings", "undo", 0);
        doc = std::make_unique<OBufferDocument>(host, ini, "bin");
        std::vector<uint8_t> bytes(kSize);
        for (int32_t i = 0; i < kSize; ++i)
            bytes[size_t(i)] = uint8_t(i * 7 + (i >> 8));
        doc->WriteBlock(bytes.data(), 0, kSize);
        // Undo from here on, with an empty journal.
        OProfile(ini).WriteInt("Settings", "undo", 1);
        doc->ReloadSettings();
        view = std::make_unique<OBufferView>(doc.get());
    }
};

// Times `command` on a fresh document prepared by `prepare`, or the Undo
// after it when `undo`. Wall time is what the benchmark reports; cpu_ms is
// the thread's own time, which is what a loaded machine leaves comparable.
template <typename Prepare, typename Command>
void Measure(benchmark::State& state, bool undo, Prepare prepare, Command command)
{
    double before = 0, peak = 0, total = 0, gap = 0, cpu = 0;
    for (auto _ : state) {
        QGuiApplication::clipboard()->clear();
        auto fresh = std::make_unique<Fresh>();
        prepare(*fresh);
        if (undo)
            command(*fresh);
        const double held = HeapBytes();
        fresh->host.Start();
        const double c0 = ThreadCpuSeconds();
        const auto t0 = Clock::now();
        if (undo)
            fresh->view->Command(OBufferView::kCmUndo);
        else
            command(*fresh);
        const auto t1 = Clock::now();
        cpu = std::max(cpu, (ThreadCpuSeconds() - c0) * 1e3);
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
        const double high = std::max(fresh->host.peakHeap, HeapBytes());
        before = (held - baseline) / kSize;
        peak = std::max(peak, (high - held) / kSize);
        total = std::max(total, (high - baseline) / kSize);
        gap = std::max(gap, std::chrono::duration<double, std::milli>(fresh->host.maxGap).count());
        benchmark::DoNotOptimize(fresh->doc->Sum());
    }
    state.counters["cpu_ms"] = cpu;
    state.counters["held_before_xbuf"] = before;
    state.counters["peak_over_before_xbuf"] = peak;
    state.counters["peak_total_xbuf"] = total;
    state.counters["longest_unanswered_ms"] = gap;
}

void Nothing(Fresh&) {}
void SelectAllCopy(Fresh& f)
{
    f.view->Command(OBufferView::kCmSelectAll);
    f.view->Command(OBufferView::kCmCopy);
}
// A clipboard holding all 16 MiB, copied from another document.
void ClipboardFull(Fresh&)
{
    Fresh other;
    SelectAllCopy(other);
}
void Paste(Fresh& f)
{
    f.view->Model().Cursor = 0;
    f.view->Command(OBufferView::kCmPaste);
}
void FillAll(Fresh& f)
{
    OBufferView::SetDialogRunner([](QWidget*, AddressRequest& request, bool fill) {
        if (fill)
            static_cast<FillRequest&>(request).fillValue = 0x55;
        return true;
    });
    f.view->Command(OBufferView::kCmFillSelection);
    OBufferView::SetDialogRunner({});
}
void ClearAll(Fresh& f) { f.view->Command(OBufferView::kCmClearAll); }

void gui_MemcpyReference(benchmark::State& state)
{
    std::vector<uint8_t> from(kSize, 1), to(kSize);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kSize);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(gui_MemcpyReference)->Unit(benchmark::kMillisecond);

void gui_SelectAllCopy(benchmark::State& s) { Measure(s, false, Nothing, SelectAllCopy); }
void gui_Paste16MiB(benchmark::State& s) { Measure(s, false, ClipboardFull, Paste); }
void gui_UndoPaste(benchmark::State& s) { Measure(s, true, ClipboardFull, Paste); }
void gui_FillAll(benchmark::State& s) { Measure(s, false, Nothing, FillAll); }
void gui_UndoFill(benchmark::State& s) { Measure(s, true, Nothing, FillAll); }
void gui_ClearAll(benchmark::State& s) { Measure(s, false, Nothing, ClearAll); }
void gui_UndoClearAll(benchmark::State& s) { Measure(s, true, Nothing, ClearAll); }

#define COMMAND_BENCH(name) BENCHMARK(name)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond)
COMMAND_BENCH(gui_SelectAllCopy);
COMMAND_BENCH(gui_Paste16MiB);
COMMAND_BENCH(gui_UndoPaste);
COMMAND_BENCH(gui_FillAll);
COMMAND_BENCH(gui_UndoFill);
COMMAND_BENCH(gui_ClearAll);
COMMAND_BENCH(gui_UndoClearAll);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    folder = &dir;
    baseline = HeapBytes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    QGuiApplication::clipboard()->clear();
    benchmark::Shutdown();
    return 0;
}
